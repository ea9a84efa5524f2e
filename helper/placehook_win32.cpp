// The library's part inside a started program, which places the program's
// first main window before it is shown. The run loads the library into the
// suspended program and hooks its main thread; here the library hooks the
// program's other threads too, subclasses the first main window made by any
// of them, and gives it the rectangle of the run's block at every move or
// size until it is first shown. Then the subclass goes and the run is told.
// The library leaves the program (LeaveIfDone, started by the run in the
// program) only when none of its code can run there again; otherwise it
// stays loaded for the life of the program.
#include <windows.h>

#include <tlhelp32.h>

#include "helper/in_program.h"
#include "placement/early.h"
#include "placement/move.h"

LONG libraryFrames;

namespace {

enum { HookSlots = 32 };  // threads hooked from within; more are left to the run's later placing

// This process's share. looking and the hooks are taken with interlocked
// calls (any thread of the program may make the window); the rest is written
// by the thread that took the window, before and after the run let go.
LONG looking;            // 1 in the started program until its first main window is taken
LONG stays;              // 1 where the library must never leave from within
LONG finished;           // 1 once the run has let go: the subclass goes at its next message
HHOOK hooks[HookSlots];  // CBT hooks set here on the program's threads
LONG hookCount;
HWND placing;              // the window being placed
WNDPROC programProcedure;  // its procedure before the subclass
bool wide;                 // a Unicode window: its procedure is set and called wide
EarlyBlock request;

void Pin() {
  HMODULE pinned;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCSTR>(&Pin), &pinned);
}

// The block of this process, read into request and written back with what
// was given (window, library); false when there is none.
bool UseBlock(HWND window, HMODULE library) {
  char name[EarlyNameSize];
  EarlyObjectName(EarlyBlockName, GetCurrentProcessId(), name, sizeof name);
  HANDLE mapping = OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name);
  if (!mapping) return false;
  auto* block = static_cast<EarlyBlock*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
  if (block) {
    request = *block;
    if (window) block->window = reinterpret_cast<uintptr_t>(window);
    if (library) block->library = reinterpret_cast<uintptr_t>(library);
    UnmapViewOfFile(block);
  }
  CloseHandle(mapping);
  return block != nullptr;
}

template <typename Procedure>
Procedure User32(const char* name) {
  return reinterpret_cast<Procedure>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), name)));
}

// The block's rectangle in the window's own coordinates: a window that is
// not aware of the screen's scale (or only of the system's) sees the screen
// at its own dots per inch. The system's conversion of a point takes only
// points within the window. Systems before 10 have no such windows.
void OwnView(HWND window, WindowBox* box) {
  using Awareness = HANDLE(WINAPI*)(HANDLE);
  auto aware = User32<Awareness>("SetThreadDpiAwarenessContext");
  auto windowDpi = User32<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
  auto systemDpi = User32<UINT(WINAPI*)()>("GetDpiForSystem");
  if (!aware || !windowDpi || !systemDpi) return;
  HANDLE own = aware(reinterpret_cast<HANDLE>(-3));  // per monitor: the screen's own scale
  const int screen = static_cast<int>(systemDpi());
  aware(own);
  const int seen = static_cast<int>(windowDpi(window));
  if (screen <= 0 || seen <= 0 || screen == seen) return;
  *box = {MulDiv(box->left, seen, screen), MulDiv(box->top, seen, screen),
          MulDiv(box->right, seen, screen), MulDiv(box->bottom, seen, screen)};
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
  WindowBox& box = plan.window;
  if (request.fill == FillNone) OwnView(window, &box);
  position->x = box.left;
  position->y = box.top;
  position->cx = box.right - box.left;
  position->cy = box.bottom - box.top;
  position->flags &= ~(SWP_NOMOVE | SWP_NOSIZE);
}

LRESULT CALLBACK PlacingProcedure(HWND, UINT, WPARAM, LPARAM);

