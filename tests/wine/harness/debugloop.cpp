// The debugger loop that runs a program and collects its trace lines, in a blocking form
// (RunToEnd) and on a thread of its own (DebuggedProcess).
#include <chrono>
#include <set>

#include "harness.h"

namespace harness {
namespace {

// How long one WaitForDebugEvent may block: short, so deadlines, kill requests and message
// boxes are looked at often.
const DWORD EventWaitMs = 50;
// After a kill, how long to wait for the exit event before detaching.
const DWORD KillGraceMs = 10000;

struct LoopHooks {
  std::function<void(const std::string&)> onTrace;
  std::function<void(const std::string&)> onDll;  // the file of each DLL mapped
  // Called between events, at least every EventWaitMs; true asks for the program to be killed.
  std::function<bool()> onIdle;
};

bool CreateDebugged(const std::string& exe, const std::string& args, const RunOptions& options,
                    PROCESS_INFORMATION* pi, DWORD* error) {
  return CreateProcessTrying(exe, args, options.startup, DEBUG_ONLY_THIS_PROCESS, options.workDir,
                             pi, error);
}

std::string ReadDebugString(HANDLE process, const OUTPUT_DEBUG_STRING_INFO& info) {
  SIZE_T units = info.nDebugStringLength;
  if (units == 0) return std::string();
  if (units > 65536) units = 65536;
  size_t unitSize = info.fUnicode ? 2 : 1;
  std::vector<char> raw(units * unitSize + 2, '\0');
  SIZE_T got = 0;
  if (!ReadProcessMemory(process, info.lpDebugStringData, raw.data(), units * unitSize, &got) &&
      got == 0) {
    return std::string();
  }
  if (info.fUnicode) {
    std::wstring wide(reinterpret_cast<const wchar_t*>(raw.data()), got / 2);
    wide = wide.c_str();  // up to the terminator
    int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string text(n > 0 ? n : 1, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &text[0], n, nullptr, nullptr);
    return std::string(text.c_str());
  }
  return std::string(raw.data(), strnlen(raw.data(), got));
}

// Runs until the program's exit event. Returns true when that event was seen.
bool RunLoop(const PROCESS_INFORMATION& pi, const LoopHooks& hooks, DWORD* exitCode) {
  bool firstBreakpoint = true;
  bool killing = false;
  DWORD killStart = 0;
  DWORD lastIdle = GetTickCount();
  for (;;) {
    DEBUG_EVENT event;
    bool got = WaitForDebugEvent(&event, EventWaitMs) != FALSE;
    if (!got || GetTickCount() - lastIdle >= EventWaitMs) {
      lastIdle = GetTickCount();
      if (!killing && hooks.onIdle && hooks.onIdle()) {
        TerminateProcess(pi.hProcess, 1);
        killing = true;
        killStart = GetTickCount();
      }
      if (killing && GetTickCount() - killStart > KillGraceMs) {
        DebugActiveProcessStop(pi.dwProcessId);
        return false;
      }
    }
    if (!got) continue;

    DWORD status = DBG_CONTINUE;
    switch (event.dwDebugEventCode) {
      case CREATE_PROCESS_DEBUG_EVENT:
        if (event.u.CreateProcessInfo.hFile) CloseHandle(event.u.CreateProcessInfo.hFile);
        break;
      case LOAD_DLL_DEBUG_EVENT:
        if (event.u.LoadDll.hFile) {
          if (hooks.onDll) {
            char path[MAX_PATH * 2];
            DWORD n = GetFinalPathNameByHandleA(event.u.LoadDll.hFile, path, sizeof path, 0);
            hooks.onDll(n > 0 && n < sizeof path ? std::string(path, n) : std::string("?"));
          }
          CloseHandle(event.u.LoadDll.hFile);
        }
        break;
      case OUTPUT_DEBUG_STRING_EVENT:
        if (hooks.onTrace) hooks.onTrace(ReadDebugString(pi.hProcess, event.u.DebugString));
        break;
      case EXCEPTION_DEBUG_EVENT:
        // The loader's breakpoint is ours to swallow; everything else goes to the program.
        if (firstBreakpoint &&
            event.u.Exception.ExceptionRecord.ExceptionCode == EXCEPTION_BREAKPOINT) {
          firstBreakpoint = false;
        } else {
          status = DBG_EXCEPTION_NOT_HANDLED;
        }
        break;
      case EXIT_PROCESS_DEBUG_EVENT:
        *exitCode = event.u.ExitProcess.dwExitCode;
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, DBG_CONTINUE);
        return true;
      default:
        break;
    }
    ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
  }
}

}  // namespace

