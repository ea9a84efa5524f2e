// The WH_CALLWNDPROCRET hook that lets one window take a size beyond the
// system's maximum tracking size (about the screen plus its frame). The run
// sets it on the window's thread for one move only and leaves the size it
// asks for on the window as a property; the hook raises the limit after the
// window procedure has filled it in, so the program's own answer still counts
// below that size.
#include <windows.h>

#include "helper/size_hook.h"

extern "C" LRESULT CALLBACK SizeHook(int code, WPARAM wParam, LPARAM lParam) {
  auto* call = reinterpret_cast<CWPRETSTRUCT*>(lParam);
  if (code >= 0 && call->message == WM_GETMINMAXINFO) {
    auto asked = reinterpret_cast<uint64_t>(GetPropA(call->hwnd, SIZE_HOOK_PROPERTY));
    auto* info = reinterpret_cast<MINMAXINFO*>(call->lParam);
    LONG width = static_cast<LONG>(asked & 0xFFFFFFFFu), height = static_cast<LONG>(asked >> 32);
    if (asked != 0 && info->ptMaxTrackSize.x < width) info->ptMaxTrackSize.x = width;
    if (asked != 0 && info->ptMaxTrackSize.y < height) info->ptMaxTrackSize.y = height;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
