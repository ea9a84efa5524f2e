// Runs one program under the tests' debugger loop and prints every DLL the loader maps for it,
// then their count and the program's exit value.
//   bench_dlls EXE [ARGS...]
#include <cstdio>
#include <string>

#include "harness.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    printf("usage: bench_dlls EXE [ARGS...]\n");
    return 2;
  }
  std::string args;
  for (int i = 2; i < argc; ++i) args += std::string(i > 2 ? " " : "") + argv[i];
  harness::RunOptions options;
  options.timeoutMs = 60000;
  harness::RunResult r = harness::RunToEnd(argv[1], args, options);
  if (!r.started) {
    printf("could not start %s (error %lu)\n", argv[1], r.startError);
    return 2;
  }
  for (const std::string& dll : r.dlls) printf("  %s\n", dll.c_str());
  printf("%zu DLLs loaded, exit value %lu%s\n", r.dlls.size(), r.exitCode,
         r.timedOut ? " (killed at the deadline)" : "");
  return 0;
}
