// An idle windowless process: no C runtime, imports only kernel32, sleeps until it is ended.
// bench/run.sh starts 200 of them (through bench_lookup) to fill the process list.
#include <windows.h>

extern "C" void IdleStart() {
  Sleep(INFINITE);
  ExitProcess(0);
}
