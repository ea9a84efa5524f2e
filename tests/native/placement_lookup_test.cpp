#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "placement/command.h"
#include "placement/lookup.h"
#include "support/diag_capture.h"

namespace {

struct FakeProcess {
  uint32_t id;
  std::string path;
  bool hasWindow = false;  // owns a visible top-level window
  bool opens = true;
  bool pathReadable = true;
  std::string listedName = "";  // the process list's name when not the path's file part
  uint32_t parent = 3;
  bool inJob = false;          // in the program's job
  std::string placedFor = "";  // the program a run placed its window for, and the arguments
  std::string line = "";       // its command line; "" when it cannot be read
};

struct FakeProcesses {
  std::vector<FakeProcess> list;
  bool listReadable = true;
  uint32_t lastError = 0;
  int opened = 0, closed = 0, listed = 0;
  std::vector<uint32_t> openedIds;
};

FakeProcesses* fake = nullptr;

const FakeProcess* ById(uint32_t id) {
  for (const FakeProcess& p : fake->list)
    if (p.id == id) return &p;
  return nullptr;
}

bool FakeShows(uint32_t id) { return ById(id)->hasWindow; }

bool FakeList(void (*visit)(uint32_t, const char*, void*), void* context) {
  ++fake->listed;
  if (!fake->listReadable) {
    fake->lastError = 0x6be;
    return false;
  }
  for (const FakeProcess& p : fake->list)
    visit(p.id, p.listedName.empty() ? FileNamePart(p.path.c_str()) : p.listedName.c_str(),
          context);
  return true;
}

ProcessRef FakeOpen(uint32_t id) {
  fake->openedIds.push_back(id);
  if (!ById(id)->opens) return 0;
  ++fake->opened;
  return 0x1000 + id;
}

bool FakePath(ProcessRef process, char* path, uint32_t size) {
  const FakeProcess* p = ById(static_cast<uint32_t>(process - 0x1000));
  if (!p->pathReadable) {
    fake->lastError = 0x1f;
    return false;
  }
  std::snprintf(path, size, "%s", p->path.c_str());
  return true;
}

void FakeFacts(ProcessRef process, ProgramProcess* facts) {
  facts->created = 10 * process;
  facts->sessionId = 1;
}
bool FakeListParents(ProcessRef job, void (*visit)(uint32_t, uint32_t, void*), void* context) {
  ++fake->listed;
  for (const FakeProcess& p : fake->list)
    if (job == 0 || p.inJob) visit(p.id, job == 0 ? p.parent : 0, context);
  return true;
}
void FakeClose(ProcessRef) { ++fake->closed; }
void FakePlacedFor(const char* path, const char* command, void (*visit)(uint32_t, void*),
                   void* context) {
  size_t length = 0;
  const char* arguments = command != nullptr ? ArgumentsOfCommand(command, &length) : "";
  for (const FakeProcess& p : fake->list)
    if (p.placedFor == std::string(path) + std::string(arguments, length)) visit(p.id, context);
}
bool FakeCommandLine(ProcessRef process, uint32_t, char* line, uint32_t size) {
  const FakeProcess* p = ById(static_cast<uint32_t>(process - 0x1000));
  return !p->line.empty() && std::snprintf(line, size, "%s", p->line.c_str()) < int(size);
}
uint32_t FakeLastError() { return fake->lastError; }
uint32_t FakeOwnId() { return 6; }

const ProcessLookupOps FakeOps = {
    FakeShows,  FakeList,      FakeOpen,  FakePath,        FakeFacts,     SameTextIgnoringAsciiCase,
    FakeClose,  FakeLastError, FakeOwnId, FakeListParents, FakePlacedFor, FakeCommandLine};

class ProcessLookup : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearCaptured();
    fake = &processes;
  }
  void TearDown() override { fake = nullptr; }

  // On the heap and exactly as large as a Program, so that a write past its
  // table is caught.
  uint32_t Find(const char* path, bool windowOwnersOnly = false) {
    if (!program) program.reset(new Program());
    std::snprintf(program->path, sizeof program->path, "%s", path);
    return FindProgram(FakeOps, program.get(), windowOwnersOnly);
  }
  std::vector<uint32_t> HeldIds() const {
    std::vector<uint32_t> ids;
    for (uint32_t i = 0; i < program->count; ++i) ids.push_back(program->processes[i].id);
    return ids;
  }

  FakeProcesses processes;
  std::unique_ptr<Program> program;
};

