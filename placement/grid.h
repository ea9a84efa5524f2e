// Windows that keep a size grid of their own (a console, in whole character
// cells) take the size they accept next to the one asked. Asked once more,
// past that size by as far as it fell short, such a window shows whether its
// next size is nearer; for a fill, the asks reach further until the monitor is
// covered. Each side (width, height) on its own.
#pragma once
#include <cstdint>

enum { GridReachMost = 32 };  // the furthest ask, in shortfalls past the first size taken

struct GridFit {
  int32_t wanted[2];  // width and height asked for
  int32_t ask[2];     // the next ask; wanted at first
  int32_t reach;      // 1 at first
  bool cover;         // a fill: the smallest size that covers, else the nearest
  int32_t first[2];   // what the window took for wanted
  int32_t kept[2];    // the best it took so far
};

// Takes the window's answer (the size it took) to fit.ask; true when it is to
// be asked fit.ask once more. It ends with the window at the size kept.
bool GridAnswer(GridFit* fit, const int32_t taken[2]);
