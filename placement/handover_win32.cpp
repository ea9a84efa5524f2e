// The follower on the system's window events, which carry no context: the
// follower they serve is this file's, one at a time.
#include <windows.h>

#include "diag/diag.h"
#include "placement/early.h"
#include "placement/handover.h"
#include "placement/move.h"

namespace {

const DWORD WatchMs = 10;  // between two looks at a window made and not yet shown

// The follower the system's event callback serves, on the run's thread.
HandOverFollower* serving = nullptr;

void Watch(HWND window) {
  for (uintptr_t& slot : serving->watched) {
    if (slot != 0) continue;
    slot = reinterpret_cast<uintptr_t>(window);
    return;
  }
}

// Lets go of the watched windows that are shown or gone: whether one was
// shown, and whether any is still awaited.
bool LookAtWatched(HandOverFollower* follower, bool* waiting) {
  bool shown = false;
  *waiting = false;
  for (uintptr_t& slot : follower->watched) {
    HWND window = reinterpret_cast<HWND>(slot);
    if (window == nullptr) continue;
    shown = shown || IsWindowVisible(window);
    if (!IsWindow(window) || IsWindowVisible(window)) slot = 0;
    *waiting = *waiting || slot != 0;
  }
  return shown;
}

bool InJob(DWORD processId) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
  BOOL inJob = FALSE;
  if (process != nullptr) {
    IsProcessInJob(process, reinterpret_cast<HANDLE>(serving->job), &inJob);
    CloseHandle(process);
  }
  return inJob != FALSE;
}

BOOL CALLBACK FindStartedMain(HWND window, LPARAM found) {
  const WindowRef ref = reinterpret_cast<WindowRef>(window);
  *reinterpret_cast<bool*>(found) =
      SystemWindowOps.ownerProcess(ref) == serving->started && IsMainWindow(SystemWindowOps, ref);
  return !*reinterpret_cast<bool*>(found);
}

void CALLBACK MoveAsMade(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD,
                         DWORD) {
  if (serving == nullptr || object != OBJID_WINDOW || child != CHILDID_SELF ||
      GetAncestor(window, GA_PARENT) != GetDesktopWindow() ||
      GetWindow(window, GW_OWNER) != nullptr)
    return;
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (!InJob(processId)) return;
  Watch(window);  // where the system tells of the show too, it is seen at once
  SetEvent(reinterpret_cast<HANDLE>(serving->woken));
  if (event != EVENT_OBJECT_CREATE) return;
  const uint32_t style = static_cast<uint32_t>(GetWindowLongA(window, GWL_STYLE)) | WS_VISIBLE;
  if (processId == serving->started ||
      !IsMainStyle(style, static_cast<uint32_t>(GetWindowLongA(window, GWL_EXSTYLE)), false))
    return;
  bool startedShows = false;
  EnumWindows(FindStartedMain, reinterpret_cast<LPARAM>(&startedShows));
  if (startedShows) return;
  TraceLine("window %x moved as it was made\r\n",
            static_cast<unsigned>(reinterpret_cast<uintptr_t>(window)));
  // A fill from the window's own frame, as it is now; the run's placing
  // clips it later where other monitors would show the rest.
  const WindowRef ref = reinterpret_cast<WindowRef>(window);
  const PlacementRequest& request = serving->request;
  MovePlan plan;
  if (!PlanMove(ref, request.left, request, &plan)) return;
  // Posted: a program busy making its window never holds the run.
  SetWindowBox(ref, plan.window, true);
  if (serving->placed != 0) SetEvent(reinterpret_cast<HANDLE>(serving->placed));
}

}  // namespace

void FollowHandOver(HandOverFollower* follower, const PlacementRequest& request, uintptr_t job,
                    uint32_t startedId, bool tellPlaced) {
  if (job == 0 || serving != nullptr) return;
  *follower = HandOverFollower();
  follower->job = job;
  follower->started = startedId;
  // A handle of its own: the early placing closes the run's once its wait is over.
  char name[EarlyNameSize];
  if (tellPlaced && EarlyObjectName(EarlyPlacedName, startedId, name, sizeof name))
    follower->placed = reinterpret_cast<uintptr_t>(CreateEventA(nullptr, TRUE, FALSE, name));
  follower->request = request;
  follower->woken = reinterpret_cast<uintptr_t>(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  serving = follower;
  // Every process: what the program hands over to may be any.
  follower->hook = reinterpret_cast<uintptr_t>(
      SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_SHOW, nullptr, MoveAsMade, 0, 0,
                      WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS));
}

void StopFollowingHandOver(HandOverFollower* follower) {
  if (follower->hook != 0) UnhookWinEvent(reinterpret_cast<HWINEVENTHOOK>(follower->hook));
  if (follower->woken != 0) CloseHandle(reinterpret_cast<HANDLE>(follower->woken));
  if (follower->placed != 0) CloseHandle(reinterpret_cast<HANDLE>(follower->placed));
  if (serving == follower) serving = nullptr;
  *follower = HandOverFollower();
}

// The system tells when a window is made, not always when it is shown: a
// window made is looked at every few milliseconds until it is.
void WaitForShownWindow(HandOverFollower* follower, uint32_t milliseconds) {
  const DWORD start = GetTickCount();
  const void* woken = reinterpret_cast<const void*>(follower->woken);
  bool waiting = false;
  for (DWORD elapsed = 0; elapsed < milliseconds && !LookAtWatched(follower, &waiting);
       elapsed = GetTickCount() - start) {
    const DWORD left = milliseconds - elapsed;
    WaitPumping(&woken, woken != nullptr, waiting && left > WatchMs ? WatchMs : left);
  }
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
