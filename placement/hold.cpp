// The hold's looks at the program's windows, over the functions it is given.
#include "placement/hold.h"

#include "diag/diag.h"

namespace {

unsigned Hex(WindowRef window) { return static_cast<unsigned>(window); }

bool IsPlaced(const WindowState& state, WindowRef window) {
  for (const PlacedWindow& placed : state.placedTable)
    if (placed.window == window) return true;
  return false;
}

// Another run placed the window since this one did (or the user took it).
bool TakenOver(const WindowOps& windows, WindowRef window) {
  return windows.placedBy(window) != windows.ownProcessId();
}

// Marked by another run that is still alive (or released by the user).
bool MarkedByOther(const WindowOps& windows, WindowRef window) {
  uint32_t mark = windows.placedBy(window);
  return mark != 0 && mark != windows.ownProcessId();
}

// A window the run or the hold placed is still there and shown: while one
// is, the hold takes up no other.
bool PlacedShows(const WindowOps& ops, const WindowState& state) {
  for (const PlacedWindow& placed : state.placedTable) {
    uint32_t style = 0, exStyle = 0;
    if (placed.window != 0 && ops.windowStyles(placed.window, &style, &exStyle) &&
        (style & StyleVisible) != 0)
      return true;
  }
  return false;
}

struct NextSearch {
  const WindowOps* ops;
  const Program* program;
  const WindowState* state;
  WindowRef window[2];  // the best of the program's own processes, and of what it started
  int32_t area[2];
  bool ownShows;  // a process of the program's own executable shows a main window
};

// The largest unplaced, normal-sized main window of the command's processes
// that no other living run or the user has taken.
void VisitForNext(WindowRef window, void* context) {
  NextSearch* search = static_cast<NextSearch*>(context);
  const WindowOps& ops = *search->ops;
  const ProgramProcess* held = HeldProcess(*search->program, ops.ownerProcess(window));
  uint32_t style = 0, exStyle = 0;
  if (held == nullptr || held->otherArguments || held->markedOnly ||
      !ops.windowStyles(window, &style, &exStyle) ||
      !IsMainStyle(style, exStyle, ops.hasOwner(window)))
    return;
  const int kind = held->handedOver ? 1 : 0;
  if (kind == 0) search->ownShows = true;
  WindowBox box = {0, 0, 0, 0};
  if (IsPlaced(*search->state, window) || !ops.windowBox(window, &box) ||
      (style & (StyleMinimized | StyleMaximized)) != 0 || MarkedByOther(ops, window))
    return;
  int32_t area = WindowArea(box);
  if (area > search->area[kind]) {
    search->window[kind] = window;
    search->area[kind] = area;
  }
}

void PlaceNextWindow(const HoldOps& ops, const PlacementRequest& request, const Program& program,
                     HoldState* hold) {
  const WindowOps& windows = *ops.windows;
  // Once what it placed is gone (a splash closed, a program that handed over
  // and ended), the program's next main window, whatever its size.
  if (PlacedShows(windows, *hold->windows)) return;
  NextSearch search = {&windows, &program, hold->windows, {0, 0}, {0, 0}, false};
  windows.enumWindows(0, VisitForNext, &search);
  // What the program started counts only while the program has handed over
  // to it: a program that shows its own window keeps what it opens beside it
  // (a browser, a helper) out of the hold.
  const int kind = search.ownShows ? 0 : 1;
  const WindowRef found = search.window[kind];
  if (found == 0) return;
  if (found != hold->chosen) {
    TraceLine("window %x is the new target\r\n", Hex(found));
    hold->chosen = found;
  } else if (!windows.answers(found)) {
    return;  // still busy, as the first try said
  }
  // Answering can take seconds, time enough for another run to place it.
  if (MarkedByOther(windows, found)) return;
  // Only a move that succeeded places it; until then every pass tries again.
  PlaceResult ignored = {0, UnmovedNone, 0};
  if (!PlaceWindow(windows, hold->windows, found, request.left, request, LoneTraces, &ignored))
    return;
  hold->chosen = 0;
  hold->placed = found;
  windows.setForeground(found);
}

// False when a newer run has placed the window.
bool PutBack(const HoldOps& ops, const PlacementRequest& request, PlacedWindow* placed) {
  const WindowOps& windows = *ops.windows;
  const WindowRef window = placed->window;
  WindowBox box = {0, 0, 0, 0};
  if (!windows.windowBox(window, &box)) {
    *placed = PlacedWindow();  // gone: its slot is free again
    return true;
  }
  if (TakenOver(windows, window)) return false;
  uint32_t style = 0, exStyle = 0;
  windows.windowStyles(window, &style, &exStyle);
  // Hidden, or minimised or maximised by the user's choice: left so until shown
  // and restored.
  if ((style & StyleVisible) == 0 || (style & (StyleMinimized | StyleMaximized)) != 0) {
    ops.releaseClip(window);
    return true;
  }
  if (ops.movingWindow(window) == window) {
    TraceLine("window %x is moved by hand, released\r\n", Hex(window));
    // The mark keeps it from becoming a new target, until the run ends.
    windows.markPlaced(window, windows.ownProcessId() | ReleasedMark, nullptr, nullptr);
    placed->released = true;
    ops.releaseClip(window);
    return true;
  }
  if (SameBox(box, placed->box)) return true;
  if (!windows.answers(window)) {
    if (!placed->silent) TraceLine(NotRespondingTrace, Hex(window));
    placed->silent = true;
    return true;
  }
  placed->silent = false;
  // Answering can take seconds, time enough for a newer run to place it.
  if (TakenOver(windows, window)) return false;
  if (windows.moveWindow(window, placed->x, request)) {
    TraceLine("window %x put back\r\n", Hex(window));
    windows.windowBox(window, &placed->box);
  } else {
    TraceLine("window %x put back failed\r\n", Hex(window));
  }
  return true;
}

// Lets go of the processes that have ended and looks for later copies of the
// program; false when none is left.
bool FollowProgram(const HoldOps& ops, Program* program) {
  uint32_t kept = 0;
  for (uint32_t i = 0; i < program->count && i < ProgramSlots; ++i) {
    const ProgramProcess& process = program->processes[i];
    if (process.handle == 0 || ops.hasExited(process.handle)) {
      if (process.handle != 0) ops.closeHandle(process.handle);
      continue;
    }
    program->processes[kept++] = process;
  }
  program->count = kept;
  ops.findProgram(program, false);
  for (uint32_t i = kept; i < program->count && i < ProgramSlots; ++i)
    TraceLine("hold follows process %d\r\n", static_cast<int>(program->processes[i].id));
  return program->count != 0;
}

}  // namespace

