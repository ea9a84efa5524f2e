// The placement run's operations over the system: the start of a command
// (CreateProcess, or the shell for what it must open), the waits on a
// starting program, the end of a hung one, and the table that binds the
// lookup, the scans, the move stage and the hold to the run.
#include <windows.h>

#include <shellapi.h>

#include "diag/diag.h"
#include "diag/text.h"
#include "placement/handover.h"
#include "placement/hold.h"
#include "placement/lookup.h"
#include "placement/marks.h"
#include "placement/run.h"
#include "placement/shown.h"
#include "placement/targets.h"

namespace {

enum { FileNameTooLong = 206 };    // the system's code for it
enum : DWORD { IdlePollMs = 10 };  // between two looks at a starting program

// What the run needs of a process it started, which goes in the run's job
// (an older system may refuse a second job: the parent links stand in).
void NoteStarted(HANDLE process, StartedProcess* started) {
  if (!AssignProcessToJobObject(reinterpret_cast<HANDLE>(started->job), process))
    TraceLine("the program runs outside its job\r\n");
  ProcessRef ref = reinterpret_cast<ProcessRef>(process);
  ProcessImagePath(ref, started->path, sizeof started->path);  // left empty when unknown
  started->created = ProcessCreationTime(ref);
  // Without a process from the shell (a shortcut under some systems), what
  // it started from this run is found through the run's own process.
  started->id = GetProcessId(process != nullptr ? process : GetCurrentProcess());
  started->handle = ref;
}

// The shell resolves a shortcut, finds a document's program and asks for
// elevation; its failure (also the user's refusal) is reported by the run. It
// is given the program part as the file, never a guess at the first blank,
// and what follows as the parameters.
bool OpenThroughShell(const PlacementRequest& request, StartedProcess* started) {
  SHELLEXECUTEINFOA info;
  ZeroMemory(&info, sizeof info);
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  size_t length, arguments;
  const char* rest;
  char* program = const_cast<char*>(ProgramOfCommand(request.command, &length, &rest));
  info.lpParameters = ArgumentsOfCommand(request.command, &arguments);
  // Cut after the program part for the call (the arguments begin further on).
  const char kept = program[length];
  program[length] = '\0';
  info.lpFile = program;
  info.nShow = SW_SHOWNORMAL;
  const bool opened = ShellExecuteExA(&info) != 0;
  program[length] = kept;
  if (!opened) {
    started->error = GetLastError();
    return false;
  }
  NoteStarted(info.hProcess, started);
  FollowHandOver(&started->follower, request, started->job, started->id, false);
  return true;
}

bool StartCommand(const PlacementRequest& request, StartedProcess* started) {
  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  // Negative positions travel as their two's complement; the started program
  // takes them as the position and size of its first window.
  startup.dwX = static_cast<DWORD>(request.left);
  startup.dwY = static_cast<DWORD>(request.top);
  startup.dwXSize = static_cast<DWORD>(request.width);
  startup.dwYSize = static_cast<DWORD>(request.height);
  startup.dwFlags = request.fill == FillNone ? STARTF_USESIZE | STARTF_USEPOSITION : 0;

  PROCESS_INFORMATION info;
  ZeroMemory(&info, sizeof info);
  // The program is named, and quoted in the command line: "C:\My Tools\app.exe
  // -x" starts that file, never "C:\My.exe" with the rest as arguments.
  char commandLine[CommandLineSize];
  if (!QuoteProgramPart(request.command, commandLine, sizeof commandLine)) {
    started->error = FileNameTooLong;
    return false;
  }
  const char* application = started->program[0] != '\0' ? started->program : nullptr;
  // Started suspended, so that its path and start time are read before it can
  // hand over to another copy and end, and so that it is in the run's job
  // before it can start anything of its own; what can be ready before is.
  PrepareEarlyPlacement(&started->placing);
  if (!CreateProcessA(application, commandLine, nullptr, nullptr, FALSE,
                      CREATE_NEW_PROCESS_GROUP | CREATE_SUSPENDED, nullptr, nullptr, &startup,
                      &info)) {
    started->error = GetLastError();
    ResumeStarted(0, &started->placing);
    started->kind = ChooseLaunch(started->error, started->path);  // no path yet
    return started->kind == LaunchShell && OpenThroughShell(request, started);
  }
  NoteStarted(info.hProcess, started);
  ArmEarlyPlacement(request, started->handle, info.dwProcessId, info.dwThreadId, started->job,
                    &started->placing);
  FollowHandOver(&started->follower, request, started->job, info.dwProcessId,
                 started->placing.placed != 0);
  const bool resumed = ResumeStarted(reinterpret_cast<uintptr_t>(info.hThread), &started->placing);
  CloseHandle(info.hThread);
  if (resumed) return true;
  // Never left suspended: the program is ended and the start fails.
  started->error = GetLastError();
  TerminateProcess(info.hProcess, 1);
  return false;
}

// Asked every few milliseconds, so that the windows the program hands over to
// are moved as they are made meanwhile.
bool WaitUntilIdle(uintptr_t process, uint32_t milliseconds) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (WaitForInputIdle(reinterpret_cast<HANDLE>(process), 0) != WAIT_TIMEOUT) return true;
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= milliseconds) return false;
    WaitPumping(nullptr, 0,
                milliseconds - elapsed < IdlePollMs ? milliseconds - elapsed : IdlePollMs);
  }
}

