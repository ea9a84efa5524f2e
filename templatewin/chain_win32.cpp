// The chain of built controls: creation order, keyboard navigation between
// them, and their teardown.
#include "templatewin/chain.h"

#include <cstdlib>
#include <vector>

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
  std::vector<int> navigable;
  std::vector<HWND> windows;
  for (ChainNode* node = chainHead; node; node = node->next) {
    navigable.push_back(node->navigable);
    windows.push_back(node->window);
  }
  const int count = static_cast<int>(navigable.size());
  const int target = forward ? RingFocusForward(navigable.data(), count, current)
                             : RingFocusBackward(navigable.data(), count, current);
  SetFocus(windows[target]);
}

}  // namespace

LRESULT CALLBACK chainedCtl_Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ChainNode* node = chainHead;
  int index = 0;
  while (node && node->window != window) {
    node = node->next;
    ++index;
  }
  // Every subclassed control has its node; should one ever be missing, the
  // window still gets the default handling rather than a null procedure.
  if (!node || !node->savedProc) return DefWindowProcA(window, message, wParam, lParam);
  WNDPROC savedProc = node->savedProc;
  if (message == WM_KEYDOWN) {
    switch (wParam) {
      case VK_TAB:  // Shift is not looked at: Shift+Tab moves forward too
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
        return SendMessageA(GetParent(window), WM_COMMAND, IDCANCEL, lParam);
      default:
        break;
    }
  }
  return CallWindowProcA(savedProc, window, message, wParam, lParam);
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