TEST(ProcessLookupCompare, FoldsAsciiLettersOnly) {
  EXPECT_TRUE(SameTextIgnoringAsciiCase("C:\\Windows\\NOTEPAD.exe", "c:\\windows\\notepad.EXE"));
  EXPECT_TRUE(SameTextIgnoringAsciiCase("", ""));
  EXPECT_TRUE(SameTextIgnoringAsciiCase("AZaz", "azAZ"));  // both ends of the alphabet
  EXPECT_FALSE(
      SameTextIgnoringAsciiCase("C:\\\xC4pp.exe", "C:\\\xE4pp.exe"));  // Latin-1 A/a umlaut
  EXPECT_FALSE(SameTextIgnoringAsciiCase("C:\\app.exe", "C:\\app.ex"));
  EXPECT_FALSE(SameTextIgnoringAsciiCase("C:\\app", "C:\\app.exe"));
  EXPECT_FALSE(SameTextIgnoringAsciiCase("[", "{"));  // neighbours of the letters stay apart
  EXPECT_FALSE(SameTextIgnoringAsciiCase("@", "`"));
}

TEST(ProcessLookupCanonical, OtherSpellingsOfOnePath) {
  struct Row {
    const char* command;
    const char* canonical;  // "" when it names no file
  } rows[] = {
      {"Z:/dir/main.exe", "Z:\\dir\\main.exe"},
      {"\\\\?\\C:\\dir\\main.exe", "C:\\dir\\main.exe"},
      {"\\\\?\\UNC\\server\\share\\main.exe", "\\\\server\\share\\main.exe"},
      {"//server/share/main.exe", "\\\\server\\share\\main.exe"},
      {"C:\\dir\\main.exe. .", "C:\\dir\\main.exe"},
      {"C:\\dir\\main.exe", "C:\\dir\\main.exe"},
      // Only the program part: no quotes, no arguments; ".exe" ends a word.
      {"\"C:\\My Apps\\view.exe\" -x", "C:\\My Apps\\view.exe"},
      {"C:\\a.exed\\view.EXE -x \"b c\"", "C:\\a.exed\\view.EXE"},
      // A path without ".exe" is the whole command (a folder may hold blanks), "/" or "\\".
      {"C:/dir/app -x", "C:\\dir\\app -x"},
      {"main.exe", ""},
      {"dir\\main.exe", ""},
      {"C:\\dir\\", ""},
      {"\\\\?\\", ""},
      {"C:/..", ""},
  };
  for (const Row& row : rows) {
    char path[ProcessPathSize] = "unchanged";
    EXPECT_EQ(CanonicalPathText(row.command, path, sizeof path), row.canonical[0] != '\0')
        << row.command;
    EXPECT_STREQ(path, row.canonical) << row.command;
  }
  // Too long for the buffer: no path at all rather than a cut one; exactly filling it is whole.
  for (size_t size : {15, 16}) {
    std::vector<char> buffer(size, 'x');
    EXPECT_EQ(CanonicalPathText("C:\\dir\\main.exe", buffer.data(), size), size == 16);
    EXPECT_STREQ(buffer.data(), size == 16 ? "C:\\dir\\main.exe" : "");
  }
}

TEST_F(ProcessLookup, OnlyTheProgramsNameIsOpenedAndCopiesShowingAWindowFirst) {
  // Only processes of the program's file name, in any case, are opened; one of that name in
  // another folder is never the program, and another program's window is never looked at.
  processes.list = {{4, "C:\\windows\\system32\\services.exe"},
                    {5, "C:\\other\\Notepad.exe"},
                    {8, "C:\\WINDOWS\\NOTEPAD.EXE"},
                    {9, "C:\\other\\editor.exe", true},
                    {12, "C:\\windows\\notepad.exe"}};
  EXPECT_EQ(Find("C:\\windows\\notepad.exe"), 2u);
  EXPECT_EQ(HeldIds(), (std::vector<uint32_t>{8, 12}));
  EXPECT_EQ(program->processes[0].created, 10u * (0x1000 + 8));
  EXPECT_EQ(program->processes[0].handle, 0x1000u + 8);
  EXPECT_EQ(program->processes[0].sessionId, 1u);
  EXPECT_EQ(processes.openedIds, (std::vector<uint32_t>{5, 8, 12}));
  EXPECT_EQ(processes.closed, 1);  // the held ones stay open
  ReleaseProgram(FakeOps, program.get());
  EXPECT_EQ(processes.closed, 3);
  EXPECT_EQ(program->count, 0u);

  // With a window, a copy is found without opening the windowless ones.
  processes.list[4].hasWindow = true;
  processes.openedIds.clear();
  EXPECT_EQ(Find("C:\\windows\\notepad.exe"), 1u);
  EXPECT_EQ(HeldIds(), (std::vector<uint32_t>{12}));
  EXPECT_EQ(processes.openedIds, (std::vector<uint32_t>{12}));
  // A later look adds only processes it does not hold yet.
  EXPECT_EQ(Find("C:\\windows\\notepad.exe"), 1u);
  EXPECT_EQ(HeldIds(), (std::vector<uint32_t>{12, 8}));
  EXPECT_EQ(Find("C:\\windows\\notepad.exe", true), 0u);
  EXPECT_TRUE(CapturedReports().empty());
}

