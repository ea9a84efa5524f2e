#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "placement/bounded.h"
#include "placement/early.h"
#include "placement/hold.h"
#include "placement/shown.h"
#include "placement/targets.h"
#include "support/diag_capture.h"

namespace {

const uint32_t Visible = StyleVisible;
const uint32_t SysMenu = StyleSystemMenu | StyleCaption;  // and the title bar it comes with
const uint32_t Minimized = StyleMinimized;
const uint32_t Main = Visible | StyleCaption | SysMenu;  // what a hold may take as a new target

struct FakeWindow {
  WindowRef id;
  uint32_t process;
  WindowBox box;
  uint32_t style;
  uint32_t exStyle = 0;
  bool moveSucceeds = true;
  bool answers = true;
  WindowRef moving = 0;  // the window its thread is moving or sizing
  bool exists = true;
  bool owned = false;
  uint32_t mark = 0;
  std::string placedFor = "";  // the program and the command a run marked it for
  uint32_t title = 0;          // its title's hash
  uint32_t settlesAt = 0;      // the tick at which a restore has settled: moves before it are lost
};

struct FakeDesktop {
  std::vector<FakeWindow> windows;
  uint32_t tick = 1000;
  uint32_t exitsAt = UINT32_MAX;  // the tick at which the target process ends
  std::vector<uint32_t> waits;
  uint32_t nextError = 5;  // each failed move reads the next error code
  WindowRef foreground = 0;
  std::vector<uint32_t> laterCopies;  // processes of the program the hold's lookups find
  uint32_t copiesFrom = 0;            // the tick from which they find them
  std::vector<WindowRef> unclipped;   // windows whose fill clip the hold took away
};

FakeDesktop* desktop = nullptr;

std::string Hex(WindowRef w) {
  char text[32];
  std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(w));
  return text;
}

FakeWindow* Find(WindowRef window) {
  for (FakeWindow& w : desktop->windows)
    if (w.id == window && w.exists) return &w;
  return nullptr;
}

const uint32_t Target = 500;
const uint32_t Other = 600;

// Given a process, its windows and, as the system may add some, Other's.
void FakeEnum(uint32_t process, void (*visit)(WindowRef, void*), void* context) {
  for (const FakeWindow& w : desktop->windows)
    if (process == 0 || w.process == process || w.process == Other) visit(w.id, context);
}
uint32_t FakeOwner(WindowRef window) { return Find(window) ? Find(window)->process : 0; }
bool FakeBox(WindowRef window, WindowBox* box) {
  if (!Find(window)) return false;
  *box = Find(window)->box;
  return true;
}
bool FakeStyles(WindowRef window, uint32_t* style, uint32_t* exStyle) {
  if (!Find(window)) return false;
  *style = Find(window)->style;
  *exStyle = Find(window)->exStyle;
  return true;
}
// A restored window shows its restored place for half a second; a move meanwhile is lost.
void FakeRestore(WindowRef window) {
  Find(window)->style &= ~Minimized;
  Find(window)->settlesAt = desktop->tick + 500;
}
void FakePause(uint32_t ms) { desktop->tick += ms; }
bool FakeMove(WindowRef window, int32_t x, const PlacementRequest& request) {
  FakeWindow* w = Find(window);
  if (!w->moveSucceeds) return false;
  if (desktop->tick >= w->settlesAt)
    w->box = {x, request.top, x + request.width, request.top + request.height};
  return true;
}
void FakeForeground(WindowRef window) { desktop->foreground = window; }
bool FakeAnswers(WindowRef window) { return Find(window)->answers; }
bool FakeAtPlace(WindowRef window, int32_t x, const PlacementRequest& request) {
  const WindowBox& box = Find(window)->box;
  return request.fill == FillNone &&
         SameBox(box, {x, request.top, x + request.width, request.top + request.height});
}
uint32_t FakeLastError() { return desktop->nextError++; }
bool FakeHasOwner(WindowRef window) { return Find(window)->owned; }
uint32_t FakePlacedBy(WindowRef window) { return Find(window) ? Find(window)->mark : 0; }
void FakeMarkPlaced(WindowRef window, uint32_t mark, const char* program, const char* command) {
  Find(window)->mark = mark;
  if (program != nullptr) Find(window)->placedFor = std::string(program) + "|" + command;
}
const uint32_t Self = 4000;  // the run's own process id
uint32_t FakeOwnId() { return Self; }
WindowRef FakeFront() { return desktop->foreground; }
uint32_t FakeTitle(WindowRef window) { return Find(window)->title; }

WindowRef FakeMovingWindow(WindowRef window) { return Find(window)->moving; }
ProcessRef HandleOf(uint32_t process) { return 0x1000 + process; }

