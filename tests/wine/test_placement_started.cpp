// The placement run starts the command and places its window, before it is seen where the
// library can, in 64- and 32-bit programs of many shapes; the hook host resumes what a run that
// died left suspended.
#include "harness.h"
#include "harness/placement_support.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstring>

#include "placement/early.h"

using namespace harness;

namespace {

// A "log" copy of a fixture; a console copy loads its slow-starting library from beside itself.
std::string LogCopy(ProcessGuard& guard, const char* fixture, const char* name) {
  std::string path = guard.CopyFixture(fixture, name);
  guard.TrackFile(path + ".log");
  if (strstr(fixture, "console"))
    guard.CopyBeside(path, strstr(fixture, "32") ? "slowstart32.dll" : "slowstart.dll");
  return path;
}

// A filled window's rectangle: the inside covers the monitor, the frame (4 pixels) and the title
// bar (19) lie beyond it.
const char FilledFrame[] = "-4,-23,1924,1084";

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

TEST(PlacementStarted, ProgramIsStartedAndPlaced) {
  ProcessGuard guard;
  // Only the first of its three windows follows the start-up position; the others, made right
  // after it, are placed side by side with it, also when the run has ended before they show.
  std::string path = guard.CopyFixture("target.exe", "three.exe");
  ASSERT_TRUE(FindProcessesByPath(path).empty());

  RunResult r = PlaceAtCoordinates(path);
  ASSERT_TRUE(PlacedQuietly(r));
  std::vector<DWORD> started = FindProcessesByPath(path);
  ASSERT_EQ(started.size(), 1u);
  WaitUntil([&] { return TargetWindows(started[0]).size() == 3; }, 3000);
  ExpectCascaded(TargetWindows(started[0]));
}

TEST(PlacementStarted, WindowShownDuringTheScansIsPlaced) {
  ProcessGuard guard;
  std::string path = guard.CopyFixture("target.exe", "late4.exe");
  ASSERT_TRUE(PlacedQuietly(PlaceAtCoordinates(path)));
  EXPECT_TRUE(WindowAt(LoneWindowOf(path), Left, Top, Width, Height));
}

TEST(PlacementStarted, SecondRunWhileTheFirstStartsTheProgramWaitsForItsTurn) {
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

  // The second looked only once the first had placed the window, so its place is the last.
  EXPECT_TRUE(WindowAt(LoneWindowOf(path), 300, 200, 500, 400));
}

TEST(PlacementStarted, ProgramPathWithBlanksIsStartedAndFoundRunning) {
  ProcessGuard guard;
  std::string path = guard.CopyFixture("target.exe", "my target.exe");
  ASSERT_NE(path.find(' '), std::string::npos);
  std::string line = std::string(Coordinates) + " " + path;

  ASSERT_TRUE(PlacedQuietly(RunTavrisol(line)));
  const HWND w = LoneWindowOf(path);
  EXPECT_TRUE(WindowAt(w, Left, Top, Width, Height));
  const std::vector<DWORD> started = FindProcessesByPath(path);

  // The whole path, blanks and all, matches the running program, which is moved, not doubled.
  ASSERT_TRUE(PlacedQuietly(RunTavrisol("300,200,500,400 " + path)));
  EXPECT_EQ(FindProcessesByPath(path), started);
  EXPECT_TRUE(WindowAt(w, 300, 200, 500, 400));
}

// A started program, 64- or 32-bit, whether its window takes the position of the start or one of
// its own, is shown at its rectangle and nowhere else, past the system's size limit too, and the
// library does not stay in it; the same for a fill, and after an exact move of the
// running program.
TEST(PlacementStarted, AStartedWindowIsShownOnlyAtItsPlace) {
  ProcessGuard guard;
  struct {
    const char* fixture;
    const char* name;
  } programs[] = {{"target.exe", "log.exe"},
                  {"target.exe", "logown.exe"},
                  {"target32.exe", "log32.exe"},
                  {"target32.exe", "log32own.exe"}};
  for (const auto& program : programs) {
    const std::string path = LogCopy(guard, program.fixture, program.name);
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

  const std::string fill = LogCopy(guard, "target.exe", "logownfill.exe");
  ASSERT_TRUE(PlacedQuietly(RunTavrisol("fill " + fill)));
  std::vector<DWORD> pids = FindProcessesByPath(fill);
  ASSERT_EQ(pids.size(), 1u);
  HWND window = TargetWindows(pids[0])[0].hwnd;
  EXPECT_EQ(RectText(ClientOnScreen(window)), "(0,0 1920x1080)");
  EXPECT_EQ(Logged(fill), std::vector<std::string>{FilledFrame});
  EXPECT_EQ(LibraryLeft(fill, window), "0");
}

// Programs shaped like real ones come to no harm: a window made hidden, then busy when the run
// lets go; a loop of its own within WM_CREATE; a window of a second thread; a second main window
// shown at once, which the library leaves alone; a console program whose start-up takes 3 s
// before its own code runs. Where the library's code may still run, it stays, pinned.
TEST(PlacementStarted, ProgramsShapedLikeRealOnesComeToNoHarm) {
  ProcessGuard guard;
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
    const std::string path = LogCopy(guard, shape.fixture, shape.name);
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
  const std::string first = LogCopy(guard, "target.exe", "loghiddenfirst.exe");
  ASSERT_TRUE(PlacedQuietly(PlaceAtCoordinates(first)));
  HWND hidden = FindWindowA("TavrisolTarget", "hidden first");
  ShowWindow(hidden, SW_SHOWNOACTIVATE);
  EXPECT_TRUE(WaitUntil(
      [&] { return !(rects = Logged(first)).empty() && rects.back() == "50,50,750,550"; }, 3000));
  EXPECT_EQ(LibraryLeft(first, hidden), "0");

  // A stub that starts the program and waits for it without reading messages destroys its window
  // unharmed once the program ends.
  const std::string stub = LogCopy(guard, "target.exe", "logstub.exe");
  ASSERT_TRUE(PlacedQuietly(PlaceAtCoordinates(stub)));
  for (DWORD pid : FindProcessesByPath(stub))
    for (const WindowInfo& info : TargetWindows(pid)) PostMessageA(info.hwnd, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return FindProcessesByPath(stub).empty(); }, 5000));
  ASSERT_FALSE(Logged(stub).empty());
  EXPECT_EQ(Logged(stub).back(), "0,0,0,0");  // the stub's own line
  EXPECT_EQ(Logged(stub, Health).back(), "0/0");

