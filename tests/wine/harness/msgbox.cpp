// Finding and dismissing the message boxes of a process.
#include "harness.h"

namespace harness {

std::vector<HWND> FindMessageBoxes(DWORD pid, bool visibleOnly) {
  std::vector<HWND> found;
  for (const WindowInfo& w : TopLevelWindows(pid)) {
    if (w.className != "#32770") continue;
    if (visibleOnly && !IsWindowVisible(w.hwnd)) continue;
    found.push_back(w.hwnd);
  }
  return found;
}

bool DismissMessageBox(HWND box) {
  return PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0) != FALSE;
}

HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs) {
  HWND box = nullptr;
  WaitUntil(
      [&] {
        for (HWND b : FindMessageBoxes(pid)) {
          if (GetDlgItem(b, 0xFFFF)) {
            box = b;
            return true;
          }
        }
        return false;
      },
      timeoutMs);
  return box;
}

}  // namespace harness
