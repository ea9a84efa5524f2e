// End-to-end checks of the placement run: the real tavrisol.exe runs under the harness's
// debugger loop against real target programs (copies of the target fixture) on the desktop.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include <fstream>

#include "harness.h"

#include <tlhelp32.h>

#include "harness/shortcut_support.h"
#include "placement/early.h"
#include "placement/marks.h"
#include "placement/owners.h"

using namespace harness;

namespace {

// The rectangle every test asks for; it fits the 1920x1080 screen.
const int Left = 100, Top = 80, Width = 640, Height = 480;
const char Coordinates[] = "100,80,640,480";

const char MissingWindowTail[] =
    "\n\nPerhaps there are hung processes you need to kill off in the task manager?";

// The run with the rectangle every test asks for and this command.
RunResult PlaceAtCoordinates(const std::string& command) {
  return RunTavrisol(std::string(Coordinates) + " " + command);
}

std::string Hex(HWND window) {
  char text[32];
  snprintf(text, sizeof text, "%x", static_cast<unsigned>(reinterpret_cast<uintptr_t>(window)));
  return text;
}

// The trace line of a window the run moved.
std::string MovedTrace(HWND window) {
  return "better candidate " + Hex(window) + " move didn't fail\r\n";
}

std::string LookupTrace(const std::string& command) {
  return "lookforexecuting <" + command + "> " + std::to_string(command.size()) + "\r\n";
}

::testing::AssertionResult WindowAt(HWND window, int left, int top, int width, int height) {
  RECT r;
  if (!GetWindowRect(window, &r)) return ::testing::AssertionFailure() << "no window";
  if (r.left == left && r.top == top && r.right - r.left == width && r.bottom - r.top == height) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "window " << Hex(window) << " is at " << RectText(r);
}

// Three windows, each at one of the three cascade steps 32 pixels apart from Left, each step
// taken once, all of the requested size, each moved by the run.
void ExpectCascaded(const std::vector<WindowInfo>& windows, const RunResult& r) {
  ASSERT_EQ(windows.size(), 3u);
  bool taken[3] = {false, false, false};
  for (const WindowInfo& w : windows) {
    EXPECT_EQ(w.rect.top, Top) << w.title;
    EXPECT_EQ(w.Width(), Width) << w.title;
    EXPECT_EQ(w.Height(), Height) << w.title;
    int step = (w.rect.left - Left) / 32;
    ASSERT_TRUE(step >= 0 && step < 3 && w.rect.left == Left + 32 * step)
        << w.title << " at " << RectText(w.rect);
    EXPECT_FALSE(taken[step]);
    taken[step] = true;
    EXPECT_TRUE(r.HasTrace(MovedTrace(w.hwnd))) << r.AllTraces();
  }
}

// The DLLs only the editor uses: a placement run must not load them.
const char* const EditorOnlyDlls[] = {"comdlg32.dll", "shell32.dll", "ole32.dll"};

// The first of them a run loaded, as the file path the loader reported; "" when none.
std::string EditorDllLoaded(const RunResult& r) {
  for (const std::string& path : r.dlls) {
    size_t slash = path.find_last_of("\\/");
    std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    for (const char* dll : EditorOnlyDlls) {
      if (lstrcmpiA(name.c_str(), dll) == 0) return path;
    }
  }
  return std::string();
}

// The run ended by itself with exit value 1, showed no message box and loaded none of the
// editor's DLLs.
::testing::AssertionResult PlacedQuietly(const RunResult& r) {
  if (!r.started) return ::testing::AssertionFailure() << "tavrisol.exe did not start";
  if (r.timedOut) return ::testing::AssertionFailure() << "timed out\n" << r.AllTraces();
  if (r.exitCode != 1) {
    return ::testing::AssertionFailure() << "exit value " << r.exitCode << "\n" << r.AllTraces();
  }
  if (!r.boxes.empty()) {
    return ::testing::AssertionFailure()
           << "message box " << r.boxes[0].caption << ": " << r.boxes[0].text;
  }
  if (r.dlls.empty()) return ::testing::AssertionFailure() << "no DLL loads were seen";
  std::string editorDll = EditorDllLoaded(r);
  if (!editorDll.empty()) {
    return ::testing::AssertionFailure() << "the placement run loaded " << editorDll;
  }
  return ::testing::AssertionSuccess();
}

// The run ended with exit value 0 after exactly one "Failure" box with this text.
void ExpectOneFailure(const RunResult& r, const std::string& text) {
  ASSERT_TRUE(r.started);
  EXPECT_FALSE(r.timedOut);
  EXPECT_TRUE(r.exited);
  EXPECT_EQ(r.exitCode, 0u);
  ASSERT_EQ(r.boxes.size(), 1u) << r.AllTraces();
  EXPECT_EQ(r.boxes[0].caption, "Failure");
  EXPECT_EQ(r.boxes[0].text, text);
}

// Starts a copy of the target fixture and waits until it shows count visible windows (or, with
// count 0, until it has made its windows).
DWORD StartTarget(ProcessGuard& guard, const std::string& path, size_t visibleCount) {
  DWORD pid = StartProcessAt(path, 300, 300, 400, 300);
  guard.Track(pid);
  if (pid == 0) return 0;
  bool ready = WaitUntil(
      [&] {
        size_t visible = 0, all = 0;
        for (const WindowInfo& w : TopLevelWindows(pid)) {
          if (w.className != "TavrisolTarget") continue;
          ++all;
          if (w.Visible()) ++visible;
        }
        return visibleCount ? visible == visibleCount : all > 0;
      },
      10000);
  return ready ? pid : 0;
}

// A run takes a windowless process for hung only once it is older than the run's whole
// allowance (the 30-second idle wait and 12 seconds of scans); a younger one is still
// starting. startedAt: GetTickCount at its start.
void WaitUntilNoLongerStarting(DWORD startedAt) {
  DWORD age = GetTickCount() - startedAt;
  if (age < 42500) Sleep(42500 - age);
}

std::string ConsideringTrace(const std::string& path, DWORD pid) {
  return "lookforexecuting considering <" + path + "> " + std::to_string(path.size()) + " " +
         std::to_string(pid) + "\r\n";
}

std::vector<WindowInfo> TargetWindows(DWORD pid, bool visibleOnly = true) {
  std::vector<WindowInfo> found;
  for (const WindowInfo& w : TopLevelWindows(pid)) {
    if (w.className == "TavrisolTarget" && (!visibleOnly || w.Visible())) found.push_back(w);
  }
  return found;
}

// Starts a copy of the target fixture that shows one window; that window, or nullptr.
// A held run of a splash copy: its one process left shows one window, the main window after
// the splash, at the coordinates. Returns that process.
DWORD ExpectSplashMainPlaced(const std::string& path, const RunResult& r) {
  EXPECT_TRUE(PlacedQuietly(r));
  std::vector<DWORD> pids = FindProcessesByPath(path);
  EXPECT_EQ(pids.size(), 1u);
  if (pids.size() != 1) return 0;
  std::vector<WindowInfo> windows = TargetWindows(pids[0]);
  EXPECT_EQ(windows.size(), 1u);
  if (windows.size() != 1) return pids[0];
  EXPECT_EQ(windows[0].title, "splash main");
  EXPECT_TRUE(WindowAt(windows[0].hwnd, Left, Top, Width, Height)) << r.AllTraces();
  return pids[0];
}

HWND StartLoneTarget(ProcessGuard& guard, const std::string& path) {
  DWORD pid = StartTarget(guard, path, 1);
  return pid != 0 ? TargetWindows(pid)[0].hwnd : nullptr;
}

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

TEST(PlacementStart, ProgramThatCannotStartIsReported) {
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

TEST(PlacementRunning, RunningTargetIsMovedInPlace) {
  ProcessGuard guard;
  std::string path = guard.CopyFixture("target.exe", "plain.exe");
  DWORD pid = StartTarget(guard, path, 1);
  ASSERT_NE(pid, 0u);
  std::vector<WindowInfo> before = TargetWindows(pid);
  ASSERT_EQ(before.size(), 1u);
  HWND w = before[0].hwnd;
  ASSERT_TRUE(WindowAt(w, 300, 300, 400, 300));

  const HWND front = CreateWindowExA(0, "STATIC", "front", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10,
                                     nullptr, nullptr, nullptr, nullptr);
  SetForegroundWindow(front);
  RunResult r = PlaceAtCoordinates(path);
  ASSERT_TRUE(PlacedQuietly(r));
  EXPECT_TRUE(WindowAt(w, Left, Top, Width, Height));
  EXPECT_EQ(GetForegroundWindow(), w);  // brought to the front
  DestroyWindow(front);
  // The same process, and no second one.
  EXPECT_TRUE(ProcessIsRunning(pid));
  EXPECT_EQ(FindProcessesByPath(path), std::vector<DWORD>{pid});

  EXPECT_TRUE(r.HasTrace(LookupTrace(path))) << r.AllTraces();
  EXPECT_TRUE(r.HasTrace(ConsideringTrace(path, pid))) << r.AllTraces();
  char candidate[200];
  snprintf(candidate, sizeof candidate, "%8x %4d %4d %4d %4d %8d window candidate %08x %08x\r\n",
           static_cast<unsigned>(reinterpret_cast<uintptr_t>(w)), 700, 300, 600, 300, 400 * 300,
           static_cast<unsigned>(before[0].style), static_cast<unsigned>(before[0].exStyle));
  EXPECT_TRUE(r.HasTrace(candidate)) << candidate << "\n" << r.AllTraces();
  EXPECT_TRUE(r.HasTrace(MovedTrace(w))) << r.AllTraces();
  EXPECT_EQ(r.CountTracesStartingWith("killing hung process"), 0u);

  // The same on a crowded desktop.
  std::vector<HWND> crowd;
  for (uint32_t i = 0; i < 400; ++i)
    crowd.push_back(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                    nullptr, nullptr));
  ASSERT_TRUE(PlacedQuietly(RunTavrisol("10,20,500,400 " + path)));
  EXPECT_TRUE(WindowAt(w, 10, 20, 500, 400));
  for (HWND window : crowd) DestroyWindow(window);
}

TEST(PlacementRunning, SameFileNameInAnotherFolderIsLeftAlone) {
  ProcessGuard guard;
  std::string other = guard.CopyFixture("target.exe", "twin.exe");
  std::string path = guard.CopyFixture("target.exe", "twin.exe");
  ASSERT_NE(other, path);
  DWORD otherPid = StartTarget(guard, other, 1);
  DWORD pid = StartTarget(guard, path, 1);
  ASSERT_NE(otherPid, 0u);
  ASSERT_NE(pid, 0u);

  RunResult r = PlaceAtCoordinates(path);
  ASSERT_TRUE(PlacedQuietly(r));
  EXPECT_TRUE(WindowAt(TargetWindows(pid)[0].hwnd, Left, Top, Width, Height));
  EXPECT_TRUE(WindowAt(TargetWindows(otherPid)[0].hwnd, 300, 300, 400, 300));
  // Both were opened as candidates; only the path told them apart.
  EXPECT_TRUE(r.HasTrace(ConsideringTrace(other, otherPid))) << r.AllTraces();
  EXPECT_TRUE(r.HasTrace(ConsideringTrace(path, pid))) << r.AllTraces();
}

TEST(PlacementRunning, WindowWithoutSystemMenuIsMovedAlone) {
  ProcessGuard guard;
  std::string path = guard.CopyFixture("target.exe", "bare.exe");
  HWND w = StartLoneTarget(guard, path);
  ASSERT_NE(w, nullptr);

  RunResult r = PlaceAtCoordinates(path);
  ASSERT_TRUE(PlacedQuietly(r));
  EXPECT_TRUE(WindowAt(w, Left, Top, Width, Height));
  EXPECT_TRUE(r.HasTrace("move " + Hex(w) + " didn't fail\r\n")) << r.AllTraces();
  EXPECT_EQ(r.CountTracesStartingWith("better candidate"), 0u);
}

TEST(PlacementRunning, ThreeCandidatesAreCascaded) {
  ProcessGuard guard;
  std::string path = guard.CopyFixture("target.exe", "three.exe");
  DWORD pid = StartTarget(guard, path, 3);
  ASSERT_NE(pid, 0u);

  RunResult r = PlaceAtCoordinates(path);
  ASSERT_TRUE(PlacedQuietly(r));
  ExpectCascaded(TargetWindows(pid), r);
  EXPECT_EQ(r.CountTracesStartingWith("better candidate"), 3u);
}

TEST(PlacementRunning, LargerWindowWithoutSystemMenuStaysAndTheMainWindowComesForward) {
  ProcessGuard guard;
  std::string path = guard.CopyFixture("target.exe", "nosysmenu.exe");
  DWORD pid = StartTarget(guard, path, 2);
  ASSERT_NE(pid, 0u);
  HWND large = nullptr, small = nullptr;
  for (const WindowInfo& w : TargetWindows(pid)) {
    (w.style & WS_SYSMENU ? small : large) = w.hwnd;
  }
  ASSERT_NE(large, nullptr);
  ASSERT_NE(small, nullptr);
  RECT largeBefore;
  GetWindowRect(large, &largeBefore);

  RunResult r = PlaceAtCoordinates(path);
  ASSERT_TRUE(PlacedQuietly(r));
  EXPECT_TRUE(WindowAt(small, Left, Top, Width, Height));
  EXPECT_TRUE(WindowAt(large, largeBefore.left, largeBefore.top,
                       largeBefore.right - largeBefore.left, largeBefore.bottom - largeBefore.top));
  EXPECT_TRUE(r.HasTrace(MovedTrace(small))) << r.AllTraces();
  EXPECT_EQ(r.CountTracesStartingWith("better candidate"), 1u);
  // Activation across processes reaches the window asynchronously under Wine.
  EXPECT_TRUE(WaitUntil([small] { return GetForegroundWindow() == small; }, 5000))
      << GetForegroundWindow();
}

TEST(PlacementRunning, MinimizedWindowIsRestoredAndPlaced) {
  ProcessGuard guard;
  std::string path = guard.CopyFixture("target.exe", "minimized.exe");
  HWND w = StartLoneTarget(guard, path);
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(IsIconic(w));

  RunResult r = PlaceAtCoordinates(path);
  ASSERT_TRUE(PlacedQuietly(r));
  EXPECT_FALSE(IsIconic(w));
  EXPECT_FALSE(IsZoomed(w));
  EXPECT_TRUE(WindowAt(w, Left, Top, Width, Height));
  EXPECT_TRUE(r.HasTrace("window " + Hex(w) + " is minmized, maximizing\r\n")) << r.AllTraces();
  EXPECT_TRUE(r.HasTrace(MovedTrace(w))) << r.AllTraces();
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
  EXPECT_TRUE(r.HasTrace("killing hung process\r\n")) << r.AllTraces();
  EXPECT_TRUE(WaitForProcessExit(old, 5000));
  std::vector<DWORD> now = FindProcessesByPath(path);
  ASSERT_EQ(now.size(), 1u);
  ASSERT_NE(now[0], old);
  std::vector<WindowInfo> windows = TargetWindows(now[0]);
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_TRUE(WindowAt(windows[0].hwnd, Left, Top, Width, Height));
  EXPECT_TRUE(r.HasTrace(MovedTrace(windows[0].hwnd))) << r.AllTraces();
}

TEST(PlacementStart, ProgramIsStartedAndPlaced) {
  ProcessGuard guard;
  // Only the first of its three windows follows the start-up position; the others are where they
  // are because the run moved them.
  std::string path = guard.CopyFixture("target.exe", "three.exe");
  ASSERT_TRUE(FindProcessesByPath(path).empty());

  RunResult r = PlaceAtCoordinates(path);
  ASSERT_TRUE(PlacedQuietly(r));
  EXPECT_TRUE(r.HasTrace(LookupTrace(path))) << r.AllTraces();
  std::vector<DWORD> started = FindProcessesByPath(path);
  ASSERT_EQ(started.size(), 1u);
  ExpectCascaded(TargetWindows(started[0]), r);
  EXPECT_EQ(r.CountTracesStartingWith("better candidate"), 3u);
}

TEST(PlacementStart, WindowShownDuringTheScansIsPlaced) {
  ProcessGuard guard;
  std::string path = guard.CopyFixture("target.exe", "late4.exe");
  RunResult r = PlaceAtCoordinates(path);
  ASSERT_TRUE(PlacedQuietly(r));
  std::vector<DWORD> started = FindProcessesByPath(path);
  ASSERT_EQ(started.size(), 1u);
  std::vector<WindowInfo> windows = TargetWindows(started[0]);
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_TRUE(WindowAt(windows[0].hwnd, Left, Top, Width, Height));
}

TEST(PlacementLimits, WindowThatNeverAppearsIsReportedAfterTwelveScans) {
  FinishedLongRuns runs;
  const std::string& path = runs[0].path;
  std::string line = std::string(Coordinates) + " " + path;
  // Trailing blanks (the table's line tail) are cut from the command and from the line the
  // message shows.
  const RunResult& r = runs[0].r;
  ExpectOneFailure(r, "Didn't find window: " + line + MissingWindowTail);
  EXPECT_TRUE(r.HasTrace(LookupTrace(path))) << r.AllTraces();

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

TEST(PlacementStart, SecondRunWhileTheFirstStartsTheProgramWaitsForItsTurn) {
  ProcessGuard guard;
  std::string path = guard.CopyFixture("target.exe", "late3.exe");
  DebuggedProcess first;
  ASSERT_TRUE(first.Start(BuildFile("tavrisol.exe"), std::string(Coordinates) + " " + path));
  // The second click comes while the program is loading.
  ASSERT_TRUE(WaitUntil([&] { return !FindProcessesByPath(path).empty(); }, 10000));
  RunResult second = RunTavrisol("300,200,500,400 " + path);
  ASSERT_TRUE(PlacedQuietly(second));
  ASSERT_TRUE(first.WaitForExit(20000));
  EXPECT_EQ(first.ExitCode(), 1u);

  std::vector<DWORD> pids = FindProcessesByPath(path);
  ASSERT_EQ(pids.size(), 1u);
  EXPECT_EQ(second.CountTracesStartingWith("killing hung process"), 0u);
  std::vector<WindowInfo> windows = TargetWindows(pids[0]);
  ASSERT_EQ(windows.size(), 1u);
  // Each run moved this very window; the second looked only once the first had placed it, so
  // its move is the last.
  HWND w = windows[0].hwnd;
  std::vector<std::string> firstTraces = first.Traces();
  EXPECT_EQ(std::count(firstTraces.begin(), firstTraces.end(), MovedTrace(w)), 1);
  EXPECT_TRUE(second.HasTrace(MovedTrace(w))) << second.AllTraces();
  EXPECT_TRUE(WindowAt(w, 300, 200, 500, 400));
}

TEST(PlacementStart, WindowShownByAnotherProcessOfTheProgramIsPlaced) {
  // A program that restarts itself through a helper.
  for (bool hold : {false, true}) {
    SCOPED_TRACE(hold ? "with a hold" : "placed once");
    ProcessGuard guard;
    std::string path = guard.CopyFixture("target.exe", "handoverlate1.exe");
    RunResult r = RunTavrisol(std::string(Coordinates) + (hold ? ",4 " : " ") + path);
    ASSERT_TRUE(PlacedQuietly(r));
    std::vector<DWORD> pids = FindProcessesByPath(path);
    ASSERT_EQ(pids.size(), 1u);
    EXPECT_TRUE(r.HasTrace("program handed over to process " + std::to_string(pids[0]) + "\r\n"))
        << r.AllTraces();
    std::vector<WindowInfo> windows = TargetWindows(pids[0]);
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_TRUE(WindowAt(windows[0].hwnd, Left, Top, Width, Height));
    EXPECT_EQ(r.CountTracesStartingWith("holding the placement for 4 seconds"), hold ? 1u : 0u);
  }
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
  EXPECT_EQ(r.CountTracesStartingWith("killing hung process"), 0u);
  EXPECT_TRUE(ProcessIsRunning(old));
  std::vector<DWORD> now = FindProcessesByPath(path);
  ASSERT_EQ(now.size(), 2u);
}

TEST(PlacementStart, ProgramPathWithBlanksIsStartedAndFoundRunning) {
  ProcessGuard guard;
  std::string path = guard.CopyFixture("target.exe", "my target.exe");
  ASSERT_NE(path.find(' '), std::string::npos);
  std::string line = std::string(Coordinates) + " " + path;

  RunResult first = RunTavrisol(line);
  ASSERT_TRUE(PlacedQuietly(first));
  std::vector<DWORD> started = FindProcessesByPath(path);
  ASSERT_EQ(started.size(), 1u);
  std::vector<WindowInfo> windows = TargetWindows(started[0]);
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_TRUE(WindowAt(windows[0].hwnd, Left, Top, Width, Height));

  // The whole path, blanks and all, matches the running program, which is moved, not doubled.
  RunResult second = RunTavrisol("300,200,500,400 " + path);
  ASSERT_TRUE(PlacedQuietly(second));
  EXPECT_EQ(FindProcessesByPath(path), started);
  EXPECT_TRUE(WindowAt(windows[0].hwnd, 300, 200, 500, 400));
}

TEST(PlacementRunning, NegativeLeftAndTopArePassedOn) {
  ProcessGuard guard;
  std::string path = guard.CopyFixture("target.exe", "plain.exe");
  HWND w = StartLoneTarget(guard, path);
  ASSERT_NE(w, nullptr);

  RunResult r = RunTavrisol("-20,-10,640,480 " + path);
  ASSERT_TRUE(PlacedQuietly(r));
  EXPECT_TRUE(WindowAt(w, -20, -10, 640, 480));
}

TEST(PlacementLimits, WindowThatDoesNotAnswerEndsTheRunWithAFailure) {
  // Found running, then started by the run (which waits out the idle timeout once), then found
  // running and answering until the move reaches it: each run ends by itself and leaves the
  // program running, not killed and not doubled, where it was (the started one was shown at its
  // place before it stopped answering).
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
    ExpectOneFailure(r, "Window not responding: " + line);
    std::vector<DWORD> now = FindProcessesByPath(path);
    ASSERT_EQ(now.size(), 1u);
    if (running) {
      EXPECT_EQ(now[0], pid);
    }
    std::vector<WindowInfo> windows = TargetWindows(now[0]);
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_TRUE(running ? WindowAt(windows[0].hwnd, 200, 150, 400, 300)
                        : WindowAt(windows[0].hwnd, Left, Top, Width, Height));
    EXPECT_TRUE(r.HasTrace("window " + Hex(windows[0].hwnd) + " is not responding, left alone\r\n"))
        << r.AllTraces();
    EXPECT_EQ(r.CountTracesStartingWith("killing hung process"), 0u);
  }
}

TEST(PlacementHold, WindowsThatMoveBackOrAppearLateArePlacedOnlyWithAHold) {
  // A program that puts its window back half a second after it is moved (found running), and one
  // that shows a splash for two seconds before its main window (started by the run). Without a
  // fifth number they end where the program wants them; with a hold of four seconds, where the
  // command line says.
  struct Case {
    const char* name;
    bool running;
    RECT own;  // where the program puts its (main) window itself
  } cases[] = {{"moveback.exe", true, {300, 300, 700, 600}},
               {"splash.exe", false, {250, 250, 1050, 850}}};
  for (const Case& c : cases) {
    for (bool hold : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (hold ? " with a hold" : " without a hold"));
      ProcessGuard guard;
      std::string path = guard.CopyFixture("target.exe", c.name);
      if (c.running) {
        ASSERT_NE(StartTarget(guard, path, 1), 0u);
      }
      RunResult r = RunTavrisol(std::string(Coordinates) + (hold ? ",4 " : " ") + path);
      ASSERT_TRUE(PlacedQuietly(r));
      std::vector<DWORD> pids = FindProcessesByPath(path);
      ASSERT_EQ(pids.size(), 1u);
      const RECT& own = c.own;
      const RECT want = {Left, Top, Left + Width, Top + Height};
      const RECT& expected = hold ? want : own;
      // Give the program time for what it does after the run (the hold covered it already).
      HWND main = nullptr;
      bool settled = WaitUntil(
          [&] {
            std::vector<WindowInfo> windows = TargetWindows(pids[0]);
            if (windows.size() != 1 || windows[0].title == "splash") return false;
            main = windows[0].hwnd;
            return EqualRect(&windows[0].rect, &expected) != 0;
          },
          5000);
      EXPECT_TRUE(settled) << (main ? RectText(TargetWindows(pids[0])[0].rect) : "no window")
                           << "\n"
                           << r.AllTraces();
      EXPECT_EQ(r.CountTracesStartingWith("holding the placement for 4 seconds"), hold ? 1u : 0u);
      if (hold && main) {
        std::string done = c.running ? "window " + Hex(main) + " put back\r\n"
                                     : "window " + Hex(main) + " is the new target\r\n";
        EXPECT_TRUE(r.HasTrace(done)) << r.AllTraces();
        EXPECT_TRUE(r.HasTrace("hold ended after 4 seconds\r\n")) << r.AllTraces();
      }
    }
  }
}

