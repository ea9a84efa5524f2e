// The whole road with the real tavrisol.exe: open the editor, pick a target
// program's window by clicking it, change the numbers, press Ok, then open the
// shortcut that was written and find the window placed and in front.
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "harness.h"
#include "editor/recent.h"
#include "harness/shortcut_support.h"

using namespace harness;

namespace {

const char EditorTitle[] = "Tavrisol " TAVRISOL_PROJECT_VERSION;

HWND WaitForEditor(DWORD pid, DWORD timeoutMs) {
  HWND editor = nullptr;
  WaitUntil(
      [&] {
        for (const WindowInfo& w : TopLevelWindows(pid)) {
          if (IsWindowVisible(w.hwnd) && w.title == EditorTitle) {
            editor = w.hwnd;
            break;
          }
        }
        return editor != nullptr && GetDlgItem(editor, 9) != nullptr;
      },
      timeoutMs);
  // The frame shows before its lists are filled: wait for the message loop.
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
  if (process) {
    WaitForInputIdle(process, 10000);
    CloseHandle(process);
  }
  return editor;
}

// What the program shows instead of its editor, for the failure message.
std::string BoxesShown(DWORD pid) {
  std::string shown;
  for (HWND box : FindMessageBoxes(pid)) {
    MessageBoxInfo info;
    if (ReadMessageBox(box, &info)) shown += info.caption + ": " + info.text + "\n";
  }
  return shown;
}

// A real click at a screen point, through the system's input queue, so that
// hooks see it as they would a user's.
void ClickAt(int x, int y) {
  int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  INPUT input[3] = {};
  for (INPUT& i : input) {
    i.type = INPUT_MOUSE;
    i.mi.dx = (x * 65535 + width / 2) / (width - 1);
    i.mi.dy = (y * 65535 + height / 2) / (height - 1);
  }
  input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
  input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &input[0], sizeof(INPUT));
  Sleep(200);
  SendInput(2, &input[1], sizeof(INPUT));
}

void PressButton(HWND editor, int id) {
  PostMessageA(editor, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(editor, id)));
}

// Select arms the pick within its command and shows nothing: sent rather than posted, it has
// done so when this returns.
void PressSelect(HWND editor) {
  DWORD_PTR result;
  SendMessageTimeoutA(editor, WM_COMMAND, MAKEWPARAM(1004, BN_CLICKED),
                      reinterpret_cast<LPARAM>(GetDlgItem(editor, 1004)), SMTO_NORMAL, 10000,
                      &result);
}

bool RectIs(HWND window, int left, int top, int width, int height) {
  RECT r;
  return GetWindowRect(window, &r) && r.left == left && r.top == top && r.right - r.left == width &&
         r.bottom - r.top == height;
}

std::string RectText(HWND window) {
  RECT r = {};
  GetWindowRect(window, &r);
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," +
         std::to_string(r.right - r.left) + "," + std::to_string(r.bottom - r.top);
}

// Puts a window of the test's own in front, so that a placement has to bring
// its target forward itself.
HWND TakeForeground() {
  HWND other = CreateWindowExA(0, "STATIC", "road blocker", WS_POPUP | WS_VISIBLE | WS_BORDER, 1500,
                               900, 200, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  SetForegroundWindow(other);
  MSG msg;
  WaitUntil(
      [&] {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        return GetForegroundWindow() == other;
      },
      5000);
  return other;
}

// The system hands the foreground over through the windows' own threads, so
// it settles a moment after the placement ended; our own thread keeps pumping
// meanwhile for the window it owns.
bool BecomesForeground(HWND window) {
  MSG msg;
  return WaitUntil(
      [&] {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        return GetForegroundWindow() == window;
      },
      5000);
}

// Reads the next box the process shows, then presses its OK.
MessageBoxInfo NextBox(DWORD pid, DWORD timeoutMs) {
  MessageBoxInfo info{"(no box)", ""};
  HWND box = WaitForMessageBox(pid, timeoutMs);
  if (box) {
    ReadMessageBox(box, &info);
    DismissMessageBox(box);
  }
  return info;
}

class ShortcutRoad : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    MakeStandInPrograms();
  }
  void TearDown() override {
    guard.CleanUp();
    for (const std::string& path : removeAfter) DeleteFileA(path.c_str());
    CoUninitialize();
  }
  // Starts tavrisol.exe without arguments under the debugger loop (boxes left to the test) and
  // waits for its editor window.
  void OpenEditor(DebuggedProcess* editorProcess, HWND* editor) {
    RunOptions options;
    options.dismissBoxes = false;
    options.workDir = BuildDir();
    ASSERT_TRUE(editorProcess->Start(BuildFile("tavrisol.exe"), "", options));
    guard.Track(editorProcess->Pid());
    *editor = WaitForEditor(editorProcess->Pid(), 30000);
    ASSERT_NE(*editor, nullptr) << BoxesShown(editorProcess->Pid());
  }
  ProcessGuard guard;
  std::vector<std::string> removeAfter;
};

