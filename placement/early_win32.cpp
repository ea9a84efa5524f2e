// The run's calls into the library for placing before the show. The work is
// the library's, so that the program stays within its size and the 32-bit
// host can do the same for a 32-bit program.
#include <windows.h>

#include "base/library.h"
#include "placement/early.h"
#include "placement/library_load.h"

namespace {

__attribute__((always_inline)) inline HMODULE Library(const EarlyPlacing* placing) {
  return reinterpret_cast<HMODULE>(placing->library);
}

}  // namespace

// The work is the library's; the run keeps it loaded while it places.
void PrepareEarlyPlacement(EarlyPlacing* placing) {
  *placing = EarlyPlacing();
  placing->library = reinterpret_cast<uintptr_t>(LoadOwnLibrary());
  auto prepare = LIBRARY_PROCEDURE(Library(placing), PrepareStart);
  if (prepare) prepare(placing);
}

void ArmEarlyPlacement(const PlacementRequest& request, uintptr_t process, uint32_t processId,
                       uint32_t threadId, uintptr_t job, EarlyPlacing* placing) {
  auto arm = LIBRARY_PROCEDURE(Library(placing), ArmStart);
  if (arm)
    arm(&request, reinterpret_cast<HANDLE>(process), processId, threadId,
        reinterpret_cast<HANDLE>(job), placing);
}

bool ResumeStarted(uintptr_t thread, EarlyPlacing* placing) {
  auto resume = LIBRARY_PROCEDURE(Library(placing), ResumeStart);
  const bool resumed = resume ? resume(reinterpret_cast<HANDLE>(thread), placing) != FALSE
                              : ResumeThread(reinterpret_cast<HANDLE>(thread)) != ~DWORD{0};
  if (placing->placed == 0 && placing->library != 0) {
    FreeLibrary(Library(placing));
    placing->library = 0;
  }
  return resumed;
}

bool AwaitEarlyPlacement(EarlyPlacing* placing, uintptr_t process, uint32_t settleMs,
                         uint32_t limitMs) {
  auto wait = LIBRARY_PROCEDURE(Library(placing), AwaitPlaced);
  return wait && wait(placing, reinterpret_cast<HANDLE>(process), settleMs, limitMs);
}

bool EndEarlyPlacement(EarlyPlacing* placing) {
  if (placing->library == 0) return true;
  auto disarm = LIBRARY_PROCEDURE(Library(placing), DisarmStart);
  const bool unhooked = !disarm || disarm(placing);
  FreeLibrary(Library(placing));
  placing->library = 0;
  return unhooked;
}
