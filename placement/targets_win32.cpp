// The window functions of the scan and the move stage on the system. A call
// that waits for another program's thread is bounded: a hung window never
// holds the run.
#include <windows.h>

#include "placement/bounded.h"
#include "placement/handover.h"
#include "placement/marks.h"
#include "placement/move.h"
#include "placement/owners.h"
#include "placement/targets.h"

namespace {

HWND AsHwnd(WindowRef window) { return reinterpret_cast<HWND>(window); }

struct EnumVisit {
  void (*visit)(WindowRef window, void* context);
  void* context;
};

void VisitTopLevel(WindowRef window, uint32_t, void* parameter) {
  EnumVisit* visit = static_cast<EnumVisit*>(parameter);
  visit->visit(window, visit->context);
}

// On a crowded desktop one process's windows come a thread at a time, which
// costs far less under Wine (EnumWindowsOf).
void EnumAllWindows(uint32_t processId, void (*visit)(WindowRef window, void* context),
                    void* context) {
  EnumVisit pass = {visit, context};
  EnumWindowsOf(processId, VisitTopLevel, &pass);
}

uint32_t OwnerProcess(WindowRef window) {
  uint32_t processId = 0;
  if (KnownOwner(window, &processId)) return processId;
  DWORD owner = 0;
  GetWindowThreadProcessId(AsHwnd(window), &owner);
  return owner;
}

bool ReadWindowBox(WindowRef window, WindowBox* box) {
  RECT rect;
  if (!GetWindowRect(AsHwnd(window), &rect)) return false;
  box->left = rect.left;
  box->top = rect.top;
  box->right = rect.right;
  box->bottom = rect.bottom;
  return true;
}

bool ReadWindowStyles(WindowRef window, uint32_t* style, uint32_t* exStyle) {
  WINDOWINFO info;
  ZeroMemory(&info, sizeof info);
  info.cbSize = sizeof info;
  if (!GetWindowInfo(AsHwnd(window), &info)) return false;
  *style = info.dwStyle;
  *exStyle = info.dwExStyle;
  return true;
}

void RestoreNow(void* window) { ShowWindow(*static_cast<HWND*>(window), SW_RESTORE); }

void ShowRestored(WindowRef window) {
  HWND handle = AsHwnd(window);
  CallWithin(AnswerTimeoutMs, RestoreNow, &handle, sizeof handle);
}

void Pause(uint32_t milliseconds) { WaitPumping(nullptr, 0, milliseconds); }

struct MoveCall {
  WindowRef window;
  int32_t x;
  PlacementRequest request;
  bool moved;
  DWORD error;
};

void MoveNow(void* context) {
  MoveCall* move = static_cast<MoveCall*>(context);
  move->moved = MovePlacedWindow(move->window, move->x, move->request);
  move->error = GetLastError();
}

// A move that does not return in time leaves CallTimedOutError: the window
// stopped answering after it was asked whether it does.
bool MoveTo(WindowRef window, int32_t x, const PlacementRequest& request) {
  MoveCall move = {window, x, request, false, 0};
  if (!CallWithin(MoveBoundMs, MoveNow, &move, sizeof move)) move.error = CallTimedOutError;
  SetLastError(move.error);
  return move.moved;
}

void BringForward(WindowRef window) { SetForegroundWindow(AsHwnd(window)); }

bool Answers(WindowRef window) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(AsHwnd(window), WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                             AnswerTimeoutMs, &result) != 0;
}

uint32_t LastError() { return GetLastError(); }

bool HasOwner(WindowRef window) { return GetWindow(AsHwnd(window), GW_OWNER) != nullptr; }

uint32_t OwnProcessId() { return GetCurrentProcessId(); }

WindowRef Foreground() { return reinterpret_cast<WindowRef>(GetForegroundWindow()); }

// Wide, so that titles no code page holds still differ; another program's
// title is read from the system, never asked of the window.
uint32_t TitleHash(WindowRef window) {
  wchar_t title[256];
  const int length = GetWindowTextW(AsHwnd(window), title, 256);
  uint64_t hash = HashStart;
  for (int i = 0; i < length; ++i) hash = HashUnit(hash, title[i]);
  return length > 0 ? static_cast<uint32_t>(hash ^ (hash >> 32)) : 0;
}

}  // namespace

const WindowOps SystemWindowOps = {
    .enumWindows = EnumAllWindows,
    .ownerProcess = OwnerProcess,
    .windowBox = ReadWindowBox,
    .windowStyles = ReadWindowStyles,
    .showRestored = ShowRestored,
    .pause = Pause,
    .moveWindow = MoveTo,
    .setForeground = BringForward,
    .answers = Answers,
    .atPlace = WhereItIsPlanned,
    .lastError = LastError,
    .hasOwner = HasOwner,
    .placedBy = PlacedBy,
    .markPlaced = MarkPlaced,
    .ownProcessId = OwnProcessId,
    .foregroundWindow = Foreground,
    .titleHash = TitleHash,
};

bool ScanTargetWindows(WindowState* state, uint32_t processId) {
  return ScanTargetWindows(SystemWindowOps, state, processId);
}

PlaceResult PlaceTargetWindows(WindowState* state, const PlacementRequest& request) {
  return PlaceTargetWindows(SystemWindowOps, state, request);
}
