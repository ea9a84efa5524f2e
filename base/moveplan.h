// One road for moving a window: a plan (a rectangle, or a monitor filled from
// the window's own frame) and one call that sets the window's rectangle. The
// run, its hold, the follower of a hand-over and the library all take it.
// For the files that talk to the system only.
#pragma once
#include <windows.h>

#include <cstdint>

#include "base/fill.h"
#include "base/request.h"

// Built into the program and the library (moveplan_win32.cpp): the move to
// box, or, for a fill (FillNone: none), over the monitor numbered fillMonitor
// (0: the one that holds most of the window). False when the window, or that
// monitor, is not there.
bool PlanMove(WindowRef window, const WindowBox& box, int32_t fill, int32_t fillMonitor,
              MovePlan* plan);

// The move to x and the request's top and size, or the request's fill.
inline bool PlanMove(WindowRef window, int32_t x, const PlacementRequest& request, MovePlan* plan) {
  return PlanMove(window, {x, request.top, x + request.width, request.top + request.height},
                  request.fill, request.fillMonitor, plan);
}

// Posted, the call never waits for the window's thread. Inline: the library
// pays no more for it than for the system's call.
inline bool SetWindowBox(WindowRef window, const WindowBox& box, bool posted) {
  return SetWindowPos(reinterpret_cast<HWND>(window), nullptr, box.left, box.top,
                      box.right - box.left, box.bottom - box.top,
                      SWP_NOZORDER | SWP_NOACTIVATE | (posted ? SWP_ASYNCWINDOWPOS : 0)) != 0;
}
