#include <windows.h>

#include "editor/editor.h"
#include "placement/run.h"

// An empty command line opens the shortcut editor; anything else is a placement
// command. Either branch's result is the exit value.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  if (commandLine == nullptr || commandLine[0] == '\0') return RunEditor(instance, showCommand);
  return RunPlacement(commandLine);
}
