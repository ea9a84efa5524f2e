// The template builder, the control chain and the text viewer, in process
// under Wine: real windows, real key presses, real message boxes and clipboard.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "harness.h"
#include "resources/resource.h"
#include "templatewin/builder.h"
#include "templatewin/chain.h"
#include "templatewin/template_reader.h"
#include "templatewin/viewer.h"
#include "templatewin/viewer_logic.h"

namespace {

const char kFrameClass[] = "TemplatewinTestFrame";
const char kSample[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

// What the frame's window procedure saw.
struct FrameLog {
  bool refuseCreate = false;
  int creates = 0;
  int initDialogs = 0;
  int childrenAtInit = 0;
  std::vector<std::pair<WPARAM, LPARAM>> commands;
} frameLog;

BOOL CALLBACK CountChild(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

LRESULT CALLBACK TestFrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      ++frameLog.creates;
      return frameLog.refuseCreate ? -1 : 0;
    case WM_INITDIALOG:
      ++frameLog.initDialogs;
      frameLog.childrenAtInit = 0;
      EnumChildWindows(window, CountChild, reinterpret_cast<LPARAM>(&frameLog.childrenAtInit));
      return 0;
    case WM_COMMAND:
      frameLog.commands.emplace_back(wParam, lParam);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

void RegisterFrameClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSA cls = {};
  cls.lpfnWndProc = TestFrameProc;
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  cls.lpszClassName = kFrameClass;
  registered = RegisterClassA(&cls) != 0;
  ASSERT_TRUE(registered);
}

void Pump(int milliseconds) {
  const DWORD end = GetTickCount() + milliseconds;
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(10);
  } while (static_cast<int>(end - GetTickCount()) > 0);
}

// Presses and releases a key (with Shift held when asked) through the input
// queue, then lets the messages run.
void Press(WORD key, bool shift = false) {
  std::vector<INPUT> inputs;
  auto add = [&](WORD vk, bool up) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(in);
  };
  if (shift) add(VK_SHIFT, false);
  add(key, false);
  add(key, true);
  if (shift) add(VK_SHIFT, true);
  ASSERT_EQ(SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)),
            inputs.size());
  Pump(150);
}

// A visible window of this process with that class and, unless caption is nullptr, that
// caption.
HWND FindOwnWindow(const char* className, const char* caption) {
  for (HWND window : harness::TopLevelWindowHandles(GetCurrentProcessId())) {
    if (!harness::HasClass(window, className) || !IsWindowVisible(window)) continue;
    if (caption && harness::WindowText(window) != caption) continue;
    return window;
  }
  return nullptr;
}

HWND WaitForOwnWindow(const char* className, const char* caption, int milliseconds) {
  HWND window = nullptr;
  harness::WaitUntil([&] { return (window = FindOwnWindow(className, caption)) != nullptr; },
                     milliseconds);
  return window;
}

// A message box of this process, read and dismissed from another thread.
struct SeenBox {
  std::string caption, text;
  bool found = false;
};

std::thread AnswerMessageBox(const char* caption, SeenBox* seen, int milliseconds) {
  return std::thread([=] {
    HWND box = WaitForOwnWindow("#32770", caption, milliseconds);
    if (!box) return;
    harness::MessageBoxInfo info;
    seen->found = harness::ReadMessageBox(box, &info);
    seen->caption = info.caption;
    seen->text = info.text;
    harness::DismissMessageBox(box);
  });
}

