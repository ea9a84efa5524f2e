#include <windows.h>

#include "diag/diag.h"
#include "helper/size_hook.h"
#include "placement/companion.h"
#include "placement/move.h"

namespace {

// The move again, with the library's hook on the window's thread; false when
// the hook could not be set (higher rights, no library).
bool MoveWithRaisedLimit(HWND window, int32_t x, int32_t y, int32_t width, int32_t height) {
  HMODULE helper = static_cast<HMODULE>(LoadCompanionLibrary());
  auto move = helper ? reinterpret_cast<BOOL(WINAPI*)(HWND, int, int, int, int)>(
                           reinterpret_cast<void*>(GetProcAddress(helper, MOVE_RAISED_EXPORT)))
                     : nullptr;
  bool moved = move && move(window, x, y, width, height);
  if (helper) FreeLibrary(helper);
  return moved;
}

}  // namespace

bool MoveWindowExactly(WindowRef ref, int32_t x, int32_t y, int32_t width, int32_t height) {
  HWND window = reinterpret_cast<HWND>(ref);
  RECT rect;
  // A window placed before it was shown is left as it is: moving it again
  // would cut a size past the system's limit.
  if (GetWindowRect(window, &rect) &&
      SameBox({rect.left, rect.top, rect.right, rect.bottom}, {x, y, x + width, y + height}))
    return true;
  if (!MoveWindow(window, x, y, width, height, TRUE)) return false;
  if (!GetWindowRect(window, &rect)) return true;
  // Only a size beyond the system's limit that came back short is the limit's doing.
  const int maxWidth = GetSystemMetrics(SM_CXMAXTRACK), maxHeight = GetSystemMetrics(SM_CYMAXTRACK);
  bool cutWidth = width > maxWidth && rect.right - rect.left < width;
  bool cutHeight = height > maxHeight && rect.bottom - rect.top < height;
  if (!cutWidth && !cutHeight) return true;
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
