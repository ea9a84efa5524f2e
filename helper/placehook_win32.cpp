// The CBT hook that places a started program's first main window before it is
// shown. The run sets it on the program's main thread before the program
// runs; in the program, the first main window is subclassed as it is created
// and given the rectangle of the run's block at every move or size until it is
// first shown. Then the subclass goes and the run is told, so that the hook
// can be removed and the library taken out of the program.
#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include "helper/place_hook.h"
#include "placement/early.h"
#include "placement/fill.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

// This process's share, written by the hook and the subclass on the
// program's thread only.
bool looking = true;       // until the first main window: taken, or not this process's
HWND placing;              // the window being placed
WNDPROC programProcedure;  // its procedure before the subclass
bool wide;                 // a Unicode window: its procedure is set and called wide
EarlyBlock request;

HMODULE Self() { return reinterpret_cast<HMODULE>(&__ImageBase); }

// The block of this process, read and, with a window, written back; false
// when there is none.
bool UseBlock(HWND window) {
  char name[EarlyNameSize];
  EarlyObjectName(EarlyBlockName, GetCurrentProcessId(), name, sizeof name);
  HANDLE mapping = OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name);
  if (!mapping) return false;
  auto* block = static_cast<EarlyBlock*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
  if (block) {
    request = *block;
    if (window) block->window = reinterpret_cast<uintptr_t>(window);
    if (window) block->library = reinterpret_cast<uintptr_t>(Self());
    UnmapViewOfFile(block);
  }
  CloseHandle(mapping);
  return block != nullptr;
}

// Gives the move the block's rectangle, past the system's size limit too.
void Force(HWND window, WINDOWPOS* position) {
  if (GetWindowLongA(window, GWL_STYLE) & (WS_MINIMIZE | WS_MAXIMIZE)) return;
  WindowBox box = {request.left, request.top, request.left + request.width,
                   request.top + request.height};
  FillPlan plan;
  WindowBox outer;
  PlacementRequest fill = {0, 0, 0, 0, nullptr, 0, request.fill, request.fillMonitor};
  if (request.fill != FillNone &&
      !PlanWindowFill(reinterpret_cast<WindowRef>(window), fill, &plan, &outer))
    return;
  if (request.fill != FillNone) box = plan.window;
  position->x = box.left;
  position->y = box.top;
  position->cx = box.right - box.left;
  position->cy = box.bottom - box.top;
  position->flags &= ~(SWP_NOMOVE | SWP_NOSIZE);
}

LRESULT CALLBACK PlacingProcedure(HWND, UINT, WPARAM, LPARAM);

// Takes the subclass away; when the program subclassed the window after us,
// ours stays, and the library with it, for good.
void Release(HWND window) {
  placing = nullptr;
  auto set = wide ? SetWindowLongPtrW : SetWindowLongPtrA;
  auto get = wide ? GetWindowLongPtrW : GetWindowLongPtrA;
  if (get(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(PlacingProcedure)) {
    set(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(programProcedure));
    return;
  }
  HMODULE pinned;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCSTR>(&PlacingProcedure), &pinned);
}

void TellRun() {
  char name[EarlyNameSize];
  EarlyObjectName(EarlyPlacedName, GetCurrentProcessId(), name, sizeof name);
  HANDLE placed = OpenEventA(EVENT_MODIFY_STATE, FALSE, name);
  if (placed) {
    SetEvent(placed);
    CloseHandle(placed);
  }
}

LRESULT CALLBACK PlacingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC program = programProcedure;
  if (window == placing && message == RegisterWindowMessageA(PLACE_RELEASE_MESSAGE)) {
    Release(window);
    return 0;
  }
  LRESULT result = wide ? CallWindowProcW(program, window, message, wParam, lParam)
                        : CallWindowProcA(program, window, message, wParam, lParam);
  auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
  // After the program's own answer, which the system's size limit is part of.
  if (window == placing && message == WM_WINDOWPOSCHANGING) Force(window, position);
  if (window == placing && message == WM_WINDOWPOSCHANGED && (position->flags & SWP_SHOWWINDOW)) {
    Release(window);
    TellRun();
  }
  return result;
}

}  // namespace