// Takes the subclass away where it is still the window's procedure; true when
// the program's own procedure is back. When the program subclassed the window
// after us, ours stays in its chain, and the library with it, for good.
bool Release(HWND window) {
  placing = nullptr;
  auto set = wide ? SetWindowLongPtrW : SetWindowLongPtrA;
  auto get = wide ? GetWindowLongPtrW : GetWindowLongPtrA;
  if (get(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(PlacingProcedure)) {
    set(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(programProcedure));
    return true;
  }
  InterlockedExchange(&stays, 1);
  Pin();
  return false;
}

void TellRun() {
  char name[EarlyNameSize];
  EarlyObjectName(EarlyPlacedName, GetCurrentProcessId(), name, sizeof name);
  HANDLE placed = OpenEventA(EVENT_MODIFY_STATE, FALSE, name);
  if (placed) {
    SetEvent(placed);
    CloseHandle(placed);
  }
}

LRESULT CALLBACK PlacingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LibraryFrame frame;
  WNDPROC program = programProcedure;
  const bool ours = window == placing;
  if (ours && message == RegisterWindowMessageA(PLACE_RELEASE_MESSAGE)) return Release(window);
  if (ours && finished) Release(window);
  LRESULT result = wide ? CallWindowProcW(program, window, message, wParam, lParam)
                        : CallWindowProcA(program, window, message, wParam, lParam);
  auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
  // After the program's own answer, which the system's size limit is part of.
  if (window == placing && message == WM_WINDOWPOSCHANGING) GivePlannedPlace(window, position);
  if (window == placing && message == WM_WINDOWPOSCHANGED && (position->flags & SWP_SHOWWINDOW)) {
    Release(window);
    TellRun();
  }
  return result;
}

void HookThread(DWORD thread) {
  const LONG slot = InterlockedIncrement(&hookCount) - 1;
  if (slot < HookSlots)
    hooks[slot] = SetWindowsHookExA(WH_CBT, PlaceHook, ThisLibrary(), thread);
  else
    InterlockedDecrement(&hookCount);
}

// The program's threads other than this one, which the run hooked already.
void HookOtherThreads() {
  HANDLE threads = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (threads == INVALID_HANDLE_VALUE) return;
  THREADENTRY32 thread;
  thread.dwSize = sizeof thread;
  for (BOOL more = Thread32First(threads, &thread); more; more = Thread32Next(threads, &thread))
    if (thread.th32OwnerProcessID == GetCurrentProcessId() &&
        thread.th32ThreadID != GetCurrentThreadId())
      HookThread(thread.th32ThreadID);
  CloseHandle(threads);
}

}  // namespace

void StayInProcess() { InterlockedExchange(&stays, 1); }

// The first window created that will be a main window is the one placed.
extern "C" LRESULT CALLBACK PlaceHook(int code, WPARAM wParam, LPARAM lParam) {
  LibraryFrame frame;
  if (code == HCBT_CREATEWND && looking) {
    const CREATESTRUCTA* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
    HWND window = reinterpret_cast<HWND>(wParam);
    // One window only, taken by one thread.
    if (IsEarlyMainWindow(create->style, create->dwExStyle, create->hwndParent != nullptr) &&
        InterlockedExchange(&looking, 0) && UseBlock(window, nullptr)) {
      placing = window;
      wide = IsWindowUnicode(window);
      auto set = wide ? SetWindowLongPtrW : SetWindowLongPtrA;
      programProcedure = reinterpret_cast<WNDPROC>(
          set(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PlacingProcedure)));
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Started by the run in the program once it has removed its hook (and, when
// the window answered, taken the subclass away): removes the hooks set here
// and frees the library, unless a frame of it is still on a stack, its
// subclass is still in place or something else of the program's brought it
// in. Then it stays, pinned, so that no later FreeLibrary can take it out.
extern "C" DWORD WINAPI LeaveIfDone(void*) {
  InterlockedExchange(&looking, 0);
  InterlockedExchange(&finished, 1);
  bool unhooked = true;
  const LONG count = InterlockedExchange(&hookCount, HookSlots);  // no more hooks from now on
  for (LONG slot = 0; slot < count && slot < HookSlots; ++slot)
    if (hooks[slot] && !UnhookWindowsHookEx(hooks[slot])) unhooked = false;
  if (!unhooked || stays || placing || libraryFrames != 0) {
    InterlockedExchange(&stays, 1);
    Pin();
    return 0;
  }
  FreeLibraryAndExitThread(ThisLibrary(), 0);
}

// The library's entry, without the C runtime's start-up: it has no static
// constructors. In the started program (the one its block names) it hooks
// every other thread, those started later too.
extern "C" BOOL WINAPI LibraryEntry(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH && UseBlock(nullptr, ThisLibrary())) {
    InterlockedExchange(&looking, 1);
    HookOtherThreads();
  }
  if (reason == DLL_THREAD_ATTACH && looking) HookThread(GetCurrentThreadId());
  return TRUE;
}
