// Placing a started program's first main window before it is shown: the
// run's side, which asks the library (base/library.h) to do the work.
#pragma once
#include <cstdint>

#include "base/early.h"

// Before the start, so that the program waits suspended as briefly as can be:
// loads the library and starts the hook host, which waits for the program
// (for a 32-bit one, to hook it) and keeps watch while it is suspended.
void PrepareEarlyPlacement(EarlyPlacing* placing);

// Before the program's main thread first runs: the block, the event and the
// in-context event hook on the program; for a 32-bit program through
// tavrisolhook32.exe. Leaves placing.placed 0 when the window cannot be
// placed before it shows. Each 64-bit process that then comes into the job
// (what the program hands over to) is hooked the same way as it starts.
void ArmEarlyPlacement(const PlacementRequest& request, uintptr_t process, uint32_t processId,
                       uint32_t threadId, uintptr_t job, EarlyPlacing* placing);

// Lets the suspended program run (thread 0: the start failed) and ends the
// host's watch; where nothing was armed, ends what the start prepared. False
// when no thread was resumed.
bool ResumeStarted(uintptr_t thread, EarlyPlacing* placing);

// Waits until the window is shown at its place, the program ends, it has
// waited for input settleMs without that, or limitMs pass; true when the
// library showed the program's own window there. The hook stays: a window the
// library took and the program shows later is still placed.
bool AwaitEarlyPlacement(EarlyPlacing* placing, uintptr_t process, uint32_t settleMs,
                         uint32_t limitMs);

// Once the run no longer waits: removes the hook, tells the library that a
// window it took and that is not shown yet is to be left as it is, and closes
// what the run holds; the system takes the library out of the program. False
// when a hook could not be removed. Again, or for nothing armed, nothing.
bool EndEarlyPlacement(EarlyPlacing* placing);