// Only the target process ends.
bool FakeExited(ProcessRef process) {
  return process == HandleOf(Target) && desktop->tick >= desktop->exitsAt;
}
bool FakeWaitForExit(const Program& program, uint32_t ms) {
  desktop->waits.push_back(ms);
  desktop->tick += ms;
  for (uint32_t i = 0; i < program.count; ++i)
    if (FakeExited(program.processes[i].handle)) return true;
  return program.count == 0;
}
uint32_t FakeTick() { return desktop->tick; }
bool ShowsWindow(uint32_t process) {
  for (const FakeWindow& w : desktop->windows)
    if (w.process == process && w.exists && (w.style & Visible)) return true;
  return false;
}
uint32_t FakeFindProgram(Program* program, bool windowOwnersOnly) {
  uint32_t added = 0;
  for (uint32_t id : desktop->laterCopies) {
    if (desktop->tick < desktop->copiesFrom) break;
    if (HoldsProcess(*program, id) || (windowOwnersOnly && !ShowsWindow(id))) continue;
    program->processes[program->count++] = {id, 1, 0, HandleOf(id)};
    ++added;
  }
  return added;
}
void FakeCloseHandle(ProcessRef) {}
void FakeReleaseClip(WindowRef window) { desktop->unclipped.push_back(window); }

const WindowOps FakeOps = {FakeEnum,      FakeOwner,    FakeBox,        FakeStyles,     FakeRestore,
                           FakePause,     FakeMove,     FakeForeground, FakeAnswers,    FakeAtPlace,
                           FakeLastError, FakeHasOwner, FakePlacedBy,   FakeMarkPlaced, FakeOwnId,
                           FakeFront,     FakeTitle};

WindowBox Box(int32_t left, int32_t top, int32_t width, int32_t height) {
  return {left, top, left + width, top + height};
}

// What the user sees: where each window is, which are minimised, which one is in front.
std::string Picture() {
  std::string text;
  for (const FakeWindow& w : desktop->windows) {
    if (!w.exists) continue;
    char line[96];
    std::snprintf(line, sizeof line, "%x%s %d,%d %dx%d; ", static_cast<unsigned>(w.id),
                  w.style & Minimized ? " minimised" : "", w.box.left, w.box.top,
                  w.box.right - w.box.left, w.box.bottom - w.box.top);
    text += line;
  }
  return text + "front " + Hex(desktop->foreground);
}

const HoldOps FakeHoldOps = {&FakeOps,        FakeMovingWindow, FakeWaitForExit, FakeTick,
                             FakeFindProgram, FakeExited,       FakeCloseHandle, FakeReleaseClip};

const PlacementRequest Request = {-8, -32, 1936, 1119, nullptr, 0};

class PlacementTargets : public ::testing::Test {
 protected:
  void SetUp() override {
    // The run never empties the window state; each test starts a fresh process.
    state = WindowState();
    ClearCaptured();
    desktop = &fakeDesktop;
    SetUpProgram();
  }
  void SetUpProgram() {
    program.count = 1;
    program.processes[0] = {Target, 1, 0, HandleOf(Target)};
  }
  void TearDown() override { desktop = nullptr; }

  void Add(WindowRef id, uint32_t process, WindowBox box, uint32_t style) {
    fakeDesktop.windows.push_back({id, process, box, style});
  }
  int Candidates() const {
    int n = 0;
    while (n < CandidateSlots && state.candidateTable[n] != 0) ++n;
    return n;
  }

  FakeDesktop fakeDesktop;
  Program program;    // the target process, as the run hands it to the hold
  WindowState state;  // the run's, as the scans leave it
  HoldState hold = {&state, 0, 0};
};

TEST_F(PlacementTargets, LargestVisibleWindowOfTheProcessWins) {
  Add(0x10, Other, Box(0, 0, 1000, 1000), Visible | SysMenu);
  Add(0x11, Target, Box(0, 0, 900, 900), 0);  // invisible
  Add(0x12, Target, Box(0, 0, 100, 100), Visible);
  Add(0x13, Target, Box(5, 5, 300, 200), Visible);
  Add(0x14, Target, Box(0, 0, 50, 50), Visible);
  EXPECT_TRUE(ScanTargetWindows(FakeOps, &state, Target));
  EXPECT_EQ(state.targetWindow, 0x13u);
  EXPECT_EQ(state.targetArea, 60000);
  EXPECT_EQ(Candidates(), 0);
  // Only the target's windows are traced.
  EXPECT_EQ(CapturedTraces().size(), 4u);
}

TEST_F(PlacementTargets, TraceLineOfAWindow) {
  fakeDesktop.windows.push_back({0x1a2b, Target, {10, 20, 110, 70}, 0x14cf0000, 0x110});
  ScanTargetWindows(FakeOps, &state, Target);
  ASSERT_EQ(CapturedTraces().size(), 1u);
  EXPECT_EQ(CapturedTraces()[0],
            "    1a2b  110   10   70   20     5000 window candidate 14cf0000 00000110\r\n");
}

TEST_F(PlacementTargets, EqualAreasGoToTheWindowMetLater) {
  Add(0x21, Target, Box(0, 0, 200, 100), Visible | SysMenu);
  Add(0x22, Target, Box(50, 50, 100, 200), Main);
  EXPECT_TRUE(ScanTargetWindows(FakeOps, &state, Target));
  EXPECT_EQ(state.targetWindow, 0x22u);
}

TEST_F(PlacementTargets, ZeroSizeVisibleWindowIsChosenWhenAlone) {
  Add(0x31, Target, Box(0, 0, 400, 400), SysMenu);  // invisible
  Add(0x32, Target, Box(7, 7, 0, 0), Visible);
  EXPECT_TRUE(ScanTargetWindows(FakeOps, &state, Target));
  EXPECT_EQ(state.targetWindow, 0x32u);
  EXPECT_EQ(state.targetArea, 0);
}

