// The program as one thing: its canonical path and the processes that run it,
// with open handles, start times, parents and sessions. The lookup looks first
// at the owners of the visible top-level windows, whose number does not grow
// with the desktop's windowless processes, and reads the whole process list
// only when none of them runs the program.
#pragma once
#include <cstddef>
#include <cstdint>

#include "diag/text.h"

enum {
  ProcessPathSize = TextSize,  // a path of 259 UTF-16 units in UTF-8, whole
  ProgramSlots = 16,           // processes of one program held in a Program
  WaitingSlots = 64,           // windowless copies set aside in one look; more are read at once
  JobListSlots = 64,           // processes read from a job in one look
  // A process's command line read whole: the most a command line holds. A
  // longer one cannot carry the command's arguments.
  CommandLineSize = 32768,
  // The same in UTF-8, where a UTF-16 unit takes up to three bytes.
  CommandLineUtf8Size = 3 * CommandLineSize,
};

// An open handle (process) as a plain number; 0 means none.
typedef uintptr_t ProcessRef;

// A running process of the program.
struct ProgramProcess {
  uint32_t id;
  uint32_t sessionId;  // the terminal session it runs in
  uint64_t created;    // when it began, in the system's 100-ns units; 0 when unknown
  ProcessRef handle;   // open to query, wait for and, where granted, end it
  // What the program handed over to (in its job, or started by a process it
  // holds), not run from its path; never ended as hung.
  bool handedOver = false;
  // Runs the program with other arguments than the command's: never the
  // command's own, yet it may take the request of a copy the run starts.
  bool otherArguments = false;
  // Found through a window placed for the command (a running copy that took
  // the request of a start): only such windows of it are the command's.
  bool markedOnly = false;
};

// The program a run places: made once from the command and handed from the
// lookup to the run and the hold.
struct Program {
  char path[ProcessPathSize];  // canonical; "" when the command names no file
  // The command in UTF-8, whose arguments a process must run with to be the
  // command's; none or null: any process of the program is.
  const char* command;
  uint32_t count;  // processes held, at most ProgramSlots
  ProgramProcess processes[ProgramSlots];
  // The run's own job, which what it starts is put in, so that what that
  // starts is found within the run, also after the starter ended; 0 when none.
  // Owned by the run, never by the lookup.
  ProcessRef job;
};

// What the lookup needs from the system.
struct ProcessLookupOps {
  // Whether the process owns a visible top-level window.
  bool (*showsWindow)(uint32_t processId);
  // Calls visit with every running process and its executable's file name;
  // false when the list cannot be read.
  bool (*listProcesses)(void (*visit)(uint32_t processId, const char* fileName, void* context),
                        void* context);
  // Opens a process to query, wait for and end it; 0 when it cannot be opened.
  ProcessRef (*openProcess)(uint32_t processId);
  // Writes the executable's full path, terminated; false on failure, also
  // when it does not fit.
  bool (*imagePath)(ProcessRef process, char* path, uint32_t size);
  // Fills created and sessionId of an open process whose id facts holds.
  void (*processFacts)(ProcessRef process, ProgramProcess* facts);
  // Two paths compared as the file system compares names: whole, ordinal,
  // without regard to case over the whole of Unicode.
  bool (*samePath)(const char* a, const char* b);
  void (*closeHandle)(ProcessRef handle);
  uint32_t (*lastError)();
  // The id of the process doing the lookup, which never counts as the program's.
  uint32_t (*ownProcessId)();
  // Calls visit with every process in the job (parent 0), or, for job 0, with
  // every running process and its parent's id; false when the list cannot be
  // read.
  bool (*listParents)(ProcessRef job,
                      void (*visit)(uint32_t processId, uint32_t parentId, void* context),
                      void* context);
  // Calls visit with the owner of every window a run placed for the program
  // at path with the command's arguments (PlacedForOwners).
  void (*placedForOwners)(const char* path, const char* command,
                          void (*visit)(uint32_t processId, void* context), void* context);
  // Writes the process's command line in UTF-8, terminated; false when it
  // cannot be read, is no whole UTF-16 text or does not fit.
  bool (*commandLine)(ProcessRef process, uint32_t processId, char* line, uint32_t size);
};

// Equal length, and every byte equal once A-Z are folded to a-z; no other byte
// is folded.
bool SameTextIgnoringAsciiCase(const char* a, const char* b);

// The text after the last backslash of path (all of it when there is none).
const char* FileNamePart(const char* path);

// The path of the command's program (ProgramOfCommand: its arguments and
// quotes left out) made canonical in the ways that need no file system: "/"
// read as "\", no "\\?\" prefix ("\\?\UNC\" becomes "\\"), no dots or blanks at
// the end. False (path "") when the program is no absolute path or does not
// fit; such a program names no file a process runs.
bool CanonicalPathText(const char* command, char* path, size_t size);

// Adds to program->processes the processes, in the system's order, whose
// executable is program->path and that it does not hold yet (up to
// ProgramSlots in all, each with an open handle), and returns how many such
// processes it met with the command's arguments, also those it had no room
// for; a process with other arguments is held too, marked so. Only processes
// listed under the program's file name are opened; those that show a visible
// window first, the others only when none of them counts and not with
// windowOwnersOnly. The lookup's own process is passed
// over: a run whose command is this program itself would otherwise find itself
// windowless and end itself as hung. A process that cannot be read is traced
// and skipped; nothing is shown.
uint32_t FindProgram(const ProcessLookupOps& ops, Program* program, bool windowOwnersOnly);

// Adds what the program handed over to, marked handedOver: the members of the
// run's job (what the program the run started has started, also after it
// ended), the owners of windows a run placed for the command (whatever became
// of the process that started them), and, anywhere, also outside the job: the
// processes whose parent the program holds with the command's arguments
// (living) and that began after it (a program the run did not start, or one
// that left the job). The callers count these
// only while no process of the program's own executable shows a main window.
// Returns how many it added; a held copy running other arguments that owns a
// window placed for the command counts too, marked markedOnly.
uint32_t FindHandedOver(const ProcessLookupOps& ops, Program* program, bool anywhere);

// Closes the handles the lookup opened; the program holds no process after.
void ReleaseProgram(const ProcessLookupOps& ops, Program* program);

// Whether the program holds the process, and the process as held (null when not).
bool HoldsProcess(const Program& program, uint32_t processId);
const ProgramProcess* HeldProcess(const Program& program, uint32_t processId);

// The same over the system (lookup_win32.cpp): the canonical path of a
// command's program (full path, long names; a bare name where starting it
// would find it), and the lookup and its release.
extern const ProcessLookupOps SystemLookupOps;
// False when the program's file is not there: an absolute path that names
// nothing, or a bare name that a start would not find.
bool CanonicalProgramPath(const char* command, char* path, size_t size);
bool ProgramFound(const char* command);
// Whether two commands' programs are the same file, compared as the lookup
// compares a command with a process path; a text that is no absolute path is
// compared as it stands.
bool SameProgram(const char* a, const char* b);
uint32_t FindProgram(Program* program, bool windowOwnersOnly);
void ReleaseProgram(Program* program);
uint32_t FindHandedOver(Program* program, bool anywhere);
bool ProcessImagePath(ProcessRef process, char* path, uint32_t size);
uint64_t ProcessCreationTime(ProcessRef process);
