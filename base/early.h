// Placing a started program's first main window before it is shown: what
// the run, the library and the hook host share. The system itself brings the
// library into the program, through an in-context window event hook on the
// started process, and calls it in whichever thread makes a window, before
// that window shows; the library places the window from there, as the block
// the run left for it says. Free of the platform.
#pragma once
#include <cstddef>
#include <cstdint>

#include "base/request.h"
#include "base/window.h"

// The block the run leaves for the library, named after the program's
// process id, which the library opens by that name from within: the request,
// the window the library took, and the run's word that it no longer waits.
struct EarlyBlock {
  int32_t left, top, width, height;  // physical pixels; all 0 for a fill
  int32_t fill, fillMonitor;
  uint64_t window;  // written by the library: the window it took; 0 while none
  uint32_t letGo;   // written by the run: a window not yet shown is left as it is
  // For what the started program handed over to: the started one, whose own
  // main window, once shown, is the program's (the window is left alone then).
  uint32_t startedId;
  uint32_t shown;  // written by the library: the window it took has shown
};

// The named objects of one start: the block, the event the library sets once
// the window is shown at its place, and, for a program of the other bitness,
// the hook host's "hook set" and "let go"; all named after the program's
// process id. The host started before the program waits for "go" and then
// reads the program's ids from the start block, both named after the run's
// process id. Until the run marks the program resumed there, the host keeps
// watch: a run that dies before then leaves a suspended program, which the
// host lets run.
enum EarlyObject : char {
  EarlyBlockName,
  EarlyPlacedName,
  EarlyHookedName,
  EarlyReleaseName,
  EarlyStartName,
  EarlyGoName,
};
struct EarlyStart {
  uint32_t processId, threadId;
  uint32_t resumed;  // nonzero once the run no longer needs the watch
};
enum { EarlyNameSize = 32 };

// "TavrisolPlace" with the object's name and the process id; false when it
// does not fit.
bool EarlyObjectName(EarlyObject kind, uint32_t processId, char* name, size_t size);

void FillEarlyBlock(const PlacementRequest& request, EarlyBlock* block);

// Whether a window being created will be a main window once shown: top-level
// (not a child, no owner) and a main window by the one rule.
bool IsEarlyMainWindow(uint32_t style, uint32_t exStyle, bool hasParent);

// The block's rectangle in a window's own view. A window unaware of the
// screen's scale, or aware only of the system's (awareness 0 or 1, as the
// system numbers them), sees the screen at its own dots per inch; a window
// aware of each monitor's scale sees the pixels themselves.
WindowBox OwnViewBox(const WindowBox& box, int awareness, int windowDpi, int screenDpi);

// What a start set up to place the window early, as plain numbers; all 0
// when nothing was (placement/early_win32.cpp). Made by ArmEarlyPlacement, passed to
// the follower of hand-overs, closed by EndEarlyPlacement.
struct EarlyPlacing {
  uintptr_t block, placed;  // the named block and event
  uintptr_t library, hook;  // the library and its event hook, set from this process
  uintptr_t host, release;  // for a 32-bit program: the hook host and its "let go"
  uintptr_t start, go;      // the host's start block and "go", while it waits for the program
  uintptr_t children;       // what watches the run's job for what the program starts
  uint32_t processId;
};
