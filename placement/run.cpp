#include "placement/run.h"

#include "diag/diag.h"

namespace {

enum RunState { Parse, Lookup, Start, Scan, Kill, Wait, Place, Fail, Done };

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

}  // namespace

int RunPlacement(char* commandLine, const PlacementOps& ops) {
  PlacementRequest request = {0, 0, 0, 0, nullptr, 0};
  bool foundRunning = false;
  uint32_t processId = 0;
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
            foundRunning = true;
            state = Lookup;
            break;
        }
        break;

      case Lookup:
        processId = ops.findRunningProcess(request.command);
        state = processId != 0 ? Scan : Start;
        break;

      case Start: {
        foundRunning = false;
        StartedProcess started = {0, 0};
        if (!ops.startProcess(request, &started)) {
          failure = StartFailed;
          state = Fail;
          break;
        }
        startedHandle = started.handle;
        ops.waitForInputIdle(started.handle, InputIdleTimeoutMs);
        ops.sleep(StartSettleMs);
        processId = started.id;
        state = Scan;
        break;
      }

      case Scan:
        if (ops.scanTargetWindows(processId))
          state = Place;
        else
          state = foundRunning ? Kill : Wait;
        break;

      case Kill:
        // Running but without a single visible window: taken to be hung.
        TraceLine("killing hung process\r\n");
        ops.terminateProcess(processId);
        processId = 0;
        state = Start;
        break;

      case Wait:
        state = Fail;
        for (int i = 0; i < ExtraScans; ++i) {
          ops.sleep(StartSettleMs);
          if (ops.scanTargetWindows(processId)) {
            state = Place;
            break;
          }
        }
        // A started program without a window is left running.
        if (state == Fail) failure = NoWindow;
        break;

      case Place: {
        // A run that moved not one window failed, however it got there.
        PlaceResult placed = ops.placeTargetWindows(request);
        if (placed.moved > 0) {
          if (request.holdSeconds > 0) ops.holdPlacement(request, processId);
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
