// Processes and windows of other programs, for the tests and the console tools.
#include "harness/winquery.h"

#include <cstdio>

#include <psapi.h>

namespace harness {
namespace {

struct WindowSearch {
  DWORD pid;
  std::vector<HWND> found;
};

// Only asks whose window it is: nothing here sends the window a message, so this never waits
// for a thread of our own that is busy.
BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
  WindowSearch* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->pid) search->found.push_back(window);
  return TRUE;
}

}  // namespace

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string Narrow(const WCHAR* wide) {
  int size = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return std::string();
  std::string text(size, '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, -1, &text[0], size, nullptr, nullptr);
  text.resize(size - 1);
  return text;
}

std::string ModulePathOf(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (!process) return std::string();
  WCHAR path[1024];
  DWORD n = K32GetModuleFileNameExW(process, nullptr, path, 1024);
  CloseHandle(process);
  path[n < 1024 ? n : 0] = L'\0';
  return Narrow(path);
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

std::vector<HWND> TopLevelWindowHandles(DWORD pid) {
  WindowSearch search{pid, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<WindowInfo> TopLevelWindows(DWORD pid) {
  std::vector<WindowInfo> windows;
  for (HWND window : TopLevelWindowHandles(pid)) {
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
    windows.push_back(info);
  }
  return windows;
}

bool HasClass(HWND window, const char* className) {
  char name[64];
  return GetClassNameA(window, name, sizeof name) && lstrcmpA(name, className) == 0;
}

std::string WindowText(HWND window) {
  int length = GetWindowTextLengthW(window);
  std::wstring text(length + 1, L'\0');
  GetWindowTextW(window, &text[0], length + 1);
  return Narrow(text.c_str());
}

bool IsMessageBoxWindow(HWND window) {
  return HasClass(window, "#32770") && GetDlgItem(window, 0xFFFF) != nullptr;
}

bool ReadMessageBox(HWND box, MessageBoxInfo* info) {
  HWND textControl = GetDlgItem(box, 0xFFFF);
  if (!textControl) return false;
  info->caption = WindowText(box);
  info->text = WindowText(textControl);
  return true;
}

std::string RectText(const RECT& r) {
  char text[96];
  snprintf(text, sizeof text, "(%ld,%ld %ldx%ld)", r.left, r.top, r.right - r.left,
           r.bottom - r.top);
  return text;
}

RECT ClientOnScreen(HWND window) {
  RECT r = {0, 0, 0, 0};
  GetClientRect(window, &r);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::string KeptOnScreen(HWND window) {
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  RECT box = {0, 0, 0, 0}, at = {0, 0, 0, 0};
  const int kind = GetWindowRgn(window, region);
  GetRgnBox(region, &box);
  DeleteObject(region);
  GetWindowRect(window, &at);
  OffsetRect(&box, at.left, at.top);
  return kind == ERROR ? "none" : kind == SIMPLEREGION ? RectText(box) : "complex";
}

}  // namespace harness
