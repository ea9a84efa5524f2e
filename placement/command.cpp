#include "placement/command.h"

#include <cstdio>
#include <cstring>

bool IsCommandWhitespace(char c) {
  unsigned char byte = static_cast<unsigned char>(c);
  return byte == 0x20 || (byte >= 0x09 && byte <= 0x0D);
}

PlacementParse ParsePlacementCommand(char* commandLine, PlacementRequest* request) {
  int left = 0, top = 0, width = 0, height = 0;
  if (std::sscanf(commandLine, "%d,%d,%d,%d", &left, &top, &width, &height) != 4)
    return PlacementMissingCoordinates;

  // The first space of the whole line separates the command, even one that
  // stands inside the coordinate list; a tab is no separator.
  char* command = std::strchr(commandLine, ' ');
  if (command == nullptr) return PlacementNoCommand;
  ++command;
  while (*command != '\0' && IsCommandWhitespace(*command)) ++command;

  char* end = command + std::strlen(command);
  while (end > command && IsCommandWhitespace(end[-1])) *--end = '\0';

  request->left = left;
  request->top = top;
  request->width = width;
  request->height = height;
  request->command = command;
  return PlacementParsed;
}

bool QuoteProgramPath(const char* path, char* quoted, size_t size) {
  if (std::strpbrk(path, " \t") == nullptr) return false;
  size_t length = std::strlen(path);
  if (length + 3 > size) return false;
  quoted[0] = '"';
  std::memcpy(quoted + 1, path, length);
  quoted[length + 1] = '"';
  quoted[length + 2] = '\0';
  return true;
}
