// A Windows program that does nothing: the start-up cost of any program under Wine, against
// which bench/run.sh compares a whole placement run.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
