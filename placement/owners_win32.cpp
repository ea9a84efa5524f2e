// The owners of top-level windows; one program's read a thread at a time:
// one question per thread instead of one per window.
#include <windows.h>

#include "placement/owners.h"
#include "placement/processes.h"

namespace {

struct KnownOwners {
  HWND windows[KnownOwnerSlots];  // null: empty slot
  DWORD owners[KnownOwnerSlots];
  uint32_t count;
  DWORD adding;  // the owner of the thread whose windows are being added
  void (*visit)(WindowRef window, uint32_t processId, void* context);
  void* context;
};

// The table of the enumeration in progress, read by KnownOwner; only the
// enumeration sets it, and puts back what was there when it ends.
const KnownOwners* enumerating = nullptr;

uint32_t Slot(HWND window) {
  return static_cast<uint32_t>((reinterpret_cast<uintptr_t>(window) * 0x9E3779B97F4A7C15ull) >>
                               52) &
         (KnownOwnerSlots - 1);
}

bool Find(const KnownOwners& known, HWND window, DWORD* owner) {
  for (uint32_t slot = Slot(window); known.windows[slot] != nullptr;
       slot = (slot + 1) & (KnownOwnerSlots - 1)) {
    if (known.windows[slot] == window) {
      *owner = known.owners[slot];
      return true;
    }
  }
  return false;
}

BOOL CALLBACK AddThreadWindow(HWND window, LPARAM parameter) {
  KnownOwners* known = reinterpret_cast<KnownOwners*>(parameter);
  if (known->count >= KnownOwnerSlots / 4 * 3) return FALSE;  // full enough: probes stay short
  uint32_t slot = Slot(window);
  while (known->windows[slot] != nullptr && known->windows[slot] != window)
    slot = (slot + 1) & (KnownOwnerSlots - 1);
  if (known->windows[slot] == nullptr) ++known->count;
  known->windows[slot] = window;
  known->owners[slot] = known->adding;
  return TRUE;
}

BOOL CALLBACK VisitWithOwner(HWND window, LPARAM parameter) {
  KnownOwners* known = reinterpret_cast<KnownOwners*>(parameter);
  DWORD owner = 0;
  if (!Find(*known, window, &owner)) {
    const DWORD thread = GetWindowThreadProcessId(window, &owner);
    known->adding = owner;
    if (thread != 0) EnumThreadWindows(thread, AddThreadWindow, parameter);
  }
  known->visit(reinterpret_cast<WindowRef>(window), owner, known->context);
  return TRUE;
}

// The desktop's windows in its order, each with its owner.
void VisitAll(void (*visit)(WindowRef window, uint32_t processId, void* context), void* context) {
  KnownOwners known;
  ZeroMemory(known.windows, sizeof known.windows);
  known.count = 0;
  known.visit = visit;
  known.context = context;
  const KnownOwners* before = enumerating;
  enumerating = &known;
  EnumWindows(VisitWithOwner, reinterpret_cast<LPARAM>(&known));
  enumerating = before;
}

struct ThreadVisit {
  void (*visit)(WindowRef window, uint32_t processId, void* context);
  void* context;
  DWORD owner;  // the process whose windows are asked for
};

BOOL CALLBACK VisitThreadWindow(HWND window, LPARAM parameter) {
  const ThreadVisit* pass = reinterpret_cast<const ThreadVisit*>(parameter);
  pass->visit(reinterpret_cast<WindowRef>(window), pass->owner, pass->context);
  return TRUE;
}

typedef LONG(WINAPI* NextThread)(HANDLE process, HANDLE thread, ACCESS_MASK access,
                                 ULONG attributes, ULONG flags, HANDLE* next);

// A process's threads asked of the process itself, one after another: the
// system's list of every process and thread costs some 45 us a process under
// Wine. False where the process cannot be asked (another user's) or the
// system has no such question.
bool AskThreads(ThreadVisit* pass) {
  const NextThread next = reinterpret_cast<NextThread>(NtdllProcedure("NtGetNextThread"));
  HANDLE process =
      next != nullptr ? OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pass->owner) : nullptr;
  if (process == nullptr) return false;
  HANDLE thread = nullptr, following;
  while (next(process, thread, THREAD_QUERY_LIMITED_INFORMATION, 0, 0, &following) == 0) {
    if (thread != nullptr) CloseHandle(thread);
    thread = following;
    EnumThreadWindows(GetThreadId(thread), VisitThreadWindow, reinterpret_cast<LPARAM>(pass));
  }
  if (thread != nullptr) CloseHandle(thread);
  CloseHandle(process);
  return true;
}

}  // namespace

void EnumWindowsOf(uint32_t processId,
                   void (*visit)(WindowRef window, uint32_t processId, void* context),
                   void* context) {
  // One program's windows, whose threads are few, come a thread at a time;
  // where its threads cannot be asked for, the desktop's windows are walked.
  ThreadVisit pass = {visit, context, processId};
  if (processId == 0 || !AskThreads(&pass)) VisitAll(visit, context);
}

bool KnownOwner(WindowRef window, uint32_t* processId) {
  DWORD owner = 0;
  if (enumerating == nullptr || !Find(*enumerating, reinterpret_cast<HWND>(window), &owner))
    return false;
  *processId = owner;
  return true;
}
