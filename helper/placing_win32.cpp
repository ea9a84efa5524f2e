// The run's side of placing a started program's window before it shows,
// which the run calls here so that the program itself stays small: the block,
// the event, the library's early load and the hook, and their end. The 32-bit
// host calls the same for a 32-bit program. Nothing here runs inside the
// placed program; LeaveIfDone (placehook_win32.cpp) does, started from here.
#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include "helper/in_program.h"
#include "placement/early.h"

namespace {

HANDLE Named(EarlyObject kind, uint32_t processId) {
  char name[EarlyNameSize];
  EarlyObjectName(kind, processId, name, sizeof name);
  return CreateEventA(nullptr, TRUE, FALSE, name);
}

// The program's block, mapped for reading and writing; null when there is none.
EarlyBlock* OpenBlock(DWORD processId) {
  char name[EarlyNameSize];
  EarlyObjectName(EarlyBlockName, processId, name, sizeof name);
  HANDLE mapping = OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name);
  void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0) : nullptr;
  if (mapping) CloseHandle(mapping);  // the view keeps the block
  return static_cast<EarlyBlock*>(view);
}

// Queues LoadLibrary of this file to the suspended main thread, which runs it
// before the program's own code: the library is then in the program before
// any of its threads makes a window. The system's own libraries lie at the
// same address in every process of one bitness.
void LoadEarly(DWORD threadId, EarlyBlock* block) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(ThisLibrary(), path, MAX_PATH);
  HANDLE thread = OpenThread(THREAD_SET_CONTEXT | THREAD_QUERY_INFORMATION, FALSE, threadId);
  HANDLE process = thread ? OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE,
                                        GetProcessIdOfThread(thread))
                          : nullptr;
  void* copy = process && length > 0 && length < MAX_PATH
                   ? VirtualAllocEx(process, nullptr, length + 1, MEM_COMMIT, PAGE_READWRITE)
                   : nullptr;
  auto load = reinterpret_cast<PAPCFUNC>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA")));
  if (copy && WriteProcessMemory(process, copy, path, length + 1, nullptr) &&
      QueueUserAPC(load, thread, reinterpret_cast<ULONG_PTR>(copy)))
    block->loadPath = reinterpret_cast<uintptr_t>(copy);
  else if (copy)
    VirtualFreeEx(process, copy, 0, MEM_RELEASE);
  if (process) CloseHandle(process);
  if (thread) CloseHandle(thread);
}

// The library's module in the process: with a block, the one it names while
// that is still this file (a look at one module); without, found in the list
// of all.
HMODULE LoadedIn(HANDLE process, DWORD processId, bool block, HMODULE named, const char* own) {
  char path[MAX_PATH];
  if (block)
    return K32GetModuleFileNameExA(process, named, path, sizeof path) && lstrcmpiA(path, own) == 0
               ? named
               : nullptr;
  HANDLE modules = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, processId);
  if (modules == INVALID_HANDLE_VALUE) return nullptr;
  MODULEENTRY32 module;
  module.dwSize = sizeof module;
  HMODULE left = nullptr;
  for (BOOL more = Module32First(modules, &module); more; more = Module32Next(modules, &module))
    if (lstrcmpiA(module.szExePath, own) == 0) left = module.hModule;
  CloseHandle(modules);
  return left;
}

}  // namespace

extern "C" HHOOK WINAPI HookPlacing(DWORD thread) {
  StayInProcess();
  DWORD processId = 0;
  if (HANDLE opened = OpenThread(THREAD_QUERY_INFORMATION, FALSE, thread)) {
    processId = GetProcessIdOfThread(opened);
    CloseHandle(opened);
  }
  if (EarlyBlock* block = OpenBlock(processId)) {
    LoadEarly(thread, block);
    UnmapViewOfFile(block);
  }
  return SetWindowsHookExA(WH_CBT, PlaceHook, ThisLibrary(), thread);
}

// Once the hooks are removed: the placed window is asked to give up its
// subclass on its own thread (it may be busy, or in a loop of its own), then
// the library in the program decides there whether it can leave. The same
// without a block for the exact-size road.
extern "C" void WINAPI LeaveProgram(DWORD processId) {
  StayInProcess();
  HWND window = nullptr;
  HMODULE named = nullptr;
  uintptr_t loadPath = 0;
  EarlyBlock* block = OpenBlock(processId);
  if (block) {
    window = reinterpret_cast<HWND>(static_cast<uintptr_t>(block->window));
    named = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(block->library));
    loadPath = static_cast<uintptr_t>(block->loadPath);
    UnmapViewOfFile(block);
  }
  DWORD_PTR answer;
  if (window)
    SendMessageTimeoutA(window, RegisterWindowMessageA(PLACE_RELEASE_MESSAGE), 0, 0,
                        SMTO_ABORTIFHUNG, 1000, &answer);
  char own[MAX_PATH];
  if (!GetModuleFileNameA(ThisLibrary(), own, sizeof own)) return;
  HANDLE process = OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION |
                                   PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE,
                               FALSE, processId);
  if (!process) return;
  if (loadPath) VirtualFreeEx(process, reinterpret_cast<void*>(loadPath), 0, MEM_RELEASE);
  // The same file: LeaveIfDone lies as far into the program's copy as into ours.
  HMODULE left = LoadedIn(process, processId, block != nullptr, named, own);
  auto leave = reinterpret_cast<LPTHREAD_START_ROUTINE>(
      reinterpret_cast<uintptr_t>(left) +
      (reinterpret_cast<uintptr_t>(&LeaveIfDone) - reinterpret_cast<uintptr_t>(ThisLibrary())));
  HANDLE thread =
      left ? CreateRemoteThread(process, nullptr, 0, leave, nullptr, 0, nullptr) : nullptr;
  if (thread) {
    WaitForSingleObject(thread, 1000);
    CloseHandle(thread);
  }
  CloseHandle(process);
}

