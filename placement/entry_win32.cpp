#include <windows.h>

#include "diag/diag.h"

// Placeholder entry until the placement run and the editor exist.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  TraceLine("tavrisol %s\r\n", commandLine);
  return 0;
}
