// The program's part of a move: a window goes exactly where the plan says,
// also past the system's size limit, and a fill keeps to its monitor.
#include <windows.h>

#include "base/library.h"
#include "diag/diag.h"
#include "placement/grid.h"
#include "placement/library_load.h"
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
  HMODULE library = static_cast<HMODULE>(LoadOwnLibrary());
  auto move = library ? LIBRARY_PROCEDURE(library, MoveRaised) : nullptr;
  bool moved = move && move(window, box.left, box.top, width, height);
  if (library) FreeLibrary(library);
  return moved;
}

bool AtBox(HWND window, const WindowBox& box) {
  RECT rect;
  return GetWindowRect(window, &rect) &&
         SameBox({rect.left, rect.top, rect.right, rect.bottom}, box);
}

bool MoveExactly(WindowRef ref, const WindowBox& box) {
  HWND window = reinterpret_cast<HWND>(ref);
  RECT rect;
  // A window placed before it was shown is left as it is: moving it again
  // would cut a size past the system's limit.
  if (AtBox(window, box)) return true;
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
  // A window that keeps a size grid ends short of the limit: the limit did not
  // cut it, and the grid's trace says what it took.
  const bool exact = w == width && h == height;
  if (exact || (width > maxWidth && w == maxWidth) || (height > maxHeight && h == maxHeight))
    TraceLine(exact ? "window %x sized %ldx%ld past the system's limit\r\n"
                    : "window %x kept at %ldx%ld, the size the system allows\r\n",
              static_cast<unsigned>(ref), w, h);
  return true;
}

enum GridResult { GridFailed, GridNone, GridFitted, GridGrown };

// The move to box. A window that takes another size keeps a grid of its own
// (grid.h) and is fitted to it; it takes its size once it has handled what the
// move left it to do (a console, from a message it posts itself).
GridResult MoveToGrid(WindowRef ref, const WindowBox& box, bool cover) {
  HWND window = reinterpret_cast<HWND>(ref);
  const int32_t width = box.right - box.left, height = box.bottom - box.top;
  GridFit fit = {{width, height}, {width, height}, 1, cover, {}, {}};
  int32_t taken[2];
  do {
    if (!MoveExactly(ref, {box.left, box.top, box.left + fit.ask[0], box.top + fit.ask[1]}))
      return GridFailed;
    DWORD_PTR ignored;
    for (int i = 0; i < 2; ++i)
      SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, AnswerTimeoutMs, &ignored);
    RECT rect;
    if (!GetWindowRect(window, &rect)) return GridNone;
    taken[0] = rect.right - rect.left;
    taken[1] = rect.bottom - rect.top;
  } while (GridAnswer(&fit, taken));
  if (taken[0] == width && taken[1] == height) return GridNone;
  TraceLine("window %x asked %ldx%ld, took %ldx%ld, the size it accepts\r\n",
            static_cast<unsigned>(ref), static_cast<long>(width), static_cast<long>(height),
            static_cast<long>(taken[0]), static_cast<long>(taken[1]));
  return taken[0] > width || taken[1] > height ? GridGrown : GridFitted;
}

}  // namespace

bool WhereItIsPlanned(WindowRef window, int32_t x, const PlacementRequest& request) {
  HWND handle = reinterpret_cast<HWND>(window);
  MovePlan plan;
  return !GetPropA(handle, ClipProperty) && PlanMove(window, x, request, &plan) &&
         !(plan.clip && request.holdSeconds > 0) && AtBox(handle, plan.window);
}

void ReleaseClip(WindowRef window) {
  HWND handle = reinterpret_cast<HWND>(window);
  if (RemovePropA(handle, ClipProperty)) SetWindowRgn(handle, nullptr, TRUE);
}

bool MovePlacedWindow(WindowRef window, int32_t x, const PlacementRequest& request) {
  const bool fill = request.fill != FillNone;
  // A rectangle shows the whole window: a region an earlier fill set goes first.
  if (!fill) ReleaseClip(window);
  MovePlan plan;
  GridResult grid = GridNone;
  // A fill takes a second look: at the new width a menu bar may take another
  // line. Where the window is as planned already, it is not moved again; one
  // that keeps a size grid is fitted to it once.
  for (int pass = 0; pass < (fill ? 2 : 1); ++pass) {
    if (!PlanMove(window, x, request, &plan)) {
      SetLastError(ERROR_INVALID_PARAMETER);  // gone, or its monitor went away since the run began
      return false;
    }
    grid = MoveToGrid(window, plan.window, fill);
    if (grid == GridFailed) return false;
    if (grid != GridNone) break;
  }
  if (!fill) return true;
  // The frame would show on a neighbouring monitor, or a grid window grown
  // to cover its monitor past it. The region goes with the window, so it is
  // set only while a hold watches it: the hold takes it away when anyone else
  // moves, sizes, maximises or restores the window, and when it ends.
  if ((plan.clip || grid == GridGrown) && request.holdSeconds > 0)
    ClipWindow(reinterpret_cast<HWND>(window), plan.clipBox);
  else
    ReleaseClip(window);
  return true;
}
