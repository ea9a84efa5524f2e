// The owners of top-level windows, read a thread at a time where the desktop
// is crowded: one question per thread instead of one per window.
#include <windows.h>

#include <tlhelp32.h>

#include "placement/owners.h"

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

struct DesktopList {
  HWND windows[FewWindows];
  uint32_t count;
};

BOOL CALLBACK ListWindow(HWND window, LPARAM parameter) {
  DesktopList* list = reinterpret_cast<DesktopList*>(parameter);
  if (list->count == FewWindows) return FALSE;
  list->windows[list->count++] = window;
  return TRUE;
}

// With a list, its windows are visited; without one, the desktop's.
void VisitAll(const DesktopList* list,
              void (*visit)(WindowRef window, uint32_t processId, void* context), void* context) {
  KnownOwners known;
  ZeroMemory(known.windows, sizeof known.windows);
  known.count = 0;
  known.visit = visit;
  known.context = context;
  const KnownOwners* before = enumerating;
  enumerating = &known;
  if (list == nullptr) EnumWindows(VisitWithOwner, reinterpret_cast<LPARAM>(&known));
  for (uint32_t i = 0; list != nullptr && i < list->count; ++i)
    VisitWithOwner(list->windows[i], reinterpret_cast<LPARAM>(&known));
  enumerating = before;
}

struct ThreadVisit {
  void (*visit)(WindowRef window, uint32_t processId, void* context);
  void* context;
  DWORD owner;  // of the thread whose windows come now
};

BOOL CALLBACK VisitThreadWindow(HWND window, LPARAM parameter) {
  const ThreadVisit* pass = reinterpret_cast<const ThreadVisit*>(parameter);
  pass->visit(reinterpret_cast<WindowRef>(window), pass->owner, pass->context);
  return TRUE;
}

}  // namespace

void EnumWindowsOf(uint32_t processId,
                   void (*visit)(WindowRef window, uint32_t processId, void* context),
                   void* context) {
  if (processId == 0) {  // the desktop's order: one walk, however crowded
    VisitAll(nullptr, visit, context);
    return;
  }
  // Even counting the desktop's windows asks after each one: the windows of
  // one program, whose threads are few, come a thread at a time at once.
  DesktopList list;
  list.count = 0;
  const bool one = processId != EveryProcess;
  if (!one) EnumWindows(ListWindow, reinterpret_cast<LPARAM>(&list));
  const bool few = !one && list.count < FewWindows;
  HANDLE threads = few ? INVALID_HANDLE_VALUE : CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (threads == INVALID_HANDLE_VALUE) {
    VisitAll(few ? &list : nullptr, visit, context);
    return;
  }
  THREADENTRY32 thread;
  thread.dwSize = sizeof thread;
  ThreadVisit pass = {visit, context, 0};
  for (BOOL more = Thread32First(threads, &thread); more; more = Thread32Next(threads, &thread)) {
    pass.owner = thread.th32OwnerProcessID;
    if (processId == EveryProcess || pass.owner == processId)
      EnumThreadWindows(thread.th32ThreadID, VisitThreadWindow, reinterpret_cast<LPARAM>(&pass));
  }
  CloseHandle(threads);
}

bool KnownOwner(WindowRef window, uint32_t* processId) {
  DWORD owner = 0;
  if (enumerating == nullptr || !Find(*enumerating, reinterpret_cast<HWND>(window), &owner))
    return false;
  *processId = owner;
  return true;
}
