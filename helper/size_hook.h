// What the run and the companion library agree on to move a window past the
// system's maximum tracking size: the hook's export, and the window property
// that carries the size asked for (width in the low 32 bits, height above).
#pragma once
#include <cstdint>

#define SIZE_HOOK_EXPORT "_sizehook@12"
#define SIZE_HOOK_PROPERTY "TavrisolExactSize"

inline uint64_t PackHookSize(int32_t width, int32_t height) {
  return static_cast<uint32_t>(width) | static_cast<uint64_t>(static_cast<uint32_t>(height)) << 32;
}
