#include "diag/diag.h"
#include "diag/format.h"
#include "diag/text.h"

#include <cstdio>
#include <cstring>

const char CaptionError[] = "Error";
const char CaptionFailure[] = "Failure";
const char CaptionSuccess[] = "Success";

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

size_t FormatBounded(char* buffer, size_t size, const char* format, va_list args) {
  if (size == 0) return 0;
  int n = FormatArgs(buffer, size, format, args);
  if (n < 0) {
    buffer[0] = '\0';
    return 0;
  }
  if (static_cast<size_t>(n) < size) return static_cast<size_t>(n);
  // Cut: never inside a character of a UTF-8 path.
  size_t length = WholeSequenceLength(buffer, size - 1);
  buffer[length] = '\0';
  return length;
}

unsigned MessageIconFor(const char* caption) {
  if (caption == CaptionFailure || (caption && std::strcmp(caption, CaptionFailure) == 0))
    return 0x30;  // MB_ICONEXCLAMATION
  if (caption == CaptionError || (caption && std::strcmp(caption, CaptionError) == 0))
    return 0x10;  // MB_ICONHAND
  return 0;
}
