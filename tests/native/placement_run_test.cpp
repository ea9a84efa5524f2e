#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "placement/run.h"
#include "support/diag_capture.h"

namespace {

const uint64_t Second = 10000000;  // in the units of creation times

// A process of the program as the fake lookup finds it; its handle is 0x1000 + id.
struct FakeProcess {
  uint32_t id;
  uint64_t created = 0;   // 0: unknown
  uint32_t session = 1;   // the run's own is 1
  bool launched = false;  // started by the program, not found by its path
  bool otherArguments = false;
};

// The fake system: every call is written to a log, scans answer from a queue.
struct FakeSystem {
  std::vector<std::string> calls;
  std::vector<FakeProcess> running;            // what the run's lookup finds
  uint32_t runningTotal = 0;                   // when more than it holds
  std::deque<std::vector<FakeProcess>> walks;  // what each later lookup finds
  std::vector<FakeProcess> launched;           // what the program started, found at every look
  bool launchedEarlier = false;  // what it started runs before the run starts anything
  uintptr_t job = 0;             // the program's job
  uint32_t shellError = 0;       // the shell's reason for a failed start
  std::string startedPath;       // empty: the started program's path is unknown
  uint64_t now = 1000000000 * Second;
  bool startSucceeds = true;
  uint32_t startedId = 77;
  bool startedExits = false;     // the started copy has handed over and ended
  std::set<uintptr_t> notReady;  // handles whose process does not wait for input
  std::set<uintptr_t> killRefused;
  std::set<uint32_t> silent;                      // processes with windows, none of which answers
  std::deque<bool> scanAnswers;                   // empty queue answers false
  std::set<uint32_t> newWindowOf, frontWindowOf;  // instances answering the start
  PlaceResult placeResult = {1, UnmovedNone, 0};
  bool holdPlaces = false;          // the hold placed a window itself
  bool placedEarly = false;         // the start placed the window before it was shown
  uint32_t windowShownAfterMs = 0;  // when not 0, each wait ends this soon on a window shown
  PlacementRequest started = {0, 0, 0, 0, nullptr, 0};
  PlacementRequest placed = {0, 0, 0, 0, nullptr, 0};
  std::string startedCommand, lookedUp, heldPath;
  WindowRef heldTarget = 0;  // what the scans left for the hold
  WindowRef marksClearedOf = 0;
  uintptr_t startedJob = 0;
  int finds = 0, released = 0, marksCleared = 0;
};

FakeSystem* fake = nullptr;

uintptr_t HandleOf(uint32_t id) { return 0x1000 + id; }

// A program named "gone" is not there.
bool FakeCanonical(const char* command, char* path, size_t size) {
  CanonicalPathText(command, path, size);
  if (std::strstr(path, "gone") != nullptr) fake->calls.push_back("missing");
  return std::strstr(path, "gone") == nullptr;
}

uintptr_t FakeLock(const char* path, uint32_t ms) {
  fake->calls.push_back(std::string("lock ") + path + " " + std::to_string(ms));
  return 0x10c;
}
void FakeUnlock(uintptr_t lock) {
  if (lock != 0) fake->calls.push_back("unlock");
}

// The first call is the run's lookup, later ones walk the started program's processes.
uint32_t FakeFind(Program* program, bool windowOwnersOnly) {
  std::vector<FakeProcess> list;
  uint32_t total = 0;
  if (fake->finds++ == 0) {
    fake->lookedUp = program->path;
    fake->calls.push_back(windowOwnersOnly ? "find windows" : "find");
    list = fake->running;
    total = std::max<uint32_t>(fake->runningTotal, static_cast<uint32_t>(list.size()));
  } else {
    fake->calls.push_back(std::string("walk ") + program->path);
    if (!fake->walks.empty()) list = fake->walks.front();
    if (!fake->walks.empty()) fake->walks.pop_front();
    total = static_cast<uint32_t>(list.size());
  }
  for (const FakeProcess& p : list) {
    if (program->count >= ProgramSlots) break;
    if (HoldsProcess(*program, p.id)) continue;
    program->processes[program->count++] = {p.id,           p.session,  p.created,
                                            HandleOf(p.id), p.launched, p.otherArguments};
  }
  return total;
}

uintptr_t FakeJob() { return fake->job; }

uint32_t FakeFindLaunched(Program* program, bool) {
  uint32_t added = 0;
  const auto& calls = fake->calls;
  if (!fake->launchedEarlier && std::find(calls.begin(), calls.end(), "start") == calls.end())
    return 0;
  for (const FakeProcess& p : fake->launched) {
    if (program->count >= ProgramSlots || HoldsProcess(*program, p.id)) continue;
    program->processes[program->count++] = {p.id, p.session, p.created, HandleOf(p.id), true};
    ++added;
  }
  return added;
}

void FakeRelease(Program* program) {
  ++fake->released;
  program->count = 0;
}

bool FakeStart(const PlacementRequest& request, StartedProcess* started) {
  fake->calls.push_back("start");
  fake->started = request;
  fake->startedCommand = request.command;
  fake->startedJob = started->job;
  started->error = fake->shellError != 0 ? fake->shellError : 2;
  started->throughShell = fake->shellError != 0;
  if (!fake->startSucceeds) return false;
  started->id = fake->startedId;
  started->handle = 0x5150;
  started->created = fake->now;
  std::snprintf(started->path, sizeof started->path, "%s", fake->startedPath.c_str());
  return true;
}

bool FakeIdle(uintptr_t process, uint32_t ms) {
  fake->calls.push_back("idle " + std::to_string(process) + " " + std::to_string(ms));
  return fake->notReady.count(process) == 0;
}
bool FakeExited(uintptr_t process) { return process == 0x5150 && fake->startedExits; }
bool FakeExitValue(uintptr_t process, uint32_t* value) { return *value = 7, FakeExited(process); }
void FakeClose(uintptr_t process) { fake->calls.push_back("close " + std::to_string(process)); }
uint32_t FakeSleep(StartedProcess*, uint32_t ms) {
  fake->calls.push_back("sleep " + std::to_string(ms));
  return fake->windowShownAfterMs != 0 ? fake->windowShownAfterMs : ms;
}
uint64_t FakeNow() { return fake->now; }
uint32_t FakeSession() { return 1; }
void FakeRecordShown(ShownWindows*) { fake->calls.push_back("record shown"); }

// A window found is the process's 0x900 + id.
bool FakeScan(WindowState* state, uint32_t processId) {
  fake->calls.push_back("scan " + std::to_string(processId));
  if (fake->scanAnswers.empty()) return false;
  bool answer = fake->scanAnswers.front();
  fake->scanAnswers.pop_front();
  if (answer) state->targetWindow = 0x900 + processId;
  return answer;
}

bool FakeScanPlaced(WindowState* state, uint32_t processId) {
  bool found = FakeScan(state, processId);
  fake->calls.back() = "scan placed " + std::to_string(processId);
  return found;
}

bool FakeScanNew(WindowState*, uint32_t processId, const ShownWindows&) {
  fake->calls.push_back("scan new " + std::to_string(processId));
  return fake->newWindowOf.count(processId) != 0;
}

bool FakeScanFront(WindowState*, uint32_t processId, const ShownWindows&) {
  fake->calls.push_back("scan front " + std::to_string(processId));
  return fake->frontWindowOf.count(processId) != 0;
}

PlaceResult FakePlace(WindowState*, const PlacementRequest& request) {
  fake->calls.push_back("place");
  fake->placed = request;
  return fake->placeResult;
}

bool FakeSilent(uint32_t processId) {
  fake->calls.push_back("silent " + std::to_string(processId));
  return fake->silent.count(processId) != 0;
}

bool FakeTerminate(uintptr_t process, uint32_t* error) {
  fake->calls.push_back("terminate " + std::to_string(process));
  *error = 5;
  return fake->killRefused.count(process) == 0;
}

bool FakeHold(const PlacementRequest& request, Program* program, WindowState* state) {
  fake->calls.push_back("hold " + std::to_string(request.holdSeconds));
  fake->heldPath = program->path;
  fake->heldTarget = state->targetWindow;
  return fake->holdPlaces;
}

void FakeClearMarks(const WindowState& state) {
  ++fake->marksCleared;
  fake->marksClearedOf = state.targetWindow;
}

bool FakeAwaitPlaced(StartedProcess*) {
  if (fake->placedEarly) fake->calls.push_back("placed early");
  return fake->placedEarly;
}

void FakeSettle(const PlacementRequest&, WindowState*, uintptr_t process) {
  fake->calls.push_back("settle " + std::to_string(process));
}

const PlacementOps FakeOps = {
    FakeCanonical,   FakeLock,        FakeUnlock,     FakeFind,
    FakeRelease,     FakeStart,       FakeIdle,       FakeExited,
    FakeClose,       FakeSleep,       FakeNow,        FakeSession,
    FakeRecordShown, FakeScan,        FakeScanPlaced, FakeScanNew,
    FakeScanFront,   FakePlace,       FakeSilent,     FakeTerminate,
    FakeHold,        FakeClearMarks,  FakeJob,        FakeFindLaunched,
    FakeExitValue,   FakeAwaitPlaced, FakeSettle,     [](StartedProcess*) {}};

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
    int result = RunPlacement(line.data(), FakeOps);
    // Whatever the road, the run ends by taking back its marks and closing what it holds.
    EXPECT_EQ(system.marksCleared, system.calls.empty() ? 0 : 1);
    EXPECT_EQ(system.released > 0, !system.calls.empty());
    return result;
  }

  int Count(const std::string& call) const {
    int n = 0;
    for (const std::string& c : system.calls) n += c == call;
    return n;
  }

  FakeSystem system;
  std::vector<char> line;
};

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The turn of the program C:\app.exe, taken before its lookup.
const std::vector<std::string> Lookup = {"lock C:\\app.exe 47000", "find"};
// What a started program goes through before its first scan.
const std::vector<std::string> StartSteps = {"record shown", "start", "idle 20816 1000",
                                             "sleep 1000", "scan 77"};
