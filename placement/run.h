// The placement run: parse the command line, find the command running or start
// it, wait for one of its windows, restart it once if it shows none, place its
// windows.
#pragma once
#include <cstdint>

#include "placement/command.h"

enum {
  StartSettleMs = 1000,  // before every scan of a program the run started
  ExtraScans = 11,       // scans after the first one of a started program
};

// A process the run started; handle is the system's, as a plain number.
struct StartedProcess {
  uint32_t id;
  uintptr_t handle;
};

// What the run needs from the system and from the window stage.
struct PlacementOps {
  uint32_t (*findRunningProcess)(const char* command);
  // Starts the command at the request's position and size; fills started.
  bool (*startProcess)(const PlacementRequest& request, StartedProcess* started);
  void (*waitForInputIdle)(uintptr_t process);
  void (*closeProcess)(uintptr_t process);
  void (*sleep)(uint32_t milliseconds);
  bool (*scanTargetWindows)(uint32_t processId);
  void (*placeTargetWindows)(const PlacementRequest& request);
  // Ends the process with exit code 0 without waiting for it.
  void (*terminateProcess)(uint32_t processId);
};

// Runs the whole placement for a non-empty command line, which it may shorten
// (trailing whitespace). Returns the exit value: 1 when the windows were
// placed, 0 after a reported failure.
int RunPlacement(char* commandLine, const PlacementOps& ops);

// The same over the system (run_win32.cpp).
int RunPlacement(char* commandLine);
