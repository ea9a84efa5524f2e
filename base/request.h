// What a run is asked to do with a program's windows, as the command line
// gave it (placement/command.cpp reads it): the rectangle or the fill, the
// command, and how long to hold. The program, the library and the hook host
// all take it. Free of the platform.
#pragma once
#include <cstdint>

// "fill" covers the monitor with the window's client area, "fillwork" the
// monitor's work area; either may name the monitor: "fill:2".
enum PlacementFill { FillNone, FillMonitor, FillWorkArea };
enum { FillMonitorLimit = 99 };  // the highest monitor number a command may name

struct PlacementRequest {
  int32_t left;         // screen x of the window's left edge; may be negative
  int32_t top;          // screen y of the window's top edge; may be negative
  int32_t width;        // outer width in pixels
  int32_t height;       // outer height in pixels
  char* command;        // a tail of the command line itself
  int32_t holdSeconds;  // how long the run keeps the windows in place; 0: place once
  // Instead of the four numbers (all 0 then): what the client area covers.
  int32_t fill = FillNone;
  int32_t fillMonitor = 0;  // monitor counted from 1; 0: the one the window is on
};

enum { HoldSecondsLimit = 86400 };  // a day
