// Texts in the program's code page: UTF-8 where the system honours the
// manifest's request (Windows 10 version 1903 and later), the legacy ANSI code
// page on older systems. Free of the platform but for the code page itself.
#pragma once
#include <cstddef>

enum {
  // Room for any path, command line, list entry, pick text or shortcut field,
  // terminator included. A UTF-16 unit takes at most three bytes of UTF-8, so
  // even a list entry of 519 characters, as earlier versions kept them, fits.
  TextSize = 2048,
  CodePageUtf8 = 65001,
};

// The code page of every "A" call in this process (diag_win32.cpp).
unsigned TextCodePage();

// The characters of text as the system counts them, in UTF-16 units: under
// UTF-8 one per sequence and two for a character outside the basic plane;
// under a legacy code page one per byte, as the limits have always counted.
size_t TextUnits(const char* text);

// How UTF-16 is converted into a code page so that a character the code page
// lacks is refused rather than replaced: the flags for WideCharToMultiByte and
// whether it may be handed the used-default flag. UTF-8 and UTF-7 take neither
// best-fit mapping nor a used-default flag, and some code pages no flags at
// all; the conversion fails outright when given them.
struct NarrowingRule {
  unsigned long flags;
  bool reportsDefault;
};
NarrowingRule StrictNarrowing(unsigned codePage);

// The longest length, at most count, at which text can be cut without
// splitting a UTF-8 sequence.
size_t WholeSequenceLength(const char* text, size_t count);
