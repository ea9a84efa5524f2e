// The plain half of placing before the show: the objects' names and the
// block's rectangle, shared by the run, the library and the hook host.
#include "base/early.h"

#include "diag/format.h"

namespace {
enum : uint32_t { StyleChild = 0x40000000 };
}  // namespace

bool EarlyObjectName(EarlyObject kind, uint32_t processId, char* name, size_t size) {
  static const char* const kinds[] = {"Block", "Placed", "Hooked", "Release", "Start", "Go"};
  int n = FormatText(name, size, "TavrisolPlace%s%u", kinds[kind], processId);
  return n > 0 && static_cast<size_t>(n) < size;
}

void FillEarlyBlock(const PlacementRequest& request, EarlyBlock* block) {
  *block = {request.left,
            request.top,
            request.width,
            request.height,
            request.fill,
            request.fillMonitor,
            0,
            0,
            0};
}

bool IsEarlyMainWindow(uint32_t style, uint32_t exStyle, bool hasParent) {
  return (style & StyleChild) == 0 && IsMainStyle(style | StyleVisible, exStyle, hasParent);
}

namespace {

// As the system's MulDiv: rounded to the nearest, halves away from zero.
__attribute__((always_inline)) inline int32_t Scaled(int32_t value, int numerator,
                                                     int denominator) {
  const int64_t product = static_cast<int64_t>(value) * numerator;
  const int64_t half = denominator / 2;
  return static_cast<int32_t>(product >= 0 ? (product + half) / denominator
                                           : (product - half) / denominator);
}

}  // namespace

WindowBox OwnViewBox(const WindowBox& box, int awareness, int windowDpi, int screenDpi) {
  const bool scaledView = awareness == 0 || awareness == 1;
  if (!scaledView || windowDpi <= 0 || screenDpi <= 0 || windowDpi == screenDpi) return box;
  return {Scaled(box.left, windowDpi, screenDpi), Scaled(box.top, windowDpi, screenDpi),
          Scaled(box.right, windowDpi, screenDpi), Scaled(box.bottom, windowDpi, screenDpi)};
}
