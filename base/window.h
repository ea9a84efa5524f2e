// A window as every part of the program sees it: its reference, its box, the
// style bits that tell its kind, and the one rule of what a program's main
// window is. The program, the library and the hook host share them. Free of
// the platform.
#pragma once
#include <cstdint>

// A window handle as a plain number; 0 means none.
typedef uintptr_t WindowRef;

enum {
  StyleVisible = 0x10000000,
  StyleMinimized = 0x20000000,
  StyleSystemMenu = 0x00080000,
  StyleMaximized = 0x01000000,
  StyleCaption = 0x00C00000,  // title bar: both bits
  ExStyleToolWindow = 0x00000080,
};

// Pixels between the left edges of a program's main windows placed side by
// side, the first at the rectangle.
enum { CascadeStep = 32 };

struct WindowBox {
  int32_t left, top, right, bottom;
};

// (right - left) x (bottom - top) as the 32-bit system computes it.
int32_t WindowArea(const WindowBox& box);

bool SameBox(const WindowBox& a, const WindowBox& b);

// A main window of a program: visible, unowned, with a caption and a system
// menu, not a tool window (never a dialog, menu, palette, tooltip or splash).
// Minimised and maximised windows are main windows too.
bool IsMainStyle(uint32_t style, uint32_t exStyle, bool owned);
