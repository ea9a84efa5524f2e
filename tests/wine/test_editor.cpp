// The editor window end to end: the real tavrisol.exe with an empty command
// line, its real window, message boxes, registry lists and mouse hook.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "editor/editor.h"
#include "harness.h"
#include "harness/editor_support.h"
#include "harness/shortcut_support.h"

namespace {

const char InputKey[] = "SOFTWARE\\Tavrisol\\input";
const char OutputKey[] = "SOFTWARE\\Tavrisol\\output";
const DWORD Timeout = harness::EditorTimeoutMs;
using harness::ClickAt;
using harness::Editor;

// ---- registry ------------------------------------------------------------------------------

void DeleteListKeys() {
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    RegDeleteTreeA(root, InputKey);
    RegDeleteTreeA(root, OutputKey);
  }
}

bool KeyExists(HKEY root, const char* path) {
  HKEY key;
  if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

void SetListValue(HKEY root, const char* path, const char* name, const std::string& text,
                  DWORD type = REG_SZ) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>(text.size())),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

// The value's text, or "(absent)".
std::string ListValue(HKEY root, const char* path, const char* name) {
  char buffer[600] = "";
  DWORD size = sizeof buffer - 1;
  HKEY key;
  if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return "(absent)";
  LONG code = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  if (code != ERROR_SUCCESS) return "(absent)";
  buffer[size] = '\0';
  return buffer;
}

// The root the program writes to: the machine-wide one when a key can be made
// there with full access (Wine usually allows it), else the per-user one.
HKEY WritableRoot() {
  HKEY key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, InputKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return HKEY_CURRENT_USER;
  RegCloseKey(key);
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, InputKey);
  return HKEY_LOCAL_MACHINE;
}

std::string Tavrisol() { return harness::BuildFile("tavrisol.exe"); }

// A fresh folder with copies of the given build files under new names.
struct TempFolder {
  std::string path;
  std::vector<std::string> files;
  TempFolder() {
    char base[MAX_PATH], name[MAX_PATH];
    GetTempPathA(sizeof base, base);
    GetTempFileNameA(base, "ted", 0, name);
    DeleteFileA(name);
    CreateDirectoryA(name, nullptr);
    path = name;
  }
  ~TempFolder() {
    for (auto& f : files) {
      for (int i = 0; i < 50 && !DeleteFileA(f.c_str()); ++i) Sleep(100);
    }
    RemoveDirectoryA(path.c_str());
  }
  std::string Copy(const std::string& buildFile, const std::string& newName) {
    std::string to = path + "\\" + newName;
    if (!CopyFileA(harness::BuildFile(buildFile).c_str(), to.c_str(), FALSE)) return "";
    files.push_back(to);
    return to;
  }
};

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteListKeys();
    root = WritableRoot();
  }
  void TearDown() override { DeleteListKeys(); }

  // Starts the editor from the build folder and waits for its window.
  void Open() {
    ASSERT_TRUE(editor.Start(Tavrisol()));
    ASSERT_TRUE(editor.WaitForWindow()) << "no editor window";
  }
  void ExpectClosedWithExitValue(DWORD expected) {
    DWORD code = 0;
    ASSERT_TRUE(editor.WaitForExit(&code)) << "the editor did not end";
    EXPECT_EQ(code, expected);
  }

  HKEY root = HKEY_CURRENT_USER;
  Editor editor;
};

// ---- opening and filling -------------------------------------------------------------------