RECT RectInClient(HWND frame, HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

struct ExpectedItem {
  const char* text;
  int id;
  const char* cls;
  DWORD style;  // as the control holds it
  int x, y, cx, cy;
};

const ExpectedItem kEditor[] = {
    {"Ok", 1, "Button", 0x50010001, 55, 82, 50, 14},
    {"Cancel", 2, "Button", 0x50010000, 173, 82, 50, 14},
    {"Input", -1, "Button", 0x50000007, 19, 6, 244, 31},
    {"Output", -1, "Button", 0x50000007, 19, 44, 244, 31},
    {"", 1002, "ComboBox", 0x50210042, 33, 18, 165, 67},
    {"", 1001, "ComboBox", 0x50210042, 33, 55, 165, 80},
    {"Select", 1004, "Button", 0x50010000, 203, 18, 50, 14},
    {"Browse", 1003, "Button", 0x50010000, 203, 55, 50, 14},
    {"Help", 9, "Button", 0x50010000, 114, 82, 50, 14},
};

// Template 103 as it is stored in tavrisol.exe, read with the program's reader.
TEST(EditorTemplate, ResourceInTheProgramHoldsTheEditorLayout) {
  std::string path = harness::BuildFile("tavrisol.exe");
  HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr) << path;
  HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(103), MAKEINTRESOURCEA(5));
  ASSERT_NE(resource, nullptr);
  const DWORD size = SizeofResource(module, resource);
  const uint8_t* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(module, resource)));
  ASSERT_NE(bytes, nullptr);
  ParsedTemplate p = ReadTemplate(bytes, size);
  ASSERT_EQ(p.status, TemplateStatus::Ok);
  auto word = [&](size_t at) { return static_cast<unsigned>(bytes[at] | (bytes[at + 1] << 8)); };
  auto dword = [&](size_t at) { return word(at) | (word(at + 2) << 16); };
  auto narrow = [&](const TemplateText& t) {
    std::string s;
    for (size_t i = 0; i < t.length; ++i) s += static_cast<char>(word(t.offset + 2 * i));
    return s;
  };
  EXPECT_TRUE(p.header.extended);
  EXPECT_EQ(dword(4), 0u);  // help id
  EXPECT_EQ(dword(8), 0u);  // extended style
  EXPECT_EQ(p.header.style, 0x80C800C0u);
  EXPECT_EQ(p.header.itemCount, 9);
  EXPECT_EQ(word(18), 0u);
  EXPECT_EQ(word(20), 0u);
  EXPECT_EQ(p.header.cx, 280);
  EXPECT_EQ(p.header.cy, 111);
  EXPECT_EQ(narrow(p.header.title), "Dialog");
  ASSERT_TRUE(p.header.hasFont);
  EXPECT_EQ(p.header.pointSize, 8);
  const size_t fontAt = p.header.faceName.offset - 6;
  EXPECT_EQ(word(fontAt), 8u);
  EXPECT_EQ(word(fontAt + 2), 0u);   // weight
  EXPECT_EQ(bytes[fontAt + 4], 0u);  // italic
  EXPECT_EQ(bytes[fontAt + 5], 0u);  // character set
  EXPECT_EQ(narrow(p.header.faceName), "MS Sans Serif");
  ASSERT_EQ(p.items.size(), 9u);
  for (size_t i = 0; i < 9; ++i) {
    SCOPED_TRACE(i);
    const TemplateItem& item = p.items[i];
    const ExpectedItem& want = kEditor[i];
    EXPECT_EQ(dword(item.start), 0u);      // help id
    EXPECT_EQ(dword(item.start + 4), 0u);  // extended style
    EXPECT_EQ(item.style, i == 1 ? 0x50010000u : want.style);
    EXPECT_EQ(item.x, want.x);
    EXPECT_EQ(item.y, want.y);
    EXPECT_EQ(item.cx, want.cx);
    EXPECT_EQ(item.cy, want.cy);
    EXPECT_EQ(item.id, static_cast<uint32_t>(want.id));
    EXPECT_TRUE(item.classIsOrdinal);
    EXPECT_EQ(item.classOrdinal, want.cls[0] == 'B' ? 0x80 : 0x85);
    EXPECT_EQ(narrow(item.text), want.text);
    EXPECT_EQ(item.creationDataSize, 0);
    EXPECT_EQ(item.end % 4, i == 2 ? 2u : 0u);  // only "Input" needs padding
  }
  EXPECT_EQ(p.items.back().end, size);
  FreeLibrary(module);
}

// The characters edit fields receive, recorded on top of their procedures.
std::vector<std::pair<HWND, WPARAM>> charsSeen;
std::vector<std::pair<HWND, WNDPROC>> recordedProcs;

