// The owner of every top-level window, read a thread at a time. Asking the
// system who owns one window costs a round trip to it (under Wine some 90 us
// each with 2,000 windows on the desktop), while the windows of one thread
// come in a single answer: a desktop full of one program's windows then costs
// a few questions instead of thousands.
#pragma once
#include <cstdint>

#include "placement/targets.h"

enum { KnownOwnerSlots = 4096 };  // windows past three quarters of it are asked one by one

// Calls visit with top-level windows and their owners: with processId 0,
// every one in the desktop's order; else those of that process, and perhaps
// others, a thread at a time, each thread's in the desktop's order: Wine's
// walk over the desktop asks the system whether each window still exists,
// some 25 to 60 us a window of another process (even to count them), and a
// thread's list comes without that.
void EnumWindowsOf(uint32_t processId,
                   void (*visit)(WindowRef window, uint32_t processId, void* context),
                   void* context);

// The owner of a window met by the enumeration in progress on this thread, as
// it read it; false when it knows none (ask the system then).
bool KnownOwner(WindowRef window, uint32_t* processId);
