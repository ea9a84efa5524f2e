// The main windows shown before the run starts a program. A program that was
// already running when its started copy handed a request over to it counts
// only with a main window it shows after that start, or one it brings to the
// front then.
#pragma once
#include <cstdint>

#include "placement/targets.h"

enum { ShownSlots = 128 };  // main windows noted; more are not

struct ShownWindows {
  WindowRef windows[ShownSlots];
  uint32_t count;
  WindowRef foreground;  // the window in front at the start
};

void RecordShownWindows(const WindowOps& ops, ShownWindows* shown);

// ScanTargetWindows over the process's main windows that were not noted.
bool ScanNewWindows(const WindowOps& ops, WindowState* state, uint32_t processId,
                    const ShownWindows& shown);

// ScanTargetWindows over the process's main window brought to the front.
bool ScanForeground(const WindowOps& ops, WindowState* state, uint32_t processId,
                    const ShownWindows& shown);
