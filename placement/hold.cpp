#include "placement/hold.h"

#include "diag/diag.h"

namespace {

WindowRef pendingTarget = 0;  // chosen as the new target, not yet moved
bool placedNew = false;       // the hold has moved a new target

unsigned Hex(WindowRef window) { return static_cast<unsigned>(window); }

bool SameBox(const WindowBox& a, const WindowBox& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool IsPlaced(WindowRef window) {
  for (const PlacedWindow& placed : PlacedTable)
    if (placed.window == window) return true;
  return false;
}

bool NothingPlaced() {
  for (const PlacedWindow& placed : PlacedTable)
    if (placed.window != 0) return false;
  return true;
}

// Another run placed the window since this one did (or the user took it).
bool TakenOver(const WindowOps& windows, WindowRef window) {
  return windows.placedBy(window) != windows.ownProcessId();
}

struct LargerSearch {
  const WindowOps* ops;
  uint32_t processId;
  WindowRef window;
  int32_t area;
};

// A visible, unplaced, normal-sized main window of the process (unowned, with
// a caption and a system menu, no tool window: never a dialog, menu, palette
// or splash) that no other run or the user has taken, larger than the target.
void VisitForLarger(WindowRef window, void* context) {
  LargerSearch* search = static_cast<LargerSearch*>(context);
  const WindowOps& ops = *search->ops;
  if (ops.ownerProcess(window) != search->processId || IsPlaced(window)) return;
  uint32_t style = 0, exStyle = 0;
  WindowBox box = {0, 0, 0, 0};
  if (!ops.windowStyles(window, &style, &exStyle) || !ops.windowBox(window, &box)) return;
  if ((style & StyleVisible) == 0 || (style & (StyleMinimized | StyleMaximized)) != 0) return;
  if ((style & StyleCaption) != StyleCaption || (style & StyleSystemMenu) == 0 ||
      (exStyle & ExStyleToolWindow) != 0 || ops.hasOwner(window))
    return;
  uint32_t mark = ops.placedBy(window);
  if (mark != 0 && mark != ops.ownProcessId()) return;
  int32_t area = WindowArea(box);
  if (area > search->area) {
    search->window = window;
    search->area = area;
  }
}

void PlaceNewTarget(const HoldOps& ops, const PlacementRequest& request, uint32_t processId) {
  const WindowOps& windows = *ops.windows;
  LargerSearch search = {&windows, processId, 0, TargetArea};
  windows.enumWindows(VisitForLarger, &search);
  if (search.window == 0) return;
  if (search.window != pendingTarget) {
    TraceLine("window %x is the new target\r\n", Hex(search.window));
    pendingTarget = search.window;
  } else if (!windows.answers(search.window)) {
    return;  // still busy, as the first try said
  }
  // Only a move that succeeded places it; until then every pass tries again.
  PlaceResult ignored = {0, UnmovedNone, 0};
  if (!PlaceWindow(windows, search.window, request.left, request, LoneTraces, &ignored)) return;
  pendingTarget = 0;
  placedNew = true;
  TargetWindow = search.window;
  TargetArea = search.area;
  windows.setForeground(search.window);
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
  if ((style & StyleVisible) == 0 || (style & (StyleMinimized | StyleMaximized)) != 0) return true;
  if (ops.movingWindow(window) == window) {
    TraceLine("window %x is moved by hand, released\r\n", Hex(window));
    // The mark keeps it from becoming a new target; the slot is free again.
    windows.markPlaced(window, ReleasedMark);
    *placed = PlacedWindow();
    return true;
  }
  if (SameBox(box, placed->box)) return true;
  if (!windows.answers(window)) {
    if (!placed->silent) TraceLine("window %x is not responding, left alone\r\n", Hex(window));
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

}  // namespace

bool HoldPass(const HoldOps& ops, const PlacementRequest& request, uint32_t processId) {
  for (PlacedWindow& placed : PlacedTable) {
    if (placed.window != 0 && !PutBack(ops, request, &placed)) {
      TraceLine("window %x was placed by a newer run\r\n", Hex(placed.window));
      return false;
    }
  }
  PlaceNewTarget(ops, request, processId);
  return true;
}

bool HoldPlacement(const HoldOps& ops, const PlacementRequest& request, uint32_t processId) {
  TraceLine("holding the placement for %d seconds\r\n", request.holdSeconds);
  pendingTarget = 0;
  placedNew = false;
  // The run moved nothing: whatever main window the program shows is the one.
  if (NothingPlaced()) TargetArea = 0;
  const uint32_t span = static_cast<uint32_t>(request.holdSeconds) * 1000u;
  const uint32_t start = ops.tickCount();
  for (;;) {
    uint32_t elapsed = ops.tickCount() - start;  // wraps as the tick count does
    if (elapsed >= span) {
      TraceLine("hold ended after %d seconds\r\n", request.holdSeconds);
      break;
    }
    uint32_t wait = span - elapsed;
    if (wait > HoldPollMs) wait = HoldPollMs;
    if (ops.waitForExit(wait)) {
      TraceLine("hold ended: the program has exited\r\n");
      break;
    }
    if (!HoldPass(ops, request, processId)) {
      TraceLine("hold ended: a newer run took over\r\n");
      break;
    }
  }
  return placedNew;
}
