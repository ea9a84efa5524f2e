// What the run and the companion library agree on to move a window past the
// system's maximum tracking size: the hook's export, and the window property
// that carries the size asked for (width in the low 16 bits, height above).
#pragma once
#include <cstdint>

#define SIZE_HOOK_EXPORT "_sizehook@12"
// BOOL MoveRaised(HWND, int x, int y, int width, int height): the move with the
// hook set for it and removed again, also for a 32-bit program.
#define MOVE_RAISED_EXPORT "_moveraised@20"
#define SIZE_HOOK_PROPERTY "TavrisolExactSize"

// Fits a 32-bit program's property too: sizes up to 65535 pixels.
inline uint32_t PackHookSize(int32_t width, int32_t height) {
  return (static_cast<uint32_t>(width) & 0xFFFFu) | static_cast<uint32_t>(height) << 16;
}
