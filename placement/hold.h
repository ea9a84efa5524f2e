// Holding a placement: for the seconds the command line asks for, windows that
// the program moves away are put back, and a larger window that appears later
// (the real window after a splash) becomes the target and is placed too.
#pragma once
#include <cstdint>

#include "placement/command.h"
#include "placement/targets.h"

enum {
  HoldPollMs = 250,  // between two looks at the target's windows
};

// What a hold needs besides the window functions of the run.
struct HoldOps {
  const WindowOps* windows;
  // The window's thread is in a move or size loop: the user has it in hand.
  bool (*inMoveSize)(WindowRef window);
  // Waits up to milliseconds; true when the target process has ended.
  bool (*waitForExit)(uint32_t milliseconds);
  uint32_t (*tickCount)();
};

// One look at the target's windows: places a new, larger window and puts back
// every held window that is not where the run put it.
void HoldPass(const HoldOps& ops, const PlacementRequest& request, uint32_t processId);

// Holds the windows of the PlacedTable for request.holdSeconds, or until the
// target process ends.
void HoldPlacement(const HoldOps& ops, const PlacementRequest& request, uint32_t processId);

// The same over the system (hold_win32.cpp).
void HoldPlacement(const PlacementRequest& request, uint32_t processId);
