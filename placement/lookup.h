// Is the command already running? Compares it with the full executable path of
// every process that can be opened.
#pragma once
#include <cstdint>

#include "diag/text.h"

enum {
  ProcessListSlots = 1000,  // ids read by one enumeration
  ProcessPathSize = TextSize,
};

// An open process handle as a plain number; 0 means none.
typedef uintptr_t ProcessRef;

// What the lookup needs from the system.
struct ProcessLookupOps {
  // Fills ids (bytes in size) and the number of bytes delivered; false on failure.
  bool (*enumProcesses)(uint32_t* ids, uint32_t bytes, uint32_t* bytesDelivered);
  // Opens a process for reading its executable path; 0 when it cannot be opened.
  ProcessRef (*openProcess)(uint32_t processId);
  // Writes the executable's full path, terminated, into path; false on failure.
  bool (*modulePath)(ProcessRef process, char* path, uint32_t size);
  void (*closeProcess)(ProcessRef process);
  uint32_t (*lastError)();
  // The id of the process doing the lookup, which never counts as the command's.
  uint32_t (*ownProcessId)();
};

// Equal length, and every byte equal once A-Z are folded to a-z; no other byte
// is folded.
bool SameTextIgnoringAsciiCase(const char* a, const char* b);

// The id of the first process, in the system's order, whose executable path is
// the command; 0 when none is. The lookup's own process is passed over: a run
// whose command is this program itself would otherwise find itself windowless
// and end itself as hung. Failures are reported and never end the lookup.
uint32_t FindRunningProcess(const ProcessLookupOps& ops, const char* command);

// The same over the system's own process functions (lookup_win32.cpp).
uint32_t FindRunningProcess(const char* command);