TEST_F(PlacementTargets, InvisibleWindowsChooseNothing) {
  Add(0x41, Target, Box(0, 0, 400, 400), SysMenu | Minimized);
  Add(0x42, Other, Box(0, 0, 400, 400), Visible | SysMenu);
  Add(0x43, Target, Box(0, 0, 400, 400), Main);  // a lone tool window is not chosen either
  fakeDesktop.windows.back().exStyle = ExStyleToolWindow;
  EXPECT_FALSE(ScanTargetWindows(FakeOps, &state, Target));
  EXPECT_EQ(state.targetWindow, 0u);
  EXPECT_EQ(Candidates(), 0);
}

TEST_F(PlacementTargets, LaterScansOnlyAddToTheState) {
  Add(0x51, Target, Box(0, 0, 300, 300), Visible | SysMenu);
  EXPECT_TRUE(ScanTargetWindows(FakeOps, &state, Target));
  fakeDesktop.windows = {};
  Add(0x52, Target, Box(0, 0, 100, 100), Visible | SysMenu);
  EXPECT_TRUE(ScanTargetWindows(FakeOps, &state, Target));
  EXPECT_EQ(state.targetWindow, 0x51u);
  EXPECT_EQ(Candidates(), 2);
  // With the target let go, an area left from before no longer counts.
  state.targetWindow = 0;
  EXPECT_TRUE(ScanTargetWindows(FakeOps, &state, Target));
  EXPECT_EQ(state.targetWindow, 0x52u);
}

TEST_F(PlacementTargets, SixteenCandidatesKeepTheFirstFifteenAndCascade) {
  for (WindowRef i = 0; i < 16; ++i) Add(0x100 + i, Target, Box(0, 0, 100, 100), Visible | SysMenu);
  EXPECT_TRUE(ScanTargetWindows(FakeOps, &state, Target));
  ASSERT_EQ(Candidates(), 15);
  EXPECT_EQ(state.candidateTable[14], 0x10eu);
  EXPECT_EQ(state.targetWindow, 0x10fu);  // the target window itself is beyond the table

  PlaceTargetWindows(FakeOps, &state, Request);
  std::string cascade;
  for (int i = 0; i < 15; ++i)
    cascade += Hex(0x100 + i) + " " + std::to_string(-8 + 32 * i) + ",-32 1936x1119; ";
  EXPECT_EQ(Picture(), cascade + "10f 0,0 100x100; front 10f");
}

TEST_F(PlacementTargets, CandidatesCascadeThirtyTwoPixelsApart) {
  Add(0x61, Target, Box(0, 0, 100, 100), Visible | SysMenu);
  Add(0x62, Target, Box(0, 0, 300, 100), Visible | SysMenu);
  Add(0x63, Target, Box(0, 0, 100, 100), Visible | SysMenu);
  ScanTargetWindows(FakeOps, &state, Target);
  PlaceTargetWindows(FakeOps, &state, {100, 50, 640, 480, nullptr, 0});
  EXPECT_EQ(Picture(), "61 100,50 640x480; 62 132,50 640x480; 63 164,50 640x480; front 62");
}

TEST_F(PlacementTargets, MainWindowIsTheTargetAndDialogsAndToolWindowsAreLeftAlone) {
  Add(0x71, Target, Box(0, 0, 800, 600), Visible);  // larger, without a title bar
  Add(0x72, Target, Box(0, 0, 200, 100), Visible | SysMenu);
  Add(0x73, Target, Box(0, 0, 900, 700), Main);  // a message box of the program
  fakeDesktop.windows.back().owned = true;
  Add(0x74, Target, Box(0, 0, 900, 700), Main);
  fakeDesktop.windows.back().exStyle = ExStyleToolWindow;
  ScanTargetWindows(FakeOps, &state, Target);
  EXPECT_EQ(state.targetWindow, 0x72u);
  PlaceTargetWindows(FakeOps, &state, Request);
  EXPECT_EQ(Picture(),
            "71 0,0 800x600; 72 -8,-32 1936x1119; 73 0,0 900x700; 74 0,0 900x700; front 72");
}

TEST_F(PlacementTargets, LoneWindowWithoutSystemMenuIsMoved) {
  Add(0x81, Target, Box(0, 0, 800, 600), Visible);
  ScanTargetWindows(FakeOps, &state, Target);
  state.program = "C:\\app.exe";
  state.command = "C:\\app.exe -x";
  PlaceTargetWindows(FakeOps, &state, Request);
  EXPECT_EQ(Picture(), "81 -8,-32 1936x1119; front 81");
  EXPECT_EQ(fakeDesktop.windows[0].placedFor, "C:\\app.exe|C:\\app.exe -x");
}

TEST_F(PlacementTargets, MinimizedWindowIsRestoredThenMovedAfterAPause) {
  Add(0x91, Target, Box(0, 0, 160, 24), Visible | SysMenu | Minimized);
  Add(0x92, Target, Box(0, 0, 100, 100), Visible | SysMenu);
  ScanTargetWindows(FakeOps, &state, Target);
  PlaceTargetWindows(FakeOps, &state, {0, 0, 640, 480, nullptr, 0});
  EXPECT_EQ(Picture(), "91 0,0 640x480; 92 32,0 640x480; front 92");
}

