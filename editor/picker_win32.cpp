// Click-to-pick: the editor's side of the library's mouse hook.
#include <windows.h>

#include "diag/diag.h"
#include "editor/picker.h"
#include "resources/resource.h"

HMODULE pickerLibrary = nullptr;
decltype(&InitMouseHook) initMouseHook = nullptr;
decltype(&MouseHook) mouseHookProc = nullptr;
decltype(&PickUndelivered) pickUndelivered = nullptr;
HHOOK pickerHook = nullptr;

enum {
  PickerTimer = 1,  // asks the library for a lost pick while armed
  PickerTimerMs = 250,
};

// While armed, the Select button says what the next click does.
static void Disarm(HWND window) {
  UnhookWindowsHookEx(pickerHook);
  pickerHook = nullptr;
  KillTimer(window, PickerTimer);
  SetDlgItemTextA(window, IDC_SELECT, "Select");
}

bool PickerDisarm(HWND window) {
  if (!pickerHook) return false;
  Disarm(window);
  return true;
}

void PickerSelect(HWND window) {
  if (PickerDisarm(window)) return;
  // Without the library's hook procedure there is nothing to install.
  if (mouseHookProc) pickerHook = SetWindowsHookExA(WH_MOUSE, mouseHookProc, pickerLibrary, 0);
  if (!pickerHook) {
    // Without the procedure no call was made, and there is no reason to give.
    char* reason = mouseHookProc ? LastErrorText() : nullptr;
    MessageReport(CaptionFailure, reason ? "failed to hook\n%s" : "failed to hook", reason);
    LocalFree(reason);
  }
  if (initMouseHook) initMouseHook(pickerHook, window);
  if (pickerHook && pickUndelivered) SetTimer(window, PickerTimer, PickerTimerMs, nullptr);
  if (pickerHook) SetDlgItemTextA(window, IDC_SELECT, "Click a window...");
}

void PickerCheck(HWND window) {
  if (!pickerHook || !pickUndelivered || !pickUndelivered()) return;
  Disarm(window);
  MessageReport(CaptionFailure,
                "The clicked program could not tell the editor of the click: the editor runs with "
                "higher rights than that program.\nStart the editor as an ordinary user, or type "
                "Input by hand.");
}

void PickerNotify(HWND window) {
  Disarm(window);
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
