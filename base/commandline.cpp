// A program's own command line read the same way wherever it is read: the
// run's, the editor's and the hook host's.
#include "base/commandline.h"

namespace {

// One number as "%d" reads it, clamped to the 32-bit range; false when no
// digit follows the whitespace and sign.
bool ReadNumber(const char** cursor, int32_t* number) {
  const char* p = *cursor;
  while (IsCommandWhitespace(*p)) ++p;
  bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  if (*p < '0' || *p > '9') return false;
  const int64_t limit = negative ? INT64_C(2147483648) : INT64_C(2147483647);
  int64_t value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + (*p - '0');
    if (value > limit) value = limit;  // stays clamped however many digits follow
  }
  *number = static_cast<int32_t>(negative ? -value : value);
  *cursor = p;
  return true;
}

}  // namespace

int ReadCommaNumbers(const char* text, int32_t* numbers, int count, const char** end) {
  const char* cursor = text;
  int filled = 0;
  while (filled < count) {
    if (filled > 0) {
      if (*cursor != ',') break;
      const char* next = cursor + 1;
      int32_t number;
      if (!ReadNumber(&next, &number)) break;
      numbers[filled++] = number;
      cursor = next;
    } else {
      if (!ReadNumber(&cursor, &numbers[0])) break;
      ++filled;
    }
  }
  if (end != nullptr) *end = cursor;
  return filled;
}

char* AfterProgramName(char* line) {
  unsigned char* p = reinterpret_cast<unsigned char*>(line);
  if (*p == '"') {
    while (*++p != '\0' && *p != '"') {
    }
    if (*p == '"') ++p;
  } else {
    while (*p > ' ') ++p;
  }
  while (*p != '\0' && *p <= ' ') ++p;
  return reinterpret_cast<char*>(p);
}
