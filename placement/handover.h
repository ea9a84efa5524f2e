// Windows of what a started program hands over to (a launcher's game, a
// splash's main copy, a restart) moved as they are made, from the system's
// window events, so that they are seen at their place within a frame of their
// show; the scans of the run still find and place them as before, each as
// soon as a window of what the run started shows.
#pragma once
#include <cstdint>

#include "placement/command.h"

enum { FollowedWindowSlots = 8 };

// What the follower of one start keeps, as plain numbers: made by
// FollowHandOver, passed to the waits, closed by StopFollowingHandOver.
struct HandOverFollower {
  uintptr_t hook = 0;    // the system's window events; 0 while not following
  uintptr_t job = 0;     // the run's job, whose processes are followed
  uintptr_t placed = 0;  // the started one's early placed event, or 0
  uintptr_t woken = 0;   // set when a window of the job's is made or shown
  uint32_t started = 0;  // the process the run started
  PlacementRequest request = {0, 0, 0, 0, nullptr, 0};
  uintptr_t watched[FollowedWindowSlots] = {};  // made by a process of the job, not yet shown
};

// From now until StopFollowingHandOver: a new main window of a process in the
// run's job, other than the one the run started, is moved as it is made
// while the started one shows no main window of its own. With tellPlaced,
// the started one's early placed event (early.h) is set then: whoever waits
// for its own window need wait no longer. One follower at a time.
void FollowHandOver(HandOverFollower* follower, const PlacementRequest& request, uintptr_t job,
                    uint32_t startedId, bool tellPlaced);
// Closes what it holds; again, or for one never followed, nothing.
void StopFollowingHandOver(HandOverFollower* follower);

// Waits up to milliseconds, less once a window made meanwhile by a process of
// the run's job is shown (seen within a few milliseconds where the system
// does not tell).
void WaitForShownWindow(HandOverFollower* follower, uint32_t milliseconds);

// Waits up to milliseconds for one of the handles, handing the system's
// events and messages on meanwhile; true when a handle was signalled.
bool WaitPumping(const void* const* handles, uint32_t count, uint32_t milliseconds);
