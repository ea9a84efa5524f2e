// The fill plan of a window as it is now, from the desk's monitors and the
// window's own frame. Built into the program and into the companion library,
// which fills a started program's window before it is shown.
#include <windows.h>

#include "placement/fill.h"

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

// The frame in screen coordinates, physical pixels (the program is aware of
// every monitor's scale).
bool PlanWindowFill(WindowRef ref, const PlacementRequest& request, FillPlan* plan,
                    WindowBox* outer) {
  HWND window = reinterpret_cast<HWND>(ref);
  MonitorList list;
  ReadMonitors(&list);
  const int index = request.fillMonitor > 0 ? request.fillMonitor - 1 : MonitorOf(window, list);
  RECT windowRect, client;
  if (!GetWindowRect(window, &windowRect) || !GetClientRect(window, &client)) return false;
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  *outer = AsBox(windowRect);
  return PlanFill(*outer, AsBox(client), list.boxes, list.count, index,
                  request.fill == FillWorkArea, plan);
}
