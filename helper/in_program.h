// What the library's files share. Inside another program: a count of its
// frames on the program's stacks, so that the library drops its own hold on
// the program only when no frame of it is left.
#pragma once
#include <windows.h>

// Every entry of the library's code into a program (hook, event and window
// procedures) counts itself here while it runs; the last one out sets
// framesDone, where the library waits to leave.
extern LONG libraryFrames;
extern HANDLE framesDone;
struct LibraryFrame {
  LibraryFrame() { InterlockedIncrement(&libraryFrames); }
  ~LibraryFrame() {
    if (InterlockedDecrement(&libraryFrames) == 0 && framesDone) SetEvent(framesDone);
  }
  LibraryFrame(const LibraryFrame&) = delete;
  LibraryFrame& operator=(const LibraryFrame&) = delete;
};

// This library's own module, as the linker names it.
extern "C" IMAGE_DOS_HEADER __ImageBase;
inline HMODULE ThisLibrary() { return reinterpret_cast<HMODULE>(&__ImageBase); }

// The early placing's entry inside the program (placehook_win32.cpp), which
// the run's side sets as an in-context event hook on it.
extern "C" void CALLBACK PlaceEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object,
                                    LONG child, DWORD thread, DWORD time);

// tavrisolhook32.exe beside the library, given arguments; its process, or null.
HANDLE StartHookHost(const char* arguments);
