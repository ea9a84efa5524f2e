// Placing a started program's first main window before it is shown: the
// protocol between the run and the companion library, which goes into the
// program (loaded early into its suspended main thread, or by the hook) and
// places the window from within. Free of the platform.
#pragma once
#include <cstddef>
#include <cstdint>

#include "placement/command.h"

// The block the run leaves for the library, named after the program's
// process id: the request, and what the library notes in the program.
struct EarlyBlock {
  int32_t left, top, width, height;  // physical pixels; all 0 for a fill
  int32_t fill, fillMonitor;
  uint64_t window;    // written by the library; 0 while it has taken none
  uint64_t library;   // the library's module in the program, written as it comes in
  uint64_t loadPath;  // the library's path the run wrote into the program to load it early
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

// The library's exports for the run and the 32-bit host (helper/placing_win32.cpp).
// HHOOK HookPlacing(DWORD thread): loads the library into the suspended
// program from its main thread before the program's own code runs, and sets
// its CBT hook on that thread; the hook, or null where it is refused.
#define HOOK_PLACING_EXPORT "_hookplacing@4"
// void LeaveProgram(DWORD process): once the hooks are removed, asks the
// placed window to give up its subclass, then lets the library decide in the
// program whether it may leave (it stays for good where it may not).
#define LEAVE_PROGRAM_EXPORT "_leaveprogram@4"
// void PreparePlacing(EarlyPlacing*), void
// ArmPlacing(const PlacementRequest*, HANDLE process, DWORD processId, DWORD
// thread, EarlyPlacing*) and BOOL FinishPlacing(EarlyPlacing*, HANDLE
// process, DWORD settleMs, DWORD limitMs), for the run: see below.
#define PREPARE_PLACING_EXPORT "_prepareplacing@4"
#define ARM_PLACING_EXPORT "_armplacing@20"
#define FINISH_PLACING_EXPORT "_finishplacing@16"
// BOOL ResumePlacing(HANDLE thread, EarlyPlacing*): see ResumeStarted.
#define RESUME_PLACING_EXPORT "_resumeplacing@8"
// The message that makes the placed window give up its subclass.
#define PLACE_RELEASE_MESSAGE "TavrisolPlaceRelease"

// What a start set up to place the window early, as plain numbers; all 0
// when nothing was (early_win32.cpp). Made by ArmEarlyPlacement, passed to
// the follower of hand-overs, closed by FinishEarlyPlacement.
struct EarlyPlacing {
  uintptr_t block, placed;  // the named block and event
  uintptr_t library, hook;  // the library and its hook, set from this process
  uintptr_t host, release;  // for a 32-bit program: the hook host and its "let go"
  uintptr_t start, go;      // the host's start block and "go", while it waits for the program
  uint32_t processId;
};

// Before the start, so that the program waits suspended as briefly as can be:
// loads the library and starts the hook host, which waits for the program
// (for a 32-bit one, to hook it) and keeps watch while it is suspended.
void PrepareEarlyPlacement(EarlyPlacing* placing);

// Before the program's main thread first runs: the block, the event, the
// library's early load and the hook on the thread; for a 32-bit program
// through tavrisolhook32.exe. Leaves placing.placed 0 when the window cannot
// be placed before it shows.
void ArmEarlyPlacement(const PlacementRequest& request, uintptr_t process, uint32_t processId,
                       uint32_t threadId, EarlyPlacing* placing);

// Lets the suspended program run (thread 0: the start failed) and ends the
// host's watch; where nothing was armed, ends what the start prepared. False
// when no thread was resumed.
bool ResumeStarted(uintptr_t thread, EarlyPlacing* placing);

// Waits until the window is shown at its place (true), the program ends, it
// has been ready settleMs without that, or limitMs pass; then removes the
// hook, lets the library leave the program where it safely can, and closes
// and frees what the run holds.
bool FinishEarlyPlacement(EarlyPlacing* placing, uintptr_t process, uint32_t settleMs,
                          uint32_t limitMs);
