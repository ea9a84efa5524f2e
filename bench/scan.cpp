// Times the placement's window scan (the program's own ScanTargetWindows) with 2000 top-level
// windows on the desktop, and, given tavrisol.exe and a target program, whole placement runs
// against that target while those windows exist. Prints figures; never fails on time.
//   bench_scan [TAVRISOL_EXE TARGET_EXE [DO_NOTHING_EXE]]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "placement/targets.h"

namespace {

const int WindowCount = 2000;
const int ScanRuns = 20;
const int OwnScanRuns = 5;
const int PlacementRuns = 15;

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void Report(const char* what, std::vector<double> times) {
  std::sort(times.begin(), times.end());
  printf("%-58s median %9.3f ms  min %9.3f ms  max %9.3f ms  (%zu runs)\n", what,
         times[times.size() / 2], times.front(), times.back(), times.size());
  fflush(stdout);
}

BOOL CALLBACK CountWindow(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

// Waits for a process while keeping this thread's windows answering.
bool WaitPumping(HANDLE process, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    DWORD left = timeoutMs - (GetTickCount() - start);
    if (GetTickCount() - start >= timeoutMs) return false;
    DWORD r = MsgWaitForMultipleObjects(1, &process, FALSE, left, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0) return true;
    Pump();
  }
}

bool Start(const std::string& exe, const std::string& args, PROCESS_INFORMATION* pi) {
  std::string line = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
  std::vector<char> text(line.begin(), line.end());
  text.push_back('\0');
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  return CreateProcessA(exe.c_str(), text.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        pi) != FALSE;
}

// Milliseconds from the start of one run of exe to its end, while this thread's windows keep
// answering; negative after a run that did not end with the exit value expected.
double TimeRun(const std::string& exe, const std::string& target, int i, DWORD expected) {
  char args[MAX_PATH + 64];
  snprintf(args, sizeof args, "%d,80,640,480 %s -x", 100 + 10 * (i % 8), target.c_str());
  PROCESS_INFORMATION run;
  double t0 = Now();
  if (!Start(exe, args, &run)) {
    printf("could not start %s (error %lu)\n", exe.c_str(), GetLastError());
    return -1;
  }
  bool ended = WaitPumping(run.hProcess, 30000);
  double t1 = Now();
  DWORD code = 0;
  GetExitCodeProcess(run.hProcess, &code);
  if (!ended) TerminateProcess(run.hProcess, 2);
  CloseHandle(run.hThread);
  CloseHandle(run.hProcess);
  if (!ended || code != expected) {
    printf("run %d of %s ended with %lu%s\n", i, exe.c_str(), code,
           ended ? "" : ", killed after 30 s");
    return -1;
  }
  return t1 - t0;
}

// Whole placement runs against the running target, and the do-nothing program started the same
// way, among the same windows, taking turns so that a busy moment of the machine weighs on both:
// what a run costs beyond starting any process here.
void TimePlacementRuns(const std::string& tavrisol, const std::string& target,
                       const std::string& noop) {
  PROCESS_INFORMATION targetInfo;
  if (!Start(target, "-x", &targetInfo)) {
    printf("could not start %s (error %lu)\n", target.c_str(), GetLastError());
    return;
  }
  WaitForInputIdle(targetInfo.hProcess, 10000);
  Sleep(500);
  std::vector<double> runs, noops;
  for (int i = 0; i < PlacementRuns; ++i) {
    double t = TimeRun(tavrisol, target, i, 1);
    if (t < 0) break;
    runs.push_back(t);
    t = noop.empty() ? -1 : TimeRun(noop, target, i, 0);
    if (t >= 0) noops.push_back(t);
  }
  if (!runs.empty()) Report("whole placement run, running target, 2000 windows", runs);
  if (!noops.empty()) Report("do-nothing program, 2000 windows", noops);
  if (!runs.empty() && !noops.empty()) {
    std::sort(runs.begin(), runs.end());
    std::sort(noops.begin(), noops.end());
    printf("placement run against do-nothing program, 2000 windows: %.2fx (medians)\n",
           runs[runs.size() / 2] / noops[noops.size() / 2]);
  }
  TerminateProcess(targetInfo.hProcess, 0);
  WaitForSingleObject(targetInfo.hProcess, 5000);
  CloseHandle(targetInfo.hThread);
  CloseHandle(targetInfo.hProcess);
}

}  // namespace

int main(int argc, char** argv) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "TavrisolBenchWindow";
  RegisterClassA(&wc);

  double t0 = Now();
  std::vector<HWND> windows;
  for (int i = 0; i < WindowCount; ++i) {
    HWND w = CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "bench",
                             WS_POPUP | WS_SYSMENU | WS_VISIBLE, (i * 7) % 1800, (i * 13) % 1000,
                             40, 30, nullptr, nullptr, wc.hInstance, nullptr);
    if (!w) break;
    windows.push_back(w);
  }
  Pump();
  double created = Now() - t0;
  int total = 0;
  EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&total));
  printf("created %zu windows in %.1f ms; %d top-level windows on the desktop\n", windows.size(),
         created, total);

  std::vector<double> times;
  for (int i = 0; i < ScanRuns; ++i) {
    double s = Now();
    int n = 0;
    EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&n));
    times.push_back(Now() - s);
  }
  Report("EnumWindows alone (no work per window)", times);

  // A target that owns none of the windows: the usual case, one ownership query per window.
  times.clear();
  DWORD foreign = GetCurrentProcessId() + 4;
  for (int i = 0; i < ScanRuns; ++i) {
    double s = Now();
    WindowState state = WindowState();
    ScanTargetWindows(&state, foreign);
    times.push_back(Now() - s);
  }
  Report("ScanTargetWindows, target owns none of them", times);

  // The worst case: every window is the target's, so each is measured and traced.
  times.clear();
  for (int i = 0; i < OwnScanRuns; ++i) {
    double s = Now();
    WindowState state = WindowState();
    ScanTargetWindows(&state, GetCurrentProcessId());
    times.push_back(Now() - s);
  }
  Report("ScanTargetWindows, target owns all of them", times);

  if (argc >= 3) TimePlacementRuns(argv[1], argv[2], argc >= 4 ? argv[3] : "");

  // Destroying 2000 mapped windows one by one takes minutes under Wine; ending the process
  // takes them all at once.
  fflush(stdout);
  ExitProcess(0);
}
