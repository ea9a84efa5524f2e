// What tavrisolhelper.dll (tavrisolhelper32.dll for 32-bit programs) offers
// the program, the editor and the hook host: each export's name, type and
// promise, in one place. The library defines each one extern "C", so that a
// definition other than its declaration here is refused as a conflicting
// one; its callers look them up with LIBRARY_PROCEDURE, which takes both the
// type and the name from the declaration. A signature changed on one side
// no longer builds on the other. Both builds export the plain names. For the
// files that talk to the system only.
#pragma once
#include <windows.h>

#include "base/early.h"
#include "base/pick_text.h"

// The library's own build (TAVRISOL_LIBRARY) exports what is declared here.
#ifdef TAVRISOL_LIBRARY
#define LIBRARY_EXPORT extern "C" __declspec(dllexport)
#else
#define LIBRARY_EXPORT extern "C"
#endif

// Click-to-pick, for the editor. The mouse hook, set on every thread: the
// first button-down on another program's window after arming is the pick,
// swallowed and posted to the editor as WM_USER.
LIBRARY_EXPORT LRESULT CALLBACK MouseHook(int code, WPARAM wParam, LPARAM lParam);
// With a hook handle: arms, reporting to the window given. Without one, the
// second argument is either the editor window (its hook failed: disarms) or
// a PickTextSize-byte buffer that gets the pick's command line, or the empty
// text.
LIBRARY_EXPORT void WINAPI InitMouseHook(HHOOK hook, void* windowOrBuffer);
// Whether a pick was lost since arming (the clicked program could not tell
// the editor); said once.
LIBRARY_EXPORT LONG WINAPI PickUndelivered();

// A size past the system's maximum tracking size. The hook (WH_CALLWNDPROCRET)
// raises the limit after the window's own answer, to the size the move asks.
LIBRARY_EXPORT LRESULT CALLBACK SizeHook(int code, WPARAM wParam, LPARAM lParam);
// The move with that hook set on the window's thread and removed again; for a
// 32-bit program through the 32-bit hook host. False when the hook could not
// be set.
LIBRARY_EXPORT BOOL WINAPI MoveRaised(HWND window, int x, int y, int width, int height);

// Placing a started program's first main window before it shows (early.h).
// The in-context window event hook on one process, whose window events the
// system hands to the library inside it; null where refused (process 0).
LIBRARY_EXPORT HWINEVENTHOOK WINAPI HookProcess(DWORD processId);
// Before the start: the hook host and its start block, for the run.
LIBRARY_EXPORT void WINAPI PrepareStart(EarlyPlacing* placing);
// On the suspended program: the block, the event and the hook (for a 32-bit
// program through the host); placing->placed stays 0 when the window cannot
// be placed before it shows.
LIBRARY_EXPORT void WINAPI ArmStart(const PlacementRequest* request, HANDLE process,
                                    DWORD processId, DWORD threadId, HANDLE job,
                                    EarlyPlacing* placing);
// Lets the program run (thread null: the start failed) and ends the host's
// watch; where nothing was armed, disarms. FALSE when no thread was resumed.
LIBRARY_EXPORT BOOL WINAPI ResumeStart(HANDLE thread, EarlyPlacing* placing);
// Waits until the window is shown at its place, the program ends, it waited
// for input settleMs, or limitMs passed. TRUE when the library showed the
// program's own window there, and so holds it while the program starts.
LIBRARY_EXPORT BOOL WINAPI AwaitPlaced(EarlyPlacing* placing, HANDLE process, DWORD settleMs,
                                       DWORD limitMs);
// Removes the hooks, leaves a taken window not yet shown as it is, and closes
// what the start holds but the library. FALSE when a hook stayed.
LIBRARY_EXPORT BOOL WINAPI DisarmStart(EarlyPlacing* placing);

// The library's procedure named as declared above, typed as declared; null
// when this library lacks it.
#define LIBRARY_PROCEDURE(library, name) LibraryExport<decltype(&name)>(library, #name)
template <typename Procedure>
inline Procedure LibraryExport(HMODULE library, const char* name) {
  // Through void*: the procedures have their own signatures, not FARPROC's.
  return reinterpret_cast<Procedure>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}
