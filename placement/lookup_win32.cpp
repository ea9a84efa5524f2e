#include <windows.h>

#include <psapi.h>

#include "placement/lookup.h"

namespace {

bool EnumProcessIds(uint32_t* ids, uint32_t bytes, uint32_t* bytesDelivered) {
  DWORD delivered = 0;
  if (!K32EnumProcesses(reinterpret_cast<DWORD*>(ids), bytes, &delivered)) return false;
  *bytesDelivered = delivered < bytes ? delivered : bytes;
  return true;
}

ProcessRef OpenForPath(uint32_t processId) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
  return reinterpret_cast<ProcessRef>(process);
}

bool ReadModulePath(ProcessRef process, char* path, uint32_t size) {
  return K32GetModuleFileNameExA(reinterpret_cast<HANDLE>(process), nullptr, path, size) != 0;
}

void CloseProcessRef(ProcessRef process) { CloseHandle(reinterpret_cast<HANDLE>(process)); }

uint32_t LastError() { return GetLastError(); }

uint32_t OwnProcessId() { return GetCurrentProcessId(); }

const ProcessLookupOps SystemLookupOps = {EnumProcessIds,  OpenForPath, ReadModulePath,
                                          CloseProcessRef, LastError,   OwnProcessId};

}  // namespace

uint32_t FindRunningProcess(const char* command) {
  return FindRunningProcess(SystemLookupOps, command);
}
