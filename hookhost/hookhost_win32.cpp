// tavrisolhook32.exe: the 64-bit run cannot set a hook of the 32-bit
// companion library on a 32-bit program, so this sets it for the run, holds
// it while the program starts, then removes it and takes the library out of
// the program. Given "processId,threadId" (see HookPlacing), or the run's
// process id to wait for them (WaitForProgram); or, given
// "window,x,y,width,height", makes the move past the system's size limit
// (MoveRaised) and ends with 0 when it could.
#include <windows.h>

#include "helper/size_hook.h"
#include "placement/command.h"
#include "placement/companion.h"
#include "placement/early.h"

namespace {

HANDLE OpenNamed(EarlyObject kind, uint32_t processId) {
  char name[EarlyNameSize];
  EarlyObjectName(kind, processId, name, sizeof name);
  return OpenEventA(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, name);
}

template <typename Procedure>
Procedure Export(HMODULE library, const char* name) {
  return reinterpret_cast<Procedure>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// Started by the run before the program: waits for the run's "go" (or its
// end), then reads the program's ids from the run's start block.
bool WaitForProgram(DWORD runId, int32_t* numbers) {
  char name[EarlyNameSize];
  EarlyObjectName(EarlyStartName, runId, name, sizeof name);
  HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name);
  HANDLE waits[2] = {OpenNamed(EarlyGoName, runId), OpenProcess(SYNCHRONIZE, FALSE, runId)};
  auto* start = static_cast<EarlyStart*>(mapping && waits[0] && waits[1] &&
                                                 WaitForMultipleObjects(2, waits, FALSE, 60000) == 0
                                             ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0)
                                             : nullptr);
  if (start) {
    numbers[0] = static_cast<int32_t>(start->processId);
    numbers[1] = static_cast<int32_t>(start->threadId);
    UnmapViewOfFile(start);
  }
  return start != nullptr;
}

UINT Host() {
  const char* arguments = GetCommandLineA();
  const char stop = *arguments == '"' ? '"' : ' ';
  arguments += stop == '"';
  while (*arguments != '\0' && *arguments++ != stop) {
  }
  int32_t numbers[5];
  int count = ReadCommaNumbers(arguments, numbers, 5, nullptr);
  if (count == 1 && !WaitForProgram(static_cast<DWORD>(numbers[0]), numbers)) return 1;
  if (count == 1) count = 2;
  if (count != 2 && count != 5) return 2;
  HMODULE library = static_cast<HMODULE>(LoadCompanionLibrary());
  if (count == 5) {
    auto move = Export<BOOL(WINAPI*)(HWND, int, int, int, int)>(library, MOVE_RAISED_EXPORT);
    HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(static_cast<uint32_t>(numbers[0])));
    return move && move(window, numbers[1], numbers[2], numbers[3], numbers[4]) ? 0 : 1;
  }
  const DWORD processId = static_cast<DWORD>(numbers[0]);
  auto hookPlacing = Export<HHOOK(WINAPI*)(DWORD)>(library, HOOK_PLACING_EXPORT);
  auto leave = Export<void(WINAPI*)(DWORD)>(library, LEAVE_PROGRAM_EXPORT);
  HHOOK hook = hookPlacing && leave ? hookPlacing(static_cast<DWORD>(numbers[1])) : nullptr;
  HANDLE hooked = OpenNamed(EarlyHookedName, processId);
  HANDLE waits[2] = {OpenNamed(EarlyReleaseName, processId),
                     OpenProcess(SYNCHRONIZE, FALSE, processId)};
  if (!hook || !hooked || !waits[0] || !waits[1]) return 1;
  SetEvent(hooked);
  // The run lets go within its allowance.
  WaitForMultipleObjects(2, waits, FALSE, 60000);
  UnhookWindowsHookEx(hook);
  leave(processId);
  return 0;
}

}  // namespace

extern "C" void HookHostStart() { ExitProcess(Host()); }
