// The library's part inside a started program, which places the program's
// first main window before it is shown. The run hooks the program's window
// events in context; the system loads the library into the program for them
// and calls PlaceEvent in the thread that has just made a window, before it
// shows. The first main window is subclassed there, given the rectangle of
// the run's block at every move or size until it is first shown, then the
// subclass goes and the run is told.
//
// Leaving is the system's: once the run removes its hook, the system takes
// the library out of the program again. While a window of the program still
// runs through the subclass, the library holds a reference of its own, taken
// from within; a thread of its own drops it once no frame of the library is
// left on a stack. Where the subclass cannot go (the program subclassed the
// window after it), the library stays, pinned and idle.
#include <windows.h>

#include "base/moveplan.h"
#include "helper/in_program.h"

LONG libraryFrames;
HANDLE framesDone;

namespace {

// This process's share. taken is set with an interlocked call (any thread
// may make the window); the rest is written by the thread that took the
// window. All start at zero: the library has no data of its own to load.
LONG taken;                // 1 once the first main window is taken
HWND subclassed;           // the window being placed
WNDPROC programProcedure;  // its procedure before the subclass
bool wide;                 // a Unicode window: its procedure is set and called wide
EarlyBlock request;        // the run's request, as the window was taken
EarlyBlock* block;         // the run's block, mapped while the window is placed

__attribute__((always_inline)) inline void Pin() {
  HMODULE pinned;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCSTR>(&Pin), &pinned);
}

// One look-up for all: each function of the library's own has its unwind entry.
void* User32(const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), name));
}

// The rectangle in the window's own view. The screen's scale is read as a
// thread aware of each monitor's sees it. Systems before 10 have no windows
// with a view of their own.
WindowBox OwnView(HWND window, const WindowBox& box) {
  using Context = HANDLE;
  auto aware = reinterpret_cast<Context(WINAPI*)(Context)>(User32("SetThreadDpiAwarenessContext"));
  auto windowContext =
      reinterpret_cast<Context(WINAPI*)(HWND)>(User32("GetWindowDpiAwarenessContext"));
  auto awareness =
      reinterpret_cast<int(WINAPI*)(Context)>(User32("GetAwarenessFromDpiAwarenessContext"));
  auto windowDpi = reinterpret_cast<UINT(WINAPI*)(HWND)>(User32("GetDpiForWindow"));
  auto systemDpi = reinterpret_cast<UINT(WINAPI*)()>(User32("GetDpiForSystem"));
  if (!aware || !windowContext || !awareness || !windowDpi || !systemDpi) return box;
  Context own = aware(reinterpret_cast<Context>(-3));  // per monitor: the screen's own scale
  const int screen = static_cast<int>(systemDpi());
  aware(own);
  return OwnViewBox(box, awareness(windowContext(window)), static_cast<int>(windowDpi(window)),
                    screen);
}

// Gives the move the block's place, with the run's own plan, past the
// system's size limit too. A fill is planned in the window's own view already.
void GivePlannedPlace(HWND window, WINDOWPOS* position) {
  if (GetWindowLongA(window, GWL_STYLE) & (WS_MINIMIZE | WS_MAXIMIZE)) return;
  const WindowBox asked = {request.left, request.top, request.left + request.width,
                           request.top + request.height};
  MovePlan plan;
  if (!PlanMove(reinterpret_cast<WindowRef>(window), asked, request.fill, request.fillMonitor,
                &plan))
    return;
  const WindowBox box = request.fill == FillNone ? OwnView(window, plan.window) : plan.window;
  position->x = box.left;
  position->y = box.top;
  position->cx = box.right - box.left;
  position->cy = box.bottom - box.top;
  position->flags &= ~(SWP_NOMOVE | SWP_NOSIZE);
}

// Drops the library's own reference once no frame of it is left on a stack:
// the frame that started this thread, and any the program's own loops hold.
// Where that never comes about, it stays, pinned.
DWORD WINAPI Leave(void*) {
  for (DWORD waited = 0; waited < 60000; waited += 50) {
    if (libraryFrames == 0) {
      Sleep(50);  // the last frame's own few instructions after its count
      if (libraryFrames == 0) FreeLibraryAndExitThread(ThisLibrary(), 0);
    }
    WaitForSingleObject(framesDone, 50);
  }
  Pin();
  return 0;
}

LRESULT CALLBACK SubclassProcedure(HWND, UINT, WPARAM, LPARAM);

