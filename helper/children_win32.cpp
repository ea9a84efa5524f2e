// What a started program hands over to (a stub's real program, a launcher's
// game) is placed before it is shown, as the started program is. The run's
// job tells of each process that comes into it; a thread of the run's own
// hooks each 64-bit one in context as it starts, with a block of its own,
// and holds the hooks until the run no longer waits. A window such a process
// makes before its hook is set is moved as it is made (handover_win32.cpp).
#include <windows.h>

#include "helper/in_program.h"

// Only the 64-bit run arms a start; the 32-bit twin sets hooks for the host.
#ifdef _WIN64

namespace {

enum { ChildSlots = 8 };  // processes hooked; later ones are moved as their windows are made
const ULONG_PTR JobKey = 1, StopKey = 2;

struct Children {
  HANDLE port, thread;
  EarlyBlock request;  // what each block says
  HANDLE blocks[ChildSlots];
  HWINEVENTHOOK hooks[ChildSlots];
  DWORD ids[ChildSlots];
  int count;
};

// Hooked whatever its bitness, which a process this young may not tell yet:
// a 32-bit one never calls the 64-bit library (Windows would call it in this
// thread, which reads no messages).
__attribute__((always_inline)) inline void Hook(Children* children, DWORD processId) {
  const int slot = children->count;
  if (slot >= ChildSlots) return;
  children->blocks[slot] = MakeBlock(children->request, processId);
  children->hooks[slot] = children->blocks[slot] ? HookProcess(processId) : nullptr;
  children->ids[slot] = processId;
  if (children->hooks[slot]) return (void)++children->count;
  if (children->blocks[slot]) CloseHandle(children->blocks[slot]);
}

DWORD WINAPI Watch(void* parameter) {
  auto* children = static_cast<Children*>(parameter);
  DWORD message;
  ULONG_PTR key;
  OVERLAPPED* data;
  while (GetQueuedCompletionStatus(children->port, &message, &key, &data, INFINITE) &&
         key == JobKey) {
    const DWORD processId = static_cast<DWORD>(reinterpret_cast<uintptr_t>(data));
    if (message == JOB_OBJECT_MSG_NEW_PROCESS && processId != children->request.startedId)
      Hook(children, processId);
  }
  // Hooks go with the thread that set them: removed here.
  for (int slot = 0; slot < children->count; ++slot) {
    UnhookWinEvent(children->hooks[slot]);
    LetGoOfWindow(children->ids[slot]);
    CloseHandle(children->blocks[slot]);
  }
  return 0;
}

}  // namespace

uintptr_t WatchChildren(HANDLE job, const PlacementRequest& request, uint32_t startedId) {
  auto* children =
      static_cast<Children*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(Children)));
  if (!job || !children) return reinterpret_cast<uintptr_t>(children);
  FillEarlyBlock(request, &children->request);
  children->request.startedId = startedId;
  children->port = CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1);
  JOBOBJECT_ASSOCIATE_COMPLETION_PORT association = {reinterpret_cast<void*>(JobKey),
                                                     children->port};
  if (children->port && SetInformationJobObject(job, JobObjectAssociateCompletionPortInformation,
                                                &association, sizeof association))
    children->thread = CreateThread(nullptr, 0, Watch, children, 0, nullptr);
  return reinterpret_cast<uintptr_t>(children);
}

void EndWatchingChildren(uintptr_t watch) {
  auto* children = reinterpret_cast<Children*>(watch);
  if (!children) return;
  // Its last work is bounded (each window told for at most half a second); a
  // thread that still runs after that keeps what it uses.
  if (children->thread) PostQueuedCompletionStatus(children->port, 0, StopKey, nullptr);
  if (children->thread && WaitForSingleObject(children->thread, 10000) != WAIT_OBJECT_0) return;
  if (children->thread) CloseHandle(children->thread);
  if (children->port) CloseHandle(children->port);
  HeapFree(GetProcessHeap(), 0, children);
}

#else

uintptr_t WatchChildren(HANDLE, const PlacementRequest&, uint32_t) { return 0; }
void EndWatchingChildren(uintptr_t) {}

#endif
