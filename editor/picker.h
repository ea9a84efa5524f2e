// Click-to-pick of a target window through the companion library's mouse hook.
#pragma once
#include <windows.h>

typedef void(WINAPI* InitMouseHookProc)(HHOOK hook, void* windowOrBuffer);
typedef LONG(WINAPI* PickUndeliveredProc)();

// Shared with the editor window, which loads and frees the library.
extern HMODULE helperLibrary;
extern InitMouseHookProc initMouseHook;
extern HOOKPROC mouseHookProc;
extern PickUndeliveredProc pickUndelivered;  // null with an older library
extern HHOOK pickerHook;

void PickerSelect(HWND window);  // Select: arm, or disarm when armed
bool PickerDisarm(HWND window);  // disarms an armed picker; false when it was not
void PickerNotify(HWND window);  // WM_USER from the library: fetch into Input
void PickerCheck(HWND window);   // WM_TIMER while armed: report a lost pick
void PickerTeardown();           // WM_DESTROY: remove an armed hook