TEST_F(EditorTest, OpensTitledWithListsFromTheRegistryOrEmpty) {
  SetListValue(HKEY_CURRENT_USER, InputKey, "", "1,2,3,4 C:\\user.exe");
  SetListValue(HKEY_CURRENT_USER, InputKey, "03", "5,6,7,8 C:\\other.exe", REG_EXPAND_SZ);
  SetListValue(HKEY_CURRENT_USER, InputKey, "05", "1,2,3,4 C:\\user.exe");  // shown once
  // Values of other types, written by another program, are no list entries.
  SetListValue(HKEY_CURRENT_USER, InputKey, "01", std::string("\xd2\x04\0\0", 4), REG_DWORD);
  SetListValue(HKEY_CURRENT_USER, InputKey, "02", "AB", REG_BINARY);
  SetListValue(HKEY_CURRENT_USER, InputKey, "04", std::string("x\0y\0\0", 5), REG_MULTI_SZ);
  ASSERT_NO_FATAL_FAILURE(Open());
  char title[64] = "";
  GetWindowTextA(editor.window, title, sizeof title);
  EXPECT_STREQ(title, "Tavrisol " TAVRISOL_PROJECT_VERSION);
  // Only the per-user key exists: the fill falls back to it; output has none.
  EXPECT_EQ(editor.Text(1002), "1,2,3,4 C:\\user.exe");
  EXPECT_EQ(editor.Items(1002),
            std::vector<std::string>({"1,2,3,4 C:\\user.exe", "5,6,7,8 C:\\other.exe"}));
  EXPECT_EQ(editor.Text(1001), "");  // no placeholder text: a grey cue
  EXPECT_TRUE(editor.Items(1001).empty());
  // The lists' own notifications carry ids without a command.
  DWORD_PTR result;
  for (int id : {1001, 1002})
    for (int code : {CBN_SELCHANGE, CBN_EDITCHANGE, CBN_DROPDOWN})
      SendMessageTimeoutA(editor.window, WM_COMMAND, MAKEWPARAM(id, code),
                          reinterpret_cast<LPARAM>(GetDlgItem(editor.window, id)), SMTO_NORMAL,
                          Timeout, &result);
  EXPECT_TRUE(editor.Running());
  EXPECT_TRUE(harness::FindMessageBoxes(editor.Pid()).empty());
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, OutputKey));
  editor.Press(2);
  ExpectClosedWithExitValue(1);
}

TEST_F(EditorTest, MachineWideListIsShownBeforeThePerUserOne) {
  if (root != HKEY_LOCAL_MACHINE) GTEST_SKIP() << "the machine-wide root is not writable here";
  SetListValue(HKEY_CURRENT_USER, OutputKey, "", "C:\\user.lnk");
  SetListValue(HKEY_LOCAL_MACHINE, OutputKey, "", "C:\\machine.lnk");
  ASSERT_NO_FATAL_FAILURE(Open());
  EXPECT_EQ(editor.Items(1001), std::vector<std::string>({"C:\\machine.lnk"}));
  editor.Press(2);
  ExpectClosedWithExitValue(1);
}

// ---- Ok ------------------------------------------------------------------------------------

