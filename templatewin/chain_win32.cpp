// The chain of built controls: creation order, keyboard navigation between
// them, and their teardown.
#include "templatewin/chain.h"

#include <cstdlib>

#include "diag/diag.h"
#include "templatewin/ring.h"

ChainNode* chainHead = nullptr;
HFONT templateFont = nullptr;

ChainNode* AppendChainNode(ChainNode** headHolder, int elementSize) {
  ChainNode** link = headHolder;
  while (*link) link = &(*link)->next;
  // Never hand out a block smaller than a node, whatever size is asked for.
  size_t bytes =
      elementSize > static_cast<int>(sizeof(ChainNode)) ? elementSize : sizeof(ChainNode);
  ChainNode* node = static_cast<ChainNode*>(calloc(1, bytes));
  if (!node) {
    MessageReport(CaptionError, "Error building table, element size %d", elementSize);
    return nullptr;
  }
  *link = node;
  return node;
}

void FreeChain(ChainNode** headHolder) {
  ChainNode* node = *headHolder;
  while (node) {
    ChainNode* next = node->next;
    free(node);
    node = next;
  }
  *headHolder = nullptr;
}

namespace {

// Puts the focus on the node the ring order picks from the current one.
void MoveFocus(int current, bool forward) {
  int count = 0;
  for (ChainNode* node = chainHead; node; node = node->next) ++count;
  int* navigable = static_cast<int*>(calloc(count > 0 ? count : 1, sizeof(int)));
  if (!navigable) return;  // the focus stays where it is
  int i = 0;
  // A disabled control (Select without the library) takes no focus.
  for (ChainNode* node = chainHead; node; node = node->next)
    navigable[i++] = node->navigable && IsWindowEnabled(node->window);
  const int target = forward ? RingFocusForward(navigable, count, current)
                             : RingFocusBackward(navigable, count, current);
  free(navigable);
  ChainNode* node = chainHead;
  for (i = 0; i < target && node; ++i) node = node->next;
  if (node) SetFocus(node->window);
}

// The node of a chained control and its place in creation order, or null.
ChainNode* FindNode(HWND window, int* index) {
  *index = 0;
  ChainNode* node = chainHead;
  while (node && node->window != window) {
    node = node->next;
    ++*index;
  }
  return node;
}

// TranslateMessage has already queued the character of a key the chain takes
// (Tab, Escape) for the window that got the key: drop it, or that control
// would see the key a second time (a single-line edit beeps at it).
void DropCharOf(HWND window, WPARAM key) {
  const WPARAM character = key == VK_TAB      ? '\t'
                           : key == VK_ESCAPE ? 0x1B
                           : key == VK_RETURN ? '\r'
                                              : 0;
  MSG pending;
  if (character && PeekMessageA(&pending, window, WM_CHAR, WM_CHAR, PM_NOREMOVE | PM_NOYIELD) &&
      pending.wParam == character)
    PeekMessageA(&pending, window, WM_CHAR, WM_CHAR, PM_REMOVE | PM_NOYIELD);
}

bool ShiftHeld() { return GetKeyState(VK_SHIFT) < 0; }

// Escape closes an open drop-down list first; true when it did.
bool CloseDropDown(HWND combo) {
  if (!SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0)) return false;
  SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
  return true;
}

// A push button says so when asked what keys it wants.
LRESULT ButtonKind(HWND window) {
  return SendMessageA(window, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON);
}

// Enter presses the push button that has the focus, and anywhere else the
// frame's default button (Ok when none is marked).
LRESULT PressForEnter(HWND control) {
  HWND button = ButtonKind(control) ? control : nullptr;
  for (ChainNode* node = chainHead; node && !button; node = node->next)
    if (ButtonKind(node->window) == DLGC_DEFPUSHBUTTON) button = node->window;
  LONG_PTR id = button ? GetWindowLongPtrA(button, GWLP_ID) : IDOK;
  return SendMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                      reinterpret_cast<LPARAM>(button));
}

// A dialog has one default button, and it follows the focus: the focused
// push button, or Ok while the focus is on anything else.
void FollowFocus(HWND focused) {
  const bool onButton = ButtonKind(focused) != 0;
  for (ChainNode* node = chainHead; node; node = node->next) {
    const LRESULT kind = ButtonKind(node->window);
    const bool isDefault =
        onButton ? node->window == focused : GetWindowLongPtrA(node->window, GWLP_ID) == IDOK;
    if (kind != 0 && (kind == DLGC_DEFPUSHBUTTON) != isDefault)
      SendMessageA(node->window, BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  }
}

}  // namespace

