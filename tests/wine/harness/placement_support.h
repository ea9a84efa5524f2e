// Helpers of the placement tests, one program per road: the rectangle they ask for, the run's
// outcome (placed quietly, or one failure), copies of the target fixture started and their
// windows read, and what a "log" copy wrote of its window.
#pragma once
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "harness.h"

namespace harness {

// The rectangle every test asks for; it fits the 1920x1080 screen.
const int Left = 100, Top = 80, Width = 640, Height = 480;
const char Coordinates[] = "100,80,640,480";

// The run with the rectangle every test asks for and this command.
inline RunResult PlaceAtCoordinates(const std::string& command) {
  return RunTavrisol(std::string(Coordinates) + " " + command);
}

inline std::string Hex(HWND window) {
  char text[32];
  snprintf(text, sizeof text, "%x", static_cast<unsigned>(reinterpret_cast<uintptr_t>(window)));
  return text;
}

inline std::string LookupTrace(const std::string& command) {
  return "lookforexecuting <" + command + "> " + std::to_string(command.size()) + "\r\n";
}

inline ::testing::AssertionResult WindowAt(HWND window, int left, int top, int width, int height) {
  RECT r;
  if (!GetWindowRect(window, &r)) return ::testing::AssertionFailure() << "no window";
  if (r.left == left && r.top == top && r.right - r.left == width && r.bottom - r.top == height) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "window " << Hex(window) << " is at " << RectText(r);
}

// Three windows, each at one of the three cascade steps 32 pixels apart from Left, each step
// taken once, all of the requested size.
inline void ExpectCascaded(const std::vector<WindowInfo>& windows) {
  ASSERT_EQ(windows.size(), 3u);
  bool taken[3] = {false, false, false};
  for (const WindowInfo& w : windows) {
    EXPECT_EQ(w.rect.top, Top) << w.title;
    EXPECT_EQ(w.Width(), Width) << w.title;
    EXPECT_EQ(w.Height(), Height) << w.title;
    int step = (w.rect.left - Left) / 32;
    ASSERT_TRUE(step >= 0 && step < 3 && w.rect.left == Left + 32 * step)
        << w.title << " at " << RectText(w.rect);
    EXPECT_FALSE(taken[step]);
    taken[step] = true;
  }
}

// The first of the DLLs only the editor uses that a run loaded, as the file path the loader
// reported; "" when none: a placement run must not load them.
inline std::string EditorDllLoaded(const RunResult& r) {
  for (const std::string& path : r.dlls) {
    size_t slash = path.find_last_of("\\/");
    std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    for (const char* dll : {"comdlg32.dll", "shell32.dll", "ole32.dll"}) {
      if (lstrcmpiA(name.c_str(), dll) == 0) return path;
    }
  }
  return std::string();
}

// The run ended by itself with exit value 1, showed no message box and loaded none of the
// editor's DLLs.
inline ::testing::AssertionResult PlacedQuietly(const RunResult& r) {
  if (!r.started)
    return ::testing::AssertionFailure() << "tavrisol.exe did not start: error " << r.startError;
  if (r.timedOut) return ::testing::AssertionFailure() << "timed out\n" << r.AllTraces();
  if (r.exitCode != 1) {
    return ::testing::AssertionFailure()
           << "exit value " << r.exitCode << "\n"
           << (r.boxes.empty() ? "" : r.boxes[0].text + "\n") << r.AllTraces();
  }
  if (!r.boxes.empty()) {
    return ::testing::AssertionFailure()
           << "message box " << r.boxes[0].caption << ": " << r.boxes[0].text;
  }
  if (r.dlls.empty()) return ::testing::AssertionFailure() << "no DLL loads were seen";
  std::string editorDll = EditorDllLoaded(r);
  if (!editorDll.empty()) {
    return ::testing::AssertionFailure() << "the placement run loaded " << editorDll;
  }
  return ::testing::AssertionSuccess();
}

// The run ended with exit value 0 after exactly one "Failure" box with this text.
inline void ExpectOneFailure(const RunResult& r, const std::string& text) {
  ASSERT_TRUE(r.started);
  EXPECT_FALSE(r.timedOut);
  EXPECT_TRUE(r.exited);
  EXPECT_EQ(r.exitCode, 0u);
  ASSERT_EQ(r.boxes.size(), 1u) << r.AllTraces();
  EXPECT_EQ(r.boxes[0].caption, "Failure");
  EXPECT_EQ(r.boxes[0].text, text);
}

inline std::vector<WindowInfo> TargetWindows(DWORD pid, bool visibleOnly = true) {
  std::vector<WindowInfo> found;
  for (const WindowInfo& w : TopLevelWindows(pid)) {
    if (w.className == "TavrisolTarget" && (!visibleOnly || w.Visible())) found.push_back(w);
  }
  return found;
}

// Starts a copy of the target fixture and waits until it shows count visible windows (or, with
// count 0, until it has made its windows).
inline DWORD StartTarget(ProcessGuard& guard, const std::string& path, size_t visibleCount) {
  DWORD pid = StartProcessAt(path, 300, 300, 400, 300);
  guard.Track(pid);
  if (pid == 0) return 0;
  bool ready = WaitUntil(
      [&] {
        return visibleCount ? TargetWindows(pid).size() == visibleCount
                            : !TargetWindows(pid, false).empty();
      },
      10000);
  return ready ? pid : 0;
}

// The one visible window of the one process running path; nullptr unless there is one of each.
inline HWND LoneWindowOf(const std::string& path) {
  const std::vector<DWORD> pids = FindProcessesByPath(path);
  const std::vector<WindowInfo> windows =
      pids.size() == 1 ? TargetWindows(pids[0]) : std::vector<WindowInfo>();
  return windows.size() == 1 ? windows[0].hwnd : nullptr;
}

// Starts a copy of the target fixture that shows one window; that window, or nullptr.
inline HWND StartLoneTarget(ProcessGuard& guard, const std::string& path) {
  DWORD pid = StartTarget(guard, path, 1);
  return pid != 0 ? TargetWindows(pid)[0].hwnd : nullptr;
}

// A run takes a windowless process for hung only once it is older than the run's whole
// allowance (the 30-second idle wait and 12 seconds of scans); a younger one is still
// starting. startedAt: GetTickCount at its start.
inline void WaitUntilNoLongerStarting(DWORD startedAt) {
  DWORD age = GetTickCount() - startedAt;
  if (age < 42500) Sleep(42500 - age);
}

// A held run of a splash copy: its one process left shows one window, the main window after
// the splash, at the coordinates. Returns that process.
inline DWORD ExpectSplashMainPlaced(const std::string& path, const RunResult& r) {
  EXPECT_TRUE(PlacedQuietly(r));
  std::vector<DWORD> pids = FindProcessesByPath(path);
  EXPECT_EQ(pids.size(), 1u);
  if (pids.size() != 1) return 0;
  std::vector<WindowInfo> windows = TargetWindows(pids[0]);
  EXPECT_EQ(windows.size(), 1u);
  if (windows.size() != 1) return pids[0];
  EXPECT_EQ(windows[0].title, "splash main");
  EXPECT_TRUE(WindowAt(windows[0].hwnd, Left, Top, Width, Height)) << r.AllTraces();
  return pids[0];
}

// What a "log" copy of the fixture wrote each time its window was shown, moved or sized while
// visible: the window's rectangle, whether the library was in it then, or its health
// ("faults/stray": access violations, a window procedure in no module).
enum LogField { Rect = 1, Library, Health };
inline std::vector<std::string> Logged(const std::string& path, LogField field = Rect) {
  std::ifstream log(path + ".log");
  std::vector<std::string> lines;
  for (std::string fields[4]; log >> fields[0] >> fields[1] >> fields[2] >> fields[3];)
    lines.push_back(fields[field]);
  return lines;
}

}  // namespace harness
