// The kinds of start. A command names a program, which the system starts as
// it is, at the request's place; a script, which the command processor runs;
// or a file the system does not start itself (a shortcut, a document, a
// program that asks for elevation), which the shell opens. The kind decides
// how the command is started, which failure is reported and when the started
// process's own console counts; ChooseLaunch makes that choice in one place,
// from what the system said of the start, and the trace says why.
//
// Any of them may be a launcher that hands over: its window then shows in a
// process it started. That is the hand-over, under one name wherever it is
// met: the lookup marks such a process handedOver (FindHandedOver: in the
// run's job, through the windows placed for the command and, anywhere,
// through the processes' parents), the run searches HandedOver and
// HandedOverAnywhere, and the follower (handover.h) moves their windows as
// they are made. It is known only as processes turn up, never at the start.
#pragma once
#include <cstdint>

enum LaunchKind : uint8_t {
  LaunchProgram,  // CreateProcess; its first main window placed before it shows
  LaunchScript,   // the command processor's own console counts only at the last scan
  LaunchShell,    // ShellExecuteEx, after CreateProcess refused the file
};

// The kind of a start, from the system's reason for not starting the file
// itself (0: none) and the started process's executable ("" while unknown);
// the trace gets a line that says why.
LaunchKind ChooseLaunch(uint32_t refused, const char* startedPath);