LRESULT CALLBACK chainedCtl_Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  int index;
  ChainNode* node = FindNode(window, &index);
  // Every subclassed control has its node; should one ever be missing, the
  // window still gets the default handling rather than a null procedure.
  if (!node || !node->savedProc) return DefWindowProcA(window, message, wParam, lParam);
  WNDPROC savedProc = node->savedProc;
  if (message == WM_SETFOCUS) FollowFocus(window);
  if (message == WM_KEYDOWN) {
    DropCharOf(window, wParam);
    switch (wParam) {
      case VK_TAB:
        MoveFocus(index, !ShiftHeld());
        break;
      case VK_RIGHT:
      case VK_DOWN:
        MoveFocus(index, true);
        break;
      case VK_LEFT:
      case VK_UP:
        MoveFocus(index, false);
        break;
      case VK_ESCAPE:
        // The frame's Cancel command; the control never sees the key.
        if (CloseDropDown(window)) return 0;
        return SendMessageA(GetParent(window), WM_COMMAND, IDCANCEL, lParam);
      case VK_RETURN:
        if (CloseDropDown(window)) return 0;
        return PressForEnter(window);
      default:
        break;
    }
  }
  return CallWindowProcA(savedProc, window, message, wParam, lParam);
}

namespace {

const char SavedEditProcProperty[] = "TavrisolSavedEditProc";

LRESULT CALLBACK comboEdit_Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC savedProc = reinterpret_cast<WNDPROC>(GetPropA(window, SavedEditProcProperty));
  if (!savedProc) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_KEYDOWN && (wParam == VK_TAB || wParam == VK_ESCAPE || wParam == VK_RETURN)) {
    // Without this the Tab key could never leave a drop-down list, and Escape
    // and Enter would not reach the frame from the editor's two text fields.
    // The key is not passed on: the combo box would hand it straight back to
    // this field. An open drop-down list closes first.
    HWND combo = GetParent(window);
    int index;
    if (FindNode(combo, &index)) {
      DropCharOf(window, wParam);
      if (wParam == VK_TAB) {
        MoveFocus(index, !ShiftHeld());
        return 0;
      }
      if (CloseDropDown(combo)) return 0;
      if (wParam == VK_RETURN) return PressForEnter(combo);
      return SendMessageA(GetParent(combo), WM_COMMAND, IDCANCEL, lParam);
    }
  }
  if (message == WM_SETFOCUS) FollowFocus(GetParent(window));
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(savedProc));
    RemovePropA(window, SavedEditProcProperty);
  }
  return CallWindowProcA(savedProc, window, message, wParam, lParam);
}

}  // namespace

void SubclassComboEdit(HWND control) {
  char className[16];
  if (!GetClassNameA(control, className, sizeof className) || lstrcmpiA(className, "ComboBox") != 0)
    return;
  HWND edit = FindWindowExA(control, nullptr, "Edit", nullptr);
  if (!edit) return;  // a drop-down list without an edit field
  LONG_PTR saved = GetWindowLongPtrA(edit, GWLP_WNDPROC);
  if (!saved || !SetPropA(edit, SavedEditProcProperty, reinterpret_cast<HANDLE>(saved))) return;
  SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(comboEdit_Proc));
}

int DestroyBuiltControls() {
  // Destroyed in creation order while the chain is whole: each control still
  // passes through chainedCtl_Proc on its way out.
  for (ChainNode* node = chainHead; node; node = node->next) DestroyWindow(node->window);
  if (templateFont) {
    DeleteObject(templateFont);
    templateFont = nullptr;
  }
  FreeChain(&chainHead);
  return 1;
}

void CenterOnDesktop(HWND window) {
  RECT desktop, rect;
  GetWindowRect(GetDesktopWindow(), &desktop);
  GetWindowRect(window, &rect);
  const int x = desktop.left + ((desktop.right - desktop.left) - (rect.right - rect.left)) / 2;
  const int y = desktop.top + ((desktop.bottom - desktop.top) - (rect.bottom - rect.top)) / 2;
  SetWindowPos(window, HWND_NOTOPMOST, x, y, 0, 0, SWP_NOSIZE);
}
