// The fill's geometry: the monitors in the user's order, and the rectangle
// and region that cover one of them with the client area.
#include "base/fill.h"

namespace {

bool ComesBefore(const WindowBox& a, const WindowBox& b) {
  return a.left < b.left || (a.left == b.left && a.top < b.top);
}

int32_t Max(int32_t a, int32_t b) { return a > b ? a : b; }
int32_t Min(int32_t a, int32_t b) { return a < b ? a : b; }

}  // namespace

void OrderMonitors(MonitorBoxes* monitors, int count) {
  for (int i = 1; i < count; ++i) {
    MonitorBoxes moving = monitors[i];
    int j = i;
    for (; j > 0 && ComesBefore(moving.monitor, monitors[j - 1].monitor); --j)
      monitors[j] = monitors[j - 1];
    monitors[j] = moving;
  }
}

bool PlanFill(const WindowBox& windowBox, const WindowBox& clientBox, const MonitorBoxes* monitors,
              int count, int index, bool workArea, MovePlan* plan) {
  if (index < 0 || index >= count) return false;
  const WindowBox& monitor = monitors[index].monitor;
  const WindowBox& area = workArea ? monitors[index].work : monitor;
  // The frame's thickness on each side, as the window has it now.
  WindowBox& placed = plan->window;
  placed.left = area.left - (clientBox.left - windowBox.left);
  placed.top = area.top - (clientBox.top - windowBox.top);
  placed.right = area.right + (windowBox.right - clientBox.right);
  placed.bottom = area.bottom + (windowBox.bottom - clientBox.bottom);
  plan->clip = count > 1;
  plan->clipBox.left = Max(placed.left, monitor.left) - placed.left;
  plan->clipBox.top = Max(placed.top, monitor.top) - placed.top;
  plan->clipBox.right = Min(placed.right, monitor.right) - placed.left;
  plan->clipBox.bottom = Min(placed.bottom, monitor.bottom) - placed.top;
  return true;
}
