// The target's windows: one scan over the desktop's top-level windows records
// the target process's largest visible window and the visible windows with a
// system menu; the move stage then puts them where the request says.
#pragma once
#include <cstdint>

#include "base/window.h"
#include "placement/command.h"

enum {
  CandidateSlots = 15,
  RestorePauseMs = 500,    // lets a restored window settle before it is moved
  AnswerTimeoutMs = 5000,  // how long a window may take to answer before it counts as hung
  MoveBoundMs = 20000,     // a move may wait up to 10 s for the 32-bit hook host
};

// The mark of a window the user took over from a hold: never a process id,
// which are multiples of four.
enum : uint32_t { ReleasedMark = 1 };

// A window the run moved, and where: what a hold keeps in place. Its top and
// size are the request's; only the cascade makes x differ.
struct PlacedWindow {
  WindowRef window;  // 0: empty slot
  int32_t x;         // the left edge it was moved to
  WindowBox box;     // its rectangle right after that move
  bool silent;       // did not answer at the last try (traced once)
  bool released;     // the user took it over: never put back, its mark kept
};

enum { PlacedSlots = CandidateSlots + 1 };  // one more for a target found while holding

// What the scans of a run find, empty at start and only ever added to, and
// the windows the run and its hold placed; handed to the move stage and from
// the run to its hold.
struct WindowState {
  WindowRef targetWindow;  // the largest main window, else the largest other (ScanWindow)
  int32_t targetArea;      // 0 while none is chosen
  bool targetIsMain;
  WindowRef candidateTable[CandidateSlots];  // main windows, in the order met
  PlacedWindow placedTable[PlacedSlots];
  const char* program;  // the canonical path the marks name, with the command's arguments
  const char* command;  // in UTF-8 (Program::command)
};

// What the scan and the move stage need from the system.
struct WindowOps {
  // Calls visit once for every top-level window, in the system's order; given
  // a process (0: none), at least for every one of that process's, in order.
  void (*enumWindows)(uint32_t processId, void (*visit)(WindowRef window, void* context),
                      void* context);
  uint32_t (*ownerProcess)(WindowRef window);
  // Both false, leaving what they fill untouched, when the window is gone.
  bool (*windowBox)(WindowRef window, WindowBox* box);
  bool (*windowStyles)(WindowRef window, uint32_t* style, uint32_t* exStyle);
  void (*showRestored)(WindowRef window);
  // Waits, handing the system's events to this thread meanwhile.
  void (*pause)(uint32_t milliseconds);
  // MovePlacedWindow; one that did not return within MoveBoundMs leaves
  // CallTimedOutError as the last error.
  bool (*moveWindow)(WindowRef window, int32_t x, const PlacementRequest& request);
  void (*setForeground)(WindowRef window);
  bool (*answers)(WindowRef window);  // within AnswerTimeoutMs
  // Whether the window is where the move would put it, with nothing left to
  // do (WhereItIsPlanned).
  bool (*atPlace)(WindowRef window, int32_t x, const PlacementRequest& request);
  uint32_t (*lastError)();
  bool (*hasOwner)(WindowRef window);
  // Every window a run moves is marked with the id of the process that moved
  // it, so that an older hold can see that a newer run took the window over,
  // and with the command it was placed for (when program is not null), so
  // that a later run finds it whatever became of the process that started it.
  uint32_t (*placedBy)(WindowRef window);  // 0 when unmarked
  void (*markPlaced)(WindowRef window, uint32_t mark, const char* program, const char* command);
  uint32_t (*ownProcessId)();
  WindowRef (*foregroundWindow)();
  // A hash of the window's title as the system holds it, read without asking
  // the window; 0 when it has none.
  uint32_t (*titleHash)(WindowRef window);
};

// Why a window of the run was not moved.
enum UnmovedReason { UnmovedNone, UnmovedNotResponding, UnmovedMoveFailed };

// What the move stage did; when some windows were not moved, the first reason.
struct PlaceResult {
  int moved;
  UnmovedReason reason;
  uint32_t error;  // the system's, for a failed move
};

// The main-window rule (IsMainStyle) for a window of the system.
bool IsMainWindow(const WindowOps& ops, WindowRef window);

// The scan's step for one top-level window of the process: a visible unowned
// one that is no tool window becomes the target when it beats the one chosen,
// and a main window joins the candidates.
void ScanWindow(const WindowOps& ops, WindowState* state, WindowRef window, uint32_t processId);

// True when a targetWindow is chosen.
bool ScanTargetWindows(const WindowOps& ops, WindowState* state, uint32_t processId);

void RestoreIfMinimized(const WindowOps& ops, WindowRef window);

// The trace lines of a move that succeeded and of one that failed.
struct PlaceTraces {
  const char* moved;
  const char* failed;
};
extern const char NotRespondingTrace[];
extern const PlaceTraces CandidateTraces;
extern const PlaceTraces LoneTraces;  // the targetWindow alone

// Restores and moves one window to x and the request's top and size, unless it
// does not answer; marks it as this process's, records it in the state's
// placedTable and counts it in result. Returns whether it was moved.
bool PlaceWindow(const WindowOps& ops, WindowState* state, WindowRef window, int32_t x,
                 const PlacementRequest& request, const PlaceTraces& traces, PlaceResult* result);

// Cascades the candidates from the request's left edge, or moves the
// targetWindow alone when there are none; then brings the targetWindow forward.
// A window that does not answer is neither restored nor moved.
PlaceResult PlaceTargetWindows(const WindowOps& ops, WindowState* state,
                               const PlacementRequest& request);

// The system's window functions, and the same over them (targets_win32.cpp).
extern const WindowOps SystemWindowOps;
bool ScanTargetWindows(WindowState* state, uint32_t processId);
PlaceResult PlaceTargetWindows(WindowState* state, const PlacementRequest& request);
