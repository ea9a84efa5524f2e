#include "editor/shortcut_args.h"

#include <cctype>
#include <cstring>

#include "diag/diag.h"
#include "placement/command.h"

namespace {

// Room for a text made of the longest input and old arguments, or of a
// desktop folder, a file name and the suffix, so that an over-long result is
// measured and shown whole in its refusal.
enum { ComposeRoom = TextSize + OldArgumentsSize };

const char InvalidCommandFormat[] = "Invalid Command line.\n%s";
const char ArgumentsTooLongFormat[] =
    "Shortcut arguments too long (%d characters, at most %d):\n%s";
const char PathTooLongFormat[] = "Shortcut path too long (%d characters, at most %d):\n%s";
const char ShortcutSuffix[] = " Tavrisol.lnk";

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

}  // namespace

bool BeginsWithCoordinates(const char* text) {
  int32_t numbers[4];
  return ReadCommaNumbers(text, numbers, 4, nullptr) == 4;
}

ShortcutTextResult ComposeUpdatedArguments(const char* inputText, const char* oldArguments,
                                           char* arguments) {
  char composed[ComposeRoom] = "";
  if (BeginsWithCoordinates(oldArguments)) {
    // A placement shortcut: new coordinates, old command.
    const char* inputSpace = std::strchr(inputText, ' ');
    if (!inputSpace) {
      MessageReport(CaptionFailure, InvalidCommandFormat, inputText);
      return ShortcutInvalidCommand;
    }
    const char* oldSpace = std::strchr(oldArguments, ' ');
    if (!oldSpace) {
      MessageReport(CaptionFailure, InvalidCommandFormat, oldArguments);
      return ShortcutInvalidCommand;
    }
    AppendBounded(composed, sizeof composed, inputText, inputSpace - inputText);
    Append(composed, sizeof composed, oldSpace);
  } else {
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
                                     NewShortcutNames* names) {
  const char* space = std::strchr(inputText, ' ');
  if (!space) {
    MessageReport(CaptionFailure, InvalidCommandFormat, inputText);
    return ShortcutInvalidCommand;
  }
  const char* command = space + 1;
  if (!FitsField(command) || !FitsField(desktopFolder)) {
    // The editor checks the command first; only another caller gets here.
    const char* text = FitsField(command) ? desktopFolder : command;
    MessageReport(CaptionFailure, "Shortcut command too long (%d characters, at most %d):\n%s",
                  static_cast<int>(TextUnits(text)), ShortcutTextLimit, text);
    return ShortcutTextTooLong;
  }

  // The last backslash of the whole command, arguments included, splits the
  // directory from the file name; a command without one is all file name.
  const char* backslash = std::strrchr(command, '\\');
  const char* fileName = backslash ? backslash + 1 : command;
  size_t directoryLength = backslash ? static_cast<size_t>(backslash - command) : 0;

  char path[ComposeRoom] = "";
  Append(path, sizeof path, desktopFolder);
  Append(path, sizeof path, "\\");
  size_t nameStart = std::strlen(path);
  Append(path, sizeof path, fileName);
  if (path[nameStart] >= 'a' && path[nameStart] <= 'z')
    path[nameStart] = static_cast<char>(std::toupper(static_cast<unsigned char>(path[nameStart])));
  // The last "." of the whole path goes with what follows, even when it lies
  // in the desktop folder's own name.
  char* dot = std::strrchr(path, '.');
  if (dot) *dot = '\0';
  Append(path, sizeof path, ShortcutSuffix);
  if (!FitsField(path)) {
    MessageReport(CaptionFailure, PathTooLongFormat, static_cast<int>(TextUnits(path)),
                  ShortcutTextLimit, path);
    return ShortcutTextTooLong;
  }

  CopyField(names->iconLocation, command, std::strlen(command));
  CopyField(names->workingDirectory, command, directoryLength);
  CopyField(names->shortcutPath, path, std::strlen(path));
  return ShortcutTextMade;
}
