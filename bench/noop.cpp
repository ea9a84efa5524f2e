// A Windows program that does next to nothing: no C runtime, imports only kernel32 and user32,
// and calls one user32 function. The start-up cost any windowing program pays under Wine,
// against which bench/run.sh compares a whole placement run.
#include <windows.h>

extern "C" void NoopStart() { ExitProcess(GetDesktopWindow() != nullptr ? 0 : 1); }
