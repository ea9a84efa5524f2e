// The plain half of placing before the show that the library and the hook
// host use: the block's rectangle, the window it is for and its own view of
// it. The objects' names, which the run uses too, are in early_names.cpp, so
// that the program links none of this.
#include "base/early.h"

namespace {
enum : uint32_t { StyleChild = 0x40000000 };
}  // namespace

void FillEarlyBlock(const PlacementRequest& request, EarlyBlock* block) {
  *block = {request.left,
            request.top,
            request.width,
            request.height,
            request.fill,
            request.fillMonitor,
            0,
            0,
            0,
            0};
}

bool IsEarlyMainWindow(uint32_t style, uint32_t exStyle, bool hasParent) {
  return (style & StyleChild) == 0 && IsMainStyle(style | StyleVisible, exStyle, hasParent);
}

namespace {

// As the system's MulDiv: rounded to the nearest, halves away from zero. In
// doubles, which hold every such product exactly and whose quotient never
// strays across a half for a scale of dots per inch: the 32-bit library
// then needs no 64-bit division of the compiler's run-time library.
int32_t Scaled(int32_t value, int numerator, int denominator) {
  const double quotient = static_cast<double>(value) * numerator / denominator;
  const double rounded = quotient >= 0 ? quotient + 0.5 : quotient - 0.5;
  // Past the 32-bit range, which no screen reaches, it stops at the range's end.
  return rounded >= 2147483647.0    ? INT32_MAX
         : rounded <= -2147483648.0 ? INT32_MIN
                                    : static_cast<int32_t>(rounded);
}

}  // namespace

WindowBox OwnViewBox(const WindowBox& box, int awareness, int windowDpi, int screenDpi) {
  const bool scaledView = awareness == 0 || awareness == 1;
  if (!scaledView || windowDpi <= 0 || screenDpi <= 0 || windowDpi == screenDpi) return box;
  return {Scaled(box.left, windowDpi, screenDpi), Scaled(box.top, windowDpi, screenDpi),
          Scaled(box.right, windowDpi, screenDpi), Scaled(box.bottom, windowDpi, screenDpi)};
}