TEST(PlacementHold, ANewerRunEndsTheOlderHold) {
  // The first run holds the window for a minute; a second run places it elsewhere with a
  // short hold of its own. The first hold ends at once, and no hold puts the window back.
  ProcessGuard guard;
  std::string path = guard.CopyFixture("target.exe", "plain.exe");
  HWND w = StartLoneTarget(guard, path);
  ASSERT_NE(w, nullptr);
  DebuggedProcess first;
  ASSERT_TRUE(first.Start(BuildFile("tavrisol.exe"), std::string(Coordinates) + ",60 " + path));
  ASSERT_TRUE(first.WaitForTrace("holding the placement for 60 seconds\r\n", 10000));
  EXPECT_TRUE(WindowAt(w, Left, Top, Width, Height));

  RunResult second = RunTavrisol("300,200,500,400,2 " + path);
  ASSERT_TRUE(PlacedQuietly(second));
  ASSERT_TRUE(first.WaitForExit(1000));
  EXPECT_EQ(first.ExitCode(), 1u);
  EXPECT_TRUE(WindowAt(w, 300, 200, 500, 400));
  EXPECT_EQ(second.CountTracesStartingWith("window " + Hex(w) + " put back"), 0u);
}

TEST(PlacementHold, MainWindowBusyWhenItAppearsIsPlacedOnceItAnswers) {
  ProcessGuard guard;
  std::string path = guard.CopyFixture("target.exe", "busysplash.exe");
  ExpectSplashMainPlaced(path, RunTavrisol(std::string(Coordinates) + ",9 " + path));
}