TEST_F(EditorTest, RefusedInputIsNoEntryAndTheWindowStays) {
  ASSERT_NO_FATAL_FAILURE(Open());
  ASSERT_EQ(editor.Text(1002), "");
  for (const char* typed : {"", "hello world"}) {
    editor.SetText(1002, typed);
    editor.Press(1);
    harness::MessageBoxInfo box = editor.TakeMessageBox();
    EXPECT_EQ(box.caption, "Failure");
    EXPECT_EQ(box.text,
              std::string("Command line missing startup coords and sizes, or fill or fillwork.\n") +
                  typed);
    EXPECT_TRUE(IsWindow(editor.window));
    EXPECT_EQ(editor.Text(1002), typed);
  }
  for (HKEY any : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
    for (const char* key : {InputKey, OutputKey}) EXPECT_FALSE(KeyExists(any, key)) << key;
  editor.Press(2);
  ExpectClosedWithExitValue(1);
}

TEST_F(EditorTest, OkMovesBothTextsToTheTopOfTheirListsAndCloses) {
  SetListValue(root, InputKey, "", "1,1,1,1 C:\\newest.exe");
  SetListValue(root, InputKey, "01", "2,2,2,2 regedit.exe");
  SetListValue(root, InputKey, "05", "2,2,2,2 regedit.exe");  // a duplicate, deleted
  SetListValue(root, OutputKey, "", "C:\\old.lnk");
  ASSERT_NO_FATAL_FAILURE(Open());
  editor.SetText(1002, "2,2,2,2 C:\\older.exe");
  editor.SetText(1001, "C:\\new");
  // A program that is not there is named, and nothing is saved.
  editor.Press(1);
  EXPECT_EQ(editor.TakeMessageBox().text.rfind("Program not found.\nC:\\older.exe\n", 0), 0u);
  editor.SetText(1002, "2,2,2,2 regedit.exe");
  editor.Press(1);
  // No such shortcut yet: it is made at that path, ".lnk" added, and both
  // texts head their lists once it is written.
  harness::MessageBoxInfo box = editor.TakeMessageBox();
  EXPECT_EQ(box.caption, "Success");
  EXPECT_EQ(box.text, "Saved shortcut C:\\new.lnk");
  DeleteFileA("C:\\new.lnk");
  ExpectClosedWithExitValue(1);
  EXPECT_EQ(ListValue(root, InputKey, ""), "2,2,2,2 regedit.exe");
  EXPECT_EQ(ListValue(root, InputKey, "01"), "1,1,1,1 C:\\newest.exe");
  EXPECT_EQ(ListValue(root, InputKey, "02"), "(absent)");
  EXPECT_EQ(ListValue(root, InputKey, "05"), "(absent)");
  EXPECT_EQ(ListValue(root, OutputKey, ""), "C:\\new.lnk");
  EXPECT_EQ(ListValue(root, OutputKey, "01"), "C:\\old.lnk");
}

// ---- closing without storing ---------------------------------------------------------------

enum CloseRoad {
  ByCancel,
  ByEscapeOnButton,
  ByEscapeOnList,
  ByCloseMessage,
  BySystemClose,
  ByAltF4
};

class EditorCloseTest : public EditorTest, public ::testing::WithParamInterface<CloseRoad> {};

TEST_P(EditorCloseTest, ClosesWithoutStoring) {
  SetListValue(root, InputKey, "", "1,1,1,1 C:\\kept.exe");
  ASSERT_NO_FATAL_FAILURE(Open());
  editor.SetText(1002, "9,9,9,9 C:\\typed.exe");
  editor.SetText(1001, "C:\\typed.lnk");
  switch (GetParam()) {
    case ByCancel:
      editor.Press(2);
      break;
    case ByEscapeOnButton:
      PostMessageA(GetDlgItem(editor.window, 9), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
      break;
    case ByEscapeOnList:
      PostMessageA(GetDlgItem(editor.window, 1001), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
      break;
    case ByCloseMessage:
      PostMessageA(editor.window, WM_CLOSE, 0, 0);
      break;
    case BySystemClose:
      PostMessageA(editor.window, WM_SYSCOMMAND, SC_CLOSE, 0);
      break;
    case ByAltF4: {
      SetForegroundWindow(editor.window);
      harness::WaitUntil([this] { return GetForegroundWindow() == editor.window; }, Timeout);
      INPUT keys[4] = {};
      for (auto& k : keys) k.type = INPUT_KEYBOARD;
      keys[0].ki.wVk = VK_MENU;
      keys[1].ki.wVk = VK_F4;
      keys[2].ki.wVk = VK_F4;
      keys[2].ki.dwFlags = KEYEVENTF_KEYUP;
      keys[3].ki.wVk = VK_MENU;
      keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
      ASSERT_EQ(SendInput(4, keys, sizeof(INPUT)), 4u);
      break;
    }
  }
  ExpectClosedWithExitValue(1);
  EXPECT_EQ(ListValue(root, InputKey, ""), "1,1,1,1 C:\\kept.exe");
  EXPECT_EQ(ListValue(root, InputKey, "01"), "(absent)");
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, OutputKey));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, OutputKey));
}

INSTANTIATE_TEST_SUITE_P(Roads, EditorCloseTest,
                         ::testing::Values(ByCancel, ByEscapeOnButton, ByEscapeOnList,
                                           ByCloseMessage, BySystemClose, ByAltF4));

// ---- keyboard ------------------------------------------------------------------------------

// Whether the keyboard focus comes to the control (into a combo box's edit field).
bool FocusComesTo(const Editor& editor, int id) {
  return harness::WaitUntil(
      [&] {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(editor.process.dwThreadId, &info) && info.hwndFocus &&
               (info.hwndFocus == GetDlgItem(editor.window, id) ||
                GetParent(info.hwndFocus) == GetDlgItem(editor.window, id));
      },
      Timeout);
}

void TypeKey(WORD key) {
  INPUT keys[2] = {};
  keys[0].type = keys[1].type = INPUT_KEYBOARD;
  keys[0].ki.wVk = keys[1].ki.wVk = key;
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, keys, sizeof(INPUT));
}