LRESULT CALLBACK RecordChars(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CHAR) charsSeen.emplace_back(window, wParam);
  for (const auto& recorded : recordedProcs)
    if (recorded.first == window)
      return CallWindowProcA(recorded.second, window, message, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

void RecordCharsOf(HWND window) {
  recordedProcs.emplace_back(window,
                             reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
                                 window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordChars))));
}

class Built : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterFrameClass();
    frameLog = FrameLog();
    frame =
        BuildWindowFromTemplate(GetDesktopWindow(), 103, GetModuleHandleA(nullptr), kFrameClass, 1);
    ASSERT_NE(frame, nullptr);
    Pump(100);
  }
  void TearDown() override {
    DestroyBuiltControls();
    if (frame) DestroyWindow(frame);
    Pump(50);
  }
  HWND Item(int index) {
    int i = 0;
    for (ChainNode* node = chainHead; node; node = node->next, ++i)
      if (i == index) return node->window;
    return nullptr;
  }
  // The focused window, taken as the chain control it belongs to.
  HWND FocusedControl() {
    HWND focus = GetFocus();
    for (ChainNode* node = chainHead; node; node = node->next)
      if (node->window == focus || IsChild(node->window, focus)) return node->window;
    return focus;
  }
  HWND frame = nullptr;
};

TEST_F(Built, FrameAndControlsFollowTheTemplate) {
  EXPECT_EQ(frameLog.creates, 1);
  EXPECT_EQ(frameLog.initDialogs, 1);
  EXPECT_GE(frameLog.childrenAtInit, 9);  // every control existed before WM_INITDIALOG
  char title[64] = {};
  GetWindowTextA(frame, title, sizeof title);
  EXPECT_STREQ(title, "Dialog");
  // The system adds WS_CLIPSIBLINGS to every top-level window.
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(frame, GWL_STYLE)) &
                ~static_cast<DWORD>(WS_CLIPSIBLINGS) & 0xFFFF0000u,
            0x90CB0000u);

  // Base units as the template's font gives them on the desktop.
  ASSERT_NE(templateFont, nullptr);
  HDC dc = GetDC(GetDesktopWindow());
  HGDIOBJ old = SelectObject(dc, templateFont);
  SIZE extent;
  TEXTMETRICA tm;
  GetTextExtentPoint32A(dc, kSample, 62, &extent);
  GetTextMetricsA(dc, &tm);
  const int logPixelsY = GetDeviceCaps(dc, LOGPIXELSY);
  SelectObject(dc, old);
  ReleaseDC(GetDesktopWindow(), dc);
  // This display's font gives 6 and 12 pixels; on the 1920x1080 desktop the 280 units make
  // 420 pixels, less than half its width less 50, so the width's unit is doubled: 840x166
  // pixels of content, centred at 540,457.
  ASSERT_EQ(extent.cx / 62, 6);
  ASSERT_EQ(tm.tmHeight, 12);
  RECT desk;
  GetClientRect(GetDesktopWindow(), &desk);
  ASSERT_EQ(desk.right, 1920);
  ASSERT_EQ(desk.bottom, 1080);
  const int bx = 12, by = 12, width = 840, height = 166;
  RECT r;
  GetWindowRect(frame, &r);
  EXPECT_EQ(r.left, 540);
  EXPECT_EQ(r.top, 457);
  EXPECT_EQ(r.right - r.left, width + 2 * GetSystemMetrics(SM_CXDLGFRAME));
  EXPECT_EQ(r.bottom - r.top,
            height + 2 * (GetSystemMetrics(SM_CYEDGE) + GetSystemMetrics(SM_CYDLGFRAME)) +
                GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION));

  LOGFONTA lf;
  ASSERT_EQ(GetObjectA(templateFont, sizeof lf, &lf), static_cast<int>(sizeof lf));
  EXPECT_STREQ(lf.lfFaceName, "MS Sans Serif");
  EXPECT_EQ(lf.lfHeight, -MulDiv(8, logPixelsY, 72));
  EXPECT_EQ(lf.lfWeight, 0);
  EXPECT_EQ(lf.lfQuality, DRAFT_QUALITY);

  int count = 0;
  std::vector<int> droppedHeights;
  for (ChainNode* node = chainHead; node; node = node->next, ++count) {
    ASSERT_LT(count, 9);
    SCOPED_TRACE(count);
    const ExpectedItem& want = kEditor[count];
    HWND c = node->window;
    EXPECT_EQ(GetParent(c), frame);
    char cls[32] = {}, text[64] = {};
    GetClassNameA(c, cls, sizeof cls);
    EXPECT_EQ(lstrcmpiA(cls, want.cls), 0) << cls;
    GetWindowTextA(c, text, sizeof text);
    EXPECT_STREQ(text, want.text);
    EXPECT_EQ(GetDlgCtrlID(c), want.id);
    // A combo box hands its WS_VSCROLL on to its drop-down list.
    const DWORD kept =
        want.cls[0] == 'C' ? want.style & ~static_cast<DWORD>(WS_VSCROLL) : want.style;
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(c, GWL_STYLE)), kept);
    EXPECT_EQ(GetWindowLongA(c, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(c, WM_GETFONT, 0, 0)), templateFont);
    EXPECT_EQ(node->navigable, (count == 2 || count == 3) ? 0 : 1);
    RECT at = RectInClient(frame, c);
    EXPECT_EQ(at.left, want.x * bx / 4);
    EXPECT_EQ(at.top, want.y * by / 8);
    EXPECT_EQ(at.right - at.left, want.cx * bx / 4);
    if (want.cls[0] == 'C') {
      // A combo box keeps its closed height and reports its dropped one;
      // the two lists differ by exactly their template heights (67 and 80).
      RECT dropped;
      SendMessageA(c, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
      droppedHeights.push_back(dropped.bottom - dropped.top);
      EXPECT_GT(dropped.bottom - dropped.top, at.bottom - at.top);
    } else {
      EXPECT_EQ(at.bottom - at.top, want.cy * by / 8);
    }
    // The back links form a ring in reverse creation order.
    EXPECT_EQ(node->back->next ? node->back->next : chainHead, node);
  }
  EXPECT_EQ(count, 9);
  EXPECT_EQ(chainHead->back->window, Item(8));
  ASSERT_EQ(droppedHeights.size(), 2u);
  EXPECT_EQ(droppedHeights[1] - droppedHeights[0], 80 * by / 8 - 67 * by / 8);
}

