// Message reports and trace lines: the program's only ways of telling the user
// and a developer what happened. Declared without <windows.h> so plain logic
// can report too.
#pragma once
#include <cstddef>

extern const char CaptionError[];    // the environment failed: stop icon
extern const char CaptionFailure[];  // a request of the user failed: exclamation icon
extern const char CaptionSuccess[];  // completion notices: no icon

// Formats into a 1024-byte buffer and shows a task-modal message box owned by
// the active window. Returns the box's result.
int MessageReport(const char* caption, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

// Formats into a 1024-byte buffer and hands it to the debugger output as is.
void TraceLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The system's text for the thread's last error; release it with LocalFree.
char* LastErrorText();

// The system's text for an error code read earlier, always terminated and cut
// to size bytes (ErrorTextSize is room enough); "error N" when the system has none.
enum { ErrorTextSize = 256 };
void ErrorCodeText(unsigned long code, char* text, size_t size);