TEST_F(EditorTest, KeysWorkRightAfterOpeningAndAfterARefusal) {
  for (WORD firstKey : {VK_ESCAPE, VK_TAB}) {
    Editor walk;
    ASSERT_TRUE(walk.Start(Tavrisol()));
    ASSERT_TRUE(walk.WaitForWindow());
    SetForegroundWindow(walk.window);
    EXPECT_TRUE(FocusComesTo(walk, 1002));
    TypeKey(firstKey);
    if (firstKey == VK_TAB) {
      // After a refusal box the focus is back where it was, and keys work.
      EXPECT_TRUE(FocusComesTo(walk, 1001));
      walk.SetText(1002, "C:\\Program Files\\Game\\game.exe");
      walk.SetText(1001, "");
      walk.Press(1);
      EXPECT_EQ(walk.TakeMessageBox().text,
                "Command line missing startup coords and sizes, or fill or fillwork.\nC:\\Program "
                "Files\\Game\\game.exe");
      EXPECT_TRUE(FocusComesTo(walk, 1001));
      TypeKey(VK_TAB);
      EXPECT_TRUE(FocusComesTo(walk, 1004));
      TypeKey(VK_ESCAPE);
    }
    DWORD code = 0;
    ASSERT_TRUE(walk.WaitForExit(&code)) << firstKey;
    EXPECT_EQ(code, 1u);
  }
  EXPECT_EQ(ListValue(root, OutputKey, ""), "(absent)");  // an empty Output is no entry
}

void TypeShiftTab() {
  INPUT keys[4] = {};
  for (auto& k : keys) k.type = INPUT_KEYBOARD;
  keys[0].ki.wVk = keys[3].ki.wVk = VK_SHIFT;
  keys[1].ki.wVk = keys[2].ki.wVk = VK_TAB;
  keys[2].ki.dwFlags = keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(4, keys, sizeof(INPUT));
}

bool Dropped(const Editor& editor, int id) {
  return SendMessageA(GetDlgItem(editor.window, id), CB_GETDROPPEDSTATE, 0, 0) != 0;
}

// A new user's first and second use, by keyboard as in any dialog: the first
// saves, the second never changes the first program's shortcut.
TEST_F(EditorTest, FirstAndSecondUseByKeyboard) {
  CoInitialize(nullptr);  // the shortcuts are read back through the shell
  const std::string notepad = DesktopFolder() + "\\Notepad Tavrisol.lnk";
  const std::string regedit = DesktopFolder() + "\\Regedit Tavrisol.lnk";
  DeleteFileA(notepad.c_str());
  DeleteFileA(regedit.c_str());
  ASSERT_NO_FATAL_FAILURE(Open());
  SetForegroundWindow(editor.window);
  ASSERT_TRUE(FocusComesTo(editor, 1002));
  // Blanks after the commas and quotes, as typed or pasted; Enter is Ok.
  editor.SetText(1002, "100, 100, 640, 480 \"C:\\windows\\notepad.exe\"");
  TypeKey(VK_RETURN);
  harness::MessageBoxInfo box = editor.TakeMessageBox();
  EXPECT_EQ(box.text, "Saved shortcut " + notepad);
  ExpectClosedWithExitValue(1);
  LinkContents first = ReadLink(notepad);
  EXPECT_EQ(first.arguments, "100,100,640,480 C:\\windows\\notepad.exe");
  EXPECT_EQ(ListValue(root, InputKey, ""), first.arguments);

  Editor second;
  ASSERT_TRUE(second.Start(Tavrisol()));
  ASSERT_TRUE(second.WaitForWindow());
  SetForegroundWindow(second.window);
  ASSERT_TRUE(FocusComesTo(second, 1002));
  EXPECT_EQ(second.Text(1001), notepad);
  // Escape closes an open drop-down, not the editor.
  TypeKey(VK_F4);
  EXPECT_TRUE(harness::WaitUntil([&] { return Dropped(second, 1002); }, Timeout));
  TypeKey(VK_ESCAPE);
  EXPECT_TRUE(harness::WaitUntil([&] { return !Dropped(second, 1002); }, Timeout));
  second.SetText(1002, "300,300,640,480 C:\\windows\\regedit.exe");
  TypeKey(VK_RETURN);
  EXPECT_EQ(second.TakeMessageBox().text,
            "Input starts C:\\windows\\regedit.exe, but the shortcut starts "
            "C:\\windows\\notepad.exe.\nThe shortcut was not changed.");
  ASSERT_TRUE(second.Running());
  EXPECT_EQ(second.Text(1002), "300,300,640,480 C:\\windows\\regedit.exe");
  EXPECT_EQ(ReadLink(notepad).arguments, first.arguments);
  // Shift+Tab goes backwards, past the group boxes.
  ASSERT_TRUE(FocusComesTo(second, 1002));
  TypeShiftTab();
  EXPECT_TRUE(FocusComesTo(second, 2));
  // Enter on another button presses it: Select arms the picker and says so;
  // Escape disarms it and the editor stays.
  second.SetText(1001, "");
  for (int id : {1002, 1001, 1004}) {
    TypeKey(VK_TAB);
    EXPECT_TRUE(FocusComesTo(second, id)) << id;
  }
  TypeKey(VK_RETURN);
  EXPECT_TRUE(
      harness::WaitUntil([&] { return second.Text(1004) == "Click a window..."; }, Timeout));
  TypeKey(VK_ESCAPE);
  EXPECT_TRUE(harness::WaitUntil([&] { return second.Text(1004) == "Select"; }, Timeout));
  ASSERT_TRUE(second.Running());
  for (int id : {1003, 9, 1}) {
    TypeKey(VK_TAB);
    EXPECT_TRUE(FocusComesTo(second, id)) << id;
  }
  TypeKey(VK_RETURN);
  EXPECT_EQ(second.TakeMessageBox().text, "Saved shortcut " + regedit);
  DWORD code = 0;
  ASSERT_TRUE(second.WaitForExit(&code));
  EXPECT_EQ(code, 1u);
  EXPECT_EQ(ReadLink(regedit).arguments, "300,300,640,480 C:\\windows\\regedit.exe");
  EXPECT_EQ(ReadLink(notepad).arguments, first.arguments);
  EXPECT_EQ(ListValue(root, OutputKey, ""), regedit);
  EXPECT_EQ(ListValue(root, OutputKey, "01"), notepad);
  DeleteFileA(notepad.c_str());
  DeleteFileA(regedit.c_str());
  CoUninitialize();
}

