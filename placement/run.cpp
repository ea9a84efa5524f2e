#include "placement/run.h"

#include <cstring>

#include "diag/diag.h"

namespace {

enum RunState { Parse, Lookup, ScanFound, Start, AwaitIdle, Scan, Kill, Wait, Place, Fail, Done };

enum RunFailure {
  MissingCoordinates,
  NoCommand,
  StartFailed,
  NoWindow,
  NoWindowShown,
  NotResponding,
  MoveFailed,
  KillFailed,
};

int ReportFailure(RunFailure failure, const char* commandLine, const char* command,
                  const char* errorText) {
  switch (failure) {
    case MissingCoordinates:
      MessageReport(CaptionFailure, MissingCoordinatesMessage, commandLine);
      break;
    case NoCommand:
      MessageReport(CaptionFailure, InvalidCommandMessage, commandLine);
      break;
    case StartFailed:
      MessageReport(CaptionFailure, "CreateProcess failed.\n%s", command);
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
  }
  return 0;
}

// The process the run waits for, and what it knows about the program's other
// processes.
struct Awaited {
  WindowState* windows;  // what the scans found
  ProgramProcess process;
  const char* path;   // the program's; "" when unknown: only the process is scanned
  bool startedByRun;  // instances running before the start may answer it
  bool instanceSeen;  // another process of the program showed windows meanwhile
  const ShownWindows* shown;
};

// One scan of a program that is expected to show a window; on a hand-over,
// awaited->process becomes the process that shows it. A copy begun after the
// awaited one counts with any window. An instance that was already running
// counts only once the started copy has handed over (it has ended, or this is
// the last scan), with a main window shown after the start or, when the
// started copy has ended, one it brought to the front.
bool ScanProgram(const PlacementOps& ops, Awaited* awaited, bool lastScan) {
  WindowState* windows = awaited->windows;
  if (ops.scanTargetWindows(windows, awaited->process.id)) return true;
  if (awaited->path[0] == '\0') return false;
  Program others;
  others.count = 0;
  std::strcpy(others.path, awaited->path);  // a path of the same size
  uint32_t count = ops.findProgram(&others, true);
  bool ended = awaited->process.handle != 0 && ops.hasExited(awaited->process.handle);
  bool found = false;
  for (uint32_t i = 0; i < count && i < ProgramSlots && !found; ++i) {
    const ProgramProcess& other = others.processes[i];
    if (other.id == awaited->process.id) continue;
    const uint64_t began = awaited->process.created;
    if (began != 0 && other.created > began) {
      found = ops.scanTargetWindows(windows, other.id);
    } else if (awaited->startedByRun) {
      awaited->instanceSeen = true;
      found = ((ended || lastScan) && ops.scanNewWindows(windows, other.id, *awaited->shown)) ||
              (ended && ops.scanForeground(windows, other.id, *awaited->shown));
    }
    if (found) {
      TraceLine("program handed over to process %d\r\n", static_cast<int>(other.id));
      awaited->process = other;
      awaited->process.handle = 0;  // closed below with the others
    }
  }
  ops.releaseProgram(&others);
  return found;
}

// What to do with the program's processes found running: place the first
// that shows a window; wait for one still starting (not yet waiting for
// input, or younger than the run's allowance); kill the hung ones (no window,
// ready, older, in this session). Processes of other sessions are not touched.
RunState ScanRunning(const PlacementOps& ops, const Program& program, Awaited* awaited) {
  const uint32_t session = ops.ownSession();
  const uint32_t count = program.count < ProgramSlots ? program.count : uint32_t{ProgramSlots};
  bool ours = false;
  for (uint32_t i = 0; i < count; ++i) {
    const ProgramProcess& process = program.processes[i];
    if (process.sessionId != session) continue;
    ours = true;
    if (ops.scanTargetWindows(awaited->windows, process.id)) {
      awaited->process = process;
      return Place;
    }
  }
  if (!ours) return Start;
  const uint64_t now = ops.now();
  for (uint32_t i = 0; i < count; ++i) {
    const ProgramProcess& process = program.processes[i];
    if (process.sessionId != session) continue;
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

}  // namespace

int RunPlacement(char* commandLine, const PlacementOps& ops) {
  PlacementRequest request = {0, 0, 0, 0, nullptr, 0};
  Program program;
  program.path[0] = '\0';
  program.count = 0;
  ShownWindows shown;
  shown.count = 0;
  shown.foreground = 0;
  StartedProcess started = {0, 0, 0, ""};
  WindowState windows = WindowState();
  Awaited awaited = {&windows, ProgramProcess(), "", false, false, &shown};
  RunFailure failure = MissingCoordinates;
  uintptr_t lock = 0;
  char errorText[ErrorTextSize] = "";
  int result = 0;

  RunState state = Parse;
  for (;;) {
    switch (state) {
      case Parse:
        // A failed parse leaves the line whole, so its message shows it as received.
        switch (ParsePlacementCommand(commandLine, &request)) {
          case PlacementMissingCoordinates:
            failure = MissingCoordinates;
            state = Fail;
            break;
          case PlacementNoCommand:
            failure = NoCommand;
            state = Fail;
            break;
          case PlacementParsed:
            state = Lookup;
            break;
        }
        break;

      case Lookup:
        ops.canonicalPath(request.command, program.path, sizeof program.path);
        // Taken before the lookup: a run that finds nothing and starts the
        // program keeps it until the program shows a window.
        if (program.path[0] != '\0') lock = ops.lockProgram(program.path, TurnWaitMs);
        state = ops.findProgram(&program, false) != 0 ? ScanFound : Start;
        awaited.path = program.path;
        break;

      case ScanFound:
        state = ScanRunning(ops, program, &awaited);
        break;

      case Kill: {
        // No process of the program shows a window, and none is still starting.
        TraceLine("killing hung process\r\n");
        const uint32_t session = ops.ownSession();
        state = Start;
        for (uint32_t i = 0; i < program.count && i < ProgramSlots; ++i) {
          const ProgramProcess& process = program.processes[i];
          uint32_t error = 0;
          if (process.sessionId != session || ops.terminateProcess(process.handle, &error))
            continue;
          ErrorCodeText(error, errorText, sizeof errorText);
          failure = KillFailed;
          state = Fail;
          break;
        }
        break;
      }

      case Start:
        ops.recordShownWindows(&shown);
        if (!ops.startProcess(request, &started)) {
          failure = StartFailed;
          state = Fail;
          break;
        }
        // The program is what the system started: a command with arguments
        // is followed by its executable's path.
        if (started.path[0] != '\0') {
          std::strcpy(program.path, started.path);  // the same size
        }
        awaited = {&windows,     {started.id, 0, 0, started.created, started.handle},
                   program.path, true,
                   false,        &shown};
        state = AwaitIdle;
        break;

      case AwaitIdle:
        ops.waitForInputIdle(awaited.process.handle, InputIdleTimeoutMs);
        ops.sleep(StartSettleMs);
        state = Scan;
        break;

      case Scan:
        state = ScanProgram(ops, &awaited, false) ? Place : Wait;
        break;

      case Wait:
        state = Fail;
        for (int i = 0; i < ExtraScans; ++i) {
          ops.sleep(StartSettleMs);
          if (ScanProgram(ops, &awaited, i == ExtraScans - 1)) {
            state = Place;
            break;
          }
        }
        // A started program without a window is left running.
        if (state == Fail) failure = awaited.instanceSeen ? NoWindowShown : NoWindow;
        break;

      case Place: {
        // A run that moved not one window failed, however it got there; with a
        // hold, only when the hold could not place a window either (the first
        // one may be a splash that does not answer).
        PlaceResult placed = ops.placeTargetWindows(&windows, request);
        // The program shows its window, placed: the next run of it may look.
        ops.unlockProgram(lock);
        lock = 0;
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
        result = ReportFailure(failure, commandLine, request.command, errorText);
        state = Done;
        break;

      case Done:
        if (request.command != nullptr) {
          ops.clearMarks(windows);
          ops.releaseProgram(&program);
        }
        if (started.handle != 0) ops.closeProcess(started.handle);
        return result;
    }
  }
}
