// Filling a monitor with a window's client area: the outer rectangle that puts
// the frame, title bar and menu bar just outside the monitor (or its work
// area), worked out from the window's own frame; and the part of the window
// to keep when other monitors would show the rest. The geometry is free of
// the platform; the plan of a move that uses it is in moveplan.h.
#pragma once
#include "base/window.h"

enum { MonitorSlots = 16 };  // monitors the run tells apart

struct MonitorBoxes {
  WindowBox monitor;  // the whole monitor, in screen coordinates
  WindowBox work;     // the monitor without the task bar and docked bars
};

// Sorts monitors as the user counts them: left to right, then top to bottom.
void OrderMonitors(MonitorBoxes* monitors, int count);

// Where a window goes, and what of it stays visible.
struct MovePlan {
  WindowBox window;   // the new outer rectangle
  bool clip;          // several monitors: only clipBox of the window is shown
  WindowBox clipBox;  // the part on its own monitor, in the window's coordinates
};

// Plans the move of the window now at windowBox, with its client area at
// clientBox (both in screen coordinates), onto the ordered monitor at index:
// the client area covers that monitor, or its work area with workArea. False
// when index names no monitor.
bool PlanFill(const WindowBox& windowBox, const WindowBox& clientBox, const MonitorBoxes* monitors,
              int count, int index, bool workArea, MovePlan* plan);

// The desk's monitors, in the user's order.
struct MonitorList {
  MonitorBoxes boxes[MonitorSlots];
  int count;
};

// On the system (moveplan_win32.cpp): reads the monitors, and returns how many.
int ReadMonitors(MonitorList* list);
