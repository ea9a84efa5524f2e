// The formatter itself, in a file of its own: the library names its
// objects with it and needs nothing else of the diagnostics.
#include "diag/format.h"

#include <cstdio>

int FormatArgs(char* buffer, size_t size, const char* format, va_list args) {
#ifdef _WIN32
  // msvcrt's formatter leaves a cut or exactly fitting text unterminated and
  // gives -1 for a cut one; its counting twin gives the whole length.
  va_list again;
  va_copy(again, args);
  int n = size > 0 ? _vsnprintf(buffer, size, format, args) : -1;
  if (size > 0 && (n < 0 || static_cast<size_t>(n) == size)) buffer[size - 1] = '\0';
  if (n < 0) n = _vscprintf(format, again);
  va_end(again);
  return n;
#else
  return vsnprintf(buffer, size, format, args);
#endif
}

int FormatText(char* buffer, size_t size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int n = FormatArgs(buffer, size, format, args);
  va_end(args);
  return n;
}
