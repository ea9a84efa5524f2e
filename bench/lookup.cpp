// The process lookup at desktop scale, for bench/run.sh.
//   bench_lookup spawn N EXE   starts N copies of EXE (left running) and exits
//   bench_lookup time PATH     times the program's own lookup of PATH in-process (median)
//   bench_lookup end EXE       ends every process running EXE
#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "placement/lookup.h"

namespace {

const int LookupRuns = 200;

double NowMicroseconds() {
  LARGE_INTEGER frequency, t;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

int Spawn(int count, const char* exe) {
  for (int i = 0; i < count; ++i) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    char line[MAX_PATH + 2];
    snprintf(line, sizeof line, "\"%s\"", exe);
    if (!CreateProcessA(exe, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      printf("could not start %s (error %lu)\n", exe, GetLastError());
      return 1;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  return 0;
}

// The median of LookupRuns lookups of path, in microseconds; count gets what the last one found.
double MedianLookup(const char* path, uint32_t* count) {
  static Program program;
  std::vector<double> times;
  CanonicalProgramPath(path, program.path, sizeof program.path);
  program.command = path;  // with its arguments, which each copy's command line is read for
  for (int i = 0; i < LookupRuns; ++i) {
    double t0 = NowMicroseconds();
    *count = FindProgram(&program, false);
    times.push_back(NowMicroseconds() - t0);
    ReleaseProgram(&program);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// A running program is found among the window owners; one that is not running (or shows no
// window) costs the whole process list as well.
int Time(const char* path) {
  uint32_t count = 0, none = 0;
  double running = MedianLookup(path, &count);
  std::string missing = std::string(path) + ".missing.exe";
  double absent = MedianLookup(missing.c_str(), &none);
  printf(
      "lookup alone: median %.0f us, %u process(es) found; of a program not running: median "
      "%.0f us (%d runs each)\n",
      running, count, absent, LookupRuns);
  return count == 0;
}

int End(const char* exe) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof entry;
  unsigned count = 0;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    HANDLE process =
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE, FALSE,
                    entry.th32ProcessID);
    if (process == nullptr) continue;
    char path[MAX_PATH];
    DWORD size = sizeof path;
    if (QueryFullProcessImageNameA(process, 0, path, &size) && lstrcmpiA(path, exe) == 0) {
      TerminateProcess(process, 0);
      WaitForSingleObject(process, 5000);
      ++count;
    }
    CloseHandle(process);
  }
  CloseHandle(snapshot);
  printf("ended %u idle processes\n", count);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && strcmp(argv[1], "spawn") == 0) return Spawn(atoi(argv[2]), argv[3]);
  if (argc == 3 && strcmp(argv[1], "time") == 0) return Time(argv[2]);
  if (argc == 3 && strcmp(argv[1], "end") == 0) return End(argv[2]);
  printf("usage: bench_lookup spawn N EXE | time PATH | end EXE\n");
  return 2;
}
