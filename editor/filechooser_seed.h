// How the file chooser's dialog is seeded from a field's text. Plain logic: the
// platform resolves the full path, this splits it.
#pragma once

#include "diag/text.h"

enum { ChooserTextSize = TextSize };  // file name, initial directory, terminator included

// True when the field shows the placeholder "<No File Selected>" (only the
// first character is looked at).
bool IsChooserPlaceholder(const char* seed);

// Splits fullPath, the seed resolved to a full path (nullptr when it could not
// be), into the bare file name and the directory with its trailing backslash.
// fileOffset is where the final component starts, or -1 when the path has none
// (it names a directory): then the file name is empty and the whole path is
// the initial directory. A placeholder seed gives no file name and "C:\".
// fileName and initialDir hold ChooserTextSize bytes each.
void SplitChooserSeed(const char* seed, const char* fullPath, int fileOffset, char* fileName,
                      char* initialDir);
