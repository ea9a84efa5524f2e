// The placement run finds the command running and moves its windows: the real tavrisol.exe
// under the harness's debugger loop, against copies of the target fixture on the desktop.
#include "harness.h"
#include "harness/placement_support.h"
#include "placement/marks.h"

using namespace harness;

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
  // Brought to the front; the X server may tell of it a moment later.
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == w; }, 2000));
  DestroyWindow(front);
  // The same process, and no second one.
  EXPECT_TRUE(ProcessIsRunning(pid));
  EXPECT_EQ(FindProcessesByPath(path), std::vector<DWORD>{pid});

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
}

// A lone window of a running copy goes where the line says: one without a system menu, one
// minimised (restored first), one off the screen's top left corner.
TEST(PlacementRunning, ALoneWindowGoesWhereTheLineSays) {
  const struct {
    const char* name;
    const char* rect;
    int left, top;
  } rows[] = {{"bare.exe", Coordinates, Left, Top},
              {"minimized.exe", Coordinates, Left, Top},
              {"plain.exe", "-20,-10,640,480", -20, -10}};
  for (const auto& row : rows) {
    ProcessGuard guard;
    const std::string path = guard.CopyFixture("target.exe", row.name);
    const HWND w = StartLoneTarget(guard, path);
    ASSERT_NE(w, nullptr) << row.name;
    EXPECT_EQ(IsIconic(w) != FALSE, row.name[0] == 'm') << row.name;
    ASSERT_TRUE(PlacedQuietly(RunTavrisol(std::string(row.rect) + " " + path))) << row.name;
    EXPECT_TRUE(WindowAt(w, row.left, row.top, Width, Height)) << row.name;
  }
}

TEST(PlacementRunning, ThreeCandidatesAreCascaded) {
  ProcessGuard guard;
  std::string path = guard.CopyFixture("target.exe", "three.exe");
  DWORD pid = StartTarget(guard, path, 3);
  ASSERT_NE(pid, 0u);

  RunResult r = PlaceAtCoordinates(path);
  ASSERT_TRUE(PlacedQuietly(r));
  ExpectCascaded(TargetWindows(pid));
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
  // Activation across processes reaches the window asynchronously under Wine.
  EXPECT_TRUE(WaitUntil([small] { return GetForegroundWindow() == small; }, 5000))
      << GetForegroundWindow();
}

TEST(PlacementRunning, TheProgramIsOneThingWhateverItsShape) {
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
  ExpectSplashMainPlaced(splash, r);
}

// The program's main windows, and only those: a dialog it shows, a program it opens beside its
// own window, a smaller second window under a hold, are all left as they are.
TEST(PlacementRunning, TheProgramsMainWindowsAndOnlyThose) {
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
