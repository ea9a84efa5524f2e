// The check of a command line's fill before anything starts; the fill's
// geometry itself is shared with the library (base/fill.h).
#pragma once
#include "base/fill.h"

// On the system (fill_win32.cpp): a command line whose fill names a monitor
// that is not there is refused with a message that says how many there are;
// true for every other line.
bool FillMonitorExists(char* commandLine);
