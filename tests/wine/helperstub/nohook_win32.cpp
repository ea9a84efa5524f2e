// A library that lacks the arming procedure: only the hook procedure is
// exported, so the editor must report the missing procedures and still open.
#include "base/library.h"

extern "C" LRESULT CALLBACK MouseHook(int code, WPARAM wParam, LPARAM lParam) {
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
