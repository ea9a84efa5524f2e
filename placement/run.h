// The placement run: parse the command line, find the command running or start
// it, wait for one of its windows (also in other processes of the same
// program), restart a lone hung instance once, place the windows.
#pragma once
#include <cstdint>

#include "placement/command.h"
#include "placement/lookup.h"
#include "placement/targets.h"

enum {
  StartSettleMs = 1000,        // before every scan of a program the run started
  ExtraScans = 11,             // scans after the first one of a started program
  InputIdleTimeoutMs = 30000,  // a started program that never gets idle is scanned anyway
  ErrorTextSize = 256,         // the system's text for a failed move
  ProgramSlots = 16,           // processes of one program the run looks at
  KillWaitMs = 5000,           // for a killed process to end before the new start
  // A process found running that is younger than the scans' budget is still
  // starting: it is waited for, never taken as hung.
  StartingMs = (ExtraScans + 1) * StartSettleMs,
};

// A process the run started; handle is the system's, as a plain number.
struct StartedProcess {
  uint32_t id;
  uintptr_t handle;
  uint64_t created;            // when it began, as the lookup gives it; 0: unknown
  char path[ProcessPathSize];  // its executable's path; empty when unknown
};

// What the run needs from the system and from the window stage.
struct PlacementOps {
  // The lookup: the processes whose executable path is path (FindProgramProcesses).
  uint32_t (*findProcesses)(const char* path, ProgramProcess* found, uint32_t capacity);
  // Starts the command at the request's position and size; fills started.
  bool (*startProcess)(const PlacementRequest& request, StartedProcess* started);
  // Waits until the started program waits for input, at most milliseconds.
  void (*waitForInputIdle)(uintptr_t process, uint32_t milliseconds);
  void (*closeProcess)(uintptr_t process);
  void (*sleep)(uint32_t milliseconds);
  // The system time, in the units of the processes' creation times.
  uint64_t (*now)();
  // Notes the windows shown now, before the run starts the program.
  void (*recordShownWindows)();
  bool (*scanTargetWindows)(uint32_t processId);
  // The same scan, passing over the windows recordShownWindows noted.
  bool (*scanNewWindows)(uint32_t processId);
  PlaceResult (*placeTargetWindows)(const PlacementRequest& request);
  // Ends the process with exit code 0 and waits up to KillWaitMs for it to end.
  void (*terminateProcess)(uint32_t processId);
  // Keeps the placed windows in place for request.holdSeconds; true when the
  // hold placed a window itself.
  bool (*holdPlacement)(const PlacementRequest& request, uint32_t processId);
};

// Runs the whole placement for a non-empty command line, which it may shorten
// (trailing whitespace). Returns the exit value: 1 when at least one window
// was moved, 0 after a reported failure. The handle of a started program stays
// open until the run ends, so its id cannot pass to another process meanwhile.
int RunPlacement(char* commandLine, const PlacementOps& ops);

// The same over the system (run_win32.cpp).
int RunPlacement(char* commandLine);
