#include "placement/run.h"

#include "diag/diag.h"

namespace {

enum RunState { Parse, Lookup, ScanFound, Start, Scan, Kill, Wait, Place, Fail, Done };

enum RunFailure { MissingCoordinates, NoCommand, StartFailed, NoWindow, NotResponding, MoveFailed };

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
    case NotResponding:
      MessageReport(CaptionFailure, "Window not responding: %s", commandLine);
      break;
    case MoveFailed:
      MessageReport(CaptionFailure, "MoveWindow failed: %s\n%s", commandLine, errorText);
      break;
  }
  return 0;
}

// The program the run waits for: the process it scans, and the program's path
// and start time for finding the processes it may hand over to.
struct Awaited {
  uint32_t processId;
  const char* path;   // "" when unknown: only processId is scanned
  uint64_t began;     // when processId began
  bool startedByRun;  // instances running before the start may open a new window
};

// Whether the other process counts as the program's: a copy begun after the
// awaited one shows any window; an instance already running, only windows
// shown after the run's start.
bool OtherShowsWindow(const PlacementOps& ops, const Awaited& awaited,
                      const ProgramProcess& other) {
  if (other.created > awaited.began && awaited.began != 0) return ops.scanTargetWindows(other.id);
  return awaited.startedByRun && ops.scanNewWindows(other.id);
}

// One scan of a program that is expected to show a window; on a hand-over,
// awaited->processId becomes the process that shows it.
bool ScanProgram(const PlacementOps& ops, Awaited* awaited) {
  if (ops.scanTargetWindows(awaited->processId)) return true;
  if (awaited->path[0] == '\0') return false;
  ProgramProcess others[ProgramSlots];
  uint32_t count = ops.findProcesses(awaited->path, others, ProgramSlots);
  for (uint32_t i = 0; i < count && i < ProgramSlots; ++i) {
    if (others[i].id == awaited->processId || !OtherShowsWindow(ops, *awaited, others[i])) continue;
    TraceLine("program handed over to process %d\r\n", static_cast<int>(others[i].id));
    awaited->processId = others[i].id;
    return true;
  }
  return false;
}

// The running process with a window, or what to do when none shows one: a
// lone instance still starting is waited for, a lone older one is hung, and
// among several none is taken for hung.
enum RunState ScanRunning(const PlacementOps& ops, const ProgramProcess* running, uint32_t count,
                          Awaited* awaited) {
  for (uint32_t i = 0; i < count && i < ProgramSlots; ++i) {
    if (ops.scanTargetWindows(running[i].id)) {
      awaited->processId = running[i].id;
      return Place;
    }
  }
  if (count > 1) return Start;
  awaited->processId = running[0].id;
  awaited->began = running[0].created;
  uint64_t age = ops.now() - running[0].created;
  if (running[0].created != 0 && age < static_cast<uint64_t>(StartingMs) * 10000) {
    TraceLine("process %d is still starting\r\n", static_cast<int>(running[0].id));
    return Wait;
  }
  return Kill;
}

}  // namespace

int RunPlacement(char* commandLine, const PlacementOps& ops) {
  PlacementRequest request = {0, 0, 0, 0, nullptr, 0};
  ProgramProcess running[ProgramSlots];
  uint32_t runningCount = 0;
  StartedProcess started = {0, 0, 0, ""};
  Awaited awaited = {0, "", 0, false};
  uint32_t& processId = awaited.processId;  // the process whose windows are placed
  RunFailure failure = MissingCoordinates;
  uintptr_t startedHandle = 0;
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
        runningCount = ops.findProcesses(request.command, running, ProgramSlots);
        awaited.path = request.command;
        state = runningCount != 0 ? ScanFound : Start;
        break;

      case ScanFound:
        state = ScanRunning(ops, running, runningCount, &awaited);
        break;

      case Start:
        ops.recordShownWindows();
        if (!ops.startProcess(request, &started)) {
          failure = StartFailed;
          state = Fail;
          break;
        }
        startedHandle = started.handle;
        ops.waitForInputIdle(started.handle, InputIdleTimeoutMs);
        ops.sleep(StartSettleMs);
        awaited = {started.id, started.path, started.created, true};
        state = Scan;
        break;

      case Scan:
        state = ScanProgram(ops, &awaited) ? Place : Wait;
        break;

      case Kill:
        // The program's only process, not starting, without a visible window: hung.
        TraceLine("killing hung process\r\n");
        ops.terminateProcess(processId);
        state = Start;
        break;

      case Wait:
        state = Fail;
        for (int i = 0; i < ExtraScans; ++i) {
          ops.sleep(StartSettleMs);
          if (ScanProgram(ops, &awaited)) {
            state = Place;
            break;
          }
        }
        // A started program without a window is left running.
        if (state == Fail) failure = NoWindow;
        break;

      case Place: {
        // A run that moved not one window failed, however it got there; with a
        // hold, only when the hold could not place a window either (the first
        // one may be a splash that does not answer).
        PlaceResult placed = ops.placeTargetWindows(request);
        bool heldPlaced = request.holdSeconds > 0 && ops.holdPlacement(request, processId);
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
        result = ReportFailure(failure, commandLine, request.command, errorText);
        state = Done;
        break;

      case Done:
        if (startedHandle != 0) ops.closeProcess(startedHandle);
        return result;
    }
  }
}
