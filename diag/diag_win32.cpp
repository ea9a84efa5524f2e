// Message boxes and trace lines on the system. A trace line is only written
// while something listens, as writing one costs even when nobody reads it.
#include <windows.h>

#include <cstdarg>

#include "diag/diag.h"
#include "diag/format.h"
#include "diag/text.h"

int MessageReport(const char* caption, const char* format, ...) {
  char text[ReportBufferSize];
  va_list args;
  va_start(args, format);
  FormatBounded(text, sizeof text, format, args);
  va_end(args);
  return MessageBoxA(GetActiveWindow(), text, caption, MB_TASKMODAL | MessageIconFor(caption));
}

namespace {

// Whether anyone reads the debugger output: a debugger, or a monitor that has
// made the system's buffer for it. Under Wine every line costs an exception
// even when nobody reads it, which a run that looks at thousands of windows
// would feel. Asked again after a while, for a monitor started meanwhile.
DWORD askedAt;
bool listened;
bool Listened() {
  if (IsDebuggerPresent()) return true;
  const DWORD now = GetTickCount() | 1;  // 0 is never asked
  if (askedAt != 0 && now - askedAt < 1000) return listened;
  askedAt = now;
  HANDLE buffer = OpenFileMappingA(FILE_MAP_READ, FALSE, "DBWIN_BUFFER");
  if (buffer != nullptr) CloseHandle(buffer);
  listened = buffer != nullptr;
  return listened;
}

}  // namespace

void TraceLine(const char* format, ...) {
  if (!Listened()) return;
  char text[ReportBufferSize];
  va_list args;
  va_start(args, format);
  FormatBounded(text, sizeof text, format, args);
  va_end(args);
  OutputDebugStringA(text);
}

void ErrorCodeText(unsigned long code, char* text, size_t size) {
  if (size == 0) return;
  DWORD room = size > 0xFFFF ? 0xFFFF : static_cast<DWORD>(size);
  if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                     MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, room, nullptr) == 0)
    FormatText(text, size, "error %lu", code);
  text[size - 1] = '\0';
}

char* LastErrorText() {
  char* text = nullptr;
  DWORD code = GetLastError();
  // Texts with inserts such as %1 ("not a valid application") fail without IGNORE_INSERTS.
  DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&text), 0,
      nullptr);
  if (n == 0 || text == nullptr) {
    // No system text for this code: give the number, still owned by LocalFree.
    text = static_cast<char*>(LocalAlloc(LMEM_ZEROINIT, 32));
    if (text) wsprintfA(text, "error %lu\r\n", code);
  }
  return text;
}