TEST(PlacementWalk, TheProgramIsOneThingWhateverItsShape) {
  ProcessGuard guard;
  // Other spellings of a running program's path find it: no second copy, its window moved.
  std::string path = guard.CopyFixture("target.exe", "Ünïcode földer\\plain.exe");
  ASSERT_FALSE(path.empty());
  HWND w = StartLoneTarget(guard, path);
  ASSERT_NE(w, nullptr);
  const std::vector<DWORD> pids = FindProcessesByPath(path);
  std::string slashed = path, upper = path;
  for (char& c : slashed) c = c == '\\' ? '/' : c;
  wchar_t wide[MAX_PATH];
  MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide, MAX_PATH);
  CharUpperW(wide);  // non-ASCII letters too
  char narrow[MAX_PATH * 3];
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
  upper = narrow;
  char shortPath[MAX_PATH * 3] = "";
  GetShortPathNameA(path.c_str(), shortPath, sizeof shortPath);
  const std::string spellings[] = {slashed, "\\\\?\\" + path, path + ". ", upper, shortPath};
  int step = 0;
  for (const std::string& spelling : spellings) {
    SCOPED_TRACE(spelling);
    ++step;
    RunResult r = RunTavrisol(std::to_string(Left + step) + ",80,640,480 " + spelling);
    ASSERT_TRUE(PlacedQuietly(r));
    EXPECT_EQ(FindProcessesByPath(path), pids);
    EXPECT_TRUE(WindowAt(w, Left + step, Top, Width, Height));
    // A run that has ended leaves no mark on the windows it placed.
    EXPECT_EQ(GetPropA(w, "TavrisolPlacedBy"), nullptr);
  }
  EXPECT_NE(std::string(shortPath), path);

  // Runs of one program take turns, whatever its spelling: a second run while the first one
  // starts the program (a shortcut with arguments as the editor writes it, and a hold) waits for
  // the window, not for a program still starting, places it, and ends the first one's hold.
  std::string twice = guard.CopyFixture("target.exe", "twicelate2.exe");
  std::string twiceUpper = twice;
  for (char& c : twiceUpper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  DebuggedProcess first, second;
  ASSERT_TRUE(first.Start(BuildFile("tavrisol.exe"),
                          std::string(Coordinates) + ",30 \"" + twice + "\" -x"));
  ASSERT_TRUE(first.WaitForTrace(LookupTrace(twice), 10000));
  ASSERT_TRUE(second.Start(BuildFile("tavrisol.exe"), std::string(Coordinates) + " " + twiceUpper));
  ASSERT_TRUE(second.WaitForExit(60000));
  ASSERT_TRUE(first.WaitForExit(10000));
  EXPECT_EQ(first.ExitCode(), 1u);
  EXPECT_EQ(second.ExitCode(), 1u);
  EXPECT_EQ(FindProcessesByPath(twice).size(), 1u);
  for (const std::string& line : second.Traces()) EXPECT_EQ(line.find("still starting"), line.npos);
  EXPECT_TRUE(first.WaitForTrace("hold ended: a newer run took over\r\n", 0));

  // A command with arguments finds the copy running: clicked three times, still one copy, placed
  // each time.
  HWND once = TargetWindows(FindProcessesByPath(twice)[0])[0].hwnd;
  for (int click = 1; click <= 3; ++click) {
    RunResult again = RunTavrisol(std::to_string(Left + click) + ",80,640,480 " + twice + " -x");
    ASSERT_TRUE(PlacedQuietly(again));
    EXPECT_EQ(FindProcessesByPath(twice).size(), 1u);
    EXPECT_TRUE(WindowAt(once, Left + click, Top, Width, Height));
  }
  // A mark counts only while the process that set it lives.
  for (DWORD mark : {FindProcessesByPath(twice)[0], first.Pid()}) {
    SetPropA(once, "TavrisolPlacedBy", reinterpret_cast<HANDLE>(uintptr_t{mark}));
    EXPECT_EQ(PlacedBy(reinterpret_cast<WindowRef>(once)), mark == first.Pid() ? 0u : mark);
  }

  // A splash process that starts the program's main copy and exits hands the hold over.
  std::string splash = guard.CopyFixture("target.exe", "splashcopy.exe");
  RunResult r = RunTavrisol(std::string(Coordinates) + ",5 " + splash);
  DWORD main = ExpectSplashMainPlaced(splash, r);
  EXPECT_TRUE(r.HasTrace("hold follows process " + std::to_string(main) + "\r\n")) << r.AllTraces();
}

