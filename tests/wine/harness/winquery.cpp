// Processes and windows of other programs, for the tests and the console tools.
#include "harness/winquery.h"

#include <psapi.h>

namespace harness {
namespace {

struct WindowSearch {
  DWORD pid;
  std::vector<WindowInfo> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
  WindowSearch* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->pid) return TRUE;
  WindowInfo info;
  info.hwnd = window;
  GetWindowRect(window, &info.rect);
  WINDOWINFO wi;
  wi.cbSize = sizeof wi;
  GetWindowInfo(window, &wi);
  info.style = wi.dwStyle;
  info.exStyle = wi.dwExStyle;
  char text[256];
  info.className = GetClassNameA(window, text, sizeof text) ? text : "";
  info.title = GetWindowTextA(window, text, sizeof text) > 0 ? text : "";
  search->found.push_back(info);
  return TRUE;
}

}  // namespace

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string ModulePathOf(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (!process) return std::string();
  char path[MAX_PATH];
  DWORD n = K32GetModuleFileNameExA(process, nullptr, path, sizeof path);
  CloseHandle(process);
  return std::string(path, n);
}

std::vector<DWORD> FindProcesses(const std::function<bool(const std::string& path)>& matches) {
  std::vector<DWORD> ids(4096);
  DWORD bytes = 0;
  std::vector<DWORD> found;
  if (!K32EnumProcesses(ids.data(), ids.size() * sizeof(DWORD), &bytes)) return found;
  ids.resize(bytes / sizeof(DWORD));
  for (DWORD id : ids) {
    if (id == 0) continue;
    // A process whose path cannot be read matches nothing, so an empty name never stands for
    // every such process.
    std::string path = ModulePathOf(id);
    if (!path.empty() && matches(path)) found.push_back(id);
  }
  return found;
}

std::vector<DWORD> FindProcessesByPath(const std::string& path) {
  std::string wanted = LowerAscii(path);
  return FindProcesses([&](const std::string& p) { return LowerAscii(p) == wanted; });
}

std::vector<WindowInfo> TopLevelWindows(DWORD pid) {
  WindowSearch search{pid, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string WindowText(HWND window) {
  int length = GetWindowTextLengthA(window);
  std::string text(length + 1, '\0');
  int n = GetWindowTextA(window, &text[0], length + 1);
  text.resize(n > 0 ? n : 0);
  return text;
}

bool IsMessageBoxWindow(HWND window) {
  char className[64];
  if (!GetClassNameA(window, className, sizeof className)) return false;
  return lstrcmpA(className, "#32770") == 0 && GetDlgItem(window, 0xFFFF) != nullptr;
}

bool ReadMessageBox(HWND box, MessageBoxInfo* info) {
  HWND textControl = GetDlgItem(box, 0xFFFF);
  if (!textControl) return false;
  info->caption = WindowText(box);
  info->text = WindowText(textControl);
  return true;
}

}  // namespace harness
