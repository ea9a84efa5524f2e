// Checks of the shared test harness itself, against the target fixture, so that the end-to-end
// tests can trust what it reports.
#include "harness.h"

using namespace harness;

namespace {

bool RectIs(const RECT& r, int left, int top, int width, int height) {
  return r.left == left && r.top == top && r.right - r.left == width && r.bottom - r.top == height;
}

}  // namespace

TEST(Harness, RunToEndCollectsTracesBoxesAndExitCode) {
  ProcessGuard guard;
  std::string talk = guard.CopyFixture("target.exe", "talk.exe");
  ASSERT_FALSE(talk.empty());
  RunOptions options;
  options.timeoutMs = 30000;
  RunResult r = RunToEnd(talk, "", options);
  ASSERT_TRUE(r.started);
  EXPECT_TRUE(r.exited);
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitCode, 7u);
  EXPECT_TRUE(r.HasTrace("talk 1\r\n")) << r.AllTraces();
  EXPECT_TRUE(r.HasTrace("talk 2 no line end")) << r.AllTraces();
  EXPECT_TRUE(r.HasTrace("talk 3\r\n")) << r.AllTraces();
  EXPECT_EQ(r.CountTracesStartingWith("talk "), 3u) << r.AllTraces();
  ASSERT_EQ(r.boxes.size(), 2u);
  EXPECT_EQ(r.boxes[0].caption, "Failure");
  EXPECT_EQ(r.boxes[0].text, "first box\nsecond line");
  EXPECT_EQ(r.boxes[1].caption, "Success");
  EXPECT_EQ(r.boxes[1].text, "second box");
}

TEST(Harness, RunToEndKillsAtTheDeadline) {
  ProcessGuard guard;
  std::string never = guard.CopyFixture("target.exe", "never.exe");
  RunOptions options;
  options.timeoutMs = 2000;
  DWORD start = GetTickCount();
  RunResult r = RunToEnd(never, "", options);
  ASSERT_TRUE(r.started);
  EXPECT_TRUE(r.timedOut);
  EXPECT_LT(GetTickCount() - start, 15000u);
  EXPECT_TRUE(WaitForProcessExit(r.pid, 5000));
}

TEST(Harness, RunToEndReportsAFailedStart) {
  RunResult r = RunToEnd("C:\\no\\such\\program.exe", "");
  EXPECT_FALSE(r.started);
  EXPECT_NE(r.startError, 0u);
}

TEST(Harness, BoxesCanBeReadAndDismissedFromOutside) {
  ProcessGuard guard;
  std::string talk = guard.CopyFixture("target.exe", "talk.exe");
  DebuggedProcess p;
  ASSERT_TRUE(p.Start(talk, ""));
  EXPECT_TRUE(p.WaitForTrace("talk 1\r\n", 10000));
  HWND box = WaitForMessageBox(p.Pid(), 10000);
  ASSERT_NE(box, nullptr);
  MessageBoxInfo info;
  ASSERT_TRUE(ReadMessageBox(box, &info));
  EXPECT_EQ(info.caption, "Failure");
  EXPECT_EQ(info.text, "first box\nsecond line");
  EXPECT_FALSE(p.WaitForTrace("talk 3\r\n", 300));  // still held by the first box
  ASSERT_TRUE(DismissMessageBox(box));
  EXPECT_TRUE(p.WaitForTrace("talk 3\r\n", 10000));
  HWND second = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] {
        second = WaitForMessageBox(p.Pid(), 100);
        return second != nullptr && second != box;
      },
      10000));
  ASSERT_TRUE(DismissMessageBox(second));
  ASSERT_TRUE(p.WaitForExit(10000));
  EXPECT_EQ(p.ExitCode(), 7u);
}

TEST(Harness, KillEndsADebuggedProgram) {
  ProcessGuard guard;
  std::string never = guard.CopyFixture("target.exe", "never.exe");
  DebuggedProcess p;
  ASSERT_TRUE(p.Start(never, ""));
  DWORD pid = p.Pid();
  EXPECT_FALSE(p.WaitForExit(500));
  EXPECT_TRUE(ProcessIsRunning(pid));
  p.Kill();
  EXPECT_TRUE(p.Exited());
  EXPECT_TRUE(WaitForProcessExit(pid, 5000));
}

TEST(Harness, FixtureHonoursStartupGeometryAndIsFoundByPath) {
  ProcessGuard guard;
  std::string target = guard.CopyFixture("target.exe", "plain.exe");
  ASSERT_FALSE(target.empty());
  DWORD pid = StartProcessAt(target, 120, 90, 500, 400);
  ASSERT_NE(pid, 0u);
  HWND w = WaitForVisibleWindow(pid, 10000);
  ASSERT_NE(w, nullptr);
  RECT r;
  GetWindowRect(w, &r);
  EXPECT_TRUE(RectIs(r, 120, 90, 500, 400))
      << r.left << "," << r.top << " " << r.right << "," << r.bottom;
  EXPECT_EQ(ModulePathOf(pid), target);
  std::vector<DWORD> found = FindProcessesByPath(target);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0], pid);

  // The guard finds it by path and ends it, and deletes the copy.
  guard.CleanUp();
  EXPECT_FALSE(ProcessIsRunning(pid));
  EXPECT_EQ(GetFileAttributesA(target.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(Harness, FixtureWindowSetsFollowTheName) {
  ProcessGuard guard;
  struct Case {
    const char* name;
    int visible;
    int visibleWithSysMenu;
    int invisible;
  } cases[] = {{"three.exe", 3, 3, 0},
               {"nosysmenu.exe", 2, 1, 0},
               {"invisible.exe", 0, 0, 2},
               {"bare.exe", 1, 0, 0},
               {"other.exe", 1, 1, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string exe = guard.CopyFixture("target.exe", c.name);
    DWORD pid = StartProcess(exe);
    guard.Track(pid);
    ASSERT_NE(pid, 0u);
    int visible = 0, sysMenu = 0, invisible = 0;
    WaitUntil(
        [&] {
          visible = sysMenu = invisible = 0;
          for (const WindowInfo& w : TopLevelWindows(pid)) {
            if (w.className != "TavrisolTarget") continue;
            if (w.Visible()) {
              ++visible;
              if (w.style & WS_SYSMENU) ++sysMenu;
            } else {
              ++invisible;
            }
          }
          return visible == c.visible && invisible == c.invisible;
        },
        10000);
    EXPECT_EQ(visible, c.visible);
    EXPECT_EQ(sysMenu, c.visibleWithSysMenu);
    EXPECT_EQ(invisible, c.invisible);
  }
}

TEST(Harness, MinimizedAndLateFixtures) {
  ProcessGuard guard;
  DWORD minimized = StartProcess(guard.CopyFixture("target.exe", "minimized.exe"));
  DWORD late = StartProcess(guard.CopyFixture("target.exe", "late2.exe"));
  ASSERT_NE(minimized, 0u);
  ASSERT_NE(late, 0u);
  HWND w = WaitForVisibleWindow(minimized, 10000);
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(IsIconic(w));
  EXPECT_EQ(WaitForVisibleWindow(late, 1000), nullptr);
  EXPECT_NE(WaitForVisibleWindow(late, 10000), nullptr);
}

TEST(Harness, FixtureEndsOnClose) {
  ProcessGuard guard;
  DWORD pid = StartProcess(guard.CopyFixture("target.exe", "plain.exe"));
  HWND w = WaitForVisibleWindow(pid, 10000);
  ASSERT_NE(w, nullptr);
  PostMessageA(w, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitForProcessExit(pid, 10000));
}
