#include "editor/shortcut_args.h"

#include <cctype>
#include <cstring>

#include "diag/diag.h"
#include "diag/format.h"
#include "placement/command.h"
#include "placement/lookup.h"

namespace {

// Room for a text made of the longest input and old arguments, or of a
// desktop folder, a file name and the suffix, so that an over-long result is
// measured and shown whole in its refusal.
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

// A shortcut's text holds at most 259 characters as the system counts them,
// which always fit a ShortcutTextSize field.
bool FitsField(const char* text) { return TextUnits(text) <= ShortcutTextLimit; }

void CopyField(char* field, const char* text, size_t count) {
  std::memcpy(field, text, count);
  field[count] = '\0';
}

// The input text read as the placement run reads it, into line (ComposeRoom
// bytes); request points into line. Refusals are the run's own messages; an
// empty command, which the run could never start, counts as none.
ShortcutTextResult ReadPlacementInput(const char* inputText, char* line,
                                      PlacementRequest* request) {
  size_t length = std::strlen(inputText);
  if (length >= ComposeRoom) {
    MessageReport(CaptionFailure, ArgumentsTooLongFormat, static_cast<int>(length),
                  ShortcutTextSize - 1, inputText);
    return ShortcutTextTooLong;
  }
  std::memcpy(line, inputText, length + 1);
  switch (ParsePlacementCommand(line, request)) {
    case PlacementMissingCoordinates:
      MessageReport(CaptionFailure, MissingCoordinatesMessage, inputText);
      return ShortcutInvalidCommand;
    case PlacementNoCommand:
      MessageReport(CaptionFailure, InvalidCommandMessage, inputText);
      return ShortcutInvalidCommand;
    case PlacementParsed:
      break;
  }
  if (request->command[0] != '\0') return ShortcutTextMade;
  MessageReport(CaptionFailure, InvalidCommandMessage, inputText);
  return ShortcutInvalidCommand;
}

bool IsBlankOrEnd(char c) { return c == '\0' || IsCommandWhitespace(c); }

// The program of a command, without its arguments: the quoted part, or up to
// the end of the first ".exe" that ends a word; else the whole command.
// Returns its start and sets *length.
const char* ProgramOfCommand(const char* command, size_t* length) {
  if (command[0] == '"') {
    const char* close = std::strchr(command + 1, '"');
    *length = close ? static_cast<size_t>(close - command - 1) : std::strlen(command + 1);
    return command + 1;
  }
  for (const char* p = command; *p; ++p) {
    if (p[0] == '.' && std::tolower(static_cast<unsigned char>(p[1])) == 'e' &&
        std::tolower(static_cast<unsigned char>(p[2])) == 'x' &&
        std::tolower(static_cast<unsigned char>(p[3])) == 'e' && IsBlankOrEnd(p[4])) {
      *length = static_cast<size_t>(p + 4 - command);
      return command;
    }
  }
  *length = std::strlen(command);
  return command;
}

// The hold seconds of old placement arguments, read from their text before
// the first space as the run reads it; 0 for none.
int32_t OldHoldSeconds(const char* oldArguments, const char* oldSpace) {
  char head[ComposeRoom];
  size_t length = static_cast<size_t>(oldSpace - oldArguments);
  if (length + 3 > sizeof head) return 0;
  std::memcpy(head, oldArguments, length);
  std::memcpy(head + length, " x", 3);
  PlacementRequest request;
  return ParsePlacementCommand(head, &request) == PlacementParsed ? request.holdSeconds : 0;
}

// The place part of placement arguments as the run read it from Input: the
// four numbers or the fill word, then the hold's seconds when there are any.
void ComposePlace(const PlacementRequest& request, int32_t hold, char* text, size_t size) {
  if (request.fill == FillNone)
    FormatText(text, size, "%d,%d,%d,%d", request.left, request.top, request.width, request.height);
  else if (request.fillMonitor != 0)
    FormatText(text, size, "%s:%d", request.fill == FillWorkArea ? "fillwork" : "fill",
               request.fillMonitor);
  else
    FormatText(text, size, "%s", request.fill == FillWorkArea ? "fillwork" : "fill");
  if (hold) {
    size_t length = std::strlen(text);
    FormatText(text + length, size - length, ",%d", hold);
  }
}

}  // namespace

bool BeginsWithCoordinates(const char* text) {
  int32_t numbers[4];
  return ReadCommaNumbers(text, numbers, 4, nullptr) == 4;
}

void RemoveSurroundingQuotes(char* text) {
  size_t length = std::strlen(text);
  if (length < 2 || text[0] != '"' || text[length - 1] != '"') return;
  std::memmove(text, text + 1, length - 2);
  text[length - 2] = '\0';
}

ShortcutTextResult CheckPlacementInput(const char* inputText) {
  char line[ComposeRoom];
  PlacementRequest request;
  return ReadPlacementInput(inputText, line, &request);
}

