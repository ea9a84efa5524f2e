// The shortcut writer behind the editor's Ok button.
#pragma once
#include <windows.h>

// Creates or updates the shortcut; TRUE when the editor window is to stay open.
BOOL WriteShortcut(HWND window);
