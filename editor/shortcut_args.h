// What Ok does, decided before anything is written: from the Input text, the
// Output text and the shortcut Output names, a plan (a new shortcut at a path,
// an update of a shortcut) or a refusal. Plain logic; refusals are reported
// here (caption "Failure") so the writer only has to stop.
#pragma once

#include <cstddef>
#include <cstdint>

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
  ShortcutBadOutput,       // Output names no shortcut and no place for one; reported
};

// The Input text as it is written, so that the run reads it as the user meant:
// the numbers in their plain form, one space, the command without surrounding
// quotes.
struct PlacementInput {
  char text[ShortcutTextSize];
  const char* command;       // in text
  size_t coordinatesLength;  // of the numbers (or words) that begin text, without a hold
  // The program of the command (the quoted part, or up to the end of the first
  // ".exe" word, or the whole command when it is a path, else its first word),
  // and whether arguments follow it.
  char program[ShortcutTextSize];
  bool hasArguments;
  int32_t holdSeconds;  // 0: none
  bool holdGiven;       // a fifth number stood there; 0 removes a hold
};

// What the shortcut Output names holds.
struct OldShortcut {
  char arguments[OldArgumentsSize];
  char target[ShortcutTextSize];
  char iconLocation[ShortcutTextSize];
  int iconIndex;
};

enum PathKind { PathMissing, PathFile, PathFolder };
enum ShortcutLoad {
  ShortcutLoaded,
  ShortcutNotLoadable,  // no shortcut the shell can read
  ShortcutLoadRefused,  // read, but not whole; reported
};

// What the plan needs to know of the system.
struct ShortcutPlanOps {
  void* context;
  void (*desktopFolder)(void* context, char* folder);  // ShortcutTextSize bytes
  PathKind (*pathKind)(void* context, const char* path);
  ShortcutLoad (*loadShortcut)(void* context, const char* path, OldShortcut* old);
  // Whether two texts name the same program, as the run compares a command
  // with the path of a running process.
  bool (*sameProgram)(const char* a, const char* b);
  // Whether a program's file is there, as a run would find it (a bare name
  // in the start's search order).
  bool (*programFound)(const char* program);
};

enum ShortcutPlanKind { PlanRefused, PlanNewShortcut, PlanUpdate };

struct ShortcutPlan {
  ShortcutPlanKind kind;
  char path[ShortcutTextSize];  // the shortcut file written
  char arguments[ShortcutTextSize];
  bool setIcon;  // a new shortcut, or an update whose old one had no icon
  char iconLocation[ShortcutTextSize];
  int iconIndex;
  char workingDirectory[ShortcutTextSize];  // a new shortcut's; empty: none
  char input[ShortcutTextSize];             // the Input text as written, for its list
};

// Reads the input text as the run will, and refuses with the run's own message
// what the run could not read: fewer than four numbers, no space after them,
// nothing after that space. Fills input only on ShortcutTextMade.
ShortcutTextResult ReadPlacementInput(const char* inputText, PlacementInput* input);

// Decides Ok. An empty Output is a new shortcut on the desktop, a folder a new
// shortcut in it (named after the program: "Name Tavrisol.lnk", or the first
// free "Name Tavrisol (N).lnk"); a path (".lnk" added when missing) names the
// shortcut to update when it exists, else the new one, whose folder must
// exist. A relative path lies on the desktop. An update keeps the shortcut's
// program: Input must name it.
void PlanShortcut(const ShortcutPlanOps& ops, const char* inputText, const char* outputText,
                  ShortcutPlan* plan);

// Takes one pair of double quotes off a text that begins and ends with them,
// as the shell's "copy as path" gives a path.
void RemoveSurroundingQuotes(char* text);
