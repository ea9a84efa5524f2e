// Reading a program's own command line: what follows the program's name, and
// numbers parted by commas. The placement command line is read with them, and
// the hook host reads its arguments with them. Free of the platform.
#pragma once
#include <cstdint>

// Space, tab, line feed, vertical tab, form feed and carriage return; bytes of
// 0x80 and above never count, whatever the code page. Inline: the parsers ask
// it at every byte.
inline bool IsCommandWhitespace(char c) {
  unsigned char byte = static_cast<unsigned char>(c);
  return byte == 0x20 || (byte >= 0x09 && byte <= 0x0D);
}

// Reads up to count comma-separated numbers from the start of text as the
// format "%d,%d,..." would: whitespace before each number is skipped, then an
// optional sign and decimal digits; each comma must follow the number before it
// directly. A number beyond the 32-bit range is clamped to it, as strtol does,
// on every platform alike. Returns how many numbers were filled; *end, when
// asked for, points just after the last one read.
int ReadCommaNumbers(const char* text, int32_t* numbers, int count, const char** end);

// A command line after its program's name (quoted or up to a blank or control
// byte) and the blanks after it, as the C runtime's start-up hands it to WinMain.
char* AfterProgramName(char* line);
