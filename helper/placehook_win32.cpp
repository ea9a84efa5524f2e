// The library's part inside a started program, which places the program's
// first main window before it is shown. The run hooks the program's window
// events in context; the system loads the library into the program for them
// and calls PlaceEvent in the thread that has just made a window, before it
// shows. The first main window is subclassed there and given the rectangle of
// the run's block at every move or size until it is first shown; the run is
// told then, and ends.
//
// From that show until the program is ready for input, a second at most, the
// library keeps what the program does as it finishes starting from showing:
// a move of the program's own (a saved place restored) leaves its window
// where it is, and a main window it makes meanwhile is placed before it
// shows, a cascade step to the right of the one before. The run is gone by
// then, so the library hears of those windows through a hook of its own on
// the program. Moves from elsewhere (a hold, the next run, the user) go
// through. The program is ready once a message the library posts to the
// first window finds no posted or sent message behind it.
//
// Leaving is the system's: once the hooks are removed, the system takes the
// library out of the program again. While a window of the program still
// runs through a subclass, the library holds a reference of its own, taken
// from within; a thread of its own drops it once every subclass is gone and
// no frame of the library is left on a stack. Where a subclass cannot go (the
// program subclassed the window after it), the library stays, pinned and idle.
#include <windows.h>

#include "base/moveplan.h"
#include "helper/in_program.h"

LONG libraryFrames;
HANDLE framesDone;

namespace {

enum {
  HeldSlots = 4,  // the first window and those made while it is held
  HoldMs = 1000,  // the longest the library keeps a started program from moving
};

// A window the library took. Written by the thread that took it, before the
// subclass can run; released only in the window's own thread.
struct Held {
  HWND window;
  WNDPROC procedure;  // the program's, before the subclass
  bool wide;          // a Unicode window: its procedure is set and called wide
  bool shown;         // shown at its place: only the program's own moves are kept off
  bool released;      // the subclass is gone, or stays only as a link in the program's chain
};

// This process's share; all start at zero: the library has no data of its own
// to load. taken and released are counted with interlocked calls (any thread
// may make a window).
LONG taken;             // slots handed out
LONG released;          // slots released
Held held[HeldSlots];   // in the order taken: the first is the run's window
EarlyBlock request;     // the run's request, as the first window was taken
EarlyBlock* block;      // the run's block, mapped until the first window is released
DWORD shownAt;          // when the first window showed
bool ready;             // the program was ready, or the user took a window over
HWINEVENTHOOK ownHook;  // the library's own, on the program, while it holds
UINT readyMessage;      // what the library posts to learn the program is ready
bool pinned;            // a subclass stays in a chain: so does the library
LONG leaving;           // 1 once the thread that lets the library leave is started

__attribute__((always_inline)) inline void Pin() {
  HMODULE module;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCSTR>(&Pin), &module);
  pinned = true;
}

bool Holding() { return held[0].shown && !ready && GetTickCount() - shownAt < HoldMs; }

Held* Find(HWND window) {
  for (Held& slot : held)
    if (slot.window == window) return &slot;
  return nullptr;
}

