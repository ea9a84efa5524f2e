// The system's processes, read in one question. The snapshot functions map
// and unmap their copy for every entry read (some 50 us each under Wine),
// which made a walk of 200 processes cost tens of milliseconds.
#pragma once
#include <cstdint>

struct ProcessEntry {
  uint32_t id;
  uint32_t parentId;
  const wchar_t* name;  // the executable's file name, not terminated
  uint32_t nameLength;  // in UTF-16 units
};

// Calls visit with every running process; false when the list cannot be read.
bool ForEachProcess(void (*visit)(const ProcessEntry& process, void* context), void* context);

// One of ntdll's own calls, looked up: no import of its own; null where the
// system has none of that name.
void* NtdllProcedure(const char* name);
