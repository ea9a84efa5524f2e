// What the library's files share. Inside another program: a count of its
// frames on the program's stacks, so that the library drops its own hold on
// the program only when no frame of it is left.
#pragma once
#include <windows.h>

#include "base/library.h"

// Every entry of the library's code into a program (hook, event and window
// procedures) counts itself here while it runs; the last one out sets
// framesDone, where the library waits to leave.
extern LONG libraryFrames;
extern HANDLE framesDone;
struct LibraryFrame {
  LibraryFrame() { InterlockedIncrement(&libraryFrames); }
  __attribute__((always_inline)) ~LibraryFrame() {
    if (InterlockedDecrement(&libraryFrames) == 0 && framesDone) SetEvent(framesDone);
  }
  LibraryFrame(const LibraryFrame&) = delete;
  LibraryFrame& operator=(const LibraryFrame&) = delete;
};

// This library's own module, as the linker names it.
extern "C" IMAGE_DOS_HEADER __ImageBase;
inline HMODULE ThisLibrary() { return reinterpret_cast<HMODULE>(&__ImageBase); }

// The early placement's entry inside the program (placehook_win32.cpp), which
// the run's side sets as an in-context event hook on it.
extern "C" void CALLBACK PlaceEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object,
                                    LONG child, DWORD thread, DWORD time);

// The run's side (arming_win32.cpp, children_win32.cpp).
// tavrisolhook32.exe beside the library, given arguments; its process, or null.
HANDLE StartHookHost(const char* arguments);
// The block of a process, named after it, holding contents; its mapping, or null.
HANDLE MakeBlock(const EarlyBlock& contents, uint32_t processId);
// That block, opened by its name (also from within the program) and mapped
// for reading and writing; null when there is none.
EarlyBlock* OpenBlock(uint32_t processId);
// A window the library took in the process and that is not shown yet is the
// program's again.
void LetGoOfWindow(uint32_t processId);
// Hooks what comes into the job as it starts, until EndWatchingChildren; a
// watch that hooks nothing where the job says nothing.
uintptr_t WatchChildren(HANDLE job, const PlacementRequest& request, uint32_t startedId);
void EndWatchingChildren(uintptr_t watch);
