// The companion library's contract, in-process: its exports, and the calls
// with a null hook handle that must tell a failed arm from a fetch.
#include <windows.h>

#include <cstring>
#include <set>
#include <string>

#include "harness.h"

namespace {

typedef void(WINAPI* InitProc)(HHOOK, void*);

class HelperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    library = LoadLibraryA(harness::BuildFile("tavrisolhelper.dll").c_str());
    ASSERT_NE(library, nullptr);
    init = reinterpret_cast<InitProc>(
        reinterpret_cast<void*>(GetProcAddress(library, "_initmousehook@8")));
    ASSERT_NE(init, nullptr);
  }
  void TearDown() override {
    if (library) FreeLibrary(library);
  }
  HMODULE library = nullptr;
  InitProc init = nullptr;
};

TEST_F(HelperTest, ExportsExactlyTheTwoDecoratedNames) {
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
  EXPECT_EQ(found, std::set<std::string>({"_initmousehook@8", "_mousehook@12"}));
  EXPECT_NE(GetProcAddress(library, "_mousehook@12"), nullptr);
}

TEST_F(HelperTest, FetchWithoutAPickGivesTheEmptyText) {
  char buffer[260];
  std::memset(buffer, 'X', sizeof buffer);
  init(nullptr, buffer);
  EXPECT_STREQ(buffer, "");
}

TEST_F(HelperTest, FailedArmWithTheWindowWritesNothingAndDisarms) {
  HWND window = CreateWindowA("STATIC", "editor stand-in", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  // A failed hook: the window must not be taken for a buffer. Its handle is
  // not an address of this process, so a write would fault.
  init(nullptr, window);
  char title[64] = "";
  GetWindowTextA(window, title, sizeof title);
  EXPECT_STREQ(title, "editor stand-in");
  // Armed with a real hook, then told of a failure: no click is taken.
  HHOOK hook = SetWindowsHookExA(
      WH_MOUSE,
      reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(library, "_mousehook@12"))),
      library, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  init(hook, window);
  init(nullptr, window);
  MOUSEHOOKSTRUCT mouse = {};
  mouse.hwnd = window;
  auto proc =
      reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(library, "_mousehook@12")));
  EXPECT_EQ(proc(HC_ACTION, WM_LBUTTONDOWN, reinterpret_cast<LPARAM>(&mouse)), 0);
  // Armed again: the next button-down is the pick, swallowed and reported.
  init(hook, window);
  EXPECT_NE(proc(HC_ACTION, WM_LBUTTONDOWN, reinterpret_cast<LPARAM>(&mouse)), 0);
  MSG msg;
  EXPECT_TRUE(PeekMessageA(&msg, window, WM_USER, WM_USER, PM_REMOVE));
  // Only the first one.
  EXPECT_EQ(proc(HC_ACTION, WM_LBUTTONDOWN, reinterpret_cast<LPARAM>(&mouse)), 0);
  UnhookWindowsHookEx(hook);
  char buffer[260];
  init(nullptr, buffer);
  RECT rect;
  GetWindowRect(window, &rect);
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  EXPECT_EQ(std::string(buffer), "0,0,10,10 " + std::string(exe));
  DestroyWindow(window);
}

}  // namespace
