// The window property that carries the size a move past the system's maximum
// tracking size asks for (width in the low 16 bits, height above), from the
// library's move to its hook on the window's thread.
#pragma once
#include <cstdint>

#define SIZE_HOOK_PROPERTY "TavrisolExactSize"

// Fits a 32-bit program's property too: sizes up to 65535 pixels.
inline uint32_t PackHookSize(int32_t width, int32_t height) {
  return (static_cast<uint32_t>(width) & 0xFFFFu) | static_cast<uint32_t>(height) << 16;
}
