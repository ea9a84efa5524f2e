// The editor process driven from a test: started, found, its buttons pressed and
// its fields and lists read, its message boxes taken.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "harness.h"

namespace harness {

const DWORD EditorTimeoutMs = 15000;

struct Editor {
  PROCESS_INFORMATION process = {};
  HWND window = nullptr;

  ~Editor() {
    if (process.hProcess) {
      if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, 5000);
      }
      CloseHandle(process.hProcess);
      CloseHandle(process.hThread);
    }
  }

  DWORD Pid() const { return process.dwProcessId; }

  bool Start(const std::string& exe, const std::string& workDir = "") {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + exe + "\"";
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    return CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          workDir.empty() ? nullptr : workDir.c_str(), &startup, &process) != 0;
  }

  // The visible editor window of the process.
  HWND FindWindow() const {
    struct Search {
      DWORD pid;
      HWND found;
    } search = {process.dwProcessId, nullptr};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
          auto* s = reinterpret_cast<Search*>(p);
          DWORD pid = 0;
          char className[64] = "";
          GetWindowThreadProcessId(w, &pid);
          GetClassNameA(w, className, sizeof className);
          if (pid == s->pid && IsWindowVisible(w) && std::string(className) == "Tavrisol") {
            s->found = w;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  // The frame shows while its controls are still being made: the editor is
  // ready once its thread answers a sent message, in its message loop.
  bool WaitForWindow() {
    WaitUntil([this] { return (window = FindWindow()) != nullptr; }, EditorTimeoutMs);
    DWORD_PTR result;
    return window &&
           SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, EditorTimeoutMs, &result);
  }

  bool WaitForExit(DWORD* exitCode) {
    if (WaitForSingleObject(process.hProcess, EditorTimeoutMs) != WAIT_OBJECT_0) return false;
    GetExitCodeProcess(process.hProcess, exitCode);
    return true;
  }

  bool Running() const { return WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT; }

  // A button press as the button reports it; posted, so a modal box it opens
  // does not hold the test.
  void Press(int id) {
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
  }
  // The same, waiting until the command has run.
  void PressAndWait(int id) {
    DWORD_PTR result;
    SendMessageTimeoutA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(GetDlgItem(window, id)), SMTO_NORMAL,
                        EditorTimeoutMs, &result);
  }

  std::string Text(int id) const {
    char buffer[600] = "";
    GetDlgItemTextA(window, id, buffer, sizeof buffer);
    return buffer;
  }
  void SetText(int id, const std::string& text) { SetDlgItemTextA(window, id, text.c_str()); }

  // The list's items, read through the wide message, which is carried across
  // processes whole.
  std::vector<std::string> Items(int id) const {
    std::vector<std::string> items;
    HWND combo = GetDlgItem(window, id);
    LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      wchar_t wide[600] = L"";
      char text[1200] = "";
      if (SendMessageW(combo, CB_GETLBTEXTLEN, i, 0) >= 600) continue;
      SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(wide));
      WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
      items.push_back(text);
    }
    return items;
  }

  // Waits for a message box of the editor, reads it and presses its OK.
  MessageBoxInfo TakeMessageBox() {
    MessageBoxInfo info;
    HWND box = WaitForMessageBox(Pid(), EditorTimeoutMs);
    if (box) {
      ReadMessageBox(box, &info);
      DismissMessageBox(box);
      WaitUntil([box] { return !IsWindow(box); }, EditorTimeoutMs);
    }
    return info;
  }
};

}  // namespace harness
