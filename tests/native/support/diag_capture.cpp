#include "support/diag_capture.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "diag/diag.h"
#include "diag/format.h"
#include "diag/text.h"

std::vector<CapturedReport>& CapturedReports() {
  static std::vector<CapturedReport> reports;
  return reports;
}

std::vector<std::string>& CapturedTraces() {
  static std::vector<std::string> traces;
  return traces;
}

void ClearCaptured() {
  CapturedReports().clear();
  CapturedTraces().clear();
}

int MessageReport(const char* caption, const char* format, ...) {
  char text[ReportBufferSize];
  va_list args;
  va_start(args, format);
  FormatBounded(text, sizeof text, format, args);
  va_end(args);
  CapturedReports().push_back({caption, text});
  return 1;
}

void TraceLine(const char* format, ...) {
  char text[ReportBufferSize];
  va_list args;
  va_start(args, format);
  FormatBounded(text, sizeof text, format, args);
  va_end(args);
  CapturedTraces().push_back(text);
}

unsigned standInCodePage = CodePageUtf8;

unsigned TextCodePage() { return standInCodePage; }

char* LastErrorText() {
  char* text = static_cast<char*>(std::malloc(16));
  std::strcpy(text, "system text\r\n");
  return text;
}

void ErrorCodeText(unsigned long code, char* text, size_t size) {
  std::snprintf(text, size, "system text %lu", code);
}
