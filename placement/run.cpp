// The placement run as a road of phases over one value, PlacementRun: the
// program's turn is taken, the command's windows are looked for among what
// runs, the command is started when none will do, its window is waited for,
// placed, put back once and held. Each phase returns whether the road goes on;
// one that ends it notes why, and the run reports that once, at its end.
#include "placement/run.h"

#include "diag/diag.h"

namespace {

// The first three are about the command, the others about the line as received.
enum RunFailure {
  ProgramMissing,
  StartFailed,
  ShellFailed,
  KillFailed,
  NoWindow,
  EndedWithoutWindow,
  NoWindowShown,
  NotResponding,
  MoveFailed,
};

struct PlacementRun {
  PlacementRun(const PlacementOps& ops, const char* commandLine, const PlacementRequest& request)
      : ops(ops), commandLine(commandLine), request(request) {}

  const PlacementOps& ops;
  const char* commandLine;  // as received, for the messages
  const PlacementRequest request;
  Program program = {};
  WindowState windows = {};  // what the scans found, and what was placed
  StartedProcess started = {};
  uintptr_t turn = 0;
  uint32_t session = 0;
  ProgramProcess awaited = {};  // whose window the run waits for; on a hand-over, who showed it
  bool startedByRun = false;    // instances running before the start may answer it
  bool instanceSeen = false;    // another process of the program showed windows meanwhile
  RunFailure failure = NoWindow;
  uint32_t error = 0;      // the system's reason, for the failures that give one
  uint32_t exitValue = 0;  // the started program's, for EndedWithoutWindow
};

bool Failed(PlacementRun* run, RunFailure failure, uint32_t error = 0) {
  run->failure = failure;
  run->error = error;
  return false;
}

// The message of each failure, in the order of RunFailure, with what it is
// about and the system's reason where it has room for it; null for the two
// said otherwise.
const char* const FailureTexts[] = {
    nullptr,
    "CreateProcess failed.\n%s\n%s",
    "ShellExecuteEx failed: %s\n%s",
    "TerminateProcess failed: %s\n%s",
    "Didn't find window: %s\n\nPerhaps there are hung processes you need to kill off in the task "
    "manager?",
    nullptr,
    "The running program took the request without showing a window: %s",
    "Window not responding: %s",
    "MoveWindow failed: %s\n%s",
};

void ReportFailure(const PlacementRun& run) {
  const char* command = run.request.command;
  char reason[ErrorTextSize];
  ErrorCodeText(run.error, reason, sizeof reason);
  if (run.failure == ProgramMissing)
    ReportProgramMissing(command);
  else if (run.failure == EndedWithoutWindow)
    MessageReport(CaptionFailure, "%s\nended (exit value %u) without showing a window.", command,
                  static_cast<unsigned>(run.exitValue));
  else
    MessageReport(CaptionFailure, FailureTexts[run.failure],
                  run.failure <= ShellFailed ? command : run.commandLine, reason);
}

void GiveTurn(PlacementRun* run) {
  run->ops.giveTurn(run->turn);
  run->turn = 0;
}

// Processes of other sessions, and copies running other arguments, are never
// the command's.
bool IsCommands(const PlacementRun& run, const ProgramProcess& process) {
  return process.sessionId == run.session && !process.otherArguments;
}

// Taken before the lookup: a run that finds nothing and starts the program
// keeps the turn until the program shows a window, so a double click never
// starts two copies.
bool TakeTurn(PlacementRun* run) {
  Program& program = run->program;
  if (!run->ops.openProgram(run->request.command, &program)) return Failed(run, ProgramMissing);
  if (program.path[0] != '\0') run->turn = run->ops.takeTurn(program.path, TurnWaitMs);
  run->windows.program = program.path;
  run->windows.command = program.command;
  return true;
}

// All its windows, or only those placed for the command in a copy that took its request.
bool ScanProcess(PlacementRun* run, const ProgramProcess& process) {
  return run->ops.scanWindows(&run->windows, process.id,
                              process.markedOnly ? PlacedForCommand : AllMainWindows,
                              run->started.shownBefore);
}

enum Found { WindowFound, StillStarting, RunningWithoutWindow, NotRunning };

// A window of the command's processes (the program with its arguments), else of what they
// started; what they started without a window yet (a launcher, a script) is awaited.
Found FindCommandWindow(PlacementRun* run) {
  Program& program = run->program;
  bool own = false, handedOver = false;
  ProgramProcess first = ProgramProcess();  // the first process of the command met
  for (int pass = 0; pass < 2; ++pass) {
    if (pass == 1) run->ops.findProcesses(&program, HandedOverAnywhere);
    for (uint32_t i = 0; i < program.count; ++i) {
      const ProgramProcess& process = program.processes[i];
      if (!IsCommands(*run, process) || process.handedOver != (pass == 1)) continue;
      if (!own && !handedOver) first = process;
      (pass == 0 ? own : handedOver) = true;
      if (ScanProcess(run, process)) {
        run->awaited = process;
        return WindowFound;
      }
    }
  }
  run->awaited = first;
  return handedOver ? StillStarting : own ? RunningWithoutWindow : NotRunning;
}

// A process still starting (not yet waiting for input, or younger than the
// run's allowance) is awaited, whatever else it shows.
bool FindStarting(PlacementRun* run) {
  const uint64_t now = run->ops.now();
  for (uint32_t i = 0; i < run->program.count; ++i) {
    const ProgramProcess& process = run->program.processes[i];
    if (!IsCommands(*run, process)) continue;
    const bool young =
        process.created != 0 && now - process.created < static_cast<uint64_t>(AllowanceMs) * 10000;
    if (young || !run->ops.readyForInput(process.handle, 0)) {
      TraceLine("process %d is still starting\r\n", static_cast<int>(process.id));
      run->awaited = process;
      return true;
    }
  }
  return false;
}

Found FindCommand(PlacementRun* run) {
  run->session = run->ops.ownSession();
  // A launcher that has ended leaves its game's window placed for the program.
  if (run->ops.findProcesses(&run->program, ProgramProcesses) == 0 &&
      run->ops.findProcesses(&run->program, HandedOver) == 0)
    return NotRunning;
  const Found found = FindCommandWindow(run);
  if (found == RunningWithoutWindow && FindStarting(run)) return StillStarting;
  return found;
}

// No process of the command shows a window, and none is still starting. Hung
// is one whose windows all keep silent: it is ended before the new start. One
// that shows no window (a tray program, the shell) is healthy and left
// running: the copy started beside it may hand it the request.
bool EndHung(PlacementRun* run) {
  bool ended = false;
  for (uint32_t i = 0; i < run->program.count && i < ProgramSlots; ++i) {
    const ProgramProcess& process = run->program.processes[i];
    uint32_t error = 0;
    if (!IsCommands(*run, process)) continue;
    const HungEnd end = run->ops.endIfHung(process, &error);
    if (end != NotHung && !ended) TraceLine("killing hung process\r\n");
    ended = ended || end != NotHung;
    if (end == HungEndRefused) return Failed(run, KillFailed, error);
  }
  if (ended) run->ops.releaseProcesses(&run->program);  // no part of the new start
  return true;
}

bool Start(PlacementRun* run) {
  StartedProcess& started = run->started;
  started.job = run->program.job;
  started.program = run->program.path;
  if (!run->ops.start(run->request, &started))
    return Failed(run, started.kind == LaunchShell ? ShellFailed : StartFailed, started.error);
  // A script's command processor, or a shortcut's target, stays beside the program; a
  // script's own console window counts only when nothing it starts shows one. The error
  // is the refusal that sent the command to the shell, if any.
  started.kind = ChooseLaunch(started.error, started.path);
  run->awaited = {started.id, 0, started.created, started.handle};
  run->startedByRun = true;
  // Held without a handle (closed apart), so that what it starts outside the job is found.
  Program& program = run->program;
  if (program.count < ProgramSlots)
    program.processes[program.count++] = {started.id, 0, started.created, 0,
                                          started.kind == LaunchScript};
  return true;
}

bool HasEnded(const PlacementRun& run, uintptr_t process) {
  uint32_t exitValue = 0;
  return process != 0 && run.ops.ended(process, &exitValue);
}

// A later copy, or what the program started, may show any window. An instance running
// before the start counts once the started copy has handed over (ended, or at the last
// scan), with a window new since the start or, once ended, one brought to the front.
bool ScanOtherProcesses(PlacementRun* run, bool lastScan) {
  Program& program = run->program;
  if (program.path[0] != '\0') run->ops.findProcesses(&program, ProgramWindowOwners);
  run->ops.findProcesses(&program, HandedOverAnywhere);
  const bool ended = HasEnded(*run, run->awaited.handle);
  const ShownWindows& shown = run->started.shownBefore;
  for (uint32_t i = 0; i < program.count && i < ProgramSlots; ++i) {
    const ProgramProcess& other = program.processes[i];
    if (other.id == run->awaited.id) continue;
    const uint64_t began = run->awaited.created;
    bool found = false;
    if (other.handedOver || (began != 0 && other.created > began && !other.otherArguments)) {
      found = ScanProcess(run, other);
    } else if (run->startedByRun) {
      run->instanceSeen = true;
      WindowState* windows = &run->windows;
      found =
          ((ended || lastScan) && run->ops.scanWindows(windows, other.id, NewSinceStart, shown)) ||
          (ended && run->ops.scanWindows(windows, other.id, BroughtToFront, shown));
    }
    if (found) {
      TraceLine("program handed over to process %d\r\n", static_cast<int>(other.id));
      run->awaited = other;
      return true;
    }
  }
  return false;
}

bool ScanProgram(PlacementRun* run, bool lastScan) {
  const uint32_t id = run->awaited.id;
  const ShownWindows& shown = run->started.shownBefore;
  const bool consoleLast = run->started.kind == LaunchScript;
  if (!consoleLast && run->ops.scanWindows(&run->windows, id, AllMainWindows, shown)) return true;
  return ScanOtherProcesses(run, lastScan) ||
         (consoleLast && lastScan &&
          run->ops.scanWindows(&run->windows, id, AllMainWindows, shown));
}

// Looked at a second at a time while it gets ready: a stub that starts the
// real program and waits never does, yet windows show. True when one did.
bool ScanWhileStarting(PlacementRun* run) {
  if (run->ops.awaitPlacedEarly(&run->started)) return false;
  for (uint32_t waited = 0; waited < InputIdleTimeoutMs; waited += StartSettleMs) {
    if (run->ops.readyForInput(run->awaited.handle, StartSettleMs)) break;
    if (ScanProgram(run, false)) return true;
  }
  run->ops.waitForShown(&run->started.follower, StartSettleMs);
  return false;
}

// Whether the started program has ended, and no process of the program (a
// copy, or what it started) is left: nothing hung to blame then.
bool EndedWithAll(PlacementRun* run) {
  Program& program = run->program;
  if (run->awaited.handle == 0 || !run->ops.ended(run->awaited.handle, &run->exitValue))
    return false;
  for (uint32_t i = 0; i < program.count && i < ProgramSlots; ++i)
    if (program.processes[i].handle != 0 && !HasEnded(*run, program.processes[i].handle))
      return false;
  return (program.path[0] == '\0' || run->ops.findProcesses(&program, ProgramProcesses) == 0) &&
         run->ops.findProcesses(&program, HandedOver) == 0;
}

// A scan as soon as a window shows, a second apart without one; the limit is
// the same either way, measured on the clock, whatever the waits say they
// took. A clock set back counts as standing still, never as a longer wait.
// A started program without a window is left running.
bool WaitForWindow(PlacementRun* run) {
  if (ScanWhileStarting(run) || ScanProgram(run, false)) return true;
  const uint64_t limit = uint64_t{ExtraScans} * StartSettleMs * 10000, slice = StartSettleMs;
  uint64_t waited = 0, last = run->ops.now();
  while (waited < limit) {
    const uint64_t rest = (limit - waited + 9999) / 10000;  // in milliseconds, rounded up
    run->ops.waitForShown(&run->started.follower,
                          static_cast<uint32_t>(rest < slice ? rest : slice));
    const uint64_t now = run->ops.now();
    waited += now > last ? now - last : 0;
    last = now;
    if (ScanProgram(run, waited >= limit)) return true;
  }
  // An instance took the request only if the started copy has ended.
  if (run->instanceSeen && HasEnded(*run, run->started.handle)) return Failed(run, NoWindowShown);
  return Failed(run, EndedWithAll(run) ? EndedWithoutWindow : NoWindow);
}

// The window is there: the hold takes over from the follower.
PlaceResult Place(PlacementRun* run) {
  run->ops.stopFollowing(&run->started);
  return run->ops.place(&run->windows, run->request);
}

// A started program that moves its window away again as it finishes starting
// (a saved place restored right after the show) has it put back once; one
// placed before it showed is kept there from within meanwhile.
void PutBack(PlacementRun* run) {
  run->ops.putBackOnceReady(run->request, &run->windows, run->awaited.handle);
}

bool Hold(PlacementRun* run) { return run->ops.hold(run->request, &run->program, &run->windows); }

// The road of the README's placement run. A run that moved not one window
// failed, however it got there; with a hold, only when the hold could not
// place a window either (the first one may be a splash that does not answer).
bool PlaceCommand(PlacementRun* run) {
  if (!TakeTurn(run)) return false;
  switch (FindCommand(run)) {
    case WindowFound:
      break;
    case StillStarting:
      if (WaitForWindow(run)) break;
      // A copy still without a window at the end of the wait is one that shows
      // none, as an older copy can be (the shell, a program in the notification
      // area); what a launcher started is only ever waited for.
      if (run->failure != NoWindow || run->awaited.handedOver ||
          HasEnded(*run, run->awaited.handle))
        return false;
      TraceLine("process %d showed no window: the command is started beside it\r\n",
                static_cast<int>(run->awaited.id));
      if (!Start(run) || !WaitForWindow(run)) return false;
      break;
    case RunningWithoutWindow:
      if (!EndHung(run)) return false;
      [[fallthrough]];  // started beside, or instead of, what runs
    case NotRunning:
      if (!Start(run) || !WaitForWindow(run)) return false;
      break;
  }
  const PlaceResult placed = Place(run);
  const bool holding = run->request.holdSeconds > 0;
  if (placed.moved > 0 && !holding && run->startedByRun && !run->started.placedEarly) PutBack(run);
  // Only now may the next run look: a put-back after its move would undo it.
  GiveTurn(run);
  if ((holding && Hold(run)) || placed.moved > 0) return true;
  return placed.reason == UnmovedMoveFailed ? Failed(run, MoveFailed, placed.error)
                                            : Failed(run, NotResponding);
}

}  // namespace

int RunPlacement(char* commandLine, const PlacementOps& ops) {
  PlacementRequest request = {0, 0, 0, 0, nullptr, 0};
  // A refused line is left whole, so its message shows it as received.
  const PlacementParse parse = ParsePlacementCommand(commandLine, &request);
  if (parse != PlacementParsed) {
    ReportPlacementRefusal(parse, request, commandLine);
    return 0;
  }
  PlacementRun run(ops, commandLine, request);
  const bool placed = PlaceCommand(&run);
  if (!placed) {
    GiveTurn(&run);  // before the message, which may stay up for long
    ReportFailure(run);
  }
  ops.letGo(&run.program, &run.started, run.windows);
  return placed ? 1 : 0;
}
