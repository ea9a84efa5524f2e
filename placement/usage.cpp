// The answer to "/?" and "--version": how to use the program, and which
// version it is.
#include "placement/usage.h"

#include <cstddef>

#include "diag/diag.h"
#include "placement/command.h"
#include "placement/lookup.h"
#include "version.h"

namespace {

const char Title[] = "Tavrisol " TAVRISOL_VERSION_TEXT;

const char UsageText[] =
    "tavrisol left,top,width,height[,seconds] program\n"
    "tavrisol fill[work][:monitor][,seconds] program\n"
    "\n"
    "e.g. tavrisol -8,-32,1936,1119 C:\\Apps\\view.exe\n"
    "     tavrisol fill:2,600 C:\\Apps\\view.exe\n"
    "\n"
    "Starts the program or finds it running and places its windows; fill covers the "
    "monitor (fillwork: its work area), seconds keeps them there.\n"
    "Exit value 1: placed; 0: a failure was shown.\n"
    "No arguments: the shortcut editor.";

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
