// A console tool for the scripts: shows where a program's windows are, and closes a program.
//   winrect show PATH    every top-level window of every process running PATH (any case):
//                        process id, window, visibility, rectangle, title; exit 1 when none runs
//   winrect close PATH   asks each such process to close (WM_CLOSE to its windows), waits up to
//                        5 s, then terminates what is left
//   winrect list TEXT    process id and executable path of every process whose path contains
//                        TEXT (any case)
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string ModulePath(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (!process) return std::string();
  char path[MAX_PATH];
  DWORD n = K32GetModuleFileNameExA(process, nullptr, path, sizeof path);
  CloseHandle(process);
  return std::string(path, n);
}

std::vector<DWORD> Processes(const std::string& text, bool whole) {
  std::vector<DWORD> ids(4096);
  DWORD bytes = 0;
  std::vector<DWORD> found;
  if (!K32EnumProcesses(ids.data(), ids.size() * sizeof(DWORD), &bytes)) return found;
  ids.resize(bytes / sizeof(DWORD));
  std::string wanted = Lower(text);
  for (DWORD id : ids) {
    std::string path = Lower(ModulePath(id));
    if (path.empty()) continue;
    if (whole ? path == wanted : path.find(wanted) != std::string::npos) found.push_back(id);
  }
  return found;
}

struct Windows {
  DWORD pid;
  std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND window, LPARAM param) {
  Windows* windows = reinterpret_cast<Windows*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == windows->pid) windows->found.push_back(window);
  return TRUE;
}

std::vector<HWND> WindowsOf(DWORD pid) {
  Windows windows{pid, {}};
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&windows));
  return windows.found;
}

int Show(const std::string& path) {
  std::vector<DWORD> pids = Processes(path, true);
  if (pids.empty()) {
    printf("%s is not running\n", path.c_str());
    return 1;
  }
  for (DWORD pid : pids) {
    printf("process %lu %s\n", pid, ModulePath(pid).c_str());
    for (HWND w : WindowsOf(pid)) {
      RECT r;
      GetWindowRect(w, &r);
      char title[128] = "";
      GetWindowTextA(w, title, sizeof title);
      printf("  window %llx %s left %ld top %ld width %ld height %ld \"%s\"\n",
             static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(w)),
             IsWindowVisible(w) ? "visible" : "hidden", r.left, r.top, r.right - r.left,
             r.bottom - r.top, title);
      // A message box: show its text too.
      char className[16] = "";
      GetClassNameA(w, className, sizeof className);
      HWND text = strcmp(className, "#32770") == 0 ? GetDlgItem(w, 0xFFFF) : nullptr;
      if (text) {
        char message[1024] = "";
        GetWindowTextA(text, message, sizeof message);
        printf("    message box text: \"%s\"\n", message);
      }
    }
  }
  return 0;
}

int Close(const std::string& path) {
  for (DWORD pid : Processes(path, true)) {
    for (HWND w : WindowsOf(pid)) PostMessageA(w, WM_CLOSE, 0, 0);
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (!process) continue;
    if (WaitForSingleObject(process, 5000) == WAIT_OBJECT_0) {
      printf("process %lu closed\n", pid);
    } else {
      TerminateProcess(process, 1);
      WaitForSingleObject(process, 5000);
      printf("process %lu did not close; terminated\n", pid);
    }
    CloseHandle(process);
  }
  return 0;
}

int List(const std::string& text) {
  for (DWORD pid : Processes(text, false)) printf("%lu %s\n", pid, ModulePath(pid).c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && strcmp(argv[1], "show") == 0) return Show(argv[2]);
  if (argc == 3 && strcmp(argv[1], "close") == 0) return Close(argv[2]);
  if (argc == 3 && strcmp(argv[1], "list") == 0) return List(argv[2]);
  fprintf(stderr, "usage: winrect show|close PATH, winrect list TEXT\n");
  return 2;
}
