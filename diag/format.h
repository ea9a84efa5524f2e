// Bounded formatting and the caption-to-icon rule, free of the platform.
#pragma once
#include <cstdarg>
#include <cstddef>

enum { ReportBufferSize = 1024 };

// vsnprintf and snprintf as C99 has them (the result is always terminated;
// the return value is the whole text's length), on Windows made from the C
// runtime that ships with the system rather than mingw's own, far larger one.
int FormatArgs(char* buffer, size_t size, const char* format, va_list args);
int FormatText(char* buffer, size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// Formats into buffer (size bytes, size > 0); the result is always terminated
// and cut at size - 1 bytes, or before a UTF-8 sequence that would not fit
// whole. Returns the length written.
size_t FormatBounded(char* buffer, size_t size, const char* format, va_list args);

// The message-box icon flag a caption calls for: 0x30 for "Failure", 0x10 for
// "Error", 0 for anything else.
unsigned MessageIconFor(const char* caption);
