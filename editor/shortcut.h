// The shortcut writer behind the editor's Ok button.
#pragma once
#include <windows.h>

// Ok: plans the shortcut from Input and Output, then creates or updates it
// and records both texts in their lists. TRUE when the editor window is to
// stay open (after any refusal or failure), FALSE once the shortcut is saved.
BOOL WriteShortcut(HWND window);