// Between its scans, the run looks for other processes of the program.
const std::string Walk = "walk C:\\app.exe";
// The started program's handle is kept until the run ends.
const std::string CloseStarted = "close 20816";
// Once placed without a hold, a started program's window is put back if it moved away meanwhile.
const std::string Settle = "settle 20816";

TEST_F(PlacementRun, FoundRunningIsPlacedAfterOneScanWithoutWaiting) {
  system.running = {{42}};
  system.scanAnswers = {true};
  EXPECT_EQ(Run("-8,-32,1936,1119 C:/app.exe"), 1);
  // The turn is given back as soon as the window is there, before it is placed.
  EXPECT_EQ(system.calls, Concat(Lookup, {"scan 42", "unlock", "place"}));
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
  // A bare name names no file: no turn to take, and started as written.
  EXPECT_EQ(Run("10,20,300,400 app.exe  "), 1);
  EXPECT_EQ(system.calls, Concat({"find"}, Concat(StartSteps, {"place", Settle, CloseStarted})));
  EXPECT_EQ(system.startedCommand, "app.exe");
  EXPECT_EQ(system.started.left, 10);
  EXPECT_EQ(system.started.height, 400);
  EXPECT_TRUE(CapturedReports().empty());

  // A stub that never gets ready: its window is placed once it shows, not after the idle wait.
  system = FakeSystem();
  system.notReady = {0x5150};
  system.scanAnswers = {false, true};
  EXPECT_EQ(Run("10,20,300,400 app.exe"), 1);
  EXPECT_EQ(Count("idle 20816 1000"), 2);
  EXPECT_EQ(Count("sleep 1000"), 0);
}

