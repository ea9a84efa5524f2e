#include "placement/lookup.h"

#include <cstring>

#include "diag/diag.h"

namespace {

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool SameTextIgnoringAsciiCase(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b)
    if (FoldAscii(*a) != FoldAscii(*b)) return false;
  return *a == *b;
}

uint32_t FindRunningProcess(const ProcessLookupOps& ops, const char* command) {
  TraceLine("lookforexecuting <%s> %d\r\n", command, static_cast<int>(std::strlen(command)));

  uint32_t ids[ProcessListSlots];
  uint32_t bytes = 0;
  if (!ops.enumProcesses(ids, sizeof ids, &bytes)) {
    MessageReport(CaptionFailure, "EnumProcesses failed %x", ops.lastError());
    return 0;
  }
  uint32_t count = bytes / sizeof ids[0];
  if (count >= ProcessListSlots) {
    // The list may have been too small to hold them all.
    MessageReport(CaptionFailure, "More than %d processes active, might not see %s",
                  ProcessListSlots, command);
    count = ProcessListSlots;
  }

  char path[ProcessPathSize];
  uint32_t self = ops.ownProcessId();
  for (uint32_t i = 0; i < count; ++i) {
    if (ids[i] == self) continue;
    ProcessRef process = ops.openProcess(ids[i]);
    if (process == 0) continue;  // not ours to look at: skipped silently
    path[0] = '\0';
    if (!ops.modulePath(process, path, sizeof path)) {
      MessageReport(CaptionFailure, "GetModuleFileNameEx failed %x", ops.lastError());
      ops.closeProcess(process);
      continue;
    }
    ops.closeProcess(process);
    path[sizeof path - 1] = '\0';
    TraceLine("lookforexecuting considering <%s> %d %d\r\n", path,
              static_cast<int>(std::strlen(path)), static_cast<int>(ids[i]));
    if (SameTextIgnoringAsciiCase(path, command)) return ids[i];
  }
  return 0;
}