// The first window created that will be a main window is the one placed.
extern "C" LRESULT CALLBACK PlaceHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && looking) {
    const CREATESTRUCTA* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
    HWND window = reinterpret_cast<HWND>(wParam);
    if (IsEarlyMainWindow(create->style, create->dwExStyle, create->hwndParent != nullptr)) {
      const bool named = UseBlock(window);
      looking = false;  // one window only; none in a process the block does not name
      if (named) {
        placing = window;
        wide = IsWindowUnicode(window);
        auto set = wide ? SetWindowLongPtrW : SetWindowLongPtrA;
        programProcedure = reinterpret_cast<WNDPROC>(
            set(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PlacingProcedure)));
      }
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

extern "C" HHOOK WINAPI HookPlacing(DWORD thread, BOOL desktop) {
  HHOOK hook = desktop ? nullptr : SetWindowsHookExA(WH_CBT, PlaceHook, Self(), thread);
  return hook ? hook : SetWindowsHookExA(WH_CBT, PlaceHook, Self(), 0);
}

namespace {

// The library's module in the process: the one the block names while it is
// still this file (a look at one module), else found in the list of all.
HMODULE LoadedIn(HANDLE process, DWORD processId, HMODULE named, const char* own) {
  char path[MAX_PATH];
  if (named)
    return K32GetModuleFileNameExA(process, named, path, sizeof path) && lstrcmpiA(path, own) == 0
               ? named
               : nullptr;
  HANDLE modules = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, processId);
  if (modules == INVALID_HANDLE_VALUE) return nullptr;
  MODULEENTRY32 module;
  module.dwSize = sizeof module;
  HMODULE left = nullptr;
  for (BOOL more = Module32First(modules, &module); more; more = Module32Next(modules, &module))
    if (lstrcmpiA(module.szExePath, own) == 0) left = module.hModule;
  CloseHandle(modules);
  return left;
}

}  // namespace

// The system unloads a library whose hook is removed when the program's
// thread next runs a message, and Wine never does: a message first, then
// FreeLibrary in the program for what is left.
extern "C" void WINAPI LeaveProgram(DWORD processId, HWND window) {
  char name[EarlyNameSize];
  EarlyObjectName(EarlyBlockName, processId, name, sizeof name);
  HANDLE mapping = window ? nullptr : OpenFileMappingA(FILE_MAP_READ, FALSE, name);
  HMODULE named = nullptr;
  if (auto* block = mapping
                        ? static_cast<EarlyBlock*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0))
                        : nullptr) {
    window = reinterpret_cast<HWND>(static_cast<uintptr_t>(block->window));
    named = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(block->library));
    UnmapViewOfFile(block);
  }
  if (mapping) CloseHandle(mapping);
  DWORD_PTR answer;
  if (window)
    SendMessageTimeoutA(window, RegisterWindowMessageA(PLACE_RELEASE_MESSAGE), 0, 0,
                        SMTO_ABORTIFHUNG, 1000, &answer);
  char own[MAX_PATH];
  if (!GetModuleFileNameA(Self(), own, sizeof own)) return;
  HANDLE process = OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION |
                                   PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE,
                               FALSE, processId);
  if (!process) return;
  HMODULE left = LoadedIn(process, processId, named, own);
  auto freeLibrary = reinterpret_cast<LPTHREAD_START_ROUTINE>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "FreeLibrary")));
  HANDLE thread =
      left ? CreateRemoteThread(process, nullptr, 0, freeLibrary, left, 0, nullptr) : nullptr;
  if (thread) {
    WaitForSingleObject(thread, 1000);
    CloseHandle(thread);
  }
  CloseHandle(process);
}
