// The placement run: a command line comes in, and a window of its command
// ends at the rectangle it names, whether the command was running, starting,
// hung or not there yet. The steps live in run.cpp; what they ask of the
// system is the short table of operations below, so the whole road is tested
// natively.
#pragma once
#include <cstdint>

#include "placement/command.h"
#include "placement/early.h"
#include "placement/handover.h"
#include "placement/launch.h"
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
  uint32_t id = 0;
  uintptr_t handle = 0;
  uint64_t created = 0;             // when it began, as the lookup gives it; 0: unknown
  char path[ProcessPathSize] = "";  // its executable's path; empty when unknown
  uintptr_t job = 0;                // given: the job to start it in; 0 for none
  const char* program = "";         // given: the program's canonical path; "" when none
  uint32_t error = 0;               // the system's reason when the start failed
  LaunchKind kind = LaunchProgram;  // how it was started (ChooseLaunch); the shell when refused
  ShownWindows shownBefore = {};    // the main windows shown just before the start
  EarlyPlacing placing = {};        // what places its first main window before it shows
  bool placedEarly = false;         // it did: the library keeps it there while the program starts
  HandOverFollower follower = {};   // what moves the windows it hands over to as they are made
};

// Which processes a lookup adds to the program (lookup.h).
enum ProcessSearch {
  ProgramProcesses,     // those running the program's file (FindProgram)
  ProgramWindowOwners,  // the same among the owners of visible windows only
  HandedOver,           // what the program handed over to in the job (FindHandedOver)
  HandedOverAnywhere,   // the same, and what its processes started outside the job
};

// Which windows of a process a scan may take as the target (targets.h, shown.h).
enum WindowsToScan {
  AllMainWindows,    // ScanTargetWindows
  PlacedForCommand,  // those a run placed for the command (ScanPlacedWindows)
  NewSinceStart,     // main windows that were not shown before the start (ScanNewWindows)
  BroughtToFront,    // the main window brought to the front since the start (ScanForeground)
};

enum HungEnd { NotHung, HungEnded, HungEndRefused };

// What the run asks of the system and of the window stage. No two share a
// type, so a table that binds one in the place of another does not build.
struct PlacementOps {
  // The program the command names: its canonical path (CanonicalProgramPath),
  // the command in UTF-8, read from the run's own command line in UTF-16 (what
  // the lookup and the marks compare), and a job of the run's own for what it
  // starts (ProgramJob). False when the program's file is not there.
  bool (*openProgram)(const char* command, Program* program);
  // Takes the program's turn, waiting up to milliseconds for a run that has
  // it; 0 when no turn could be made, and giveTurn(0) does nothing.
  uintptr_t (*takeTurn)(const char* path, uint32_t milliseconds);
  void (*giveTurn)(uintptr_t turn);
  // Adds the processes found to the program; returns what the lookup it
  // names returns.
  uint32_t (*findProcesses)(Program* program, ProcessSearch search);
  // Closes the handles the lookups opened; the program holds no process after.
  void (*releaseProcesses)(Program* program);
  uint32_t (*ownSession)();
  // The system time, in the units of the processes' creation times.
  uint64_t (*now)();
  // Waits until the process waits for input, at most milliseconds; false
  // when it still does not (a process without input counts as waiting).
  bool (*readyForInput)(uintptr_t process, uint32_t milliseconds);
  // True, with its exit value, once the process has ended.
  bool (*ended)(uintptr_t process, uint32_t* exitValue);
  // Ends the process (exit code 0, waiting up to KillWaitMs) when it shows
  // windows and none of them answers within AnswerTimeoutMs; never one that
  // shows none. The system's reason when it could not be ended.
  HungEnd (*endIfHung)(const ProgramProcess& process, uint32_t* error);
  // Notes the main windows shown now, then starts the command at the
  // request's position and size in started->job (or through the shell where
  // ChooseLaunch takes CreateProcess's refusal for a shortcut, a document or
  // elevation), and fills started; its kind only when the start failed.
  bool (*start)(const PlacementRequest& request, StartedProcess* started);
  // Waits for the started process's first main window to be shown at its
  // place (AwaitEarlyPlacement), noting in started whether it was; false when
  // nothing was set up for that.
  bool (*awaitPlacedEarly)(StartedProcess* started);
  // Waits up to milliseconds, less once a window of what the run started is
  // shown.
  void (*waitForShown)(HandOverFollower* follower, uint32_t milliseconds);
  // Stops moving what the started program hands over to, and placing its
  // windows before they show (EndEarlyPlacement).
  void (*stopFollowing)(StartedProcess* started);
  bool (*scanWindows)(WindowState* state, uint32_t processId, WindowsToScan which,
                      const ShownWindows& shownBefore);
  PlaceResult (*place)(WindowState* state, const PlacementRequest& request);
  // Once the process is ready for input, at most StartSettleMs, puts what the
  // run placed back where it was put (PutBackPlaced).
  void (*putBackOnceReady)(const PlacementRequest& request, WindowState* state, uintptr_t process);
  // Keeps the placed windows in place for request.holdSeconds, following the
  // program; true when the hold placed a window itself (HoldPlacement).
  bool (*hold)(const PlacementRequest& request, Program* program, WindowState* state);
  // At the run's end: stops following, takes back the marks of the windows
  // this run placed, and closes what the program and the start hold.
  void (*letGo)(Program* program, StartedProcess* started, const WindowState& windows);
};

// Runs the whole placement for a non-empty command line, which it may shorten
// (trailing whitespace). Returns the exit value: 1 when at least one window
// was moved, 0 after a reported failure. The handles of the program's
// processes stay open until the run ends, so their ids cannot pass to another
// process meanwhile.
int RunPlacement(char* commandLine, const PlacementOps& ops);

// The same over the system (run_win32.cpp).
int RunPlacement(char* commandLine);
