// Runs that end in a message: lines that are refused, programs that cannot start, and the
// program's own limits waited out (a hung copy, a window that never shows or does not answer).
#include "harness.h"
#include "harness/placement_support.h"

#include <cstring>
#include <thread>

using namespace harness;

namespace {

const char MissingWindowTail[] =
    "\n\nPerhaps there are hung processes you need to kill off in the task manager?";

// The runs that wait out the program's own limits (the twelve empty scans, the answer limit, the
// idle wait of a program it started, the starting age of a hung one) take most of this suite's
// time. Each uses a program copy of its own, so they go side by side: the first PlacementLimits
// test starts every selected one, and each test then checks its own finished run.
struct LongRun {
  const char* test;      // the PlacementLimits test that checks it
  const char* name;      // the copy's file name
  int shownBefore;       // -1: not running before the run; else StartTarget's visible count
  bool aged;             // the copy running before is past its starting age when the run comes
  const char* lineTail;  // after the command
  ProcessGuard guard;
  std::string path;
  DWORD pid = 0;  // the copy running before the run
  size_t windowsBefore = 0;
  RunResult r;
  std::thread thread;
  LongRun(const char* test, const char* name, int shownBefore, bool aged, const char* lineTail)
      : test(test), name(name), shownBefore(shownBefore), aged(aged), lineTail(lineTail) {}
  ~LongRun() {
    if (thread.joinable()) thread.join();
  }
};

LongRun longRuns[] = {
    {"HungProcessIsKilledAndStartedAgain", "hungonce.exe", 1, true, ""},
    {"WindowThatNeverAppearsIsReportedAfterTwelveScans", "never.exe", -1, false, " \t \r\n"},
    {"ProcessWithoutAShownWindowIsLeftAndTheNewCopyGetsTwelveScans", "invisible.exe", 0, true, ""},
    {"WindowThatDoesNotAnswerEndsTheRunWithAFailure", "frozen.exe", 1, false, ""},
    {"WindowThatDoesNotAnswerEndsTheRunWithAFailure", "frozen.exe", -1, false, ""},
    {"WindowThatDoesNotAnswerEndsTheRunWithAFailure", "stuck.exe", 1, false, ""},
};

void Go(LongRun* run) {
  run->path = run->guard.CopyFixture("target.exe", run->name);
  if (run->shownBefore >= 0) {
    DWORD startedAt = GetTickCount();
    run->pid = StartTarget(run->guard, run->path, static_cast<size_t>(run->shownBefore));
    if (run->pid == 0) return;
    run->windowsBefore = TargetWindows(run->pid).size();
    if (run->aged) WaitUntilNoLongerStarting(startedAt);
  }
  run->r = RunTavrisol(std::string(Coordinates) + " " + run->path + run->lineTail, 120000);
}

bool Selected(const char* suite, const char* test) {
  const ::testing::UnitTest* unit = ::testing::UnitTest::GetInstance();
  for (int i = 0; i < unit->total_test_suite_count(); ++i) {
    const ::testing::TestSuite* s = unit->GetTestSuite(i);
    if (strcmp(s->name(), suite) != 0) continue;
    for (int j = 0; j < s->total_test_count(); ++j) {
      if (strcmp(s->GetTestInfo(j)->name(), test) == 0) return s->GetTestInfo(j)->should_run();
    }
  }
  return false;
}

// The finished runs of the running test, in the table's order; their copies are removed (and
// their processes killed) when the returned owner goes.
struct FinishedLongRuns {
  std::vector<LongRun*> runs;
  FinishedLongRuns() {
    static bool started = false;
    if (!started) {
      started = true;
      for (LongRun& run : longRuns) {
        if (Selected("PlacementLimits", run.test)) run.thread = std::thread(Go, &run);
      }
    }
    const char* test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    for (LongRun& run : longRuns) {
      if (strcmp(run.test, test) != 0) continue;
      if (run.thread.joinable()) run.thread.join();
      runs.push_back(&run);
    }
  }
  ~FinishedLongRuns() {
    for (LongRun* run : runs) run->guard.CleanUp();
  }
  LongRun& operator[](size_t i) { return *runs.at(i); }
};

}  // namespace