TEST_F(PlacementTargets, MinimizedLoneWindowIsRestoredToo) {
  Add(0xa1, Target, Box(0, 0, 160, 24), Visible | Minimized);
  ScanTargetWindows(FakeOps, &state, Target);
  PlaceTargetWindows(FakeOps, &state, Request);
  EXPECT_EQ(Picture(), "a1 -8,-32 1936x1119; front a1");
}

TEST_F(PlacementTargets, RefusedMoveOnlyTraces) {
  Add(0xb1, Target, Box(0, 0, 100, 100), Visible | SysMenu);
  Add(0xb2, Target, Box(0, 0, 100, 100), Visible | SysMenu);
  fakeDesktop.windows[0].moveSucceeds = false;
  ScanTargetWindows(FakeOps, &state, Target);
  ClearCaptured();
  PlaceResult result = PlaceTargetWindows(FakeOps, &state, Request);
  EXPECT_EQ(result.moved, 1);
  EXPECT_EQ(result.reason, UnmovedMoveFailed);
  EXPECT_EQ(result.error, 5u);
  EXPECT_EQ(Picture(), "b1 0,0 100x100; b2 24,-32 1936x1119; front b2");
  EXPECT_EQ(CapturedTraces(), (std::vector<std::string>{
                                  "better candidate b1 move failed\r\n",
                                  "better candidate b2 move didn't fail\r\n",
                              }));
  EXPECT_TRUE(CapturedReports().empty());
}

TEST_F(PlacementTargets, RefusedMoveOfLoneWindowOnlyTraces) {
  Add(0xc1, Target, Box(0, 0, 100, 100), Visible);
  fakeDesktop.windows[0].moveSucceeds = false;
  ScanTargetWindows(FakeOps, &state, Target);
  ClearCaptured();
  PlaceResult result = PlaceTargetWindows(FakeOps, &state, Request);
  EXPECT_EQ(result.moved, 0);
  EXPECT_EQ(result.reason, UnmovedMoveFailed);
  EXPECT_EQ(Picture(), "c1 0,0 100x100; front c1");
  EXPECT_EQ(CapturedTraces(), (std::vector<std::string>{"move c1 failed\r\n"}));
}

TEST_F(PlacementTargets, WindowThatDoesNotAnswerIsNeitherRestoredNorMoved) {
  // A minimised candidate that is hung, then one that answers: only the second
  // is touched, and the first reason given is the hung window.
  Add(0xd1, Target, Box(0, 0, 100, 100), Visible | SysMenu | Minimized);
  Add(0xd2, Target, Box(0, 0, 100, 100), Visible | SysMenu);
  fakeDesktop.windows[0].answers = false;
  ScanTargetWindows(FakeOps, &state, Target);
  PlaceResult result = PlaceTargetWindows(FakeOps, &state, Request);
  EXPECT_EQ(result.moved, 1);
  EXPECT_EQ(result.reason, UnmovedNotResponding);
  EXPECT_EQ(Picture(), "d1 minimised 0,0 100x100; d2 24,-32 1936x1119; front d2");

  // Alone, it is not moved at all, and still brought forward.
  fakeDesktop.windows.resize(1);
  state.targetWindow = 0;
  for (WindowRef& slot : state.candidateTable) slot = 0;
  fakeDesktop.windows[0].style = Visible;
  ScanTargetWindows(FakeOps, &state, Target);
  result = PlaceTargetWindows(FakeOps, &state, Request);
  EXPECT_EQ(result.moved, 0);
  EXPECT_EQ(result.reason, UnmovedNotResponding);
  EXPECT_EQ(Picture(), "d1 0,0 100x100; front d1");

  // At its place already (placed before it showed, its program still busy starting), it is
  // placed without being asked.
  fakeDesktop.windows[0].box = Box(-8, -32, 1936, 1119);
  result = PlaceTargetWindows(FakeOps, &state, Request);
  EXPECT_EQ(result.moved, 1);
  EXPECT_EQ(result.reason, UnmovedNone);
}

TEST_F(PlacementTargets, OnlyTheFirstReasonIsKept) {
  // Each row: which of three candidates does not answer (n) or refuses the move (f), and the
  // first error a failed move reads (a move that timed out stopped answering on the way).
  struct Case {
    const char* windows;
    UnmovedReason reason;
    uint32_t error;
    uint32_t firstError = 5;
  } cases[] = {{"n-f", UnmovedNotResponding, 0},
               {"f-n", UnmovedMoveFailed, 5},
               {"-ff", UnmovedMoveFailed, 5},
               {"f-f", UnmovedNotResponding, 0, CallTimedOutError},
               {"---", UnmovedNone, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.windows);
    SetUp();
    fakeDesktop = FakeDesktop();
    fakeDesktop.nextError = c.firstError;
    for (WindowRef i = 0; i < 3; ++i) {
      Add(0xf1 + i, Target, Box(0, 0, 100, 100), Visible | SysMenu);
      fakeDesktop.windows[i].answers = c.windows[i] != 'n';
      fakeDesktop.windows[i].moveSucceeds = c.windows[i] != 'f';
    }
    ScanTargetWindows(FakeOps, &state, Target);
    PlaceResult result = PlaceTargetWindows(FakeOps, &state, Request);
    EXPECT_EQ(result.reason, c.reason);
    EXPECT_EQ(result.error, c.error);
  }
}

