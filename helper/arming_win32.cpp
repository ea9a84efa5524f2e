// The run's side of placing a started program's window before it is shown,
// which the run calls here so that the program itself stays small: the
// block, the event and the in-context event hook on the program, and their
// end. The 32-bit host sets the same hook for a 32-bit program. Nothing here
// runs inside the placed program; PlaceEvent (placehook_win32.cpp) does,
// called there by the system.
#include <windows.h>

#include "helper/in_program.h"

namespace {

__attribute__((always_inline)) inline HANDLE Named(EarlyObject kind, uint32_t processId) {
  char name[EarlyNameSize];
  EarlyObjectName(kind, processId, name, sizeof name);
  return CreateEventA(nullptr, TRUE, FALSE, name);
}

}  // namespace

// The system loads the library into the program for the hook and calls
// PlaceEvent in the thread that made the window. Never for every process.
extern "C" HWINEVENTHOOK WINAPI HookProcess(DWORD processId) {
  if (processId == 0) return nullptr;
  return SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, ThisLibrary(), PlaceEvent,
                         processId, 0, WINEVENT_INCONTEXT);
}

HANDLE StartHookHost(const char* arguments) {
  char path[MAX_PATH + 32];
  DWORD length = GetModuleFileNameA(ThisLibrary(), path, MAX_PATH);
  char* name = path + length;
  while (name > path && name[-1] != '\\') --name;
  if (length == 0 || length >= MAX_PATH) return nullptr;
  lstrcpyA(name, "tavrisolhook32.exe");
  char line[MAX_PATH + 96];
  wsprintfA(line, "\"%s\" %s", path, arguments);
  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info;
  if (!CreateProcessA(path, line, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                      &startup, &info))
    return nullptr;
  CloseHandle(info.hThread);
  return info.hProcess;
}

namespace {

// Writes what the host started before the program is to know into the
// start block, and wakes it.
void TellHost(const EarlyPlacing& placing, const EarlyStart& told) {
  if (auto* start = static_cast<EarlyStart*>(
          placing.start
              ? MapViewOfFile(reinterpret_cast<HANDLE>(placing.start), FILE_MAP_WRITE, 0, 0, 0)
              : nullptr)) {
    *start = told;
    UnmapViewOfFile(start);
  }
  if (placing.go) SetEvent(reinterpret_cast<HANDLE>(placing.go));
}

// The host sets the hook for a 32-bit program; true once it has. Started
// before the program, it is told the ids now; started only now, it is given them.
bool StartHost(uint32_t processId, uint32_t threadId, EarlyPlacing* placing) {
  char arguments[48];
  wsprintfA(arguments, "%u,%u", processId, threadId);
  HANDLE hooked = Named(EarlyHookedName, processId);
  placing->release = reinterpret_cast<uintptr_t>(Named(EarlyReleaseName, processId));
  TellHost(*placing, {processId, threadId, 0});
  if (!placing->host) placing->host = reinterpret_cast<uintptr_t>(StartHookHost(arguments));
  HANDLE waits[2] = {hooked, reinterpret_cast<HANDLE>(placing->host)};
  bool set = placing->host && WaitForMultipleObjects(2, waits, FALSE, 5000) == WAIT_OBJECT_0;
  if (hooked) CloseHandle(hooked);
  return set;
}

}  // namespace

// The host starts before the program whatever its bitness: besides hooking
// a 32-bit program, it is the one that lets the program run should the run
// die while the program is suspended.
extern "C" void WINAPI PrepareStart(EarlyPlacing* placing) {
  char name[EarlyNameSize], arguments[16];
  EarlyObjectName(EarlyStartName, GetCurrentProcessId(), name, sizeof name);
  placing->start = reinterpret_cast<uintptr_t>(CreateFileMappingA(
      INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(EarlyStart), name));
  placing->go = reinterpret_cast<uintptr_t>(Named(EarlyGoName, GetCurrentProcessId()));
  wsprintfA(arguments, "%u", static_cast<unsigned>(GetCurrentProcessId()));
  if (placing->start && placing->go)
    placing->host = reinterpret_cast<uintptr_t>(StartHookHost(arguments));
}

HANDLE MakeBlock(const EarlyBlock& contents, uint32_t processId) {
  char name[EarlyNameSize];
  EarlyObjectName(EarlyBlockName, processId, name, sizeof name);
  HANDLE block = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                    sizeof(EarlyBlock), name);
  void* view = block ? MapViewOfFile(block, FILE_MAP_WRITE, 0, 0, 0) : nullptr;
  if (view) *static_cast<EarlyBlock*>(view) = contents;
  if (view) UnmapViewOfFile(view);
  if (!view && block) CloseHandle(block);
  return view ? block : nullptr;
}

