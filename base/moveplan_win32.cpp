// Where a window goes, built into the program and into the library alike:
// the run, its hold and the follower of a hand-over plan their moves with
// it, and the library gives a started program's first window the same plan
// before it is shown. Small and free of the C++ runtime, for the
// library's sake.
#include <windows.h>

#include "base/moveplan.h"

namespace {

WindowBox AsBox(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM parameter) {
  MonitorList* list = reinterpret_cast<MonitorList*>(parameter);
  MONITORINFO info;
  info.cbSize = sizeof info;
  if (list->count < MonitorSlots && GetMonitorInfoA(monitor, &info))
    list->boxes[list->count++] = {AsBox(info.rcMonitor), AsBox(info.rcWork)};
  return TRUE;
}

// The index of the monitor that holds most of the window (or is nearest); -1 if unknown.
int MonitorOf(HWND window, const MonitorList& list) {
  MONITORINFO info;
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info)) return -1;
  for (int i = 0; i < list.count; ++i)
    if (SameBox(list.boxes[i].monitor, AsBox(info.rcMonitor))) return i;
  return -1;
}

}  // namespace

int ReadMonitors(MonitorList* list) {
  list->count = 0;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(list));
  OrderMonitors(list->boxes, list->count);
  return list->count;
}

bool PlanMove(WindowRef ref, const WindowBox& box, int32_t fill, int32_t fillMonitor,
              MovePlan* plan) {
  if (fill == FillNone) {
    plan->window = box;
    plan->clip = false;
    return true;
  }
  // The frame in screen coordinates, physical pixels (the program is aware of
  // every monitor's scale).
  HWND window = reinterpret_cast<HWND>(ref);
  MonitorList list;
  ReadMonitors(&list);
  const int index = fillMonitor > 0 ? fillMonitor - 1 : MonitorOf(window, list);
  RECT windowRect, client;
  if (!GetWindowRect(window, &windowRect) || !GetClientRect(window, &client)) return false;
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  return PlanFill(AsBox(windowRect), AsBox(client), list.boxes, list.count, index,
                  fill == FillWorkArea, plan);
}