TEST_F(PlacementTargets, PlacedTableKeepsSixteenAndThenTheLatestInItsLastSlot) {
  for (WindowRef i = 0; i < 17; ++i) {
    Add(0x201 + i, Target, Box(0, 0, 100, 100), Visible | SysMenu);
    PlaceResult result = {0, UnmovedNone, 0};
    ASSERT_TRUE(PlaceWindow(FakeOps, &state, 0x201 + i, 7, Request, LoneTraces, &result));
  }
  for (int i = 0; i < 15; ++i) EXPECT_EQ(state.placedTable[i].window, 0x201u + i) << i;
  // The sixteenth went to the last slot, then the seventeenth.
  EXPECT_EQ(state.placedTable[15].window, 0x211u);
  EXPECT_EQ(state.placedTable[15].x, 7);
}

// ---- holding the placement ------------------------------------------------------------------

TEST_F(PlacementTargets, HoldPutsBackWhatTheProgramMovesAndLeavesTheUsersChoices) {
  Add(0xe1, Target, Box(0, 0, 100, 100), Main);
  Add(0xe2, Target, Box(0, 0, 100, 100), Main);
  ScanTargetWindows(FakeOps, &state, Target);
  PlaceTargetWindows(FakeOps, &state, Request);
  EXPECT_EQ(fakeDesktop.windows[1].mark, Self);
  FakeWindow& first = fakeDesktop.windows[0];
  FakeWindow& second = fakeDesktop.windows[1];
  const WindowBox home = Box(300, 300, 400, 300);

  const std::string placed = "e1 -8,-32 1936x1119; e2 24,-32 1936x1119; front e2";
  HoldPass(FakeHoldOps, Request, program, &hold);
  EXPECT_EQ(Picture(), placed);

  // The program moves its window home: it is put back at its own cascade place.
  second.box = home;
  HoldPass(FakeHoldOps, Request, program, &hold);
  EXPECT_EQ(Picture(), placed);

  // Minimised, maximised or hidden elsewhere, not answering: left alone, traced once.
  struct Case {
    uint32_t style;
    bool answers;
  } leftAlone[] = {
      {Main | Minimized, true}, {Main | StyleMaximized, true}, {SysMenu, true}, {Main, false}};
  for (const Case& c : leftAlone) {
    second.box = home;
    second.style = c.style;
    second.answers = c.answers;
    ClearCaptured();
    HoldPass(FakeHoldOps, Request, program, &hold);
    HoldPass(FakeHoldOps, Request, program, &hold);
    EXPECT_EQ(Picture(), std::string("e1 -8,-32 1936x1119; e2") +
                             (c.style & Minimized ? " minimised" : "") +
                             " 300,300 400x300; front e2");
    EXPECT_EQ(CapturedTraces().size(), c.answers ? 0u : 1u) << c.style;
  }

  // Restored (and answering) but still elsewhere: put back.
  second.style = Main;
  second.answers = true;
  HoldPass(FakeHoldOps, Request, program, &hold);
  EXPECT_EQ(Picture(), placed);

  // Its thread drags another window (a palette): the held window is still put back.
  second.moving = 0xe9;
  second.box = home;
  HoldPass(FakeHoldOps, Request, program, &hold);
  EXPECT_EQ(Picture(), placed);

  // The user drags the first window: released for good, even once the drag is over and
  // although it is now larger than the target; its slot is free.
  first.moving = 0xe1;
  first.box = home;
  HoldPass(FakeHoldOps, Request, program, &hold);
  first.moving = 0;
  HoldPass(FakeHoldOps, Request, program, &hold);
  EXPECT_EQ(Picture(), "e1 300,300 400x300; e2 24,-32 1936x1119; front e2");
  EXPECT_TRUE(state.placedTable[0].released);  // its mark is taken back with the others
  EXPECT_EQ(fakeDesktop.unclipped,
            (std::vector<WindowRef>{0xe2, 0xe2, 0xe2, 0xe2, 0xe2, 0xe2, 0xe1}));

  // A window that is gone frees its slot.
  second.exists = false;
  HoldPass(FakeHoldOps, Request, program, &hold);
  EXPECT_EQ(state.placedTable[1].window, 0u);
}