bool PutBackPlaced(const HoldOps& ops, const PlacementRequest& request, WindowState* state) {
  for (PlacedWindow& placed : state->placedTable) {
    if (placed.window != 0 && !placed.released && !PutBack(ops, request, &placed)) {
      TraceLine("window %x was placed by a newer run\r\n", Hex(placed.window));
      return false;
    }
  }
  return true;
}

bool HoldPass(const HoldOps& ops, const PlacementRequest& request, const Program& program,
              HoldState* hold) {
  if (!PutBackPlaced(ops, request, hold->windows)) return false;
  PlaceNextWindow(ops, request, program, hold);
  return true;
}

bool HoldPlacement(const HoldOps& ops, const PlacementRequest& request, Program* program,
                   WindowState* state) {
  TraceLine("holding the placement for %d seconds\r\n", request.holdSeconds);
  HoldState hold = {state, 0, 0};
  const uint32_t span = static_cast<uint32_t>(request.holdSeconds) * 1000u;
  const uint32_t start = ops.tickCount();
  ops.findProgram(program, false);
  for (uint32_t pass = 1;; ++pass) {
    uint32_t elapsed = ops.tickCount() - start;  // wraps as the tick count does
    if (elapsed >= span) {
      TraceLine("hold ended after %d seconds\r\n", request.holdSeconds);
      break;
    }
    uint32_t wait = span - elapsed;
    if (wait > HoldPollMs) wait = HoldPollMs;
    if (ops.waitForExit(*program, wait) && !FollowProgram(ops, program)) {
      TraceLine("hold ended: the program has exited\r\n");
      break;
    }
    if (pass % HoldLookEvery == 0) ops.findProgram(program, true);
    if (!HoldPass(ops, request, *program, &hold)) {
      TraceLine("hold ended: a newer run took over\r\n");
      break;
    }
  }
  // The clips go with the hold that watched over them (a newer run's stay).
  for (const PlacedWindow& placed : state->placedTable)
    if (placed.window != 0 && !TakenOver(*ops.windows, placed.window))
      ops.releaseClip(placed.window);
  return hold.placed != 0;
}
