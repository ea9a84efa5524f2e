#include <windows.h>

#include "diag/diag.h"
#include "placement/fill.h"
#include "placement/move.h"

namespace {

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
  FillPlan plan;
  // A second look: at the new width a menu bar may take another line.
  for (int pass = 0; pass < 2; ++pass) {
    WindowBox outer;
    if (!PlanWindowFill(ref, request, &plan, &outer)) {
      SetLastError(ERROR_INVALID_PARAMETER);  // gone, or its monitor went away since the run began
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
