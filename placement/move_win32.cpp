#include <windows.h>

#include "diag/diag.h"
#include "helper/size_hook.h"
#include "placement/companion.h"
#include "placement/move.h"

namespace {

// The move again, with the hook on the window's thread; false when the hook
// could not be set (another bitness, higher rights, no library).
bool MoveWithRaisedLimit(HWND window, int32_t x, int32_t y, int32_t width, int32_t height) {
  HMODULE helper = static_cast<HMODULE>(LoadCompanionLibrary());
  HOOKPROC procedure = helper ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(
                                    GetProcAddress(helper, SIZE_HOOK_EXPORT)))
                              : nullptr;
  DWORD thread = GetWindowThreadProcessId(window, nullptr);
  HHOOK hook =
      procedure ? SetWindowsHookExA(WH_CALLWNDPROCRET, procedure, helper, thread) : nullptr;
  if (hook) {
    SetPropA(window, SIZE_HOOK_PROPERTY,
             reinterpret_cast<HANDLE>(static_cast<uintptr_t>(PackHookSize(width, height))));
    MoveWindow(window, x, y, width, height, TRUE);
    UnhookWindowsHookEx(hook);
    RemovePropA(window, SIZE_HOOK_PROPERTY);
  }
  if (helper) FreeLibrary(helper);
  return hook != nullptr;
}

}  // namespace

bool MoveWindowExactly(WindowRef ref, int32_t x, int32_t y, int32_t width, int32_t height) {
  HWND window = reinterpret_cast<HWND>(ref);
  if (!MoveWindow(window, x, y, width, height, TRUE)) return false;
  RECT rect;
  if (!GetWindowRect(window, &rect)) return true;
  // Only a size beyond the system's limit that came back short is the limit's doing.
  const int maxWidth = GetSystemMetrics(SM_CXMAXTRACK), maxHeight = GetSystemMetrics(SM_CYMAXTRACK);
  bool cutWidth = width > maxWidth && rect.right - rect.left < width;
  bool cutHeight = height > maxHeight && rect.bottom - rect.top < height;
  if (!cutWidth && !cutHeight) return true;
  // A hook set on a program of the other bitness is never called: the size tells.
  if (MoveWithRaisedLimit(window, x, y, width, height)) GetWindowRect(window, &rect);
  const long w = rect.right - rect.left, h = rect.bottom - rect.top;
  // A window that sizes itself (a console, in whole character cells) ends
  // short of the limit: the limit did not cut it.
  const bool capped = (width > maxWidth && w == maxWidth) || (height > maxHeight && h == maxHeight);
  TraceLine(w == width && h == height ? "window %x sized %ldx%ld past the system's limit\r\n"
            : capped                  ? "window %x kept at %ldx%ld, the size the system allows\r\n"
                                      : "window %x sized itself %ldx%ld\r\n",
            static_cast<unsigned>(ref), w, h);
  return true;
}

bool MovePlacedWindow(WindowRef window, int32_t x, const PlacementRequest& request) {
  if (request.fill != FillNone) return MoveWindowToFill(window, request);
  ReleaseClip(window);
  return MoveWindowExactly(window, x, request.top, request.width, request.height);
}
