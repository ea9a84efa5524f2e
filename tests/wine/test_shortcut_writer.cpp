// The shortcut writer and the file chooser, in process: a window with the
// editor's two fields, the real shell link object, real message boxes and the
// real save dialog.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <string>
#include <vector>

#include "editor/filechooser.h"
#include "editor/recent.h"
#include "editor/shortcut.h"
#include "harness.h"
#include "harness/shortcut_support.h"

namespace {

const char Filter[] = "Links\0*.lnk\0All Files\0*.*\0";

class ShortcutWriter : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    CoInitialize(nullptr);
    MakeStandInPrograms();
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "ShortcutTestHost";
    RegisterClassA(&windowClass);
  }
  static void TearDownTestSuite() { CoUninitialize(); }

  void SetUp() override {
    window = CreateWindowExA(0, "ShortcutTestHost", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100,
                             100, 500, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    for (int id : {1002, 1001}) {
      HWND field = CreateWindowExA(
          0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL,
          10, id == 1002 ? 10 : 50, 400, 150, window,
          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
      ASSERT_NE(field, nullptr);
    }
    scratch = TempFolder() + "tavrisol-shortcut-test\\";
    CreateDirectoryA(scratch.c_str(), nullptr);
  }

  void TearDown() override {
    DestroyWindow(window);
    for (const std::string& path : removeAfter) {
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(path.c_str());
    }
  }

  void Fields(const std::string& input, const std::string& output) {
    SetDlgItemTextA(window, 1002, input.c_str());
    SetDlgItemTextA(window, 1001, output.c_str());
  }

  // WriteShortcut with a watcher that reads and dismisses its message boxes.
  BOOL Write(std::vector<SeenBox>& boxes) {
    DialogWatcher watcher;
    watcher.Start();
    BOOL keepOpen = !WriteShortcut(window);
    Sleep(200);  // a box posted late would still be seen
    boxes = watcher.Finish();
    return keepOpen;
  }

  // Write, expecting exactly one message box with this caption and text; returns whether the
  // editor is kept open.
  BOOL WriteShowing(const std::string& caption, const std::string& text) {
    std::vector<SeenBox> boxes;
    BOOL keepOpen = Write(boxes);
    EXPECT_EQ(boxes.size(), 1u);
    if (!boxes.empty()) {
      EXPECT_EQ(boxes[0].caption, caption);
      // A text ending in a line feed is followed by the system's reason.
      const bool reason = text.back() == '\n' && boxes[0].text.size() > text.size();
      EXPECT_EQ(reason ? boxes[0].text.substr(0, text.size()) : boxes[0].text, text);
    }
    return keepOpen;
  }

  // The shortcut at path reads back with this program as its target and these fields.
  void ExpectLink(const std::string& path, const std::string& arguments,
                  const std::string& iconLocation, int iconIndex,
                  const std::string& workingDirectory) {
    LinkContents link = ReadLink(path);
    ASSERT_TRUE(link.loaded) << path;
    EXPECT_TRUE(SameText(link.target, ModulePath())) << link.target;
    EXPECT_EQ(link.arguments, arguments);
    EXPECT_EQ(link.iconLocation, iconLocation);
    EXPECT_EQ(link.iconIndex, iconIndex);
    EXPECT_EQ(link.workingDirectory, workingDirectory);
  }

  std::string Scratch(const std::string& name) {
    removeAfter.push_back(scratch + name);
    DeleteFileA((scratch + name).c_str());
    return scratch + name;
  }

  HWND window = nullptr;
  std::string scratch;
  std::vector<std::string> removeAfter;
};

TEST_F(ShortcutWriter, NewShortcutOnTheDesktop) {
  std::string desktop = DesktopFolder();
  ASSERT_FALSE(desktop.empty());
  std::string expected = desktop + "\\Notepad Tavrisol.lnk";
  DeleteFileA(expected.c_str());
  removeAfter.push_back(expected);

  // An empty Output: the shortcut goes to the desktop, and both texts head
  // their lists once it is written.
  Fields("10,20,640,480 C:\\windows\\notepad.exe", "");
  EXPECT_FALSE(WriteShowing("Success", "Saved shortcut " + expected));
  EXPECT_EQ(FieldText(window, 1001), expected);
  EXPECT_EQ(RecentHead(OUTPUT_LIST_KEY), expected);
  EXPECT_EQ(RecentHead(INPUT_LIST_KEY), "10,20,640,480 C:\\windows\\notepad.exe");
  ExpectLink(expected, "10,20,640,480 C:\\windows\\notepad.exe", "C:\\windows\\notepad.exe", 0,
             "C:\\windows");

  // An Output naming no file yet: the shortcut is made there, ".lnk" added.
  std::string missing = Scratch("missing.lnk");
  Fields("10,20,640,480 C:\\windows\\notepad.exe", missing.substr(0, missing.size() - 4));
  EXPECT_FALSE(WriteShowing("Success", "Saved shortcut " + missing));
  ExpectLink(missing, "10,20,640,480 C:\\windows\\notepad.exe", "C:\\windows\\notepad.exe", 0,
             "C:\\windows");
}

TEST_F(ShortcutWriter, NewShortcutForACommandWithArguments) {
  std::string expected = DesktopFolder() + "\\Regedit Tavrisol.lnk";
  DeleteFileA(expected.c_str());
  removeAfter.push_back(expected);
  Fields("-8,-32,1936,1119 C:\\windows\\regedit.exe -m", "");
  EXPECT_FALSE(WriteShowing("Success", "Saved shortcut " + expected));
  ExpectLink(expected, "-8,-32,1936,1119 C:\\windows\\regedit.exe -m", "C:\\windows\\regedit.exe",
             0, "C:\\windows");
}

TEST_F(ShortcutWriter, UpdatingAPlacementShortcutChangesOnlyItsNumbers) {
  std::string path = Scratch("placement.lnk");
  ASSERT_TRUE(MakeLink(path, "C:\\windows\\notepad.exe", "0,0,800,600 C:\\Apps\\view.exe -r",
                       "C:\\windows\\regedit.exe", 2, "C:\\windows\\system32"));
  Fields("-8,-8,1936,1056 C:\\Apps\\view.exe", path);
  EXPECT_FALSE(WriteShowing("Success", "Saved shortcut " + path));
  ExpectLink(path, "-8,-8,1936,1056 C:\\Apps\\view.exe -r", "C:\\windows\\regedit.exe", 2,
             "C:\\windows\\system32");
  EXPECT_EQ(FieldText(window, 1001), path);
}

TEST_F(ShortcutWriter, UpdatingAnOrdinaryShortcutPutsTheInputFirst) {
  std::string path = Scratch("ordinary.lnk");
  ASSERT_TRUE(MakeLink(path, "C:\\windows\\notepad.exe", "-r notes.txt", "C:\\windows\\regedit.exe",
                       1, "C:\\windows"));
  // The program spelt otherwise is still the shortcut's program, as the run finds it.
  Fields("0,0,800,600 c:/windows/system32/../NOTEPAD.exe", path);
  EXPECT_FALSE(WriteShowing("Success", "Saved shortcut " + path));
  ExpectLink(path, "0,0,800,600 c:/windows/system32/../NOTEPAD.exe -r notes.txt",
             "C:\\windows\\regedit.exe", 1, "C:\\windows");

  // Without old arguments: the input text and one space.
  std::string bare = Scratch("bare.lnk");
  ASSERT_TRUE(MakeLink(bare, "C:\\windows\\notepad.exe", "", "", 0, "C:\\windows"));
  Fields("1,2,300,400 C:\\windows\\notepad.exe", bare);
  EXPECT_FALSE(WriteShowing("Success", "Saved shortcut " + bare));
  // It had no icon: it gets its program's, not Tavrisol's.
  ExpectLink(bare, "1,2,300,400 C:\\windows\\notepad.exe ", "C:\\windows\\notepad.exe", 0,
             "C:\\windows");
}

TEST_F(ShortcutWriter, RefusedUpdatesKeepTheEditorOpenAndTheFile) {
  std::string path = Scratch("refused.lnk");
  ASSERT_TRUE(MakeLink(path, "C:\\windows\\notepad.exe", "1,2,3,4 C:\\Apps\\view.exe", "", 0,
                       "C:\\windows"));
  std::string before = FileBytes(path);
  ASSERT_FALSE(before.empty());
  Fields("0,0,800,600", path);
  EXPECT_TRUE(WriteShowing("Failure", "Invalid Command line.\n0,0,800,600"));
  EXPECT_EQ(FileBytes(path), before);

  std::string noCommand = Scratch("nocommand.lnk");
  ASSERT_TRUE(MakeLink(noCommand, "C:\\windows\\notepad.exe", "1,2,3,4", "", 0, "C:\\windows"));
  before = FileBytes(noCommand);
  Fields("0,0,800,600 C:\\Apps\\view.exe", noCommand);
  EXPECT_TRUE(WriteShowing("Failure", "Invalid Command line.\n1,2,3,4"));
  EXPECT_EQ(FileBytes(noCommand), before);
  EXPECT_EQ(FieldText(window, 1001), noCommand);
}

TEST_F(ShortcutWriter, RefusalsWriteNothing) {
  // New shortcut without a command: the run's words, and the editor stays.
  Fields("0,0,1280,1024", "");
  EXPECT_TRUE(WriteShowing("Failure", "Invalid Command line.\n0,0,1280,1024"));
  EXPECT_EQ(FieldText(window, 1001), "");

  // Update whose arguments would not fit: refused whole, file unchanged.
  std::string path = Scratch("long.lnk");
  std::string oldArguments = "-r " + std::string(120, 'o');
  ASSERT_TRUE(MakeLink(path, "C:\\windows\\notepad.exe", oldArguments, "", 0, "C:\\windows"));
  ASSERT_EQ(ReadLink(path).arguments, oldArguments);
  std::string before = FileBytes(path);
  std::string input = "0,0,1,1 C:\\windows\\notepad.exe " + std::string(124, 'a');
  Fields(input, path);
  EXPECT_TRUE(WriteShowing(
      "Failure",
      "Shortcut arguments too long (279 characters, at most 259):\n" + input + " " + oldArguments));
  EXPECT_EQ(FileBytes(path), before);
}

TEST_F(ShortcutWriter, FailedSaveOfAnUpdateIsReported) {
  std::string path = Scratch("readonly.lnk");
  ASSERT_TRUE(MakeLink(path, "C:\\windows\\notepad.exe", "-x", "", 0, "C:\\windows"));
  // Held open without write sharing, the file can be read but not written.
  HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  std::string before = FileBytes(path);
  Fields("0,0,800,600 C:\\windows\\notepad.exe", path);
  BOOL keepOpen = WriteShowing("Failure", "Failed to save in " + path + "\n");
  CloseHandle(held);
  EXPECT_TRUE(keepOpen);
  EXPECT_EQ(FileBytes(path), before);
}

TEST_F(ShortcutWriter, FailedSaveOfANewShortcutEntersNoList) {
  // A name no file can have: the save cannot make it, and the editor stays
  // with the texts as typed.
  std::string blocked = scratch + "zz|blocked.lnk";
  std::string head = RecentHead(OUTPUT_LIST_KEY);
  Fields("1,2,300,200 C:\\windows\\zz.exe", blocked);
  EXPECT_TRUE(WriteShowing("Failure", "Failed to save in " + blocked + "\n"));
  EXPECT_EQ(FieldText(window, 1001), blocked);
  EXPECT_EQ(FieldText(window, 1002), "1,2,300,200 C:\\windows\\zz.exe");
  EXPECT_EQ(RecentHead(OUTPUT_LIST_KEY), head);
}

// Run as a child under the debugger loop (see below): without COM on the
// thread the link object cannot be made, which is a trace line only.
TEST(ShortcutWriterChild, DISABLED_WithoutComOnTheThread) {
  HWND window = CreateWindowExA(0, "STATIC", "host", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  CreateWindowExA(0, "EDIT", "1,2,3,4 C:\\windows\\notepad.exe", WS_CHILD, 0, 0, 10, 10, window,
                  reinterpret_cast<HMENU>(1002), GetModuleHandleA(nullptr), nullptr);
  EXPECT_FALSE(WriteShortcut(window));  // a failure keeps the editor open
  DestroyWindow(window);
}

TEST(ShortcutWriterTraces, LinkObjectNotMadeIsATraceLineOnly) {
  harness::RunOptions options;
  options.timeoutMs = 60000;
  harness::RunResult run =
      harness::RunToEnd(ModulePath(),
                        "--gtest_also_run_disabled_tests "
                        "--gtest_filter=ShortcutWriterChild.DISABLED_WithoutComOnTheThread",
                        options);
  ASSERT_TRUE(run.started);
  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.exitCode, 0u) << run.AllTraces();
  EXPECT_TRUE(run.HasTrace("CoCreateInstance(CLSID_ShellLink failed\r\n")) << run.AllTraces();
  EXPECT_TRUE(run.boxes.empty());
}

// The save dialog as the user sees it: its file name, folder and filter, then
// Cancel or a typed name and Save.
struct DialogView {
  std::string fileName, folder, filterShown;
};

BOOL Browse(HWND window, DialogView& view, const char* typedName) {
  DialogWatcher watcher;
  watcher.dialogTitle = "Select Output File";
  watcher.onDialog = [&](HWND dialog) {
    char text[MAX_PATH] = "";
    HWND nameField = GetDlgItem(dialog, 0x47C);  // cmb13, or edt1 in the older form
    if (!nameField) nameField = GetDlgItem(dialog, 0x480);
    if (nameField) GetWindowTextA(nameField, text, sizeof text);
    view.fileName = text;
    text[0] = '\0';
    SendMessageA(dialog, CDM_GETFOLDERPATH, sizeof text, reinterpret_cast<LPARAM>(text));
    view.folder = text;
    text[0] = '\0';
    GetDlgItemTextA(dialog, 0x470, text, sizeof text);  // cmb1, the file types
    view.filterShown = text;
    if (typedName) {
      SetWindowTextA(nameField, typedName);
      PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    } else {
      PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }
  };
  watcher.Start(60000);
  BOOL chosen =
      ChooseFile(GetSaveFileNameA, window, 1001, Filter, "Select Output File", OFN_EXPLORER, "lnk");
  std::vector<SeenBox> boxes = watcher.Finish();
  EXPECT_TRUE(boxes.empty()) << boxes[0].caption << ": " << boxes[0].text;
  return chosen;
}

TEST_F(ShortcutWriter, BrowseFromThePlaceholderStartsInDriveC) {
  Fields("", "<No File Selected>");
  DialogView view;
  EXPECT_FALSE(Browse(window, view, nullptr));
  EXPECT_EQ(view.fileName, "");
  EXPECT_TRUE(SameText(view.folder, "C:\\") || SameText(view.folder, "C:")) << view.folder;
  EXPECT_EQ(view.filterShown.substr(0, 5), "Links");
  EXPECT_EQ(FieldText(window, 1001), "<No File Selected>");
}

TEST_F(ShortcutWriter, BrowseFromAFullPathAndSave) {
  std::string existing = Scratch("seed.lnk");
  ASSERT_TRUE(MakeLink(existing, "C:\\windows\\notepad.exe", "", "", 0, "C:\\windows"));
  std::string chosen = Scratch("chosen.lnk");
  Fields("", existing);
  DialogView view;
  EXPECT_TRUE(Browse(window, view, "chosen"));
  EXPECT_EQ(view.fileName, "seed.lnk");
  std::string folder = scratch.substr(0, scratch.size() - 1);
  EXPECT_TRUE(SameText(view.folder, folder) || SameText(view.folder, scratch)) << view.folder;
  // The default extension is added to a name typed without one.
  EXPECT_TRUE(SameText(FieldText(window, 1001), chosen)) << FieldText(window, 1001);
}

TEST_F(ShortcutWriter, CancelledBrowseLeavesOutputAsItWas) {
  std::string text = Scratch("kept.lnk");
  Fields("", text);
  DialogView view;
  EXPECT_FALSE(Browse(window, view, nullptr));
  EXPECT_EQ(view.fileName, "kept.lnk");
  EXPECT_EQ(FieldText(window, 1001), text);
}

TEST_F(ShortcutWriter, BrowseFromABareNameStartsInTheCurrentFolder) {
  char before[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof before, before);
  ASSERT_TRUE(SetCurrentDirectoryA(scratch.c_str()));
  Fields("", "bare.lnk");
  DialogView view;
  BOOL chosen = Browse(window, view, nullptr);
  SetCurrentDirectoryA(before);
  EXPECT_FALSE(chosen);
  EXPECT_EQ(view.fileName, "bare.lnk");
  std::string folder = scratch.substr(0, scratch.size() - 1);
  EXPECT_TRUE(SameText(view.folder, folder) || SameText(view.folder, scratch)) << view.folder;
  EXPECT_EQ(FieldText(window, 1001), "bare.lnk");
}

}  // namespace
