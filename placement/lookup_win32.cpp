// The lookup's operations on the system: process lists, paths, start times,
// sessions and command lines, each read from the process itself.
#include <windows.h>

#include <cstring>

#include "placement/command.h"
#include "placement/lookup.h"
#include "placement/marks.h"
#include "placement/owners.h"
#include "placement/processes.h"

namespace {

HANDLE AsHandle(ProcessRef handle) { return reinterpret_cast<HANDLE>(handle); }

// UTF-16 units: a path that fits the program's texts fits here.
enum { WidePathSize = ProcessPathSize };

bool Widen(const char* text, wchar_t* wide, int size) {
  return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, wide, size) != 0;
}

bool Narrow(const wchar_t* wide, char* text, uint32_t size) {
  return WideCharToMultiByte(CP_ACP, 0, wide, -1, text, static_cast<int>(size), nullptr, nullptr) !=
         0;
}

void VisitShown(WindowRef window, uint32_t, void* parameter) {
  if ((GetWindowLongPtrA(reinterpret_cast<HWND>(window), GWL_STYLE) & WS_VISIBLE) != 0)
    *static_cast<bool*>(parameter) = true;
}

bool ShowsWindow(uint32_t processId) {
  bool shows = false;
  EnumWindowsOf(processId, VisitShown, &shows);
  return shows;
}

struct ListVisit {
  void (*visit)(uint32_t processId, const char* fileName, void* context);
  void* context;
};

// Names read wide and converted whole.
void VisitNamed(const ProcessEntry& process, void* parameter) {
  const ListVisit* pass = static_cast<const ListVisit*>(parameter);
  char name[ProcessPathSize];
  const int length =
      WideCharToMultiByte(CP_ACP, 0, process.name, static_cast<int>(process.nameLength), name,
                          sizeof name - 1, nullptr, nullptr);
  name[length] = '\0';
  if (length != 0 || process.nameLength == 0) pass->visit(process.id, name, pass->context);
}

bool ListProcesses(void (*visit)(uint32_t processId, const char* fileName, void* context),
                   void* context) {
  ListVisit pass = {visit, context};
  return ForEachProcess(VisitNamed, &pass);
}

struct ParentVisit {
  void (*visit)(uint32_t processId, uint32_t parentId, void* context);
  void* context;
};

void VisitWithParent(const ProcessEntry& process, void* parameter) {
  const ParentVisit* pass = static_cast<const ParentVisit*>(parameter);
  pass->visit(process.id, process.parentId, pass->context);
}

bool ListParents(ProcessRef job,
                 void (*visit)(uint32_t processId, uint32_t parentId, void* context),
                 void* context) {
  if (job != 0) {
    ULONG_PTR list[1 + JobListSlots];
    list[0] = 0;  // the counts assigned and listed, none until the system says so
    QueryInformationJobObject(AsHandle(job), JobObjectBasicProcessIdList, list, sizeof list,
                              nullptr);
    // A list too long for the buffer still gives what fits, and says how many.
    for (ULONG i = 0; i < (list[0] >> 32); ++i)
      visit(static_cast<uint32_t>(list[1 + i]), 0, context);
    return true;
  }
  ParentVisit pass = {visit, context};
  return ForEachProcess(VisitWithParent, &pass);
}

// Ending a process may be refused where reading it is not (another user's).
ProcessRef OpenForLookup(uint32_t processId) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_QUERY_LIMITED_INFORMATION |
                                   SYNCHRONIZE | PROCESS_TERMINATE,
                               FALSE, processId);
  if (process == nullptr)
    process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, processId);
  return reinterpret_cast<ProcessRef>(process);
}

void ProcessFacts(ProcessRef process, ProgramProcess* facts) {
  facts->created = ProcessCreationTime(process);
  DWORD session = 0;
  if (ProcessIdToSessionId(facts->id, &session)) facts->sessionId = session;
}

bool SamePath(const char* a, const char* b) {
  wchar_t wideA[WidePathSize], wideB[WidePathSize];
  if (!Widen(a, wideA, WidePathSize) || !Widen(b, wideB, WidePathSize)) return false;
  return CompareStringOrdinal(wideA, -1, wideB, -1, TRUE) == CSTR_EQUAL;
}

void CloseRef(ProcessRef handle) { CloseHandle(AsHandle(handle)); }

uint32_t LastError() { return GetLastError(); }

uint32_t OwnProcessId() { return GetCurrentProcessId(); }

// Full path and long names of a path in place; left as it was where the
// system cannot make them.
void ExpandPath(wchar_t* path) {
  wchar_t full[WidePathSize];
  DWORD length = GetFullPathNameW(path, WidePathSize, full, nullptr);
  if (length == 0 || length >= WidePathSize) return;
  length = GetLongPathNameW(full, path, WidePathSize);
  if (length == 0 || length >= WidePathSize) CopyMemory(path, full, sizeof full);
}

// ntdll's own calls (NtdllProcedure).
typedef LONG(WINAPI* QueryProcess)(HANDLE process, ULONG what, void* into, ULONG size,
                                   ULONG* written);
typedef LONG(WINAPI* ReadMemory)(HANDLE process, const void* from, void* into, SIZE_T size,
                                 SIZE_T* read);
enum : ULONG {
  ProcessBasicInformation = 0,
  ProcessCommandLineInformation = 60,  // Windows 8.1 and later; not Wine 8
};

struct Counted {  // UNICODE_STRING: a length in bytes, then where the text is
  USHORT length, room;
  ULONG_PTR text;
};

