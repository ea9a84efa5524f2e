// Counting and cutting text in the program's code page, never inside a
// character.
#include "diag/text.h"

#include <cstring>

namespace {

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Bytes of the UTF-8 sequence a byte begins; 1 for ASCII and for a byte that
// begins none.
size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 1;
}

}  // namespace

size_t TextUnits(const char* text) {
  if (TextCodePage() != CodePageUtf8) return std::strlen(text);
  size_t units = 0;
  for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c != 0;) {
    size_t length = SequenceLength(*c);
    size_t whole = 1;
    while (whole < length && IsContinuation(c[whole])) ++whole;
    // A broken sequence counts a unit a byte, never fewer than the system
    // makes replacement characters of it.
    if (whole < length) length = 1;
    units += length == 4 ? 2 : 1;  // four bytes: a surrogate pair
    c += length;
  }
  return units;
}

NarrowingRule StrictNarrowing(unsigned codePage) {
  const unsigned long NoBestFit = 0x400;    // WC_NO_BEST_FIT_CHARS
  const unsigned long InvalidChars = 0x80;  // WC_ERR_INVALID_CHARS
  if (codePage == CodePageUtf8) return {InvalidChars, false};
  if (codePage == 65000) return {0, false};  // UTF-7
  if (codePage == 42 || (codePage >= 50220 && codePage <= 50229) ||
      (codePage >= 57002 && codePage <= 57011))
    return {0, true};
  return {NoBestFit, true};
}

size_t WholeSequenceLength(const char* text, size_t count) {
  size_t start = count;  // just after the last sequence's lead byte
  while (start > 0 && count - start < 3 && IsContinuation(text[start - 1])) --start;
  if (start == 0) return count;
  size_t length = SequenceLength(static_cast<unsigned char>(text[start - 1]));
  return count - (start - 1) < length ? start - 1 : count;
}
