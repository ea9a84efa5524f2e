// The library's load, over stand-in system operations.
#include "placement/library_load.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

unsigned long restrictedError;  // 0: the restricted load succeeds
const char* ownPath;            // null: the program's path cannot be had
std::string fullPathLoaded;
int restricted, fullPath;  // their addresses stand for the two handles

TEST(LibraryLoad, RefusedSearchFlagsFallBackToTheProgramsOwnFolder) {
  const LibraryLoadOps ops = {
      [](const char*) -> void* { return restrictedError ? nullptr : &restricted; },
      [] { return restrictedError; },
      [](char* path, size_t size) {
        return ownPath && std::snprintf(path, size, "%s", ownPath) < static_cast<int>(size);
      },
      [](const char* path) -> void* { return fullPathLoaded = path, &fullPath; }};
  // The library's full path at its limit of 259 characters, and one past it.
  const std::string atLimit = "C:\\" + std::string(237, 'a') + "\\";
  const std::string pastLimit = "C:\\" + std::string(238, 'a') + "\\";
  const std::string atLimitExe = atLimit + "tavrisol.exe",
                    pastLimitExe = pastLimit + "tavrisol.exe";
  struct Case {
    unsigned long error;
    const char* path;
    void* handle;
    std::string loaded;
  } cases[] = {
      {87, atLimitExe.c_str(), &fullPath, atLimit + "tavrisolhelper.dll"},
      {87, pastLimitExe.c_str(), nullptr, ""},
      {0, "C:\\T\\tavrisol.exe", &restricted, ""},
      {87, "C:\\T\\tavrisol.exe", &fullPath, "C:\\T\\tavrisolhelper.dll"},
      {126, "C:\\T\\tavrisol.exe", nullptr, ""},  // not found: no second try elsewhere
      {87, nullptr, nullptr, ""},
  };
  for (const Case& c : cases) {
    restrictedError = c.error;
    ownPath = c.path;
    fullPathLoaded.clear();
    EXPECT_EQ(LoadLibraryBesideProgram(ops, "tavrisolhelper.dll"), c.handle) << c.error;
    EXPECT_EQ(fullPathLoaded, c.loaded);
  }
}

}  // namespace
