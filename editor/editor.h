// The shortcut editor: the program's interactive mode, run for an empty
// command line.
#pragma once
#include <windows.h>

// Registers the "Tavrisol" class, builds the window from template 103 and runs
// the message loop. Returns the exit value: 1 after the loop, 0 when the
// window could not be made.
int RunEditor(HINSTANCE instance, int showCommand);

LRESULT CALLBACK editorWnd_Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
