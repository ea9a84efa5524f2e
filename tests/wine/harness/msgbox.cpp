// Finding, reading and dismissing the message boxes of another process.
#include "harness.h"

namespace harness {
namespace {

struct BoxSearch {
  DWORD pid;
  bool visibleOnly;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectBox(HWND window, LPARAM param) {
  BoxSearch* search = reinterpret_cast<BoxSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->pid) return TRUE;
  char className[64];
  if (!GetClassNameA(window, className, sizeof className)) return TRUE;
  if (lstrcmpA(className, "#32770") != 0) return TRUE;
  if (search->visibleOnly && !IsWindowVisible(window)) return TRUE;
  search->found.push_back(window);
  return TRUE;
}

// GetWindowText reads another process's window text without sending it a message, so this
// works even while that process is stopped.
std::string WindowText(HWND window) {
  int length = GetWindowTextLengthA(window);
  std::string text(length + 1, '\0');
  int n = GetWindowTextA(window, &text[0], length + 1);
  text.resize(n > 0 ? n : 0);
  return text;
}

}  // namespace

std::vector<HWND> FindMessageBoxes(DWORD pid, bool visibleOnly) {
  BoxSearch search{pid, visibleOnly, {}};
  EnumWindows(CollectBox, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool ReadMessageBox(HWND box, MessageBoxInfo* info) {
  HWND textControl = GetDlgItem(box, 0xFFFF);
  if (!textControl) return false;
  info->caption = WindowText(box);
  info->text = WindowText(textControl);
  return true;
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
