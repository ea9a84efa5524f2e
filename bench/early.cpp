// Times a placement run that starts a program: from the start of the run ("the click") until a
// window of the program is seen at the rectangle, the run's own time after that, and how long
// a window of the program was visible elsewhere first. A program that logs its own positions
// (the target fixture named "log...", see its "log" mode) is timed from its log; any other is
// watched every 2 ms.
//   bench_early TAVRISOL LEFT,TOP,WIDTH,HEIGHT PROGRAM [WINDOW_EXE]
// Without WINDOW_EXE, PROGRAM logs its positions; with it, the window of a process of that file
// name is watched (it may differ from PROGRAM's, for a stub that starts the real program).
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "harness.h"

namespace {

double Now() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

struct Watch {
  std::string exe;
  RECT wanted;
  double firstShown = 0, placed = 0;  // 0: not yet
};

BOOL CALLBACK Look(HWND window, LPARAM parameter) {
  Watch* watch = reinterpret_cast<Watch*>(parameter);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER) != nullptr) return TRUE;
  std::string path = harness::LowerAscii(harness::ModulePathOf(pid));
  if (path.size() < watch->exe.size() ||
      path.compare(path.size() - watch->exe.size(), watch->exe.size(), watch->exe) != 0)
    return TRUE;
  RECT r;
  GetWindowRect(window, &r);
  double now = Now();
  if (watch->firstShown == 0) watch->firstShown = now;
  if (EqualRect(&r, &watch->wanted) && watch->placed == 0) watch->placed = now;
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 && argc != 5) {
    printf("usage: bench_early TAVRISOL LEFT,TOP,WIDTH,HEIGHT PROGRAM [WINDOW_EXE]\n");
    return 2;
  }
  int left, top, width, height;
  if (sscanf(argv[2], "%d,%d,%d,%d", &left, &top, &width, &height) != 4) return 2;
  const bool logged = argc == 4;
  Watch watch = {harness::LowerAscii(logged ? "" : argv[4]),
                 {left, top, left + width, top + height}};
  std::string line = std::string("\"") + argv[1] + "\" " + argv[2] + " " + argv[3];
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info;
  const double click = Now();
  if (!CreateProcessA(argv[1], &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info)) {
    printf("could not start %s\n", argv[1]);
    return 2;
  }
  std::atomic<bool> ended(false);
  // Until the window is seen at the rectangle, or 5 s after the run has ended.
  std::thread watcher([&] {
    for (double stop = 0; !logged && watch.placed == 0 && (stop == 0 || Now() < stop); Sleep(2)) {
      if (stop == 0 && ended) stop = Now() + 5000;
      EnumWindows(Look, reinterpret_cast<LPARAM>(&watch));
    }
  });
  WaitForSingleObject(info.hProcess, 120000);
  const double end = Now();
  ended = true;
  watcher.join();
  DWORD code = 0;
  GetExitCodeProcess(info.hProcess, &code);
  if (logged) {
    std::ifstream log(std::string(argv[3]) + ".log");
    char rect[64];
    snprintf(rect, sizeof rect, "%d,%d,%d,%d", left, top, left + width, top + height);
    for (std::string time, at, library, health; log >> time >> at >> library >> health;) {
      if (watch.firstShown == 0) watch.firstShown = atof(time.c_str());
      if (at == rect && watch.placed == 0) watch.placed = atof(time.c_str());
    }
  }
  if (watch.placed == 0) {
    printf("exit value %lu, never seen at the rectangle (run took %.0f ms)\n", code, end - click);
    return 0;
  }
  printf(
      "click to placed %.0f ms, run ended %.1f ms after placed, visible elsewhere %.1f ms, "
      "exit value %lu\n",
      watch.placed - click, end - watch.placed, watch.placed - watch.firstShown, code);
  return 0;
}
