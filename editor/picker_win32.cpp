// Click-to-pick: the editor's side of the companion library's mouse hook.
#include <windows.h>

#include "diag/diag.h"
#include "editor/picker.h"
#include "helper/pick_text.h"
#include "resources/resource.h"

HMODULE helperLibrary = nullptr;
InitMouseHookProc initMouseHook = nullptr;
HOOKPROC mouseHookProc = nullptr;
HHOOK pickerHook = nullptr;

void PickerSelect(HWND window) {
  if (pickerHook) {
    UnhookWindowsHookEx(pickerHook);
    pickerHook = nullptr;
    return;
  }
  // Without the library's hook procedure there is nothing to install.
  if (mouseHookProc) pickerHook = SetWindowsHookExA(WH_MOUSE, mouseHookProc, helperLibrary, 0);
  if (!pickerHook) MessageReport(CaptionFailure, "failed to hook");
  if (initMouseHook) initMouseHook(pickerHook, window);
}

void PickerNotify(HWND window) {
  UnhookWindowsHookEx(pickerHook);
  pickerHook = nullptr;
  if (!initMouseHook) return;
  char buffer[PickTextSize];
  buffer[0] = '\0';
  initMouseHook(nullptr, buffer);
  buffer[sizeof buffer - 1] = '\0';
  SetDlgItemTextA(window, IDC_INPUT, buffer);
}

void PickerTeardown() {
  if (pickerHook) {
    UnhookWindowsHookEx(pickerHook);
    pickerHook = nullptr;
  }
}
