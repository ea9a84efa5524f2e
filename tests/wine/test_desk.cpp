// The placement on a desk of two monitors, as scripts/desk.sh sets it up: monitor 1 at
// -1920,0 (1920x1080), left of the primary, monitor 2, at 0,0 (1280x1024), both with a work area
// 1000 pixels high, the screen at 150 %.
// The real tavrisol.exe places copies of the target fixture; the editor picks one.
#include <cstdio>
#include <fstream>

#include "harness.h"
#include "harness/editor_support.h"

using namespace harness;

namespace {

::testing::AssertionResult Placed(const RunResult& r) {
  if (r.exitCode == 1 && r.boxes.empty() && !r.timedOut) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "exit value " << r.exitCode << ", " << (r.boxes.empty() ? "" : r.boxes[0].text) << "\n"
         << r.AllTraces();
}

std::string WindowRect(HWND window) {
  RECT r = {};
  GetWindowRect(window, &r);
  return RectText(r);
}

std::string ClientRect(HWND window) { return RectText(ClientOnScreen(window)); }

}  // namespace

TEST(Desk, PlacesOnEitherMonitorAndAcrossBoth) {
  ProcessGuard guard;
  const std::string path = guard.CopyFixture("target.exe", "desk.exe");
  ASSERT_TRUE(Placed(RunTavrisol("-1700,100,800,600 " + path)));
  std::vector<DWORD> pids = FindProcessesByPath(path);
  ASSERT_EQ(pids.size(), 1u);
  const HWND window = WaitForVisibleWindow(pids[0], 5000);
  EXPECT_EQ(WindowRect(window), "(-1700,100 800x600)");

  // Each run moves the running window; a fill without a hold cuts nothing away.
  const struct {
    const char* args;
    std::string (*read)(HWND);
    const char* expected;
  } steps[] = {{"-300,200,900,500", WindowRect, "(-300,200 900x500)"},
               {"-700,200,900,500", WindowRect, "(-700,200 900x500)"},
               {"fill", ClientRect, "(-1920,0 1920x1080)"},  // most of it was on monitor 1
               {"fill:2", ClientRect, "(0,0 1280x1024)"},
               {"fill", ClientRect, "(0,0 1280x1024)"},
               {"fill:1", ClientRect, "(-1920,0 1920x1080)"},
               {"fillwork", ClientRect, "(-1920,0 1920x1000)"},
               {"fillwork:2", ClientRect, "(0,0 1280x1000)"},
               {"-1928,-32,1936,1119", WindowRect, "(-1928,-32 1936x1119)"},
               {"-1500,150,700,500", WindowRect, "(-1500,150 700x500)"}};
  for (const auto& step : steps) {
    ASSERT_TRUE(Placed(RunTavrisol(std::string(step.args) + " " + path))) << step.args;
    EXPECT_EQ(step.read(window), step.expected) << step.args;
    EXPECT_EQ(KeptOnScreen(window), "none") << step.args;
  }

  // Select's rectangle, on monitor 1, puts the window back exactly.
  Editor editor;
  ASSERT_TRUE(editor.Start(BuildFile("tavrisol.exe")));
  ASSERT_TRUE(editor.WaitForWindow());
  editor.PressAndWait(1004);
  ClickAt(-1150, 400);
  const std::string numbers = "-1500,150,700,500 ";
  ASSERT_TRUE(WaitUntil([&] { return editor.Text(1002).rfind(numbers, 0) == 0; }, EditorTimeoutMs))
      << editor.Text(1002);
  EXPECT_EQ(lstrcmpiA(editor.Text(1002).substr(numbers.size()).c_str(), path.c_str()), 0);
  MoveWindow(window, 100, 100, 400, 300, TRUE);
  ASSERT_TRUE(Placed(RunTavrisol(editor.Text(1002))));
  EXPECT_EQ(WindowRect(window), "(-1500,150 700x500)");

  // While a hold keeps a fill there, only its monitor's part shows; the hold's end shows it all.
  DebuggedProcess held;
  ASSERT_TRUE(held.Start(BuildFile("tavrisol.exe"), "fill:2,3 " + path));
  EXPECT_TRUE(WaitUntil([&] { return KeptOnScreen(window) == "(0,0 1280x1024)"; }, 10000))
      << KeptOnScreen(window);
  EXPECT_EQ(RectText(ClientOnScreen(window)), "(0,0 1280x1024)");
  ASSERT_TRUE(held.WaitForExit(15000));
  EXPECT_EQ(KeptOnScreen(window), "none");

  // A monitor that is not there: the message counts two, nothing starts.
  const std::string third = guard.CopyFixture("target.exe", "deskthree.exe");
  RunResult r = RunTavrisol("fill:3 " + third);
  EXPECT_EQ(r.exitCode, 0u);
  ASSERT_EQ(r.boxes.size(), 1u);
  EXPECT_EQ(r.boxes[0].text,
            "Monitor 3 not found; monitors here: 2, counted from 1, left to right, then top to "
            "bottom.\nfill:3 " +
                third);
  EXPECT_TRUE(FindProcessesByPath(third).empty());

  // A thread unaware of the 150 % scale sees its window at two thirds of the numbers.
  const std::string unaware = guard.CopyFixture("target.exe", "logunaware.exe");
  guard.TrackFile(unaware + ".log");
  ASSERT_TRUE(Placed(RunTavrisol("150,90,600,480 " + unaware)));
  std::ifstream log(unaware + ".log");
  std::string rects, time, rect, rest;
  while (log >> time >> rect >> rest >> rest) rects += rect + " ";
  EXPECT_EQ(rects, "100,60,500,380 ");
}
