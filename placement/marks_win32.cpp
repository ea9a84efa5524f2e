// The turn, the marks and the job as named objects and window properties,
// which every process sees.
#include <windows.h>

#include "diag/diag.h"
#include "placement/command.h"
#include "placement/lookup.h"
#include "placement/marks.h"

namespace {

HWND AsHwnd(WindowRef window) { return reinterpret_cast<HWND>(window); }

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

// A program's path as the file system compares it, hashed, so that every
// spelling of one program gives the same key; 0 for a command that names no
// file.
uint64_t ProgramKey(const char* path) {
  wchar_t wide[ProcessPathSize];
  int length = MultiByteToWideChar(CP_ACP, 0, path, -1, wide, ProcessPathSize);
  if (length <= 1) return 0;
  CharUpperBuffW(wide, static_cast<DWORD>(length));
  uint64_t hash = HashStart;
  for (const wchar_t* c = wide; *c != 0; ++c) hash = HashUnit(hash, *c);
  return hash;
}

// The window property that names the command a window was placed for: its
// program, and its arguments (in UTF-8, as the program receives them) when it
// has some. A window placed for a command without arguments (and by versions
// that named only the program) bears the program's key alone; one placed with
// arguments by a version that hashed them as written is not found by its mark.
const char PlacedForProperty[] = "TavrisolPlacedFor";

uintptr_t CommandKey(const char* path, const char* command) {
  const uint64_t key = ProgramKey(path);
  if (key == 0 || command == nullptr) return static_cast<uintptr_t>(key);
  return static_cast<uintptr_t>(HashArguments(key, command));
}

// A look at the windows placed for a command: their owners are visited, or,
// with a state, the scan considers those of one process.
struct OwnerVisit {
  uintptr_t key;
  void (*visit)(uint32_t processId, void* context);
  void* context;
  WindowState* state;
  uint32_t processId;
};

BOOL CALLBACK VisitIfPlacedFor(HWND window, LPARAM parameter) {
  const OwnerVisit* pass = reinterpret_cast<const OwnerVisit*>(parameter);
  DWORD processId = 0;
  if (reinterpret_cast<uintptr_t>(GetPropA(window, PlacedForProperty)) != pass->key) return TRUE;
  if (pass->state != nullptr)
    ScanWindow(SystemWindowOps, pass->state, reinterpret_cast<WindowRef>(window), pass->processId);
  else if (GetWindowThreadProcessId(window, &processId) != 0)
    pass->visit(processId, pass->context);
  return TRUE;
}

}  // namespace

// Every spelling of one program takes the same turn.
uintptr_t LockProgram(const char* path, uint32_t milliseconds) {
  const uint64_t key = ProgramKey(path);
  if (key == 0) return 0;
  char name[64];
  wsprintfA(name, "Local\\TavrisolProgram-%08x%08x", static_cast<unsigned>(key >> 32),
            static_cast<unsigned>(key));
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

void MarkPlaced(WindowRef window, uint32_t mark, const char* program, const char* command) {
  SetPropA(AsHwnd(window), PlacedByProperty,
           reinterpret_cast<HANDLE>(static_cast<uintptr_t>(mark)));
  const uintptr_t key = program != nullptr ? CommandKey(program, command) : 0;
  if (key != 0) SetPropA(AsHwnd(window), PlacedForProperty, reinterpret_cast<HANDLE>(key));
}

void PlacedForOwners(const char* path, const char* command,
                     void (*visit)(uint32_t processId, void* context), void* context) {
  OwnerVisit pass = {CommandKey(path, command), visit, context, nullptr, 0};
  if (pass.key != 0) EnumWindows(VisitIfPlacedFor, reinterpret_cast<LPARAM>(&pass));
}

bool ScanPlacedWindows(WindowState* state, uint32_t processId) {
  OwnerVisit pass = {CommandKey(state->program, state->command), nullptr, nullptr, state,
                     processId};
  if (pass.key != 0) EnumWindows(VisitIfPlacedFor, reinterpret_cast<LPARAM>(&pass));
  return state->targetWindow != 0;
}

void ClearMarks(const WindowState& state) {
  for (const PlacedWindow& placed : state.placedTable) {
    HWND window = AsHwnd(placed.window);
    if (window != nullptr && (RawMark(window) & ~3u) == GetCurrentProcessId())
      RemovePropA(window, PlacedByProperty);
  }
}

// Breakaway stays allowed, so that a program that makes jobs of its own (or
// starts what must outlive it) keeps working; nothing ends the program when
// the job's last handle closes. Unnamed: what the program started counts as
// the program's through the job only within the run that started it.
uintptr_t ProgramJob() {
  HANDLE job = CreateJobObjectA(nullptr, nullptr);
  if (job == nullptr) return 0;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits;
  ZeroMemory(&limits, sizeof limits);
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_BREAKAWAY_OK;
  SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
  return reinterpret_cast<uintptr_t>(job);
}
