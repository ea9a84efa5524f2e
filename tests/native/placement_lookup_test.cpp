#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "placement/lookup.h"
#include "support/diag_capture.h"

namespace {

struct FakeProcess {
  uint32_t id;
  std::string path;
  bool opens = true;
  bool pathReadable = true;
};

struct FakeProcesses {
  std::vector<FakeProcess> list;
  bool snapshotSucceeds = true;
  uint32_t lastError = 0;
  int opened = 0, closed = 0;
  size_t next = 0;
  std::vector<uint32_t> openedIds;
};

FakeProcesses* fake = nullptr;

ProcessRef FakeSnapshot() {
  if (fake->snapshotSucceeds) return 0x99;
  fake->lastError = 0x6be;
  return 0;
}

// The snapshot names each process by the file part of its path.
bool FakeNext(ProcessRef snapshot, bool first, uint32_t* id, char* name, uint32_t size) {
  EXPECT_EQ(snapshot, 0x99u);
  if (first) fake->next = 0;
  if (fake->next >= fake->list.size()) return false;
  const FakeProcess& p = fake->list[fake->next++];
  *id = p.id;
  std::snprintf(name, size, "%s", FileNamePart(p.path.c_str()));
  return true;
}

const FakeProcess* ById(uint32_t id) {
  for (const FakeProcess& p : fake->list)
    if (p.id == id) return &p;
  return nullptr;
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
  std::strncpy(path, p->path.c_str(), size - 1);
  path[size - 1] = '\0';
  return true;
}

uint64_t FakeCreated(ProcessRef process) { return 10 * process; }
void FakeClose(ProcessRef) { ++fake->closed; }
uint32_t FakeLastError() { return fake->lastError; }
uint32_t FakeOwnId() { return 6; }

const ProcessLookupOps FakeOps = {FakeSnapshot, FakeNext,  FakeOpen,      FakePath,
                                  FakeCreated,  FakeClose, FakeLastError, FakeOwnId};

// The first process found running the command; 0 when none.
uint32_t FindRunningProcess(const ProcessLookupOps& ops, const char* command) {
  ProgramProcess found[1] = {{0, 0}};
  FindProgramProcesses(ops, command, found, 1);
  return found[0].id;
}

class ProcessLookup : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearCaptured();
    fake = &processes;
  }
  void TearDown() override { fake = nullptr; }
  FakeProcesses processes;
};

TEST(ProcessLookupCompare, FoldsAsciiLettersOnly) {
  EXPECT_TRUE(SameTextIgnoringAsciiCase("C:\\Windows\\NOTEPAD.exe", "c:\\windows\\notepad.EXE"));
  EXPECT_TRUE(SameTextIgnoringAsciiCase("", ""));
  EXPECT_FALSE(
      SameTextIgnoringAsciiCase("C:\\\xC4pp.exe", "C:\\\xE4pp.exe"));  // Latin-1 A/a umlaut
  EXPECT_FALSE(SameTextIgnoringAsciiCase("C:\\app.exe", "C:\\app.ex"));
  EXPECT_FALSE(SameTextIgnoringAsciiCase("C:\\app", "C:\\app.exe"));
  EXPECT_FALSE(SameTextIgnoringAsciiCase("[", "{"));  // neighbours of the letters stay apart
  EXPECT_FALSE(SameTextIgnoringAsciiCase("@", "`"));
}

TEST_F(ProcessLookup, FindsTheFirstMatchingProcessAndTraces) {
  // Only processes of the command's file name, in any case, are opened; one of that name in
  // another folder is never the program.
  processes.list = {{4, "C:\\windows\\system32\\services.exe"},
                    {5, "C:\\other\\Notepad.exe"},
                    {8, "C:\\WINDOWS\\NOTEPAD.EXE"},
                    {12, "C:\\windows\\notepad.exe"}};
  ProgramProcess found[4] = {};
  EXPECT_EQ(FindProgramProcesses(FakeOps, "C:\\windows\\notepad.exe", found, 4), 2u);
  EXPECT_EQ(found[0].id, 8u);
  EXPECT_EQ(found[0].created, 10u * (0x1000 + 8));
  EXPECT_EQ(found[1].id, 12u);
  EXPECT_EQ(CapturedTraces(),
            (std::vector<std::string>{
                "lookforexecuting <C:\\windows\\notepad.exe> 22\r\n",
                "lookforexecuting considering <C:\\other\\Notepad.exe> 20 5\r\n",
                "lookforexecuting considering <C:\\WINDOWS\\NOTEPAD.EXE> 22 8\r\n",
                "lookforexecuting considering <C:\\windows\\notepad.exe> 22 12\r\n",
            }));
  EXPECT_EQ(processes.openedIds, (std::vector<uint32_t>{5, 8, 12}));
  EXPECT_EQ(processes.opened + 1, processes.closed);  // and the snapshot
  EXPECT_TRUE(CapturedReports().empty());
}

