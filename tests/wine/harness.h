// Shared helpers of the tests that run under Wine.
//
// Running a program and watching it
//   RunToEnd(exe, args, options)   runs a Windows program under a small debugger loop until it
//                                  ends or the deadline passes (then it is killed and the result
//                                  says timedOut). Collects every debugger-output line (trace
//                                  line) and the exit code; records and dismisses every message
//                                  box the program shows (caption and text, in order), and
//                                  lists every DLL the loader maps (LOAD_DLL_DEBUG_EVENT).
//   DebuggedProcess                the same debugger loop on a thread of its own, for tests that
//                                  drive a running program: Start, Traces (thread-safe copy),
//                                  WaitForTrace, WaitForExit, Exited, ExitCode, Kill. It does not
//                                  touch message boxes (use the functions below). The program is
//                                  killed at options.timeoutMs as a safety net, and by the
//                                  destructor if it still runs.
//   Under Wine (no window manager) a dismissed box takes about 2 s to disappear, so each box
//   costs a test about 2 s.
//
// Message boxes (top-level windows of class "#32770"; the text is control 0xFFFF)
//   FindMessageBoxes(pid)          the boxes a process shows now.
//   ReadMessageBox(box, &info)     caption and text of one box.
//   DismissMessageBox(box)         presses OK (posts WM_COMMAND IDOK; works under Wine 8).
//   WaitForMessageBox(pid, ms)     the first visible box of a process, or nullptr at timeout.
//
// Processes and windows
//   BuildDir(), BuildFile(name)    the build directory (env TAVRISOL_BUILD_DIR, else the test's
//                                  own directory) as a Windows path, and a file in it.
//   StartProcess(exe, args, si)    starts a program (not debugged); returns its id or 0.
//   StartProcessAt(exe, x,y,w,h)   the same with start-up position and size.
//   ModulePathOf, FindProcessesByPath, TopLevelWindows, WindowText: see harness/winquery.h.
//   KillProcess(pid, ms)           terminates and waits until it is gone.
//   WaitForProcessExit(pid, ms)    waits until a process has ended.
//   ProcessIsRunning(pid)
//   WaitForVisibleWindow(pid, ms)  the first visible top-level window, or nullptr at timeout.
//   WaitUntil(pred, ms)            polls a condition every 50 ms.
//   ProcessGuard                   owns everything a test started: Track(pid), TrackPath(exe),
//                                  TrackFile(path), CopyToTemp / CopyFixture (a copy under a new
//                                  name, folders included, in a fresh temporary folder),
//                                  CopyBeside (a library of the build directory beside a copy). Its
//                                  destructor kills every tracked process and every process
//                                  running a tracked path, then deletes the copies and tracked
//                                  files, also when an assertion ended the test early.
//
// Input
//   ClickAt(x, y)                  a real click at a screen point, on any monitor (xdotool on the
//                                  display), or injected input when xdotool can't be started.
//
// Wine's call trace
//   RelayInclude(functions)        while it lives, the trace (WINEDEBUG=+relay) names only these
//                                  functions (Wine's "RelayInclude": "name;dll.name;...").
//   RunTraced(exe, args, file, ms) runs a program with WINEDEBUG=+relay, the trace of it and of
//                                  every process it starts going to file; its exit code, or
//                                  STILL_ACTIVE when it still ran at the deadline.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "harness/winquery.h"  // ModulePathOf, FindProcessesByPath, TopLevelWindows, WindowText,
                               // ReadMessageBox

namespace harness {

// ---- message boxes -------------------------------------------------------------------------

std::vector<HWND> FindMessageBoxes(DWORD pid, bool visibleOnly = true);
bool DismissMessageBox(HWND box);
HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs);

// ---- running under the debugger loop -------------------------------------------------------

struct RunOptions {
  DWORD timeoutMs = 60000;      // killed after this; the result says timedOut
  bool dismissBoxes = true;     // record and press OK on every message box
  std::string workDir;          // empty: the harness's own current directory
  const STARTUPINFOA* startup;  // nullptr: an ordinary start
  RunOptions() : startup(nullptr) {}
};

struct RunResult {
  bool started = false;  // CreateProcess succeeded
  DWORD startError = 0;  // GetLastError of a failed CreateProcess
  DWORD pid = 0;
  bool exited = false;    // the exit event was seen
  bool timedOut = false;  // killed at the deadline
  DWORD exitCode = 0;
  std::vector<std::string> traces;               // each debugger-output string, as sent
  std::vector<MessageBoxInfo> boxes;             // every box seen, in order
  std::vector<std::string> dlls;                 // each DLL the loader mapped, as a file path
  bool HasTrace(const std::string& line) const;  // an exact trace line
  size_t CountTracesStartingWith(const std::string& prefix) const;
  std::string AllTraces() const;  // all lines joined, for failure messages
};

