// The WH_CALLWNDPROCRET hook that lets one window take a size beyond the
// system's maximum tracking size (about the screen plus its frame). The run
// sets it on the window's thread for one move only and leaves the size it
// asks for on the window as a property; the hook raises the limit after the
// window procedure has filled it in, so the program's own answer still counts
// below that size.
#include <windows.h>

#include "base/moveplan.h"
#include "helper/in_program.h"
#include "helper/size_hook.h"

extern "C" LRESULT CALLBACK SizeHook(int code, WPARAM wParam, LPARAM lParam) {
  LibraryFrame frame;
  auto* call = reinterpret_cast<CWPRETSTRUCT*>(lParam);
  if (code >= 0 && call->message == WM_GETMINMAXINFO) {
    auto asked = static_cast<uint32_t>(
        reinterpret_cast<uintptr_t>(GetPropA(call->hwnd, SIZE_HOOK_PROPERTY)));
    auto* info = reinterpret_cast<MINMAXINFO*>(call->lParam);
    LONG width = static_cast<LONG>(asked & 0xFFFFu), height = static_cast<LONG>(asked >> 16);
    if (asked != 0 && info->ptMaxTrackSize.x < width) info->ptMaxTrackSize.x = width;
    if (asked != 0 && info->ptMaxTrackSize.y < height) info->ptMaxTrackSize.y = height;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The move with the hook on the window's thread, which the system calls
// there during the move; once the hook is removed, the system takes the
// library out of the program again. For a 32-bit program through the 32-bit
// host. False when the hook could not be set (higher rights, no host, a
// window whose thread is gone: a hook on thread 0 would be on every thread).
extern "C" BOOL WINAPI MoveRaised(HWND window, int x, int y, int width, int height) {
  DWORD process = 0;
  const DWORD thread = GetWindowThreadProcessId(window, &process);
  if (thread == 0) return FALSE;
#ifdef _WIN64
  HANDLE program = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
  BOOL other = FALSE;
  if (program) IsWow64Process(program, &other);
  if (program) CloseHandle(program);
  if (other) {
    char arguments[64];
    // A window handle's 32 bits, as the host reads every number: signed.
    wsprintfA(arguments, "%d,%d,%d,%d,%d",
              static_cast<int>(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window))), x, y,
              width, height);
    HANDLE host = StartHookHost(arguments);
    DWORD code = 1;
    if (host && WaitForSingleObject(host, 10000) == WAIT_OBJECT_0) GetExitCodeProcess(host, &code);
    if (host) CloseHandle(host);
    return code == 0;
  }
#endif
  HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROCRET, SizeHook, ThisLibrary(), thread);
  if (!hook) return FALSE;
  SetPropA(window, SIZE_HOOK_PROPERTY,
           reinterpret_cast<HANDLE>(static_cast<uintptr_t>(PackHookSize(width, height))));
  SetWindowBox(reinterpret_cast<WindowRef>(window), {x, y, x + width, y + height}, false);
  UnhookWindowsHookEx(hook);
  RemovePropA(window, SIZE_HOOK_PROPERTY);
  return TRUE;
}
