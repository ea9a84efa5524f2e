#include "editor/filechooser_seed.h"

#include <cstring>

namespace {

// Copies count bytes of text into a ChooserTextSize field; an over-long text
// leaves the field empty rather than a silently shortened path.
void CopyField(char* field, const char* text, size_t count) {
  if (count >= ChooserTextSize) count = 0;
  std::memcpy(field, text, count);
  field[count] = '\0';
}

}  // namespace

bool IsChooserPlaceholder(const char* seed) { return seed[0] == '<'; }

void SplitChooserSeed(const char* seed, const char* fullPath, int fileOffset, char* fileName,
                      char* initialDir) {
  fileName[0] = '\0';
  initialDir[0] = '\0';
  if (IsChooserPlaceholder(seed)) {
    std::strcpy(initialDir, "C:\\");
    return;
  }
  if (!fullPath) return;
  size_t length = std::strlen(fullPath);
  if (fileOffset < 0 || static_cast<size_t>(fileOffset) > length) {
    CopyField(initialDir, fullPath, length);
    return;
  }
  CopyField(fileName, fullPath + fileOffset, length - fileOffset);
  CopyField(initialDir, fullPath, fileOffset);
}