TEST_F(ProcessLookup, ProcessesCountWithTheCommandsArgumentsAsTheProgramReceivesThem) {
  struct Row {
    const char* line;  // "" when it cannot be read
    bool same;
  } rows[] = {
      {"\"C:\\My Apps\\tool.exe\" -x  y", true},
      {"C:\\MyApps\\TOOL.exe \t-x  y \r\n", true},  // unquoted, blanks at the ends
      {"tool -x  y", true},                         // the first word
      {"\"C:\\My Apps\\tool.exe\"-x  y", true},
      {"\"C:\\My Apps\\tool.exe\" -x y", true},  // blanks between arguments do not count
      {"\"C:\\My Apps\\tool.exe\" -X  y", false},
      {"C:\\My Apps\\tool.exe -x  yz", false},
      {"\"C:\\My Apps\\tool.exe\"", false},
      {"C:\\My Apps\\tool.exe -x  y", false},  // the program receives "Apps\tool.exe" too
      {"tool \"-x\" \"y\"", true},             // quoted, the same arguments
      {"tool -x  z", false},                   // only the last character differs
      {"tool \"-x  y\"", false},               // one argument
      {"", false},
  };
  uint32_t id = 8, sameCount = 0;
  for (const Row& row : rows) {
    processes.list.push_back({id += 4, "C:\\My Apps\\tool.exe", true});
    processes.list.back().line = row.line;
    sameCount += row.same;
  }
  program.reset(new Program());
  program->command = "\"C:\\My Apps\\tool.exe\"   -x  y ";
  EXPECT_EQ(Find("C:\\My Apps\\tool.exe"), sameCount);
  for (uint32_t i = 0; i < program->count; ++i)
    EXPECT_EQ(program->processes[i].otherArguments, !rows[i].same) << rows[i].line;

  // A window placed for the command makes its copy the command's, for that window only; one
  // placed for other arguments does not. A command without arguments takes every copy.
  processes.list[7].placedFor = "C:\\My Apps\\tool.exe-x  y";
  processes.list[8].placedFor = "C:\\My Apps\\tool.exe-x";
  EXPECT_EQ(FindHandedOver(FakeOps, program.get(), false), 1u);
  EXPECT_TRUE(program->processes[7].markedOnly && !program->processes[7].otherArguments);
  EXPECT_TRUE(program->processes[8].otherArguments && !program->processes[8].markedOnly);
  ReleaseProgram(FakeOps, program.get());
  program->command = "\"C:\\My Apps\\tool.exe\" ";
  EXPECT_EQ(Find("C:\\My Apps\\tool.exe"), uint32_t{sizeof rows / sizeof rows[0]});
}

TEST_F(ProcessLookup, ShortNameInTheListIsReadWhole) {
  processes.list = {{4, "C:\\apps\\long name.exe", false, true, true, "LONGNA~1.EXE"},
                    {5, "C:\\apps\\other.exe", false, true, true, "OTHER~1.EXE"}};
  EXPECT_EQ(Find("C:\\apps\\Long Name.exe"), 1u);
  EXPECT_EQ(HeldIds(), (std::vector<uint32_t>{4}));
}

TEST_F(ProcessLookup, OwnProcessIsNeverTaken) {
  // The lookup's own process (id 6) runs the command too; it is not even opened.
  processes.list = {{6, "C:\\apps\\tavrisol.exe", true}, {10, "C:\\apps\\tavrisol.exe"}};
  EXPECT_EQ(Find("C:\\apps\\tavrisol.exe"), 1u);
  EXPECT_EQ(HeldIds(), (std::vector<uint32_t>{10}));
  EXPECT_EQ(processes.openedIds, (std::vector<uint32_t>{10}));
}

TEST_F(ProcessLookup, CommandsThatAreNotWholePathsNeverMatch) {
  processes.list = {{4, "C:\\apps\\tool.exe", true}};
  for (const char* command : {"tool.exe", "", "C:\\apps\\"})
    EXPECT_EQ(Find(command), 0u) << command;
  EXPECT_TRUE(processes.openedIds.empty());
}

