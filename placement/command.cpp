// Reading the placement command line: four numbers (or "fill") and the
// command. Every refusal says which part was wrong, so the message can too.
#include "placement/command.h"

#include <cstring>

#include "diag/diag.h"

const char MissingCoordinatesMessage[] =
    "Command line missing startup coords and sizes, or fill or fillwork.\n%s";
const char InvalidCommandMessage[] = "Invalid Command line.\n%s";

void ReportPlacementRefusal(PlacementParse result, const PlacementRequest& request,
                            const char* line) {
  if (result == PlacementBadSize)
    MessageReport(CaptionFailure, "Size %dx%d: width and height must be 1 or more.\n%s",
                  static_cast<int>(request.width), static_cast<int>(request.height), line);
  else
    MessageReport(CaptionFailure,
                  result == PlacementNoCommand ? InvalidCommandMessage : MissingCoordinatesMessage,
                  line);
}

void ReportProgramMissing(const char* program) {
  enum { FileNotFoundError = 2 };  // the system's code for it
  char reason[ErrorTextSize];
  ErrorCodeText(FileNotFoundError, reason, sizeof reason);
  MessageReport(CaptionFailure, "Program not found.\n%s\n%s", program, reason);
}

namespace {

bool IsWordEnd(char c) { return c == '\0' || c == ' ' || c == ','; }

bool IsBlankOrEnd(char c) { return c == '\0' || IsCommandWhitespace(c); }

// What parts a program's arguments from each other; no other whitespace does.
bool IsArgumentBlank(char c) { return c == ' ' || c == '\t'; }

// "fill" or "fillwork" at the start of text, in any case of ASCII letters,
// with an optional ":N" (1 to FillMonitorLimit), ended by a comma, the space
// or the end; on success *end points just after it.
bool ReadFillWord(const char* text, int32_t* fill, int32_t* monitor, const char** end) {
  const char* p = text;
  for (const char* word = "fill"; *word != '\0'; ++word, ++p)
    if ((*p | 0x20) != *word) return false;
  *fill = FillMonitor;
  if ((p[0] | 0x20) == 'w' && (p[1] | 0x20) == 'o' && (p[2] | 0x20) == 'r' &&
      (p[3] | 0x20) == 'k') {
    *fill = FillWorkArea;
    p += 4;
  }
  *monitor = 0;
  if (*p == ':') {
    for (++p; *p >= '0' && *p <= '9'; ++p) {
      *monitor = *monitor * 10 + (*p - '0');
      if (*monitor > FillMonitorLimit) return false;
    }
    if (*monitor == 0) return false;
  }
  *end = p;
  return IsWordEnd(*p);
}

}  // namespace

int32_t ReadHoldNumber(const char* text, const char* end) {
  if (end - text < 2 || text[0] != ',') return HoldAbsent;
  int32_t seconds = 0;
  for (const char* p = text + 1; p < end; ++p) {
    if (*p < '0' || *p > '9') return HoldAbsent;
    if (seconds <= HoldSecondsLimit) seconds = seconds * 10 + (*p - '0');
  }
  return seconds > HoldSecondsLimit ? HoldOutOfRange : seconds;
}

