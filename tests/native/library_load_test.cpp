// The companion library's load, over stand-in system operations.
#include "editor/library_load.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

struct System {
  unsigned long restrictedError;  // 0: the restricted load succeeds
  const char* ownPath;            // null: the program's path cannot be had
  std::string fullPathLoaded;     // what the full-path load was asked for
} sys;

int restrictedHandle, fullPathHandle;

void* LoadRestricted(const char*) { return sys.restrictedError ? nullptr : &restrictedHandle; }
unsigned long LastError() { return sys.restrictedError; }
bool OwnPath(char* path, size_t size) {
  return sys.ownPath && std::snprintf(path, size, "%s", sys.ownPath) < static_cast<int>(size);
}
void* LoadFullPath(const char* path) {
  sys.fullPathLoaded = path;
  return &fullPathHandle;
}

TEST(LibraryLoad, RefusedSearchFlagsFallBackToTheProgramsOwnFolder) {
  const LibraryLoadOps ops = {LoadRestricted, LastError, OwnPath, LoadFullPath};
  const std::string deep = "C:\\" + std::string(240, 'd') + "\\tavrisol.exe";
  struct Case {
    unsigned long restrictedError;
    const char* ownPath;
    void* handle;
    std::string fullPath;
  } cases[] = {
      {0, "C:\\Tools\\tavrisol.exe", &restrictedHandle, ""},
      {87, "C:\\Tools\\tavrisol.exe", &fullPathHandle, "C:\\Tools\\tavrisolhelper.dll"},
      {126, "C:\\Tools\\tavrisol.exe", nullptr, ""},  // not found: no second try elsewhere
      {87, nullptr, nullptr, ""},
      {87, "tavrisol.exe", nullptr, ""},
      {87, deep.c_str(), nullptr, ""},  // the library's path would not fit
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.restrictedError);
    sys = {c.restrictedError, c.ownPath, ""};
    EXPECT_EQ(LoadLibraryBesideProgram(ops, "tavrisolhelper.dll"), c.handle);
    EXPECT_EQ(sys.fullPathLoaded, c.fullPath);
  }
}

}  // namespace
