#include "diag/diag.h"
#include "diag/format.h"

#include <cstdio>
#include <cstring>

const char CaptionError[] = "Error";
const char CaptionFailure[] = "Failure";
const char CaptionSuccess[] = "Success";

size_t FormatBounded(char* buffer, size_t size, const char* format, va_list args) {
  if (size == 0) return 0;
  int n = vsnprintf(buffer, size, format, args);
  if (n < 0) {
    buffer[0] = '\0';
    return 0;
  }
  if (static_cast<size_t>(n) >= size) return size - 1;
  return static_cast<size_t>(n);
}

unsigned MessageIconFor(const char* caption) {
  if (caption == CaptionFailure || (caption && std::strcmp(caption, CaptionFailure) == 0))
    return 0x30;  // MB_ICONEXCLAMATION
  if (caption == CaptionError || (caption && std::strcmp(caption, CaptionError) == 0))
    return 0x10;  // MB_ICONHAND
  return 0;
}