extern "C" void WINAPI ArmStart(const PlacementRequest* request, HANDLE process, DWORD processId,
                                DWORD threadId, HANDLE job, EarlyPlacing* placing) {
  placing->processId = processId;
  EarlyBlock contents;
  FillEarlyBlock(*request, &contents);
  HANDLE block = MakeBlock(contents, processId);
  if (!block) return;
  placing->block = reinterpret_cast<uintptr_t>(block);
  placing->children = WatchChildren(job, *request, processId);
  placing->placed = reinterpret_cast<uintptr_t>(Named(EarlyPlacedName, processId));
  BOOL other = FALSE;
  IsWow64Process(process, &other);
  // Without the event, no hook either.
  if (placing->placed && other && StartHost(processId, threadId, placing)) return;
  if (placing->placed && !other)
    placing->hook = reinterpret_cast<uintptr_t>(HookProcess(processId));
  // Nothing hooks: the start's objects go once the program runs (ResumeStart).
  if (!placing->hook && placing->placed) {
    CloseHandle(reinterpret_cast<HANDLE>(placing->placed));
    placing->placed = 0;
  }
}

// Without a thread (the start failed), only ends the watch.
extern "C" BOOL WINAPI ResumeStart(HANDLE thread, EarlyPlacing* placing) {
  const BOOL resumed = thread && ResumeThread(thread) != ~DWORD{0};
  // A program that could not be resumed is ended by the run: no watch either.
  // A host that waits for a program it does not hook now ends.
  TellHost(*placing, {placing->processId, 0, 1});
  if (!placing->placed) DisarmStart(placing);
  return resumed;
}

EarlyBlock* OpenBlock(uint32_t processId) {
  char name[EarlyNameSize];
  EarlyObjectName(EarlyBlockName, processId, name, sizeof name);
  HANDLE mapping = OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name);
  void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0) : nullptr;
  if (mapping) CloseHandle(mapping);  // the view keeps the block
  return static_cast<EarlyBlock*>(view);
}

extern "C" BOOL WINAPI AwaitPlaced(EarlyPlacing* placing, HANDLE process, DWORD settleMs,
                                   DWORD limitMs) {
  HANDLE waits[2] = {reinterpret_cast<HANDLE>(placing->placed), process};
  const DWORD start = GetTickCount();
  DWORD readySince = 0;
  bool placed = false;
  // The hand-over follower's window events come through this thread's messages.
  for (DWORD now = start;
       placing->placed && now - start < limitMs && (!readySince || now - readySince < settleMs);
       now = GetTickCount()) {
    DWORD woken = MsgWaitForMultipleObjects(2, waits, FALSE, 20, QS_ALLINPUT);
    placed = woken == WAIT_OBJECT_0;
    if (woken < WAIT_OBJECT_0 + 2) break;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    // A program that cannot wait for input (a console program) is never ready by that.
    if (!readySince && WaitForInputIdle(waits[1], 0) == 0) readySince = now;
  }
  // What the program makes right after, and moves as it finishes starting, is
  // the library's to keep from then on (placehook_win32.cpp); a window of what
  // it handed over to, moved as it was made, is not held.
  EarlyBlock* block = placed ? OpenBlock(placing->processId) : nullptr;
  placed = block && block->shown;
  if (block) UnmapViewOfFile(block);
  return placed;
}

// The block says so, and a window that answers hears it at once. A shown
// one is not asked: its program may still be busy finishing its start.
void LetGoOfWindow(uint32_t processId) {
  EarlyBlock* block = OpenBlock(processId);
  if (!block) return;
  block->letGo = 1;
  HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(block->shown ? 0 : block->window));
  UnmapViewOfFile(block);
  DWORD_PTR answer;
  if (window) SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 500, &answer);
}

extern "C" BOOL WINAPI DisarmStart(EarlyPlacing* placing) {
  bool unhooked = true;
  if (placing->hook)
    unhooked = UnhookWinEvent(reinterpret_cast<HWINEVENTHOOK>(placing->hook)) != FALSE;
  // The host removes its hook and ends; a host that only kept watch ends by
  // itself once it sees the program resumed.
  if (placing->release) {
    DWORD code = 1;
    SetEvent(reinterpret_cast<HANDLE>(placing->release));
    HANDLE host = reinterpret_cast<HANDLE>(placing->host);
    if (WaitForSingleObject(host, 5000) == WAIT_OBJECT_0) GetExitCodeProcess(host, &code);
    unhooked = unhooked && code == 0;
  }
  if (placing->block) LetGoOfWindow(placing->processId);
  EndWatchingChildren(placing->children);
  const uintptr_t handles[] = {placing->block,   placing->placed, placing->host,
                               placing->release, placing->start,  placing->go};
  for (uintptr_t handle : handles)
    if (handle) CloseHandle(reinterpret_cast<HANDLE>(handle));
  *placing = {0, 0, placing->library, 0, 0, 0, 0, 0, 0, 0};
  return unhooked;
}
