// A call made on a thread of its own, waited for within a bound (bounded.h).
// The block that carries the call's context belongs to both threads: whoever
// lets go of it last frees it, so a call that outlives its wait still has it.
#include <windows.h>

#include "placement/bounded.h"

namespace {

struct BoundedCall {
  LONG holders;  // the caller and the call's thread
  void (*call)(void* context);
  // the context's copy follows
};

void LetGo(BoundedCall* block) {
  if (InterlockedDecrement(&block->holders) == 0) HeapFree(GetProcessHeap(), 0, block);
}

DWORD WINAPI RunCall(void* parameter) {
  BoundedCall* block = static_cast<BoundedCall*>(parameter);
  block->call(block + 1);
  LetGo(block);
  return 0;
}

}  // namespace

bool CallWithin(uint32_t milliseconds, void (*call)(void* context), void* context, size_t size) {
  auto* block =
      static_cast<BoundedCall*>(HeapAlloc(GetProcessHeap(), 0, sizeof(BoundedCall) + size));
  HANDLE thread = nullptr;
  if (block != nullptr) {
    *block = {2, call};
    CopyMemory(block + 1, context, size);
    thread = CreateThread(nullptr, 0, RunCall, block, 0, nullptr);
  }
  if (thread == nullptr) {
    if (block != nullptr) HeapFree(GetProcessHeap(), 0, block);
    call(context);
    return true;
  }
  const bool returned = WaitForSingleObject(thread, milliseconds) == WAIT_OBJECT_0;
  CloseHandle(thread);
  if (returned) CopyMemory(context, block + 1, size);
  LetGo(block);
  return returned;
}