TEST_F(ProcessLookup, OwnProcessIsNeverTaken) {
  // The lookup's own process (id 6) runs the command too; it is not even opened.
  processes.list = {{6, "C:\\apps\\tavrisol.exe"}, {10, "C:\\apps\\tavrisol.exe"}};
  EXPECT_EQ(FindRunningProcess(FakeOps, "C:\\apps\\tavrisol.exe"), 10u);
  EXPECT_EQ(processes.openedIds, (std::vector<uint32_t>{10}));
  processes.list.resize(1);
  EXPECT_EQ(FindRunningProcess(FakeOps, "C:\\apps\\tavrisol.exe"), 0u);
}

TEST_F(ProcessLookup, CommandsThatAreNotWholePathsNeverMatch) {
  processes.list = {{4, "C:\\apps\\tool.exe"}};
  for (const char* command :
       {"tool.exe", "\"C:\\apps\\tool.exe\"", "C:\\apps\\tool.exe -x", "", "C:\\apps\\"})
    EXPECT_EQ(FindRunningProcess(FakeOps, command), 0u) << command;
  EXPECT_TRUE(processes.openedIds.empty());
}

TEST_F(ProcessLookup, UnopenableProcessIsSkippedSilently) {
  processes.list = {{4, "C:\\apps\\tool.exe", false}, {9, "C:\\apps\\tool.exe"}};
  EXPECT_EQ(FindRunningProcess(FakeOps, "C:\\apps\\tool.exe"), 9u);
  EXPECT_TRUE(CapturedReports().empty());
  EXPECT_EQ(CapturedTraces().size(), 2u);
  EXPECT_EQ(processes.closed, 2);  // and the snapshot
}

TEST_F(ProcessLookup, UnreadablePathIsReportedAndNeverMatches) {
  processes.list = {{4, "C:\\apps\\tool.exe", true, false}, {9, "C:\\apps\\tool.exe"}};
  EXPECT_EQ(FindRunningProcess(FakeOps, "C:\\apps\\tool.exe"), 9u);
  ASSERT_EQ(CapturedReports().size(), 1u);
  EXPECT_EQ(CapturedReports()[0].caption, "Failure");
  EXPECT_EQ(CapturedReports()[0].text, "QueryFullProcessImageName failed 1f");
  EXPECT_EQ(processes.opened, 2);
  EXPECT_EQ(processes.closed, 3);
}

TEST_F(ProcessLookup, FailedSnapshotIsReported) {
  processes.snapshotSucceeds = false;
  EXPECT_EQ(FindRunningProcess(FakeOps, "C:\\apps\\tool.exe"), 0u);
  ASSERT_EQ(CapturedReports().size(), 1u);
  EXPECT_EQ(CapturedReports()[0].caption, "Failure");
  EXPECT_EQ(CapturedReports()[0].text, "CreateToolhelp32Snapshot failed 6be");
  EXPECT_TRUE(processes.openedIds.empty());
}

TEST_F(ProcessLookup, LongListIsSearchedWholeWithoutWarning) {
  for (uint32_t i = 0; i < 3000; ++i) processes.list.push_back({4 * (i + 1), "C:\\other.exe"});
  processes.list[2999].path = "C:\\apps\\tool.exe";
  EXPECT_EQ(FindRunningProcess(FakeOps, "C:\\apps\\tool.exe"), 12000u);
  EXPECT_TRUE(CapturedReports().empty());
  EXPECT_EQ(processes.opened, 1);
}

}  // namespace
