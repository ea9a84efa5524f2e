// The shortcut writer behind the editor's Ok button.
#pragma once
#include <windows.h>

// Ok: plans the shortcut from Input and Output, then creates or updates it
// and records both texts in their lists. TRUE once the shortcut is saved;
// FALSE after a refusal or a failure, which keeps the editor open.
BOOL WriteShortcut(HWND window);
