// tavrisolhook32.exe: the 64-bit run cannot set a hook of the 32-bit
// library on a 32-bit program, so this sets it for the run and
// holds it while the program starts, then removes it (the system then takes
// the library out of the program) and ends with 0 once it has. Given
// "processId,threadId", or the run's process id to wait for them
// (WaitForProgram), keeping watch meanwhile: a run that dies before it let
// its program run must not leave it suspended for ever (ResumeLeftBehind).
// Or, given "window,x,y,width,height" (the window's 32 bits as a signed
// number), makes the move past the system's size limit (MoveRaised) and ends
// with 0 when it could.
#include <windows.h>

#include <tlhelp32.h>

#include "base/commandline.h"
#include "base/library.h"

namespace {

HANDLE OpenNamed(EarlyObject kind, uint32_t processId) {
  char name[EarlyNameSize];
  EarlyObjectName(kind, processId, name, sizeof name);
  return OpenEventA(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, name);
}

// The library by its full path: the host is started from the library's own
// folder and always runs beside it.
HMODULE LoadBesideHost() {
  char path[MAX_PATH + 32];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  char* name = path + length;
  while (name > path && name[-1] != '\\') --name;
  lstrcpyA(name, "tavrisolhelper32.dll");
  return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

// When the process began, in the system's units; 0 when it cannot be read.
ULONGLONG Created(DWORD processId) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  FILETIME times[4];
  const bool read =
      process != nullptr && GetProcessTimes(process, &times[0], &times[1], &times[2], &times[3]);
  if (process != nullptr) CloseHandle(process);
  return read ? (ULONGLONG{times[0].dwHighDateTime} << 32) | times[0].dwLowDateTime : 0;
}

// The run died before it marked its program resumed: every thread of what it
// started is let run. A thread the run did not suspend is not suspended at
// that age, and resuming it changes nothing. A process that names the run's id
// as its parent but began before the run was left by an earlier owner of the
// id, and is left alone; so is everything when the run's start cannot be read.
void ResumeLeftBehind(DWORD runId) {
  const ULONGLONG runCreated = Created(runId);
  if (runCreated == 0) return;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS | TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32 process;
  process.dwSize = sizeof process;
  for (BOOL more = Process32First(snapshot, &process); more;
       more = Process32Next(snapshot, &process)) {
    if (process.th32ParentProcessID != runId || process.th32ProcessID == GetCurrentProcessId() ||
        Created(process.th32ProcessID) < runCreated)
      continue;
    THREADENTRY32 thread;
    thread.dwSize = sizeof thread;
    for (BOOL next = Thread32First(snapshot, &thread); next; next = Thread32Next(snapshot, &thread))
      if (thread.th32OwnerProcessID == process.th32ProcessID)
        if (HANDLE opened = OpenThread(THREAD_SUSPEND_RESUME, FALSE, thread.th32ThreadID)) {
          ResumeThread(opened);
          CloseHandle(opened);
        }
  }
  CloseHandle(snapshot);
}

// Started by the run before the program: waits for the run's "go", then
// reads the program's ids from the run's start block; false when there is
// no program to hook. The block stays mapped for the watch (start).
bool WaitForProgram(DWORD runId, HANDLE run, int32_t* numbers, const EarlyStart** start) {
  char name[EarlyNameSize];
  EarlyObjectName(EarlyStartName, runId, name, sizeof name);
  HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name);
  *start = static_cast<const EarlyStart*>(mapping ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0)
                                                  : nullptr);
  HANDLE waits[2] = {OpenNamed(EarlyGoName, runId), run};
  const DWORD woken =
      *start && waits[0] && run ? WaitForMultipleObjects(2, waits, FALSE, 60000) : WAIT_FAILED;
  if (woken != WAIT_OBJECT_0 && woken != WAIT_TIMEOUT && (!*start || !(*start)->resumed))
    ResumeLeftBehind(runId);
  if (woken != WAIT_OBJECT_0 || (*start)->resumed || (*start)->threadId == 0) return false;
  numbers[0] = static_cast<int32_t>((*start)->processId);
  numbers[1] = static_cast<int32_t>((*start)->threadId);
  return true;
}

UINT Host() {
  const char* arguments = AfterProgramName(GetCommandLineA());
  int32_t numbers[5];
  int count = ReadCommaNumbers(arguments, numbers, 5, nullptr);
  const DWORD runId = count == 1 ? static_cast<DWORD>(numbers[0]) : 0;
  HANDLE run = runId ? OpenProcess(SYNCHRONIZE, FALSE, runId) : nullptr;
  const EarlyStart* start = nullptr;
  if (runId && !WaitForProgram(runId, run, numbers, &start)) return 1;
  if (runId) count = 2;
  if (count != 2 && count != 5) return 2;
  HMODULE library = LoadBesideHost();
  if (!library) return 1;
  if (count == 5) {
    auto move = LIBRARY_PROCEDURE(library, MoveRaised);
    HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(static_cast<uint32_t>(numbers[0])));
    return move && move(window, numbers[1], numbers[2], numbers[3], numbers[4]) ? 0 : 1;
  }
  const DWORD processId = static_cast<DWORD>(numbers[0]);
  auto hookProcess = LIBRARY_PROCEDURE(library, HookProcess);
  HWINEVENTHOOK hook = hookProcess ? hookProcess(processId) : nullptr;
  HANDLE hooked = OpenNamed(EarlyHookedName, processId);
  HANDLE waits[3] = {OpenNamed(EarlyReleaseName, processId),
                     OpenProcess(SYNCHRONIZE, FALSE, processId), run};
  if (!hook || !hooked || !waits[0] || !waits[1]) return 1;
  SetEvent(hooked);
  // The run lets go within its allowance; one that dies first may have left
  // the program suspended.
  const DWORD woken = WaitForMultipleObjects(run ? 3 : 2, waits, FALSE, 60000);
  if (woken == WAIT_OBJECT_0 + 2 && !start->resumed) ResumeLeftBehind(runId);
  return UnhookWinEvent(hook) ? 0 : 1;
}

}  // namespace

extern "C" void HookHostStart() { ExitProcess(Host()); }
