// Looking at other processes and their windows, without GoogleTest, so the console tools can
// share it with the tests (harness.h includes it).
//   LowerAscii(text)               ASCII letters folded to lower case (paths compare this way).
//   Narrow(wide)                   a UTF-16 text in this process's code page (texts of other
//                                  processes are read wide: "A" reads come back cut under Wine).
//   ModulePathOf(pid)              the executable path the system reports for a process (what the
//                                  placement lookup compares with); "" when it cannot be read.
//   FindProcesses(matches)         ids of running processes whose readable path matches.
//   FindProcessesByPath(path)      ids of running processes with that executable (any case).
//   TopLevelWindowHandles(pid)     the process's top-level windows, asking them nothing.
//   TopLevelWindows(pid)           the same with rectangle, style, class and title.
//   HasClass(window, name)         the window's class is name.
//   WindowText(window)             a window's text, read without sending it a message, so it
//                                  works while the owning process is stopped in a debugger.
//   IsMessageBoxWindow(window)     a dialog (class "#32770") with a message text (control 0xFFFF).
//   ReadMessageBox(box, &info)     caption and text of one box.
//   RectText(rect)                 "(left,top widthxheight)".
//   ClientOnScreen(window)         the client area in screen coordinates.
//   KeptOnScreen(window)           what the window's region keeps, on the screen: "none" without a
//                                  region, "complex" for more than one rectangle.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace harness {

std::string LowerAscii(std::string text);
std::string Narrow(const WCHAR* wide);
std::string ModulePathOf(DWORD pid);
std::vector<DWORD> FindProcesses(const std::function<bool(const std::string& path)>& matches);
std::vector<DWORD> FindProcessesByPath(const std::string& path);

struct WindowInfo {
  HWND hwnd;
  RECT rect;
  DWORD style;
  DWORD exStyle;
  std::string className;
  std::string title;
  bool Visible() const { return (style & WS_VISIBLE) != 0; }
  int Width() const { return rect.right - rect.left; }
  int Height() const { return rect.bottom - rect.top; }
};
// The handles alone: safe to call for windows of this process whatever their threads do.
std::vector<HWND> TopLevelWindowHandles(DWORD pid);
// Reads each window's title, which for a window of this process is a message to its thread.
std::vector<WindowInfo> TopLevelWindows(DWORD pid);
bool HasClass(HWND window, const char* className);
std::string WindowText(HWND window);

struct MessageBoxInfo {
  std::string caption;
  std::string text;
};
bool IsMessageBoxWindow(HWND window);
bool ReadMessageBox(HWND box, MessageBoxInfo* info);

std::string RectText(const RECT& r);
RECT ClientOnScreen(HWND window);
std::string KeptOnScreen(HWND window);

}  // namespace harness