// The program's main windows, and only those: a dialog it shows, a program it opens beside its
// own window, a smaller second window under a hold, are all left as they are.
TEST(PlacementWalk, TheProgramsMainWindowsAndOnlyThose) {
  ProcessGuard guard;
  std::string dialog = guard.CopyFixture("target.exe", "dialog.exe");
  DWORD pid = StartTarget(guard, dialog, 1);
  ASSERT_TRUE(WaitUntil([&] { return !FindMessageBoxes(pid).empty(); }, 5000));
  HWND box = FindMessageBoxes(pid)[0];
  RECT boxBefore;
  GetWindowRect(box, &boxBefore);
  RunResult r = PlaceAtCoordinates(dialog);
  ASSERT_TRUE(PlacedQuietly(r));
  EXPECT_TRUE(WindowAt(TargetWindows(pid)[0].hwnd, Left, Top, Width, Height));
  EXPECT_TRUE(WindowAt(box, boxBefore.left, boxBefore.top, boxBefore.right - boxBefore.left,
                       boxBefore.bottom - boxBefore.top));

  // What the program opens beside its own window is not the program's, neither for its hold nor,
  // once the program has ended, for a later click, which starts the program again.
  std::string launcher = guard.CopyFixture("target.exe", "launcherwindow.exe");
  std::string game = launcher.substr(0, launcher.rfind('\\') + 1) + "gamewindow.exe";
  guard.TrackPath(game);
  r = RunTavrisol("100,80,300,200,3 " + launcher);
  ASSERT_TRUE(PlacedQuietly(r));
  ASSERT_EQ(FindProcessesByPath(game).size(), 1u);
  HWND kid = TargetWindows(FindProcessesByPath(game)[0])[0].hwnd;
  EXPECT_FALSE(WindowAt(kid, Left, Top, 300, 200));
  const DWORD first = FindProcessesByPath(launcher)[0];
  PostMessageA(TargetWindows(first)[0].hwnd, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitForProcessExit(first, 5000));
  r = RunTavrisol("100,80,300,200 " + launcher);
  ASSERT_TRUE(PlacedQuietly(r));
  EXPECT_EQ(FindProcessesByPath(launcher).size(), 1u);
  EXPECT_FALSE(WindowAt(kid, Left, Top, 300, 200));

  // A second window smaller than the one the hold placed stays where it shows.
  std::string second = guard.CopyFixture("target.exe", "second.exe");
  pid = StartTarget(guard, second, 1);
  r = RunTavrisol("100,80,900,700,3 " + second);
  ASSERT_TRUE(PlacedQuietly(r));
  std::vector<WindowInfo> windows = TargetWindows(pid);
  ASSERT_EQ(windows.size(), 2u);
  for (const WindowInfo& w : windows)
    EXPECT_TRUE(w.title == "second" ? WindowAt(w.hwnd, 100, 80, 900, 700)
                                    : WindowAt(w.hwnd, 50, 50, 700, 500));
}

namespace {

// The client area of a window in screen coordinates.
}  // namespace

