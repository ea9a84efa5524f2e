#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "placement/run.h"
#include "support/diag_capture.h"

namespace {

// The fake system: every call is written to a log, scans answer from a queue.
struct FakeSystem {
  std::vector<std::string> calls;
  uint32_t runningId = 0;                         // one process found running, of unknown age
  std::vector<ProgramProcess> running;            // or these
  std::deque<std::vector<ProgramProcess>> walks;  // what each later lookup finds
  std::string startedPath;                        // empty: the started program's path is unknown
  uint64_t now = 1000000000;
  bool startSucceeds = true;
  uint32_t startedId = 77;
  std::deque<bool> scanAnswers;  // empty queue answers false
  PlaceResult placeResult = {1, UnmovedNone, 0};
  bool holdPlaces = false;  // the hold placed a window itself
  PlacementRequest started = {0, 0, 0, 0, nullptr, 0};
  PlacementRequest placed = {0, 0, 0, 0, nullptr, 0};
  std::string startedCommand, lookedUp;
};

FakeSystem* fake = nullptr;

// The first call is the run's lookup, later ones walk the started program's processes.
uint32_t FakeFind(const char* path, ProgramProcess* found, uint32_t capacity) {
  std::vector<ProgramProcess> list = fake->running;
  if (fake->lookedUp.empty()) {
    fake->lookedUp = path;
    fake->calls.push_back("find");
    if (fake->runningId != 0) list = {{fake->runningId, 0}};
  } else {
    fake->calls.push_back(std::string("walk ") + path);
    list.clear();
    if (!fake->walks.empty()) list = fake->walks.front();
    if (!fake->walks.empty()) fake->walks.pop_front();
  }
  for (uint32_t i = 0; i < list.size() && i < capacity; ++i) found[i] = list[i];
  return static_cast<uint32_t>(list.size());
}

bool FakeStart(const PlacementRequest& request, StartedProcess* started) {
  fake->calls.push_back("start");
  fake->started = request;
  fake->startedCommand = request.command;
  if (!fake->startSucceeds) return false;
  started->id = fake->startedId;
  started->handle = 0x5150;
  started->created = fake->now;
  std::snprintf(started->path, sizeof started->path, "%s", fake->startedPath.c_str());
  return true;
}

void FakeIdle(uintptr_t process, uint32_t ms) {
  fake->calls.push_back("idle " + std::to_string(process) + " " + std::to_string(ms));
}
void FakeClose(uintptr_t process) { fake->calls.push_back("close " + std::to_string(process)); }
void FakeSleep(uint32_t ms) { fake->calls.push_back("sleep " + std::to_string(ms)); }

uint64_t FakeNow() { return fake->now; }
void FakeRecordShown() { fake->calls.push_back("record shown"); }

bool FakeScan(uint32_t processId) {
  fake->calls.push_back("scan " + std::to_string(processId));
  if (fake->scanAnswers.empty()) return false;
  bool answer = fake->scanAnswers.front();
  fake->scanAnswers.pop_front();
  return answer;
}

bool FakeScanNew(uint32_t processId) {
  fake->calls.push_back("scan new " + std::to_string(processId));
  return true;
}

PlaceResult FakePlace(const PlacementRequest& request) {
  fake->calls.push_back("place");
  fake->placed = request;
  return fake->placeResult;
}

void FakeTerminate(uint32_t processId) {
  fake->calls.push_back("terminate " + std::to_string(processId));
}

bool FakeHold(const PlacementRequest& request, uint32_t processId) {
  fake->calls.push_back("hold " + std::to_string(request.holdSeconds) + " " +
                        std::to_string(processId));
  return fake->holdPlaces;
}

const PlacementOps FakeOps = {FakeFind,    FakeStart, FakeIdle,        FakeClose,
                              FakeSleep,   FakeNow,   FakeRecordShown, FakeScan,
                              FakeScanNew, FakePlace, FakeTerminate,   FakeHold};

class PlacementRun : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearCaptured();
    fake = &system;
  }
  void TearDown() override { fake = nullptr; }

  int Run(const std::string& text) {
    line.assign(text.begin(), text.end());
    line.push_back('\0');
    return RunPlacement(line.data(), FakeOps);
  }

  int Count(const std::string& call) const {
    int n = 0;
    for (const std::string& c : system.calls) n += c == call;
    return n;
  }

  FakeSystem system;
  std::vector<char> line;
};

