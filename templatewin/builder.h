// Builds an ordinary top-level window and its controls from a dialog template
// resource of the program's own executable.
#pragma once
#include <windows.h>

// The 62 letters and digits whose extent, divided by 62, is the average
// character width that dialog units and the viewer's lines are measured in.
extern const char AverageWidthSample[];

// Returns the frame, or NULL after a failure it has already reported.
HWND BuildWindowFromTemplate(HWND parent, int templateId, HINSTANCE instance, const char* className,
                             int widen);