// A window placed as it was shown is scanned and placed at once, without the settle.
TEST_F(PlacementRun, StartedWindowPlacedBeforeItShowsEndsTheRunWithoutWaiting) {
  system.scanAnswers = {true};
  system.placedEarly = true;
  EXPECT_EQ(Run("10,20,300,400 app.exe"), 1);
  EXPECT_EQ(system.calls, Concat({"find", "record shown", "start", "placed early", "scan 77"},
                                 {"place", Settle, CloseStarted}));
}

TEST_F(PlacementRun, RunningWithSilentWindowsIsKilledThroughItsHandleAndStartedOnce) {
  system.running = {{42}};
  system.silent = {42};
  system.scanAnswers = {false, false, false, true};
  EXPECT_EQ(Run("1,2,3,4 C:\\app.exe"), 1);
  EXPECT_EQ(system.calls,
            Concat(Lookup, Concat({"scan 42", "idle 4138 0", "silent 42", "terminate 4138"},
                                  Concat(StartSteps,
                                         {Walk, "sleep 1000", "scan 77", Walk, "sleep 1000",
                                          "scan 77", "unlock", "place", Settle, CloseStarted}))));
  EXPECT_EQ(CapturedTraces(), (std::vector<std::string>{"killing hung process\r\n"}));
}

