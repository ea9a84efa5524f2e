#include "editor/shortcut_args.h"

#include <cstring>

#include "diag/diag.h"
#include "diag/format.h"
#include "placement/command.h"
#include "placement/lookup.h"

namespace {

// Room for a text made of the longest input and old arguments, or of a
// folder, a file name and the suffix, so that an over-long result is measured
// and shown whole in its refusal.
enum { ComposeRoom = TextSize + OldArgumentsSize };

const char ArgumentsTooLongFormat[] =
    "Shortcut arguments too long (%d characters, at most %d):\n%s";
const char PathTooLongFormat[] = "Shortcut path too long (%d characters, at most %d):\n%s";
const char ShortcutSuffix[] = " Tavrisol";
const char ShortcutExtension[] = ".lnk";

// A new shortcut tries "Name Tavrisol.lnk", then " (2)" up to this number.
enum { LastFreeNameTried = 99 };

// Appends up to count bytes of text to buffer (room bytes), always terminated.
void AppendBounded(char* buffer, size_t room, const char* text, size_t count) {
  size_t used = std::strlen(buffer);
  if (used + 1 >= room) return;
  if (count > room - 1 - used) count = room - 1 - used;
  std::memcpy(buffer + used, text, count);
  buffer[used + count] = '\0';
}

void Append(char* buffer, size_t room, const char* text) {
  AppendBounded(buffer, room, text, std::strlen(text));
}

void CopyField(char* field, const char* text, size_t count) {
  std::memcpy(field, text, count);
  field[count] = '\0';
}

// A shortcut's text holds at most 259 characters as the system counts them,
// which always fit a ShortcutTextSize field; a longer one is reported whole.
bool Fits(const char* format, const char* text) {
  if (TextUnits(text) <= ShortcutTextLimit) return true;
  MessageReport(CaptionFailure, format, static_cast<int>(TextUnits(text)), ShortcutTextLimit, text);
  return false;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

const char* SkipBlanks(const char* text) {
  while (IsCommandWhitespace(*text)) ++text;
  return text;
}

void CopyProgram(const char* command, char* program, const char** rest) {
  size_t length;
  const char* start = ProgramOfCommand(command, &length, rest);
  CopyField(program, start, length);
}

// The hold of old placement arguments, read from their text before the first
// space as the run reads it; 0 for none.
int32_t OldHoldSeconds(const char* oldArguments, const char* oldSpace) {
  char head[ComposeRoom];
  size_t length = static_cast<size_t>(oldSpace - oldArguments);
  if (length + 3 > sizeof head) return 0;
  std::memcpy(head, oldArguments, length);
  std::memcpy(head + length, " x", 3);
  PlacementRequest request;
  return ParsePlacementCommand(head, &request) == PlacementParsed ? request.holdSeconds : 0;
}

void Refuse(const char* format, const char* text) { MessageReport(CaptionFailure, format, text); }

bool IsPath(const char* program) { return std::strpbrk(program, "\\/") != nullptr; }

// Arguments, icon and working directory of a new shortcut.
void NewShortcutFields(const PlacementInput& input, ShortcutPlan* plan) {
  plan->kind = PlanNewShortcut;
  std::strcpy(plan->arguments, input.text);
  plan->workingDirectory[0] = '\0';
  plan->setIcon = IsPath(input.program);
  if (!plan->setIcon) return;
  std::strcpy(plan->iconLocation, input.program);
  plan->iconIndex = 0;
  size_t directory = 0;
  for (size_t i = 0; input.program[i]; ++i)
    if (IsSeparator(input.program[i])) directory = i;
  // A drive's root keeps its backslash: "C:" alone is that drive's current folder.
  if (directory == 2 && input.program[1] == ':') ++directory;
  CopyField(plan->workingDirectory, input.program, directory);
}

// The file name of a new shortcut in folder: the program's file name without
// its extension, its first letter raised, characters no file name may hold
// replaced, then " Tavrisol" and the first free of ".lnk", " (2).lnk", ...
bool NameInFolder(const ShortcutPlanOps& ops, const char* folder, const char* program, char* path) {
  const char* name = program;
  for (const char* p = program; *p; ++p)
    if (IsSeparator(*p)) name = p + 1;
  char stem[ComposeRoom] = "";
  Append(stem, sizeof stem, folder);
  size_t length = std::strlen(stem);
  if (length == 0 || !IsSeparator(stem[length - 1])) Append(stem, sizeof stem, "\\");
  size_t start = std::strlen(stem);
  Append(stem, sizeof stem, name);
  char* dot = std::strrchr(stem + start, '.');
  if (dot && dot > stem + start) *dot = '\0';
  for (char* p = stem + start; *p; ++p)
    if (static_cast<unsigned char>(*p) < 0x20 || std::strchr("\\/:*?\"<>|", *p)) *p = '_';
  if (stem[start] >= 'a' && stem[start] <= 'z') stem[start] = static_cast<char>(stem[start] - 32);
  Append(stem, sizeof stem, ShortcutSuffix);

  // A new shortcut never replaces a file: the first free name is taken.
  char candidate[ComposeRoom];
  for (int number = 1; number <= LastFreeNameTried; ++number) {
    if (number == 1)
      FormatText(candidate, sizeof candidate, "%s%s", stem, ShortcutExtension);
    else
      FormatText(candidate, sizeof candidate, "%s (%d)%s", stem, number, ShortcutExtension);
    if (!Fits(PathTooLongFormat, candidate)) return false;
    if (ops.pathKind(ops.context, candidate) != PathMissing) continue;
    std::strcpy(path, candidate);
    return true;
  }
  MessageReport(CaptionFailure, "No free shortcut name: %s%s and %d numbered ones are taken", stem,
                ShortcutExtension, LastFreeNameTried - 1);
  return false;
}

bool EndsWithLnk(const char* path) {
  size_t length = std::strlen(path);
  return length >= 4 && SameTextIgnoringAsciiCase(path + length - 4, ShortcutExtension);
}

const char NotAShortcut[] = "Not a shortcut:\n%s";
const char OtherProgram[] =
    "Input starts %s, but the shortcut starts %s.\nThe shortcut was not changed.";

// The update of the shortcut at path, which exists.
void PlanUpdateOf(const ShortcutPlanOps& ops, const PlacementInput& input, const char* path,
                  ShortcutPlan* plan) {
  OldShortcut old;
  switch (ops.loadShortcut(ops.context, path, &old)) {
    case ShortcutNotLoadable:
      Refuse(NotAShortcut, path);
      return;
    case ShortcutLoadRefused:
      return;
    case ShortcutLoaded:
      break;
  }
  char composed[ComposeRoom] = "";
  plan->setIcon = false;
  if (BeginsWithPlacementArea(old.arguments)) {
    // A placement shortcut: the new numbers for the same program, with the
    // old command unless Input gives arguments of its own; the old hold stays
    // unless Input gives one (0 removes it).
    const char* oldSpace = std::strchr(old.arguments, ' ');
    if (!oldSpace) {
      Refuse(InvalidCommandMessage, old.arguments);
      return;
    }
    char oldProgram[ComposeRoom];
    const char* rest;
    CopyProgram(SkipBlanks(oldSpace), oldProgram, &rest);
    if (!ops.sameProgram(input.program, oldProgram)) {
      MessageReport(CaptionFailure, OtherProgram, input.program, oldProgram);
      return;
    }
    int32_t hold = input.holdGiven ? input.holdSeconds : OldHoldSeconds(old.arguments, oldSpace);
    AppendBounded(composed, sizeof composed, input.text, input.coordinatesLength);
    if (hold) FormatText(composed + std::strlen(composed), 16, ",%d", static_cast<int>(hold));
    if (input.hasArguments) {
      Append(composed, sizeof composed, " ");
      Append(composed, sizeof composed, input.command);
    } else {
      Append(composed, sizeof composed, oldSpace);
    }
  } else {
    // An ordinary shortcut of the same program: the placement before its
    // arguments, and its icon stays the program's.
    if (!ops.sameProgram(input.program, old.target)) {
      MessageReport(CaptionFailure, OtherProgram, input.program, old.target);
      return;
    }
    Append(composed, sizeof composed, input.text);
    Append(composed, sizeof composed, " ");
    Append(composed, sizeof composed, old.arguments);
    if (old.iconLocation[0] == '\0') {
      plan->setIcon = true;
      std::strcpy(plan->iconLocation, old.target);
      plan->iconIndex = 0;
    }
  }
  if (!Fits(ArgumentsTooLongFormat, composed)) return;
  std::strcpy(plan->arguments, composed);
  plan->workingDirectory[0] = '\0';
  std::strcpy(plan->path, path);
  plan->kind = PlanUpdate;
}

}  // namespace

void RemoveSurroundingQuotes(char* text) {
  size_t length = std::strlen(text);
  if (length < 2 || text[0] != '"' || text[length - 1] != '"') return;
  std::memmove(text, text + 1, length - 2);
  text[length - 2] = '\0';
}

ShortcutTextResult ReadPlacementInput(const char* inputText, PlacementInput* input) {
  // Longer than any field: refused whole, before any copy of it is cut.
  if (std::strlen(inputText) >= ShortcutTextSize) {
    Fits(ArgumentsTooLongFormat, inputText);
    return ShortcutTextTooLong;
  }
  char line[ComposeRoom];
  std::strcpy(line, inputText);
  PlacementRequest request;
  PlacementParse parsed = ParsePlacementCommand(line, &request);
  if (parsed != PlacementParsed) {
    ReportPlacementRefusal(parsed, request, inputText);
    return ShortcutInvalidCommand;
  }
  // The numbers as "%d" reads them, or the fill word in the form the run
  // reads it, and the command after the first space that follows them, so
  // that a blank after a comma cannot cut the command.
  int32_t numbers[4];
  const char* end;
  char head[ComposeRoom];
  if (ReadCommaNumbers(inputText, numbers, 4, &end) == 4) {
    FormatText(head, sizeof head, "%d,%d,%d,%d", static_cast<int>(numbers[0]),
               static_cast<int>(numbers[1]), static_cast<int>(numbers[2]),
               static_cast<int>(numbers[3]));
  } else {
    end = inputText + std::strcspn(inputText, ", ");
    FormatText(head, sizeof head, "%s", request.fill == FillWorkArea ? "fillwork" : "fill");
    if (request.fillMonitor)
      FormatText(head + std::strlen(head), 16, ":%d", static_cast<int>(request.fillMonitor));
  }
  const char* space = std::strchr(end, ' ');
  if (!space) {
    Refuse(InvalidCommandMessage, inputText);
    return ShortcutInvalidCommand;
  }
  int32_t hold = ReadHoldNumber(end, space);
  if (hold == HoldOutOfRange) {
    MessageReport(CaptionFailure, "Hold seconds out of range (0 to %d):\n%s", HoldSecondsLimit,
                  inputText);
    return ShortcutInvalidCommand;
  }
  input->holdGiven = hold >= 0;
  input->holdSeconds = hold > 0 ? hold : 0;
  const char* command = SkipBlanks(line + (space + 1 - inputText));
  input->coordinatesLength = std::strlen(head);
  if (input->holdSeconds)
    FormatText(head + input->coordinatesLength, 16, ",%d", static_cast<int>(input->holdSeconds));
  if (*command == '\0') {
    Refuse(InvalidCommandMessage, inputText);
    return ShortcutInvalidCommand;
  }
  const char* rest;
  char program[ComposeRoom];
  CopyProgram(command, program, &rest);
  input->hasArguments = *SkipBlanks(rest) != '\0';
  // A program in quotes alone loses them: the run compares it with the paths
  // of running programs.
  if (command[0] == '"' && !input->hasArguments) command = program;

  char text[ComposeRoom];
  FormatText(text, sizeof text, "%s %s", head, command);
  if (!Fits(ArgumentsTooLongFormat, text)) return ShortcutTextTooLong;
  std::strcpy(input->text, text);
  std::strcpy(input->program, program);
  input->command = input->text + std::strlen(head) + 1;
  return ShortcutTextMade;
}

void PlanShortcut(const ShortcutPlanOps& ops, const char* inputText, const char* outputText,
                  ShortcutPlan* plan) {
  plan->kind = PlanRefused;
  PlacementInput input;
  if (ReadPlacementInput(inputText, &input) != ShortcutTextMade) return;
  if (!ops.programFound(input.program)) {
    ReportProgramMissing(input.program);
    return;
  }
  std::strcpy(plan->input, input.text);

  // Where the shortcut goes: Output without quotes or surrounding blanks; a
  // relative path lies on the desktop.
  char output[ComposeRoom];
  CopyField(
      output, outputText,
      std::strlen(outputText) < sizeof output - 1 ? std::strlen(outputText) : sizeof output - 1);
  char* start = output;
  while (IsCommandWhitespace(*start)) ++start;
  char* end = start + std::strlen(start);
  while (end > start && IsCommandWhitespace(end[-1])) *--end = '\0';
  RemoveSurroundingQuotes(start);

  char desktop[ShortcutTextSize];
  desktop[0] = '\0';
  ops.desktopFolder(ops.context, desktop);
  char place[ComposeRoom];
  if (*start && !IsAbsolutePath(start))
    FormatText(place, sizeof place, "%s\\%s", desktop, start);
  else
    std::strcpy(place, start);

  if (*start == '\0' || ops.pathKind(ops.context, place) == PathFolder) {
    const char* folder = *start ? place : desktop;
    if (!NameInFolder(ops, folder, input.program, plan->path)) return;
    NewShortcutFields(input, plan);
    return;
  }
  if (!EndsWithLnk(place)) Append(place, sizeof place, ShortcutExtension);
  if (!Fits(PathTooLongFormat, place)) return;
  switch (ops.pathKind(ops.context, place)) {
    case PathFile:
      PlanUpdateOf(ops, input, place, plan);
      return;
    case PathFolder:
      Refuse(NotAShortcut, place);
      return;
    case PathMissing:
      break;
  }
  // A new shortcut at the path given: its folder must exist.
  char folder[ComposeRoom];
  std::strcpy(folder, place);
  char* name = folder;
  for (char* p = folder; *p; ++p)
    if (IsSeparator(*p)) name = p + 1;
  *name = '\0';
  if (name == folder || ops.pathKind(ops.context, folder) != PathFolder) {
    Refuse("No such folder:\n%s", folder[0] ? folder : place);
    return;
  }
  std::strcpy(plan->path, place);
  NewShortcutFields(input, plan);
}
