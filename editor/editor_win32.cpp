#include <windows.h>

#include "diag/diag.h"
#include "editor/editor.h"

// Stand-in until the editor window exists.
int RunEditor(HINSTANCE, int) {
  MessageReport(CaptionError, "The editor is not available yet");
  return 0;
}

LRESULT CALLBACK editorWnd_Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}
