// A click as the user makes it, through the X server.
#include <cstdio>

#include "harness.h"

namespace harness {

void ClickAt(int x, int y) {
  // The X screen begins where the virtual screen does: left of the primary monitor's 0,0 when
  // a monitor lies there.
  char line[128];
  std::snprintf(line, sizeof line, "/usr/bin/xdotool mousemove %d %d click 1",
                x - GetSystemMetrics(SM_XVIRTUALSCREEN), y - GetSystemMetrics(SM_YVIRTUALSCREEN));
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (CreateProcessA("/usr/bin/xdotool", line, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &process)) {
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return;
  }
  INPUT input[3] = {};
  for (auto& i : input) {
    i.type = INPUT_MOUSE;
    i.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    i.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
  }
  input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
  input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
  SendInput(3, input, sizeof(INPUT));
}

}  // namespace harness
