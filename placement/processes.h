// The system's processes and their threads, read in one question. The
// snapshot functions map and unmap their copy for every entry read (some
// 50 us each under Wine), which made a walk of the threads of a few programs
// cost milliseconds, and one of 200 processes tens of them.
#pragma once
#include <cstdint>

struct ProcessEntry {
  uint32_t id;
  uint32_t parentId;
  const wchar_t* name;  // the executable's file name, not terminated
  uint32_t nameLength;  // in UTF-16 units
  uint32_t threadCount;
  const void* threads;  // read with ThreadOf
};

// The id of the process's thread at index (below threadCount).
uint32_t ThreadOf(const ProcessEntry& process, uint32_t index);

// Calls visit with every running process until it returns false; false when
// the list cannot be read.
bool ForEachProcess(bool (*visit)(const ProcessEntry& process, void* context), void* context);
