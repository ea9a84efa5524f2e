#include <windows.h>

#include "placement/hold.h"
#include "placement/move.h"

namespace {

WindowRef MovingWindow(WindowRef window) {
  DWORD thread = GetWindowThreadProcessId(reinterpret_cast<HWND>(window), nullptr);
  GUITHREADINFO info;
  ZeroMemory(&info, sizeof info);
  info.cbSize = sizeof info;
  if (thread == 0 || !GetGUIThreadInfo(thread, &info) || (info.flags & GUI_INMOVESIZE) == 0)
    return 0;
  return reinterpret_cast<WindowRef>(info.hwndMoveSize);
}

bool WaitForExit(const Program& program, uint32_t milliseconds) {
  HANDLE handles[ProgramSlots];
  DWORD count = 0;
  for (uint32_t i = 0; i < program.count && i < ProgramSlots; ++i)
    if (program.processes[i].handle != 0)
      handles[count++] = reinterpret_cast<HANDLE>(program.processes[i].handle);
  if (count == 0) return true;
  DWORD result = WaitForMultipleObjects(count, handles, FALSE, milliseconds);
  return result < WAIT_OBJECT_0 + count;
}

uint32_t TickCount() { return GetTickCount(); }

bool HasExited(ProcessRef process) {
  return WaitForSingleObject(reinterpret_cast<HANDLE>(process), 0) != WAIT_TIMEOUT;
}

void Close(ProcessRef process) { CloseHandle(reinterpret_cast<HANDLE>(process)); }

// What the program started is followed too: through its job at every look,
// through the parent links too when a process of it has ended.
uint32_t Find(Program* program, bool windowOwnersOnly) {
  return FindProgram(program, windowOwnersOnly) + FindLaunched(program, !windowOwnersOnly);
}

}  // namespace

bool HoldPlacement(const PlacementRequest& request, Program* program, WindowState* state) {
  const HoldOps ops = {&SystemWindowOps, MovingWindow, WaitForExit, TickCount,
                       Find,             HasExited,    Close,       ReleaseClip};
  return HoldPlacement(ops, request, program, state);
}
