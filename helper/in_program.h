// What the library's files share. Inside another program: a count of its
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

// This library's own module, as the linker names it.
extern "C" IMAGE_DOS_HEADER __ImageBase;
inline HMODULE ThisLibrary() { return reinterpret_cast<HMODULE>(&__ImageBase); }

// The early placing's entries inside the program (placehook_win32.cpp), which
// the run's side sets as a hook or starts as a thread there.
extern "C" LRESULT CALLBACK PlaceHook(int code, WPARAM wParam, LPARAM lParam);
extern "C" DWORD WINAPI LeaveIfDone(void*);

// The run's side (placing_win32.cpp), which the exact-size road uses too.
extern "C" void WINAPI LeaveProgram(DWORD processId);
// tavrisolhook32.exe beside the library, given arguments; its process, or null.
HANDLE StartHookHost(const char* arguments);

// Called by every export that a process calls on its own copy of the library
// (the run, the editor, the hook host) and by the picker's hook: there the
// library is never taken out from within.
void StayInProcess();
