// The run's side of placing a started program's window before it shows,
// which the run calls here so that the program itself stays small: the block,
// the event and the hook, and their end.
#include <windows.h>

#include "helper/place_hook.h"
#include "placement/early.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;
extern "C" HHOOK WINAPI HookPlacing(DWORD thread, BOOL desktop);
extern "C" void WINAPI LeaveProgram(DWORD processId, HWND window);

namespace {

HANDLE Named(EarlyObject kind, uint32_t processId) {
  char name[EarlyNameSize];
  EarlyObjectName(kind, processId, name, sizeof name);
  return CreateEventA(nullptr, TRUE, FALSE, name);
}

}  // namespace

// tavrisolhook32.exe beside the library, given arguments; its process, or null.
HANDLE StartHookHost(const char* arguments) {
  char path[MAX_PATH + 32];
  DWORD length = GetModuleFileNameA(reinterpret_cast<HMODULE>(&__ImageBase), path, MAX_PATH);
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

// The host sets the hook for a 32-bit program; true once it has.
bool StartHost(uint32_t processId, uint32_t threadId, bool desktop, EarlyPlacing* placing) {
  char arguments[48];
  wsprintfA(arguments, "%u,%u,%d", processId, threadId, desktop);
  HANDLE hooked = Named(EarlyHookedName, processId);
  placing->release = reinterpret_cast<uintptr_t>(Named(EarlyReleaseName, processId));
  HANDLE host = StartHookHost(arguments);
  placing->host = reinterpret_cast<uintptr_t>(host);
  HANDLE waits[2] = {hooked, host};
  bool set = host && WaitForMultipleObjects(2, waits, FALSE, 5000) == WAIT_OBJECT_0;
  if (hooked) CloseHandle(hooked);
  return set;
}

}  // namespace

extern "C" BOOL WINAPI FinishPlacing(EarlyPlacing* placing, HANDLE process, DWORD settleMs,
                                     DWORD limitMs);

extern "C" void WINAPI ArmPlacing(const EarlyBlock* request, HANDLE process, DWORD processId,
                                  DWORD threadId, BOOL desktop, EarlyPlacing* placing) {
  const uintptr_t library = placing->library;
  *placing = {0, 0, library, 0, 0, 0, processId};
  char name[EarlyNameSize];
  EarlyObjectName(EarlyBlockName, processId, name, sizeof name);
  HANDLE block = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                    sizeof(EarlyBlock), name);
  void* view = block ? MapViewOfFile(block, FILE_MAP_WRITE, 0, 0, 0) : nullptr;
  if (!view) {
    if (block) CloseHandle(block);
    return;
  }
  *static_cast<EarlyBlock*>(view) = *request;
  UnmapViewOfFile(view);
  placing->block = reinterpret_cast<uintptr_t>(block);
  placing->placed = reinterpret_cast<uintptr_t>(Named(EarlyPlacedName, processId));
  BOOL other = FALSE;
  IsWow64Process(process, &other);
  // Without the event, no hook either.
  if (placing->placed && other && StartHost(processId, threadId, desktop, placing)) return;
  if (placing->placed && !other)
    placing->hook = reinterpret_cast<uintptr_t>(HookPlacing(threadId, desktop));
  if (placing->hook) return;
  FinishPlacing(placing, process, 0, 0);
}

extern "C" BOOL WINAPI FinishPlacing(EarlyPlacing* placing, HANDLE process, DWORD settleMs,
                                     DWORD limitMs) {
  HANDLE waits[2] = {reinterpret_cast<HANDLE>(placing->placed), process};
  const DWORD start = GetTickCount();
  DWORD readySince = 0;
  bool placed = false;
  // A hook for the whole desktop is called for programs of the other bitness
  // through this thread's messages.
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
  if (placing->hook) LeaveProgram(placing->processId, nullptr);
  if (placing->host) {
    SetEvent(reinterpret_cast<HANDLE>(placing->release));
    WaitForSingleObject(reinterpret_cast<HANDLE>(placing->host), 5000);
  }
  const uintptr_t handles[] = {placing->block, placing->placed, placing->host, placing->release};
  for (uintptr_t handle : handles)
    if (handle) CloseHandle(reinterpret_cast<HANDLE>(handle));
  *placing = {0, 0, placing->library, 0, 0, 0, 0};
  return placed;
}