LONG Taken() { return taken < HeldSlots ? taken : LONG{HeldSlots}; }

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
// system's size limit too; a later window a cascade step on. A fill is
// planned in the window's own view already.
void GivePlannedPlace(HWND window, const Held& slot, WINDOWPOS* position) {
  if (GetWindowLongA(window, GWL_STYLE) & (WS_MINIMIZE | WS_MAXIMIZE)) return;
  const int32_t left = static_cast<int32_t>(static_cast<uint32_t>(request.left) +
                                            CascadeStep * static_cast<uint32_t>(&slot - held));
  const WindowBox asked = {left, request.top, left + request.width, request.top + request.height};
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

// Drops the library's own reference once every subclass is gone and no
// frame of it is left on a stack: the frame that started this thread, and
// any the program's own loops hold. Where that never comes about, it stays,
// pinned.
DWORD WINAPI Leave(void*) {
  for (DWORD waited = 0; waited < 60000 && !pinned; waited += 50) {
    if (libraryFrames == 0 && released == Taken() && !Holding()) {
      Sleep(50);  // the last frame's own few instructions after its count
      if (libraryFrames == 0 && released == Taken()) FreeLibraryAndExitThread(ThisLibrary(), 0);
    }
    WaitForSingleObject(framesDone, 50);
  }
  Pin();
  return 0;
}

LRESULT CALLBACK SubclassProcedure(HWND, UINT, WPARAM, LPARAM);

// Takes the subclass away, in the window's own thread; the first window's
// also takes the library's hook, which that thread set. The last one lets
// the library leave. When the program subclassed the window after us, ours
// stays in its chain, and the library with it, for good.
void Release(Held* slot) {
  slot->released = true;
  if (slot == held) {
    if (ownHook) UnhookWinEvent(ownHook);
    ownHook = nullptr;
    UnmapViewOfFile(block);
    block = nullptr;
  }
  auto set = slot->wide ? SetWindowLongPtrW : SetWindowLongPtrA;
  auto get = slot->wide ? GetWindowLongPtrW : GetWindowLongPtrA;
  if (get(slot->window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(SubclassProcedure))
    set(slot->window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(slot->procedure));
  else
    Pin();
  if (InterlockedIncrement(&released) != Taken() || pinned || InterlockedExchange(&leaving, 1))
    return;
  framesDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
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

// The first window is at its place: the run is told, and the library holds
// on, with a hook of its own for the windows the program makes meanwhile.
void FirstShown(HWND window) {
  block->shown = 1;
  ownHook = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, ThisLibrary(), PlaceEvent,
                            GetCurrentProcessId(), 0, WINEVENT_INCONTEXT);
  readyMessage = RegisterWindowMessageA("TavrisolReady");
  if (!readyMessage || !PostMessageA(window, readyMessage, 0, 0)) ready = true;
  TellRun();
}

// Ready once no posted or sent message waits behind this one; posted again
// behind what does, for as long as the library holds. Input, painting and
// timers come only after posted messages: waiting for them would starve them.
void AskReady(HWND window) {
  const DWORD waiting = HIWORD(GetQueueStatus(QS_POSTMESSAGE | QS_SENDMESSAGE));
  if (waiting == 0 || !Holding() || !PostMessageA(window, readyMessage, 0, 0)) ready = true;
}

// Whether the window is the program's again: the run no longer waits for the
// first one to show, or the hold is over.
bool LetGo(const Held& slot) {
  return slot.shown || &slot != held ? !Holding() : block->letGo != 0;
}

LRESULT CALLBACK SubclassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LibraryFrame frame;
  Held* slot = Find(window);
  if (message == readyMessage && readyMessage != 0) {
    if (slot == held && !slot->released) AskReady(window);
    return 0;
  }
  if (message == WM_ENTERSIZEMOVE) ready = true;  // the user moves it
  if (!slot->released && (message == WM_NCDESTROY || LetGo(*slot))) Release(slot);
  const WNDPROC program = slot->procedure;
  LRESULT result = slot->wide ? CallWindowProcW(program, window, message, wParam, lParam)
                              : CallWindowProcA(program, window, message, wParam, lParam);
  auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
  if (slot->released || (message != WM_WINDOWPOSCHANGING && message != WM_WINDOWPOSCHANGED))
    return result;
  // After the program's own answer, which the system's size limit is part of.
  // Shown, a move sent from another thread is not the program's own.
  if (message == WM_WINDOWPOSCHANGING && !slot->shown) GivePlannedPlace(window, *slot, position);
  if (message == WM_WINDOWPOSCHANGING && slot->shown && !InSendMessage() &&
      !(GetWindowLongA(window, GWL_STYLE) & (WS_MINIMIZE | WS_MAXIMIZE)))
    position->flags |= SWP_NOMOVE | SWP_NOSIZE;
  if (message == WM_WINDOWPOSCHANGED && (position->flags & SWP_SHOWWINDOW) && !slot->shown) {
    if (slot == held) shownAt = GetTickCount();
    slot->shown = true;
    if (slot == held) FirstShown(window);
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

// The first window: the run's block says where, and the library keeps itself
// in the program from then on, by a reference of its own.
__attribute__((always_inline)) inline bool TakeFirst(HWND window) {
  HMODULE own;
  if (!(block = OpenBlock(GetCurrentProcessId()))) return false;
  if (StartedShows(block->startedId) ||
      !GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                          reinterpret_cast<LPCSTR>(&PlaceEvent), &own)) {
    UnmapViewOfFile(block);
    block = nullptr;
    return false;
  }
  block->window = reinterpret_cast<uintptr_t>(window);
  request = *block;
  return true;
}

}  // namespace

// The first window made that will be a main window is the one placed, and
// those made while it is held after it; the run's hook and the library's own
// may both tell of one window.
extern "C" void CALLBACK PlaceEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object,
                                    LONG child, DWORD, DWORD) {
  LibraryFrame frame;
  if (event != EVENT_OBJECT_CREATE || object != OBJID_WINDOW || child != CHILDID_SELF ||
      (taken != 0 && !Holding()) || !WillBeMainWindow(window) || IsWindowVisible(window) ||
      Find(window))
    return;
  const LONG index = InterlockedIncrement(&taken) - 1;
  if (index >= HeldSlots || (index == 0 && !TakeFirst(window))) return;
  Held& slot = held[index];
  slot.window = window;
  slot.wide = IsWindowUnicode(window);
  auto set = slot.wide ? SetWindowLongPtrW : SetWindowLongPtrA;
  slot.procedure = reinterpret_cast<WNDPROC>(
      set(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProcedure)));
}

// The library's entry, without the C runtime's start-up: it has no static
// constructors, and nothing to do as it comes or goes.
extern "C" BOOL WINAPI LibraryEntry(HINSTANCE, DWORD, LPVOID) { return TRUE; }
