// The command's windows shown by another process than the one started: a program that hands
// over to a copy of itself, a single instance, a launcher, a script, a shortcut.
#include "harness.h"
#include "harness/placement_support.h"
#include "harness/shortcut_support.h"

using namespace harness;

TEST(PlacementHandOver, WindowShownByAnotherProcessOfTheProgramIsPlaced) {
  // A program that restarts itself through a helper.
  for (bool hold : {false, true}) {
    SCOPED_TRACE(hold ? "with a hold" : "placed once");
    ProcessGuard guard;
    std::string path = guard.CopyFixture("target.exe", "handoverlate1.exe");
    RunResult r = RunTavrisol(std::string(Coordinates) + (hold ? ",4 " : " ") + path);
    ASSERT_TRUE(PlacedQuietly(r));
    EXPECT_TRUE(WindowAt(LoneWindowOf(path), Left, Top, Width, Height));
    // The window is placed by a later look too; only the trace tells that the run saw the
    // hand-over.
    const std::vector<DWORD> pids = FindProcessesByPath(path);
    EXPECT_TRUE(r.HasTrace("program handed over to process " + std::to_string(pids.at(0)) + "\r\n"))
        << r.AllTraces();
    EXPECT_EQ(r.CountTracesStartingWith("holding the placement for 4 seconds"), hold ? 1u : 0u);
  }
}

// The command's windows: its program with its arguments, what a start of it opens in a running
// copy, the program started exactly as named, a hold that follows once its window is gone.
TEST(PlacementHandOver, TheCommandsWindowsAreThoseOfItsProgramWithItsArguments) {
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
  EXPECT_TRUE(WindowAt(LoneWindowOf(spaced), Left, Top, Width, Height));

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
  EXPECT_EQ(FindProcessesByPath(tray), std::vector<DWORD>{trayPid});
  EXPECT_TRUE(WindowAt(TargetWindows(trayPid).at(0).hwnd, Left, Top, Width, Height));
}

TEST(PlacementHandOver, WhatALauncherStartsIsTheProgram) {
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

  // A launcher that stays without a window: its game is placed, then found through the launcher
  // by a second click, which kills and starts nothing.
  std::string stay = guard.CopyFixture("target.exe", "launcherstay.exe");
  std::string game = gameOf(stay);
  RunResult r = PlaceAtCoordinates(stay);
  ASSERT_TRUE(PlacedQuietly(r));
  const std::vector<DWORD> launcher = FindProcessesByPath(stay), games = FindProcessesByPath(game);
  ASSERT_EQ(games.size(), 1u);
  EXPECT_TRUE(WindowAt(LoneWindowOf(game), Left, Top, Width, Height));
  r = RunTavrisol("300,200,500,400 " + stay);
  ASSERT_TRUE(PlacedQuietly(r));
  EXPECT_TRUE(WindowAt(LoneWindowOf(game), 300, 200, 500, 400));
  EXPECT_EQ(FindProcessesByPath(stay), launcher);
  EXPECT_EQ(FindProcessesByPath(game), games);
  EXPECT_TRUE(WindowAt(unrelated, 300, 300, 400, 300));

  // The same launcher started by the user: the run finds its game through the parent links.
  for (DWORD pid : launcher) KillProcess(pid);
  for (DWORD pid : games) KillProcess(pid);
  ASSERT_NE(StartProcess(stay), 0u);
  ASSERT_TRUE(WaitUntil([&] { return LoneWindowOf(game) != nullptr; }, 10000));
  const std::vector<DWORD> byUser = FindProcessesByPath(stay);
  ASSERT_TRUE(PlacedQuietly(PlaceAtCoordinates(stay)));
  EXPECT_TRUE(WindowAt(LoneWindowOf(game), Left, Top, Width, Height));
  EXPECT_EQ(FindProcessesByPath(stay), byUser);  // the launcher, windowless, is not ended

  // A launcher that ends 300 ms after starting its game; a second click finds the game in the
  // program's job and starts nothing.
  std::string quit = guard.CopyFixture("target.exe", "launcherquit.exe");
  std::string quitGame = gameOf(quit);
  r = PlaceAtCoordinates(quit);
  ASSERT_TRUE(PlacedQuietly(r));
  EXPECT_TRUE(WindowAt(LoneWindowOf(quitGame), Left, Top, Width, Height));
  ASSERT_TRUE(WaitUntil([&] { return FindProcessesByPath(quit).empty(); }, 5000));
  r = RunTavrisol("300,200,500,400 " + quit);
  ASSERT_TRUE(PlacedQuietly(r));
  EXPECT_TRUE(WindowAt(LoneWindowOf(quitGame), 300, 200, 500, 400));
  EXPECT_TRUE(FindProcessesByPath(quit).empty());

  // A launcher with a splash that starts the game and ends, with a hold: the splash is placed
  // first, then the game's main window.
  std::string splash = guard.CopyFixture("target.exe", "launchersplash.exe");
  std::string splashGame = gameOf(splash);
  r = RunTavrisol(std::string(Coordinates) + ",6 " + splash);
  ASSERT_TRUE(PlacedQuietly(r));
  HWND main = LoneWindowOf(splashGame);
  EXPECT_TRUE(WindowAt(main, Left, Top, Width, Height)) << r.AllTraces();

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
  EXPECT_TRUE(WindowAt(LoneWindowOf(plain), Left, Top, Width, Height));

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
  EXPECT_TRUE(WindowAt(LoneWindowOf(linked), Left, Top, Width, Height)) << r.AllTraces();
}