TEST_F(PlacementTargets, HoldTakesUpTheNextWindowOnlyOnceItsOwnIsGone) {
  // A splash that is a main window is placed first. While it shows, no other window is taken;
  // once it is gone, the real window, smaller than the splash was placed, busy at first, beside
  // windows that are no main window or are another run's.
  Add(0xf1, Target, Box(800, 400, 300, 200), Main);
  ScanTargetWindows(FakeOps, &state, Target);
  PlaceTargetWindows(FakeOps, &state, Request);
  Add(0xf2, Other, Box(0, 0, 1000, 1000), Main);
  Add(0xf3, Target, Box(0, 0, 200, 100), Main);
  Add(0xf4, Target, Box(250, 250, 800, 600), Main);
  fakeDesktop.windows.back().answers = false;
  Add(0xf5, Target, Box(0, 0, 1000, 700), Main);  // an owned dialog
  fakeDesktop.windows.back().owned = true;
  Add(0xf6, Target, Box(0, 0, 1000, 700), Main);  // a tool window
  fakeDesktop.windows.back().exStyle = ExStyleToolWindow;
  Add(0xf7, Target, Box(0, 0, 1000, 700), Visible | StyleSystemMenu);  // no caption
  Add(0xf8, Target, Box(0, 0, 1000, 700), Main);                       // placed by another run
  fakeDesktop.windows.back().mark = 8000;
  // The picture around f4: the windows met before it, and those after it up to the front one.
  const std::string before = "f2 0,0 1000x1000; f3 0,0 200x100; f4 ",
                    after =
                        "; f5 0,0 1000x700; f6 0,0 1000x700; f7 0,0 1000x700; "
                        "f8 0,0 1000x700; front ";
  HoldPass(FakeHoldOps, Request, program, &hold);
  EXPECT_EQ(hold.chosen, 0u);
  EXPECT_EQ(Picture(), "f1 -8,-32 1936x1119; " + before + "250,250 800x600" + after + "f1");
  fakeDesktop.windows[0].exists = false;
  HoldPass(FakeHoldOps, Request, program, &hold);
  HoldPass(FakeHoldOps, Request, program, &hold);
  EXPECT_EQ(hold.chosen, 0xf4u);
  EXPECT_EQ(hold.placed, 0u);
  EXPECT_EQ(Picture(), before + "250,250 800x600" + after + "f1");
  // Answering again, it is placed at the next pass.
  fakeDesktop.windows[3].answers = true;
  HoldPass(FakeHoldOps, Request, program, &hold);
  EXPECT_EQ(hold.placed, 0xf4u);
  EXPECT_EQ(Picture(), before + "-8,-32 1936x1119" + after + "f4");
  // Now held like the first: moved away, put back; nothing else changes.
  fakeDesktop.windows[3].box = Box(250, 250, 800, 600);
  HoldPass(FakeHoldOps, Request, program, &hold);
  EXPECT_EQ(Picture(), before + "-8,-32 1936x1119" + after + "f4");
}

TEST_F(PlacementTargets, HoldEndsAtItsTimeOrWhenTheProgramExitsOrANewerRunTakesOver) {
  Add(0x31, Target, Box(0, 0, 100, 100), Visible | SysMenu);
  ScanTargetWindows(FakeOps, &state, Target);
  PlaceTargetWindows(FakeOps, &state, Request);
  PlacementRequest held = Request;
  held.holdSeconds = 2;
  EXPECT_FALSE(HoldPlacement(FakeHoldOps, held, &program, &state));  // it placed nothing itself
  EXPECT_EQ(fakeDesktop.waits, std::vector<uint32_t>(8, 250));

  // The tick count wraps during the hold; the program ends after 600 ms.
  fakeDesktop.waits.clear();
  fakeDesktop.tick = UINT32_MAX - 100;
  fakeDesktop.exitsAt = fakeDesktop.tick + 600;
  HoldPlacement(FakeHoldOps, held, &program, &state);
  EXPECT_EQ(fakeDesktop.waits.size(), 3u);
  EXPECT_EQ(program.count, 0u);

  // A newer run places the window elsewhere: the hold ends at its next pass, moving nothing.
  fakeDesktop.exitsAt = UINT32_MAX;
  SetUpProgram();
  fakeDesktop.windows[0].mark = 8000;
  fakeDesktop.windows[0].box = Box(5, 5, 300, 300);
  fakeDesktop.waits.clear();
  HoldPlacement(FakeHoldOps, held, &program, &state);
  EXPECT_EQ(fakeDesktop.waits.size(), 1u);
  EXPECT_EQ(Picture(), "31 5,5 300x300; front 31");
}

TEST_F(PlacementTargets, HoldReadsTheMarksItMeets) {
  Add(0x81, Target, Box(0, 0, 400, 300), Main);
  ScanTargetWindows(FakeOps, &state, Target);
  PlaceTargetWindows(FakeOps, &state, Request);
  // A held window: this run's mark holds on; none (a newer run that has ended) or another living
  // run's ends the hold.
  for (uint32_t mark : {Self, 0u, 8000u}) {
    fakeDesktop.windows[0].mark = mark;
    EXPECT_EQ(HoldPass(FakeHoldOps, Request, program, &hold), mark == Self) << mark;
  }
  // Once it is gone, a new main window: taken unless another living run or the user has it.
  fakeDesktop.windows[0].exists = false;
  Add(0x82, Target, Box(0, 0, 2000, 1200), Main);
  for (uint32_t mark : {8000u, Self | ReleasedMark, 0u}) {
    fakeDesktop.windows[1].mark = mark;
    HoldPass(FakeHoldOps, Request, program, &hold);
    EXPECT_EQ(hold.placed, mark == 0 ? 0x82u : 0u) << mark;
  }
}

TEST_F(PlacementTargets, HoldAfterAFirstPlacementThatMovedNothingPlacesTheMainWindow) {
  Add(0x41, Target, Box(0, 0, 900, 700), Visible);  // a splash that does not answer
  fakeDesktop.windows[0].answers = false;
  ScanTargetWindows(FakeOps, &state, Target);
  PlacementRequest held = Request;
  held.holdSeconds = 1;
  EXPECT_FALSE(HoldPlacement(FakeHoldOps, held, &program, &state));
  Add(0x42, Target, Box(0, 0, 400, 300), Main);  // smaller than the splash
  EXPECT_TRUE(HoldPlacement(FakeHoldOps, held, &program, &state));
  EXPECT_EQ(fakeDesktop.windows[1].box.right, -8 + 1936);
}