TEST_F(Built, KeysMoveTheFocusAlongTheChainAndEscapeCancels) {
  SetForegroundWindow(frame);
  Pump(100);
  struct Move {
    int from;
    WORD key;
    bool shift;
    int to;
  } moves[] = {
      {1, VK_TAB, false, 4},    // Cancel -> Input list, past both group boxes
      {6, VK_LEFT, false, 5},   // Select -> Output list
      {0, VK_RIGHT, false, 1},  // Ok -> Cancel
      {8, VK_TAB, false, 0},    // Help wraps to Ok
      {0, VK_UP, false, 8},     // Ok wraps back to Help
      {7, VK_DOWN, false, 8},   // Browse -> Help
      {1, VK_TAB, true, 0},     // Shift+Tab moves backward
      {6, VK_UP, false, 5},
  };
  for (const Move& m : moves) {
    SCOPED_TRACE(m.from);
    SCOPED_TRACE(m.key);
    SetFocus(Item(m.from));
    Pump(30);
    ASSERT_EQ(FocusedControl(), Item(m.from));
    Press(m.key, m.shift);
    EXPECT_EQ(FocusedControl(), Item(m.to));
    // One default button: the focused push button, else Ok.
    for (int button : {0, 1, 6, 7, 8}) {
      const bool isDefault = SendMessageA(Item(button), WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON;
      EXPECT_EQ(isDefault, button == (m.to == 4 || m.to == 5 ? 0 : m.to)) << button;
    }
  }
  // The combo boxes notify their focus changes; no command was Cancel.
  auto cancels = [] {
    std::vector<LPARAM> found;
    for (const auto& command : frameLog.commands)
      if (LOWORD(command.first) == IDCANCEL) found.push_back(command.second);
    return found;
  };
  EXPECT_TRUE(cancels().empty());

  SetFocus(Item(7));
  Pump(30);
  frameLog.commands.clear();
  Press(VK_ESCAPE);
  ASSERT_EQ(frameLog.commands.size(), 1u);
  EXPECT_EQ(frameLog.commands[0].first, static_cast<WPARAM>(IDCANCEL));  // notification code 0
  EXPECT_NE(frameLog.commands[0].second, 0);  // the key message's own lParam
  EXPECT_EQ(FocusedControl(), Item(7));
}

TEST_F(Built, TabAndEscapeLeaveTheEditFieldOfADropDownList) {
  SetForegroundWindow(frame);
  Pump(100);
  // The focus of a drop-down list sits in its own edit field.
  HWND inputEdit = FindWindowExA(Item(4), nullptr, "Edit", nullptr);
  ASSERT_NE(inputEdit, nullptr);
  HWND outputEdit = FindWindowExA(Item(5), nullptr, "Edit", nullptr);
  ASSERT_NE(outputEdit, nullptr);
  charsSeen.clear();
  RecordCharsOf(inputEdit);
  RecordCharsOf(outputEdit);
  SetFocus(Item(4));
  Pump(30);
  ASSERT_EQ(GetFocus(), inputEdit);
  Press(VK_TAB);
  EXPECT_EQ(FocusedControl(), Item(5));  // Input list -> Output list

  ASSERT_EQ(GetFocus(), outputEdit);
  frameLog.commands.clear();
  Press(VK_ESCAPE);
  bool cancelled = false;
  for (const auto& command : frameLog.commands)
    if (command.first == static_cast<WPARAM>(IDCANCEL)) cancelled = true;
  EXPECT_TRUE(cancelled);
  // Other keys still edit the text as usual.
  Press('A');
  char text[16] = {};
  GetWindowTextA(outputEdit, text, sizeof text);
  EXPECT_STREQ(text, "a");
  // The characters of Tab and Escape went with their keys: neither field saw them.
  EXPECT_EQ(charsSeen, (std::vector<std::pair<HWND, WPARAM>>{{outputEdit, 'a'}}));
}

TEST_F(Built, DestroyBuiltControlsLeavesNothingBehind) {
  HFONT font = templateFont;
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT));
  std::vector<HWND> controls;
  for (ChainNode* node = chainHead; node; node = node->next) controls.push_back(node->window);
  ASSERT_EQ(controls.size(), 9u);
  EXPECT_EQ(DestroyBuiltControls(), 1);
  EXPECT_EQ(chainHead, nullptr);
  EXPECT_EQ(templateFont, nullptr);
  EXPECT_EQ(GetObjectType(font), 0u);
  EXPECT_EQ(GetWindow(frame, GW_CHILD), nullptr);
  for (HWND c : controls) EXPECT_FALSE(IsWindow(c));
  EXPECT_EQ(DestroyBuiltControls(), 1);  // a second time: nothing to do
  EXPECT_TRUE(IsWindow(frame));
}

