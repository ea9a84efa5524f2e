// The hold on the system: the user's own moves are seen from the system's
// events, and the hold's waits hand those events to this thread.
#include <windows.h>

#include "placement/bounded.h"
#include "placement/handover.h"
#include "placement/hold.h"
#include "placement/move.h"

namespace {

// The window whose move or size the user began since the last look, as the
// system tells it (written by the event callback on this thread only): a
// short drag or a snap between two looks is seen too.
HWND takenInHand = nullptr;

void CALLBACK NoteMoveSizeStart(HWINEVENTHOOK, DWORD, HWND window, LONG, LONG, DWORD, DWORD) {
  takenInHand = window;
}

WindowRef MovingWindow(WindowRef window) {
  if (reinterpret_cast<HWND>(window) == takenInHand) return window;
  DWORD thread = GetWindowThreadProcessId(reinterpret_cast<HWND>(window), nullptr);
  GUITHREADINFO info;
  ZeroMemory(&info, sizeof info);
  info.cbSize = sizeof info;
  if (thread == 0 || !GetGUIThreadInfo(thread, &info) || (info.flags & GUI_INMOVESIZE) == 0)
    return 0;
  return reinterpret_cast<WindowRef>(info.hwndMoveSize);
}

// Waits for the end of a process, handing the system's events to the callback meanwhile.
bool WaitForExit(const Program& program, uint32_t milliseconds) {
  const void* handles[ProgramSlots];
  uint32_t count = 0;
  for (uint32_t i = 0; i < program.count && i < ProgramSlots; ++i)
    if (program.processes[i].handle != 0)
      handles[count++] = reinterpret_cast<const void*>(program.processes[i].handle);
  return count == 0 || WaitPumping(handles, count, milliseconds);
}

uint32_t TickCount() { return GetTickCount(); }

bool HasExited(ProcessRef process) {
  return WaitForSingleObject(reinterpret_cast<HANDLE>(process), 0) != WAIT_TIMEOUT;
}

void Close(ProcessRef process) { CloseHandle(reinterpret_cast<HANDLE>(process)); }

// What the program started is followed too: through its job at every look,
// anywhere too (through the processes' parents) when a process of it has ended.
uint32_t Find(Program* program, bool windowOwnersOnly) {
  return FindProgram(program, windowOwnersOnly) + FindHandedOver(program, !windowOwnersOnly);
}

void ReleaseClipNow(void* window) { ReleaseClip(*static_cast<WindowRef*>(window)); }

// Taking a region away waits for the window's thread, as a move does.
void ReleaseClipWithin(WindowRef window) {
  CallWithin(AnswerTimeoutMs, ReleaseClipNow, &window, sizeof window);
}

const HoldOps SystemHoldOps = {
    .windows = &SystemWindowOps,
    .movingWindow = MovingWindow,
    .waitForExit = WaitForExit,
    .tickCount = TickCount,
    .findProgram = Find,
    .hasExited = HasExited,
    .closeHandle = Close,
    .releaseClip = ReleaseClipWithin,
};

}  // namespace

void PutBackPlaced(const PlacementRequest& request, WindowState* state) {
  PutBackPlaced(SystemHoldOps, request, state);
}

bool HoldPlacement(const PlacementRequest& request, Program* program, WindowState* state) {
  const HoldOps& ops = SystemHoldOps;
  HWINEVENTHOOK hook =
      SetWinEventHook(EVENT_SYSTEM_MOVESIZESTART, EVENT_SYSTEM_MOVESIZESTART, nullptr,
                      NoteMoveSizeStart, 0, 0, WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
  const bool placed = HoldPlacement(ops, request, program, state);
  if (hook != nullptr) UnhookWinEvent(hook);
  return placed;
}
