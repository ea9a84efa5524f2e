// The run's calls into the library for placing before the show. The work is
// the library's, so that the program stays within its size and the 32-bit
// host can do the same for a 32-bit program.
#include <windows.h>

#include "placement/companion.h"
#include "placement/early.h"

namespace {

template <typename Procedure>
Procedure Export(uintptr_t library, const char* name) {
  return reinterpret_cast<Procedure>(
      reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(library), name)));
}

}  // namespace

// The work is the library's; the run keeps it loaded while it places.
void PrepareEarlyPlacement(EarlyPlacing* placing) {
  *placing = EarlyPlacing();
  placing->library = reinterpret_cast<uintptr_t>(LoadCompanionLibrary());
  auto prepare = Export<void(WINAPI*)(EarlyPlacing*)>(placing->library, PREPARE_PLACING_EXPORT);
  if (prepare) prepare(placing);
}

void ArmEarlyPlacement(const PlacementRequest& request, uintptr_t process, uint32_t processId,
                       uint32_t threadId, uintptr_t job, EarlyPlacing* placing) {
  auto arm =
      Export<void(WINAPI*)(const PlacementRequest*, HANDLE, DWORD, DWORD, HANDLE, EarlyPlacing*)>(
          placing->library, ARM_PLACING_EXPORT);
  if (arm)
    arm(&request, reinterpret_cast<HANDLE>(process), processId, threadId,
        reinterpret_cast<HANDLE>(job), placing);
}

bool ResumeStarted(uintptr_t thread, EarlyPlacing* placing) {
  auto resume =
      Export<BOOL(WINAPI*)(HANDLE, EarlyPlacing*)>(placing->library, RESUME_PLACING_EXPORT);
  const bool resumed = resume ? resume(reinterpret_cast<HANDLE>(thread), placing) != FALSE
                              : ResumeThread(reinterpret_cast<HANDLE>(thread)) != ~DWORD{0};
  if (placing->placed == 0 && placing->library != 0) {
    FreeLibrary(reinterpret_cast<HMODULE>(placing->library));
    placing->library = 0;
  }
  return resumed;
}

bool AwaitEarlyPlacement(EarlyPlacing* placing, uintptr_t process, uint32_t settleMs,
                         uint32_t limitMs) {
  auto wait = Export<BOOL(WINAPI*)(EarlyPlacing*, HANDLE, DWORD, DWORD)>(placing->library,
                                                                         AWAIT_PLACING_EXPORT);
  return wait && wait(placing, reinterpret_cast<HANDLE>(process), settleMs, limitMs);
}

bool EndEarlyPlacement(EarlyPlacing* placing) {
  if (placing->library == 0) return true;
  auto end = Export<BOOL(WINAPI*)(EarlyPlacing*)>(placing->library, END_PLACING_EXPORT);
  const bool unhooked = !end || end(placing);
  FreeLibrary(reinterpret_cast<HMODULE>(placing->library));
  placing->library = 0;
  return unhooked;
}
