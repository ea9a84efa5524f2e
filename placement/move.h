// The run's and the hold's move of a window, on the plan the library shares
// (base/moveplan.h). For the files that talk to the system only.
#pragma once
#include <cstdint>

#include "base/moveplan.h"
#include "placement/targets.h"

// Exactly as planned, past the system's size limit through the library's
// hook where it can be set; a fill with a hold and several monitors shows
// only its own monitor's part. False, with the system's error, when the
// window could not be moved.
bool MovePlacedWindow(WindowRef window, int32_t x, const PlacementRequest& request);
// Whether the window is at its plan already, with no region to set or take
// away: what the move would leave as it is (one placed before it showed).
bool WhereItIsPlanned(WindowRef window, int32_t x, const PlacementRequest& request);
// Takes away the region such a fill set, if any.
void ReleaseClip(WindowRef window);