// The README's example on Wine's Notepad comes out at the size asked for, past the system's
// limit, both when started and when found running; fill and fillwork put its client area on the
// monitor and on its work area (the same under Wine, which has no task bar), also when a hold
// puts it back, and cut nothing away on one monitor; a monitor that is not there is refused and
// nothing moves.
TEST(PlacementExact, ReadmeExampleAndFillPlaceNotepadExactly) {
  ProcessGuard guard;
  const std::string notepad = "C:\\windows\\notepad.exe";
  guard.TrackPath(notepad);
  const std::string example = "-8,-32,1936,1119 " + notepad;
  RunResult r = RunTavrisol(example);
  ASSERT_TRUE(PlacedQuietly(r));
  std::vector<DWORD> started = FindProcessesByPath(notepad);
  ASSERT_EQ(started.size(), 1u);
  HWND w = WaitForVisibleWindow(started[0], 5000);
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(WindowAt(w, -8, -32, 1936, 1119));

  MoveWindow(w, 100, 100, 400, 300, TRUE);
  r = RunTavrisol(example);
  ASSERT_TRUE(PlacedQuietly(r));
  EXPECT_TRUE(WindowAt(w, -8, -32, 1936, 1119));
  EXPECT_TRUE(r.HasTrace("window " + Hex(w) + " sized 1936x1119 past the system's limit\r\n"))
      << r.AllTraces();
  EXPECT_EQ(FindProcessesByPath(notepad).size(), 1u);

  MONITORINFO monitor;
  monitor.cbSize = sizeof monitor;
  ASSERT_TRUE(GetMonitorInfoA(MonitorFromWindow(w, MONITOR_DEFAULTTOPRIMARY), &monitor));
  // One monitor: nothing of the window is cut away.
  const struct {
    const char* word;
    RECT area;
  } fills[] = {{"fill", monitor.rcMonitor}, {"fillwork:1", monitor.rcWork}};
  for (const auto& fill : fills) {
    MoveWindow(w, 100, 100, 400, 300, TRUE);
    ASSERT_TRUE(PlacedQuietly(RunTavrisol(std::string(fill.word) + " " + notepad)));
    EXPECT_EQ(RectText(ClientOnScreen(w)), RectText(fill.area)) << fill.word;
    EXPECT_EQ(KeptOnScreen(w), "none") << fill.word;
  }
  // A hold puts it back the same way, past the system's limit again.
  DebuggedProcess held;
  ASSERT_TRUE(held.Start(BuildFile("tavrisol.exe"), "fill,30 " + notepad));
  ASSERT_TRUE(held.WaitForTrace("holding the placement for 30 seconds\r\n", 10000));
  MoveWindow(w, 100, 100, 400, 300, TRUE);
  EXPECT_TRUE(held.WaitForTrace("window " + Hex(w) + " put back\r\n", 5000));
  EXPECT_EQ(RectText(ClientOnScreen(w)), RectText(monitor.rcMonitor));
  EXPECT_EQ(KeptOnScreen(w), "none");
  held.Kill();
  // A menu bar that takes one line less once the window is wider: a second look places it.
  const std::string menus = guard.CopyFixture("target.exe", "menubar.exe");
  const HWND bar = StartLoneTarget(guard, menus);
  ASSERT_TRUE(PlacedQuietly(RunTavrisol("fill " + menus)));
  EXPECT_EQ(RectText(ClientOnScreen(bar)), RectText(monitor.rcMonitor));

  RECT before;
  GetWindowRect(w, &before);
  ExpectOneFailure(RunTavrisol("fill:3 " + notepad),
                   "Monitor 3 not found; monitors here: 1, counted from 1, left to right, then top "
                   "to bottom.\nfill:3 " +
                       notepad);
  EXPECT_TRUE(
      WindowAt(w, before.left, before.top, before.right - before.left, before.bottom - before.top));
}