TEST_F(PlacementRun, RestartedProgramGetsTwelveScansAndIsNotKilledAgain) {
  system.running = {{42}};
  system.silent = {42};
  EXPECT_EQ(Run("1,2,3,4 C:\\app.exe"), 0);
  EXPECT_EQ(Count("scan 42"), 1);
  EXPECT_EQ(Count("scan 77"), 12);
  EXPECT_EQ(Count("terminate 4138"), 1);
  EXPECT_EQ(Count("start"), 1);
  EXPECT_EQ(Count("find"), 1);
  EXPECT_EQ(system.calls.back(), CloseStarted);
  EXPECT_EQ(system.calls[system.calls.size() - 2], "unlock");
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
  EXPECT_EQ(Count("terminate 20816"), 0);
  ASSERT_EQ(CapturedReports().size(), 1u);
  EXPECT_EQ(CapturedReports()[0].caption, "Failure");
  EXPECT_EQ(CapturedReports()[0].text,
            "Didn't find window: 10,20,300,400 notepad.exe\n\nPerhaps there are hung processes "
            "you need to kill off in the task manager?");

  // Ended, and no process of the program left (a still running one is the case above): nothing
  // hung to blame.
  system = FakeSystem();
  ClearCaptured();
  system.startedExits = true;
  EXPECT_EQ(Run("1,2,3,4 C:\\app.exe"), 0);
  EXPECT_EQ(CapturedReports().at(0).text,
            "C:\\app.exe\nended (exit value 7) without showing a window.");

  // Waits that windows shown cut short keep the same limit: four times the scans.
  system = FakeSystem();
  ClearCaptured();
  system.windowShownAfterMs = 250;
  EXPECT_EQ(Run("1,2,3,4 app.exe"), 0);
  EXPECT_EQ(Count("scan 77"), 1 + 44);
  EXPECT_EQ(CapturedReports().size(), 1u);
}

TEST_F(PlacementRun, StartFailureShowsTheTrimmedCommand) {
  system.startSucceeds = false;
  EXPECT_EQ(Run("1,2,3,4  \tC:\\missing.exe --flag \r\n"), 0);
  EXPECT_EQ(system.calls, (std::vector<std::string>{"lock C:\\missing.exe 47000", "find",
                                                    "record shown", "start", "unlock"}));
  ASSERT_EQ(CapturedReports().size(), 1u);
  EXPECT_EQ(CapturedReports()[0].caption, "Failure");
  EXPECT_EQ(CapturedReports()[0].text,
            "CreateProcess failed.\nC:\\missing.exe --flag\nsystem text 2");

  // A program that is not there is named before anything is tried.
  system = FakeSystem();
  ClearCaptured();
  EXPECT_EQ(Run("1,2,3,4 \"C:\\gone.exe\" -x"), 0);
  EXPECT_EQ(system.calls, (std::vector<std::string>{"missing"}));
  EXPECT_EQ(CapturedReports()[0].text, "Program not found.\n\"C:\\gone.exe\" -x\nsystem text 2");

  // What the shell opens (a shortcut, a program asking for elevation) fails with its reason.
  system = FakeSystem();
  ClearCaptured();
  system.startSucceeds = false;
  system.shellError = 1223;
  EXPECT_EQ(Run("1,2,3,4 C:\\app.lnk"), 0);
  ASSERT_EQ(CapturedReports().size(), 1u);
  EXPECT_EQ(CapturedReports()[0].text, "ShellExecuteEx failed: C:\\app.lnk\nsystem text 1223");
}

TEST_F(PlacementRun, RestartFailureAfterKill) {
  system.running = {{42}};
  system.silent = {42};
  system.startSucceeds = false;
  EXPECT_EQ(Run("1,2,3,4 C:\\app.exe"), 0);
  EXPECT_EQ(system.calls, Concat(Lookup, {"scan 42", "idle 4138 0", "silent 42", "terminate 4138",
                                          "record shown", "start", "unlock"}));
  ASSERT_EQ(CapturedReports().size(), 1u);
  EXPECT_EQ(CapturedReports()[0].text, "CreateProcess failed.\nC:\\app.exe\nsystem text 2");
}

