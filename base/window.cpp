// The main-window rule and the box arithmetic, which the window stage builds
// on and the library needs inside the program without the rest of that stage.
#include "base/window.h"

bool SameBox(const WindowBox& a, const WindowBox& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

int32_t WindowArea(const WindowBox& box) {
  uint32_t width = static_cast<uint32_t>(box.right) - static_cast<uint32_t>(box.left);
  uint32_t height = static_cast<uint32_t>(box.bottom) - static_cast<uint32_t>(box.top);
  return static_cast<int32_t>(width * height);
}

bool IsMainStyle(uint32_t style, uint32_t exStyle, bool owned) {
  return (style & StyleVisible) != 0 && (style & StyleCaption) == StyleCaption &&
         (style & StyleSystemMenu) != 0 && (exStyle & ExStyleToolWindow) == 0 && !owned;
}
