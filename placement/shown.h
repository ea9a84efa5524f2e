// The main windows shown before the run starts a program. A program that was
// already running when its started copy handed a request over to it counts
// only with a main window it shows after that start, or one that shows the
// request in its place: brought to the front then, or retitled (a document
// opened in a window that was in front already).
#pragma once
#include <cstdint>

#include "placement/targets.h"

enum { ShownSlots = 128 };  // main windows noted; more are not

struct ShownWindows {
  WindowRef windows[ShownSlots];
  uint32_t titles[ShownSlots];  // their titles' hashes
  uint32_t count;
  WindowRef foreground;  // the window in front at the start
};

void RecordShownWindows(const WindowOps& ops, ShownWindows* shown);

// ScanTargetWindows over the process's main windows that were not noted.
bool ScanNewWindows(const WindowOps& ops, WindowState* state, uint32_t processId,
                    const ShownWindows& shown);

// ScanTargetWindows over the process's main window brought to the front,
// else over its main windows whose titles changed.
bool ScanForeground(const WindowOps& ops, WindowState* state, uint32_t processId,
                    const ShownWindows& shown);
