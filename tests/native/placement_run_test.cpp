// The placement run's roads, each stated by its outcome: which window ends
// where and when, what is started and ended, what is reported, and the exit
// value. The run works on a small fake system, a table of the program's
// processes and their windows that the fake operations read and change, in
// which time passes only as the run waits.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "placement/run.h"
#include "support/diag_capture.h"

namespace {

const uint64_t Second = 10000000;  // in the units of creation times
const uint64_t RunBegins = 1000000000 * Second;

// A process of the program, in the run's session and running the command's
// arguments unless said otherwise.
struct FakeProcess {
  uint32_t id;
  int ageS = 60;      // how long it has run when the run begins; negative: begins later
  int windowMs = -1;  // when its main window shows, into the run's waits; -1: never
  uint32_t session = 1;
  bool handedOver = false;  // started by the program: found as what it handed over to
  bool otherArguments = false;
  bool silent = false;      // answers nothing: none of its windows, if it has any
  bool windowless = false;  // shows no window at all (a program in the notification area)
  bool placedFor = false;   // runs other arguments, but shows a window placed for the command
  bool busy = false;        // never waits for input
  bool front = false;       // its window is an older one brought to the front
  bool fromStart = false;   // there only once the run has started the command
  int endsMs = -1;          // ends that long into the run's waits
  bool refusesEnd = false;  // cannot be ended (another user's)
};

// The table as the run begins, and how the system answers.
struct World {
  std::vector<FakeProcess> processes = {};
  FakeProcess started = {.id = 77};  // what a start of the command adds
  const char* startedPath = "";
  uint32_t startError = 0;  // the start fails with this reason
  LaunchKind kind = LaunchProgram;  // what a refused start was
  bool placedEarly = false;   // the start placed its window before it showed
  uint32_t shortWaitsMs = 0;  // other windows shown cut every wait this short
  uint32_t lateWaitsMs = 0;   // every wait ends this much later than asked
  PlaceResult placeResult = {1, UnmovedNone, 0};
  bool holdPlaces = false;
  uintptr_t job = 0;
};

struct FakeSystem {
  World world;
  uint32_t elapsedMs = 0;
  std::string outcome;  // what was ended, started, placed, put back and held, in order
  std::string placedAt, startedAt;
  uint32_t startedMs = 0;  // when the command was started
  bool opened = false, turnHeld = false;
  int turnsTaken = 0, turnsGiven = 0, letGos = 0;
  WindowRef marksClearedOf = 0;
  uintptr_t startedJob = 0, jobLetGo = 0;
};

FakeSystem* fake = nullptr;

uintptr_t HandleOf(uint32_t id) { return 0x1000 + id; }

void Note(const std::string& what) { fake->outcome += (fake->outcome.empty() ? "" : "; ") + what; }

std::string Rect(const PlacementRequest& r) {
  char text[64];
  std::snprintf(text, sizeof text, "%d,%d,%d,%d", r.left, r.top, r.width, r.height);
  return text;
}

FakeProcess* Find(uint32_t id) {
  for (FakeProcess& p : fake->world.processes)
    if (p.id == id || HandleOf(p.id) == id) return &p;
  return nullptr;
}

bool Present(const FakeProcess& p) {
  const bool begun = !p.fromStart || fake->startedAt.size() > 0;
  return begun && (p.endsMs < 0 || fake->elapsedMs < static_cast<uint32_t>(p.endsMs));
}

bool WindowShown(const FakeProcess& p) {
  return Present(p) && p.windowMs >= 0 && static_cast<uint32_t>(p.windowMs) <= fake->elapsedMs;
}

// A program named "gone" is not there.
bool FakeOpen(const char* command, Program* program) {
  fake->opened = true;
  CanonicalPathText(command, program->path, sizeof program->path);
  program->command = command;
  program->job = fake->world.job;
  return std::strstr(program->path, "gone") == nullptr;
}

uintptr_t FakeTakeTurn(const char*, uint32_t) {
  ++fake->turnsTaken;
  fake->turnHeld = true;
  return 0x10c;
}

void FakeGiveTurn(uintptr_t turn) {
  if (turn == 0) return;
  EXPECT_TRUE(CapturedReports().empty()) << "the turn is given back before the message";
  ++fake->turnsGiven;
  fake->turnHeld = false;
}

uint32_t FakeFindProcesses(Program* program, ProcessSearch search) {
  const bool handedOver = search == HandedOver || search == HandedOverAnywhere;
  uint32_t met = 0;
  for (const FakeProcess& p : fake->world.processes) {
    // Its window placed for the command makes a copy held for other arguments the command's.
    for (uint32_t i = 0; handedOver && p.placedFor && i < program->count; ++i) {
      ProgramProcess& held = program->processes[i];
      if (held.id != p.id || !held.otherArguments) continue;
      held.otherArguments = false;
      held.markedOnly = true;
      ++met;
    }
    if (!Present(p) || p.handedOver != handedOver) continue;
    if (search == ProgramWindowOwners && !WindowShown(p)) continue;
    const bool held = HoldsProcess(*program, p.id);
    met += handedOver ? !held : !p.otherArguments;
    if (held || program->count >= ProgramSlots) continue;
    const uint64_t created =
        RunBegins - static_cast<int64_t>(p.ageS) * static_cast<int64_t>(Second);
    program->processes[program->count++] = {p.id,           p.session,  created,
                                            HandleOf(p.id), p.handedOver, p.otherArguments};
  }
  return met;
}

void FakeRelease(Program* program) { program->count = 0; }
uint32_t FakeSession() { return 1; }
uint64_t FakeNow() { return RunBegins + fake->elapsedMs * 10000ull; }

bool FakeReady(uintptr_t process, uint32_t ms) {
  const FakeProcess* p = Find(static_cast<uint32_t>(process));
  if (p == nullptr || !p->busy) return true;
  fake->elapsedMs += ms;
  return false;
}

bool FakeEnded(uintptr_t process, uint32_t* exitValue) {
  const FakeProcess* p = Find(static_cast<uint32_t>(process));
  *exitValue = 7;
  return p != nullptr && !Present(*p);
}

// Hung: shows windows, none of which answers. Only through the handle the lookup opened.
HungEnd FakeEndIfHung(const ProgramProcess& process, uint32_t* error) {
  FakeProcess* p = Find(process.id);
  if (!p->silent || p->windowless || process.handle != HandleOf(p->id)) return NotHung;
  *error = 5;
  if (p->refusesEnd) return HungEndRefused;
  p->endsMs = static_cast<int>(fake->elapsedMs);
  Note("ended " + std::to_string(p->id));
  return HungEnded;
}

bool FakeStart(const PlacementRequest& request, StartedProcess* started) {
  fake->startedJob = started->job;
  started->error = fake->world.startError;
  started->kind = fake->world.kind;
  if (started->error != 0) return false;
  Note(std::string("started ") + request.command);
  fake->startedAt = Rect(request);
  fake->startedMs = fake->elapsedMs;
  fake->world.processes.push_back(fake->world.started);
  started->id = fake->world.started.id;
  started->handle = HandleOf(started->id);
  started->created = FakeNow();
  std::snprintf(started->path, sizeof started->path, "%s", fake->world.startedPath);
  return true;
}

bool FakePlacedEarly(StartedProcess*) { return fake->world.placedEarly; }

void FakeWaitForShown(HandOverFollower*, uint32_t ms) {
  const uint32_t waited = fake->world.shortWaitsMs != 0 && fake->world.shortWaitsMs < ms
                              ? fake->world.shortWaitsMs
                              : ms;
  fake->elapsedMs += waited + fake->world.lateWaitsMs;
}

// A window found is the process's 0x900 + id; a copy with a window placed for the command
// shows its own main window, 0x800 + id, too.
bool FakeScan(WindowState* state, uint32_t processId, WindowsToScan which, const ShownWindows&) {
  const FakeProcess* p = Find(processId);
  if (p == nullptr || !WindowShown(*p)) return false;
  const bool shownSince = static_cast<uint32_t>(p->windowMs) >= fake->startedMs;
  if (p->placedFor && which != NewSinceStart) {
    state->targetWindow = (which == PlacedForCommand ? 0x900 : 0x800) + processId;
    return true;
  }
  const bool taken = which == AllMainWindows ||
                     (which == NewSinceStart && !p->front && shownSince) ||
                     (which == BroughtToFront && p->front);
  if (taken) state->targetWindow = 0x900 + processId;
  return taken;
}

std::string WindowOf(const WindowState& state) {
  const WindowRef w = state.targetWindow;
  return w >= 0x900 ? std::to_string(w - 0x900) : std::to_string(w - 0x800) + "'s own";
}

// The window the road's outcome placed, tried or held last; 0 when none.
WindowRef LastWindow(const std::string& outcome) {
  WindowRef last = 0;
  for (size_t at = 0; at != std::string::npos; at = outcome.find("; ", at + 1)) {
    const char* entry = outcome.c_str() + at + (at == 0 ? 0 : 2);
    unsigned id = 0;
    for (const char* verb : {"placed %u", "unmoved %u", "held %u"})
      if (std::sscanf(entry, verb, &id) == 1) last = 0x900 + id;
  }
  return last;
}

PlaceResult FakePlace(WindowState* state, const PlacementRequest& request) {
  EXPECT_TRUE(fake->turnHeld || fake->turnsTaken == 0) << "the next run waits for the place";
  const bool moved = fake->world.placeResult.moved > 0;
  Note((moved ? "placed " : "unmoved ") + WindowOf(*state) + " after " +
       std::to_string(fake->elapsedMs) + " ms");
  fake->placedAt = Rect(request);
  return fake->world.placeResult;
}

void FakePutBack(const PlacementRequest&, WindowState* state, uintptr_t) {
  EXPECT_TRUE(fake->turnHeld || fake->turnsTaken == 0) << "the next run waits for the put-back";
  Note("put back " + WindowOf(*state));
}

bool FakeHold(const PlacementRequest& request, Program* program, WindowState* state) {
  EXPECT_TRUE(CapturedReports().empty()) << "a failure is reported only after the hold";
  EXPECT_FALSE(fake->turnHeld) << "a newer run may take over from the hold";
  Note("held " + WindowOf(*state) + " for " + std::to_string(request.holdSeconds) + " s in " +
       program->path);
  return fake->world.holdPlaces;
}

void FakeLetGo(Program* program, StartedProcess*, const WindowState& windows) {
  ++fake->letGos;
  fake->marksClearedOf = windows.targetWindow;
  fake->jobLetGo = program->job;
}

const PlacementOps FakeOps = {
    .openProgram = FakeOpen,
    .takeTurn = FakeTakeTurn,
    .giveTurn = FakeGiveTurn,
    .findProcesses = FakeFindProcesses,
    .releaseProcesses = FakeRelease,
    .ownSession = FakeSession,
    .now = FakeNow,
    .readyForInput = FakeReady,
    .ended = FakeEnded,
    .endIfHung = FakeEndIfHung,
    .start = FakeStart,
    .awaitPlacedEarly = FakePlacedEarly,
    .waitForShown = FakeWaitForShown,
    .stopFollowing = [](StartedProcess*) {},
    .scanWindows = FakeScan,
    .place = FakePlace,
    .putBackOnceReady = FakePutBack,
    .hold = FakeHold,
    .letGo = FakeLetGo,
};

struct Road {
  const char* name;
  const char* line;
  World world;
  const char* outcome;  // what was ended, started, placed, put back and held, in order
  const char* report;   // "": none, and the exit value is 1
};

// Runs the road; whatever it is, the exit value is 1 unless a failure was
// reported, the run lets go of what it opened once, the turn it took is given
// back, the job is the program's, and a window goes to the line's rectangle.
void RunRoad(const Road& road) {
  SCOPED_TRACE(road.name);
  ClearCaptured();
  FakeSystem system;
  system.world = road.world;
  fake = &system;
  std::vector<char> line(road.line, road.line + std::strlen(road.line) + 1);
  const int exitValue = RunPlacement(line.data(), FakeOps);
  fake = nullptr;
  EXPECT_EQ(system.outcome, road.outcome);
  std::string reports;
  for (const CapturedReport& report : CapturedReports()) {
    EXPECT_EQ(report.caption, "Failure");
    reports += report.text;
  }
  EXPECT_EQ(reports, road.report);
  EXPECT_EQ(exitValue, reports.empty() ? 1 : 0);
  EXPECT_EQ(system.letGos, system.opened ? 1 : 0);
  EXPECT_EQ(system.turnsGiven, system.turnsTaken);
  EXPECT_EQ(system.marksClearedOf, LastWindow(road.outcome));
  EXPECT_EQ(system.jobLetGo, road.world.job);
  if (!system.startedAt.empty()) {
    EXPECT_EQ(system.startedJob, road.world.job);
  }
  for (const std::string& at : {system.placedAt, system.startedAt})
    EXPECT_EQ(std::string(road.line).rfind(at, 0), 0u) << at;
  bool killing = false;
  for (const std::string& trace : CapturedTraces()) killing |= trace == "killing hung process\r\n";
  EXPECT_EQ(killing, std::strstr(road.outcome, "ended ") != nullptr ||
                         std::strstr(road.report, "TerminateProcess") != nullptr);
}

const char NoWindowText[] =
    "Didn't find window: 1,2,3,4 C:\\app.exe\n\nPerhaps there are hung processes you need to "
    "kill off in the task manager?";
const char App[] = "1,2,3,4 C:\\app.exe";
const char AppHeld[] = "1,2,3,4,30 C:\\app.exe";
const char Gone[] = "1,2,3,4 \"C:\\gone.exe\" -x";
const char Script[] = "1,2,3,4,30 C:\\go.bat";
const char Cmd[] = "C:\\windows\\system32\\CMD.EXE";
const PlaceResult Unanswered = {0, UnmovedNotResponding, 0}, Refused = {0, UnmovedMoveFailed, 5};

// clang-format off
// The command found running, found starting, or started; its window placed.
const Road PlacedRoads[] = {
    {"running: placed at once", "-8,-32,1936,1119 C:/app.exe",
     {.processes = {{.id = 42, .windowMs = 0}}}, "placed 42 after 0 ms", ""},
    {"not running: a bare name started as written, placed once shown, put back", "10,20,300,400 app.exe  ",
     {.started = {.id = 77, .windowMs = 1000}}, "started app.exe; placed 77 after 1000 ms; put back 77", ""},
    {"a stub that never gets ready: placed once its window shows", "10,20,300,400 app.exe",
     {.started = {.id = 77, .windowMs = 2000, .busy = true}}, "started app.exe; placed 77 after 2000 ms; put back 77", ""},
    {"placed before it showed: no wait", "10,20,300,400 app.exe",
     {.started = {.id = 77, .windowMs = 0}, .placedEarly = true}, "started app.exe; placed 77 after 0 ms; put back 77", ""},
    {"the window shows at the last of twelve scans", App,
     {.started = {.id = 77, .windowMs = 12000}}, "started C:\\app.exe; placed 77 after 12000 ms; put back 77", ""},
    {"waits cut short by other windows keep the same limit", App,
     {.started = {.id = 77, .windowMs = 11000}, .shortWaitsMs = 250},
     "started C:\\app.exe; placed 77 after 11000 ms; put back 77", ""},
    {"young: awaited, nothing ended", App,
     {.processes = {{.id = 42, .ageS = 13, .windowMs = 2000}}}, "placed 42 after 2000 ms", ""},
    {"old but not ready: awaited", App,
     {.processes = {{.id = 42, .windowMs = 2000, .busy = true}}}, "placed 42 after 2000 ms", ""},
    {"one of several still starting: awaited, the hung one left", App,
     {.processes = {{.id = 41, .silent = true}, {.id = 42, .ageS = 1, .windowMs = 2000}}}, "placed 42 after 2000 ms", ""},
    {"a launcher without a window: what it started is placed, the launcher kept", App,
     {.processes = {{.id = 42, .silent = true}, {.id = 60, .windowMs = 0, .handedOver = true}}}, "placed 60 after 0 ms", ""},
    {"a launcher awaited while what it started shows nothing yet", App,
     {.processes = {{.id = 42, .silent = true}, {.id = 60, .windowMs = 2000, .handedOver = true}}}, "placed 60 after 2000 ms", ""},
    {"what the command started waited for, not a copy with other arguments", App,
     {.processes = {{.id = 41, .otherArguments = true, .silent = true}, {.id = 60, .windowMs = 2000, .handedOver = true}}},
     "placed 60 after 2000 ms", ""},
    {"a copy with other arguments that took the command's request: its window placed for it", App,
     {.processes = {{.id = 50, .windowMs = 0, .otherArguments = true, .placedFor = true}}}, "placed 50 after 0 ms", ""},
    {"the launcher has ended: what it started is found in the job", App,
     {.processes = {{.id = 60, .windowMs = 0, .handedOver = true}}}, "placed 60 after 0 ms", ""},
    {"held", AppHeld,
     {.processes = {{.id = 42, .windowMs = 0}}}, "placed 42 after 0 ms; held 42 for 30 s in C:\\app.exe", ""},
    {"started with arguments and held: the hold follows the program, not put back", "1,2,3,4,30 C:\\app.exe --new",
     {.started = {.id = 77, .windowMs = 1000}, .startedPath = "C:\\app.exe"},
     "started C:\\app.exe --new; placed 77 after 1000 ms; held 77 for 30 s in C:\\app.exe", ""},
};

// Processes of the command that keep silent are ended and the command is
// started again; others are left alone.
const Road EndedRoads[] = {
    {"hung: ended through its handle, started once", App,
     {.processes = {{.id = 42, .silent = true}}, .started = {.id = 77, .windowMs = 3000}},
     "ended 42; started C:\\app.exe; placed 77 after 3000 ms; put back 77", ""},
    {"several hung: all ended before the one start", App,
     {.processes = {{.id = 41, .silent = true}, {.id = 42, .silent = true}}, .started = {.id = 77, .windowMs = 1000}},
     "ended 41; ended 42; started C:\\app.exe; placed 77 after 1000 ms; put back 77", ""},
    {"restarted without a window: not ended again, reported", App,
     {.processes = {{.id = 42, .silent = true}}}, "ended 42; started C:\\app.exe", NoWindowText},
    {"without a window at all, answering nothing: left running, the command started beside", App,
     {.processes = {{.id = 42, .silent = true, .windowless = true}}, .started = {.id = 77, .windowMs = 1000}},
     "started C:\\app.exe; placed 77 after 1000 ms; put back 77", ""},
    {"another session's copy is never touched", App,
     {.processes = {{.id = 41, .session = 2, .silent = true}}, .started = {.id = 77, .windowMs = 1000}},
     "started C:\\app.exe; placed 77 after 1000 ms; put back 77", ""},
    {"another session's young copy does not stop the end of this one's", App,
     {.processes = {{.id = 41, .ageS = 1, .session = 2}, {.id = 42, .silent = true}}, .started = {.id = 77, .windowMs = 1000}},
     "ended 42; started C:\\app.exe; placed 77 after 1000 ms; put back 77", ""},
    {"what another session's copy started is not waited for", App,
     {.processes = {{.id = 42, .silent = true}, {.id = 60, .windowMs = 2000, .session = 2, .handedOver = true}},
      .started = {.id = 77, .windowMs = 1000}},
     "ended 42; started C:\\app.exe; placed 77 after 1000 ms; put back 77", ""},
    {"a copy with other arguments: not the command's, never ended", App,
     {.processes = {{.id = 41, .otherArguments = true, .silent = true}, {.id = 42}}, .started = {.id = 77, .windowMs = 1000}},
     "started C:\\app.exe; placed 77 after 1000 ms; put back 77", ""},
    {"an end refused: reported, nothing started", App,
     {.processes = {{.id = 42, .silent = true, .refusesEnd = true}}}, "",
     "TerminateProcess failed: 1,2,3,4 C:\\app.exe\nsystem text 5"},
    {"the start after the end fails", App,
     {.processes = {{.id = 42, .silent = true}}, .startError = 2}, "ended 42",
     "CreateProcess failed.\nC:\\app.exe\nsystem text 2"},
};

// A single-instance program, a restart, a launcher or a script: the window
// shows in another process of the program than the one started.
const Road HandedOverRoads[] = {
    {"a copy begun after the started one", AppHeld,
     {.processes = {{.id = 90, .ageS = -1, .windowMs = 1000, .fromStart = true}}, .startedPath = "C:\\app.exe"},
     "started C:\\app.exe; placed 90 after 1000 ms; held 90 for 30 s in C:\\app.exe", ""},
    {"an instance's new window once the started copy ended", App,
     {.processes = {{.id = 50, .windowMs = 2000, .otherArguments = true}}, .started = {.id = 77, .endsMs = 1000}},
     "started C:\\app.exe; placed 50 after 2000 ms; put back 50", ""},
    {"an instance's window brought to the front once the started copy ended", App,
     {.processes = {{.id = 50, .windowMs = 2000, .otherArguments = true, .front = true}}, .started = {.id = 77, .endsMs = 1000}},
     "started C:\\app.exe; placed 50 after 2000 ms; put back 50", ""},
    {"an instance's new window while the started copy lives: at the last scan", App,
     {.processes = {{.id = 50, .windowMs = 2000, .otherArguments = true}}},
     "started C:\\app.exe; placed 50 after 12000 ms; put back 50", ""},
    {"what the started one started, whatever its start time says", App,
     {.processes = {{.id = 91, .ageS = 1, .windowMs = 1000, .handedOver = true, .fromStart = true}}},
     "started C:\\app.exe; placed 91 after 1000 ms; put back 91", ""},
    {"an instance took the start without a window", App,
     {.processes = {{.id = 50, .otherArguments = true}}, .started = {.id = 77, .endsMs = 1000}}, "started C:\\app.exe",
     "The running program took the request without showing a window: 1,2,3,4 C:\\app.exe"},
    {"found starting: an older instance's windows are not taken", App,
     {.processes = {{.id = 42, .ageS = 1}, {.id = 50, .windowMs = 1000, .otherArguments = true}}}, "started C:\\app.exe", NoWindowText},
    {"found starting, no window by the end of the wait: the command started beside it", App,
     {.processes = {{.id = 42, .ageS = 1}}, .started = {.id = 77, .windowMs = 13000}},
     "started C:\\app.exe; placed 77 after 13000 ms; put back 77", ""},
    {"a script: what it starts is placed, its console not", Script,
     {.processes = {{.id = 91, .ageS = -1, .windowMs = 1000, .handedOver = true, .fromStart = true}},
      .started = {.id = 77, .windowMs = 0}, .startedPath = Cmd, .job = 0x70b},
     "started C:\\go.bat; placed 91 after 1000 ms; held 91 for 30 s in C:\\go.bat", ""},
    {"a script that starts nothing: its console at the last scan", Script,
     {.started = {.id = 77, .windowMs = 0}, .startedPath = Cmd, .job = 0x70b},
     "started C:\\go.bat; placed 77 after 12000 ms; held 77 for 30 s in C:\\go.bat", ""},
};

// Refused lines, a start that fails, a window that never shows or is not
// moved: reported, with the system's reason where there is one.
const Road FailedRoads[] = {
    {"coordinates missing", "1,2,3 app.exe \r\n", {}, "",
     "Command line missing startup coords and sizes, or fill or fillwork.\n1,2,3 app.exe \r\n"},
    {"no blank after the numbers", "1,2,3,4\tapp.exe\r\n", {}, "", "Invalid Command line.\n1,2,3,4\tapp.exe\r\n"},
    {"a width below 1", "10,10,-500,300 app.exe", {}, "",
     "Size -500x300: width and height must be 1 or more.\n10,10,-500,300 app.exe"},
    {"the program is not there", Gone, {}, "", "Program not found.\n\"C:\\gone.exe\" -x\nsystem text 2"},
    {"the start fails: the command shown trimmed", "1,2,3,4  \tC:\\missing.exe --flag \r\n",
     {.startError = 2}, "", "CreateProcess failed.\nC:\\missing.exe --flag\nsystem text 2"},
    {"the shell refuses", "1,2,3,4 C:\\app.lnk",
     {.startError = 1223, .kind = LaunchShell}, "", "ShellExecuteEx failed: C:\\app.lnk\nsystem text 1223"},
    {"no window by the last scan: left running", "10,20,300,400 notepad.exe \t\r\n",
     {.started = {.id = 77, .windowMs = 13000}}, "started notepad.exe",
     "Didn't find window: 10,20,300,400 notepad.exe\n\nPerhaps there are hung processes you need to kill off in the task manager?"},
    {"waits that end late: the limit is the clock's, not the sum of the waits asked", App,
     {.started = {.id = 77, .windowMs = 14000}, .lateWaitsMs = 500}, "started C:\\app.exe", NoWindowText},
    {"ended without a window, nothing of the program left", App,
     {.started = {.id = 77, .endsMs = 3000}}, "started C:\\app.exe", "C:\\app.exe\nended (exit value 7) without showing a window."},
    {"running, not answering", App,
     {.processes = {{.id = 42, .windowMs = 0}}, .placeResult = Unanswered}, "unmoved 42 after 0 ms",
     "Window not responding: 1,2,3,4 C:\\app.exe"},
    {"running, the move refused", App,
     {.processes = {{.id = 42, .windowMs = 0}}, .placeResult = Refused}, "unmoved 42 after 0 ms",
     "MoveWindow failed: 1,2,3,4 C:\\app.exe\nsystem text 5"},
    {"running, one of two moved", App,
     {.processes = {{.id = 42, .windowMs = 0}}, .placeResult = {1, UnmovedMoveFailed, 5}}, "placed 42 after 0 ms", ""},
    {"started, not answering: not started again", App,
     {.started = {.id = 77, .windowMs = 1000}, .placeResult = Unanswered}, "started C:\\app.exe; unmoved 77 after 1000 ms",
     "Window not responding: 1,2,3,4 C:\\app.exe"},
    {"started, one of two answering", App,
     {.started = {.id = 77, .windowMs = 1000}, .placeResult = {1, UnmovedNotResponding, 0}},
     "started C:\\app.exe; placed 77 after 1000 ms; put back 77", ""},
    {"held: a failure only when the hold placed nothing either", "1,2,3,4,30 app.exe",
     {.started = {.id = 77, .windowMs = 1000}, .placeResult = Unanswered},
     "started app.exe; unmoved 77 after 1000 ms; held 77 for 30 s in ", "Window not responding: 1,2,3,4,30 app.exe"},
    {"held: the hold placed a window", "1,2,3,4,30 app.exe",
     {.started = {.id = 77, .windowMs = 1000}, .placeResult = Unanswered, .holdPlaces = true},
     "started app.exe; unmoved 77 after 1000 ms; held 77 for 30 s in ", ""},
};
// clang-format on

TEST(PlacementRun, Placed) {
  for (const Road& road : PlacedRoads) RunRoad(road);
}

TEST(PlacementRun, HungEndedAndStartedAgain) {
  for (const Road& road : EndedRoads) RunRoad(road);
}

TEST(PlacementRun, HandedOver) {
  for (const Road& road : HandedOverRoads) RunRoad(road);
}

TEST(PlacementRun, Failed) {
  for (const Road& road : FailedRoads) RunRoad(road);
}

// The kind of a start, from what the system said of it, and the trace line that says why.
TEST(PlacementRun, LaunchKinds) {
  const struct {
    uint32_t refused;
    const char* startedPath;
    LaunchKind kind;
    const char* why;
  } rows[] = {{0, "C:\\app.exe", LaunchProgram, "a program\r\n"},
              {0, "C:\\tools\\mycmd.exe", LaunchProgram, "a program\r\n"},
              {2, "", LaunchProgram, "a program\r\n"},  // a failed start
              {0, Cmd, LaunchScript, "script in cmd\r\n"},
              {193, "cmd.exe", LaunchScript, "script in cmd\r\n"},  // a shortcut to a script
              {193, "", LaunchShell, "for the shell\r\n"},
              {740, "", LaunchShell, "for the shell\r\n"}};
  for (const auto& row : rows) {
    ClearCaptured();
    EXPECT_EQ(ChooseLaunch(row.refused, row.startedPath), row.kind) << row.startedPath;
    EXPECT_EQ(CapturedTraces(), std::vector<std::string>{row.why});
  }
}

// The lookup met more processes than it has room for: the run reads its
// table, no further, and the started process finds no room in it either.
TEST(PlacementRun, OnlyTheProcessesTheLookupHoldsAreRead) {
  Road road = {"more than the lookup holds",
               App,
               {.started = {.id = 77, .windowMs = 1000}},
               "started C:\\app.exe; placed 77 after 1000 ms; put back 77",
               ""};
  for (uint32_t id = 100; id < 100 + ProgramSlots + 4; ++id)
    road.world.processes.push_back({.id = id, .windowMs = id >= 100 + ProgramSlots ? 0 : -1});
  RunRoad(road);
}

}  // namespace
