// Copies of outside texts into fixed buffers: the library's path beside the program's
// own, the file chooser's seed split into its two fields, and a command's program path made
// canonical in a buffer of any size. The first two bytes give the
// length of the path, made by repeating the rest, so that every length up to past the buffers
// comes up quickly; the sanitizer catches a byte written beyond them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "editor/filechooser_seed.h"
#include "placement/library_load.h"
#include "placement/lookup.h"

namespace {

std::string ownPath;
std::string loaded;
int handle;

bool OwnPath(char* path, size_t size) {
  if (ownPath.size() >= size) return false;  // as the system refuses a path cut short
  std::memcpy(path, ownPath.c_str(), ownPath.size() + 1);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  size_t length = (data[0] | (data[1] << 8)) % (2 * ChooserTextSize + 8);
  std::string path;
  for (size_t i = 0; path.size() < length; ++i) {
    char c = static_cast<char>(data[2 + i % (size - 2)]);
    path += c ? c : '\\';
  }

  ownPath = path;
  loaded.clear();
  const LibraryLoadOps ops = {[](const char*) -> void* { return nullptr; }, [] { return 87UL; },
                              OwnPath, [](const char* p) -> void* { return loaded = p, &handle; }};
  void* library = LoadLibraryBesideProgram(ops, "tavrisolhelper.dll");
  if (library && loaded.size() >= LibraryPathSize) std::abort();

  int fileOffset = static_cast<int>(data[2] | (data[size - 1] << 8)) - 1;
  std::vector<char> file(ChooserTextSize), dir(ChooserTextSize);
  SplitChooserSeed(path.c_str(), path.c_str(), fileOffset, file.data(), dir.data());
  if (std::strlen(file.data()) >= ChooserTextSize || std::strlen(dir.data()) >= ChooserTextSize)
    std::abort();

  std::vector<char> canonical(1 + data[size - 1] % 64);
  if (CanonicalPathText(path.c_str(), canonical.data(), canonical.size()) &&
      std::strlen(canonical.data()) >= canonical.size())
    std::abort();
  return 0;
}