bool IsAbsolutePath(const char* path) {
  bool drive = ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
               path[1] == ':' && (path[2] == '\\' || path[2] == '/');
  bool share = (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/');
  return drive || share;
}

bool BeginsWithPlacementArea(const char* text) {
  int32_t numbers[4], fill, monitor;
  const char* end;
  return ReadCommaNumbers(text, numbers, 4, nullptr) == 4 ||
         ReadFillWord(text, &fill, &monitor, &end);
}

PlacementParse ParsePlacementCommand(char* commandLine, PlacementRequest* request) {
  int32_t numbers[4] = {0, 0, 0, 0};
  int32_t fill = FillNone, monitor = 0;
  const char* afterNumbers = nullptr;
  if (ReadCommaNumbers(commandLine, numbers, 4, &afterNumbers) != 4 &&
      !ReadFillWord(commandLine, &fill, &monitor, &afterNumbers))
    return PlacementMissingCoordinates;
  if (fill == FillNone && (numbers[2] < 1 || numbers[3] < 1)) {
    request->width = numbers[2];
    request->height = numbers[3];
    return PlacementBadSize;
  }

  // The first space after the numbers separates the command; a tab is no
  // separator.
  char* command = std::strchr(commandLine + (afterNumbers - commandLine), ' ');
  if (command == nullptr) return PlacementNoCommand;
  // 0 and anything else that is no number from 1 to the limit ask for no hold.
  int32_t holdSeconds = ReadHoldNumber(afterNumbers, command);
  if (holdSeconds < 0) holdSeconds = 0;
  ++command;
  while (*command != '\0' && IsCommandWhitespace(*command)) ++command;

  char* end = command + std::strlen(command);
  while (end > command && IsCommandWhitespace(end[-1])) *--end = '\0';

  request->left = numbers[0];
  request->top = numbers[1];
  request->width = numbers[2];
  request->height = numbers[3];
  request->command = command;
  request->holdSeconds = holdSeconds;
  request->fill = fill;
  request->fillMonitor = monitor;
  return PlacementParsed;
}

const char* ProgramOfCommand(const char* command, size_t* length, const char** rest) {
  if (command[0] == '"') {
    const char* close = std::strchr(command + 1, '"');
    *length = close ? static_cast<size_t>(close - command - 1) : std::strlen(command + 1);
    *rest = close ? close + 1 : command + 1 + *length;
    return command + 1;
  }
  for (const char* p = command; *p; ++p) {
    // Only "E" and "e" give 'e' once 0x20 is set, and so on.
    if (p[0] == '.' && (p[1] | 0x20) == 'e' && (p[2] | 0x20) == 'x' && (p[3] | 0x20) == 'e' &&
        IsBlankOrEnd(p[4])) {
      *rest = p + 4;
      *length = static_cast<size_t>(*rest - command);
      return command;
    }
  }
  const char* end = command;
  bool path = false;
  for (; !IsBlankOrEnd(*end); ++end) path = path || *end == '\\' || *end == '/';
  if (path) end = command + std::strlen(command);
  *length = static_cast<size_t>(end - command);
  *rest = end;
  return command;
}

namespace {

// [text, text + *length) without the blanks at either end.
const char* Trimmed(const char* text, size_t* length) {
  while (*length > 0 && IsCommandWhitespace(*text)) ++text, --*length;
  while (*length > 0 && IsCommandWhitespace(text[*length - 1])) --*length;
  return text;
}

}  // namespace

const char* ArgumentsOfCommand(const char* command, size_t* length) {
  size_t programLength;
  const char* rest;
  ProgramOfCommand(command, &programLength, &rest);
  *length = std::strlen(rest);
  return Trimmed(rest, length);
}

const char* ArgumentsOfProcessLine(const char* line, size_t* length) {
  const char* rest = line;
  if (*line == '"') {
    const char* close = std::strchr(line + 1, '"');
    rest = close != nullptr ? close + 1 : line + std::strlen(line);
  } else {
    while (*rest != '\0' && !IsArgumentBlank(*rest)) ++rest;
  }
  *length = std::strlen(rest);
  return Trimmed(rest, length);
}

int NextArgumentUnit(ArgumentReader* reader) {
  ArgumentReader& r = *reader;
  for (;;) {
    if (r.backslashes > 0) {
      --r.backslashes;
      return '\\';
    }
    if (r.quotes > 0) {
      --r.quotes;
      return '"';
    }
    if (r.at == r.end || (r.quoting == 0 && IsArgumentBlank(*r.at))) {
      if (r.inArgument) {
        r.inArgument = false;
        return ArgumentEnd;
      }
      if (r.at == r.end) return ArgumentsEnd;
      ++r.at;
      continue;
    }
    r.inArgument = true;
    size_t count = 0;
    for (; r.at != r.end && *r.at == '\\'; ++r.at) ++count;
    if (r.at == r.end || *r.at != '"') {
      if (count == 0) return static_cast<unsigned char>(*r.at++);
      r.backslashes = count;  // not before a quote: as they are
      continue;
    }
    ++r.at;
    r.backslashes = count / 2;
    if (count % 2 != 0)
      ++r.quotes;
    else
      ++r.quoting;
    for (; r.at != r.end && *r.at == '"'; ++r.at)
      if (++r.quoting == 3) {
        ++r.quotes;
        r.quoting = 0;
      }
    if (r.quoting == 2) r.quoting = 0;
  }
}

bool SameArguments(const char* command, const char* line) {
  size_t wanted, given;
  const char* a = ArgumentsOfCommand(command, &wanted);
  const char* b = ArgumentsOfProcessLine(line, &given);
  ArgumentReader x = {a, a + wanted}, y = {b, b + given};
  for (;;) {
    const int unit = NextArgumentUnit(&x);
    if (unit != NextArgumentUnit(&y)) return false;
    if (unit == ArgumentsEnd) return true;
  }
}

uint64_t HashArguments(uint64_t hash, const char* command) {
  size_t length;
  const char* arguments = ArgumentsOfCommand(command, &length);
  ArgumentReader reader = {arguments, arguments + length};
  for (int unit; (unit = NextArgumentUnit(&reader)) != ArgumentsEnd;)
    hash = HashUnit(hash, unit == ArgumentEnd ? 0u : static_cast<uint32_t>(unit));
  return hash;
}

bool QuoteProgramPart(const char* command, char* quoted, size_t size) {
  size_t length;
  const char* rest;
  const char* program = ProgramOfCommand(command, &length, &rest);
  const size_t restLength = std::strlen(rest);
  if (length + restLength + 3 > size) return false;
  quoted[0] = '"';
  std::memcpy(quoted + 1, program, length);
  quoted[length + 1] = '"';
  std::memcpy(quoted + length + 2, rest, restLength + 1);
  return true;
}
