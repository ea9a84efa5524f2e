// Click-to-pick of a target window through the companion library's mouse hook.
#pragma once
#include <windows.h>

typedef void(WINAPI* InitMouseHookProc)(HHOOK hook, void* windowOrBuffer);

// Shared with the editor window, which loads and frees the library.
extern HMODULE helperLibrary;
extern InitMouseHookProc initMouseHook;
extern HOOKPROC mouseHookProc;
extern HHOOK pickerHook;

void PickerSelect(HWND window);  // Select: arm, or disarm when armed
void PickerNotify(HWND window);  // WM_USER from the library: fetch into Input
void PickerTeardown();           // WM_DESTROY: remove an armed hook
