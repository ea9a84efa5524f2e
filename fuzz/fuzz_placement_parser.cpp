// Feeds arbitrary command lines to the placement parser and checks what it
// promises: the command is a tail of the line, starts and ends without
// whitespace, and the line changes only by losing trailing whitespace; the
// quoting of a command for a start; and the splitting of arguments.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "placement/command.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Split as a program's arguments: every byte given comes from one read, and every argument
  // from at least one, so the reader ends.
  const char* text = reinterpret_cast<const char*>(data);
  ArgumentReader reader = {text, text + size};
  size_t bytes = 0, arguments = 0;
  for (int unit; (unit = NextArgumentUnit(&reader)) != ArgumentsEnd;) {
    if (unit < ArgumentEnd || unit > 255) std::abort();
    (unit == ArgumentEnd ? arguments : bytes) += 1;
    if (bytes > size || arguments > size) std::abort();
  }

  std::vector<char> line(data, data + size);
  line.push_back('\0');
  std::vector<char> original = line;
  size_t length = std::strlen(line.data());

  PlacementRequest request = {0, 0, 0, 0, nullptr, 0};
  PlacementParse result = ParsePlacementCommand(line.data(), &request);
  size_t after = std::strlen(line.data());

  if (result != PlacementParsed) {
    if (std::memcmp(line.data(), original.data(), line.size()) != 0) std::abort();
    return 0;
  }
  if (request.command < line.data() || request.command > line.data() + after) std::abort();
  if (request.holdSeconds < 0 || request.holdSeconds > HoldSecondsLimit) std::abort();
  // A fill word stands for the numbers: a monitor from 0 to the limit, no rectangle.
  if (request.fill != FillNone &&
      (request.fillMonitor < 0 || request.fillMonitor > FillMonitorLimit ||
       request.left | request.top | request.width | request.height))
    std::abort();
  if (request.command == line.data()) std::abort();  // at least the separating space precedes it
  if (request.command[-1] != ' ' && !IsCommandWhitespace(request.command[-1])) std::abort();
  size_t commandLength = std::strlen(request.command);
  if (commandLength > 0) {
    if (IsCommandWhitespace(request.command[0])) std::abort();
    if (IsCommandWhitespace(request.command[commandLength - 1])) std::abort();
  }
  // Only trailing whitespace was cut, and only zeros were written.
  if (after > length || std::memcmp(line.data(), original.data(), after) != 0) std::abort();
  for (size_t i = after; i < length; ++i)
    if (!IsCommandWhitespace(original[i])) std::abort();

  // Quoting the command for a start keeps its program part and its arguments, and never
  // overruns.
  char quoted[64];
  if (QuoteProgramPart(request.command, quoted, sizeof quoted)) {
    size_t length, quotedLength, arguments, quotedArguments;
    const char* rest;
    const char* program = ProgramOfCommand(request.command, &length, &rest);
    const char* quotedProgram = ProgramOfCommand(quoted, &quotedLength, &rest);
    const char* a = ArgumentsOfCommand(request.command, &arguments);
    const char* b = ArgumentsOfCommand(quoted, &quotedArguments);
    // The copy started with the quoted line runs the command's arguments, and its window's
    // mark names them.
    if (std::memchr(program, '"', length) == nullptr &&
        (quotedLength != length || std::memcmp(program, quotedProgram, length) != 0 ||
         arguments != quotedArguments || std::memcmp(a, b, arguments) != 0 ||
         !SameArguments(request.command, quoted) ||
         HashArguments(HashStart, request.command) != HashArguments(HashStart, quoted)))
      std::abort();
  } else if (commandLength + 3 <= sizeof quoted) {
    std::abort();
  }
  return 0;
}
