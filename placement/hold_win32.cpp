#include <windows.h>

#include "placement/hold.h"

namespace {

HANDLE heldProcess = nullptr;  // the target, opened only to see it end

WindowRef MovingWindow(WindowRef window) {
  DWORD thread = GetWindowThreadProcessId(reinterpret_cast<HWND>(window), nullptr);
  GUITHREADINFO info;
  ZeroMemory(&info, sizeof info);
  info.cbSize = sizeof info;
  if (thread == 0 || !GetGUIThreadInfo(thread, &info) || (info.flags & GUI_INMOVESIZE) == 0)
    return 0;
  return reinterpret_cast<WindowRef>(info.hwndMoveSize);
}

bool WaitForExit(uint32_t milliseconds) {
  // A process that cannot be opened is held for the whole time.
  if (heldProcess == nullptr) {
    Sleep(milliseconds);
    return false;
  }
  return WaitForSingleObject(heldProcess, milliseconds) == WAIT_OBJECT_0;
}

uint32_t TickCount() { return GetTickCount(); }

}  // namespace

bool HoldPlacement(const PlacementRequest& request, uint32_t processId) {
  heldProcess = OpenProcess(SYNCHRONIZE, FALSE, processId);
  const HoldOps ops = {&SystemWindowOps, MovingWindow, WaitForExit, TickCount};
  bool placed = HoldPlacement(ops, request, processId);
  if (heldProcess != nullptr) CloseHandle(heldProcess);
  heldProcess = nullptr;
  return placed;
}
