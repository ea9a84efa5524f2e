// The command line a pick hands back: the picked window's rectangle and its
// program's path, in the form the placement run reads.
#include "base/pick_text.h"

#include "diag/format.h"

bool ComposePickText(char* buffer, size_t size, long left, long top, long right, long bottom,
                     const char* programPath) {
  if (size == 0) return false;
  // Widths in 64 bits: a long is 32 bits on Windows.
  long long width = static_cast<long long>(right) - left;
  long long height = static_cast<long long>(bottom) - top;
  int n = FormatText(buffer, size, "%ld,%ld,%lld,%lld %s", left, top, width, height,
                     programPath ? programPath : "");
  if (n < 0 || static_cast<size_t>(n) >= size) {
    buffer[0] = '\0';
    return false;
  }
  return true;
}
