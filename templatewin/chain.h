// The chain of built controls and their keyboard navigation.
#pragma once
#include <windows.h>

struct ChainNode {
  ChainNode* next;  // first field: a head variable serves as a pseudo-node
  ChainNode* back;  // ring of back links, closed after the build
  HWND window;
  WNDPROC savedProc;
  int navigable;
};

extern ChainNode* chainHead;
extern HFONT templateFont;

ChainNode* AppendChainNode(ChainNode** headHolder, int elementSize);
void FreeChain(ChainNode** headHolder);
LRESULT CALLBACK chainedCtl_Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// A drop-down combo box keeps the keyboard focus in an edit field of its own;
// Tab and Escape typed there are handed to the combo box's chain handling.
void SubclassComboEdit(HWND control);
int DestroyBuiltControls();
void CenterOnDesktop(HWND window);