TEST_F(PlacementRun, MalformedLinesAreReportedAsReceivedAndNothingRuns) {
  EXPECT_EQ(Run("1,2,3 app.exe \r\n"), 0);
  EXPECT_EQ(Run("1,2,3,4\tapp.exe\r\n"), 0);
  EXPECT_EQ(Run("10,10,-500,300 app.exe"), 0);
  EXPECT_TRUE(system.calls.empty());
  ASSERT_EQ(CapturedReports().size(), 3u);
  EXPECT_EQ(CapturedReports()[2].text,
            "Size -500x300: width and height must be 1 or more.\n10,10,-500,300 app.exe");
  EXPECT_EQ(CapturedReports()[0].caption, "Failure");
  EXPECT_EQ(
      CapturedReports()[0].text,
      "Command line missing startup coords and sizes, or fill or fillwork.\n1,2,3 app.exe \r\n");
  EXPECT_EQ(CapturedReports()[1].caption, "Failure");
  EXPECT_EQ(CapturedReports()[1].text, "Invalid Command line.\n1,2,3,4\tapp.exe\r\n");
}

TEST_F(PlacementRun, HoldFollowsThePlacementAndDecidesOnlyWhenItMovedNothing) {
  system.running = {{42}};
  system.scanAnswers = {true};
  EXPECT_EQ(Run("1,2,3,4,30 C:\\app.exe"), 1);
  EXPECT_EQ(system.calls, Concat(Lookup, {"scan 42", "unlock", "place", "hold 30"}));
  EXPECT_EQ(system.heldPath, "C:\\app.exe");
  EXPECT_EQ(system.heldTarget, 0x900u + 42);
  EXPECT_EQ(system.marksClearedOf, 0x900u + 42);  // of the windows the run and its hold placed

  // A started program's handle stays open through the hold, which follows the program the
  // system started, also when the command has arguments.
  system = FakeSystem();
  system.scanAnswers = {true};
  system.startedPath = "C:\\app.exe";
  EXPECT_EQ(Run("1,2,3,4,30 C:\\app.exe --new"), 1);
  EXPECT_EQ(system.calls,
            Concat(Lookup, Concat(StartSteps, {"unlock", "place", "hold 30", CloseStarted})));
  EXPECT_EQ(system.heldPath, "C:\\app.exe");

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
              Concat({"find"}, Concat(StartSteps, {"place", "hold 30", CloseStarted})));
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
      if (running) system.running = {{42}};
      system.scanAnswers = {true};
      system.placeResult = c.placed;
      EXPECT_EQ(Run("1,2,3,4 C:\\app.exe"), c.exitValue);
      // Nothing is killed or started again for it.
      EXPECT_EQ(Count("terminate 4138"), 0);
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