// What a started program goes through before its first scan.
const std::vector<std::string> StartSteps = {"record shown", "start", "idle 20816 30000",
                                             "sleep 1000", "scan 77"};
// The started program's handle is kept until the run ends.
const std::string CloseStarted = "close 20816";

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST_F(PlacementRun, FoundRunningIsPlacedAfterOneScanWithoutWaiting) {
  system.runningId = 42;
  system.scanAnswers = {true};
  EXPECT_EQ(Run("-8,-32,1936,1119 C:\\app.exe"), 1);
  EXPECT_EQ(system.calls, (std::vector<std::string>{"find", "scan 42", "place"}));
  EXPECT_EQ(system.lookedUp, "C:\\app.exe");
  EXPECT_EQ(system.placed.left, -8);
  EXPECT_EQ(system.placed.top, -32);
  EXPECT_EQ(system.placed.width, 1936);
  EXPECT_EQ(system.placed.height, 1119);
  EXPECT_TRUE(CapturedReports().empty());
  EXPECT_TRUE(CapturedTraces().empty());
}

TEST_F(PlacementRun, StartedWhenNotRunning) {
  system.scanAnswers = {true};
  EXPECT_EQ(Run("10,20,300,400 app.exe  "), 1);
  EXPECT_EQ(system.calls, Concat({"find"}, Concat(StartSteps, {"place", CloseStarted})));
  EXPECT_EQ(system.startedCommand, "app.exe");
  EXPECT_EQ(system.started.left, 10);
  EXPECT_EQ(system.started.height, 400);
  EXPECT_TRUE(CapturedReports().empty());
}

TEST_F(PlacementRun, RunningWithoutWindowIsKilledAndStartedOnce) {
  system.runningId = 42;
  system.scanAnswers = {false, false, false, true};
  EXPECT_EQ(Run("1,2,3,4 C:\\app.exe"), 1);
  EXPECT_EQ(system.calls, Concat({"find", "scan 42", "terminate 42"},
                                 Concat(StartSteps, {"sleep 1000", "scan 77", "sleep 1000",
                                                     "scan 77", "place", CloseStarted})));
  EXPECT_EQ(CapturedTraces(), (std::vector<std::string>{"killing hung process\r\n"}));
}

TEST_F(PlacementRun, RestartedProgramGetsTwelveScansAndIsNotKilledAgain) {
  system.runningId = 42;
  EXPECT_EQ(Run("1,2,3,4 C:\\app.exe"), 0);
  EXPECT_EQ(Count("scan 42"), 1);
  EXPECT_EQ(Count("scan 77"), 12);
  EXPECT_EQ(Count("terminate 42"), 1);
  EXPECT_EQ(Count("start"), 1);
  EXPECT_EQ(Count("find"), 1);
  ASSERT_EQ(CapturedReports().size(), 1u);
  EXPECT_EQ(CapturedTraces().size(), 1u);
}

TEST_F(PlacementRun, WindowAppearingOnAnyOfTwelveScansIsPlaced) {
  for (int appears = 1; appears <= 12; ++appears) {
    system = FakeSystem();
    ClearCaptured();
    system.scanAnswers.assign(appears - 1, false);
    system.scanAnswers.push_back(true);
    EXPECT_EQ(Run("1,2,3,4 app.exe"), 1) << appears;
    EXPECT_EQ(Count("scan 77"), appears);
    // Each scan comes after its own second of waiting.
    EXPECT_EQ(Count("sleep 1000"), appears);
    EXPECT_EQ(Count("place"), 1);
    EXPECT_TRUE(CapturedReports().empty());
  }
}

TEST_F(PlacementRun, WindowNeverAppearingIsReportedAndTheProgramLeftRunning) {
  system.scanAnswers.assign(12, false);
  system.scanAnswers.push_back(true);  // a thirteenth scan would find it
  EXPECT_EQ(Run("10,20,300,400 notepad.exe \t\r\n"), 0);
  std::vector<std::string> expected = Concat({"find"}, StartSteps);
  for (int i = 0; i < 11; ++i) expected = Concat(expected, {"sleep 1000", "scan 77"});
  EXPECT_EQ(system.calls, Concat(expected, {CloseStarted}));
  EXPECT_EQ(Count("terminate 77"), 0);
  ASSERT_EQ(CapturedReports().size(), 1u);
  EXPECT_EQ(CapturedReports()[0].caption, "Failure");
  EXPECT_EQ(CapturedReports()[0].text,
            "Didn't find window: 10,20,300,400 notepad.exe\n\nPerhaps there are hung processes "
            "you need to kill off in the task manager?");
}

