#include "placement/run.h"

#include "diag/diag.h"

namespace {

enum RunState { Parse, Lookup, ScanFound, Start, AwaitIdle, Scan, Kill, Wait, Place, Fail, Done };

enum RunFailure {
  Refused,  // the parser's refusal of the line
  ProgramMissing,
  StartFailed,
  NoWindow,
  EndedWithoutWindow,
  NoWindowShown,
  NotResponding,
  MoveFailed,
  KillFailed,
  ShellFailed,
};

// exitValue is the started program's, for EndedWithoutWindow.
int ReportFailure(RunFailure failure, const char* commandLine, const PlacementRequest& request,
                  PlacementParse parse, const char* errorText, uint32_t exitValue) {
  const char* command = request.command;
  switch (failure) {
    case Refused:
      ReportPlacementRefusal(parse, request, commandLine);
      break;
    case ProgramMissing:
      ReportProgramMissing(command);
      break;
    case StartFailed:
      MessageReport(CaptionFailure, "CreateProcess failed.\n%s\n%s", command, errorText);
      break;
    case EndedWithoutWindow:
      MessageReport(CaptionFailure, "%s\nended (exit value %u) without showing a window.", command,
                    static_cast<unsigned>(exitValue));
      break;
    case NoWindow:
      MessageReport(CaptionFailure,
                    "Didn't find window: %s\n\nPerhaps there are hung processes you need to "
                    "kill off in the task manager?",
                    commandLine);
      break;
    case NoWindowShown:
      MessageReport(CaptionFailure,
                    "The running program took the request without showing a window: %s",
                    commandLine);
      break;
    case NotResponding:
      MessageReport(CaptionFailure, "Window not responding: %s", commandLine);
      break;
    case MoveFailed:
      MessageReport(CaptionFailure, "MoveWindow failed: %s\n%s", commandLine, errorText);
      break;
    case KillFailed:
      MessageReport(CaptionFailure, "TerminateProcess failed: %s\n%s", commandLine, errorText);
      break;
    case ShellFailed:
      MessageReport(CaptionFailure, "ShellExecuteEx failed: %s\n%s", command, errorText);
      break;
  }
  return 0;
}

// The process the run waits for, and what it knows about the program's other
// processes.
struct Awaited {
  WindowState* windows;  // what the scans found
  ProgramProcess process;
  bool startedByRun;  // instances running before the start may answer it
  bool instanceSeen;  // another process of the program showed windows meanwhile
  const ShownWindows* shown;
  bool ownLast = false;  // a script: its own (console) window counts only at the last scan
};

// The process's windows that are the command's: all of them, or only those
// placed for it in a copy that took its request.
bool ScanProcess(const PlacementOps& ops, WindowState* windows, const ProgramProcess& process) {
  return process.markedOnly ? ops.scanPlacedWindows(windows, process.id)
                            : ops.scanTargetWindows(windows, process.id);
}

// One scan of a program that is expected to show a window; on a hand-over,
// awaited->process becomes the process that shows it. A copy begun after the
// awaited one, and what the awaited one started, count with any window. An instance that was
// already running counts only once the started copy has handed over (it has ended, or this is the
// last scan), with a main window shown after the start or, when the started copy has ended, one it
// brought to the front. What is in the run's job is the program's too. The
// program gains what each look finds; its handles stay open until the run ends.
bool ScanProgram(const PlacementOps& ops, Awaited* awaited, bool lastScan, Program* program) {
  WindowState* windows = awaited->windows;
  if (!awaited->ownLast && ops.scanTargetWindows(windows, awaited->process.id)) return true;
  if (program->path[0] != '\0') ops.findProgram(program, true);
  ops.findLaunched(program, true);
  bool ended = awaited->process.handle != 0 && ops.hasExited(awaited->process.handle);
  bool found = false;
  for (uint32_t i = 0; i < program->count && i < ProgramSlots && !found; ++i) {
    const ProgramProcess& other = program->processes[i];
    if (other.id == awaited->process.id) continue;
    const uint64_t began = awaited->process.created;
    if (other.launched || (began != 0 && other.created > began && !other.otherArguments)) {
      found = ScanProcess(ops, windows, other);
    } else if (awaited->startedByRun) {
      awaited->instanceSeen = true;
      found = ((ended || lastScan) && ops.scanNewWindows(windows, other.id, *awaited->shown)) ||
              (ended && ops.scanForeground(windows, other.id, *awaited->shown));
    }
    if (found) {
      TraceLine("program handed over to process %d\r\n", static_cast<int>(other.id));
      awaited->process = other;
    }
  }
  return found ||
         (awaited->ownLast && lastScan && ops.scanTargetWindows(windows, awaited->process.id));
}

// What to do with the command's processes found running (those of the
// program with the command's arguments): place the first that shows a window;
// wait for one still starting (not yet waiting for input, or younger than the
// run's allowance); else start the command, after ending the hung ones (see
// Kill). Processes of other sessions, and copies running other arguments, are
// not touched.
// When none shows a window, what they started (a launcher that stays without
// one, a script) is looked at; while any of it lives, the program is awaited,
// never killed.
RunState ScanRunning(const PlacementOps& ops, Program* program, Awaited* awaited) {
  const uint32_t session = ops.ownSession();
  bool ours = false, launched = false;
  ProgramProcess first = ProgramProcess();  // the first process of the command met
  for (int pass = 0; pass < 2; ++pass) {
    if (pass == 1) ops.findLaunched(program, true);
    for (uint32_t i = 0; i < program->count; ++i) {
      const ProgramProcess& process = program->processes[i];
      if (process.sessionId != session || process.launched != (pass == 1) || process.otherArguments)
        continue;
      if (!ours && !launched) first = process;
      (pass == 0 ? ours : launched) = true;
      if (ScanProcess(ops, awaited->windows, process)) {
        awaited->process = process;
        return Place;
      }
    }
  }
  if (launched) {
    awaited->process = first;
    return AwaitIdle;
  }
  if (!ours) return Start;
  const uint64_t now = ops.now();
  for (uint32_t i = 0; i < program->count; ++i) {
    const ProgramProcess& process = program->processes[i];
    if (process.sessionId != session || process.otherArguments) continue;
    bool young =
        process.created != 0 && now - process.created < static_cast<uint64_t>(AllowanceMs) * 10000;
    if (young || !ops.waitForInputIdle(process.handle, 0)) {
      TraceLine("process %d is still starting\r\n", static_cast<int>(process.id));
      awaited->process = process;
      return AwaitIdle;
    }
  }
  return Kill;
}

// Whether the started program has ended, and no process of the program (a
// copy, or what it started) is left: nothing hung to blame then.
bool EndedWithAll(const PlacementOps& ops, const Awaited& awaited, Program* program,
                  uint32_t* exitValue) {
  if (awaited.process.handle == 0 || !ops.exitValue(awaited.process.handle, exitValue))
    return false;
  for (uint32_t i = 0; i < program->count && i < ProgramSlots; ++i)
    if (program->processes[i].handle != 0 && !ops.hasExited(program->processes[i].handle))
      return false;
  return (program->path[0] == '\0' || ops.findProgram(program, false) == 0) &&
         ops.findLaunched(program, false) == 0;
}

}  // namespace

