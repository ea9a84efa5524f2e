// The editor window: start-up, the window procedure and teardown.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#include "diag/diag.h"
#include "editor/commands.h"
#include "editor/editor.h"
#include "editor/picker.h"
#include "editor/recent.h"
#include "placement/library_load.h"
#include "resources/resource.h"
#include "templatewin/builder.h"
#include "templatewin/chain.h"
#include "version.h"

static const char EditorClass[] = "Tavrisol";
static const char EditorTitle[] = "Tavrisol " TAVRISOL_VERSION_TEXT;

// Set once the builder has made every control; only then does the window's
// end also end the message loop. A window whose creation failed must not post
// the quit message: a report shown after it would close by itself.
static bool editorMade = false;

// The control that had the keyboard focus when the window was last
// deactivated (by a message box, the file chooser, Help or another program);
// it gets the focus back on activation. Input at first.
static HWND focusedControl = nullptr;

static void RestoreFocus(HWND window) {
  HWND control = focusedControl;
  if (!control || !IsChild(window, control)) control = GetDlgItem(window, IDC_INPUT);
  if (control) SetFocus(control);
}

// What an empty field stands for, in grey, never as its text, also while it
// has the focus. Set on the list's edit field: not every system carries out
// the list's own CB_SETCUEBANNER.
static void SetCue(HWND window, int controlId, const wchar_t* cue) {
  HWND edit = FindWindowExA(GetDlgItem(window, controlId), nullptr, "Edit", nullptr);
  SendMessageA(edit, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(cue));
}

int RunEditor(HINSTANCE instance, int showCommand) {
  WNDCLASSA windowClass = {};
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = editorWnd_Proc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_TAVRISOL));
  windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = EditorClass;
  if (!RegisterClassA(&windowClass)) return 0;

  CoInitialize(nullptr);  // the shortcut writer makes COM objects on this thread
  HWND window = BuildWindowFromTemplate(GetDesktopWindow(), IDD_EDITOR, instance, EditorClass, 1);
  if (!window) return 0;
  ShowWindow(window, showCommand);
  UpdateWindow(window);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  CoUninitialize();
  return 1;
}

static void SetIcons(HWND window) {
  auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
  HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_TAVRISOL));
  SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  icon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_TAVRISOL));
  SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

// Loads the library. The editor works without it, but for
// click-to-pick: Select is disabled then (WM_INITDIALOG).
static LRESULT LoadPickerLibrary() {
  pickerLibrary = static_cast<HMODULE>(LoadOwnLibrary());
  if (!pickerLibrary) {
    char* text = LastErrorText();
    TraceLine("Failed to load tavrisolhelper.dll: %s", text);
    LocalFree(text);
    return 0;
  }
  initMouseHook = LIBRARY_PROCEDURE(pickerLibrary, InitMouseHook);
  if (initMouseHook) mouseHookProc = LIBRARY_PROCEDURE(pickerLibrary, MouseHook);
  if (initMouseHook && mouseHookProc) {
    pickUndelivered = LIBRARY_PROCEDURE(pickerLibrary, PickUndelivered);
    return 0;
  }
  char* text = LastErrorText();
  MessageReport(CaptionError, "Failed to find procedures\n%s", text);
  LocalFree(text);
  return 0;
}

LRESULT CALLBACK editorWnd_Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      SetWindowTextA(window, EditorTitle);
      SetIcons(window);
      // A pick is posted from the clicked program, which may run with lower
      // rights than an editor started as administrator.
      if (!ChangeWindowMessageFilterEx(window, WM_USER, MSGFLT_ALLOW, nullptr))
        TraceLine("ChangeWindowMessageFilterEx failed\r\n");
      return LoadPickerLibrary();
    case WM_INITDIALOG:
      editorMade = true;
      FillRecentList(window, IDC_INPUT, INPUT_LIST_KEY);
      FillRecentList(window, IDC_OUTPUT, OUTPUT_LIST_KEY);
      SetCue(window, IDC_INPUT, L"left,top,width,height program");
      SetCue(window, IDC_OUTPUT, L"New shortcut on the desktop");
      EnableWindow(GetDlgItem(window, IDC_SELECT), pickerLibrary != nullptr);
      // The frame shows, and is activated, before its controls exist.
      if (GetActiveWindow() == window) RestoreFocus(window);
      return 0;
    case WM_COMMAND:
      EditorCommand(window, wParam, lParam);
      return 0;
    case WM_USER:
      PickerNotify(window);
      return 0;
    case WM_TIMER:
      PickerCheck(window);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) {
        RestoreFocus(window);
      } else {
        HWND focus = GetFocus();
        if (focus && IsChild(window, focus)) focusedControl = focus;
      }
      return 0;
    case WM_SETFOCUS:
      // The frame itself takes no keys: the focus goes on to a control.
      RestoreFocus(window);
      return 0;
    case WM_DESTROY:
      PickerTeardown();  // the hook goes before its library
      if (pickerLibrary) {
        FreeLibrary(pickerLibrary);
        pickerLibrary = nullptr;
      }
      DestroyBuiltControls();
      focusedControl = nullptr;
      if (editorMade) {
        editorMade = false;
        PostQuitMessage(0);
      }
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}
