// The placement run: parse the command line, find the command running or start
// it, wait for one of its windows, restart it once if it shows none, place its
// windows.
#pragma once
#include <cstdint>

#include "placement/command.h"
#include "placement/targets.h"

enum {
  StartSettleMs = 1000,        // before every scan of a program the run started
  ExtraScans = 11,             // scans after the first one of a started program
  InputIdleTimeoutMs = 30000,  // a started program that never gets idle is scanned anyway
  ErrorTextSize = 256,         // the system's text for a failed move
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
  // Waits until the started program waits for input, at most milliseconds.
  void (*waitForInputIdle)(uintptr_t process, uint32_t milliseconds);
  void (*closeProcess)(uintptr_t process);
  void (*sleep)(uint32_t milliseconds);
  bool (*scanTargetWindows)(uint32_t processId);
  PlaceResult (*placeTargetWindows)(const PlacementRequest& request);
  // Ends the process with exit code 0 without waiting for it.
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