TEST(BuildFailure, RefusedCreateIsReportedAndNothingIsBuilt) {
  RegisterFrameClass();
  frameLog = FrameLog();
  frameLog.refuseCreate = true;
  SeenBox seen;
  std::thread watcher = AnswerMessageBox("Failure", &seen, 10000);
  HWND frame =
      BuildWindowFromTemplate(GetDesktopWindow(), 103, GetModuleHandleA(nullptr), kFrameClass, 1);
  watcher.join();
  EXPECT_EQ(frame, nullptr);
  EXPECT_EQ(frameLog.creates, 1);
  EXPECT_EQ(frameLog.initDialogs, 0);
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.text.rfind("Failed to make background of resource 103\n", 0), 0u) << seen.text;
  EXPECT_EQ(chainHead, nullptr);
  DestroyBuiltControls();  // releases the font the build had made
  frameLog = FrameLog();
}

// Leaves a pattern on the stack below this frame, where the builder's locals
// will lie.
__attribute__((noinline)) void DirtyStack() {
  volatile unsigned char junk[4096];
  for (size_t i = 0; i < sizeof junk; ++i) junk[i] = 0x5A;
}

TEST(BuildWithoutParent, CentresOnAnEmptyRectangle) {
  RegisterFrameClass();
  frameLog = FrameLog();
  DirtyStack();
  // No parent window: no client rectangle to centre on or to widen for.
  HWND frame = BuildWindowFromTemplate(nullptr, 103, GetModuleHandleA(nullptr), kFrameClass, 1);
  ASSERT_NE(frame, nullptr);
  ASSERT_NE(templateFont, nullptr);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, templateFont);
  SIZE extent;
  TEXTMETRICA tm;
  GetTextExtentPoint32A(dc, kSample, 62, &extent);
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  // 6 and 12 pixels (see above), not widened: 420x166 pixels centred on 0,0.
  ASSERT_EQ(extent.cx / 62, 6);
  ASSERT_EQ(tm.tmHeight, 12);
  RECT r;
  GetWindowRect(frame, &r);
  EXPECT_EQ(r.left, -210);
  EXPECT_EQ(r.top, -83);
  EXPECT_EQ(r.right - r.left, 420 + 2 * GetSystemMetrics(SM_CXDLGFRAME));
  DestroyBuiltControls();
  DestroyWindow(frame);
  Pump(50);
}

