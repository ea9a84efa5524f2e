// How the run and the hold move one window on the system (move_win32.cpp).
#pragma once
#include <cstdint>

#include "placement/targets.h"

// Moves the window to the rectangle asked for. When the system cuts the size
// to its maximum tracking size, the companion library's hook raises that limit
// on the window's thread for one more move and is removed at once; where the
// hook cannot be set, the size the system allowed is traced and kept.
bool MoveWindowExactly(WindowRef window, int32_t x, int32_t y, int32_t width, int32_t height);

// Covers the monitor the request names (or the window's own) with the
// window's client area, or that monitor's work area, exactly; with several
// monitors and a hold, the part outside it is clipped away while the hold
// lasts (fill_win32.cpp).
bool MoveWindowToFill(WindowRef window, const PlacementRequest& request);

// Takes away the region an earlier fill set on the window, if any.
void ReleaseClip(WindowRef window);

// How the run and the hold move a window: x and the request's top and size,
// or a fill.
bool MovePlacedWindow(WindowRef window, int32_t x, const PlacementRequest& request);

// A command line whose fill names a monitor that is not there is refused with
// a message that says how many there are; true for every other line.
bool FillMonitorExists(char* commandLine);
