// Builds an ordinary top-level window and its controls from a dialog template
// resource of the program's own executable.
#pragma once
#include <windows.h>

// Returns the frame, or NULL after a failure it has already reported.
HWND BuildWindowFromTemplate(HWND parent, int templateId, HINSTANCE instance, const char* className,
                             int widen);
