// Shortcut texts from arbitrary field contents: never past a buffer, and every
// result that is made fits its 260-byte field and keeps its parts.
#include <cstdint>
#include <cstring>
#include <string>

#include "editor/shortcut_args.h"
#include "support/diag_capture.h"

namespace {

int namesTaken;  // how many names the next derivation finds taken

bool Taken(const char*) { return namesTaken-- > 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Up to three texts of at most 259 characters, as the editor's fields give
  // them, split at zero bytes.
  std::string parts[3];
  int part = 0;
  for (size_t i = 0; i < size && part < 3; ++i) {
    if (data[i] == 0)
      ++part;
    else if (parts[part].size() < ShortcutTextSize - 1)
      parts[part] += static_cast<char>(data[i]);
  }
  ClearCaptured();
  char arguments[ShortcutTextSize];
  ShortcutTextResult r =
      ComposeUpdatedArguments(parts[0].c_str(), parts[1].c_str(), parts[2].c_str(), arguments);
  if (r == ShortcutTextMade) {
    if (std::strlen(arguments) >= ShortcutTextSize) __builtin_trap();
    if (!CapturedReports().empty()) __builtin_trap();
  } else if (CapturedReports().size() != 1) {
    __builtin_trap();
  }
  NewShortcutNames names;
  ClearCaptured();
  namesTaken = static_cast<int>(size % 4);
  r = DeriveNewShortcut(parts[0].c_str(), parts[2].c_str(), Taken, &names);
  if (r == ShortcutTextMade) {
    size_t path = std::strlen(names.shortcutPath);
    if (path >= ShortcutTextSize || path < 13) __builtin_trap();
    if (std::strcmp(names.shortcutPath + path - 4, ".lnk") != 0) __builtin_trap();
    if (!std::strstr(names.shortcutPath, " Tavrisol")) __builtin_trap();
    if (parts[0].find(names.iconLocation) == std::string::npos) __builtin_trap();
    if (std::strncmp(names.iconLocation, names.workingDirectory,
                     std::strlen(names.workingDirectory)) != 0)
      __builtin_trap();
  } else if (CapturedReports().size() != 1) {
    __builtin_trap();
  }
  return 0;
}