TEST_F(ShortcutRoad, PickEditSaveAndOpenTheShortcut) {
  std::string target = guard.CopyFixture("target.exe", "roadtarget.exe");
  ASSERT_FALSE(target.empty());
  DWORD targetPid = StartProcessAt(target, 40, 60, 420, 300);
  ASSERT_NE(targetPid, 0u);
  guard.Track(targetPid);
  HWND targetWindow = WaitForVisibleWindow(targetPid, 20000);
  ASSERT_NE(targetWindow, nullptr);
  std::string shortcut = DesktopFolder() + "\\Roadtarget Tavrisol.lnk";
  DeleteFileA(shortcut.c_str());
  removeAfter.push_back(shortcut);

  // (1) The editor opens.
  std::string tavrisol = BuildFile("tavrisol.exe");
  guard.TrackPath(tavrisol);
  DebuggedProcess editorProcess;
  HWND editor = nullptr;
  ASSERT_NO_FATAL_FAILURE(OpenEditor(&editorProcess, &editor));
  SetDlgItemTextA(editor, 1001, "");  // a new shortcut on the desktop

  // (2) Select, then a click on the target's window fills Input.
  SetDlgItemTextA(editor, 1002, "");
  PressSelect(editor);
  RECT r;
  ASSERT_TRUE(GetWindowRect(targetWindow, &r));
  ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  std::string picked;
  ASSERT_TRUE(WaitUntil(
      [&] {
        picked = FieldText(editor, 1002);
        return !picked.empty();
      },
      15000))
      << "the pick never reached Input";
  std::string modulePath = ModulePathOf(targetPid);
  EXPECT_TRUE(SameText(picked, RectText(targetWindow) + " " + modulePath)) << picked;
  std::string command = picked.substr(picked.find(' ') + 1);

  // (3) New numbers, then Ok: saved on the desktop, Output and its list get
  // the derived path.
  std::string input = "300,200,640,480 " + command;
  SetDlgItemTextA(editor, 1002, input.c_str());
  PressButton(editor, 1);
  HWND box = WaitForMessageBox(editorProcess.Pid(), 20000);
  ASSERT_NE(box, nullptr);
  MessageBoxInfo info;
  ASSERT_TRUE(ReadMessageBox(box, &info));
  EXPECT_EQ(info.caption, "Success");
  EXPECT_EQ(info.text, "Saved shortcut " + shortcut);
  EXPECT_EQ(FieldText(editor, 1001), shortcut);
  DismissMessageBox(box);
  ASSERT_TRUE(editorProcess.WaitForExit(15000)) << "the editor stayed open";
  EXPECT_EQ(editorProcess.ExitCode(), 1u);
  EXPECT_EQ(RecentHead(OUTPUT_LIST_KEY), shortcut);
  EXPECT_EQ(RecentHead(INPUT_LIST_KEY), input);

  LinkContents link = ReadLink(shortcut);
  ASSERT_TRUE(link.loaded);
  EXPECT_TRUE(SameText(link.target, tavrisol)) << link.target;
  EXPECT_EQ(link.arguments, input);

  // (4) Opening the shortcut places the running program's window in front.
  HWND blocker = TakeForeground();
  ASSERT_EQ(GetForegroundWindow(), blocker);
  RunOptions run;
  run.timeoutMs = 60000;
  RunResult placed = RunToEnd(link.target, link.arguments, run);
  ASSERT_TRUE(placed.started);
  EXPECT_TRUE(placed.exited);
  EXPECT_EQ(placed.exitCode, 1u) << placed.AllTraces();
  EXPECT_TRUE(placed.boxes.empty()) << placed.boxes[0].text;
  EXPECT_TRUE(RectIs(targetWindow, 300, 200, 640, 480)) << RectText(targetWindow);
  EXPECT_TRUE(BecomesForeground(targetWindow)) << GetForegroundWindow();

  // Minimised, then the shortcut again, this time opened through the shell.
  PostMessageA(targetWindow, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(targetWindow) != FALSE; }, 10000));
  SetForegroundWindow(blocker);
  ASSERT_TRUE(BecomesForeground(blocker));
  SHELLEXECUTEINFOA execute = {};
  execute.cbSize = sizeof execute;
  execute.fMask = SEE_MASK_NOCLOSEPROCESS;
  execute.lpVerb = "open";
  execute.lpFile = shortcut.c_str();
  execute.nShow = SW_SHOWNORMAL;
  ASSERT_TRUE(ShellExecuteExA(&execute));
  if (execute.hProcess) {
    EXPECT_EQ(WaitForSingleObject(execute.hProcess, 60000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(execute.hProcess, &code);
    EXPECT_EQ(code, 1u);
    CloseHandle(execute.hProcess);
  } else {
    // The shell started it without telling which process: wait for the run
    // to end by its path.
    Sleep(1000);
    EXPECT_TRUE(WaitUntil([&] { return FindProcessesByPath(tavrisol).empty(); }, 60000));
  }
  EXPECT_TRUE(WaitUntil(
      [&] { return !IsIconic(targetWindow) && RectIs(targetWindow, 300, 200, 640, 480); }, 30000))
      << RectText(targetWindow);
  EXPECT_TRUE(BecomesForeground(targetWindow)) << GetForegroundWindow();
  EXPECT_TRUE(ProcessIsRunning(targetPid));  // placed, not restarted
  DestroyWindow(blocker);
}

// The characters a system counts of a text: UTF-16 units.
int Units(const std::string& text) {
  return MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0) - 1;
}

