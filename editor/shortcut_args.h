// The texts a shortcut is made of: the arguments of an updated placement
// shortcut and the names of a new one on the desktop. Plain logic; refusals are
// reported here (caption "Failure") so the writer only has to stop.
#pragma once

#include "diag/text.h"

enum {
  ShortcutTextSize = TextSize,  // every text of a shortcut, terminator included
  ShortcutTextLimit = 259,      // characters of a shortcut's texts, in UTF-16 units
  // The old arguments of an updated shortcut are read whole up to this many
  // UTF-16 units, terminator included, into OldArgumentsSize bytes; a longer
  // text is refused rather than cut.
  OldArgumentsUnits = 1024,
  OldArgumentsSize = 3 * OldArgumentsUnits,
};

enum ShortcutTextResult {
  ShortcutTextMade,        // the text(s) fit and are filled in
  ShortcutInvalidCommand,  // "Invalid Command line.\n%s" was reported
  ShortcutTextTooLong,     // the result would not fit 259 characters; reported
};

// What a new shortcut gets besides its target and arguments.
struct NewShortcutNames {
  char iconLocation[ShortcutTextSize];
  char workingDirectory[ShortcutTextSize];
  char shortcutPath[ShortcutTextSize];
};

// True when text begins with four comma-separated integers, as the placement
// command line does ("%d,%d,%d,%d" reads four fields).
bool BeginsWithCoordinates(const char* text);

// Arguments for an update: a placement shortcut keeps its command and takes the
// coordinates of the input text; any other shortcut gets the input text, a
// space and its old arguments. inputText holds fewer than TextSize bytes and
// oldArguments fewer than OldArgumentsSize. Fills arguments (ShortcutTextSize
// bytes) only when the result is ShortcutTextMade.
ShortcutTextResult ComposeUpdatedArguments(const char* inputText, const char* oldArguments,
                                           char* arguments);

// A new shortcut takes the input text whole as its arguments: refuses (with a
// report) a text that would not fit 259 characters, instead of cutting it.
ShortcutTextResult CheckNewArguments(const char* inputText);

// The Output text names the shortcut to load or save: refuses (with a report)
// one that would not fit 259 characters, since a cut one names another file.
ShortcutTextResult CheckShortcutPath(const char* outputText);

// Icon location, working directory and desktop path of a new shortcut for the
// command in the input text (the text after its first space).
ShortcutTextResult DeriveNewShortcut(const char* inputText, const char* desktopFolder,
                                     NewShortcutNames* names);
