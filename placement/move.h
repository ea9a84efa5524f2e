// How the run and the hold move one window on the system (move_win32.cpp).
#pragma once
#include <cstdint>

#include "placement/targets.h"

// Moves the window to the rectangle asked for. When the system cuts the size
// to its maximum tracking size, the companion library's hook raises that limit
// on the window's thread for one more move and is removed at once; where the
// hook cannot be set, the size the system allowed is traced and kept.
bool MoveWindowExactly(WindowRef window, int32_t x, int32_t y, int32_t width, int32_t height);