// A field of another process's window, set wide: its text arrives whole.
void SetField(HWND editor, int id, const std::string& text) {
  std::wstring wide(text.size() + 1, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
  SetDlgItemTextW(editor, id, wide.c_str());
}

struct AnyPath {
  const char* name;
  std::string folders, file;  // under a fresh temporary folder
  int inputUnits;             // 0: as it comes; else the Input's length, padding the folders
};

// A program whose path holds characters of many languages, also near the 259-character limit:
// placed, found running, picked, saved in a shortcut, and placed by that shortcut.
TEST_F(ShortcutRoad, ProgramPathsInAnyLanguageTakeTheWholeRoad) {
  const std::string game = "🎮";  // outside the basic plane: two units
  const AnyPath rows[] = {
      {"mixed", "Ünïcødé 日本 " + game, "Ωμέγα.exe", 0},
      {"near the limit", "", "éλα.exe", 258},
  };
  const std::string tavrisol = BuildFile("tavrisol.exe");
  guard.TrackPath(tavrisol);
  // An Input entry as an earlier version left it: 519 characters of one byte each in the
  // legacy code page, 1557 bytes of UTF-8.
  std::wstring earlierEntry(519, L'\x20AC');

  for (const AnyPath& row : rows) {
    SCOPED_TRACE(row.name);
    std::string name = row.folders + "\\" + row.file;
    if (row.inputUnits > 0) {
      // Folders of at most 60 characters (180 bytes, as a file system's name allows) fill the
      // room a copy in a temporary folder like the probe's leaves.
      std::string probe = guard.CopyFixture("target.exe", "probe.exe");
      int room =
          row.inputUnits - Units("300,200,640,480 " + probe) + Units("probe.exe") - Units(row.file);
      name.clear();
      for (int used = 0, inFolder = 0; used < room;) {
        bool last = used == room - 1;
        std::string next = last || inFolder == 60 ? "\\" : used == 0 ? game : used % 2 ? "日" : "Ω";
        used += Units(next);
        inFolder = next == "\\" ? 0 : inFolder + Units(next);
        name += next;
      }
      name += row.file;
    }
    std::string path = guard.CopyFixture("target.exe", name);
    ASSERT_FALSE(path.empty()) << GetLastError();
    std::string directory = path.substr(0, path.rfind('\\'));
    std::string stem = row.file.substr(0, row.file.rfind('.'));
    std::string shortcut = DesktopFolder() + "\\" + stem + " Tavrisol.lnk";
    DeleteFileA(shortcut.c_str());
    removeAfter.push_back(shortcut);

    // Started and placed, then found running and moved: one process throughout.
    RunResult run = RunToEnd(tavrisol, "100,120,400,280 " + path);
    EXPECT_EQ(run.exitCode, 1u) << run.AllTraces();
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0].text;
    std::vector<DWORD> pids = FindProcessesByPath(path);
    ASSERT_EQ(pids.size(), 1u);
    guard.Track(pids[0]);
    HWND window = WaitForVisibleWindow(pids[0], 10000);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(RectIs(window, 100, 120, 400, 280)) << RectText(window);
    run = RunToEnd(tavrisol, "40,60,420,300 " + path);
    EXPECT_EQ(run.exitCode, 1u) << run.AllTraces();
    EXPECT_EQ(FindProcessesByPath(path), pids);
    EXPECT_TRUE(RectIs(window, 40, 60, 420, 300)) << RectText(window);

    // Picked: Input holds the true path.
    HKEY root = HKEY_LOCAL_MACHINE, key = nullptr;  // the editor's order of roots
    if (RegCreateKeyExA(root, INPUT_LIST_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
      root = HKEY_CURRENT_USER;
      ASSERT_EQ(RegCreateKeyExA(root, INPUT_LIST_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                nullptr),
                ERROR_SUCCESS);
    }
    RegSetValueExW(key, L"", 0, REG_SZ, reinterpret_cast<const BYTE*>(earlierEntry.c_str()),
                   static_cast<DWORD>(2 * earlierEntry.size() + 2));
    RegCloseKey(key);
    DebuggedProcess editorProcess;
    HWND editor = nullptr;
    ASSERT_NO_FATAL_FAILURE(OpenEditor(&editorProcess, &editor));
    SetField(editor, 1001, "");
    SetField(editor, 1002, "");
    PressSelect(editor);
    ClickAt(250, 210);
    std::string picked;
    ASSERT_TRUE(WaitUntil([&] { return !(picked = FieldText(editor, 1002)).empty(); }, 15000));
    EXPECT_TRUE(SameText(picked, "40,60,420,300 " + path)) << picked;

    // Ok writes the shortcut; both texts reach their lists whole.
    std::string input = "300,200,640,480 " + picked.substr(picked.find(' ') + 1);
    if (row.inputUnits > 0) {
      EXPECT_NEAR(Units(input), row.inputUnits, 1);
    }
    SetField(editor, 1002, input);
    PressButton(editor, 1);
    MessageBoxInfo info = NextBox(editorProcess.Pid(), 20000);
    EXPECT_EQ(info.caption, "Success");
    EXPECT_EQ(info.text, "Saved shortcut " + shortcut);
    EXPECT_TRUE(editorProcess.WaitForExit(15000));
    EXPECT_EQ(RecentHead(INPUT_LIST_KEY), input);
    EXPECT_EQ(RecentHead(OUTPUT_LIST_KEY), shortcut);
    WCHAR moved[1024] = L"";
    DWORD size = sizeof moved;
    RegGetValueW(root, L"SOFTWARE\\Tavrisol\\input", L"01", RRF_RT_REG_SZ, nullptr, moved, &size);
    EXPECT_EQ(moved, earlierEntry) << "the earlier entry moved down cut";
    LinkContents link = ReadLink(shortcut);
    EXPECT_TRUE(SameText(link.target, tavrisol)) << link.target;
    EXPECT_EQ(link.arguments, input);
    EXPECT_EQ(link.iconLocation, picked.substr(picked.find(' ') + 1));
    EXPECT_TRUE(SameText(link.workingDirectory, directory)) << link.workingDirectory;

    // The shortcut, opened through the shell, places the same program.
    SHELLEXECUTEINFOA execute = {};
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_NOCLOSEPROCESS;
    execute.lpFile = shortcut.c_str();
    execute.nShow = SW_SHOWNORMAL;
    ASSERT_TRUE(ShellExecuteExA(&execute));
    if (execute.hProcess) {
      WaitForSingleObject(execute.hProcess, 30000);
      CloseHandle(execute.hProcess);
    }
    EXPECT_TRUE(WaitUntil([&] { return RectIs(window, 300, 200, 640, 480); }, 15000))
        << RectText(window);
    EXPECT_EQ(FindProcessesByPath(path), pids);
    guard.CleanUp();
  }
}

TEST_F(ShortcutRoad, RefusedUpdateKeepsTheEditorOpen) {
  std::string path = TempFolder() + "tavrisol-road-refused.lnk";
  removeAfter.push_back(path);
  ASSERT_TRUE(MakeLink(path, "C:\\windows\\notepad.exe", "1,2,3,4 C:\\Apps\\view.exe", "", 0,
                       "C:\\windows"));
  DebuggedProcess editorProcess;
  HWND editor = nullptr;
  ASSERT_NO_FATAL_FAILURE(OpenEditor(&editorProcess, &editor));
  SetDlgItemTextA(editor, 1002, "5,6,7,8");
  SetDlgItemTextA(editor, 1001, path.c_str());
  PressButton(editor, 1);
  MessageBoxInfo info = NextBox(editorProcess.Pid(), 20000);
  EXPECT_EQ(info.caption, "Failure");
  EXPECT_EQ(info.text, "Invalid Command line.\n5,6,7,8");
  EXPECT_FALSE(editorProcess.WaitForExit(1500));
  EXPECT_TRUE(IsWindow(editor));
  EXPECT_NE(RecentHead(INPUT_LIST_KEY), "5,6,7,8");  // a refused text is no entry
  EXPECT_EQ(ReadLink(path).arguments, "1,2,3,4 C:\\Apps\\view.exe");

  // Corrected and pressed again: saved, and the editor closes.
  SetDlgItemTextA(editor, 1002, "9,10,11,12 C:\\Apps\\view.exe");
  PressButton(editor, 1);
  info = NextBox(editorProcess.Pid(), 20000);
  EXPECT_EQ(info.caption, "Success");
  EXPECT_EQ(info.text, "Saved shortcut " + path);
  EXPECT_TRUE(editorProcess.WaitForExit(15000));
  EXPECT_EQ(ReadLink(path).arguments, "9,10,11,12 C:\\Apps\\view.exe");
}

// Adds text to a shortcut's arguments through the wide interface, which can
// hold what the ANSI code page can't.
bool AppendWideArguments(const std::string& path, const std::wstring& tail) {
  IShellLinkW* link = nullptr;
  IPersistFile* file = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link))))
    return false;
  bool saved = false;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    WCHAR wide[MAX_PATH], arguments[2048] = L"";
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    if (SUCCEEDED(file->Load(wide, STGM_READWRITE)) &&
        SUCCEEDED(link->GetArguments(arguments, 2048))) {
      std::wstring whole = arguments + tail;
      saved = SUCCEEDED(link->SetArguments(whole.c_str())) && SUCCEEDED(file->Save(wide, TRUE));
    }
    file->Release();
  }
  link->Release();
  return saved;
}

