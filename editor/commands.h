// The editor window's commands, one per control id.
#pragma once
#include <windows.h>

// Runs the command of a control (wParam and lParam of WM_COMMAND); ids without
// a command do nothing.
void EditorCommand(HWND window, WPARAM wParam, LPARAM lParam);