TEST_F(ProcessLookup, UnreadableProcessesAreTracedAndSkippedWithoutABox) {
  processes.list = {{4, "C:\\apps\\tool.exe", false, false},
                    {5, "C:\\apps\\tool.exe", false, true, false},
                    {9, "C:\\apps\\tool.exe"}};
  EXPECT_EQ(Find("C:\\apps\\tool.exe"), 1u);
  EXPECT_EQ(HeldIds(), (std::vector<uint32_t>{9}));
  EXPECT_TRUE(CapturedReports().empty());
  EXPECT_EQ(CapturedTraces()[1], "lookforexecuting cannot read process 5: 1f\r\n");
  EXPECT_EQ(processes.closed, 1);

  // A list that cannot be read is traced too.
  processes.listReadable = false;
  program.reset();
  EXPECT_EQ(Find("C:\\apps\\tool.exe"), 0u);
  EXPECT_EQ(CapturedTraces().back(), "lookforexecuting cannot list the processes: 6be\r\n");
  EXPECT_TRUE(CapturedReports().empty());
}

TEST_F(ProcessLookup, ProcessesBeyondTheTableAreCountedAndClosed) {
  for (uint32_t i = 0; i < ProgramSlots + 1; ++i)
    processes.list.push_back({4 * (i + 10), "C:\\apps\\tool.exe"});
  EXPECT_EQ(Find("C:\\apps\\tool.exe"), ProgramSlots + 1u);
  EXPECT_EQ(program->count, uint32_t{ProgramSlots});
  EXPECT_EQ(program->processes[ProgramSlots - 1].id, 4u * (ProgramSlots + 9));
  EXPECT_EQ(processes.closed, 1);

  // Windowless copies past those set aside in one look are read at once: enough to know that
  // the program runs.
  program.reset();
  processes.openedIds.clear();
  for (uint32_t i = ProgramSlots + 1; i < WaitingSlots + 2; ++i)
    processes.list.push_back({4 * (i + 10), "C:\\apps\\tool.exe"});
  EXPECT_EQ(Find("C:\\apps\\tool.exe"), 2u);
  EXPECT_EQ(processes.openedIds, (std::vector<uint32_t>{4 * (WaitingSlots + 10),
                                                        4 * (WaitingSlots + 11)}));
}

TEST_F(ProcessLookup, LongListIsSearchedWholeWithoutWarning) {
  for (uint32_t i = 0; i < 3000; ++i) processes.list.push_back({4 * (i + 1), "C:\\other.exe"});
  processes.list[2999].path = "C:\\apps\\tool.exe";
  EXPECT_EQ(Find("C:\\apps\\tool.exe"), 1u);
  EXPECT_EQ(HeldIds(), (std::vector<uint32_t>{12000}));
  EXPECT_TRUE(CapturedReports().empty());
  EXPECT_EQ(processes.opened, 1);
}

TEST_F(ProcessLookup, WhatTheProgramStartedIsFoundThroughItsJobAndItsParents) {
  // Creation times grow with the id: 8 is older than 10, so 10 cannot have started it (its id
  // was used again). A grandchild listed before its parent is found by the next look.
  processes.list = {{10, "C:\\apps\\launch.exe"},
                    {30, "C:\\apps\\other.exe", false, true, true, "", 20},
                    {20, "C:\\apps\\game.exe", false, true, true, "", 10},
                    {8, "C:\\apps\\old.exe", false, true, true, "", 10},
                    {40, "C:\\apps\\game.exe"},
                    {6, "C:\\apps\\tavrisol.exe", false, true, true, "", 10},
                    {50, "C:\\apps\\late.exe", false, true, true, "", 44, true}};
  EXPECT_EQ(Find("C:\\apps\\launch.exe"), 1u);
  program->job = 0x70b;
  EXPECT_EQ(FindHandedOver(FakeOps, program.get(), false), 1u);  // the job alone
  EXPECT_EQ(FindHandedOver(FakeOps, program.get(), true), 1u);
  EXPECT_EQ(FindHandedOver(FakeOps, program.get(), true), 1u);
  EXPECT_EQ(HeldIds(), (std::vector<uint32_t>{10, 50, 20, 30}));
  EXPECT_FALSE(program->processes[0].handedOver);
  EXPECT_TRUE(program->processes[1].handedOver && program->processes[3].handedOver);
  EXPECT_EQ(processes.closed, 2);  // 8, read and let go at each look
  // Nothing new: the job and one list read; nothing without a process to start from.
  processes.listed = 0;
  EXPECT_EQ(FindHandedOver(FakeOps, program.get(), true), 0u);
  EXPECT_EQ(processes.listed, 2);
  ReleaseProgram(FakeOps, program.get());
  program->job = 0;
  EXPECT_EQ(FindHandedOver(FakeOps, program.get(), true), 0u);
  EXPECT_EQ(program->count, 0u);
  // Nothing but a window placed for the program, whatever became of its starter.
  processes.list[2].placedFor = "C:\\apps\\launch.exe";
  EXPECT_EQ(FindHandedOver(FakeOps, program.get(), false), 1u);
  EXPECT_EQ(HeldIds(), (std::vector<uint32_t>{20}));
}

}  // namespace
