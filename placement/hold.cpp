#include "placement/hold.h"

#include "diag/diag.h"

namespace {

unsigned Hex(WindowRef window) { return static_cast<unsigned>(window); }

bool SameBox(const WindowBox& a, const WindowBox& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool IsPlaced(WindowRef window) {
  for (const PlacedWindow& placed : PlacedTable)
    if (placed.window == window) return true;
  return false;
}

struct LargerSearch {
  const WindowOps* ops;
  uint32_t processId;
  WindowRef window;
  int32_t area;
};

// A visible, unplaced, normal-sized window of the process, larger than the
// target was when the program showed it.
void VisitForLarger(WindowRef window, void* context) {
  LargerSearch* search = static_cast<LargerSearch*>(context);
  if (search->ops->ownerProcess(window) != search->processId || IsPlaced(window)) return;
  uint32_t style = 0, exStyle = 0;
  WindowBox box = {0, 0, 0, 0};
  if (!search->ops->windowStyles(window, &style, &exStyle) || !search->ops->windowBox(window, &box))
    return;
  if ((style & StyleVisible) == 0 || (style & (StyleMinimized | StyleMaximized)) != 0) return;
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
  TargetWindow = search.window;
  TargetArea = search.area;
  TraceLine("window %x is the new target\r\n", Hex(search.window));
  PlaceResult ignored = {0, UnmovedNone, 0};
  PlaceWindow(windows, search.window, request.left, request, LoneTraces, &ignored);
  windows.setForeground(search.window);
}

void PutBack(const HoldOps& ops, const PlacementRequest& request, PlacedWindow* placed) {
  const WindowOps& windows = *ops.windows;
  WindowBox box = {0, 0, 0, 0};
  if (!windows.windowBox(placed->window, &box)) {
    *placed = PlacedWindow();  // gone: its slot is free again
    return;
  }
  uint32_t style = 0, exStyle = 0;
  windows.windowStyles(placed->window, &style, &exStyle);
  // Hidden, or minimised or maximised by the user's choice: left so until shown
  // and restored.
  if ((style & StyleVisible) == 0 || (style & (StyleMinimized | StyleMaximized)) != 0) return;
  if (ops.inMoveSize(placed->window)) {
    TraceLine("window %x is moved by hand, released\r\n", Hex(placed->window));
    placed->released = true;
    return;
  }
  if (SameBox(box, placed->box)) return;
  if (!windows.answers(placed->window)) {
    if (!placed->silent)
      TraceLine("window %x is not responding, left alone\r\n", Hex(placed->window));
    placed->silent = true;
    return;
  }
  placed->silent = false;
  if (windows.moveWindow(placed->window, placed->x, request.top, request.width, request.height)) {
    TraceLine("window %x put back\r\n", Hex(placed->window));
    windows.windowBox(placed->window, &placed->box);
  } else {
    TraceLine("window %x put back failed\r\n", Hex(placed->window));
  }
}

}  // namespace

void HoldPass(const HoldOps& ops, const PlacementRequest& request, uint32_t processId) {
  PlaceNewTarget(ops, request, processId);
  for (PlacedWindow& placed : PlacedTable)
    if (placed.window != 0 && !placed.released) PutBack(ops, request, &placed);
}

void HoldPlacement(const HoldOps& ops, const PlacementRequest& request, uint32_t processId) {
  TraceLine("holding the placement for %d seconds\r\n", request.holdSeconds);
  const uint32_t span = static_cast<uint32_t>(request.holdSeconds) * 1000u;
  const uint32_t start = ops.tickCount();
  for (;;) {
    uint32_t elapsed = ops.tickCount() - start;  // wraps as the tick count does
    if (elapsed >= span) {
      TraceLine("hold ended after %d seconds\r\n", request.holdSeconds);
      return;
    }
    uint32_t wait = span - elapsed;
    if (wait > HoldPollMs) wait = HoldPollMs;
    if (ops.waitForExit(wait)) {
      TraceLine("hold ended: the program has exited\r\n");
      return;
    }
    HoldPass(ops, request, processId);
  }
}