ShortcutTextResult ComposeUpdatedArguments(const char* inputText, const char* oldArguments,
                                           const char* oldTarget, char* arguments) {
  char line[ComposeRoom];
  PlacementRequest request;
  ShortcutTextResult read = ReadPlacementInput(inputText, line, &request);
  if (read != ShortcutTextMade) return read;

  char composed[ComposeRoom] = "";
  if (BeginsWithPlacementArea(oldArguments)) {
    // A placement shortcut: new coordinates or fill word, old command and hold.
    const char* oldSpace = std::strchr(oldArguments, ' ');
    if (!oldSpace) {
      MessageReport(CaptionFailure, InvalidCommandMessage, oldArguments);
      return ShortcutInvalidCommand;
    }
    // The numbers as the run read them, so that blanks or signs in the input
    // can't move the command's space.
    int32_t hold =
        request.holdSeconds ? request.holdSeconds : OldHoldSeconds(oldArguments, oldSpace);
    ComposePlace(request, hold, composed, sizeof composed);
    Append(composed, sizeof composed, oldSpace);
  } else {
    // An ordinary shortcut: the input must name the program it starts.
    char program[ComposeRoom];
    size_t programLength;
    const char* start = ProgramOfCommand(request.command, &programLength);
    CopyField(program, start, programLength);
    if (!SameTextIgnoringAsciiCase(program, oldTarget)) {
      MessageReport(CaptionFailure,
                    "Input starts %s, but the shortcut starts %s.\nThe shortcut was not changed.",
                    program, oldTarget);
      return ShortcutOtherProgram;
    }
    Append(composed, sizeof composed, inputText);
    Append(composed, sizeof composed, " ");
    Append(composed, sizeof composed, oldArguments);
  }
  if (!FitsField(composed)) {
    MessageReport(CaptionFailure, ArgumentsTooLongFormat, static_cast<int>(TextUnits(composed)),
                  ShortcutTextLimit, composed);
    return ShortcutTextTooLong;
  }
  std::strcpy(arguments, composed);
  return ShortcutTextMade;
}

ShortcutTextResult CheckNewArguments(const char* inputText) {
  if (FitsField(inputText)) return ShortcutTextMade;
  MessageReport(CaptionFailure, ArgumentsTooLongFormat, static_cast<int>(TextUnits(inputText)),
                ShortcutTextLimit, inputText);
  return ShortcutTextTooLong;
}

ShortcutTextResult CheckShortcutPath(const char* outputText) {
  if (FitsField(outputText)) return ShortcutTextMade;
  MessageReport(CaptionFailure, PathTooLongFormat, static_cast<int>(TextUnits(outputText)),
                ShortcutTextLimit, outputText);
  return ShortcutTextTooLong;
}

ShortcutTextResult DeriveNewShortcut(const char* inputText, const char* desktopFolder,
                                     bool (*taken)(const char* path), NewShortcutNames* names) {
  char line[ComposeRoom];
  PlacementRequest request;
  ShortcutTextResult read = ReadPlacementInput(inputText, line, &request);
  if (read != ShortcutTextMade) return read;
  size_t programLength;
  const char* program = ProgramOfCommand(request.command, &programLength);
  char programText[ComposeRoom] = "";
  AppendBounded(programText, sizeof programText, program, programLength);
  if (!FitsField(programText) || !FitsField(desktopFolder)) {
    // The editor checks its fields first; only another caller gets here.
    const char* text = FitsField(programText) ? desktopFolder : programText;
    MessageReport(CaptionFailure, "Shortcut command too long (%d characters, at most %d):\n%s",
                  static_cast<int>(TextUnits(text)), ShortcutTextLimit, text);
    return ShortcutTextTooLong;
  }

  // The last backslash of the program splits its directory from its file
  // name; a program without one is all file name.
  const char* fileName = program;
  for (const char* p = program; p < program + programLength; ++p)
    if (*p == '\\') fileName = p + 1;
  size_t directoryLength = fileName > program ? static_cast<size_t>(fileName - 1 - program) : 0;

  char stem[ComposeRoom] = "";
  Append(stem, sizeof stem, desktopFolder);
  Append(stem, sizeof stem, "\\");
  size_t nameStart = std::strlen(stem);
  AppendBounded(stem, sizeof stem, fileName, program + programLength - fileName);
  if (stem[nameStart] >= 'a' && stem[nameStart] <= 'z')
    stem[nameStart] = static_cast<char>(std::toupper(static_cast<unsigned char>(stem[nameStart])));
  // The last "." of the whole path goes with what follows, even when it lies
  // in the desktop folder's own name.
  char* dot = std::strrchr(stem, '.');
  if (dot) *dot = '\0';
  Append(stem, sizeof stem, ShortcutSuffix);

  // A new shortcut never replaces a file: the first free name is taken.
  char path[ComposeRoom];
  for (int number = 1; number <= LastFreeNameTried; ++number) {
    if (number == 1)
      FormatText(path, sizeof path, "%s%s", stem, ShortcutExtension);
    else
      FormatText(path, sizeof path, "%s (%d)%s", stem, number, ShortcutExtension);
    if (!FitsField(path)) {
      MessageReport(CaptionFailure, PathTooLongFormat, static_cast<int>(TextUnits(path)),
                    ShortcutTextLimit, path);
      return ShortcutTextTooLong;
    }
    if (taken(path)) continue;
    CopyField(names->iconLocation, program, programLength);
    CopyField(names->workingDirectory, program, directoryLength);
    CopyField(names->shortcutPath, path, std::strlen(path));
    return ShortcutTextMade;
  }
  MessageReport(CaptionFailure, "No free shortcut name: %s%s and %d numbered ones are taken", stem,
                ShortcutExtension, LastFreeNameTried - 1);
  return ShortcutNoFreeName;
}
