// The names of a start's objects, which the run, the library and the hook
// host each open: a file of its own, as the program needs nothing else of
// the early placement's plain half (early.cpp).
#include "base/early.h"
#include "diag/format.h"

bool EarlyObjectName(EarlyObject kind, uint32_t processId, char* name, size_t size) {
  static const char* const kinds[] = {"Block", "Placed", "Hooked", "Release", "Start", "Go"};
  int n = FormatText(name, size, "TavrisolPlace%s%u", kinds[kind], processId);
  return n > 0 && static_cast<size_t>(n) < size;
}