// The same rule chooses the window a started program's hook places, as it is created: hidden
// still, and never a child.
TEST(PlacementMainWindow, OneRuleForWhatAMainWindowIs) {
  struct Row {
    uint32_t style, exStyle;
    bool owned, main, early;
  } rows[] = {
      {Main, 0, false, true, true},
      {Main | Minimized, 0, false, true, true},
      {Main | StyleMaximized, 0, false, true, true},
      {Main & ~Visible, 0, false, false, true},             // hidden
      {Main, 0, true, false, false},                        // a dialog or palette
      {Main, ExStyleToolWindow, false, false, false},       // a tool window or tooltip
      {Visible | StyleSystemMenu, 0, false, false, false},  // no title bar: a splash, a popup
      {Visible | StyleSystemMenu | 0x00800000, 0, false, false, false},  // a border, no caption
      {Visible | StyleCaption, 0, false, false, false},                  // no system menu
      {Main | 0x40000000, 0, false, true, false},                        // a child window
  };
  for (const Row& row : rows) {
    EXPECT_EQ(IsMainStyle(row.style, row.exStyle, row.owned), row.main)
        << std::hex << row.style << " " << row.exStyle << " " << row.owned;
    EXPECT_EQ(IsEarlyMainWindow(row.style, row.exStyle, row.owned), row.early)
        << std::hex << row.style << " " << row.exStyle << " " << row.owned;
  }
}

// The run and the program's library find the block and the events of one start by its process.
TEST(PlacementMainWindow, EarlyBlockOfAStart) {
  struct Row {
    EarlyObject kind;
    uint32_t processId;
    size_t size;
    const char* name;  // nullptr: does not fit
  } rows[] = {{EarlyBlockName, 4, EarlyNameSize, "TavrisolPlaceBlock4"},
              {EarlyPlacedName, 4294967292u, EarlyNameSize, "TavrisolPlacePlaced4294967292"},
              {EarlyReleaseName, 4096, 24, nullptr},
              {EarlyHookedName, 4096, 24, "TavrisolPlaceHooked4096"}};
  for (const Row& row : rows) {
    char name[EarlyNameSize];
    EXPECT_EQ(EarlyObjectName(row.kind, row.processId, name, row.size), row.name != nullptr);
    EXPECT_STREQ(row.name ? name : nullptr, row.name);
  }
  PlacementRequest fill = {0, 0, 0, 0, nullptr, 0, FillWorkArea, 2};
  EarlyBlock block;
  FillEarlyBlock(fill, &block);
  EXPECT_EQ(block.fill, FillWorkArea);
  EXPECT_EQ(block.fillMonitor, 2);
}

// Only a window that sees the screen scaled gets the rectangle in its own view: x=1920 on a 150 %
// monitor stays 1920 for a window aware of each monitor.
TEST(PlacementMainWindow, EarlyRectangleInTheWindowsOwnView) {
  struct Row {
    int awareness, windowDpi, screenDpi;
    WindowBox seen;
  } rows[] = {{2, 144, 96, {1920, 90, 2520, -15}},  {0, 96, 144, {1280, 60, 1680, -10}},
              {1, 96, 120, {1536, 72, 2016, -12}},  {0, 96, 96, {1920, 90, 2520, -15}},
              {-1, 96, 144, {1920, 90, 2520, -15}}, {0, 0, 144, {1920, 90, 2520, -15}}};
  for (const Row& row : rows) {
    const WindowBox box =
        OwnViewBox({1920, 90, 2520, -15}, row.awareness, row.windowDpi, row.screenDpi);
    EXPECT_EQ(box.left, row.seen.left) << row.awareness << " " << row.windowDpi;
    EXPECT_EQ(box.top, row.seen.top) << row.awareness << " " << row.windowDpi;
    EXPECT_EQ(box.right, row.seen.right) << row.awareness << " " << row.windowDpi;
    EXPECT_EQ(box.bottom, row.seen.bottom) << row.awareness << " " << row.windowDpi;
  }
  // Halves away from zero, as the system's MulDiv; past the 32-bit range, its ends.
  const WindowBox edge = OwnViewBox({-3, 3, 2000000000, -2000000000}, 0, 144, 96);
  EXPECT_EQ(edge.left, -5);
  EXPECT_EQ(edge.top, 5);
  EXPECT_EQ(edge.right, INT32_MAX);
  EXPECT_EQ(edge.bottom, INT32_MIN);
}

