// A modal, line-scrolled box showing a long text, with a Copy button.
#pragma once
#include <windows.h>

// Fits the box to the text's widest line and runs it; returns when it is closed.
void ShowTextViewer(HWND owner, const char* text, const char* title);

// The box's dialog procedure: OK and Cancel close it, 103 copies the text,
// the scroll bar scrolls the field by lines.
INT_PTR CALLBACK textboxDlg_Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