TEST(PlacementCommandLine, MalformedLinesAreReportedWordForWord) {
  struct Case {
    const char* line;
    const char* message;
  } cases[] = {
      {"1,2,3 C:\\x.exe",
       "Command line missing startup coords and sizes, or fill or fillwork.\n1,2,3 C:\\x.exe"},
      {"C:\\windows\\notepad.exe",
       "Command line missing startup coords and sizes, or fill or fillwork.\n"
       "C:\\windows\\notepad.exe"},
      {"100,80,640,480", "Invalid Command line.\n100,80,640,480"},
      {"100,80,640,480\tC:\\x.exe", "Invalid Command line.\n100,80,640,480\tC:\\x.exe"},
      {"10,10,-500,300 C:\\x.exe",
       "Size -500x300: width and height must be 1 or more.\n10,10,-500,300 C:\\x.exe"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    RunResult r = RunTavrisol(c.line, 30000);
    ExpectOneFailure(r, c.message);
  }
}

TEST(PlacementCommandLine, ProgramThatCannotStartIsReported) {
  ProcessGuard guard;  // nothing should start; kills whatever would
  // A program that is not there is named before anything else happens; a folder in its place is
  // tried and cannot start. The command is shown after the blanks around it are gone, and the
  // system's own text for the reason follows.
  CreateDirectoryA("C:\\folder.exe", nullptr);
  for (const char* program : {"C:\\no\\such\\dir\\prog.exe", "C:\\folder.exe"}) {
    RunResult r = RunTavrisol(std::string(Coordinates) + "  \t " + program + " \t ");
    const bool missing = program[3] == 'n';
    const std::string head = (missing ? "Program not found.\n" : "CreateProcess failed.\n") +
                             std::string(program) + "\n";
    ASSERT_EQ(r.boxes.size(), 1u);
    EXPECT_GT(r.boxes[0].text.size(), head.size());
    ExpectOneFailure(r, head + r.boxes[0].text.substr(head.size()));
    EXPECT_EQ(r.HasTrace(LookupTrace(program)), !missing) << r.AllTraces();
  }
  RemoveDirectoryA("C:\\folder.exe");
}

TEST(PlacementLimits, HungProcessIsKilledAndStartedAgain) {
  // Shows no window on its first run only, so the new instance can be placed.
  FinishedLongRuns runs;
  const std::string& path = runs[0].path;
  runs[0].guard.TrackFile(path + ".ran");
  DWORD old = runs[0].pid;
  ASSERT_NE(old, 0u);
  ASSERT_EQ(runs[0].windowsBefore, 1u);  // a tool window, no main window

  const RunResult& r = runs[0].r;
  ASSERT_TRUE(PlacedQuietly(r));
  EXPECT_TRUE(WaitForProcessExit(old, 5000));
  EXPECT_TRUE(WindowAt(LoneWindowOf(path), Left, Top, Width, Height));
}

TEST(PlacementLimits, WindowThatNeverAppearsIsReportedAfterTwelveScans) {
  FinishedLongRuns runs;
  const std::string& path = runs[0].path;
  std::string line = std::string(Coordinates) + " " + path;
  // Trailing blanks (the table's line tail) are cut from the command and from the line the
  // message shows.
  const RunResult& r = runs[0].r;
  ExpectOneFailure(r, "Didn't find window: " + line + MissingWindowTail);

  // The started program is left running.
  std::vector<DWORD> started = FindProcessesByPath(path);
  ASSERT_EQ(started.size(), 1u);
  // Its one (invisible) window was looked at by each of the twelve scans.
  std::vector<WindowInfo> windows = TargetWindows(started[0], false);
  ASSERT_EQ(windows.size(), 1u);
  char prefix[16];
  snprintf(prefix, sizeof prefix, "%8x ",
           static_cast<unsigned>(reinterpret_cast<uintptr_t>(windows[0].hwnd)));
  size_t scans = 0;
  for (const std::string& t : r.traces) {
    if (t.compare(0, strlen(prefix), prefix) == 0 && t.find(" window candidate ") != t.npos) {
      ++scans;
    }
  }
  EXPECT_EQ(scans, 12u) << r.AllTraces();
}

TEST(PlacementLimits, ProcessWithoutAShownWindowIsLeftAndTheNewCopyGetsTwelveScans) {
  // Every copy shows nothing, yet its windows answer: the first is no hung process and is left
  // running; the command is started, and the new copy is waited for in vain.
  FinishedLongRuns runs;
  const std::string& path = runs[0].path;
  DWORD old = runs[0].pid;
  ASSERT_NE(old, 0u);
  std::string line = std::string(Coordinates) + " " + path;

  const RunResult& r = runs[0].r;
  ExpectOneFailure(r, "Didn't find window: " + line + MissingWindowTail);
  EXPECT_TRUE(ProcessIsRunning(old));
  std::vector<DWORD> now = FindProcessesByPath(path);
  ASSERT_EQ(now.size(), 2u);
}

TEST(PlacementLimits, WindowThatDoesNotAnswerEndsTheRunWithAFailure) {
  // Found running, then started by the run, then found running and answering until the move
  // reaches it: each run ends by itself and leaves the program running, not killed and not
  // doubled. A window found running is left where it was, and the run says why; the started one
  // was shown at its place before it stopped answering, so that run placed it.
  FinishedLongRuns runs;
  for (size_t i : {0, 1, 2}) {
    bool running = i != 1;
    SCOPED_TRACE(running ? "found running" : "started by the run");
    const std::string& path = runs[i].path;
    DWORD pid = runs[i].pid;
    if (running) {
      ASSERT_NE(pid, 0u);
    }
    std::string line = std::string(Coordinates) + " " + path;

    const RunResult& r = runs[i].r;
    if (running) {
      ExpectOneFailure(r, "Window not responding: " + line);
    } else {
      EXPECT_TRUE(PlacedQuietly(r));
    }
    std::vector<DWORD> now = FindProcessesByPath(path);
    ASSERT_EQ(now.size(), 1u);
    if (running) {
      EXPECT_EQ(now[0], pid);
    }
    std::vector<WindowInfo> windows = TargetWindows(now[0]);
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_TRUE(running ? WindowAt(windows[0].hwnd, 200, 150, 400, 300)
                        : WindowAt(windows[0].hwnd, Left, Top, Width, Height));
  }
}