TEST(PlacementWalk, WhatALauncherStartsIsTheProgram) {
  ProcessGuard guard;
  // A copy of the game that no launcher started, under the same file name, is never taken.
  HWND unrelated = StartLoneTarget(guard, guard.CopyFixture("target.exe", "gamestay.exe"));
  ASSERT_NE(unrelated, nullptr);
  // The launchers copy themselves beside themselves as "game...".
  auto gameOf = [&](const std::string& launcher) {
    std::string game =
        launcher.substr(0, launcher.rfind('\\') + 1) + launcher.substr(launcher.rfind('\\') + 9);
    game.insert(launcher.rfind('\\') + 1, "game");
    guard.TrackPath(game);
    guard.TrackFile(game);
    return game;
  };
  auto windowOf = [&](const std::string& path) -> HWND {
    std::vector<DWORD> pids = FindProcessesByPath(path);
    if (pids.size() != 1) return nullptr;
    std::vector<WindowInfo> windows = TargetWindows(pids[0]);
    return windows.size() == 1 ? windows[0].hwnd : nullptr;
  };

  // A launcher that stays without a window: its game is placed, then found through the launcher
  // by a second click, which kills and starts nothing.
  std::string stay = guard.CopyFixture("target.exe", "launcherstay.exe");
  std::string game = gameOf(stay);
  RunResult r = PlaceAtCoordinates(stay);
  ASSERT_TRUE(PlacedQuietly(r));
  const std::vector<DWORD> launcher = FindProcessesByPath(stay), games = FindProcessesByPath(game);
  ASSERT_EQ(games.size(), 1u);
  EXPECT_TRUE(WindowAt(windowOf(game), Left, Top, Width, Height));
  EXPECT_TRUE(r.HasTrace("process " + std::to_string(games[0]) + " was started by the program\r\n"))
      << r.AllTraces();
  // It was moved as it was made, from the system's event.
  EXPECT_TRUE(r.HasTrace("window " + Hex(windowOf(game)) + " moved as it was made\r\n"));
  r = RunTavrisol("300,200,500,400 " + stay);
  ASSERT_TRUE(PlacedQuietly(r));
  EXPECT_TRUE(WindowAt(windowOf(game), 300, 200, 500, 400));
  EXPECT_EQ(FindProcessesByPath(stay), launcher);
  EXPECT_EQ(FindProcessesByPath(game), games);
  EXPECT_TRUE(WindowAt(unrelated, 300, 300, 400, 300));

  // The same launcher started by the user: the run finds its game through the parent links.
  for (DWORD pid : launcher) KillProcess(pid);
  for (DWORD pid : games) KillProcess(pid);
  ASSERT_NE(StartProcess(stay), 0u);
  ASSERT_TRUE(WaitUntil([&] { return windowOf(game) != nullptr; }, 10000));
  r = PlaceAtCoordinates(stay);
  ASSERT_TRUE(PlacedQuietly(r));
  EXPECT_TRUE(WindowAt(windowOf(game), Left, Top, Width, Height));
  EXPECT_EQ(r.CountTracesStartingWith("killing hung process"), 0u);

  // A launcher that ends 300 ms after starting its game; a second click finds the game in the
  // program's job and starts nothing.
  std::string quit = guard.CopyFixture("target.exe", "launcherquit.exe");
  std::string quitGame = gameOf(quit);
  r = PlaceAtCoordinates(quit);
  ASSERT_TRUE(PlacedQuietly(r));
  EXPECT_TRUE(WindowAt(windowOf(quitGame), Left, Top, Width, Height));
  ASSERT_TRUE(WaitUntil([&] { return FindProcessesByPath(quit).empty(); }, 5000));
  r = RunTavrisol("300,200,500,400 " + quit);
  ASSERT_TRUE(PlacedQuietly(r));
  EXPECT_TRUE(WindowAt(windowOf(quitGame), 300, 200, 500, 400));
  EXPECT_TRUE(FindProcessesByPath(quit).empty());

  // A launcher with a splash that starts the game and ends, with a hold: the splash is placed
  // first, then the game's main window.
  std::string splash = guard.CopyFixture("target.exe", "launchersplash.exe");
  std::string splashGame = gameOf(splash);
  r = RunTavrisol(std::string(Coordinates) + ",6 " + splash);
  ASSERT_TRUE(PlacedQuietly(r));
  HWND main = windowOf(splashGame);
  EXPECT_TRUE(WindowAt(main, Left, Top, Width, Height)) << r.AllTraces();
  EXPECT_TRUE(r.HasTrace("window " + Hex(main) + " is the new target\r\n")) << r.AllTraces();
  EXPECT_EQ(r.CountTracesStartingWith("hold ended: the program has exited"), 0u);

  // A batch file that starts the program.
  std::string plain = guard.CopyFixture("target.exe", "plain.exe");
  std::string batch = plain.substr(0, plain.rfind('\\') + 1) + "start plain.bat";
  guard.TrackFile(batch);
  FILE* file = fopen(batch.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  fprintf(file, "@start \"\" \"%s\"\r\n", plain.c_str());
  fclose(file);
  r = PlaceAtCoordinates(batch);
  ASSERT_TRUE(PlacedQuietly(r));
  EXPECT_TRUE(WindowAt(windowOf(plain), Left, Top, Width, Height));

  // A shortcut given as the command is opened by the shell.
  std::string linked = guard.CopyFixture("target.exe", "linked.exe");
  std::string link = linked + ".lnk";
  guard.TrackFile(link);
  CoInitialize(nullptr);
  ASSERT_TRUE(MakeLink(link, linked, "", "", 0, ""));
  CoUninitialize();
  r = PlaceAtCoordinates(link);
  EXPECT_EQ(r.exitCode, 1u) << r.AllTraces();
  EXPECT_TRUE(r.boxes.empty()) << r.boxes[0].caption << ": " << r.boxes[0].text;
  EXPECT_TRUE(WindowAt(windowOf(linked), Left, Top, Width, Height)) << r.AllTraces();
}

namespace {

// What a "log" copy of the fixture wrote each time its window was shown, moved or sized while
// visible: the window's rectangle, whether the companion library was in it then, or its health
// ("faults/stray": access violations, a window procedure in no module).
enum LogField { Rect = 1, Library, Health };
std::vector<std::string> Logged(const std::string& path, LogField field = Rect) {
  std::ifstream log(path + ".log");
  std::vector<std::string> lines;
  for (std::string fields[4]; log >> fields[0] >> fields[1] >> fields[2] >> fields[3];)
    lines.push_back(fields[field]);
  return lines;
}

// Whether the library stays in the program after the run, once the system has let go of what it
// loaded for the hooks (the fixture does as Windows would; Wine never does) and a new window was
// made there: its window, moved, says. The library leaves on a thread of its own, so it is asked a
// few times.
std::string LibraryLeft(const std::string& path, HWND window) {
  SendMessageA(window, WM_APP + 3, 0, 0);
  std::string answer = "no line";
  for (int tries = 0; tries < 10 && answer != "0"; ++tries) {
    const size_t before = Logged(path).size();
    MoveWindow(window, 200 + tries, 200, 500, 400, TRUE);
    WaitUntil([&] { return Logged(path).size() > before; }, 5000);
    std::vector<std::string> loaded = Logged(path, Library);
    answer = loaded.size() > before ? loaded.back() : "no line";
    if (answer != "0") Sleep(100);
  }
  return answer;
}

}  // namespace

// A started program, 64- or 32-bit, whether its window takes the position of the start or one of
// its own, is shown at its rectangle and nowhere else, past the system's size limit too, and the
// companion library does not stay in it; the same for a fill, and after an exact move of the
// running program.
TEST(PlacementWalk, AStartedWindowIsShownOnlyAtItsPlace) {
  ProcessGuard guard;
  auto copy = [&](const char* fixture, const char* name) {
    std::string path = guard.CopyFixture(fixture, name);
    guard.TrackFile(path + ".log");
    // A console copy loads its slow-starting library from beside itself.
    if (strstr(fixture, "console"))
      guard.CopyBeside(path, strstr(fixture, "32") ? "slowstart32.dll" : "slowstart.dll");
    return path;
  };
  struct {
    const char* fixture;
    const char* name;
  } programs[] = {{"target.exe", "log.exe"},
                  {"target.exe", "logown.exe"},
                  {"target32.exe", "log32.exe"},
                  {"target32.exe", "log32own.exe"}};
  for (const auto& program : programs) {
    const std::string path = copy(program.fixture, program.name);
    ASSERT_TRUE(PlacedQuietly(RunTavrisol("-8,-32,1936,1119 " + path)));
    const std::vector<std::string> rects = Logged(path);
    ASSERT_FALSE(rects.empty()) << program.name;
    EXPECT_EQ(rects, std::vector<std::string>(rects.size(), "-8,-32,1928,1087")) << program.name;
    std::vector<DWORD> pids = FindProcessesByPath(path);
    ASSERT_EQ(pids.size(), 1u);
    EXPECT_EQ(Logged(path, Library)[0], "1");  // it was placed from within
    HWND window = TargetWindows(pids[0])[0].hwnd;
    EXPECT_EQ(LibraryLeft(path, window), "0") << program.name;
    // Found running, moved past the limit: through the 32-bit host for a 32-bit program.
    ASSERT_TRUE(PlacedQuietly(RunTavrisol("-8,-32,1936,1119 " + path)));
    EXPECT_TRUE(WindowAt(window, -8, -32, 1936, 1119)) << program.name;
    EXPECT_EQ(Logged(path, Library).back(), "1");  // the size hook's
    EXPECT_EQ(LibraryLeft(path, window), "0") << program.name;
  }

  const std::string fill = copy("target.exe", "logownfill.exe");
  ASSERT_TRUE(PlacedQuietly(RunTavrisol("fill " + fill)));
  std::vector<DWORD> pids = FindProcessesByPath(fill);
  ASSERT_EQ(pids.size(), 1u);
  HWND window = TargetWindows(pids[0])[0].hwnd;
  // The inside covers the monitor: the frame (4 pixels) and the title bar (19) lie beyond it.
  const char FilledFrame[] = "-4,-23,1924,1084";
  EXPECT_EQ(RectText(ClientOnScreen(window)), "(0,0 1920x1080)");
  EXPECT_EQ(Logged(fill), std::vector<std::string>{FilledFrame});
  EXPECT_EQ(LibraryLeft(fill, window), "0");

  // Programs shaped like real ones come to no harm: a window made hidden, then busy when the run
  // lets go; a loop of its own within WM_CREATE; a window of a second thread; a second main window
  // shown at once, which the library leaves alone; a console program whose start-up takes 3 s
  // before its own code runs. Where the library's code may still run, it stays, pinned.
  struct {
    const char* fixture;
    const char* name;
    const char* stays;  // LibraryLeft's answer
  } shapes[] = {{"target.exe", "loghiddenbusy.exe", "0"},
                {"target32.exe", "log32hiddenbusy.exe", "0"},
                {"target.exe", "logcreateloop.exe", "0"},
                {"target.exe", "logworker.exe", "0"},
                {"target32.exe", "log32worker.exe", "0"},
                {"target.exe", "logsecondnow.exe", "0"},
                {"target.exe", "logsubclass.exe", "1"},
                {"target32.exe", "log32subclass.exe", "1"},
                {"targetconsole.exe", "logconsole.exe", "0"},
                {"target32console.exe", "log32console.exe", "0"}};
  std::vector<std::string> rects;
  for (const auto& shape : shapes) {
    const std::string path = copy(shape.fixture, shape.name);
    ASSERT_TRUE(PlacedQuietly(PlaceAtCoordinates(path))) << shape.name;
    const bool second = strstr(shape.name, "second") != nullptr;
    WaitUntil(
        [&] {
          rects = Logged(path);
          return second ? std::count(rects.begin(), rects.end(), "50,50,750,550") > 0
                        : !rects.empty();
        },
        3000);
    // The second main window is shown at its own place (the run may cascade it later).
    if (second) {
      EXPECT_EQ(std::count(rects.begin(), rects.end(), "50,50,750,550"), 1);
    } else {
      EXPECT_EQ(rects, std::vector<std::string>(rects.size(), "100,80,740,560")) << shape.name;
    }
    const std::vector<std::string> health = Logged(path, Health);
    EXPECT_EQ(health, std::vector<std::string>(health.size(), "0/0")) << shape.name;
    std::vector<DWORD> pids = FindProcessesByPath(path);
    ASSERT_EQ(pids.size(), 1u) << shape.name;
    std::vector<HWND> placed;
    for (const WindowInfo& info : TargetWindows(pids[0]))
      if (WindowAt(info.hwnd, Left, Top, Width, Height)) placed.push_back(info.hwnd);
    ASSERT_EQ(placed.size(), 1u) << shape.name;
    EXPECT_EQ(LibraryLeft(path, placed[0]), shape.stays) << shape.name;
  }

  // A first window still hidden when the run places another is the program's again, shown where
  // the program puts it, and the library leaves.
  const std::string first = copy("target.exe", "loghiddenfirst.exe");
  ASSERT_TRUE(PlacedQuietly(PlaceAtCoordinates(first)));
  HWND hidden = FindWindowA("TavrisolTarget", "hidden first");
  ShowWindow(hidden, SW_SHOWNOACTIVATE);
  EXPECT_TRUE(WaitUntil(
      [&] { return !(rects = Logged(first)).empty() && rects.back() == "50,50,750,550"; }, 3000));
  EXPECT_EQ(LibraryLeft(first, hidden), "0");

  // A stub that starts the program and waits for it without reading messages destroys its window
  // unharmed once the program ends.
  const std::string stub = copy("target.exe", "logstub.exe");
  ASSERT_TRUE(PlacedQuietly(PlaceAtCoordinates(stub)));
  for (DWORD pid : FindProcessesByPath(stub))
    for (const WindowInfo& info : TargetWindows(pid)) PostMessageA(info.hwnd, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return FindProcessesByPath(stub).empty(); }, 5000));
  ASSERT_FALSE(Logged(stub).empty());
  EXPECT_EQ(Logged(stub).back(), "0,0,0,0");  // the stub's own line
  EXPECT_EQ(Logged(stub, Health).back(), "0/0");

  // A window of a thread unaware of the screen's scale is placed in its own view, which at 100 %
  // is the screen's (the desk test sees it at 150 %).
  const std::string unaware = copy("target.exe", "logunaware.exe");
  ASSERT_TRUE(PlacedQuietly(RunTavrisol("150,90,600,480 " + unaware)));
  rects = Logged(unaware);
  ASSERT_FALSE(rects.empty());
  EXPECT_EQ(rects, std::vector<std::string>(rects.size(), "150,90,750,570"));

  // A launcher's game, whose window is moved as it is made, filled too from its own frame: its log
  // shows it at most once elsewhere, as it is shown, then at its place (a fill within the system's
  // size limit first, past it once the run places).
  for (const std::string how : {"100,80,640,480", "fill"}) {
    const std::string launcher =
        copy("target.exe", how == "fill" ? "loglauncherstayfill.exe" : "loglauncherstay.exe");
    const std::string game = launcher.substr(0, launcher.rfind('\\') + 4) + "game" +
                             launcher.substr(launcher.rfind('\\') + 12);
    guard.TrackPath(game);
    guard.TrackFile(game);
    guard.TrackFile(game + ".log");
    const RunResult r = RunTavrisol(how + " " + launcher);
    ASSERT_TRUE(PlacedQuietly(r));
    pids = FindProcessesByPath(game);
    ASSERT_EQ(pids.size(), 1u);
    window = TargetWindows(pids[0])[0].hwnd;
    EXPECT_TRUE(r.HasTrace("window " + Hex(window) + " moved as it was made\r\n")) << how;
    if (how == "fill")
      EXPECT_EQ(RectText(ClientOnScreen(window)), "(0,0 1920x1080)");
    else
      EXPECT_TRUE(WindowAt(window, Left, Top, Width, Height));
    rects = Logged(game);
    ASSERT_FALSE(rects.empty()) << how;
    EXPECT_EQ(rects.back(), how == "fill" ? FilledFrame : "100,80,740,560") << how;
    EXPECT_LE(rects.size(), how == "fill" ? 3u : 2u) << how;
  }

  // A stub that starts the real program through the shell and ends: the program's window is
  // shown only at its place.
  const std::string shellStub = copy("target.exe", "logshelllauncher.exe");
  std::string shellGame = shellStub;
  shellGame.replace(shellGame.rfind("launcher"), 8, "game");
  guard.TrackPath(shellGame);
  guard.TrackFile(shellGame);
  guard.TrackFile(shellGame + ".log");
  ASSERT_TRUE(PlacedQuietly(PlaceAtCoordinates(shellStub)));
  rects = Logged(shellGame);
  ASSERT_FALSE(rects.empty());
  EXPECT_EQ(rects, std::vector<std::string>(rects.size(), "100,80,740,560"));

  // One that moves its window back as it finishes starting has it put back within the run.
  const std::string back = copy("target.exe", "logmovebacksoon.exe");
  const RunResult run = PlaceAtCoordinates(back);
  ASSERT_TRUE(PlacedQuietly(run));
  EXPECT_TRUE(WaitUntil(
      [&] {
        rects = Logged(back);
        return std::count(rects.begin(), rects.end(), "300,300,700,600") == 1;
      },
      2000));
  ASSERT_FALSE(rects.empty());
  EXPECT_EQ(rects.front(), "100,80,740,560");
  EXPECT_EQ(rects.back(), "100,80,740,560") << run.AllTraces();

  // Armed and finished from this process as the run does: the run's own copy of the library and
  // the block go with the end.
  const std::string armed = copy("target.exe", "logownarmed.exe");
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info;
  EarlyPlacing placing;
  PrepareEarlyPlacement(&placing);
  // A copy just made has once failed to start (cause unknown): it is tried again, and said.
  bool created = false;
  for (int tries = 0; tries < 5 && !created; ++tries) {
    created = CreateProcessA(armed.c_str(), nullptr, nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                             nullptr, nullptr, &startup, &info) != FALSE;
    if (!created) printf("CreateProcess of a fresh copy failed: %lu\n", GetLastError());
    if (!created) Sleep(200);
  }
  ASSERT_TRUE(created);
  guard.Track(info.dwProcessId);
  PlacementRequest request = {Left, Top, Width, Height, nullptr, 0};
  ArmEarlyPlacement(request, reinterpret_cast<uintptr_t>(info.hProcess), info.dwProcessId,
                    info.dwThreadId, 0, &placing);
  ASSERT_TRUE(ResumeStarted(reinterpret_cast<uintptr_t>(info.hThread), &placing));
  EXPECT_TRUE(
      AwaitEarlyPlacement(&placing, reinterpret_cast<uintptr_t>(info.hProcess), 1000, 10000));
  EXPECT_TRUE(EndEarlyPlacement(&placing));
  EXPECT_EQ(GetModuleHandleA("tavrisolhelper.dll"), nullptr);
  char block[EarlyNameSize];
  EarlyObjectName(EarlyBlockName, info.dwProcessId, block, sizeof block);
  EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, block), nullptr);
  EXPECT_EQ(Logged(armed), std::vector<std::string>{"100,80,740,560"});
  EXPECT_EQ(LibraryLeft(armed, TargetWindows(info.dwProcessId)[0].hwnd), "0");
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);

  // A run killed while its program is still suspended leaves a program that runs on. The kill
  // lands there when the program's main thread is found suspended just before it.
  const char* name = "log32killed.exe";  // a 32-bit program waits longest, for its hook host
  const std::string killed = copy("target32.exe", name);
  bool suspendedAtKill = false;
  for (int tries = 0; tries < 3 && !suspendedAtKill; ++tries) {
    const DWORD run =
        StartProcess(BuildFile("tavrisol.exe"), std::string(Coordinates) + " " + killed);
    // Looked for without a pause: the program waits suspended for some 40 ms.
    for (const DWORD since = GetTickCount(); GetTickCount() - since < 10000;) {
      HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD | TH32CS_SNAPPROCESS, 0);
      PROCESSENTRY32 process = {};
      process.dwSize = sizeof process;
      DWORD id = 0;
      for (BOOL more = Process32First(snapshot, &process); more && !id;
           more = Process32Next(snapshot, &process))
        if (process.th32ParentProcessID == run && _stricmp(process.szExeFile, name) == 0)
          id = process.th32ProcessID;
      THREADENTRY32 thread = {};
      thread.dwSize = sizeof thread;
      for (BOOL more = Thread32First(snapshot, &thread); more && id;
           more = Thread32Next(snapshot, &thread)) {
        HANDLE opened = thread.th32OwnerProcessID == id
                            ? OpenThread(THREAD_SUSPEND_RESUME, FALSE, thread.th32ThreadID)
                            : nullptr;
        if (!opened) continue;
        const DWORD count = SuspendThread(opened);
        suspendedAtKill = count != ~DWORD{0} && count > 0;
        ResumeThread(opened);
        KillProcess(run);
        CloseHandle(opened);
        break;
      }
      CloseHandle(snapshot);
      if (id != 0) break;
    }
    KillProcess(run);
    if (!suspendedAtKill)
      for (DWORD pid : FindProcessesByPath(killed)) KillProcess(pid);
  }
  ASSERT_TRUE(suspendedAtKill);
  EXPECT_TRUE(WaitUntil([&] { return (pids = FindProcessesByPath(killed)).size() == 1; }, 5000));
  ASSERT_EQ(pids.size(), 1u);
  EXPECT_NE(WaitForVisibleWindow(pids[0], 10000), nullptr);
}

