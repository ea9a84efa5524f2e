// Placing a started program's first main window before it is shown: what the
// run and the companion library (which a hook brings into the program) share.
// Free of the platform.
#pragma once
#include <cstddef>
#include <cstdint>

#include "placement/command.h"

// The block the run leaves for the library, named after the program's
// process id: the request, and the window the library took.
struct EarlyBlock {
  int32_t left, top, width, height;  // all 0 for a fill
  int32_t fill, fillMonitor;
  uint64_t window;   // written by the library; 0 while it has taken none
  uint64_t library;  // the library's module in the program, written with window
};

// The named objects of one start, told apart by a letter: the block, the
// event the library sets once the window is shown at its place, and, for a
// program of the other bitness, the hook host's "hook set" and "let go".
enum EarlyObject : char {
  EarlyBlockName = 'b',
  EarlyPlacedName = 'p',
  EarlyHookedName = 'h',
  EarlyReleaseName = 'r',
};
enum { EarlyNameSize = 32 };

// "TavrisolPlace" with the letter and the process id; false when it does not fit.
bool EarlyObjectName(EarlyObject kind, uint32_t processId, char* name, size_t size);

void FillEarlyBlock(const PlacementRequest& request, EarlyBlock* block);

// Whether a window being created will be a main window once shown: top-level
// (not a child, no owner) and a main window by the one rule.
bool IsEarlyMainWindow(uint32_t style, uint32_t exStyle, bool hasParent);

// What a start set up to place the window early, as plain numbers; all 0
// when nothing was (early_win32.cpp).
struct EarlyPlacing {
  uintptr_t block, placed;  // the named block and event
  uintptr_t library, hook;  // the library and its hook, set from this process
  uintptr_t host, release;  // for a 32-bit program: the hook host and its "let go"
  uint32_t processId;
};

// Before the program's main thread first runs: the block, the event and the
// hook on the thread (or, with desktop or where the thread's is refused, on
// the desktop); for a 32-bit program through tavrisolhook32.exe. Leaves
// placing all 0 when the window cannot be placed before it shows.
void ArmEarlyPlacement(const PlacementRequest& request, uintptr_t process, uint32_t processId,
                       uint32_t threadId, bool desktop, EarlyPlacing* placing);

// Waits until the window is shown at its place (true), the program ends, it
// has been ready settleMs without that, or limitMs pass; then removes the
// hook and takes the library out of the program.
bool FinishEarlyPlacement(EarlyPlacing* placing, uintptr_t process, uint32_t settleMs,
                          uint32_t limitMs);
