#include "placement/lookup.h"

#include <cstring>

#include "diag/diag.h"

namespace {

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Opens one candidate and reads its path; true when it runs path. Fills created.
bool RunsPath(const ProcessLookupOps& ops, uint32_t processId, const char* path,
              uint64_t* created) {
  ProcessRef process = ops.openProcess(processId);
  if (process == 0) return false;  // not ours to look at: skipped silently
  char image[ProcessPathSize];
  if (!ops.imagePath(process, image, sizeof image)) {
    MessageReport(CaptionFailure, "QueryFullProcessImageName failed %x", ops.lastError());
    ops.closeHandle(process);
    return false;
  }
  image[sizeof image - 1] = '\0';
  TraceLine("lookforexecuting considering <%s> %d %d\r\n", image,
            static_cast<int>(std::strlen(image)), static_cast<int>(processId));
  bool same = SameTextIgnoringAsciiCase(image, path);
  if (same) *created = ops.creationTime(process);
  ops.closeHandle(process);
  return same;
}

}  // namespace

bool SameTextIgnoringAsciiCase(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b)
    if (FoldAscii(*a) != FoldAscii(*b)) return false;
  return *a == *b;
}

const char* FileNamePart(const char* path) {
  const char* slash = std::strrchr(path, '\\');
  return slash != nullptr ? slash + 1 : path;
}

uint32_t FindProgramProcesses(const ProcessLookupOps& ops, const char* path, ProgramProcess* found,
                              uint32_t capacity) {
  TraceLine("lookforexecuting <%s> %d\r\n", path, static_cast<int>(std::strlen(path)));
  // A command that is no path (no backslash, or ending in one) names no file of a process.
  const char* fileName = FileNamePart(path);
  if (fileName == path || *fileName == '\0') return 0;

  ProcessRef snapshot = ops.takeSnapshot();
  if (snapshot == 0) {
    MessageReport(CaptionFailure, "CreateToolhelp32Snapshot failed %x", ops.lastError());
    return 0;
  }
  uint32_t count = 0, self = ops.ownProcessId(), processId = 0;
  char name[ProcessPathSize];
  for (bool first = true; ops.nextProcess(snapshot, first, &processId, name, sizeof name);
       first = false) {
    name[sizeof name - 1] = '\0';
    if (processId == self || !SameTextIgnoringAsciiCase(name, fileName)) continue;
    ProgramProcess process = {processId, 0};
    if (!RunsPath(ops, processId, path, &process.created)) continue;
    if (count < capacity) found[count] = process;
    ++count;
  }
  ops.closeHandle(snapshot);
  return count;
}