namespace {

// A console program that ends at once, started suspended; parent, when given, is named as its
// parent.
PROCESS_INFORMATION StartSuspended(HANDLE parent = nullptr) {
  SIZE_T size = 0;
  InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
  std::vector<char> attributes(size);
  auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributes.data());
  InitializeProcThreadAttributeList(list, 1, 0, &size);
  UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_PARENT_PROCESS, &parent, sizeof parent,
                            nullptr, nullptr);
  STARTUPINFOEXA startup = {};
  startup.StartupInfo.cb = sizeof startup;
  startup.lpAttributeList = list;
  char line[] = "cmd.exe /c exit";
  PROCESS_INFORMATION info = {};
  CreateProcessA(nullptr, line, nullptr, nullptr, FALSE,
                 CREATE_SUSPENDED | CREATE_NO_WINDOW | (parent ? EXTENDED_STARTUPINFO_PRESENT : 0),
                 nullptr, nullptr, &startup.StartupInfo, &info);
  DeleteProcThreadAttributeList(list);
  return info;
}

void EndStarted(const PROCESS_INFORMATION& info) {
  TerminateProcess(info.hProcess, 0);
  WaitForSingleObject(info.hProcess, 5000);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
}

}  // namespace

// A run that dies before it lets its program run leaves that to its hook host, which resumes
// the run's children. The run's id may have been another process's: what that one left
// suspended names the run as its parent too, began before it, and is left alone.
TEST(PlacementHookHost, ResumesWhatTheRunStartedNotWhatAnEarlierOwnerOfItsIdLeft) {
  const PROCESS_INFORMATION earlier = StartSuspended();
  const PROCESS_INFORMATION left = StartSuspended(earlier.hProcess);
  const DWORD id = earlier.dwProcessId;
  EndStarted(earlier);
  // The system passes an id on once many others were let go: a process a try.
  PROCESS_INFORMATION run = {};
  for (const DWORD since = GetTickCount();
       run.dwProcessId != id && GetTickCount() - since < 60000;) {
    if (run.hProcess != nullptr) EndStarted(run);
    run = StartSuspended();
  }
  if (run.dwProcessId != id) {
    EndStarted(run);
    EndStarted(left);
    GTEST_SKIP() << "no process was given the id of an ended one within a minute";
  }
  const PROCESS_INFORMATION started = StartSuspended(run.hProcess);
  // Without the run's start block, the host resumes what the run left at once.
  const DWORD host = StartProcess(BuildFile("tavrisolhook32.exe"), std::to_string(id));
  ASSERT_NE(host, 0u);
  EXPECT_TRUE(WaitForProcessExit(host, 20000));
  EXPECT_EQ(WaitForSingleObject(started.hProcess, 10000), WAIT_OBJECT_0);  // it ran, and ended
  EXPECT_EQ(SuspendThread(left.hThread), 1u);
  for (const PROCESS_INFORMATION& info : {left, started, run}) EndStarted(info);
}

