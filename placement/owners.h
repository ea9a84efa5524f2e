// The owner of every top-level window, read a thread at a time. Asking the
// system who owns one window costs a round trip to it (under Wine some 90 us
// each with 2,000 windows on the desktop), while the windows of one thread
// come in a single answer: a desktop full of one program's windows then costs
// a few questions instead of thousands.
#pragma once
#include <cstdint>

#include "placement/targets.h"

enum { KnownOwnerSlots = 4096 };  // windows past three quarters of it are asked one by one

// Calls visit with every top-level window, in the system's order, and the id of
// the process that owns it (0 for a window that is gone).
void EnumWindowsAndOwners(void (*visit)(WindowRef window, uint32_t processId, void* context),
                          void* context);

// The owner of a window met by the enumeration in progress on this thread, as
// it read it; false when it knows none (ask the system then).
bool KnownOwner(WindowRef window, uint32_t* processId);