bool RunResult::HasTrace(const std::string& line) const {
  for (const std::string& t : traces) {
    if (t == line) return true;
  }
  return false;
}

size_t RunResult::CountTracesStartingWith(const std::string& prefix) const {
  size_t n = 0;
  for (const std::string& t : traces) {
    if (t.compare(0, prefix.size(), prefix) == 0) ++n;
  }
  return n;
}

std::string RunResult::AllTraces() const {
  std::string all;
  for (const std::string& t : traces) all += t;
  return all;
}

RunResult RunTavrisol(const std::string& args, DWORD timeoutMs) {
  RunOptions options;
  options.timeoutMs = timeoutMs;
  return RunToEnd(BuildFile("tavrisol.exe"), args, options);
}

RunResult RunToEnd(const std::string& exe, const std::string& args, const RunOptions& options) {
  RunResult result;
  PROCESS_INFORMATION pi;
  if (!CreateDebugged(exe, args, options, &pi, &result.startError)) return result;
  result.started = true;
  result.pid = pi.dwProcessId;

  DWORD start = GetTickCount();
  std::set<HWND> handled;  // boxes already recorded and dismissed
  LoopHooks hooks;
  hooks.onTrace = [&](const std::string& text) { result.traces.push_back(text); };
  hooks.onDll = [&](const std::string& path) { result.dlls.push_back(path); };
  hooks.onIdle = [&]() {
    if (GetTickCount() - start > options.timeoutMs) {
      result.timedOut = true;
      return true;
    }
    if (!options.dismissBoxes) return false;
    for (auto it = handled.begin(); it != handled.end();) {
      it = IsWindow(*it) ? std::next(it) : handled.erase(it);
    }
    for (HWND box : FindMessageBoxes(pi.dwProcessId)) {
      if (handled.count(box)) continue;
      MessageBoxInfo info;
      if (!ReadMessageBox(box, &info)) continue;  // not filled in yet: next time
      result.boxes.push_back(info);
      DismissMessageBox(box);
      handled.insert(box);
    }
    return false;
  };
  result.exited = RunLoop(pi, hooks, &result.exitCode);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return result;
}

DebuggedProcess::~DebuggedProcess() { Kill(); }

bool DebuggedProcess::Start(const std::string& exe, const std::string& args,
                            const RunOptions& options) {
  if (thread_.joinable()) return false;  // one program per object
  thread_ = std::thread(&DebuggedProcess::Loop, this, exe, args, options);
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return startDone_; });
  return started_;
}

void DebuggedProcess::Loop(std::string exe, std::string args, RunOptions options) {
  PROCESS_INFORMATION pi;
  DWORD error = 0;
  bool ok = CreateDebugged(exe, args, options, &pi, &error);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    startDone_ = true;
    started_ = ok;
    pid_ = ok ? pi.dwProcessId : 0;
    if (!ok) exited_ = true;
  }
  changed_.notify_all();
  if (!ok) return;

  DWORD start = GetTickCount();
  LoopHooks hooks;
  hooks.onTrace = [this](const std::string& text) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      traces_.push_back(text);
    }
    changed_.notify_all();
  };
  hooks.onIdle = [this, start, &options]() {
    std::lock_guard<std::mutex> lock(mutex_);
    return killRequested_ || GetTickCount() - start > options.timeoutMs;
  };
  DWORD code = 0;
  bool seen = RunLoop(pi, hooks, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    exited_ = true;
    exitCode_ = seen ? code : STILL_ACTIVE;
  }
  changed_.notify_all();
}

std::vector<std::string> DebuggedProcess::Traces() {
  std::lock_guard<std::mutex> lock(mutex_);
  return traces_;
}

bool DebuggedProcess::WaitForTrace(const std::string& line, DWORD timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this, &line] {
    for (const std::string& t : traces_) {
      if (t == line) return true;
    }
    return false;
  });
}

bool DebuggedProcess::WaitForExit(DWORD timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return exited_; });
}

bool DebuggedProcess::Exited() {
  std::lock_guard<std::mutex> lock(mutex_);
  return exited_;
}

DWORD DebuggedProcess::ExitCode() {
  std::lock_guard<std::mutex> lock(mutex_);
  return exitCode_;
}

void DebuggedProcess::Kill() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    killRequested_ = true;
  }
  thread_.join();  // the loop gives up at most KillGraceMs after the request
}

}  // namespace harness
