// Reports' formatting: texts cut whole at a character, and the icon a
// caption calls for.
#include <cstring>

#include "diag/diag.h"
#include "diag/format.h"
#include "diag/text.h"

const char CaptionError[] = "Error";
const char CaptionFailure[] = "Failure";
const char CaptionSuccess[] = "Success";

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
