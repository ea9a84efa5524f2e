// Which file the library is loaded from: beside the program,
// never found through the system's search path.
#include "placement/library_load.h"

#include <cstring>

void* LoadLibraryBesideProgram(const LibraryLoadOps& ops, const char* name) {
  void* library = ops.loadRestricted(name);
  if (library || ops.lastError() != SearchFlagsRefusedError) return library;
  char path[LibraryPathSize];
  if (!ops.ownPath(path, sizeof path)) return nullptr;
  char* backslash = std::strrchr(path, '\\');
  if (!backslash) return nullptr;
  size_t folder = static_cast<size_t>(backslash + 1 - path);
  if (folder + std::strlen(name) >= sizeof path) return nullptr;
  std::strcpy(backslash + 1, name);
  return ops.loadFullPath(path);
}