  // A window of a thread unaware of the screen's scale is placed in its own view, which at 100 %
  // is the screen's (the desk test sees it at 150 %).
  const std::string unaware = LogCopy(guard, "target.exe", "logunaware.exe");
  ASSERT_TRUE(PlacedQuietly(RunTavrisol("150,90,600,480 " + unaware)));
  rects = Logged(unaware);
  ASSERT_FALSE(rects.empty());
  EXPECT_EQ(rects, std::vector<std::string>(rects.size(), "150,90,750,570"));
}

// What a launcher or a stub starts is shown only at its place, and a window the program moves
// back as it finishes starting is put back within the run.
TEST(PlacementStarted, WhatALauncherOrAStubStartsIsShownOnlyAtItsPlace) {
  ProcessGuard guard;
  std::vector<std::string> rects;
  // A launcher's game, whose window is moved as it is made, filled too from its own frame: its log
  // shows it at most once elsewhere, as it is shown, then at its place (a fill within the system's
  // size limit first, past it once the run places).
  for (const std::string how : {"100,80,640,480", "fill"}) {
    const std::string launcher = LogCopy(
        guard, "target.exe", how == "fill" ? "loglauncherstayfill.exe" : "loglauncherstay.exe");
    const std::string game = launcher.substr(0, launcher.rfind('\\') + 4) + "game" +
                             launcher.substr(launcher.rfind('\\') + 12);
    guard.TrackPath(game);
    guard.TrackFile(game);
    guard.TrackFile(game + ".log");
    const RunResult r = RunTavrisol(how + " " + launcher);
    ASSERT_TRUE(PlacedQuietly(r));
    const std::vector<DWORD> pids = FindProcessesByPath(game);
    ASSERT_EQ(pids.size(), 1u);
    const HWND window = TargetWindows(pids[0])[0].hwnd;
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
  const std::string shellStub = LogCopy(guard, "target.exe", "logshelllauncher.exe");
  std::string shellGame = shellStub;
  shellGame.replace(shellGame.rfind("launcher"), 8, "game");
  guard.TrackPath(shellGame);
  guard.TrackFile(shellGame);
  guard.TrackFile(shellGame + ".log");
  ASSERT_TRUE(PlacedQuietly(PlaceAtCoordinates(shellStub)));
  rects = Logged(shellGame);
  ASSERT_FALSE(rects.empty());
  EXPECT_EQ(rects, std::vector<std::string>(rects.size(), "100,80,740,560"));

  // One that moves its window back as it finishes starting (its twenty steps take some 50 ms)
  // is kept from doing so: never seen elsewhere, with the run long over.
  const std::string back = LogCopy(guard, "target.exe", "logmovebacksoon.exe");
  ASSERT_TRUE(PlacedQuietly(PlaceAtCoordinates(back)));
  Sleep(500);
  rects = Logged(back);
  ASSERT_FALSE(rects.empty());
  EXPECT_EQ(rects, std::vector<std::string>(rects.size(), "100,80,740,560"));
  EXPECT_TRUE(WindowAt(LoneWindowOf(back), Left, Top, Width, Height));
}

// The run's side of placing before the window shows, driven from this process, and a run
// killed in the middle: the program runs on.
TEST(PlacementStarted, ARunKilledOrFinishedFromOutsideLeavesTheProgramRunning) {
  ProcessGuard guard;
  std::vector<DWORD> pids;
  // Armed and finished from this process as the run does: the run's own copy of the library and
  // the block go with the end.
  const std::string armed = LogCopy(guard, "target.exe", "logownarmed.exe");
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info;
  EarlyPlacing placing;
  PrepareEarlyPlacement(&placing);
  DWORD error;
  ASSERT_TRUE(CreateProcessTrying(armed, "", &startup, CREATE_SUSPENDED, "", &info, &error, 5));
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
  const std::string killed = LogCopy(guard, "target32.exe", name);
  bool suspendedAtKill = false;
  for (int tries = 0; tries < 10 && !suspendedAtKill; ++tries) {
    const DWORD run =
        StartProcess(BuildFile("tavrisol.exe"), std::string(Coordinates) + " " + killed);
    // Looked for without a pause: the program waits suspended for some 40 ms, which a busy
    // machine's look may miss; a new run tries again.
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
