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
  ShortcutInvalidCommand,  // the placement run's own refusal of the text was reported
  ShortcutTextTooLong,     // the result would not fit 259 characters; reported
  ShortcutOtherProgram,    // Input names another program than the shortcut's; reported
  ShortcutNoFreeName,      // every name tried for a new shortcut is taken; reported
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

// Takes one pair of double quotes off a text that begins and ends with them,
// as the shell's "copy as path" gives a path.
void RemoveSurroundingQuotes(char* text);

// Reads the input text as the placement run does and refuses, with the run's
// own message, what the run would refuse: fewer than four numbers, no space,
// or nothing after it.
ShortcutTextResult CheckPlacementInput(const char* inputText);

// Arguments for an update: a placement shortcut keeps its command (and its
// hold, unless the input text gives one) and takes the four numbers of the
// input text; any other shortcut gets the input text, a space and its old
// arguments, but only when the input's program is the shortcut's own target.
// inputText holds fewer than TextSize bytes and oldArguments fewer than
// OldArgumentsSize. Fills arguments (ShortcutTextSize bytes) only when the
// result is ShortcutTextMade.
ShortcutTextResult ComposeUpdatedArguments(const char* inputText, const char* oldArguments,
                                           const char* oldTarget, char* arguments);

// A new shortcut takes the input text whole as its arguments: refuses (with a
// report) a text that would not fit 259 characters, instead of cutting it.
ShortcutTextResult CheckNewArguments(const char* inputText);

// The Output text names the shortcut to load or save: refuses (with a report)
// one that would not fit 259 characters, since a cut one names another file.
ShortcutTextResult CheckShortcutPath(const char* outputText);

// Icon location, working directory and desktop path of a new shortcut, from
// the program of the input's command: the quoted part, or the command up to
// the end of its first ".exe" name, never its arguments. The path is the first
// of "Name Tavrisol.lnk", "Name Tavrisol (2).lnk", ... that taken says is free.
ShortcutTextResult DeriveNewShortcut(const char* inputText, const char* desktopFolder,
                                     bool (*taken)(const char* path), NewShortcutNames* names);
