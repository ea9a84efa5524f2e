// tavrisolhelper.dll: the mouse hook behind the editor's click-to-pick. The
// hook procedure runs in whatever process receives the click, so what it
// records lives in a section shared by every process that loads the library.
#include <windows.h>

#include "helper/in_program.h"

#define SHARED __attribute__((section("shared"), shared))

static HWND notifyWindow SHARED = nullptr;  // the editor window to tell of a pick
static HWND pickedWindow SHARED = nullptr;  // top-level window of the last pick
static LONG waitingForPick SHARED = 0;      // 1 from arming until the first click
static DWORD editorProcess SHARED = 0;      // the armer: its own windows are never a pick
static LONG pickUndelivered SHARED = 0;     // 1 when a pick could not be posted to the editor

static bool IsButtonDown(WPARAM message) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
      return true;
    default:
      return false;
  }
}

// A button-down on a window of the editor's own process (Select again, Cancel)
// is left alone.
static bool IsEditorWindow(HWND window) {
  DWORD processId = 0;
  return window && GetWindowThreadProcessId(window, &processId) && processId == editorProcess;
}

// WH_MOUSE hook: the first button-down on another program's window after
// arming is the pick. It is swallowed so the picked program never sees the
// click, unless the editor can't be told (it is gone, or runs with higher
// rights than the clicked program): then the click goes on as usual, the
// picker disarms and the editor finds out when it asks.
extern "C" LRESULT CALLBACK MouseHook(int code, WPARAM wParam, LPARAM lParam) {
  LibraryFrame frame;
  if (code >= 0 && IsButtonDown(wParam) && waitingForPick) {
    auto* mouse = reinterpret_cast<MOUSEHOOKSTRUCT*>(lParam);
    if (!IsEditorWindow(mouse->hwnd) && InterlockedExchange(&waitingForPick, 0)) {
      pickedWindow = GetAncestor(mouse->hwnd, GA_ROOT);
      if (PostMessageA(notifyWindow, WM_USER, 0, 0)) return 1;
      pickedWindow = nullptr;
      InterlockedExchange(&pickUndelivered, 1);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Writes the placement command line of the picked window into the editor's
// PickTextSize-byte buffer; the empty text when there is none.
static void FetchPick(char* buffer) {
  buffer[0] = '\0';
  HWND window = pickedWindow;
  RECT rect;
  if (!window || !GetWindowRect(window, &rect)) return;
  char path[TextSize] = "";
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (process) {
    DWORD size = sizeof path;
    if (!QueryFullProcessImageNameA(process, 0, path, &size)) path[0] = '\0';
    CloseHandle(process);
  }
  ComposePickText(buffer, PickTextSize, rect.left, rect.top, rect.right, rect.bottom, path);
}

// With a hook handle: arm, reporting to the window. With none, the second
// argument is either the editor window (its hook failed: stay disarmed) or
// the editor's fetch buffer, which is never a window of the calling process.
extern "C" void WINAPI InitMouseHook(HHOOK hook, void* windowOrBuffer) {
  if (hook) {
    notifyWindow = static_cast<HWND>(windowOrBuffer);
    editorProcess = GetCurrentProcessId();
    pickedWindow = nullptr;
    InterlockedExchange(&pickUndelivered, 0);
    InterlockedExchange(&waitingForPick, 1);
    return;
  }
  InterlockedExchange(&waitingForPick, 0);
  HWND window = static_cast<HWND>(windowOrBuffer);
  DWORD processId = 0;
  if (IsWindow(window) && GetWindowThreadProcessId(window, &processId) &&
      processId == GetCurrentProcessId())
    return;
  if (windowOrBuffer) FetchPick(static_cast<char*>(windowOrBuffer));
}

// Whether a pick was lost since arming (the editor asks while armed); the
// answer is given once.
extern "C" LONG WINAPI PickUndelivered() { return InterlockedExchange(&pickUndelivered, 0); }
