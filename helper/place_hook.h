// What the run, the 32-bit hook host and the companion library agree on to
// place a started program's window before it is shown (placehook_win32.cpp).
#pragma once

// HHOOK HookPlacing(DWORD thread, BOOL desktop): the library's CBT hook on
// the thread, or, where that is refused or desktop is true, on the whole
// desktop (the library then acts only in the process the block names).
#define HOOK_PLACING_EXPORT "_hookplacing@8"
// void LeaveProgram(DWORD process, HWND window): once the hook is removed,
// takes the library out of the process (window: one of its windows; 0 for
// the one the block names).
#define LEAVE_PROGRAM_EXPORT "_leaveprogram@8"
// void ArmPlacing(const EarlyBlock*, HANDLE process, DWORD processId, DWORD
// thread, BOOL desktop, EarlyPlacing*) and BOOL FinishPlacing(EarlyPlacing*,
// HANDLE process, DWORD settleMs, DWORD limitMs), for the run: see early.h.
#define ARM_PLACING_EXPORT "_armplacing@24"
#define FINISH_PLACING_EXPORT "_finishplacing@16"
// The message that makes the placed window give up its subclass.
#define PLACE_RELEASE_MESSAGE "TavrisolPlaceRelease"
