// Is the command already running, and which processes run a program? One
// snapshot of the running processes per lookup; only processes whose
// executable file name is the program's own are opened and their full paths
// compared.
#pragma once
#include <cstdint>

#include "diag/text.h"

enum {
  ProcessPathSize = TextSize,  // a path of 259 UTF-16 units in UTF-8, whole
};

// An open handle (snapshot or process) as a plain number; 0 means none.
typedef uintptr_t ProcessRef;

// What the lookup needs from the system.
struct ProcessLookupOps {
  // A snapshot of the running processes; 0 when it cannot be taken.
  ProcessRef (*takeSnapshot)();
  // The snapshot's first process (first true) or the next one: its id and its
  // executable's file name, terminated, in name (size bytes). False at the end.
  bool (*nextProcess)(ProcessRef snapshot, bool first, uint32_t* processId, char* name,
                      uint32_t size);
  // Opens a process to query its path and times; 0 when it cannot be opened.
  ProcessRef (*openProcess)(uint32_t processId);
  // Writes the executable's full path, terminated; false on failure, also
  // when it does not fit.
  bool (*imagePath)(ProcessRef process, char* path, uint32_t size);
  // When the process began, in the system's 100-ns units; 0 when unknown.
  uint64_t (*creationTime)(ProcessRef process);
  void (*closeHandle)(ProcessRef handle);
  uint32_t (*lastError)();
  // The id of the process doing the lookup, which never counts as the command's.
  uint32_t (*ownProcessId)();
};

// A running process of a program; created is 0 when it could not be read.
struct ProgramProcess {
  uint32_t id;
  uint64_t created;
};

// Equal length, and every byte equal once A-Z are folded to a-z; no other byte
// is folded.
bool SameTextIgnoringAsciiCase(const char* a, const char* b);

// The text after the last backslash of path (all of it when there is none).
const char* FileNamePart(const char* path);

// Fills found with the processes, in the system's order, whose executable path
// is path (at most capacity of them) and returns how many there are in all.
// The lookup's own process is passed over: a run whose command is this program
// itself would otherwise find itself windowless and end itself as hung.
// Failures are reported and never end the lookup.
uint32_t FindProgramProcesses(const ProcessLookupOps& ops, const char* path, ProgramProcess* found,
                              uint32_t capacity);

// The same over the system's own process functions (lookup_win32.cpp), and
// two of those functions for a process handle the caller holds.
uint32_t FindProgramProcesses(const char* path, ProgramProcess* found, uint32_t capacity);
bool ProcessImagePath(ProcessRef process, char* path, uint32_t size);
uint64_t ProcessCreationTime(ProcessRef process);
