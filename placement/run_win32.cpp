#include <windows.h>

#include "diag/text.h"
#include "placement/hold.h"
#include "placement/lookup.h"
#include "placement/run.h"
#include "placement/targets.h"

namespace {

enum { QuotedPathSize = TextSize + 2 };  // the path, two quotes, the terminator

// A command that is exactly the absolute path of an existing file is also
// given as the application name, so that "C:\Program Files\App\app.exe" can
// never start "C:\Program.exe" instead. Bare and relative names keep the
// system's usual search order.
bool NamesExistingFile(const char* command) {
  if (!IsAbsolutePath(command)) return false;
  DWORD attributes = GetFileAttributesA(command);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
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
  startup.dwFlags = STARTF_USESIZE | STARTF_USEPOSITION;

  PROCESS_INFORMATION info;
  ZeroMemory(&info, sizeof info);
  const char* application = nullptr;
  char* commandLine = request.command;
  char quoted[QuotedPathSize];
  if (NamesExistingFile(request.command)) {
    application = request.command;
    if (QuoteProgramPath(request.command, quoted, sizeof quoted)) commandLine = quoted;
  }
  if (!CreateProcessA(application, commandLine, nullptr, nullptr, FALSE, CREATE_NEW_PROCESS_GROUP,
                      nullptr, nullptr, &startup, &info))
    return false;
  CloseHandle(info.hThread);
  started->id = info.dwProcessId;
  started->handle = reinterpret_cast<uintptr_t>(info.hProcess);
  return true;
}

void WaitUntilIdle(uintptr_t process, uint32_t milliseconds) {
  WaitForInputIdle(reinterpret_cast<HANDLE>(process), milliseconds);
}

void CloseProcess(uintptr_t process) { CloseHandle(reinterpret_cast<HANDLE>(process)); }

void Pause(uint32_t milliseconds) { Sleep(milliseconds); }

bool Scan(uint32_t processId) { return ScanTargetWindows(processId); }

PlaceResult Place(const PlacementRequest& request) { return PlaceTargetWindows(request); }

void Terminate(uint32_t processId) {
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, TRUE, processId);
  if (process == nullptr) return;
  TerminateProcess(process, 0);
  CloseHandle(process);
}

void Hold(const PlacementRequest& request, uint32_t processId) {
  HoldPlacement(request, processId);
}

const PlacementOps SystemPlacementOps = {
    FindRunningProcess, StartCommand, WaitUntilIdle, CloseProcess, Pause, Scan, Place,
    Terminate,          Hold};

}  // namespace

int RunPlacement(char* commandLine) { return RunPlacement(commandLine, SystemPlacementOps); }