// Reads the command line from the process parameters that its PEB points to.
// A 32-bit process has a native PEB and parameters too, with the same line.
bool ReadFromParameters(QueryProcess query, uint32_t processId, wchar_t* wide, ULONG* bytes) {
  ReadMemory read = reinterpret_cast<ReadMemory>(NtdllProcedure("NtReadVirtualMemory"));
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
  if (process == nullptr) return false;
  ULONG_PTR basic[6] = {}, parameters = 0;  // PROCESS_BASIC_INFORMATION: the PEB second
  Counted line = {0, 0, 0};
  const bool done =
      query(process, ProcessBasicInformation, basic, sizeof basic, nullptr) == 0 &&
      read(process, reinterpret_cast<void*>(basic[1] + 0x20), &parameters, sizeof parameters,
           nullptr) == 0 &&
      read(process, reinterpret_cast<void*>(parameters + 0x70), &line, sizeof line, nullptr) == 0 &&
      read(process, reinterpret_cast<void*>(line.text), wide, line.length, nullptr) == 0;
  *bytes = line.length;
  CloseHandle(process);
  return done;
}

bool CommandLine(ProcessRef process, uint32_t processId, char* line, uint32_t size) {
  QueryProcess query = reinterpret_cast<QueryProcess>(NtdllProcedure("NtQueryInformationProcess"));
  // The counted text first, then room for the longest line the system gives a process.
  struct {
    Counted given;
    wchar_t text[CommandLineSize];
  } answer;
  const wchar_t* wide = answer.text;
  ULONG bytes = 0;
  if (query(AsHandle(process), ProcessCommandLineInformation, &answer, sizeof answer, nullptr) ==
      0) {
    wide = reinterpret_cast<const wchar_t*>(answer.given.text);
    bytes = answer.given.length;
  } else if (!ReadFromParameters(query, processId, answer.text, &bytes)) {
    return false;
  }
  // UTF-8, never the ANSI code page, which may read two different names alike.
  const int units = static_cast<int>(bytes / sizeof(wchar_t));
  const int length = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, units, line,
                                         static_cast<int>(size) - 1, nullptr, nullptr);
  line[length] = '\0';
  return length != 0 || units == 0;
}

}  // namespace

const ProcessLookupOps SystemLookupOps = {
    .showsWindow = ShowsWindow,
    .listProcesses = ListProcesses,
    .openProcess = OpenForLookup,
    .imagePath = ProcessImagePath,
    .processFacts = ProcessFacts,
    .samePath = SamePath,
    .closeHandle = CloseRef,
    .lastError = LastError,
    .ownProcessId = OwnProcessId,
    .listParents = ListParents,
    .placedForOwners = PlacedForOwners,
    .commandLine = CommandLine,
};

bool ProcessImagePath(ProcessRef process, char* path, uint32_t size) {
  wchar_t wide[WidePathSize];
  DWORD length = WidePathSize;
  if (!QueryFullProcessImageNameW(AsHandle(process), 0, wide, &length)) return false;
  // A program started by its short name may be listed by it.
  for (const wchar_t* c = wide; *c != 0; ++c) {
    if (*c == L'~') {
      ExpandPath(wide);
      break;
    }
  }
  return Narrow(wide, path, size);
}

uint64_t ProcessCreationTime(ProcessRef process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(AsHandle(process), &created, &exited, &kernel, &user)) return 0;
  return (static_cast<uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

bool CanonicalProgramPath(const char* command, char* path, size_t size) {
  wchar_t wide[WidePathSize];
  size_t length;
  const char* rest;
  const char* program = ProgramOfCommand(command, &length, &rest);
  char name[ProcessPathSize], found[ProcessPathSize];
  // A bare name is the file a start would run: ".exe" added when it has no
  // extension, looked for beside this program, in the current folder, the
  // system folders and the PATH, in that order.
  const char* separator = std::strpbrk(program, "\\/:");
  if (length < sizeof name && (separator == nullptr || separator >= program + length)) {
    CopyMemory(name, program, length);
    name[length] = '\0';
    DWORD got = SearchPathA(nullptr, name, ".exe", sizeof found, found, nullptr);
    if (got == 0 || got >= sizeof found) {
      path[0] = '\0';
      return length == 0;
    }
    command = found;
  }
  if (!CanonicalPathText(command, path, size) || !Widen(path, wide, WidePathSize)) return true;
  if (GetFileAttributesW(wide) == INVALID_FILE_ATTRIBUTES) return false;
  ExpandPath(wide);
  char expanded[ProcessPathSize];
  if (Narrow(wide, expanded, sizeof expanded) && std::strlen(expanded) < size)
    std::strcpy(path, expanded);
  return true;
}

bool ProgramFound(const char* command) {
  char path[ProcessPathSize];
  return CanonicalProgramPath(command, path, sizeof path);
}

bool SameProgram(const char* a, const char* b) {
  char canonicalA[ProcessPathSize], canonicalB[ProcessPathSize];
  CanonicalProgramPath(a, canonicalA, sizeof canonicalA);
  CanonicalProgramPath(b, canonicalB, sizeof canonicalB);
  return SamePath(canonicalA[0] ? canonicalA : a, canonicalB[0] ? canonicalB : b);
}

uint32_t FindProgram(Program* program, bool windowOwnersOnly) {
  return FindProgram(SystemLookupOps, program, windowOwnersOnly);
}

void ReleaseProgram(Program* program) { ReleaseProgram(SystemLookupOps, program); }

uint32_t FindHandedOver(Program* program, bool anywhere) {
  return FindHandedOver(SystemLookupOps, program, anywhere);
}
