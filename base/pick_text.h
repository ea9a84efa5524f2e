// The text the library hands back for a picked window: a placement
// command line. Free of the platform.
#pragma once
#include <cstddef>

#include "diag/text.h"

enum { PickTextSize = TextSize };  // the editor's fetch buffer, terminator included

// Writes "left,top,width,height path" from the window's screen rectangle and
// the full path of its program into buffer (size bytes, size > 0). When the
// whole text does not fit, buffer gets the empty text and the result is false:
// a cut path would name another program.
bool ComposePickText(char* buffer, size_t size, long left, long top, long right, long bottom,
                     const char* programPath);
