// Calls that go to another program's window (a move, a restore, a region)
// wait for that program's thread to answer. A window that answered a moment
// ago can stop answering before the call reaches it, and the call would then
// hold the run for ever; such calls run on a thread of their own, and the run
// waits for them only so long.
#pragma once
#include <cstddef>
#include <cstdint>

enum : uint32_t {
  // The system's code for a wait that timed out (ERROR_TIMEOUT), which a
  // bounded move leaves as its last error.
  CallTimedOutError = 1460,
};

// Calls call(context) on a thread of its own and waits up to milliseconds.
// The size bytes at context are copied for the call and copied back when it
// returned in time, so the call may write its results there. False when it
// did not return in time: it goes on with its own copy, which it frees when
// it returns, or ends with the process. Where no thread can be made, the call
// is made here.
bool CallWithin(uint32_t milliseconds, void (*call)(void* context), void* context, size_t size);
