// A placement run reaches into no other process: it allocates, writes or maps no memory there,
// and queues no call to, sets the context of, or starts no thread of another process. Wine's
// call trace of the run, and of each process it starts, shows what every process asked of the
// system and with which handle.
#include <fstream>

#include "harness.h"

using namespace harness;

namespace {

// The calls that act on another process or thread when handed its handle, and which argument
// (from 0) holds that handle.
const struct {
  const char* name;
  int handle;
  bool thread;
} Reaching[] = {{"VirtualAllocEx", 0, false},
                {"VirtualAlloc2", 0, false},
                {"NtAllocateVirtualMemory", 0, false},
                {"NtAllocateVirtualMemoryEx", 0, false},
                {"WriteProcessMemory", 0, false},
                {"NtWriteVirtualMemory", 0, false},
                {"QueueUserAPC", 1, true},
                {"NtQueueApcThread", 0, true},
                {"NtQueueApcThreadEx", 0, true},
                {"CreateRemoteThread", 0, false},
                {"CreateRemoteThreadEx", 0, false},
                {"NtCreateThreadEx", 3, false},
                {"RtlCreateUserThread", 0, false},
                {"SetThreadContext", 0, true},
                {"Wow64SetThreadContext", 0, true},
                {"NtSetContextThread", 0, true},
                {"NtMapViewOfSection", 1, false},
                {"NtMapViewOfSectionEx", 1, false},
                {"MapViewOfFile2", 1, false},
                {"MapViewOfFileNuma2", 1, false}};

// Wine's RelayInclude: the trace names these calls alone, in whichever DLL they are.
std::string TracedCalls() {
  std::string names;
  for (const auto& call : Reaching) names += std::string(call.name) + ";";
  return names;
}

// The caller's own process (-1) or thread (-2), as a 64- or a 32-bit process prints it.
bool Own(const std::string& handle, bool thread) {
  const std::string own = thread ? "fffffffe" : "ffffffff";
  return handle == own || handle == "ffffffff" + own;
}

// Lines such as "0188:Call KERNEL32.VirtualAllocEx(0000006c,00000000,...) ret=62102e05": the
// calls a trace holds, and those that name another process or thread.
struct Trace {
  size_t calls = 0;
  std::vector<std::string> reaching;
};

Trace Read(const std::string& file) {
  Trace trace;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) {
    const size_t call = line.find(":Call ");
    const size_t open = line.find('(', call);
    const size_t dot = line.find('.', call);
    if (call == std::string::npos || open == std::string::npos || dot > open) continue;
    ++trace.calls;
    const std::string name = line.substr(dot + 1, open - dot - 1);
    for (const auto& reach : Reaching) {
      if (name != reach.name) continue;
      size_t from = open + 1;
      for (int i = 0; i < reach.handle && from != 0; ++i) from = line.find(',', from) + 1;
      const std::string handle = line.substr(from, line.find_first_of(",)", from) - from);
      if (!Own(handle, reach.thread)) trace.reaching.push_back(line);
    }
  }
  return trace;
}

}  // namespace

// Started, 64- and 32-bit, moved while running, filled, and sized past the screen's limit (for a
// 32-bit program through tavrisolhook32.exe).
TEST(Reach, APlacementRunActsOnlyOnItself) {
  ProcessGuard guard;
  guard.TrackPath(BuildFile("tavrisol.exe"));
  const RelayInclude traced(TracedCalls());
  const std::string program = guard.CopyFixture("target.exe", "relay.exe");
  const std::string program32 = guard.CopyFixture("target32.exe", "relay32.exe");
  const std::string filled = guard.CopyFixture("target.exe", "relayfill.exe");
  const std::string runs[] = {"100,80,640,480 " + program,   "100,80,640,480 " + program32,
                              "300,200,500,400 " + program,  "fill " + filled,
                              "-8,-32,1936,1119 " + program, "-8,-32,1936,1119 " + program32};
  int n = 0;
  for (const std::string& run : runs) {
    const std::string file = program + "." + std::to_string(++n) + ".trace";
    guard.TrackFile(file);
    EXPECT_EQ(RunTraced(BuildFile("tavrisol.exe"), run, file, 60000), 1u) << run;
    const Trace trace = Read(file);
    EXPECT_GT(trace.calls, 0u) << run << ": nothing traced";
    for (const std::string& line : trace.reaching) ADD_FAILURE() << run << "\n" << line;
  }
}