// ---- Help ----------------------------------------------------------------------------------

TEST_F(EditorTest, HelpShowsTheViewerOverTheEditor) {
  ASSERT_NO_FATAL_FAILURE(Open());
  editor.Press(9);
  HWND viewer = nullptr;
  harness::WaitUntil(
      [&] {
        viewer = FindWindowA("#32770", "About Tavrisol " TAVRISOL_PROJECT_VERSION);
        return viewer != nullptr;
      },
      Timeout);
  ASSERT_NE(viewer, nullptr);
  DWORD pid = 0;
  GetWindowThreadProcessId(viewer, &pid);
  EXPECT_EQ(pid, editor.Pid());
  PostMessageA(viewer, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(harness::WaitUntil([viewer] { return !IsWindow(viewer); }, Timeout));
  EXPECT_TRUE(editor.Running());
  EXPECT_EQ(editor.Text(1002), "");
  editor.Press(2);
  ExpectClosedWithExitValue(1);
}

// ---- the library ---------------------------------------------------------------------------

// What a new user meets with tavrisol.exe copied alone (a library in the current folder or on
// PATH is never loaded): the editor opens with no box in the way, Select (which needs the
// library) disabled and skipped by the keys; the usage words answer.
TEST_F(EditorTest, WithoutTheLibraryTheEditorOpensWithSelectDisabled) {
  TempFolder alone, current;
  std::string exe = alone.Copy("tavrisol.exe", "tavrisol.exe");
  ASSERT_FALSE(current.Copy("tavrisolhelper.dll", "tavrisolhelper.dll").empty());
  char oldPath[32767] = "";
  GetEnvironmentVariableA("PATH", oldPath, sizeof oldPath);
  SetEnvironmentVariableA("PATH", (current.path + ";" + oldPath).c_str());
  bool started = editor.Start(exe, current.path);
  SetEnvironmentVariableA("PATH", oldPath);
  ASSERT_TRUE(started);
  ASSERT_TRUE(editor.WaitForWindow());
  EXPECT_TRUE(harness::FindMessageBoxes(editor.Pid()).empty());
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(editor.window, 1004)));
  SetForegroundWindow(editor.window);
  ASSERT_TRUE(FocusComesTo(editor, 1002));
  TypeKey(VK_TAB);  // Input -> Output, then past Select to Browse
  ASSERT_TRUE(FocusComesTo(editor, 1001));
  TypeKey(VK_TAB);
  EXPECT_TRUE(FocusComesTo(editor, 1003));
  editor.Press(2);
  ExpectClosedWithExitValue(1);

  harness::RunOptions options;
  options.timeoutMs = 30000;
  for (const char* words : {"/?", "--VERSION"}) {
    harness::RunResult run = harness::RunToEnd(exe, words, options);
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].caption, "Tavrisol " TAVRISOL_PROJECT_VERSION);
    EXPECT_EQ(run.boxes[0].text.find("tavrisol fill") != std::string::npos, words[0] == '/');
  }
}

