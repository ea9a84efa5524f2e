// The program's entry: which of its three jobs a command line asks for.
#include <windows.h>

#include "editor/editor.h"
#include "placement/command.h"
#include "placement/fill.h"
#include "placement/run.h"
#include "placement/usage.h"

// An empty command line opens the shortcut editor; a request for the usage or
// the version is answered; anything else is a placement command. The branch's
// result is the exit value.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  if (commandLine == nullptr || commandLine[0] == '\0') return RunEditor(instance, showCommand);
  if (ShowUsageIfAsked(commandLine) || !FillMonitorExists(commandLine)) return 0;
  return RunPlacement(commandLine);
}

// The process starts here, without the C runtime's start-up: the program has no
// static constructors, no threads that use the runtime and no use of the runtime's streams, and
// msvcrt readies itself. As that start-up did, WinMain gets the command line
// after the program's own name (quoted or not) and the blanks after it, and the
// show command the starter asked for.
extern "C" void ProgramStart() {
  char* line = AfterProgramName(GetCommandLineA());
  STARTUPINFOA startup;
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  int show = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWDEFAULT;
  ExitProcess(WinMain(GetModuleHandleA(nullptr), nullptr, line, show));
}
