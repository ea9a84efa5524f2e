// The editor window's commands, one per control id.
#pragma once
#include <windows.h>

// The help text and its title, shown by the Help button.
extern const char HelpText[];
extern const char HelpTitle[];

// Runs the command of a control; ids without a command do nothing.
void EditorCommand(HWND window, unsigned controlId);
