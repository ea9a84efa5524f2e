#include <windows.h>

#include "placement/hold.h"

namespace {

HANDLE heldProcess = nullptr;  // the target, opened only to see it end

bool InMoveSize(WindowRef window) {
  DWORD thread = GetWindowThreadProcessId(reinterpret_cast<HWND>(window), nullptr);
  GUITHREADINFO info;
  ZeroMemory(&info, sizeof info);
  info.cbSize = sizeof info;
  return thread != 0 && GetGUIThreadInfo(thread, &info) && (info.flags & GUI_INMOVESIZE) != 0;
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

void HoldPlacement(const PlacementRequest& request, uint32_t processId) {
  heldProcess = OpenProcess(SYNCHRONIZE, FALSE, processId);
  const HoldOps ops = {&SystemWindowOps, InMoveSize, WaitForExit, TickCount};
  HoldPlacement(ops, request, processId);
  if (heldProcess != nullptr) CloseHandle(heldProcess);
  heldProcess = nullptr;
}
