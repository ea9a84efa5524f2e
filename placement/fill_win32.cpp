// The system's side of a fill besides its plan: the region that hides the
// frame from the neighbouring monitors, and the check of the monitor a
// command line names.
#include <windows.h>

#include "diag/diag.h"
#include "placement/fill.h"

namespace {

// Marks a window whose region the run set.
const char ClipProperty[] = "TavrisolClipped";

}  // namespace

void ClipWindow(WindowRef window, const WindowBox& keep) {
  HWND handle = reinterpret_cast<HWND>(window);
  HRGN region = CreateRectRgn(keep.left, keep.top, keep.right, keep.bottom);
  if (region == nullptr) return;
  if (SetWindowRgn(handle, region, TRUE))
    SetPropA(handle, ClipProperty, reinterpret_cast<HANDLE>(1));
  else
    DeleteObject(region);
}

void ReleaseClip(WindowRef window) {
  HWND handle = reinterpret_cast<HWND>(window);
  if (RemovePropA(handle, ClipProperty)) SetWindowRgn(handle, nullptr, TRUE);
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