int RunPlacement(char* commandLine, const PlacementOps& ops) {
  PlacementRequest request = {0, 0, 0, 0, nullptr, 0};
  Program program;
  program.path[0] = '\0';
  program.command = nullptr;
  program.count = 0;
  program.job = 0;
  ShownWindows shown;
  shown.count = 0;
  shown.foreground = 0;
  StartedProcess started = {0, 0, 0, ""};
  WindowState windows = WindowState();
  Awaited awaited = {&windows, ProgramProcess(), false, false, &shown};
  RunFailure failure = Refused;
  PlacementParse parse = PlacementParsed;
  uint32_t exitValue = 0;
  uintptr_t lock = 0;
  char errorText[ErrorTextSize] = "";
  int result = 0;

  RunState state = Parse;
  for (;;) {
    switch (state) {
      case Parse:
        // A failed parse leaves the line whole, so its message shows it as received.
        parse = ParsePlacementCommand(commandLine, &request);
        state = parse == PlacementParsed ? Lookup : Fail;
        break;

      case Lookup:
        if (!ops.canonicalPath(request.command, program.path, sizeof program.path)) {
          failure = ProgramMissing;
          state = Fail;
          break;
        }
        // Taken before the lookup: a run that finds nothing and starts the
        // program keeps it until the program shows a window.
        if (program.path[0] != '\0') lock = ops.lockProgram(program.path, TurnWaitMs);
        program.job = ops.programJob();
        program.command = request.command;
        windows.program = program.path;
        windows.command = request.command;
        // A launcher that has ended leaves its game's window placed for the program.
        state = ops.findProgram(&program, false) != 0 || ops.findLaunched(&program, false) != 0
                    ? ScanFound
                    : Start;
        break;

      case ScanFound:
        state = ScanRunning(ops, &program, &awaited);
        break;

      case Kill: {
        // No process of the command shows a window, and none is still starting.
        // Hung is one whose windows all keep silent. One that shows no window
        // (a tray program, the shell) is healthy: the command is started, and
        // a copy that hands the request to it gets its window shown.
        const uint32_t session = ops.ownSession();
        state = Start;
        bool ended = false;
        for (uint32_t i = 0; i < program.count && i < ProgramSlots && state == Start; ++i) {
          const ProgramProcess& process = program.processes[i];
          uint32_t error = 0;
          if (process.sessionId != session || process.otherArguments ||
              !ops.windowsSilent(process.id))
            continue;
          if (!ended) TraceLine("killing hung process\r\n");
          ended = true;
          if (ops.terminateProcess(process.handle, &error)) continue;
          ErrorCodeText(error, errorText, sizeof errorText);
          failure = KillFailed;
          state = Fail;
        }
        if (state == Start && ended) ops.releaseProgram(&program);  // no part of the new start
        break;
      }

      case Start:
        ops.recordShownWindows(&shown);
        started.job = program.job;
        started.program = program.path;
        if (!ops.startProcess(request, &started)) {
          failure = started.throughShell ? ShellFailed : StartFailed;
          ErrorCodeText(started.error, errorText, sizeof errorText);
          state = Fail;
          break;
        }
        // What the system started (a script's command processor, a
        // shortcut's target) stays beside the program, whose path keeps its
        // meaning. A script is followed through what it starts (its job), and
        // its own console window counts only when that shows none by the last
        // scan.
        awaited = {&windows, {started.id, 0, started.created, started.handle}, true, false, &shown};
        awaited.ownLast = SameTextIgnoringAsciiCase(FileNamePart(started.path), "cmd.exe");
        // Held without a handle (the run's own is closed apart), so that what
        // it starts outside the job is found through it.
        if (program.count < ProgramSlots)
          program.processes[program.count++] = {started.id, 0, started.created, 0, awaited.ownLast};
        state = AwaitIdle;
        break;

      case AwaitIdle:
        state = Scan;
        if (ops.awaitPlaced(&started)) break;
        // Looked at a second at a time while it gets ready: a stub that
        // starts the real program and waits never does, yet windows show.
        for (uint32_t waited = 0; waited < InputIdleTimeoutMs; waited += StartSettleMs) {
          if (ops.waitForInputIdle(awaited.process.handle, StartSettleMs)) break;
          if (ScanProgram(ops, &awaited, false, &program)) {
            state = Place;
            break;
          }
        }
        if (state == Scan) ops.waitForShown(&started, StartSettleMs);
        break;

      case Scan:
        state = ScanProgram(ops, &awaited, false, &program) ? Place : Wait;
        break;

      case Wait: {
        state = Fail;
        // A scan as soon as a window shows, a second apart without one; the
        // limit is the same either way.
        const uint32_t limit = ExtraScans * StartSettleMs, slice = StartSettleMs;
        for (uint32_t waited = 0; waited < limit && state == Fail;) {
          waited += ops.waitForShown(&started, limit - waited < slice ? limit - waited : slice);
          if (ScanProgram(ops, &awaited, waited >= limit, &program)) state = Place;
        }
        // A started program without a window is left running.
        // A copy running before the start took the request only once the
        // started one has ended.
        const bool handedOver =
            awaited.instanceSeen && started.handle != 0 && ops.hasExited(started.handle);
        if (state == Fail)
          failure = handedOver                                         ? NoWindowShown
                    : EndedWithAll(ops, awaited, &program, &exitValue) ? EndedWithoutWindow
                                                                       : NoWindow;
        break;
      }

      case Place: {
        // A run that moved not one window failed, however it got there; with a
        // hold, only when the hold could not place a window either (the first
        // one may be a splash that does not answer).
        // The program shows its window: the next run of it may look.
        ops.unlockProgram(lock);
        lock = 0;
        ops.stopFollowing(&started);  // the hold, if any, takes over from here
        PlaceResult placed = ops.placeTargetWindows(&windows, request);
        if (placed.moved > 0 && request.holdSeconds == 0 && awaited.startedByRun)
          ops.settlePlaced(request, &windows, awaited.process.handle);
        bool heldPlaced = request.holdSeconds > 0 && ops.holdPlacement(request, &program, &windows);
        if (placed.moved > 0 || heldPlaced) {
          result = 1;
          state = Done;
          break;
        }
        failure = placed.reason == UnmovedMoveFailed ? MoveFailed : NotResponding;
        if (failure == MoveFailed) ErrorCodeText(placed.error, errorText, sizeof errorText);
        state = Fail;
        break;
      }

      case Fail:
        ops.unlockProgram(lock);
        lock = 0;
        result = ReportFailure(failure, commandLine, request, parse, errorText, exitValue);
        state = Done;
        break;

      case Done:
        ops.stopFollowing(&started);
        if (request.command != nullptr) {
          ops.clearMarks(windows);
          ops.releaseProgram(&program);
        }
        if (started.handle != 0) ops.closeProcess(started.handle);
        if (program.job != 0) ops.closeProcess(program.job);
        return result;
    }
  }
}