TEST_F(EditorTest, LibraryWithoutTheArmingProcedureIsReportedOnceAndTheEditorOpens) {
  TempFolder folder;
  std::string exe = folder.Copy("tavrisol.exe", "tavrisol.exe");
  ASSERT_FALSE(folder.Copy("nohookhelper.dll", "tavrisolhelper.dll").empty());
  ASSERT_TRUE(editor.Start(exe));
  harness::MessageBoxInfo box = editor.TakeMessageBox();
  EXPECT_EQ(box.caption, "Error");
  EXPECT_TRUE(StartsWith(box.text, "Failed to find procedures\n")) << box.text;
  ASSERT_TRUE(editor.WaitForWindow());
  EXPECT_TRUE(harness::FindMessageBoxes(editor.Pid()).empty());
  // Select can't arm anything: the failure is reported, nothing is called.
  editor.Press(1004);
  box = editor.TakeMessageBox();
  EXPECT_EQ(box.caption, "Failure");
  EXPECT_EQ(box.text, "failed to hook");
  EXPECT_TRUE(editor.Running());
  editor.Press(2);
  ExpectClosedWithExitValue(1);
}

// ---- the editor's start and end, in this process ---------------------------------------------

// On Windows a refused WM_CREATE (no library) destroys the half-made window,
// and a build that fails later leaves it to be closed; neither may leave a
// quit message, or the report that follows would close by itself.
TEST(EditorInProcess, OnlyAFullyMadeEditorEndsTheMessageLoop) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = editorWnd_Proc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "EditorStandIn";
  ASSERT_NE(RegisterClassA(&windowClass), 0);
  for (bool made : {false, true}) {
    SCOPED_TRACE(made);
    HWND window = CreateWindowExA(0, "EditorStandIn", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    if (made) SendMessageA(window, WM_INITDIALOG, 0, 0);  // the builder's last step
    DestroyWindow(window);
    MSG msg;
    EXPECT_EQ(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE, made);
  }
}