bool ExitValue(uintptr_t process, uint32_t* value) {
  DWORD code = 0;
  if (WaitForSingleObject(reinterpret_cast<HANDLE>(process), 0) == WAIT_TIMEOUT) return false;
  GetExitCodeProcess(reinterpret_cast<HANDLE>(process), &code);
  *value = code;
  return true;
}

uint64_t Now() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

uint32_t OwnSession() {
  DWORD session = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &session);
  return session;
}

// The command as the run's own line holds it in UTF-16, written in UTF-8 and
// read as the run reads it: the ANSI code page may lack characters of its
// arguments. The command as given when that line cannot be read so.
const char* CommandInUtf8(const char* command) {
  static char line[CommandLineUtf8Size];
  PlacementRequest request;
  if (WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, GetCommandLineW(), -1, line, sizeof line,
                          nullptr, nullptr) == 0 ||
      ParsePlacementCommand(AfterProgramName(line), &request) != PlacementParsed)
    return command;
  return request.command;
}

bool OpenProgram(const char* command, Program* program) {
  program->command = CommandInUtf8(command);
  if (!CanonicalProgramPath(command, program->path, sizeof program->path)) return false;
  program->job = ProgramJob();
  return true;
}

uint32_t FindProcesses(Program* program, ProcessSearch search) {
  switch (search) {
    case ProgramProcesses:
    case ProgramWindowOwners:
      return FindProgram(program, search == ProgramWindowOwners);
    case HandedOver:
    case HandedOverAnywhere:
      break;
  }
  return FindHandedOver(program, search == HandedOverAnywhere);
}

bool Start(const PlacementRequest& request, StartedProcess* started) {
  RecordShownWindows(SystemWindowOps, &started->shownBefore);
  return StartCommand(request, started);
}

bool ScanWindows(WindowState* state, uint32_t processId, WindowsToScan which,
                 const ShownWindows& shownBefore) {
  switch (which) {
    case AllMainWindows:
      break;
    case PlacedForCommand:
      return ScanPlacedWindows(state, processId);
    case NewSinceStart:
      return ScanNewWindows(SystemWindowOps, state, processId, shownBefore);
    case BroughtToFront:
      return ScanForeground(SystemWindowOps, state, processId, shownBefore);
  }
  return ScanTargetWindows(state, processId);
}

// One look at a process that may be hung: each window it shows is sent a
// null message that calls back once answered. An answer that comes after
// the look gave up finds another look's number.
struct Look {
  DWORD processId;
  LONG number;
  bool shown;
};
LONG looks, answeredLook;  // the hung check's alone