TEST_F(PlacementRun, StartFailureShowsTheTrimmedCommand) {
  system.startSucceeds = false;
  EXPECT_EQ(Run("1,2,3,4  \tC:\\missing.exe --flag \r\n"), 0);
  EXPECT_EQ(system.calls, (std::vector<std::string>{"find", "record shown", "start"}));
  ASSERT_EQ(CapturedReports().size(), 1u);
  EXPECT_EQ(CapturedReports()[0].caption, "Failure");
  EXPECT_EQ(CapturedReports()[0].text, "CreateProcess failed.\nC:\\missing.exe --flag");
}

TEST_F(PlacementRun, RestartFailureAfterKill) {
  system.runningId = 42;
  system.startSucceeds = false;
  EXPECT_EQ(Run("1,2,3,4 C:\\app.exe"), 0);
  EXPECT_EQ(system.calls,
            (std::vector<std::string>{"find", "scan 42", "terminate 42", "record shown", "start"}));
  ASSERT_EQ(CapturedReports().size(), 1u);
  EXPECT_EQ(CapturedReports()[0].text, "CreateProcess failed.\nC:\\app.exe");
}

TEST_F(PlacementRun, MalformedLinesAreReportedAsReceivedAndNothingRuns) {
  EXPECT_EQ(Run("1,2,3 app.exe \r\n"), 0);
  EXPECT_EQ(Run("1,2,3,4\tapp.exe\r\n"), 0);
  EXPECT_TRUE(system.calls.empty());
  ASSERT_EQ(CapturedReports().size(), 2u);
  EXPECT_EQ(CapturedReports()[0].caption, "Failure");
  EXPECT_EQ(
      CapturedReports()[0].text,
      "Command line missing startup coords and sizes, or fill or fillwork.\n1,2,3 app.exe \r\n");
  EXPECT_EQ(CapturedReports()[1].caption, "Failure");
  EXPECT_EQ(CapturedReports()[1].text, "Invalid Command line.\n1,2,3,4\tapp.exe\r\n");
}

TEST_F(PlacementRun, HoldFollowsThePlacementAndDecidesOnlyWhenItMovedNothing) {
  system.runningId = 42;
  system.scanAnswers = {true};
  EXPECT_EQ(Run("1,2,3,4,30 C:\\app.exe"), 1);
  EXPECT_EQ(system.calls, (std::vector<std::string>{"find", "scan 42", "place", "hold 30 42"}));

  // A started program's handle stays open through the hold.
  system = FakeSystem();
  system.scanAnswers = {true};
  EXPECT_EQ(Run("1,2,3,4,30 app.exe"), 1);
  EXPECT_EQ(system.calls,
            Concat({"find"}, Concat(StartSteps, {"place", "hold 30 77", CloseStarted})));

  // The first placement moved nothing: the failure is reported only when the hold did not
  // place a window either, and after it.
  for (bool holdPlaces : {false, true}) {
    system = FakeSystem();
    ClearCaptured();
    system.scanAnswers = {true};
    system.placeResult = {0, UnmovedNotResponding, 0};
    system.holdPlaces = holdPlaces;
    EXPECT_EQ(Run("1,2,3,4,30 app.exe"), holdPlaces ? 1 : 0);
    EXPECT_EQ(system.calls,
              Concat({"find"}, Concat(StartSteps, {"place", "hold 30 77", CloseStarted})));
    EXPECT_EQ(CapturedReports().size(), holdPlaces ? 0u : 1u);
  }
}

