// Finding and dismissing the message boxes of a process.
#include "harness.h"

namespace harness {

std::vector<HWND> FindMessageBoxes(DWORD pid, bool visibleOnly) {
  std::vector<HWND> found;
  // No window texts here: the shortcut tests watch their own process's boxes from a second
  // thread while the first may be busy.
  for (HWND window : TopLevelWindowHandles(pid)) {
    if (!HasClass(window, "#32770")) continue;
    if (visibleOnly && !IsWindowVisible(window)) continue;
    found.push_back(window);
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
