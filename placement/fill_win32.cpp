// The check of the monitor a command line's fill names, made before anything
// is started.
#include <windows.h>

#include "diag/diag.h"
#include "placement/command.h"
#include "placement/fill.h"

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
