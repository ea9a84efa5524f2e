// The process list from ntdll's own question (processes.h). The answer's
// layout is the documented one.
#include <windows.h>

#include <winternl.h>

#include "placement/processes.h"

namespace {

typedef LONG(WINAPI* QuerySystem)(ULONG what, void* into, ULONG size, ULONG* needed);

enum : ULONG {
  SystemProcesses = 5,       // SystemProcessInformation
  FirstListBytes = 0x40000,  // some 400 processes and their threads: one question
  ListTries = 4,             // processes started between the questions need more room
};
enum : LONG { LengthMismatch = static_cast<LONG>(0xC0000004) };

}  // namespace

void* NtdllProcedure(const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), name));
}

bool ForEachProcess(void (*visit)(const ProcessEntry& process, void* context), void* context) {
  const QuerySystem query =
      reinterpret_cast<QuerySystem>(NtdllProcedure("NtQuerySystemInformation"));
  if (query == nullptr) return false;
  HANDLE heap = GetProcessHeap();
  ULONG size = FirstListBytes, needed = 0;
  BYTE* list = nullptr;
  LONG status = LengthMismatch;
  for (ULONG tries = 0; status == LengthMismatch && tries < ListTries; ++tries) {
    if (list != nullptr) HeapFree(heap, 0, list);
    list = static_cast<BYTE*>(HeapAlloc(heap, 0, size));
    if (list == nullptr) return false;
    status = query(SystemProcesses, list, size, &needed);
    size = needed > size ? needed + FirstListBytes / 4 : size * 2;
  }
  for (const BYTE* at = list; status == 0;) {
    const auto* entry = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(at);
    const ProcessEntry process = {
        static_cast<uint32_t>(reinterpret_cast<uintptr_t>(entry->UniqueProcessId)),
        static_cast<uint32_t>(reinterpret_cast<uintptr_t>(entry->InheritedFromUniqueProcessId)),
        entry->ImageName.Buffer,
        static_cast<uint32_t>(entry->ImageName.Length / sizeof(wchar_t))};
    visit(process, context);
    if (entry->NextEntryOffset == 0) break;
    at += entry->NextEntryOffset;
  }
  HeapFree(heap, 0, list);
  return status == 0;
}
