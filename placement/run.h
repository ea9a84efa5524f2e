// The placement run: parse the command line, find the command running (its
// program with its arguments) or start it, wait for one of its windows (also
// in other processes of the same program, and in the processes it starts),
// end it first when it is hung, place the windows. Runs of one program take
// turns.
#pragma once
#include <cstdint>

#include "placement/command.h"
#include "placement/early.h"
#include "placement/handover.h"
#include "placement/lookup.h"
#include "placement/shown.h"
#include "placement/targets.h"

enum {
  StartSettleMs = 1000,        // between two scans of a started program, unless a window shows
  ExtraScans = 11,             // seconds of scans after the first one of a started program
  InputIdleTimeoutMs = 30000,  // a started program that never gets idle is scanned anyway
  KillWaitMs = 5000,           // for a killed process to end before the new start
  // A run's whole allowance for its program: the idle wait and the scans. A
  // process of the program younger than that is still starting, whatever else
  // it shows; it is waited for, never taken as hung.
  AllowanceMs = InputIdleTimeoutMs + (ExtraScans + 1) * StartSettleMs,
  // How long a run waits for an earlier run of the same program to finish.
  TurnWaitMs = AllowanceMs + KillWaitMs,
};

// A process the run started; handle is the system's, as a plain number.
struct StartedProcess {
  uint32_t id;
  uintptr_t handle;
  uint64_t created;                // when it began, as the lookup gives it; 0: unknown
  char path[ProcessPathSize];      // its executable's path; empty when unknown
  uintptr_t job = 0;               // given: the job to start it in; 0 for none
  const char* program = "";        // given: the program's canonical path; "" when none
  uint32_t error = 0;              // the system's reason when the start failed
  bool throughShell = false;       // the shell (ShellExecuteEx) was asked, not CreateProcess
  EarlyPlacing placing = {};       // what places its first main window before it shows
  HandOverFollower follower = {};  // what moves the windows it hands over to as they are made
};

// What the run needs from the system and from the window stage.
struct PlacementOps {
  // The command's program path made canonical (CanonicalProgramPath); false
  // when the program's file is not there.
  bool (*canonicalPath)(const char* command, char* path, size_t size);
  // Takes the program's turn, waiting up to milliseconds for a run that has
  // it; returns what unlockProgram gives back (0 when no lock could be made).
  uintptr_t (*lockProgram)(const char* path, uint32_t milliseconds);
  void (*unlockProgram)(uintptr_t lock);
  // The lookup (FindProgram) and the release of what it holds.
  uint32_t (*findProgram)(Program* program, bool windowOwnersOnly);
  void (*releaseProgram)(Program* program);
  // Starts the command at the request's position and size, in started.job;
  // fills started. A shortcut, a document and a program that asks for
  // elevation are opened as the shell opens them (ShellExecuteEx), keeping
  // the process it gives.
  bool (*startProcess)(const PlacementRequest& request, StartedProcess* started);
  // Waits until the process waits for input, at most milliseconds; false
  // when it still does not (a process without input counts as waiting).
  bool (*waitForInputIdle)(uintptr_t process, uint32_t milliseconds);
  bool (*hasExited)(uintptr_t process);
  void (*closeProcess)(uintptr_t process);
  // Waits up to milliseconds, less once a window of what the run started is
  // shown; the milliseconds waited.
  uint32_t (*waitForShown)(StartedProcess* started, uint32_t milliseconds);
  // The system time, in the units of the processes' creation times.
  uint64_t (*now)();
  uint32_t (*ownSession)();
  // Notes the main windows shown now, before the run starts the program.
  void (*recordShownWindows)(ShownWindows* shown);
  // The scans and the move stage, over the run's window state.
  bool (*scanTargetWindows)(WindowState* state, uint32_t processId);
  // The process's windows placed for the command (ScanPlacedWindows).
  bool (*scanPlacedWindows)(WindowState* state, uint32_t processId);
  // The process's main windows that were not shown before the start.
  bool (*scanNewWindows)(WindowState* state, uint32_t processId, const ShownWindows& shown);
  // The process's main window brought to the front since the start.
  bool (*scanForeground)(WindowState* state, uint32_t processId, const ShownWindows& shown);
  PlaceResult (*placeTargetWindows)(WindowState* state, const PlacementRequest& request);
  // Whether the process has top-level windows and none of them answers: a
  // process without a window is never taken for hung.
  bool (*windowsSilent)(uint32_t processId);
  // Ends the process with exit code 0 and waits up to KillWaitMs for it to
  // end; false, with the system's error code, when it could not be ended.
  bool (*terminateProcess)(uintptr_t process, uint32_t* error);
  // Keeps the placed windows in place for request.holdSeconds, following the
  // program; true when the hold placed a window itself.
  bool (*holdPlacement)(const PlacementRequest& request, Program* program, WindowState* state);
  // Takes back the marks of the windows this run placed.
  void (*clearMarks)(const WindowState& state);
  // A job of the run's own for what it starts (ProgramJob), closed with
  // closeProcess.
  uintptr_t (*programJob)();
  // Adds what the program's processes started (FindLaunched).
  uint32_t (*findLaunched)(Program* program, bool parentLinks);
  // True, with its exit value, once the process has ended.
  bool (*exitValue)(uintptr_t process, uint32_t* value);
  // Waits for the started process's first main window to be shown at its
  // place, while it is starting (FinishEarlyPlacement); false when nothing
  // was set up for that, and the run waits as for any program.
  bool (*awaitPlaced)(StartedProcess* started);
  // A program that moves its window away again as it finishes starting (a
  // saved place restored right after the show): once the process is ready for
  // input, at most StartSettleMs after the placing, what the run placed is put
  // back where it was put (PutBackPlaced).
  void (*settlePlaced)(const PlacementRequest& request, WindowState* state, uintptr_t process);
  // Stops moving what the started program hands over to: the run has its
  // target, or ends.
  void (*stopFollowing)(StartedProcess* started);
};

// Runs the whole placement for a non-empty command line, which it may shorten
// (trailing whitespace). Returns the exit value: 1 when at least one window
// was moved, 0 after a reported failure. The handles of the program's
// processes stay open until the run ends, so their ids cannot pass to another
// process meanwhile.
int RunPlacement(char* commandLine, const PlacementOps& ops);

// The same over the system (run_win32.cpp).
int RunPlacement(char* commandLine);