// exe: full path; args: the text after the program name (may be empty).
RunResult RunToEnd(const std::string& exe, const std::string& args,
                   const RunOptions& options = RunOptions());
// RunToEnd of the built tavrisol.exe.
RunResult RunTavrisol(const std::string& args, DWORD timeoutMs = 60000);

class DebuggedProcess {
 public:
  DebuggedProcess() = default;
  DebuggedProcess(const DebuggedProcess&) = delete;
  DebuggedProcess& operator=(const DebuggedProcess&) = delete;
  ~DebuggedProcess();

  // Starts the program on the loop's own thread; false when CreateProcess failed.
  bool Start(const std::string& exe, const std::string& args,
             const RunOptions& options = RunOptions());
  DWORD Pid() const { return pid_; }
  std::vector<std::string> Traces();
  bool WaitForTrace(const std::string& line, DWORD timeoutMs);  // an exact line
  bool WaitForExit(DWORD timeoutMs);
  bool Exited();
  DWORD ExitCode();
  void Kill();  // terminates the program and ends the loop

 private:
  void Loop(std::string exe, std::string args, RunOptions options);

  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool startDone_ = false;
  bool started_ = false;
  bool exited_ = false;
  bool killRequested_ = false;
  DWORD pid_ = 0;
  DWORD exitCode_ = 0;
  std::vector<std::string> traces_;
};

// ---- processes and windows -----------------------------------------------------------------

std::string BuildDir();
std::string BuildFile(const std::string& name);
std::string ToWindowsPath(const std::string& path);  // "/a/b" -> "Z:\a\b"; others unchanged

DWORD StartProcess(const std::string& exe, const std::string& args = "",
                   const STARTUPINFOA* startup = nullptr);
// CreateProcess of exe with args (quoted exe first), flags and a working folder (empty: this
// process's). A refused start is said and tried again, tries times in all, 200 ms apart: under
// load Wine has now and then refused a start that succeeds a moment later. False, with the
// system's error, when none started.
bool CreateProcessTrying(const std::string& exe, const std::string& args,
                         const STARTUPINFOA* startup, DWORD flags, const std::string& workDir,
                         PROCESS_INFORMATION* pi, DWORD* error, int tries = 3);
DWORD StartProcessAt(const std::string& exe, int x, int y, int width, int height);
bool ProcessIsRunning(DWORD pid);
bool KillProcess(DWORD pid, DWORD waitMs = 5000);
bool WaitForProcessExit(DWORD pid, DWORD timeoutMs);

HWND WaitForVisibleWindow(DWORD pid, DWORD timeoutMs);
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

class ProcessGuard {
 public:
  ProcessGuard() = default;
  ProcessGuard(const ProcessGuard&) = delete;
  ProcessGuard& operator=(const ProcessGuard&) = delete;
  ~ProcessGuard() { CleanUp(); }

  void Track(DWORD pid);
  void TrackPath(const std::string& exePath);
  void TrackFile(const std::string& path);  // deleted by CleanUp
  // Copies src into a fresh temporary folder as newName; returns the copy's full path (as the
  // system will report it for a process started from it), tracked; "" on failure.
  std::string CopyToTemp(const std::string& src, const std::string& newName);
  // The same for a fixture of the build directory, e.g. CopyFixture("target.exe", "three.exe").
  std::string CopyFixture(const std::string& fixture, const std::string& newName);
  // Puts a file of the build directory (a library a fixture imports) beside such a copy, tracked.
  bool CopyBeside(const std::string& copy, const std::string& buildFile);
  void CleanUp();  // kills, then deletes the copies; the guard can be used again

 private:
  std::vector<DWORD> pids_;
  std::vector<std::string> paths_;
  std::vector<std::string> files_;
  std::vector<std::string> dirs_;
};

// ---- input ---------------------------------------------------------------------------------

void ClickAt(int x, int y);

// ---- Wine's call trace ---------------------------------------------------------------------

class RelayInclude {
 public:
  explicit RelayInclude(const std::string& functions);
  RelayInclude(const RelayInclude&) = delete;
  RelayInclude& operator=(const RelayInclude&) = delete;
  ~RelayInclude();

 private:
  HKEY key_ = nullptr;
};

DWORD RunTraced(const std::string& exe, const std::string& args, const std::string& traceFile,
                DWORD timeoutMs);

}  // namespace harness
