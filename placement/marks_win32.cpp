#include <windows.h>

#include "diag/diag.h"
#include "placement/lookup.h"
#include "placement/marks.h"

namespace {

HWND AsHwnd(WindowRef window) { return reinterpret_cast<HWND>(window); }

// A window property is seen by every process, and goes with the window.
const char PlacedByProperty[] = "TavrisolPlacedBy";

uint32_t RawMark(HWND window) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(GetPropA(window, PlacedByProperty)));
}

// Marks are process ids, which are multiples of four; the low bits tell a
// window the user took over from that run.
bool RunAlive(uint32_t mark) {
  uint32_t processId = mark & ~3u;
  if (processId == GetCurrentProcessId()) return true;
  HANDLE run = OpenProcess(SYNCHRONIZE, FALSE, processId);
  if (run == nullptr) return false;
  bool alive = WaitForSingleObject(run, 0) == WAIT_TIMEOUT;
  CloseHandle(run);
  return alive;
}

// Named after the path as the file system compares it, so that every spelling
// of one program meets the same object; a hash keeps the name short. False
// for a command that names no file.
bool ProgramObjectName(const char* kind, const char* path, char (&name)[64]) {
  wchar_t wide[ProcessPathSize];
  int length = MultiByteToWideChar(CP_ACP, 0, path, -1, wide, ProcessPathSize);
  if (length <= 1) return false;
  CharUpperBuffW(wide, static_cast<DWORD>(length));
  uint64_t hash = 14695981039346656037ull;
  for (const wchar_t* c = wide; *c != 0; ++c) hash = (hash ^ *c) * 1099511628211ull;
  wsprintfA(name, "Local\\Tavrisol%s-%08x%08x", kind, static_cast<unsigned>(hash >> 32),
            static_cast<unsigned>(hash));
  return true;
}

}  // namespace

// Every spelling of one program takes the same turn.
uintptr_t LockProgram(const char* path, uint32_t milliseconds) {
  char name[64];
  if (!ProgramObjectName("Program", path, name)) return 0;
  HANDLE lock = CreateMutexA(nullptr, FALSE, name);
  if (lock == nullptr) return 0;
  if (WaitForSingleObject(lock, milliseconds) == WAIT_TIMEOUT)
    TraceLine("another run of the program kept its turn too long\r\n");
  return reinterpret_cast<uintptr_t>(lock);
}

void UnlockProgram(uintptr_t lock) {
  if (lock == 0) return;
  ReleaseMutex(reinterpret_cast<HANDLE>(lock));
  CloseHandle(reinterpret_cast<HANDLE>(lock));
}

uint32_t PlacedBy(WindowRef window) {
  uint32_t mark = RawMark(AsHwnd(window));
  return mark != 0 && RunAlive(mark) ? mark : 0;
}

void MarkPlaced(WindowRef window, uint32_t mark) {
  SetPropA(AsHwnd(window), PlacedByProperty,
           reinterpret_cast<HANDLE>(static_cast<uintptr_t>(mark)));
}

void ClearMarks(const WindowState& state) {
  for (const PlacedWindow& placed : state.PlacedTable) {
    HWND window = AsHwnd(placed.window);
    if (window != nullptr && (RawMark(window) & ~3u) == GetCurrentProcessId())
      RemovePropA(window, PlacedByProperty);
  }
}

// Breakaway stays allowed, so that a program that makes jobs of its own (or
// starts what must outlive it) keeps working; nothing ends the program when
// the job's last handle closes.
uintptr_t ProgramJob(const char* path) {
  char name[64];
  HANDLE job = CreateJobObjectA(nullptr, ProgramObjectName("Job", path, name) ? name : nullptr);
  if (job == nullptr) return 0;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits;
  ZeroMemory(&limits, sizeof limits);
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_BREAKAWAY_OK;
  SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
  return reinterpret_cast<uintptr_t>(job);
}
