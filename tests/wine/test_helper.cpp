// The library's contract, in-process: its exports, and the calls
// with a null hook handle that must tell a failed arm from a fetch.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "base/library.h"
#include "harness.h"

namespace {

class HelperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    library = LoadLibraryA(harness::BuildFile("tavrisolhelper.dll").c_str());
    ASSERT_NE(library, nullptr);
    init = LIBRARY_PROCEDURE(library, InitMouseHook);
    ASSERT_NE(init, nullptr);
  }
  void TearDown() override {
    if (library) FreeLibrary(library);
  }
  HMODULE library = nullptr;
  decltype(&InitMouseHook) init = nullptr;
};

TEST_F(HelperTest, ExportsExactlyThePlainNames) {
  auto* base = reinterpret_cast<BYTE*>(library);
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  auto& entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  ASSERT_NE(entry.VirtualAddress, 0u);
  auto* exports = reinterpret_cast<IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
  auto* names = reinterpret_cast<DWORD*>(base + exports->AddressOfNames);
  std::set<std::string> found;
  for (DWORD i = 0; i < exports->NumberOfNames; ++i)
    found.insert(reinterpret_cast<const char*>(base + names[i]));
  EXPECT_EQ(found,
            std::set<std::string>({"InitMouseHook", "MouseHook", "PickUndelivered", "SizeHook",
                                   "HookProcess", "PrepareStart", "ArmStart", "AwaitPlaced",
                                   "DisarmStart", "ResumeStart", "MoveRaised"}));
  EXPECT_NE(GetProcAddress(library, "MouseHook"), nullptr);
}

TEST_F(HelperTest, FetchWithoutAPickGivesTheEmptyText) {
  char buffer[260];
  std::memset(buffer, 'X', sizeof buffer);
  init(nullptr, buffer);
  EXPECT_STREQ(buffer, "");
}

// A window of another process, as a pick needs one: the click recorder.
class HelperPickTest : public HelperTest {
 protected:
  void SetUp() override {
    HelperTest::SetUp();
    DWORD pid = harness::StartProcess(harness::BuildFile("clickrecorder.exe"));
    ASSERT_NE(pid, 0u);
    guard.Track(pid);
    harness::WaitUntil(
        [&] {
          other = FindWindowA("ClickRecorder", nullptr);
          return other && IsWindowVisible(other);
        },
        15000);
    ASSERT_NE(other, nullptr);
    otherPath = harness::ModulePathOf(pid);
    window = CreateWindowA("STATIC", "editor stand-in", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    proc = LIBRARY_PROCEDURE(library, MouseHook);
    ASSERT_NE(proc, nullptr);
    hook = SetWindowsHookExA(WH_MOUSE, proc, library, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
  }
  void TearDown() override {
    if (hook) UnhookWindowsHookEx(hook);
    if (window) DestroyWindow(window);
    guard.CleanUp();
    HelperTest::TearDown();
  }
  // The hook's result for a left button-down on target: 0 when the click goes on.
  LRESULT ButtonDownOn(HWND target) {
    MOUSEHOOKSTRUCT mouse = {};
    mouse.hwnd = target;
    return proc(HC_ACTION, WM_LBUTTONDOWN, reinterpret_cast<LPARAM>(&mouse));
  }
  bool PickReported() {
    MSG msg;
    return PeekMessageA(&msg, window, WM_USER, WM_USER, PM_REMOVE) != FALSE;
  }
  std::string Fetch() {
    char buffer[260];
    std::memset(buffer, 'X', sizeof buffer);
    init(nullptr, buffer);
    return buffer;
  }

  harness::ProcessGuard guard;
  HWND other = nullptr;
  std::string otherPath;
  HWND window = nullptr;
  HOOKPROC proc = nullptr;
  HHOOK hook = nullptr;
};

TEST_F(HelperPickTest, FailedArmWithTheWindowWritesNothingAndDisarms) {
  // A failed hook: the window must not be taken for a buffer. Its handle is
  // not an address of this process, so a write would fault.
  init(nullptr, window);
  EXPECT_EQ(harness::WindowText(window), "editor stand-in");
  // Armed with a real hook, then told of a failure: no click is taken.
  init(hook, window);
  init(nullptr, window);
  EXPECT_EQ(ButtonDownOn(other), 0);
  EXPECT_FALSE(PickReported());
}

TEST_F(HelperPickTest, OnlyAReportedClickOnAnotherProgramIsThePick) {
  init(hook, window);
  // The armer's own windows pass their clicks on and leave the picker armed.
  EXPECT_EQ(ButtonDownOn(window), 0);
  EXPECT_FALSE(PickReported());
  // The next button-down on another program is the pick, swallowed and reported.
  EXPECT_NE(ButtonDownOn(other), 0);
  EXPECT_TRUE(PickReported());
  // Only the first one.
  EXPECT_EQ(ButtonDownOn(other), 0);
  EXPECT_FALSE(PickReported());
  RECT rect;
  ASSERT_TRUE(GetWindowRect(other, &rect));
  char placement[64];
  std::snprintf(placement, sizeof placement, "%ld,%ld,%ld,%ld ", rect.left, rect.top,
                rect.right - rect.left, rect.bottom - rect.top);
  EXPECT_EQ(Fetch(), placement + otherPath);

  // An editor that can't be told (its window is gone): the click goes on to
  // the program, nothing counts as picked, and the editor hears of the loss
  // once when it asks.
  auto undelivered = LIBRARY_PROCEDURE(library, PickUndelivered);
  ASSERT_NE(undelivered, nullptr);
  EXPECT_EQ(undelivered(), 0);
  HWND gone =
      CreateWindowA("STATIC", "gone", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(gone, nullptr);
  init(hook, gone);
  DestroyWindow(gone);
  EXPECT_EQ(ButtonDownOn(other), 0);
  EXPECT_EQ(Fetch(), "");
  EXPECT_EQ(undelivered(), 1);
  EXPECT_EQ(undelivered(), 0);
}

}  // namespace
