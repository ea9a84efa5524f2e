// The diagnostics against Wine's real user32 and kernel32: the message box a report shows (its
// icon, owner, modality and text), the debugger output of trace lines, and error texts.
// Each report runs on a thread of its own while the test's thread reads and dismisses the box.
#include <cstring>
#include <future>
#include <string>

#include "diag/diag.h"
#include "harness.h"

using namespace harness;

namespace {

// The static control of Wine's message box that holds its icon.
const int IconControlId = 0x0440;

// What a report showed, read while its box was up.
struct ShownReport {
  bool shown = false;
  MessageBoxInfo info;
  HWND owner = nullptr;
  HWND window = nullptr;  // the reporting thread's own window, if it made one
  HICON icon = nullptr;
  bool iconVisible = false;
  bool otherWindowEnabled = true;  // that window, while the box shows
  int result = 0;                  // MessageReport's return value
};

// Runs MessageReport on a new thread. When makeWindow is set, that thread first creates a
// top-level window of its own; activate makes it the thread's active window, so the box should
// be owned by it. The box is read, then dismissed with OK.
ShownReport Report(const char* caption, const std::string& text, bool makeWindow = false,
                   bool activate = false) {
  ShownReport shown;
  HWND other = nullptr;
  std::promise<HWND> created;
  std::future<HWND> windowReady = created.get_future();
  std::thread reporter([&] {
    HWND window = nullptr;
    if (makeWindow) {
      window = CreateWindowExA(0, "STATIC", "diag other window", WS_POPUP | WS_BORDER, 10, 10, 200,
                               100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
      if (activate) {
        ShowWindow(window, SW_SHOW);
        SetActiveWindow(window);
      }
    }
    created.set_value(window);
    shown.result = MessageReport(caption, "%s", text.c_str());
    if (window) DestroyWindow(window);
  });
  other = windowReady.get();
  HWND box = WaitForMessageBox(GetCurrentProcessId(), 10000);
  if (box) {
    Sleep(200);  // let the box finish its set-up
    shown.shown = ReadMessageBox(box, &shown.info);
    shown.owner = GetWindow(box, GW_OWNER);
    HWND iconControl = GetDlgItem(box, IconControlId);
    if (iconControl) {
      shown.icon = reinterpret_cast<HICON>(SendMessageA(iconControl, STM_GETICON, 0, 0));
      shown.iconVisible = IsWindowVisible(iconControl) != FALSE;
    }
    if (other) shown.otherWindowEnabled = IsWindowEnabled(other) != FALSE;
    DismissMessageBox(box);
  } else {
    // Nothing to read: close whatever came up late so the thread can end.
    WaitUntil(
        [] {
          for (HWND b : FindMessageBoxes(GetCurrentProcessId(), false)) DismissMessageBox(b);
          return false;
        },
        3000);
  }
  reporter.join();
  shown.window = other;
  return shown;
}

TEST(MessageReports, CaptionChoosesTheIcon) {
  ShownReport failure = Report(CaptionFailure, "request refused");
  ASSERT_TRUE(failure.shown);
  EXPECT_EQ(failure.info.caption, "Failure");
  EXPECT_EQ(failure.info.text, "request refused");
  EXPECT_EQ(failure.icon, LoadIconA(nullptr, IDI_EXCLAMATION));
  EXPECT_NE(failure.icon, nullptr);
  EXPECT_TRUE(failure.iconVisible);
  EXPECT_EQ(failure.result, IDOK);

  ShownReport error = Report(CaptionError, "environment failed");
  ASSERT_TRUE(error.shown);
  EXPECT_EQ(error.info.caption, "Error");
  EXPECT_EQ(error.icon, LoadIconA(nullptr, IDI_HAND));
  EXPECT_NE(error.icon, nullptr);
  EXPECT_NE(error.icon, failure.icon);

  ShownReport success = Report(CaptionSuccess, "Saved shortcut C:\\x.lnk");
  ASSERT_TRUE(success.shown);
  EXPECT_EQ(success.info.caption, "Success");
  EXPECT_EQ(success.info.text, "Saved shortcut C:\\x.lnk");
  EXPECT_EQ(success.icon, nullptr);
}

TEST(MessageReports, WithoutAnActiveWindowTheBoxHasNoOwnerAndIsTaskModal) {
  // The thread has a window, but not an active one: the box stands alone and still disables
  // every other top-level window of the thread while it shows.
  ShownReport shown = Report(CaptionFailure, "no owner", true, false);
  ASSERT_TRUE(shown.shown);
  EXPECT_EQ(shown.info.text, "no owner");
  ASSERT_NE(shown.window, nullptr);
  EXPECT_EQ(shown.owner, nullptr);
  EXPECT_FALSE(shown.otherWindowEnabled);
}

TEST(MessageReports, TheActiveWindowOwnsTheBox) {
  ShownReport shown = Report(CaptionError, "owned", true, true);
  ASSERT_TRUE(shown.shown);
  ASSERT_NE(shown.window, nullptr);
  EXPECT_EQ(shown.owner, shown.window);
  EXPECT_FALSE(shown.otherWindowEnabled);
}

TEST(MessageReports, TextIsBoundedTo1023Characters) {
  std::string text = "Invalid Command line.\n" + std::string(3000, 'x');
  ShownReport shown = Report(CaptionFailure, text);
  ASSERT_TRUE(shown.shown);
  EXPECT_EQ(shown.info.text.size(), 1023u);
  EXPECT_EQ(shown.info.text, text.substr(0, 1023));
}

// Run as a child of the test below, under the debugger loop.
TEST(DiagChild, DISABLED_SendsTraceLines) {
  TraceLine("diag first part");
  TraceLine("diag %s part %d", "second", 2);
  TraceLine("diag ended\r\n");
  TraceLine("diag unix ending\n");
  TraceLine("diag long %s", std::string(2000, 'y').c_str());
}

TEST(TraceLines, AreSentUnchanged) {
  char self[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, self, sizeof self);
  ASSERT_GT(n, 0u);
  RunOptions options;
  options.timeoutMs = 30000;
  RunResult r = RunToEnd(self,
                         "--gtest_filter=DiagChild.DISABLED_SendsTraceLines "
                         "--gtest_also_run_disabled_tests",
                         options);
  ASSERT_TRUE(r.started);
  ASSERT_TRUE(r.exited);
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_TRUE(r.boxes.empty());
  // Each call is one debugger-output string, exactly as formatted, with no ending added.
  std::vector<std::string> ours;
  for (const std::string& t : r.traces) {
    if (t.compare(0, 5, "diag ") == 0) ours.push_back(t);
  }
  ASSERT_EQ(ours.size(), 5u) << r.AllTraces();
  EXPECT_EQ(ours[0], "diag first part");
  EXPECT_EQ(ours[1], "diag second part 2");
  EXPECT_EQ(ours[2], "diag ended\r\n");
  EXPECT_EQ(ours[3], "diag unix ending\n");
  EXPECT_EQ(ours[4], "diag long " + std::string(1013, 'y'));
  // Read as one stream, lines without an ending run together.
  EXPECT_NE(r.AllTraces().find("diag first partdiag second part 2diag ended\r\n"),
            std::string::npos)
      << r.AllTraces();
}

TEST(LastErrorTexts, GiveTheSystemTextForTheThreadsError) {
  SetLastError(ERROR_FILE_NOT_FOUND);
  char* notFound = LastErrorText();
  ASSERT_NE(notFound, nullptr);
  std::string notFoundText = notFound;
  EXPECT_EQ(LocalFree(notFound), nullptr);
  EXPECT_GT(notFoundText.size(), 2u);
  EXPECT_EQ(notFoundText.substr(notFoundText.size() - 2), "\r\n");

  SetLastError(ERROR_ACCESS_DENIED);
  char* denied = LastErrorText();
  ASSERT_NE(denied, nullptr);
  EXPECT_NE(std::string(denied), notFoundText);
  EXPECT_EQ(LocalFree(denied), nullptr);

  // A system text with an insert (%1) comes whole.
  SetLastError(ERROR_BAD_EXE_FORMAT);
  char* badFormat = LastErrorText();
  ASSERT_NE(badFormat, nullptr);
  EXPECT_NE(strchr(badFormat, '%'), nullptr) << badFormat;
  LocalFree(badFormat);

  // A code without a system text still gives a text the caller can free.
  SetLastError(0x2000abcdu);
  char* unknown = LastErrorText();
  ASSERT_NE(unknown, nullptr);
  EXPECT_GT(lstrlenA(unknown), 0);
  EXPECT_EQ(LocalFree(unknown), nullptr);

  // The same texts for a code read earlier, into a buffer, always terminated.
  char text[256];
  ErrorCodeText(ERROR_FILE_NOT_FOUND, text, sizeof text);
  EXPECT_EQ(std::string(text), notFoundText);
  ErrorCodeText(0x2000abcdu, text, sizeof text);
  EXPECT_STREQ(text, "error 536914893");
  char small[8];
  memset(small, 'x', sizeof small);
  ErrorCodeText(ERROR_FILE_NOT_FOUND, small, sizeof small);
  EXPECT_LT(strnlen(small, sizeof small), sizeof small);
}

}  // namespace
