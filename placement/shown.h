// The windows shown before the run starts a program. A program that was
// already running when its started copy handed a request over to it counts
// only with the windows it shows after that start.
#pragma once
#include <cstdint>

#include "placement/targets.h"

enum { ShownSlots = 1024 };  // visible top-level windows noted; more are not

// Notes the visible top-level windows of the desktop, replacing earlier notes.
void RecordShownWindows(const WindowOps& ops);

// ScanTargetWindows over the windows that were not noted.
bool ScanNewWindows(const WindowOps& ops, uint32_t processId);
