// What runs share through the system: the turn of a program (runs of one
// program take turns, runs of different programs never wait for each other),
// the marks on the windows a run placed, which count only while that run
// lives, the command each was placed for, and the job the run's starts go in.
#pragma once
#include <cstdint>

#include "placement/targets.h"

// Waits up to milliseconds for the program's turn; returns what UnlockProgram
// takes (0 when no lock could be made: the run goes on without).
uintptr_t LockProgram(const char* path, uint32_t milliseconds);
void UnlockProgram(uintptr_t lock);

// The mark of the run that placed the window, while that run is alive; 0 for
// an unmarked window and for the mark of a run that has ended.
uint32_t PlacedBy(WindowRef window);
// Marks the window as placed by the run (mark) and, unless program is null,
// for the command: its program and its arguments.
void MarkPlaced(WindowRef window, uint32_t mark, const char* program, const char* command);

// Calls visit with the owner of every top-level window marked as placed for
// the program (the path as the file system compares it) with the command's
// arguments (as SameArguments compares them; command in UTF-8).
void PlacedForOwners(const char* path, const char* command,
                     void (*visit)(uint32_t processId, void* context), void* context);

// ScanTargetWindows over the process's windows marked as placed for the
// state's program and command.
bool ScanPlacedWindows(WindowState* state, uint32_t processId);

// Takes this run's marks off the windows it placed; a mark it left anywhere
// else counts for nothing once the run has ended.
void ClearMarks(const WindowState& state);

// A job of the run's own for the program it starts; 0 when none could be made.
uintptr_t ProgramJob();