// Takes the subclass away and lets the library leave. When the program
// subclassed the window after us, ours stays in its chain, and the library
// with it, for good.
void Release(HWND window) {
  subclassed = nullptr;
  UnmapViewOfFile(block);
  block = nullptr;
  auto set = wide ? SetWindowLongPtrW : SetWindowLongPtrA;
  auto get = wide ? GetWindowLongPtrW : GetWindowLongPtrA;
  if (get(window, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(SubclassProcedure)) return Pin();
  set(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(programProcedure));
  HANDLE leaving = CreateThread(nullptr, 0, Leave, nullptr, 0, nullptr);
  if (!leaving) return Pin();
  CloseHandle(leaving);
}

__attribute__((always_inline)) inline void TellRun() {
  char name[EarlyNameSize];
  EarlyObjectName(EarlyPlacedName, GetCurrentProcessId(), name, sizeof name);
  HANDLE placed = OpenEventA(EVENT_MODIFY_STATE, FALSE, name);
  if (placed) {
    SetEvent(placed);
    CloseHandle(placed);
  }
}

LRESULT CALLBACK SubclassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LibraryFrame frame;
  WNDPROC program = programProcedure;
  // The run no longer waits: the window is the program's again, wherever it shows.
  if (window == subclassed && block->letGo) Release(window);
  LRESULT result = wide ? CallWindowProcW(program, window, message, wParam, lParam)
                        : CallWindowProcA(program, window, message, wParam, lParam);
  auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
  // After the program's own answer, which the system's size limit is part of.
  if (window == subclassed && message == WM_WINDOWPOSCHANGING) GivePlannedPlace(window, position);
  if (window == subclassed && message == WM_WINDOWPOSCHANGED &&
      (position->flags & SWP_SHOWWINDOW)) {
    Release(window);
    TellRun();
  }
  return result;
}

BOOL CALLBACK FindShownMain(HWND window, LPARAM process) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  return owner != static_cast<DWORD>(process) || GetWindow(window, GW_OWNER) != nullptr ||
         !IsMainStyle(static_cast<uint32_t>(GetWindowLongA(window, GWL_STYLE)),
                      static_cast<uint32_t>(GetWindowLongA(window, GWL_EXSTYLE)), false);
}

// Once the program the run started shows a main window of its own, what it
// started is left alone: a browser's helper, a game's second window.
__attribute__((always_inline)) inline bool StartedShows(uint32_t startedId) {
  return startedId != 0 && !EnumWindows(FindShownMain, static_cast<LPARAM>(startedId));
}

// A window the program has just made that will be a main window once shown:
// top-level, without an owner, not a child.
__attribute__((always_inline)) inline bool WillBeMainWindow(HWND window) {
  return GetAncestor(window, GA_PARENT) == GetDesktopWindow() &&
         GetWindow(window, GW_OWNER) == nullptr &&
         IsEarlyMainWindow(static_cast<uint32_t>(GetWindowLongA(window, GWL_STYLE)),
                           static_cast<uint32_t>(GetWindowLongA(window, GWL_EXSTYLE)), false);
}

}  // namespace

// The first window made that will be a main window is the one placed. The
// library keeps itself in the program from then on, by a reference of its own.
extern "C" void CALLBACK PlaceEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object,
                                    LONG child, DWORD, DWORD) {
  LibraryFrame frame;
  if (event != EVENT_OBJECT_CREATE || object != OBJID_WINDOW || child != CHILDID_SELF || taken ||
      !WillBeMainWindow(window) || IsWindowVisible(window) || InterlockedExchange(&taken, 1))
    return;
  HMODULE own;
  if (!(block = OpenBlock(GetCurrentProcessId()))) return;
  if (StartedShows(block->startedId) ||
      !GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                          reinterpret_cast<LPCSTR>(&PlaceEvent), &own)) {
    UnmapViewOfFile(block);
    block = nullptr;
    return;
  }
  block->window = reinterpret_cast<uintptr_t>(window);
  request = *block;
  framesDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  subclassed = window;
  wide = IsWindowUnicode(window);
  auto set = wide ? SetWindowLongPtrW : SetWindowLongPtrA;
  programProcedure = reinterpret_cast<WNDPROC>(
      set(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProcedure)));
}

// The library's entry, without the C runtime's start-up: it has no static
// constructors, and nothing to do as it comes or goes.
extern "C" BOOL WINAPI LibraryEntry(HINSTANCE, DWORD, LPVOID) { return TRUE; }
