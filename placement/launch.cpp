// The choice of a start's kind, from what the system said of it. The shell
// is asked only where CreateProcess refused the file for what the shell can
// do (a document or shortcut is no executable; elevation is asked for);
// every other refusal is the start's failure. A script is known by the
// process the system started for it, also through the shell (a shortcut to
// a batch file).
#include "placement/launch.h"

#include "diag/diag.h"
#include "placement/lookup.h"

namespace {

enum : uint32_t { BadExeFormat = 193, ElevationRequired = 740 };  // the system's codes

// In the order of the kinds.
const char Reasons[][16] = {"a program\r\n", "script in cmd\r\n", "for the shell\r\n"};

}  // namespace

LaunchKind ChooseLaunch(uint32_t refused, const char* startedPath) {
  // A shortcut to a batch file is refused and opened by the shell, and runs as a script.
  LaunchKind kind =
      refused == BadExeFormat || refused == ElevationRequired ? LaunchShell : LaunchProgram;
  if (SameTextIgnoringAsciiCase(FileNamePart(startedPath), "cmd.exe")) kind = LaunchScript;
  TraceLine("%s", Reasons[kind]);
  return kind;
}
