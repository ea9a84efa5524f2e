// The scan and the move stage over the window functions they are given, so
// that the same code runs on the system and on a test's desktop.
#include "placement/targets.h"

#include "diag/diag.h"
#include "placement/bounded.h"

namespace {

// Two's complement arithmetic as the 32-bit system does it, without the
// undefined behaviour of signed overflow.
int32_t Wrap(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }

// Handles print as their low 32 bits, which is all a window handle uses.
unsigned Hex(WindowRef window) { return static_cast<unsigned>(window); }

struct ScanPass {
  const WindowOps* ops;
  WindowState* state;
  uint32_t processId;
};

void VisitWindow(WindowRef window, void* context) {
  const ScanPass* pass = static_cast<const ScanPass*>(context);
  ScanWindow(*pass->ops, pass->state, window, pass->processId);
}

// Records a moved window in the first empty slot of the placedTable (the last
// slot when none is empty), with the rectangle it has now.
void RecordPlaced(const WindowOps& ops, WindowState* state, WindowRef window, int32_t x) {
  PlacedWindow* slot = &state->placedTable[PlacedSlots - 1];
  for (PlacedWindow& placed : state->placedTable) {
    if (placed.window == 0) {
      slot = &placed;
      break;
    }
  }
  PlacedWindow entry = {window, x, {0, 0, 0, 0}, false, false};
  // What the system made of the move (it may clamp it) is what a hold keeps.
  ops.windowBox(window, &entry.box);
  *slot = entry;
}

}  // namespace

bool IsMainWindow(const WindowOps& ops, WindowRef window) {
  uint32_t style = 0, exStyle = 0;
  return ops.windowStyles(window, &style, &exStyle) &&
         IsMainStyle(style, exStyle, ops.hasOwner(window));
}

void ScanWindow(const WindowOps& ops, WindowState* state, WindowRef window, uint32_t processId) {
  if (state->targetWindow == 0) {
    state->targetArea = 0;
    state->targetIsMain = false;
  }
  if (ops.ownerProcess(window) != processId) return;

  // A window that vanishes mid-scan reads as empty and invisible.
  WindowBox box = {0, 0, 0, 0};
  ops.windowBox(window, &box);
  int32_t area = WindowArea(box);
  uint32_t style = 0, exStyle = 0;
  ops.windowStyles(window, &style, &exStyle);

  TraceLine("%8x %4d %4d %4d %4d %8d window candidate %08x %08x\r\n", Hex(window), box.right,
            box.left, box.bottom, box.top, area, style, exStyle);

  // Dialogs, message boxes, palettes and tool windows are the program's own
  // business. A main window is preferred to any other; without one, the
  // largest visible unowned window (a splash, a frameless game) is the target.
  if ((style & StyleVisible) == 0 || (exStyle & ExStyleToolWindow) != 0 || ops.hasOwner(window))
    return;
  bool main = IsMainStyle(style, exStyle, false);
  if ((main && !state->targetIsMain) ||
      (main == state->targetIsMain && area >= state->targetArea)) {
    state->targetWindow = window;
    state->targetArea = area;
    state->targetIsMain = main;
  }
  if (main) {
    for (WindowRef& slot : state->candidateTable) {
      if (slot == 0) {
        slot = window;
        break;
      }
    }
  }
}

bool ScanTargetWindows(const WindowOps& ops, WindowState* state, uint32_t processId) {
  ScanPass pass = {&ops, state, processId};
  ops.enumWindows(processId, VisitWindow, &pass);
  return state->targetWindow != 0;
}

void RestoreIfMinimized(const WindowOps& ops, WindowRef window) {
  uint32_t style = 0, exStyle = 0;
  ops.windowStyles(window, &style, &exStyle);
  if ((style & StyleMinimized) == 0) return;
  TraceLine("window %x is minmized, maximizing\r\n", Hex(window));
  ops.showRestored(window);
  ops.pause(RestorePauseMs);
}

bool PlaceWindow(const WindowOps& ops, WindowState* state, WindowRef window, int32_t x,
                 const PlacementRequest& request, const PlaceTraces& traces, PlaceResult* result) {
  // A window placed before it showed is neither asked nor moved: its program
  // may still be busy finishing its start. A hung window would hold the run
  // inside the restore or the move without end.
  const bool atPlace = ops.atPlace(window, x, request);
  if (!atPlace && !ops.answers(window)) {
    TraceLine(NotRespondingTrace, Hex(window));
    if (result->reason == UnmovedNone) result->reason = UnmovedNotResponding;
    return false;
  }
  // Marked before the move: an older hold then sees the window as taken over
  // before it could see it moved and put it back.
  ops.markPlaced(window, ops.ownProcessId(), state->program, state->command);
  if (!atPlace) RestoreIfMinimized(ops, window);
  if (atPlace || ops.moveWindow(window, x, request)) {
    TraceLine(traces.moved, Hex(window));
    ++result->moved;
    RecordPlaced(ops, state, window, x);
    return true;
  }
  uint32_t error = ops.lastError();
  // It answered a moment ago, and stopped before the move was done.
  const bool hung = error == CallTimedOutError;
  TraceLine(hung ? NotRespondingTrace : traces.failed, Hex(window));
  if (result->reason == UnmovedNone) {
    result->reason = hung ? UnmovedNotResponding : UnmovedMoveFailed;
    result->error = hung ? 0 : error;
  }
  return false;
}

const char NotRespondingTrace[] = "window %x is not responding, left alone\r\n";

const PlaceTraces CandidateTraces = {"better candidate %x move didn't fail\r\n",
                                     "better candidate %x move failed\r\n"};
const PlaceTraces LoneTraces = {"move %x didn't fail\r\n", "move %x failed\r\n"};

PlaceResult PlaceTargetWindows(const WindowOps& ops, WindowState* state,
                               const PlacementRequest& request) {
  PlaceResult result = {0, UnmovedNone, 0};
  const WindowRef* candidates = state->candidateTable;
  if (candidates[0] != 0) {
    for (int i = 0; i < CandidateSlots && candidates[i] != 0; ++i) {
      int32_t x = Wrap(static_cast<int64_t>(request.left) + CascadeStep * i);
      PlaceWindow(ops, state, candidates[i], x, request, CandidateTraces, &result);
    }
  } else {
    PlaceWindow(ops, state, state->targetWindow, request.left, request, LoneTraces, &result);
  }
  ops.setForeground(state->targetWindow);
  return result;
}
