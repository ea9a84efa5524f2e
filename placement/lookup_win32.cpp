#include <windows.h>

#include <tlhelp32.h>

#include "placement/lookup.h"

namespace {

HANDLE AsHandle(ProcessRef handle) { return reinterpret_cast<HANDLE>(handle); }

ProcessRef TakeSnapshot() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  return snapshot == INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<ProcessRef>(snapshot);
}

// Read wide and converted whole: the "A" entry holds only MAX_PATH bytes, too
// few for a long name in UTF-8. A name that does not convert whole is left
// empty, so it is never taken for another.
bool NextProcess(ProcessRef snapshot, bool first, uint32_t* processId, char* name, uint32_t size) {
  PROCESSENTRY32W entry;
  entry.dwSize = sizeof entry;
  if (!(first ? Process32FirstW : Process32NextW)(AsHandle(snapshot), &entry)) return false;
  *processId = entry.th32ProcessID;
  if (WideCharToMultiByte(CP_ACP, 0, entry.szExeFile, -1, name, static_cast<int>(size), nullptr,
                          nullptr) == 0)
    name[0] = '\0';
  return true;
}

// Granted also for elevated processes and those of other users.
ProcessRef OpenForQuery(uint32_t processId) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  return reinterpret_cast<ProcessRef>(process);
}

void CloseRef(ProcessRef handle) { CloseHandle(AsHandle(handle)); }

uint32_t LastError() { return GetLastError(); }

uint32_t OwnProcessId() { return GetCurrentProcessId(); }

const ProcessLookupOps SystemLookupOps = {TakeSnapshot,     NextProcess,         OpenForQuery,
                                          ProcessImagePath, ProcessCreationTime, CloseRef,
                                          LastError,        OwnProcessId};

}  // namespace

bool ProcessImagePath(ProcessRef process, char* path, uint32_t size) {
  DWORD length = size;
  return QueryFullProcessImageNameA(AsHandle(process), 0, path, &length) != 0;
}

uint64_t ProcessCreationTime(ProcessRef process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(AsHandle(process), &created, &exited, &kernel, &user)) return 0;
  return (static_cast<uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

uint32_t FindProgramProcesses(const char* path, ProgramProcess* found, uint32_t capacity) {
  return FindProgramProcesses(SystemLookupOps, path, found, capacity);
}