TEST(BuildFailure, MissingTemplateIsReported) {
  RegisterFrameClass();
  SeenBox seen;
  std::thread watcher = AnswerMessageBox("Failure", &seen, 10000);
  HWND frame =
      BuildWindowFromTemplate(GetDesktopWindow(), 4242, GetModuleHandleA(nullptr), kFrameClass, 1);
  watcher.join();
  EXPECT_EQ(frame, nullptr);
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.text, "Failed to find Dialog resource 4242");
}

TEST(CenterOnDesktop, CentresWithoutResizing) {
  RegisterFrameClass();
  frameLog = FrameLog();
  RECT desk;
  GetWindowRect(GetDesktopWindow(), &desk);
  ASSERT_EQ(desk.right - desk.left, 1920);
  ASSERT_EQ(desk.bottom - desk.top, 1080);
  for (int width : {300, 301}) {
    SCOPED_TRACE(width);
    HWND window = CreateWindowExA(0, kFrameClass, "centre", WS_POPUP | WS_VISIBLE, 5, 7, width, 200,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    CenterOnDesktop(window);
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_EQ(r.left, width == 300 ? 810 : 809);
    EXPECT_EQ(r.top, 440);
    EXPECT_EQ(r.right - r.left, width);
    EXPECT_EQ(r.bottom - r.top, 200);
    DestroyWindow(window);
  }
}

// Everything the second thread saw of the viewer.
struct ViewerRun {
  bool found = false;
  int fieldPixels = 0, averagePixels = 0, widestPixels = 0;
  std::string afterThreeDown, afterThumb;
  int thumbPosition = -1;
  std::vector<int> keyPositions;  // after Home, a wheel notch down, Page Down, End
  SeenBox copied;
  std::string clipboard;
  bool clipboardRead = false;
};

TEST(TextViewer, FitsScrollsAndCopies) {
  RegisterFrameClass();
  frameLog = FrameLog();
  HWND owner = CreateWindowExA(0, kFrameClass, "owner", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(owner, nullptr);
  std::string text;
  const std::string wide =
      "The widest line of this text, well beyond the box's initial width of "
      "three hundred units, so the box has to grow";
  for (int i = 0; i < 41; ++i) {
    text += (i == 17) ? wide : "line " + std::to_string(i);
    if (i < 40) text += "\n";
  }
  ViewerRun run;
  std::thread driver([&] {
    HWND box = WaitForOwnWindow("#32770", "About the test", 10000);
    if (!box) return;
    run.found = true;
    HWND field = GetDlgItem(box, IDC_VIEWER_TEXT);
    RECT fr;
    GetWindowRect(field, &fr);
    run.fieldPixels = fr.right - fr.left;
    // One average character of the box's font, in pixels.
    RECT units = {0, 0, 4, 0};
    MapDialogRect(box, &units);
    run.averagePixels = units.right;
    HDC dc = GetDC(field);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(field, WM_GETFONT, 0, 0)));
    SIZE extent;
    GetTextExtentPoint32A(dc, wide.c_str(), static_cast<int>(wide.size()), &extent);
    run.widestPixels = extent.cx;
    SelectObject(dc, old);
    ReleaseDC(field, dc);

    char buffer[4096];
    for (int i = 0; i < 3; ++i) SendMessageA(box, WM_VSCROLL, SB_LINEDOWN, 0);
    GetDlgItemTextA(box, IDC_VIEWER_TEXT, buffer, sizeof buffer);
    run.afterThreeDown = buffer;
    SendMessageA(box, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 40), 0);
    GetDlgItemTextA(box, IDC_VIEWER_TEXT, buffer, sizeof buffer);
    run.afterThumb = buffer;
    HWND bar = GetDlgItem(box, IDC_VIEWER_SCROLL);
    run.thumbPosition = GetScrollPos(bar, SB_CTL);
    // Keys and the wheel scroll whatever has the focus: here the OK button.
    for (WPARAM key : {VK_HOME, 0, VK_NEXT, VK_END}) {  // 0: a wheel notch down
      const int before = GetScrollPos(bar, SB_CTL);
      PostMessageA(GetDlgItem(box, IDOK), key ? WM_KEYDOWN : WM_MOUSEWHEEL,
                   key ? key : MAKEWPARAM(0, -WHEEL_DELTA), 0);
      harness::WaitUntil([&] { return GetScrollPos(bar, SB_CTL) != before; }, 2000);
      run.keyPositions.push_back(GetScrollPos(bar, SB_CTL));
    }

    // Copy runs a message box inside the command: post it, then answer the box.
    std::thread answer = AnswerMessageBox("Success", &run.copied, 10000);
    PostMessageA(box, WM_COMMAND, IDC_VIEWER_COPY, 0);
    answer.join();
    if (OpenClipboard(nullptr)) {
      if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* copied = static_cast<const char*>(GlobalLock(data))) {
          run.clipboard = copied;
          run.clipboardRead = true;
          GlobalUnlock(data);
        }
      }
      CloseClipboard();
    }
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  });
  // Should the box never show or never close, the driver's waits end and the
  // box is closed here after the timeout.
  std::atomic<bool> done{false};
  std::thread watchdog([&] {
    for (int i = 0; i < 300 && !done; ++i) Sleep(100);
    if (done) return;
    while (HWND box = FindOwnWindow("#32770", nullptr)) {
      EndDialog(box, 0);
      PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
      Sleep(200);
      if (FindOwnWindow("#32770", nullptr) == box) break;
    }
  });
  ShowTextViewer(owner, text.c_str(), "About the test");
  done = true;
  driver.join();
  watchdog.join();
  DestroyWindow(owner);

  ASSERT_TRUE(run.found);
  // The widest line and a twentieth of it, short of at most one character where the width
  // was turned into whole dialog units and back.
  EXPECT_LE(run.fieldPixels, run.widestPixels * 21 / 20) << run.widestPixels;
  EXPECT_GT(run.fieldPixels, run.widestPixels * 21 / 20 - run.averagePixels) << run.averagePixels;
  EXPECT_GE(run.fieldPixels, run.widestPixels);
  EXPECT_LT(run.fieldPixels, run.widestPixels * 3 / 2);
  EXPECT_EQ(run.afterThreeDown, SkipLines(3, text.c_str()));
  EXPECT_EQ(run.afterThreeDown.rfind("line 3\nline 4", 0), 0u);
  EXPECT_EQ(run.afterThumb, SkipLines(34, text.c_str()));
  EXPECT_EQ(run.thumbPosition, 34);
  EXPECT_EQ(run.keyPositions, std::vector<int>({0, 3, 11, 34}));
  ASSERT_TRUE(run.copied.found);
  EXPECT_EQ(run.copied.text, "Text copied to ClipBoard.");
  ASSERT_TRUE(run.clipboardRead);
  EXPECT_EQ(run.clipboard, text);
}

}  // namespace