TEST_F(PlacementRun, StartingAndHungByReadinessAndAge) {
  const uint64_t now = FakeSystem().now;
  const uint64_t old = now - 43 * Second;  // older than the whole allowance of 42 s
  struct Case {
    std::vector<FakeProcess> running;
    std::set<uintptr_t> notReady;
    const char* starting;            // the trace of a process still starting; "" for none
    std::vector<std::string> calls;  // after the lookup, up to the first scan of what it awaits
    std::vector<FakeProcess> launched = {};  // what the program started
    std::deque<bool> answers = {};           // of the scans
    std::set<uint32_t> silent = {41, 42};    // with windows, none answering
  } cases[] = {
      // Young, or old but not waiting for input yet: still starting, awaited as a started one.
      {{{42, now - 13 * Second}}, {}, "42", {"scan 42", "idle 4138 1000", "sleep 1000", "scan 42"}},
      {{{42, old}}, {0x1000 + 42}, "42", {"scan 42", "idle 4138 0", "idle 4138 1000", "scan 42"}},
      // Old and ready, its windows all silent: hung, ended through the handle the lookup opened.
      {{{42, old}},
       {},
       "",
       {"scan 42", "idle 4138 0", "silent 42", "terminate 4138", "record shown"}},
      // Without a window, or running other arguments: left alone, and the command started.
      {{{42, old}}, {}, "", {"scan 42", "idle 4138 0", "silent 42", "record shown"}, {}, {}, {}},
      {{{42, old, 1, false, true}}, {}, "", {"record shown", "start"}},
      // Several: one still starting is awaited, and nothing is ended.
      {{{41, old}, {42, now - Second}},
       {},
       "42",
       {"scan 41", "scan 42", "idle 4137 0", "idle 4138 1000"}},
      // Several hung: all are ended before the one start.
      {{{41, old}, {42, old}},
       {},
       "",
       {"scan 41", "scan 42", "idle 4137 0", "idle 4138 0", "silent 41", "terminate 4137",
        "silent 42", "terminate 4138", "record shown", "start"}},
      // Another session's copy is never touched: the program is started for this one.
      {{{41, old, 2}}, {}, "", {"record shown", "start"}},
      {{{41, now - Second, 2}, {42, old}},
       {},
       "",
       {"scan 42", "idle 4138 0", "silent 42", "terminate 4138", "record shown"}},
      // A launcher that stays without a window: the window of what it started is placed; while
      // that shows none, the launcher is awaited, not killed. What another session's copy
      // started is not looked at.
      {{{42, old}}, {}, "", {"scan 42", "scan 60", "unlock", "place"}, {{60, old}}, {false, true}},
      {{{42, old}},
       {},
       "",
       {"scan 42", "scan 60", "idle 4138 1000", "sleep 1000", "scan 42"},
       {{60, old}}},
      {{{42, old}},
       {},
       "",
       {"scan 42", "idle 4138 0", "silent 42", "terminate 4138"},
       {{60, old, 2}}},
      // A copy running other arguments is no launcher to wait for: what the command started is.
      {{{41, old, 1, false, true}},
       {},
       "",
       {"scan 60", "idle 4156 1000", "sleep 1000"},
       {{60, old}}},
      // The launcher has ended: what it started is found in the program's job.
      {{}, {}, "", {"scan 60", "unlock", "place"}, {{60, old}}, {true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.calls.back());
    system = FakeSystem();
    ClearCaptured();
    system.running = c.running;
    system.notReady = c.notReady;
    system.launched = c.launched;
    system.launchedEarlier = true;
    system.scanAnswers = c.answers;
    system.silent = c.silent;
    Run("1,2,3,4 C:\\app.exe");
    std::vector<std::string> seen(system.calls.begin() + 2, system.calls.end());
    seen.resize(std::min(seen.size(), c.calls.size()));
    EXPECT_EQ(seen, c.calls);
    const std::string starting = std::string("process ") + c.starting + " is still starting\r\n";
    EXPECT_EQ(!CapturedTraces().empty() && CapturedTraces()[0] == starting, c.starting[0] != 0);
  }
}

TEST_F(PlacementRun, KillThatFailsIsReportedWithTheReasonAndNothingIsStarted) {
  system.running = {{42, FakeSystem().now - 60 * Second}};
  system.killRefused = {0x1000 + 42};
  system.silent = {42};
  EXPECT_EQ(Run("1,2,3,4 C:\\app.exe"), 0);
  EXPECT_EQ(Count("start"), 0);
  EXPECT_EQ(system.calls.back(), "unlock");
  ASSERT_EQ(CapturedReports().size(), 1u);
  EXPECT_EQ(CapturedReports()[0].text,
            "TerminateProcess failed: 1,2,3,4 C:\\app.exe\nsystem text 5");
}

TEST_F(PlacementRun, OnlyTheProcessesTheLookupHoldsAreRead) {
  // The lookup met more processes than it has room for: the run reads its table, no further.
  for (uint32_t i = 0; i < ProgramSlots; ++i) system.running.push_back({100 + i});
  system.runningTotal = 40;
  system.scanAnswers.assign(ProgramSlots - 1, false);
  system.scanAnswers.push_back(true);
  EXPECT_EQ(Run("1,2,3,4 C:\\app.exe"), 1);
  EXPECT_EQ(Count("scan " + std::to_string(100 + ProgramSlots - 1)), 1);
  EXPECT_EQ(Count("place"), 1);
  int scans = 0;
  for (const std::string& c : system.calls) scans += c.compare(0, 5, "scan ") == 0;
  EXPECT_EQ(scans, ProgramSlots);
}

TEST_F(PlacementRun, WindowOfAnotherProcessOfTheProgramIsPlacedAndHeld) {
  const uint64_t now = FakeSystem().now;
  struct Case {
    const char* name;
    std::vector<FakeProcess> running, walk;
    bool startedExits;
    std::set<uint32_t> newWindowOf, frontWindowOf;
    const char* handOverScan;  // the scan that answers the start
    int scansOfStarted;
    std::vector<FakeProcess> launched = {};
  } cases[] = {
      // A copy begun after the started one shows any window.
      {"later copy", {}, {{77, now}, {90, now + 1}}, false, {}, {}, "scan 90", 1},
      // An instance running before the start answers with a new main window once the started
      // copy has ended...
      {"instance, ended", {}, {{50, now - 1}, {77, now}}, true, {50}, {}, "scan new 50", 1},
      // ... or brings one of its main windows to the front.
      {"instance, front", {}, {{50, now - 1}}, true, {}, {50}, "scan front 50", 1},
      // While the started copy lives, only at the last scan.
      {"instance, last", {}, {{50, now - 1}, {77, now}}, false, {50}, {}, "scan new 50", 12},
      // What the started one started shows any window, whatever its start time says.
      {"started by it", {}, {}, false, {}, {}, "scan 91", 1, {{91, now - 1}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    system = FakeSystem();
    ClearCaptured();
    system.running = c.running;
    system.walks.assign(12, c.walk);
    system.startedPath = "C:\\app.exe";
    system.startedExits = c.startedExits;
    system.newWindowOf = c.newWindowOf;
    system.frontWindowOf = c.frontWindowOf;
    system.launched = c.launched;
    const std::string handOver = c.handOverScan;
    system.scanAnswers.assign(c.scansOfStarted, false);
    if (handOver.rfind("scan 9", 0) == 0) system.scanAnswers.push_back(true);
    EXPECT_EQ(Run("1,2,3,4,30 C:\\app.exe"), 1);
    EXPECT_EQ(Count(c.handOverScan), 1);
    EXPECT_EQ(Count("scan 77"), c.scansOfStarted);
    EXPECT_EQ(Count("hold 30"), 1);
    EXPECT_EQ(CapturedTraces().back(), "program handed over to process " +
                                           handOver.substr(handOver.rfind(' ') + 1) + "\r\n");
  }
}

TEST_F(PlacementRun, InstanceThatTookTheStartWithoutAWindowIsReportedSo) {
  const uint64_t now = FakeSystem().now;
  system.walks.assign(12, {{50, now - 1}});
  system.startedPath = "C:\\app.exe";
  system.startedExits = true;
  EXPECT_EQ(Run("1,2,3,4 C:\\app.exe"), 0);
  EXPECT_EQ(Count("scan new 50"), 12);
  ASSERT_EQ(CapturedReports().size(), 1u);
  EXPECT_EQ(CapturedReports()[0].text,
            "The running program took the request without showing a window: 1,2,3,4 C:\\app.exe");

  // A program found starting: an older instance is not looked at.
  system = FakeSystem();
  ClearCaptured();
  system.running = {{42, now - Second}};
  system.walks.assign(12, {{50, now - 2 * Second}});
  system.scanAnswers = {false, false, true};
  EXPECT_EQ(Run("1,2,3,4 C:\\app.exe"), 1);
  EXPECT_EQ(Count("scan new 50") + Count("scan front 50") + Count("scan 50"), 0);
  EXPECT_EQ(Count("scan 42"), 3);
}

TEST_F(PlacementRun, ScriptIsFollowedThroughWhatItStartsAndItsConsoleComesLast) {
  // The command processor runs the script: the program keeps the script's path, goes in its
  // job, and what the script started is placed; the processor's own (console) window only when
  // nothing else showed one by the last scan.
  for (bool started : {true, false}) {
    SCOPED_TRACE(started ? "the script starts a program" : "only its console");
    system = FakeSystem();
    system.job = 0x70b;
    system.startedPath = "C:\\windows\\system32\\CMD.EXE";
    if (started) system.launched = {{91, FakeSystem().now + 1}};
    system.scanAnswers = {true};
    EXPECT_EQ(Run("1,2,3,4,30 C:\\go.bat"), 1);
    EXPECT_EQ(Count(started ? "scan 91" : "scan 77"), 1);
    EXPECT_EQ(Count("scan 77"), started ? 0 : 1);
    EXPECT_EQ(Count("sleep 1000"), started ? 1 : 12);
    EXPECT_EQ(Count("walk C:\\go.bat"), started ? 1 : 12);
    EXPECT_EQ(system.heldPath, "C:\\go.bat");
    EXPECT_EQ(system.startedJob, 0x70bu);
    EXPECT_EQ(system.calls.back(), "close 1803");  // the job, after the started process
  }
}

}  // namespace