TEST_F(PlacementTargets, HoldTakesOnlyANormalMainWindowOfTheCommandOnceItsOwnIsHidden) {
  Add(0x51, Target, Box(0, 0, 400, 300), Main);
  ScanTargetWindows(FakeOps, &state, Target);
  PlaceTargetWindows(FakeOps, &state, Request);
  Add(0x52, Target, Box(0, 0, 2000, 1200), Main);  // larger than the placed one
  Add(0x53, Target, Box(0, 0, 1000, 800), Main | Minimized);
  Add(0x54, Target, Box(0, 0, 1000, 800), Main | StyleMaximized);
  // What the program opened beside its own main window is never the program's, nor is a copy
  // running other arguments.
  program.processes[program.count++] = {Other, 1, 0, HandleOf(Other), true};
  Add(0x57, Other, Box(0, 0, 1200, 900), Main);
  program.processes[program.count++] = {900, 1, 0, HandleOf(900), false, true};
  Add(0x58, 900, Box(0, 0, 2400, 1300), Main);
  const std::string before = Picture();
  HoldPass(FakeHoldOps, Request, program, &hold);
  EXPECT_EQ(Picture(), before);
  EXPECT_EQ(hold.placed, 0u);
  fakeDesktop.windows[0].style = Main & ~Visible;
  fakeDesktop.windows[1].box = Box(0, 0, 200, 100);  // whatever its size
  HoldPass(FakeHoldOps, Request, program, &hold);
  EXPECT_EQ(hold.placed, 0x52u);
}

TEST_F(PlacementTargets, HoldFollowsTheProgramToALaterCopy) {
  // The splash process ends after 500 ms, having started the main copy, whose window appears.
  Add(0x61, Target, Box(800, 400, 300, 200), Visible);
  ScanTargetWindows(FakeOps, &state, Target);
  PlaceTargetWindows(FakeOps, &state, Request);
  const uint32_t Copy = 700;
  fakeDesktop.exitsAt = fakeDesktop.tick + 500;
  fakeDesktop.laterCopies = {Copy};
  Add(0x62, Copy, Box(250, 250, 800, 600), Main);
  fakeDesktop.windows[0].exists = false;  // the splash went with its process
  PlacementRequest held = Request;
  held.holdSeconds = 2;
  EXPECT_TRUE(HoldPlacement(FakeHoldOps, held, &program, &state));
  EXPECT_EQ(fakeDesktop.waits.size(), 8u);  // held to its end, past the splash's exit
  EXPECT_EQ(fakeDesktop.windows[1].box.left, -8);
  EXPECT_EQ(program.count, 1u);
  EXPECT_EQ(program.processes[0].id, Copy);

  // A later copy found while the program still runs: the regular look for it, which passes over
  // copies without a window.
  const uint32_t Late = 800;
  fakeDesktop.exitsAt = UINT32_MAX;
  fakeDesktop.laterCopies = {Late, 801};
  fakeDesktop.copiesFrom = fakeDesktop.tick + 300;
  Add(0x63, Late, Box(0, 0, 1940, 1200), Main);
  fakeDesktop.windows[1].exists = false;
  HoldPlacement(FakeHoldOps, held, &program, &state);
  EXPECT_EQ(fakeDesktop.windows.back().box.left, -8);
  EXPECT_EQ(program.count, 2u);

  // With no copy left, the hold ends with the program.
  fakeDesktop.exitsAt = fakeDesktop.tick;
  fakeDesktop.laterCopies.clear();
  SetUpProgram();
  EXPECT_FALSE(HoldPlacement(FakeHoldOps, held, &program, &state));
  EXPECT_EQ(program.count, 0u);
}

TEST_F(PlacementTargets, AnInstanceAnswersTheStartOnlyWithANewMainWindowOrOneBroughtToTheFront) {
  Add(0x71, Other, Box(0, 0, 400, 300), Main);  // the instance's window before the start
  Add(0x72, Other, Box(0, 0, 400, 300), Main);
  fakeDesktop.foreground = 0x72;
  ShownWindows shown;
  RecordShownWindows(FakeOps, &shown);
  ASSERT_EQ(shown.count, 2u);
  // Shown after the start, but no main window: a dialog, a tooltip, a popup.
  Add(0x73, Other, Box(0, 0, 300, 200), Main);
  fakeDesktop.windows.back().owned = true;
  Add(0x74, Other, Box(0, 0, 300, 20), Main);
  fakeDesktop.windows.back().exStyle = ExStyleToolWindow;
  Add(0x75, Other, Box(0, 0, 300, 200), Visible | StyleSystemMenu);
  EXPECT_FALSE(ScanNewWindows(FakeOps, &state, Other, shown));
  EXPECT_FALSE(ScanForeground(FakeOps, &state, Other, shown));  // the same window in front
  fakeDesktop.foreground = 0x73;
  EXPECT_FALSE(ScanForeground(FakeOps, &state, Other, shown));  // the dialog in front
  // The request shown in the window in front already: its title changed.
  fakeDesktop.windows[1].title = 8;
  EXPECT_FALSE(ScanForeground(FakeOps, &state, Target, shown));
  EXPECT_TRUE(ScanForeground(FakeOps, &state, Other, shown));
  EXPECT_EQ(state.targetWindow, 0x72u);
  state = WindowState();
  // Brought to the front in answer: that window is the target.
  fakeDesktop.foreground = 0x71;
  EXPECT_FALSE(ScanForeground(FakeOps, &state, Target, shown));
  EXPECT_TRUE(ScanForeground(FakeOps, &state, Other, shown));
  EXPECT_EQ(state.targetWindow, 0x71u);
  // A new main window is.
  state = WindowState();
  Add(0x76, Other, Box(0, 0, 300, 200), Main);
  EXPECT_TRUE(ScanNewWindows(FakeOps, &state, Other, shown));
  EXPECT_EQ(state.targetWindow, 0x76u);
  EXPECT_EQ(state.candidateTable[1], 0u);
}

}  // namespace