// Texts longer than a shortcut's arguments can be, and old arguments that the
// ANSI interface would cut or change: Ok either keeps every character or
// refuses and writes nothing.
struct WholeTexts {
  const char* name;
  std::string oldArguments;  // empty: no shortcut to update, a new one on the desktop
  std::wstring wideTail;     // added to the old arguments through the wide interface
  std::string input;
  std::string caption, text;   // the one report; "%s" in text stands for the shortcut's path
  std::string argumentsAfter;  // empty: the file is left as it was
  // The shortcut's path takes 259 characters and Output one more, so that a
  // cut Output would name that shortcut.
  bool outputOneTooLong = false;
};

TEST_F(ShortcutRoad, OkKeepsLongTextsWholeOrRefusesThem) {
  const std::string view = " C:\\Apps\\view.exe ";
  const std::string cut = "1,2,3,4" + view + std::string(300 - 29, 'p') + "-END";
  const std::string padded =
      std::string(60, '0') + "1,2,3,4" + view + std::string(200, 'p') + "-END";
  const std::string longInput = "0,0,800,600 C:\\Tools\\longinput.exe -" + std::string(250, 'p');
  const WholeTexts cases[] = {
      {"300 characters of old arguments", cut, L"", "0,0,800,600 C:\\Apps\\view.exe", "Failure",
       "Shortcut arguments too long (304 characters, at most 259):\n0,0,800,600" + cut.substr(7),
       ""},
      {"long old coordinates, short result", padded, L"", "0,0,800,600 C:\\Apps\\view.exe",
       "Success", "Saved shortcut %s", "0,0,800,600" + view + std::string(200, 'p') + "-END"},
      {"old arguments in any language", "1,2,3,4" + view + "-", L"\x4E2D\x6587",
       "0,0,800,600 C:\\Apps\\view.exe", "Success", "Saved shortcut %s",
       "0,0,800,600" + view + "-中文"},
      {"new shortcut for a long Input", "", L"", longInput, "Failure",
       "Shortcut arguments too long (286 characters, at most 259):\n" + longInput, ""},
      {"Output of 260 characters", "1,2,3,4" + view + "-", L"", "0,0,800,600 C:\\Apps\\view.exe",
       "Failure", "Shortcut path too long (264 characters, at most 259):\n%sx.lnk", "", true},
  };
  const std::string newShortcut = DesktopFolder() + "\\Longinput Tavrisol.lnk";
  DeleteFileA(newShortcut.c_str());
  removeAfter.push_back(newShortcut);
  for (const WholeTexts& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path;
    std::string before;
    if (!c.oldArguments.empty()) {
      path = TempFolder() + "tavrisol-road-whole";
      if (c.outputOneTooLong) path.resize(259 - 4, 'w');
      path += ".lnk";
      removeAfter.push_back(path);
      ASSERT_TRUE(MakeLink(path, "C:\\windows\\notepad.exe", c.oldArguments, "", 0, "C:\\windows"));
      if (!c.wideTail.empty())
        ASSERT_TRUE(AppendWideArguments(path, c.wideTail));
      else
        ASSERT_EQ(ReadLink(path).arguments, c.oldArguments);
      before = FileBytes(path);
    }
    DebuggedProcess editorProcess;
    HWND editor = nullptr;
    ASSERT_NO_FATAL_FAILURE(OpenEditor(&editorProcess, &editor));
    SetDlgItemTextA(editor, 1002, c.input.c_str());
    SetDlgItemTextA(editor, 1001, (c.outputOneTooLong ? path + "x" : path).c_str());
    PressButton(editor, 1);
    MessageBoxInfo info = NextBox(editorProcess.Pid(), 20000);
    std::string text = c.text;
    if (text.find("%s") != std::string::npos) text.replace(text.find("%s"), 2, path);
    EXPECT_EQ(info.caption, c.caption);
    EXPECT_EQ(info.text, text);
    // A refusal keeps the editor open; a save closes it.
    if (c.caption == "Failure") {
      EXPECT_FALSE(editorProcess.WaitForExit(1000));
      PressButton(editor, 2);
    }
    EXPECT_TRUE(editorProcess.WaitForExit(15000));
    if (path.empty()) {
      EXPECT_FALSE(FileExists(newShortcut));
    } else if (c.argumentsAfter.empty()) {
      EXPECT_EQ(FileBytes(path), before);
    } else {
      EXPECT_EQ(ReadLink(path).arguments, c.argumentsAfter);
    }
    guard.CleanUp();
  }
}

