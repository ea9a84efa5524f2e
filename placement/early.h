// Placing a started program's first main window before it is shown: the
// protocol between the run and the companion library. The system itself
// brings the library into the program, through an in-context window event
// hook on the started process, and calls it in whichever thread makes a
// window, before that window shows; the library places the window from
// there. Free of the platform.
#pragma once
#include <cstddef>
#include <cstdint>

#include "placement/command.h"
#include "placement/targets.h"

// The block the run leaves for the library, named after the program's
// process id, which the library opens by that name from within: the request,
// the window the library took, and the run's word that it no longer waits.
struct EarlyBlock {
  int32_t left, top, width, height;  // physical pixels; all 0 for a fill
  int32_t fill, fillMonitor;
  uint64_t window;  // written by the library: the window it took; 0 while none
  uint32_t letGo;   // written by the run: a window not yet shown is left as it is
  // For what the started program handed over to: the started one, whose own
  // main window, once shown, is the program's (the window is left alone then).
  uint32_t startedId;
};

// The named objects of one start: the block, the event the library sets once
// the window is shown at its place, and, for a program of the other bitness,
// the hook host's "hook set" and "let go"; all named after the program's
// process id. The host started before the program waits for "go" and then
// reads the program's ids from the start block, both named after the run's
// process id. Until the run marks the program resumed there, the host keeps
// watch: a run that dies before then leaves a suspended program, which the
// host lets run.
enum EarlyObject : char {
  EarlyBlockName,
  EarlyPlacedName,
  EarlyHookedName,
  EarlyReleaseName,
  EarlyStartName,
  EarlyGoName,
};
struct EarlyStart {
  uint32_t processId, threadId;
  uint32_t resumed;  // nonzero once the run no longer needs the watch
};
enum { EarlyNameSize = 32 };

// "TavrisolPlace" with the object's name and the process id; false when it
// does not fit.
bool EarlyObjectName(EarlyObject kind, uint32_t processId, char* name, size_t size);

void FillEarlyBlock(const PlacementRequest& request, EarlyBlock* block);

// Whether a window being created will be a main window once shown: top-level
// (not a child, no owner) and a main window by the one rule.
bool IsEarlyMainWindow(uint32_t style, uint32_t exStyle, bool hasParent);

// The block's rectangle in a window's own view. A window unaware of the
// screen's scale, or aware only of the system's (awareness 0 or 1, as the
// system numbers them), sees the screen at its own dots per inch; a window
// aware of each monitor's scale sees the pixels themselves.
WindowBox OwnViewBox(const WindowBox& box, int awareness, int windowDpi, int screenDpi);

// The library's exports for the run and the 32-bit host (helper/placing_win32.cpp).
// HWINEVENTHOOK HookPlacing(DWORD processId): the in-context event hook on the
// started process that places its first main window; null where refused.
#define HOOK_PLACING_EXPORT "_hookplacing@4"
// void PreparePlacing(EarlyPlacing*), void ArmPlacing(const PlacementRequest*,
// HANDLE process, DWORD processId, DWORD thread, HANDLE job, EarlyPlacing*), BOOL
// AwaitPlacing(EarlyPlacing*, HANDLE process, DWORD settleMs, DWORD limitMs)
// and BOOL EndPlacing(EarlyPlacing*), for the run: see below.
#define PREPARE_PLACING_EXPORT "_prepareplacing@4"
#define ARM_PLACING_EXPORT "_armplacing@24"
#define AWAIT_PLACING_EXPORT "_awaitplacing@16"
#define END_PLACING_EXPORT "_endplacing@4"
// BOOL ResumePlacing(HANDLE thread, EarlyPlacing*): see ResumeStarted.
#define RESUME_PLACING_EXPORT "_resumeplacing@8"

// What a start set up to place the window early, as plain numbers; all 0
// when nothing was (early_win32.cpp). Made by ArmEarlyPlacement, passed to
// the follower of hand-overs, closed by EndEarlyPlacement.
struct EarlyPlacing {
  uintptr_t block, placed;  // the named block and event
  uintptr_t library, hook;  // the library and its event hook, set from this process
  uintptr_t host, release;  // for a 32-bit program: the hook host and its "let go"
  uintptr_t start, go;      // the host's start block and "go", while it waits for the program
  uintptr_t children;       // what watches the run's job for what the program starts
  uint32_t processId;
};

// Before the start, so that the program waits suspended as briefly as can be:
// loads the library and starts the hook host, which waits for the program
// (for a 32-bit one, to hook it) and keeps watch while it is suspended.
void PrepareEarlyPlacement(EarlyPlacing* placing);

// Before the program's main thread first runs: the block, the event and the
// in-context event hook on the program; for a 32-bit program through
// tavrisolhook32.exe. Leaves placing.placed 0 when the window cannot be
// placed before it shows. Each 64-bit process that then comes into the job
// (what the program hands over to) is hooked the same way as it starts.
void ArmEarlyPlacement(const PlacementRequest& request, uintptr_t process, uint32_t processId,
                       uint32_t threadId, uintptr_t job, EarlyPlacing* placing);

// Lets the suspended program run (thread 0: the start failed) and ends the
// host's watch; where nothing was armed, ends what the start prepared. False
// when no thread was resumed.
bool ResumeStarted(uintptr_t thread, EarlyPlacing* placing);

// Waits until the window is shown at its place (true), the program ends, it
// has waited for input settleMs without that, or limitMs pass. The hook stays:
// a window the library took and the program shows later is still placed.
bool AwaitEarlyPlacement(EarlyPlacing* placing, uintptr_t process, uint32_t settleMs,
                         uint32_t limitMs);

// Once the run no longer waits: removes the hook, tells the library that a
// window it took and that is not shown yet is to be left as it is, and closes
// what the run holds; the system takes the library out of the program. False
// when a hook could not be removed. Again, or for nothing armed, nothing.
bool EndEarlyPlacement(EarlyPlacing* placing);
