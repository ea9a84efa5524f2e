// Holding a placement: for the seconds the command line asks for, windows that
// the program moves away are put back. While a window it holds is shown, it
// takes up no other; once none is (a splash closed, a program that handed over
// and ended), the program's next main window, whatever its size, is placed
// too. The hold follows the program: a process of it that ends hands the hold
// to the others and to later copies. A newer run that places one of the held
// windows ends the hold.
#pragma once
#include <cstdint>

#include "placement/command.h"
#include "placement/lookup.h"
#include "placement/targets.h"

enum {
  HoldPollMs = 250,   // between two looks at the target's windows
  HoldLookEvery = 4,  // passes between two looks for later copies of the program
};

// What a hold needs besides the window functions of the run.
struct HoldOps {
  const WindowOps* windows;
  // The window that the given window's thread is moving or sizing (the user
  // has it in hand); 0 when none.
  WindowRef (*movingWindow)(WindowRef window);
  // Waits up to milliseconds; true when one of the program's processes has
  // ended (at once when it holds none).
  bool (*waitForExit)(const Program& program, uint32_t milliseconds);
  uint32_t (*tickCount)();
  uint32_t (*findProgram)(Program* program, bool windowOwnersOnly);
  bool (*hasExited)(ProcessRef process);
  void (*closeHandle)(ProcessRef process);
  // Takes away the clip a fill gave the window, if any: it lasts only while
  // the window stays where the hold keeps it.
  void (*releaseClip)(WindowRef window);
};

// Puts back every held window that is not where the run put it; false when a
// newer run has placed one of them.
bool PutBackPlaced(const HoldOps& ops, const PlacementRequest& request, WindowState* state);

// What a hold keeps from one look to the next, beside the run's windows.
struct HoldState {
  WindowState* windows;  // the run's: a window the hold places joins their placedTable
  WindowRef chosen;      // the program's next main window, chosen and not yet moved
  WindowRef placed;      // the last such window the hold placed; 0 while none
};

// One look: PutBackPlaced, then, once none of the held windows shows, the
// program's next main window is placed. False when the hold is over.
bool HoldPass(const HoldOps& ops, const PlacementRequest& request, const Program& program,
              HoldState* hold);

// Holds the placed windows for request.holdSeconds, until no process of the
// program is left or a newer run takes over. The program gains the processes
// the hold finds, released with it. Returns whether the hold placed a window
// itself.
bool HoldPlacement(const HoldOps& ops, const PlacementRequest& request, Program* program,
                   WindowState* state);

// The same over the system (hold_win32.cpp).
bool HoldPlacement(const PlacementRequest& request, Program* program, WindowState* state);
void PutBackPlaced(const PlacementRequest& request, WindowState* state);
