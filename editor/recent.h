// Recent-entry lists of the editor's two drop-down lists, kept in the registry.
#pragma once
#include <windows.h>

#define INPUT_LIST_KEY "SOFTWARE\\Tavrisol\\input"
#define OUTPUT_LIST_KEY "SOFTWARE\\Tavrisol\\output"

// Value name of a slot: "" for slot 0, "01".."15" otherwise (shared buffer).
const char* RecentValueName(int slot);
// Reloads the list control from its key, each text once, and selects the
// first item.
BOOL FillRecentList(HWND window, int controlId, const char* keyPath);
// Moves text to the top of its key, then reloads the control. FALSE when the
// text is refused or the key can be neither created nor opened.
BOOL StoreRecentList(HWND window, int controlId, const char* keyPath, const char* text);
