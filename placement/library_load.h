// Loading the library from the program's own folder, over a small table of
// system operations so the choice runs the same natively. Free of the
// platform.
#pragma once
#include <cstddef>

enum {
  LibraryPathSize = 260,         // the program's path and the library's, terminator included
  SearchFlagsRefusedError = 87,  // "The parameter is incorrect": no search flags on this system
};

struct LibraryLoadOps {
  // Loads name from the program's folder and the system folder only; null on
  // failure, with lastError telling why.
  void* (*loadRestricted)(const char* name);
  unsigned long (*lastError)();
  // The program's own full path, terminated, in path (size bytes); false when
  // it cannot be had whole.
  bool (*ownPath)(char* path, size_t size);
  // Loads the library at a full path; null on failure.
  void* (*loadFullPath)(const char* path);
};

// The library's handle, or null. A system without the search flags refuses
// them; the library is then loaded by its full path beside the program.
void* LoadLibraryBesideProgram(const LibraryLoadOps& ops, const char* name);

// On the system (library_load_win32.cpp): tavrisolhelper.dll from the
// program's own folder, never from the current folder or PATH; the module handle, or null with the
// thread's last error telling why. For the editor's picker, the run's exact moves and its early
// placement.
void* LoadOwnLibrary();
