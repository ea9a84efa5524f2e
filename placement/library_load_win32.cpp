// Loading the library from the program's own folder only, never
// from wherever the system's search would find a file of that name.
#include <windows.h>

#include "placement/library_load.h"

namespace {

// Only beside the program and in the system folders; later loads (the file
// dialog's) keep the usual search.
void* LoadRestricted(const char* name) {
  return LoadLibraryExA(name, nullptr,
                        LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
}

unsigned long LastError() { return GetLastError(); }

bool OwnPath(char* path, size_t size) {
  DWORD length = GetModuleFileNameA(nullptr, path, static_cast<DWORD>(size));
  return length > 0 && length < size;
}

// A full path needs no search; the library's own imports are searched from
// its folder.
void* LoadFullPath(const char* path) {
  return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

const LibraryLoadOps SystemLoadOps = {LoadRestricted, LastError, OwnPath, LoadFullPath};

}  // namespace

void* LoadOwnLibrary() { return LoadLibraryBesideProgram(SystemLoadOps, "tavrisolhelper.dll"); }
