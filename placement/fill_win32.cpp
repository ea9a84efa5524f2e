#include <windows.h>

#include "diag/diag.h"
#include "placement/fill.h"
#include "placement/move.h"

namespace {

struct MonitorList {
  MonitorBoxes boxes[MonitorSlots];
  int count;
};

WindowBox AsBox(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM parameter) {
  MonitorList* list = reinterpret_cast<MonitorList*>(parameter);
  MONITORINFO info;
  info.cbSize = sizeof info;
  if (list->count < MonitorSlots && GetMonitorInfoA(monitor, &info))
    list->boxes[list->count++] = {AsBox(info.rcMonitor), AsBox(info.rcWork)};
  return TRUE;
}

// The desk's monitors in the user's order; returns how many.
int ReadMonitors(MonitorList* list) {
  list->count = 0;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(list));
  OrderMonitors(list->boxes, list->count);
  return list->count;
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

// The outer and the client rectangle in screen coordinates, physical pixels
// (the program is aware of every monitor's scale).
bool ReadFrame(HWND window, WindowBox* outer, WindowBox* client) {
  RECT windowRect, clientRect;
  if (!GetWindowRect(window, &windowRect) || !GetClientRect(window, &clientRect)) return false;
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&clientRect), 2);
  *outer = AsBox(windowRect);
  *client = AsBox(clientRect);
  return true;
}

// Marks a window whose region the run set, so that only that region is ever
// taken away again, never a shape of the program's own.
const char ClipProperty[] = "TavrisolClipped";

void SetClip(HWND window, const WindowBox& keep) {
  HRGN region = CreateRectRgn(keep.left, keep.top, keep.right, keep.bottom);
  if (region == nullptr) return;
  if (SetWindowRgn(window, region, TRUE))
    SetPropA(window, ClipProperty, reinterpret_cast<HANDLE>(1));
  else
    DeleteObject(region);
}

}  // namespace

void ReleaseClip(WindowRef window) {
  HWND handle = reinterpret_cast<HWND>(window);
  if (RemovePropA(handle, ClipProperty)) SetWindowRgn(handle, nullptr, TRUE);
}

bool MoveWindowToFill(WindowRef ref, const PlacementRequest& request) {
  HWND window = reinterpret_cast<HWND>(ref);
  MonitorList list;
  ReadMonitors(&list);
  int index = request.fillMonitor > 0 ? request.fillMonitor - 1 : MonitorOf(window, list);
  FillPlan plan;
  // A second look: at the new width a menu bar may take another line.
  for (int pass = 0; pass < 2; ++pass) {
    WindowBox outer, client;
    if (!ReadFrame(window, &outer, &client)) return false;
    if (!PlanFill(outer, client, list.boxes, list.count, index, request.fill == FillWorkArea,
                  &plan)) {
      SetLastError(ERROR_INVALID_PARAMETER);  // the monitor went away since the run began
      return false;
    }
    if (pass > 0 && SameBox(outer, plan.window)) break;
    const WindowBox& to = plan.window;
    if (!MoveWindowExactly(ref, to.left, to.top, to.right - to.left, to.bottom - to.top))
      return false;
  }
  // The frame would show on a neighbouring monitor. The region goes with the
  // window, so it is set only while a hold watches it: the hold takes it away
  // when anyone else moves, sizes, maximises or restores the window, and when
  // it ends.
  if (plan.clip && request.holdSeconds > 0)
    SetClip(window, plan.clipBox);
  else
    ReleaseClip(ref);
  return true;
}

bool FillMonitorExists(char* commandLine) {
  PlacementRequest request;
  if (ParsePlacementCommand(commandLine, &request) != PlacementParsed || request.fillMonitor == 0)
    return true;
  MonitorList list;
  int count = ReadMonitors(&list);
  if (request.fillMonitor <= count) return true;
  MessageReport(CaptionFailure,
                "Monitor %d not found; monitors here: %d, counted from 1, left to right, then "
                "top to bottom.\n%s",
                request.fillMonitor, count, commandLine);
  return false;
}
