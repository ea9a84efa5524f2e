// The answer to a command line that asks how to use the program or which
// version it is, instead of placing anything.
#pragma once

enum UsageRequest { UsageNone, UsageHelp, UsageVersion };

// "/?", "-?", "-h" or "--help" (any case) as the whole first word ask for the
// usage, "--version" for the version; any other line is a placement command.
UsageRequest ReadUsageRequest(const char* commandLine);

// Shows the usage or the version in a box titled with the program's name and
// version; false, showing nothing, for any other line.
bool ShowUsageIfAsked(const char* commandLine);