TEST_F(ShortcutRoad, BrowseFillsOutputInTheEditor) {
  std::string folder = TempFolder();
  std::string seed = folder + "tavrisol-road-seed.lnk";
  std::string chosen = folder + "tavrisol-road-chosen.lnk";
  removeAfter.push_back(seed);
  ASSERT_TRUE(MakeLink(seed, "C:\\windows\\notepad.exe", "", "", 0, "C:\\windows"));
  std::string headBefore = RecentHead(OUTPUT_LIST_KEY);

  DebuggedProcess editorProcess;
  HWND editor = nullptr;
  ASSERT_NO_FATAL_FAILURE(OpenEditor(&editorProcess, &editor));
  SetDlgItemTextA(editor, 1001, seed.c_str());
  PressButton(editor, 1003);

  HWND dialog = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] {
        dialog = FindWindowA("#32770", "Select Output File");
        return dialog != nullptr && IsWindowVisible(dialog);
      },
      30000));
  // The dialog fills its name field during its own set-up. Another process's control: its text
  // comes by message, not from the title.
  HWND nameField = nullptr;
  char name[MAX_PATH] = "";
  EXPECT_TRUE(WaitUntil(
      [&] {
        nameField = GetDlgItem(dialog, 0x47C);
        if (!nameField) nameField = GetDlgItem(dialog, 0x480);
        return nameField &&
               SendMessageA(nameField, WM_GETTEXT, sizeof name, reinterpret_cast<LPARAM>(name)) > 0;
      },
      5000));
  ASSERT_NE(nameField, nullptr);
  EXPECT_STREQ(name, "tavrisol-road-seed.lnk");
  SendMessageA(nameField, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("tavrisol-road-chosen"));
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 15000));
  EXPECT_TRUE(WaitUntil([&] { return SameText(FieldText(editor, 1001), chosen); }, 5000))
      << FieldText(editor, 1001);
  // Only Ok stores a text: Cancel leaves the list as it was.
  PressButton(editor, 2);
  EXPECT_TRUE(editorProcess.WaitForExit(15000));
  EXPECT_EQ(RecentHead(OUTPUT_LIST_KEY), headBefore);
  EXPECT_TRUE(FindMessageBoxes(editorProcess.Pid()).empty());
}

}  // namespace
