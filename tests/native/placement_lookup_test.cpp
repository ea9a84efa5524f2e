#include <gtest/gtest.h>

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
  bool enumSucceeds = true;
  uint32_t lastError = 0;
  int opened = 0, closed = 0;
  std::vector<uint32_t> openedIds;
};

FakeProcesses* fake = nullptr;

bool FakeEnum(uint32_t* ids, uint32_t bytes, uint32_t* delivered) {
  if (!fake->enumSucceeds) {
    fake->lastError = 0x6be;
    return false;
  }
  uint32_t n = 0;
  for (; n < fake->list.size() && (n + 1) * 4 <= bytes; ++n) ids[n] = fake->list[n].id;
  *delivered = n * 4;
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

void FakeClose(ProcessRef) { ++fake->closed; }
uint32_t FakeLastError() { return fake->lastError; }
uint32_t FakeOwnId() { return 6; }

const ProcessLookupOps FakeOps = {FakeEnum,  FakeOpen,      FakePath,
                                  FakeClose, FakeLastError, FakeOwnId};

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
  processes.list = {{4, "C:\\windows\\system32\\services.exe"},
                    {8, "C:\\WINDOWS\\NOTEPAD.EXE"},
                    {12, "C:\\windows\\notepad.exe"}};
  EXPECT_EQ(FindRunningProcess(FakeOps, "C:\\windows\\notepad.exe"), 8u);
  EXPECT_EQ(CapturedTraces(),
            (std::vector<std::string>{
                "lookforexecuting <C:\\windows\\notepad.exe> 22\r\n",
                "lookforexecuting considering "
                "<C:\\windows\\system32\\services.exe> 32 4\r\n",
                "lookforexecuting considering <C:\\WINDOWS\\NOTEPAD.EXE> 22 8\r\n",
            }));
  EXPECT_EQ(processes.openedIds, (std::vector<uint32_t>{4, 8}));
  EXPECT_EQ(processes.opened, processes.closed);
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
  for (const char* command : {"tool.exe", "\"C:\\apps\\tool.exe\"", "C:\\apps\\tool.exe -x", ""})
    EXPECT_EQ(FindRunningProcess(FakeOps, command), 0u) << command;
}

TEST_F(ProcessLookup, UnopenableProcessIsSkippedSilently) {
  processes.list = {{4, "C:\\apps\\tool.exe", false}, {9, "C:\\apps\\tool.exe"}};
  EXPECT_EQ(FindRunningProcess(FakeOps, "C:\\apps\\tool.exe"), 9u);
  EXPECT_TRUE(CapturedReports().empty());
  EXPECT_EQ(CapturedTraces().size(), 2u);
  EXPECT_EQ(processes.closed, 1);
}

TEST_F(ProcessLookup, UnreadablePathIsReportedAndNeverMatches) {
  processes.list = {{4, "C:\\apps\\tool.exe", true, false}, {9, "C:\\apps\\tool.exe"}};
  EXPECT_EQ(FindRunningProcess(FakeOps, "C:\\apps\\tool.exe"), 9u);
  ASSERT_EQ(CapturedReports().size(), 1u);
  EXPECT_EQ(CapturedReports()[0].caption, "Failure");
  EXPECT_EQ(CapturedReports()[0].text, "GetModuleFileNameEx failed 1f");
  EXPECT_EQ(processes.opened, 2);
  EXPECT_EQ(processes.closed, 2);
}

TEST_F(ProcessLookup, FailedEnumerationIsReported) {
  processes.enumSucceeds = false;
  EXPECT_EQ(FindRunningProcess(FakeOps, "C:\\apps\\tool.exe"), 0u);
  ASSERT_EQ(CapturedReports().size(), 1u);
  EXPECT_EQ(CapturedReports()[0].caption, "Failure");
  EXPECT_EQ(CapturedReports()[0].text, "EnumProcesses failed 6be");
  EXPECT_TRUE(processes.openedIds.empty());
}

TEST_F(ProcessLookup, FullListWarnsAndStillSearchesIt) {
  for (uint32_t i = 0; i < 1000; ++i) processes.list.push_back({4 * (i + 1), "C:\\other.exe"});
  processes.list[999].path = "C:\\apps\\tool.exe";
  EXPECT_EQ(FindRunningProcess(FakeOps, "C:\\apps\\tool.exe"), 4000u);
  ASSERT_EQ(CapturedReports().size(), 1u);
  EXPECT_EQ(CapturedReports()[0].text,
            "More than 1000 processes active, might not see C:\\apps\\tool.exe");

  ClearCaptured();
  processes.list.resize(999);
  EXPECT_EQ(FindRunningProcess(FakeOps, "C:\\apps\\tool.exe"), 0u);
  EXPECT_TRUE(CapturedReports().empty());
}

}  // namespace
