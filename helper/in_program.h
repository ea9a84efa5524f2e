// What the library's code inside another program shares: a count of its
// frames on the program's stacks, and whether the library must stay there
// for good. The library may leave a program only when no frame of it is on
// any stack and nothing of the program's own brought it in.
#pragma once
#include <windows.h>

// Every entry of the library's code into a program (hook and window
// procedures) counts itself here while it runs.
extern LONG libraryFrames;
struct LibraryFrame {
  LibraryFrame() { InterlockedIncrement(&libraryFrames); }
  ~LibraryFrame() { InterlockedDecrement(&libraryFrames); }
  LibraryFrame(const LibraryFrame&) = delete;
  LibraryFrame& operator=(const LibraryFrame&) = delete;
};

// Called by every export that a process calls on its own copy of the library
// (the run, the editor, the hook host) and by the picker's hook: there the
// library is never taken out from within.
void StayInProcess();
