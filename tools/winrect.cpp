// A console tool for the scripts: shows where a program's windows are, and closes a program.
//   winrect show PATH    every top-level window of every process running PATH (any case):
//                        process id, window, visibility, rectangle, title; exit 1 when none runs
//   winrect close PATH   asks each such process to close (WM_CLOSE to its windows), waits up to
//                        5 s, then terminates what is left
//   winrect list TEXT    process id and executable path of every process whose path contains
//                        TEXT (any case)
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "harness/winquery.h"

namespace {

using harness::ModulePathOf;

std::vector<DWORD> Processes(const std::string& text, bool whole) {
  std::string wanted = harness::LowerAscii(text);
  return harness::FindProcesses([&](const std::string& path) {
    std::string lower = harness::LowerAscii(path);
    return whole ? lower == wanted : lower.find(wanted) != std::string::npos;
  });
}

int Show(const std::string& path) {
  std::vector<DWORD> pids = Processes(path, true);
  if (pids.empty()) {
    printf("%s is not running\n", path.c_str());
    return 1;
  }
  for (DWORD pid : pids) {
    printf("process %lu %s\n", pid, ModulePathOf(pid).c_str());
    for (const harness::WindowInfo& w : harness::TopLevelWindows(pid)) {
      printf("  window %llx %s left %ld top %ld width %ld height %ld \"%s\"\n",
             static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(w.hwnd)),
             IsWindowVisible(w.hwnd) ? "visible" : "hidden", w.rect.left, w.rect.top,
             w.rect.right - w.rect.left, w.rect.bottom - w.rect.top, w.title.c_str());
      // A message box: show its text too.
      harness::MessageBoxInfo box;
      if (harness::IsMessageBoxWindow(w.hwnd) && harness::ReadMessageBox(w.hwnd, &box))
        printf("    message box text: \"%s\"\n", box.text.c_str());
    }
  }
  return 0;
}

int Close(const std::string& path) {
  for (DWORD pid : Processes(path, true)) {
    for (const harness::WindowInfo& w : harness::TopLevelWindows(pid))
      PostMessageA(w.hwnd, WM_CLOSE, 0, 0);
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
  for (DWORD pid : Processes(text, false)) printf("%lu %s\n", pid, ModulePathOf(pid).c_str());
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
