#include "placement/usage.h"

#include <cstddef>

#include "diag/diag.h"
#include "placement/command.h"
#include "placement/lookup.h"
#include "version.h"

namespace {

const char Title[] = "Tavrisol " TAVRISOL_VERSION_TEXT;

const char UsageText[] =
    "tavrisol left,top,width,height[,seconds] command\n"
    "tavrisol fill[work][:monitor][,seconds] command\n"
    "\n"
    "Starts command, or finds it running, and puts its windows at the rectangle "
    "(in pixels), or makes their inside cover the monitor (fillwork: its work area). "
    "seconds keeps them there that long.\n"
    "\n"
    "Examples:\n"
    "tavrisol -8,-32,1936,1119 C:\\Apps\\view.exe\n"
    "tavrisol fill:2,600 C:\\Apps\\view.exe\n"
    "\n"
    "Exit value 1: a window was placed; 0: a failure was shown.\n"
    "Without arguments, the shortcut editor opens.";

}  // namespace

UsageRequest ReadUsageRequest(const char* commandLine) {
  char word[12];
  size_t length = 0;
  for (; commandLine[length] != '\0' && !IsCommandWhitespace(commandLine[length]); ++length) {
    if (length + 1 == sizeof word) return UsageNone;
    word[length] = commandLine[length];
  }
  word[length] = '\0';
  static const char* const words[] = {"--version", "/?", "-?", "-h", "--help"};
  for (int i = 0; i < 5; ++i)
    if (SameTextIgnoringAsciiCase(word, words[i])) return i == 0 ? UsageVersion : UsageHelp;
  return UsageNone;
}

bool ShowUsageIfAsked(const char* commandLine) {
  UsageRequest request = ReadUsageRequest(commandLine);
  if (request == UsageNone) return false;
  MessageReport(Title, "%s", request == UsageHelp ? UsageText : Title);
  return true;
}