// The editor looks for its library only beside the program and in the system
// folders; a later load (a shell extension's, say) still searches as usual.
TEST(EditorInProcess, LibrarySearchStaysWithTheLibraryItself) {
  TempFolder folder;
  ASSERT_FALSE(folder.Copy("nohookhelper.dll", "searchprobe.dll").empty());
  std::thread closer([] {
    HWND window = nullptr;
    harness::WaitUntil(
        [&] {
          window = FindWindowA("Tavrisol", "Tavrisol " TAVRISOL_PROJECT_VERSION);
          return window != nullptr && GetDlgItem(window, 9) != nullptr;
        },
        Timeout);
    if (window) PostMessageA(window, WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(RunEditor(GetModuleHandleA(nullptr), SW_SHOWNORMAL), 1);
  closer.join();
  char before[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof before, before);
  ASSERT_TRUE(SetCurrentDirectoryA(folder.path.c_str()));
  HMODULE probe = LoadLibraryA("searchprobe.dll");
  SetCurrentDirectoryA(before);
  EXPECT_NE(probe, nullptr);
  if (probe) FreeLibrary(probe);
}

// ---- click-to-pick -------------------------------------------------------------------------

std::string WindowTitle(HWND window) {
  char title[128] = "";
  GetWindowTextA(window, title, sizeof title);
  return title;
}

class PickTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    fixturePath = harness::BuildFile("clickrecorder.exe");
    fixturePid = harness::StartProcess(fixturePath);
    ASSERT_NE(fixturePid, 0u);
    guard.Track(fixturePid);
    harness::WaitUntil(
        [this] {
          target = FindWindowA("ClickRecorder", nullptr);
          return target && IsWindowVisible(target);
        },
        Timeout);
    ASSERT_NE(target, nullptr);
    ASSERT_NO_FATAL_FAILURE(Open());
  }
  void TearDown() override {
    if (editor.window && IsWindow(editor.window)) {
      editor.Press(2);
      DWORD code;
      editor.WaitForExit(&code);
    }
    guard.CleanUp();
    EditorTest::TearDown();
  }
  // Clicks the middle of the target window.
  void ClickTarget() {
    RECT rect;
    GetWindowRect(target, &rect);
    ClickAt((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  }

  harness::ProcessGuard guard;
  std::string fixturePath;
  DWORD fixturePid = 0;
  HWND target = nullptr;
};

TEST_F(PickTest, SelectThenAClickFillsInputWithThePlacementOfTheClickedProgram) {
  editor.PressAndWait(1004);
  ClickTarget();
  RECT rect;
  GetWindowRect(target, &rect);
  char placement[100];
  std::snprintf(placement, sizeof placement, "%ld,%ld,%ld,%ld ", rect.left, rect.top,
                rect.right - rect.left, rect.bottom - rect.top);
  ASSERT_TRUE(harness::WaitUntil([&] { return StartsWith(editor.Text(1002), placement); }, Timeout))
      << editor.Text(1002) << " instead of " << placement << fixturePath;
  std::string picked = editor.Text(1002);
  EXPECT_EQ(lstrcmpiA(picked.substr(strlen(placement)).c_str(), fixturePath.c_str()), 0) << picked;
  // The click was swallowed.
  Sleep(500);
  EXPECT_EQ(WindowTitle(target), "clickrecorder 0");
  // One pick per Select: the next click reaches the program, Input stays.
  editor.SetText(1002, "kept");
  ClickTarget();
  EXPECT_TRUE(
      harness::WaitUntil([&] { return WindowTitle(target) == "clickrecorder 1"; }, Timeout));
  EXPECT_EQ(editor.Text(1002), "kept");
  // A notification while disarmed still fetches the last pick.
  PostMessageA(editor.window, WM_USER, 0, 0);
  EXPECT_TRUE(harness::WaitUntil([&] { return editor.Text(1002) == picked; }, Timeout));
}

// Clicks on the editor's own windows pass through while armed: Select with the
// mouse disarms and Cancel closes; only another program's window is a pick.
TEST_F(PickTest, ClicksOnTheEditorAreNoPick) {
  auto clickOn = [](HWND window, int x, int y) {
    POINT at = {x, y};
    ClientToScreen(window, &at);
    ClickAt(at.x, at.y);
  };
  auto clickButton = [&](int id) {
    HWND button = GetDlgItem(editor.window, id);
    RECT rect;
    GetClientRect(button, &rect);
    clickOn(button, rect.right / 2, rect.bottom / 2);
  };
  editor.SetText(1002, "kept");
  editor.PressAndWait(1004);
  clickOn(editor.window, 4, 4);  // the frame, beside every control
  Sleep(500);
  EXPECT_EQ(editor.Text(1002), "kept");
  ClickTarget();
  EXPECT_TRUE(harness::WaitUntil([&] { return editor.Text(1002) != "kept"; }, Timeout));
  std::string picked = editor.Text(1002);
  EXPECT_EQ(lstrcmpiA(picked.substr(picked.find(' ') + 1).c_str(), fixturePath.c_str()), 0)
      << picked;
  EXPECT_EQ(WindowTitle(target), "clickrecorder 0");

  editor.SetText(1002, "kept");
  editor.PressAndWait(1004);
  clickButton(1004);
  Sleep(500);
  ClickTarget();
  EXPECT_TRUE(
      harness::WaitUntil([&] { return WindowTitle(target) == "clickrecorder 1"; }, Timeout));
  Sleep(300);
  EXPECT_EQ(editor.Text(1002), "kept");

  editor.PressAndWait(1004);
  clickButton(2);
  ExpectClosedWithExitValue(1);
  EXPECT_TRUE(harness::FindMessageBoxes(editor.Pid()).empty());
}

TEST_F(PickTest, SelectTwiceDisarms) {
  editor.SetText(1002, "kept");
  editor.PressAndWait(1004);
  editor.PressAndWait(1004);
  ClickTarget();
  EXPECT_TRUE(
      harness::WaitUntil([&] { return WindowTitle(target) == "clickrecorder 1"; }, Timeout));
  Sleep(300);
  EXPECT_EQ(editor.Text(1002), "kept");
  EXPECT_TRUE(harness::FindMessageBoxes(editor.Pid()).empty());
}

}  // namespace
