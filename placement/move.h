// One road for moving a window: a plan (x and the request's top and size, or
// a monitor filled from the window's own frame) and one call that sets the
// window's rectangle. The run, its hold, the follower of a hand-over and the
// companion library all take it.
#pragma once
#include <cstdint>

#include "placement/fill.h"

// Built into the program and the library (moveplan_win32.cpp). False when the
// window, or the monitor a fill names, is not there.
bool PlanMove(WindowRef window, int32_t x, const PlacementRequest& request, MovePlan* plan);
// Posted, the call never waits for the window's thread.
bool SetWindowBox(WindowRef window, const WindowBox& box, bool posted);

// The run's and the hold's move (move_win32.cpp): exactly as planned, past the
// system's size limit through the library's hook where it can be set; a fill
// with a hold and several monitors shows only its own monitor's part. False,
// with the system's error, when the window could not be moved.
bool MovePlacedWindow(WindowRef window, int32_t x, const PlacementRequest& request);