// The command's windows: its program with its arguments, what a start of it opens in a running
// copy, the program started exactly as named, a hold that follows once its window is gone.
TEST(PlacementWalk, TheCommandsWindowsAreThoseOfItsProgramWithItsArguments) {
  ProcessGuard guard;
  // A tray program shows no window; it is clicked last, once past the start's allowance.
  std::string tray = guard.CopyFixture("target.exe", "tray.exe");
  const DWORD trayStartedAt = GetTickCount();
  const DWORD trayPid = StartTarget(guard, tray, 0);
  ASSERT_NE(trayPid, 0u);

  // Two documents side by side, each clicked twice (a.txt quoted the second time, which the
  // program receives alike), beside a copy started by hand: a copy for each document at its own
  // place, the hand's window left where it was.
  std::string doc = guard.CopyFixture("target.exe", "doc.exe");
  const HWND byHand = StartLoneTarget(guard, doc);
  for (int click = 0; click < 4; ++click)
    ASSERT_TRUE(PlacedQuietly(RunTavrisol(click % 2   ? "960,40,900,700 " + doc + " b.txt"
                                          : click > 0 ? "0,0,900,700 " + doc + " \"a.txt\""
                                                      : "0,0,900,700 " + doc + " a.txt")));
  ASSERT_EQ(FindProcessesByPath(doc).size(), 3u);
  for (DWORD pid : FindProcessesByPath(doc)) {
    const WindowInfo w = TargetWindows(pid).at(0);
    EXPECT_TRUE(w.title == "a.txt"   ? WindowAt(w.hwnd, 0, 0, 900, 700)
                : w.title == "b.txt" ? WindowAt(w.hwnd, 960, 40, 900, 700)
                                     : WindowAt(byHand, 300, 300, 400, 300))
        << w.title;
  }

  // A running single instance given two requests, each clicked twice: the window it opens for
  // each is placed, its main window is left alone.
  std::string single = guard.CopyFixture("target.exe", "single.exe");
  const DWORD instance = StartTarget(guard, single, 1);
  const HWND main = TargetWindows(instance).at(0).hwnd;
  for (int click = 0; click < 4; ++click) {
    const std::string request = click % 2 ? "two" : "one";
    const int left = 100 + 40 * click;
    const char* hold = click == 3 ? ",2 " : " ";  // held: the hold keeps the request's window
    RunResult r = RunTavrisol(std::to_string(left) + ",80,640,480" + hold + single + " " + request);
    ASSERT_TRUE(PlacedQuietly(r));
    size_t placed = 0;
    for (const WindowInfo& w : TargetWindows(instance))
      placed += w.title == request && WindowAt(w.hwnd, left, Top, Width, Height);
    EXPECT_EQ(placed, 1u) << request << "\n" << r.AllTraces();
  }
  EXPECT_EQ(TargetWindows(instance).size(), 3u);
  EXPECT_TRUE(WindowAt(main, 300, 300, 400, 300));
  // A request it shows in the main window in place (a document opened as a tab): that window is.
  ASSERT_TRUE(PlacedQuietly(RunTavrisol("700,100,640,480 " + single + " tab b.pdf")));
  EXPECT_TRUE(WindowAt(main, 700, 100, 640, 480));
  EXPECT_EQ(TargetWindows(instance).size(), 3u);

  // A hold over a splash that is a main window and hands over to a copy: the copy's main window
  // is placed once the splash is gone, although it is smaller than the place.
  std::string splash = guard.CopyFixture("target.exe", "mainsplashcopy.exe");
  ASSERT_TRUE(PlacedQuietly(RunTavrisol("100,80,900,700,5 " + splash)));
  ASSERT_EQ(FindProcessesByPath(splash).size(), 1u);
  const WindowInfo after = TargetWindows(FindProcessesByPath(splash)[0]).at(0);
  EXPECT_EQ(after.title, "splash main");
  EXPECT_TRUE(WindowAt(after.hwnd, 100, 80, 900, 700));

  // An unquoted path with a blank starts that program, never one planted at the first blank.
  std::string spaced = guard.CopyFixture("target.exe", "my app\\plain.exe");
  const std::string planted = spaced.substr(0, spaced.rfind("my app\\")) + "my.exe";
  ASSERT_TRUE(CopyFileA(BuildFile("target.exe").c_str(), planted.c_str(), FALSE));
  guard.TrackPath(planted);
  guard.TrackFile(planted);
  ASSERT_TRUE(PlacedQuietly(PlaceAtCoordinates(spaced + " -x")));
  EXPECT_TRUE(FindProcessesByPath(planted).empty());
  ASSERT_EQ(FindProcessesByPath(spaced).size(), 1u);
  EXPECT_TRUE(
      WindowAt(TargetWindows(FindProcessesByPath(spaced)[0]).at(0).hwnd, Left, Top, Width, Height));

  // A bare name is the file a start would run (here the one beside tavrisol.exe), found again
  // when clicked twice; one that is not there is named as missing.
  guard.TrackPath(BuildFile("target.exe"));
  for (int click = 0; click < 2; ++click)
    ASSERT_TRUE(PlacedQuietly(PlaceAtCoordinates("target.exe -x")));
  EXPECT_EQ(FindProcessesByPath(BuildFile("target.exe")).size(), 1u);
  EXPECT_EQ(PlaceAtCoordinates("nosuch.exe -x").boxes.at(0).text.find("Program not found.\n"), 0u);

  // The tray program, past the start's allowance and busy for a while: the start shows its
  // window, which is placed, and it is never ended.
  WaitUntilNoLongerStarting(trayStartedAt);
  PostMessageA(TargetWindows(trayPid, false).at(0).hwnd, WM_APP + 4, 12000, 0);
  Sleep(5500);  // past the time after which the system calls a thread that reads nothing hung
  RunResult r = PlaceAtCoordinates(tray);
  ASSERT_TRUE(PlacedQuietly(r));
  EXPECT_EQ(r.CountTracesStartingWith("killing hung process"), 0u);
  EXPECT_EQ(FindProcessesByPath(tray), std::vector<DWORD>{trayPid});
  EXPECT_TRUE(WindowAt(TargetWindows(trayPid).at(0).hwnd, Left, Top, Width, Height));
}

// A window that takes whole cells of 8x16 only, as a console: a rectangle gives it the nearest
// size it accepts in two moves at most, a fill the next size up, cut to the monitor only under a
// hold, which puts it back so and leaves it; each run placed it (exit 1).
TEST(PlacementExact, AWindowWithASizeGridGetsTheNearestSizeItAccepts) {
  ProcessGuard guard;
  const std::string path = guard.CopyFixture("target.exe", "loggrid.exe");
  guard.TrackFile(path + ".log");
  const HWND w = StartLoneTarget(guard, path);
  auto moves = [&] {
    std::vector<std::string> lines = Logged(path);
    return std::unique(lines.begin(), lines.end()) - lines.begin();
  };
  ASSERT_TRUE(PlacedQuietly(RunTavrisol("100,80,645,497 " + path)));  // 79.6x29.4 cells
  EXPECT_TRUE(WindowAt(w, 100, 80, 648, 491));
  EXPECT_LE(moves(), 3) << ::testing::PrintToString(Logged(path));  // shown, two moves
  ASSERT_TRUE(PlacedQuietly(RunTavrisol("fill " + path)));
  EXPECT_EQ(KeptOnScreen(w), "none");
  DebuggedProcess held;
  ASSERT_TRUE(held.Start(BuildFile("tavrisol.exe"), "fill,3 " + path));
  ASSERT_TRUE(held.WaitForTrace("holding the placement for 3 seconds\r\n", 10000));
  MoveWindow(w, 100, 100, 400, 300, TRUE);
  ASSERT_TRUE(held.WaitForTrace("window " + Hex(w) + " put back\r\n", 5000));
  EXPECT_EQ(RectText(ClientOnScreen(w)), "(0,0 1920x1088)");
  EXPECT_EQ(KeptOnScreen(w), "(0,0 1920x1080)");
  const auto before = moves();
  ASSERT_TRUE(held.WaitForExit(10000));
  EXPECT_EQ(held.ExitCode(), 1u);
  EXPECT_EQ(moves(), before);
}