HANDLE StartHookHost(const char* arguments) {
  StayInProcess();
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
extern "C" void WINAPI PreparePlacing(EarlyPlacing* placing) {
  StayInProcess();
  char name[EarlyNameSize], arguments[16];
  EarlyObjectName(EarlyStartName, GetCurrentProcessId(), name, sizeof name);
  placing->start = reinterpret_cast<uintptr_t>(CreateFileMappingA(
      INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(EarlyStart), name));
  placing->go = reinterpret_cast<uintptr_t>(Named(EarlyGoName, GetCurrentProcessId()));
  wsprintfA(arguments, "%u", static_cast<unsigned>(GetCurrentProcessId()));
  if (placing->start && placing->go)
    placing->host = reinterpret_cast<uintptr_t>(StartHookHost(arguments));
}

extern "C" BOOL WINAPI FinishPlacing(EarlyPlacing* placing, HANDLE process, DWORD settleMs,
                                     DWORD limitMs);

extern "C" void WINAPI ArmPlacing(const PlacementRequest* request, HANDLE process, DWORD processId,
                                  DWORD threadId, EarlyPlacing* placing) {
  StayInProcess();
  placing->processId = processId;
  char name[EarlyNameSize];
  EarlyObjectName(EarlyBlockName, processId, name, sizeof name);
  HANDLE block = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                    sizeof(EarlyBlock), name);
  void* view = block ? MapViewOfFile(block, FILE_MAP_WRITE, 0, 0, 0) : nullptr;
  if (!view) {
    if (block) CloseHandle(block);
    return;
  }
  FillEarlyBlock(*request, static_cast<EarlyBlock*>(view));
  UnmapViewOfFile(view);
  placing->block = reinterpret_cast<uintptr_t>(block);
  placing->placed = reinterpret_cast<uintptr_t>(Named(EarlyPlacedName, processId));
  BOOL other = FALSE;
  IsWow64Process(process, &other);
  // Without the event, no hook either.
  if (placing->placed && other && StartHost(processId, threadId, placing)) return;
  if (placing->placed && !other) placing->hook = reinterpret_cast<uintptr_t>(HookPlacing(threadId));
  // Nothing hooks: the start's objects go once the program runs (ResumePlacing).
  if (!placing->hook && placing->placed) {
    CloseHandle(reinterpret_cast<HANDLE>(placing->placed));
    placing->placed = 0;
  }
}

// Without a thread (the start failed), only ends the watch.
extern "C" BOOL WINAPI ResumePlacing(HANDLE thread, EarlyPlacing* placing) {
  StayInProcess();
  const BOOL resumed = thread && ResumeThread(thread) != ~DWORD{0};
  // A program that could not be resumed is ended by the run: no watch either.
  // A host that waits for a program it does not hook now ends.
  TellHost(*placing, {placing->processId, 0, 1});
  if (!placing->placed) FinishPlacing(placing, nullptr, 0, 0);
  return resumed;
}

extern "C" BOOL WINAPI FinishPlacing(EarlyPlacing* placing, HANDLE process, DWORD settleMs,
                                     DWORD limitMs) {
  StayInProcess();
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
    if (!readySince && WaitForInputIdle(waits[1], 0) != WAIT_TIMEOUT) readySince = now;
  }
  if (placing->hook) UnhookWindowsHookEx(reinterpret_cast<HHOOK>(placing->hook));
  if (placing->hook) LeaveProgram(placing->processId);
  // A host that only kept watch ends by itself once it sees the program resumed.
  if (placing->release) {
    SetEvent(reinterpret_cast<HANDLE>(placing->release));
    WaitForSingleObject(reinterpret_cast<HANDLE>(placing->host), 5000);
  }
  const uintptr_t handles[] = {placing->block,   placing->placed, placing->host,
                               placing->release, placing->start,  placing->go};
  for (uintptr_t handle : handles)
    if (handle) CloseHandle(reinterpret_cast<HANDLE>(handle));
  *placing = {0, 0, placing->library, 0, 0, 0, 0, 0, 0};
  return placed;
}
