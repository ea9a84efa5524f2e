// A modal, line-scrolled box showing a long text, with a Copy button.
#pragma once
#include <windows.h>

void ShowTextViewer(HWND owner, const char* text, const char* title);
