// Processes, windows and temporary copies for the tests under Wine.
#include "harness.h"

#include <algorithm>

namespace harness {
namespace {

int copyCounter = 0;

// scripts/display.sh gives the build's programs unmanaged windows (no two-second wait whenever
// one is hidden); a copy under another name gets the same, set for its file name alone.
void MakeWindowsUnmanaged(const std::string& fileName) {
  std::string key = "Software\\Wine\\AppDefaults\\" + fileName + "\\X11 Driver";
  HKEY handle;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      &handle, nullptr) != ERROR_SUCCESS) {
    return;
  }
  RegSetValueExA(handle, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
  RegCloseKey(handle);
}

}  // namespace

std::string ToWindowsPath(const std::string& path) {
  if (path.empty() || path[0] != '/') return path;
  std::string windows = "Z:" + path;
  std::replace(windows.begin(), windows.end(), '/', '\\');
  return windows;
}

std::string BuildDir() {
  char value[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("TAVRISOL_BUILD_DIR", value, sizeof value);
  std::string dir;
  if (n > 0 && n < sizeof value) {
    dir = ToWindowsPath(value);
  } else {
    // The test programs are built next to the program they test.
    n = GetModuleFileNameA(nullptr, value, sizeof value);
    dir.assign(value, n);
    size_t slash = dir.find_last_of("\\/");
    dir = slash == std::string::npos ? "." : dir.substr(0, slash);
  }
  while (!dir.empty() && (dir.back() == '\\' || dir.back() == '/')) dir.pop_back();
  return dir;
}

std::string BuildFile(const std::string& name) { return BuildDir() + "\\" + name; }

bool CreateProcessTrying(const std::string& exe, const std::string& args,
                         const STARTUPINFOA* startup, DWORD flags, const std::string& workDir,
                         PROCESS_INFORMATION* pi, DWORD* error, int tries) {
  std::string command = "\"" + exe + "\"";
  if (!args.empty()) command += " " + args;
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  STARTUPINFOA si;
  if (startup) {
    si = *startup;
  } else {
    ZeroMemory(&si, sizeof si);
  }
  si.cb = sizeof si;
  ZeroMemory(pi, sizeof *pi);
  for (int tried = 0; tried < tries; ++tried) {
    if (CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, flags, nullptr,
                       workDir.empty() ? nullptr : workDir.c_str(), &si, pi)) {
      *error = 0;
      return true;
    }
    *error = GetLastError();
    printf("could not start %s: error %lu\n", exe.c_str(), *error);
    if (tried + 1 < tries) Sleep(200);
  }
  return false;
}

DWORD StartProcess(const std::string& exe, const std::string& args, const STARTUPINFOA* startup) {
  PROCESS_INFORMATION pi;
  DWORD error;
  if (!CreateProcessTrying(exe, args, startup, 0, "", &pi, &error)) return 0;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return pi.dwProcessId;
}

DWORD StartProcessAt(const std::string& exe, int x, int y, int width, int height) {
  STARTUPINFOA si;
  ZeroMemory(&si, sizeof si);
  si.cb = sizeof si;
  si.dwFlags = STARTF_USEPOSITION | STARTF_USESIZE;
  si.dwX = static_cast<DWORD>(x);
  si.dwY = static_cast<DWORD>(y);
  si.dwXSize = static_cast<DWORD>(width);
  si.dwYSize = static_cast<DWORD>(height);
  return StartProcess(exe, "", &si);
}

bool ProcessIsRunning(DWORD pid) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (!process) return false;
  bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return running;
}

bool WaitForProcessExit(DWORD pid, DWORD timeoutMs) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (!process) return true;  // gone already
  bool ended = WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
  CloseHandle(process);
  return ended;
}

bool KillProcess(DWORD pid, DWORD waitMs) {
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
  if (!process) return !ProcessIsRunning(pid);
  TerminateProcess(process, 1);
  bool ended = WaitForSingleObject(process, waitMs) == WAIT_OBJECT_0;
  CloseHandle(process);
  return ended;
}

HWND WaitForVisibleWindow(DWORD pid, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (const WindowInfo& w : TopLevelWindows(pid)) {
          if (w.Visible()) {
            found = w.hwnd;
            return true;
          }
        }
        return false;
      },
      timeoutMs);
  return found;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(50);
  }
}

void ProcessGuard::Track(DWORD pid) {
  if (pid) pids_.push_back(pid);
}

void ProcessGuard::TrackPath(const std::string& exePath) { paths_.push_back(exePath); }

void ProcessGuard::TrackFile(const std::string& path) { files_.push_back(path); }

std::string ProcessGuard::CopyToTemp(const std::string& src, const std::string& newName) {
  char temp[MAX_PATH];
  DWORD n = GetTempPathA(sizeof temp, temp);
  if (n == 0 || n >= sizeof temp) return std::string();
  char longTemp[MAX_PATH];
  n = GetLongPathNameA(temp, longTemp, sizeof longTemp);
  std::string dir = (n > 0 && n < sizeof longTemp) ? longTemp : temp;
  if (dir.back() != '\\') dir += '\\';
  dir += "tavrisol-test-" + std::to_string(GetCurrentProcessId()) + "-" +
         std::to_string(GetTickCount()) + "-" + std::to_string(++copyCounter);
  if (!CreateDirectoryA(dir.c_str(), nullptr)) return std::string();
  dirs_.push_back(dir);
  // Folders named in newName are made too, and removed with the copy.
  for (size_t slash = newName.find('\\'); slash != std::string::npos;
       slash = newName.find('\\', slash + 1)) {
    std::string folder = dir + "\\" + newName.substr(0, slash);
    if (!CreateDirectoryA(folder.c_str(), nullptr)) return std::string();
    dirs_.push_back(folder);
  }
  std::string path = dir + "\\" + newName;
  if (!CopyFileA(src.c_str(), path.c_str(), FALSE)) return std::string();
  MakeWindowsUnmanaged(path.substr(path.find_last_of('\\') + 1));
  files_.push_back(path);
  paths_.push_back(path);
  return path;
}

std::string ProcessGuard::CopyFixture(const std::string& fixture, const std::string& newName) {
  return CopyToTemp(BuildFile(fixture), newName);
}

bool ProcessGuard::CopyBeside(const std::string& copy, const std::string& buildFile) {
  const std::string path = copy.substr(0, copy.find_last_of('\\') + 1) + buildFile;
  if (!CopyFileA(BuildFile(buildFile).c_str(), path.c_str(), FALSE)) return false;
  files_.push_back(path);
  return true;
}

void ProcessGuard::CleanUp() {
  for (DWORD pid : pids_) KillProcess(pid);
  for (const std::string& path : paths_) {
    for (DWORD pid : FindProcessesByPath(path)) KillProcess(pid);
  }
  // A program that was just killed may hold its file a little longer.
  for (const std::string& file : files_) {
    WaitUntil(
        [&] {
          return DeleteFileA(file.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND ||
                 GetLastError() == ERROR_PATH_NOT_FOUND;
        },
        3000);
  }
  for (auto it = dirs_.rbegin(); it != dirs_.rend(); ++it) RemoveDirectoryA(it->c_str());
  pids_.clear();
  paths_.clear();
  files_.clear();
  dirs_.clear();
}

}  // namespace harness
