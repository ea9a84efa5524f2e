// Click-to-pick of a target window through the library's mouse hook.
#pragma once
#include <windows.h>

#include "base/library.h"

// Shared with the editor window, which loads and frees the library.
extern HMODULE pickerLibrary;
extern decltype(&InitMouseHook) initMouseHook;
extern decltype(&MouseHook) mouseHookProc;
extern decltype(&PickUndelivered) pickUndelivered;  // null with an older library
extern HHOOK pickerHook;

void PickerSelect(HWND window);  // Select: arm, or disarm when armed
bool PickerDisarm(HWND window);  // disarms an armed picker; false when it was not
void PickerNotify(HWND window);  // WM_USER from the library: fetch into Input
void PickerCheck(HWND window);   // WM_TIMER while armed: report a lost pick
void PickerTeardown();           // WM_DESTROY: remove an armed hook