void CALLBACK Answered(HWND, UINT, ULONG_PTR look, LRESULT) {
  InterlockedExchange(&answeredLook, static_cast<LONG>(look));
}

BOOL CALLBACK AskShownWindow(HWND window, LPARAM parameter) {
  Look* look = reinterpret_cast<Look*>(parameter);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId != look->processId || !IsWindowVisible(window)) return TRUE;
  look->shown = true;
  SendMessageCallbackA(window, WM_NULL, 0, 0, Answered, static_cast<ULONG_PTR>(look->number));
  return TRUE;
}

// Hung is a copy that shows windows none of which answers within the whole
// allowance: one slow moment is not hung, and a copy that shows nothing (a
// program in the notification area) is never ended. Through the handle the
// lookup opened, so that an id passed on to another program meanwhile is
// never ended; waits for the end, so that a new copy never meets the dying one.
HungEnd EndIfHung(const ProgramProcess& process, uint32_t* error) {
  Look look = {process.id, InterlockedIncrement(&looks), false};
  EnumWindows(AskShownWindow, reinterpret_cast<LPARAM>(&look));
  if (!look.shown) return NotHung;
  // The answers come in while the run reads its messages.
  for (const DWORD start = GetTickCount();
       answeredLook != look.number && GetTickCount() - start < AnswerTimeoutMs;)
    WaitPumping(nullptr, 0, IdlePollMs);
  if (answeredLook == look.number) return NotHung;
  HANDLE handle = reinterpret_cast<HANDLE>(process.handle);
  if (!TerminateProcess(handle, 0) && WaitForSingleObject(handle, 0) != WAIT_OBJECT_0) {
    *error = GetLastError();
    return HungEndRefused;
  }
  WaitForSingleObject(handle, KillWaitMs);
  return HungEnded;
}

bool AwaitPlacedEarly(StartedProcess* started) {
  if (started->placing.placed == 0) return false;
  started->placedEarly =
      AwaitEarlyPlacement(&started->placing, started->handle, StartSettleMs, InputIdleTimeoutMs);
  return true;
}

// What the start set up to place windows as they come goes once the run has its window.
void StopFollowing(StartedProcess* started) {
  StopFollowingHandOver(&started->follower);
  if (!EndEarlyPlacement(&started->placing))
    TraceLine("the hook on the started program could not be removed\r\n");
}

// Nothing to pump for now that the run has its target: woken the moment it is ready.
void PutBackOnceReady(const PlacementRequest& request, WindowState* state, uintptr_t process) {
  WaitForInputIdle(reinterpret_cast<HANDLE>(process), StartSettleMs);
  PutBackPlaced(request, state);
}

void LetGo(Program* program, StartedProcess* started, const WindowState& windows) {
  StopFollowing(started);
  ClearMarks(windows);
  ReleaseProgram(program);
  if (started->handle != 0) CloseHandle(reinterpret_cast<HANDLE>(started->handle));
  if (program->job != 0) CloseHandle(reinterpret_cast<HANDLE>(program->job));
}

const PlacementOps SystemPlacementOps = {
    .openProgram = OpenProgram,
    .takeTurn = LockProgram,
    .giveTurn = UnlockProgram,
    .findProcesses = FindProcesses,
    .releaseProcesses = ReleaseProgram,
    .ownSession = OwnSession,
    .now = Now,
    .readyForInput = WaitUntilIdle,
    .ended = ExitValue,
    .endIfHung = EndIfHung,
    .start = Start,
    .awaitPlacedEarly = AwaitPlacedEarly,
    .waitForShown = WaitForShownWindow,
    .stopFollowing = StopFollowing,
    .scanWindows = ScanWindows,
    .place = PlaceTargetWindows,
    .putBackOnceReady = PutBackOnceReady,
    .hold = HoldPlacement,
    .letGo = LetGo,
};

}  // namespace

int RunPlacement(char* commandLine) { return RunPlacement(commandLine, SystemPlacementOps); }