TEST_F(PlacementRun, RunThatMovedNoWindowIsAFailure) {
  struct Case {
    PlaceResult placed;
    int exitValue;
    const char* message;  // nullptr: no report
  } cases[] = {
      {{1, UnmovedNotResponding, 0}, 1, nullptr},
      {{1, UnmovedMoveFailed, 5}, 1, nullptr},
      {{0, UnmovedNotResponding, 0}, 0, "Window not responding: 1,2,3,4 C:\\app.exe"},
      {{0, UnmovedMoveFailed, 5}, 0, "MoveWindow failed: 1,2,3,4 C:\\app.exe\nsystem text 5"},
  };
  for (bool running : {true, false}) {
    for (const Case& c : cases) {
      system = FakeSystem();
      ClearCaptured();
      system.runningId = running ? 42 : 0;
      system.scanAnswers = {true};
      system.placeResult = c.placed;
      EXPECT_EQ(Run("1,2,3,4 C:\\app.exe"), c.exitValue);
      // Nothing is killed or started again for it.
      EXPECT_EQ(Count("terminate 42"), 0);
      EXPECT_EQ(Count("start"), running ? 0 : 1);
      EXPECT_EQ(Count(CloseStarted), running ? 0 : 1);
      if (c.message == nullptr) {
        EXPECT_TRUE(CapturedReports().empty());
      } else {
        ASSERT_EQ(CapturedReports().size(), 1u);
        EXPECT_EQ(CapturedReports()[0].caption, "Failure");
        EXPECT_EQ(CapturedReports()[0].text, c.message);
      }
    }
  }
}

}  // namespace

namespace {

const uint64_t Second = 10000000;  // in the units of creation times

TEST_F(PlacementRun, OnlyALoneWindowlessProcessPastStartingIsTakenForHung) {
  const uint64_t now = FakeSystem().now;
  struct Case {
    std::vector<ProgramProcess> running;
    std::deque<bool> scans;
    std::vector<std::string> calls;  // up to the placement
  } cases[] = {
      // Still starting: waited for with the scans of a started program.
      {{{42, now - Second}},
       {false, false, true},
       {"find", "scan 42", "sleep 1000", "scan 42", "walk C:\\app.exe", "sleep 1000", "scan 42"}},
      {{{42, now - 13 * Second}},
       {false, true},
       Concat({"find", "scan 42", "terminate 42"}, StartSteps)},
      // Several: the one with a window is taken; none with one is killed.
      {{{41, 0}, {42, 0}}, {false, true}, {"find", "scan 41", "scan 42"}},
      {{{41, 0}, {42, 0}},
       {false, false, true},
       Concat({"find", "scan 41", "scan 42"}, StartSteps)},
  };
  for (const Case& c : cases) {
    system = FakeSystem();
    system.running = c.running;
    system.scanAnswers = c.scans;
    EXPECT_EQ(Run("1,2,3,4 C:\\app.exe"), 1);
    system.calls.resize(c.calls.size());
    EXPECT_EQ(system.calls, c.calls);
  }
}

TEST_F(PlacementRun, WindowOfAnotherProcessOfTheProgramIsPlacedAndHeld) {
  const uint64_t now = FakeSystem().now;
  struct Case {
    std::vector<ProgramProcess> running, walk;
    const char* scan;  // of the process that shows the window
    uint32_t handedTo;
  } cases[] = {
      // A copy begun after the started one, and an instance running before the start.
      {{}, {{77, now}, {90, now + 1}}, "scan 90", 90},
      {{}, {{50, now - 1}, {77, now}}, "scan new 50", 50},
      // A program found starting: an older instance is not looked at.
      {{{42, now - Second}}, {{50, now - 2 * Second}}, "scan 42", 42},
  };
  for (const Case& c : cases) {
    system = FakeSystem();
    ClearCaptured();
    system.running = c.running;
    system.walks = {c.walk};
    system.startedPath = "C:\\app.exe";
    system.scanAnswers = {false, c.handedTo == 90, true};
    EXPECT_EQ(Run("1,2,3,4,30 C:\\app.exe"), 1);
    EXPECT_EQ(Count("walk C:\\app.exe"), 1);
    EXPECT_EQ(Count(c.scan), c.handedTo == 42 ? 3 : 1);
    EXPECT_EQ(Count("hold 30 " + std::to_string(c.handedTo)), 1);
    EXPECT_EQ(CapturedTraces().back() ==
                  "program handed over to process " + std::to_string(c.handedTo) + "\r\n",
              c.handedTo != 42);
  }
}

}  // namespace
