// The program's part of a move: a window goes exactly where the plan says,
// also past the system's size limit, and a fill keeps to its monitor.
#include <windows.h>

#include "diag/diag.h"
#include "helper/size_hook.h"
#include "placement/companion.h"
#include "placement/move.h"

namespace {

// Marks a window whose region the run set: only that region is ever taken
// away, never a shape of the program's own.
const char ClipProperty[] = "TavrisolClipped";

void ClipWindow(HWND window, const WindowBox& keep) {
  HRGN region = CreateRectRgn(keep.left, keep.top, keep.right, keep.bottom);
  if (region == nullptr) return;
  if (SetWindowRgn(window, region, TRUE))
    SetPropA(window, ClipProperty, reinterpret_cast<HANDLE>(1));
  else
    DeleteObject(region);
}

// The move again, with the library's hook on the window's thread; false when
// the hook could not be set (higher rights, no library).
bool MoveWithRaisedLimit(HWND window, const WindowBox& box, int width, int height) {
  HMODULE helper = static_cast<HMODULE>(LoadCompanionLibrary());
  auto move = helper ? reinterpret_cast<BOOL(WINAPI*)(HWND, int, int, int, int)>(
                           reinterpret_cast<void*>(GetProcAddress(helper, MOVE_RAISED_EXPORT)))
                     : nullptr;
  bool moved = move && move(window, box.left, box.top, width, height);
  if (helper) FreeLibrary(helper);
  return moved;
}

bool MoveExactly(WindowRef ref, const WindowBox& box) {
  HWND window = reinterpret_cast<HWND>(ref);
  RECT rect;
  // A window placed before it was shown is left as it is: moving it again
  // would cut a size past the system's limit.
  if (GetWindowRect(window, &rect) && SameBox({rect.left, rect.top, rect.right, rect.bottom}, box))
    return true;
  if (!SetWindowBox(ref, box, false)) return false;
  if (!GetWindowRect(window, &rect)) return true;
  // Only a size beyond the system's limit that came back short is the limit's doing.
  const long width = box.right - box.left, height = box.bottom - box.top;
  const int maxWidth = GetSystemMetrics(SM_CXMAXTRACK), maxHeight = GetSystemMetrics(SM_CYMAXTRACK);
  bool cutWidth = width > maxWidth && rect.right - rect.left < width;
  bool cutHeight = height > maxHeight && rect.bottom - rect.top < height;
  if (!cutWidth && !cutHeight) return true;
  if (MoveWithRaisedLimit(window, box, width, height)) GetWindowRect(window, &rect);
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

}  // namespace

void ReleaseClip(WindowRef window) {
  HWND handle = reinterpret_cast<HWND>(window);
  if (RemovePropA(handle, ClipProperty)) SetWindowRgn(handle, nullptr, TRUE);
}

bool MovePlacedWindow(WindowRef window, int32_t x, const PlacementRequest& request) {
  const bool fill = request.fill != FillNone;
  // A rectangle shows the whole window: a region an earlier fill set goes first.
  if (!fill) ReleaseClip(window);
  MovePlan plan;
  // A fill takes a second look: at the new width a menu bar may take another
  // line. Where the window is as planned already, it is not moved again.
  for (int pass = 0; pass < (fill ? 2 : 1); ++pass) {
    if (!PlanMove(window, x, request, &plan)) {
      SetLastError(ERROR_INVALID_PARAMETER);  // gone, or its monitor went away since the run began
      return false;
    }
    if (!MoveExactly(window, plan.window)) return false;
  }
  if (!fill) return true;
  // The frame would show on a neighbouring monitor. The region goes with the
  // window, so it is set only while a hold watches it: the hold takes it away
  // when anyone else moves, sizes, maximises or restores the window, and when
  // it ends.
  if (plan.clip && request.holdSeconds > 0)
    ClipWindow(reinterpret_cast<HWND>(window), plan.clipBox);
  else
    ReleaseClip(window);
  return true;
}
