#include <windows.h>

#include "diag/diag.h"
#include "placement/handover.h"
#include "placement/targets.h"

namespace {

// Set by FollowHandOver and read by the event callback, both on the run's thread.
struct Followed {
  HWINEVENTHOOK hook;
  HANDLE job;
  DWORD started;
  HANDLE placed;
  PlacementRequest request;
};
Followed followed;

BOOL CALLBACK FindStartedMain(HWND window, LPARAM found) {
  const WindowRef ref = reinterpret_cast<WindowRef>(window);
  *reinterpret_cast<bool*>(found) =
      SystemWindowOps.ownerProcess(ref) == followed.started && IsMainWindow(SystemWindowOps, ref);
  return !*reinterpret_cast<bool*>(found);
}

void CALLBACK MoveAsMade(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
  if (object != OBJID_WINDOW || child != CHILDID_SELF ||
      GetAncestor(window, GA_PARENT) != GetDesktopWindow())
    return;
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  const uint32_t style = static_cast<uint32_t>(GetWindowLongA(window, GWL_STYLE)) | WS_VISIBLE;
  if (processId == followed.started ||
      !IsMainStyle(style, static_cast<uint32_t>(GetWindowLongA(window, GWL_EXSTYLE)),
                   GetWindow(window, GW_OWNER) != nullptr))
    return;
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
  BOOL inJob = FALSE;
  if (process != nullptr) {
    IsProcessInJob(process, followed.job, &inJob);
    CloseHandle(process);
  }
  bool startedShows = false;
  if (inJob) EnumWindows(FindStartedMain, reinterpret_cast<LPARAM>(&startedShows));
  if (!inJob || startedShows) return;
  TraceLine("window %x moved as it was made\r\n",
            static_cast<unsigned>(reinterpret_cast<uintptr_t>(window)));
  // Posted: a program busy making its window never holds the run.
  const PlacementRequest& r = followed.request;
  SetWindowPos(window, nullptr, r.left, r.top, r.width, r.height,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
  if (followed.placed != nullptr) SetEvent(followed.placed);
}

}  // namespace

void FollowHandOver(const PlacementRequest& request, uintptr_t job, uint32_t startedId,
                    uintptr_t placedEvent) {
  if (request.fill != FillNone || job == 0 || followed.hook != nullptr) return;
  followed = {nullptr, reinterpret_cast<HANDLE>(job), startedId,
              reinterpret_cast<HANDLE>(placedEvent), request};
  // Every process: what the program hands over to may be any.
  followed.hook = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_SHOW, nullptr, MoveAsMade, 0, 0,
                                  WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
}

void StopFollowingHandOver() {
  if (followed.hook != nullptr) UnhookWinEvent(followed.hook);
  followed.hook = nullptr;
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
