// The texts a shortcut is made of: the arguments of an updated placement
// shortcut and the names of a new one on the desktop. Plain logic; refusals are
// reported here (caption "Failure") so the writer only has to stop.
#pragma once

enum { ShortcutTextSize = 260 };  // every text of a shortcut, terminator included

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
// space and its old arguments. Fills arguments (ShortcutTextSize bytes) only
// when the result is ShortcutTextMade.
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
