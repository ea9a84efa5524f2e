#include <windows.h>

#include "diag/diag.h"
#include "placement/early.h"
#include "placement/fill.h"
#include "placement/handover.h"
#include "placement/targets.h"

namespace {

enum { WatchSlots = 8 };
const DWORD WatchMs = 10;  // between two looks at a window made and not yet shown

// Set by FollowHandOver and read by the event callback and the waits, all on
// the run's thread.
// Every member has its initialiser, so that the variable is made with the
// program's image, never by a constructor at its start.
struct Followed {
  HWINEVENTHOOK hook = nullptr;
  HANDLE job = nullptr;
  DWORD started = 0;
  HANDLE placed = nullptr;
  PlacementRequest request = {0, 0, 0, 0, nullptr, 0};
  HANDLE woken = nullptr;         // set when a window of the job's is made or shown
  HWND watched[WatchSlots] = {};  // made by a process of the job, not yet shown
};
Followed followed;

void Watch(HWND window) {
  for (HWND& slot : followed.watched) {
    if (slot != nullptr) continue;
    slot = window;
    return;
  }
}

// Lets go of the watched windows that are shown or gone: whether one was
// shown, and whether any is still awaited.
bool LookAtWatched(bool* waiting) {
  bool shown = false;
  *waiting = false;
  for (HWND& window : followed.watched) {
    if (window == nullptr) continue;
    shown = shown || IsWindowVisible(window);
    if (!IsWindow(window) || IsWindowVisible(window)) window = nullptr;
    *waiting = *waiting || window != nullptr;
  }
  return shown;
}

bool InJob(DWORD processId) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
  BOOL inJob = FALSE;
  if (process != nullptr) {
    IsProcessInJob(process, followed.job, &inJob);
    CloseHandle(process);
  }
  return inJob != FALSE;
}

BOOL CALLBACK FindStartedMain(HWND window, LPARAM found) {
  const WindowRef ref = reinterpret_cast<WindowRef>(window);
  *reinterpret_cast<bool*>(found) =
      SystemWindowOps.ownerProcess(ref) == followed.started && IsMainWindow(SystemWindowOps, ref);
  return !*reinterpret_cast<bool*>(found);
}

void CALLBACK MoveAsMade(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD,
                         DWORD) {
  if (object != OBJID_WINDOW || child != CHILDID_SELF ||
      GetAncestor(window, GA_PARENT) != GetDesktopWindow() ||
      GetWindow(window, GW_OWNER) != nullptr)
    return;
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (!InJob(processId)) return;
  Watch(window);  // where the system tells of the show too, it is seen at once
  SetEvent(followed.woken);
  if (event != EVENT_OBJECT_CREATE) return;
  const uint32_t style = static_cast<uint32_t>(GetWindowLongA(window, GWL_STYLE)) | WS_VISIBLE;
  if (processId == followed.started ||
      !IsMainStyle(style, static_cast<uint32_t>(GetWindowLongA(window, GWL_EXSTYLE)), false))
    return;
  bool startedShows = false;
  EnumWindows(FindStartedMain, reinterpret_cast<LPARAM>(&startedShows));
  if (startedShows) return;
  TraceLine("window %x moved as it was made\r\n",
            static_cast<unsigned>(reinterpret_cast<uintptr_t>(window)));
  // A fill from the window's own frame, as it is now; the run's placing
  // clips it later where other monitors would show the rest.
  const PlacementRequest& r = followed.request;
  FillPlan plan = {{r.left, r.top, r.left + r.width, r.top + r.height}, false, {}};
  WindowBox outer;
  if (r.fill != FillNone && !PlanWindowFill(reinterpret_cast<WindowRef>(window), r, &plan, &outer))
    return;
  const WindowBox& box = plan.window;
  // Posted: a program busy making its window never holds the run.
  SetWindowPos(window, nullptr, box.left, box.top, box.right - box.left, box.bottom - box.top,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
  if (followed.placed != nullptr) SetEvent(followed.placed);
}

}  // namespace

void FollowHandOver(const PlacementRequest& request, uintptr_t job, uint32_t startedId,
                    bool tellPlaced) {
  if (job == 0 || followed.hook != nullptr) return;
  ZeroMemory(&followed, sizeof followed);  // all its defaults are 0
  followed.job = reinterpret_cast<HANDLE>(job);
  followed.started = startedId;
  // A handle of its own: the early placing closes the run's once its wait is over.
  char name[EarlyNameSize];
  if (tellPlaced && EarlyObjectName(EarlyPlacedName, startedId, name, sizeof name))
    followed.placed = CreateEventA(nullptr, TRUE, FALSE, name);
  followed.request = request;
  followed.woken = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  // Every process: what the program hands over to may be any.
  followed.hook = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_SHOW, nullptr, MoveAsMade, 0, 0,
                                  WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
}

void StopFollowingHandOver() {
  if (followed.hook != nullptr) UnhookWinEvent(followed.hook);
  if (followed.woken != nullptr) CloseHandle(followed.woken);
  if (followed.placed != nullptr) CloseHandle(followed.placed);
  ZeroMemory(&followed, sizeof followed);  // all its defaults are 0
}

// The system tells when a window is made, not always when it is shown: a
// window made is looked at every few milliseconds until it is.
uint32_t WaitForShownWindow(uint32_t milliseconds) {
  const DWORD start = GetTickCount();
  const void* woken = followed.woken;
  bool waiting = false;
  for (DWORD elapsed = 0; elapsed < milliseconds && !LookAtWatched(&waiting);
       elapsed = GetTickCount() - start) {
    const DWORD left = milliseconds - elapsed;
    WaitPumping(&woken, woken != nullptr, waiting && left > WatchMs ? WatchMs : left);
  }
  return GetTickCount() - start;
}

bool WaitPumping(const void* const* handles, uint32_t count, uint32_t milliseconds) {
  const DWORD start = GetTickCount();
  for (DWORD elapsed = 0; elapsed <= milliseconds; elapsed = GetTickCount() - start) {
    DWORD result = MsgWaitForMultipleObjects(count, const_cast<HANDLE*>(handles), FALSE,
                                             milliseconds - elapsed, QS_ALLINPUT);
    if (result < WAIT_OBJECT_0 + count) return true;
    if (result != WAIT_OBJECT_0 + count) return false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
  return false;
}
