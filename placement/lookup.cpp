// Finding the program's processes: those of the program's file name in the
// process list, the copies that show a window first. Only they are opened,
// and only their windows are looked at: asking after every window of a crowded
// desktop costs far more than the list.
#include "placement/lookup.h"

#include <cstring>

#include "diag/diag.h"
#include "placement/command.h"

namespace {

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

struct LookupPass {
  const ProcessLookupOps* ops;
  Program* program;
  const char* fileName;  // the program's
  uint32_t self;
  bool arguments;  // the command has some: each process's are compared
  uint32_t total;  // processes of the program met with them, also those not held
  uint32_t waiting[WaitingSlots];  // copies without a window, looked at only when needed
  uint32_t waitingCount;
  bool ownersOnly;  // copies without a window are not looked at
};

// Opens one candidate, neither the lookup's own process nor one held already
// (VisitListed), and reads its path; holds it when it runs the program.
void Consider(LookupPass* pass, uint32_t processId) {
  const ProcessLookupOps& ops = *pass->ops;
  Program* program = pass->program;
  ProcessRef process = ops.openProcess(processId);
  if (process == 0) return;  // not ours to look at: skipped silently
  char image[ProcessPathSize];
  if (!ops.imagePath(process, image, sizeof image)) {
    // It may have ended since it was listed.
    TraceLine("lookforexecuting cannot read process %d: %x\r\n", static_cast<int>(processId),
              ops.lastError());
    ops.closeHandle(process);
    return;
  }
  image[sizeof image - 1] = '\0';
  TraceLine("lookforexecuting considering <%s> %d %d\r\n", image,
            static_cast<int>(std::strlen(image)), static_cast<int>(processId));
  bool same = ops.samePath(image, program->path);
  bool other = false;
  if (same && pass->arguments) {
    // A line that cannot be read is no proof of the same arguments.
    char line[CommandLineUtf8Size];
    other = !ops.commandLine(process, processId, line, sizeof line) ||
            !SameArguments(program->command, line);
    if (other) TraceLine("process %d runs other arguments\r\n", static_cast<int>(processId));
  }
  if (same && !other) ++pass->total;
  if (!same || program->count >= ProgramSlots) {
    ops.closeHandle(process);
    return;
  }
  ProgramProcess& held = program->processes[program->count++];
  held = ProgramProcess();
  held.id = processId;  // what processFacts reads
  held.handle = process;
  held.otherArguments = other;
  ops.processFacts(process, &held);
}

// A copy that shows a window is looked at at once; the others wait, unless
// there are too many to set aside. A short (8.3) name in the list may stand
// for the program's long one.
void VisitListed(uint32_t processId, const char* fileName, void* context) {
  LookupPass* pass = static_cast<LookupPass*>(context);
  if ((!pass->ops->samePath(fileName, pass->fileName) && std::strchr(fileName, '~') == nullptr) ||
      processId == pass->self || HoldsProcess(*pass->program, processId))
    return;
  if (pass->ops->showsWindow(processId))
    Consider(pass, processId);
  else if (pass->waitingCount < WaitingSlots)
    pass->waiting[pass->waitingCount++] = processId;
  else if (!pass->ownersOnly)
    Consider(pass, processId);
}

struct HandOverPass {
  const ProcessLookupOps* ops;
  Program* program;
  uint32_t self;
  uint32_t marked;  // copies running other arguments found with a window of the command
};

// Holds a process the program started; parent is null for a member of its job
// and for the owner of a window placed for the command (marked).
void HoldHandedOver(HandOverPass* pass, uint32_t processId, const ProgramProcess* parent,
                    bool marked = false) {
  const ProcessLookupOps& ops = *pass->ops;
  Program* program = pass->program;
  if (processId == pass->self || program->count >= ProgramSlots ||
      HoldsProcess(*program, processId))
    return;
  ProcessRef process = ops.openProcess(processId);
  if (process == 0) return;
  ProgramProcess held = {processId, 0, 0, process, true, false, marked};
  ops.processFacts(process, &held);
  // The id of an ended process passes on: a child began after its parent.
  if (parent != nullptr && held.created < parent->created) {
    ops.closeHandle(process);
    return;
  }
  program->processes[program->count++] = held;
  TraceLine("process %d was started by the program\r\n", static_cast<int>(processId));
}

void VisitMember(uint32_t processId, uint32_t, void* context) {
  HoldHandedOver(static_cast<HandOverPass*>(context), processId, nullptr);
}

// A copy running other arguments that took the command's request keeps the
// window placed for it: that window is the command's, its others are not.
void VisitPlacedFor(uint32_t processId, void* context) {
  HandOverPass* pass = static_cast<HandOverPass*>(context);
  for (uint32_t i = 0; i < pass->program->count && i < ProgramSlots; ++i) {
    ProgramProcess& held = pass->program->processes[i];
    if (held.id != processId || !held.otherArguments) continue;
    held.otherArguments = false;
    held.markedOnly = true;
    ++pass->marked;
  }
  HoldHandedOver(pass, processId, nullptr, true);
}

void VisitChild(uint32_t processId, uint32_t parentId, void* context) {
  HandOverPass* pass = static_cast<HandOverPass*>(context);
  const Program& program = *pass->program;
  for (uint32_t i = 0; parentId != 0 && i < program.count; ++i)
    if (program.processes[i].id == parentId && !program.processes[i].otherArguments)
      HoldHandedOver(pass, processId, &program.processes[i]);
}

}  // namespace

bool SameTextIgnoringAsciiCase(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b)
    if (FoldAscii(*a) != FoldAscii(*b)) return false;
  return *a == *b;
}

const char* FileNamePart(const char* path) {
  const char* slash = std::strrchr(path, '\\');
  return slash != nullptr ? slash + 1 : path;
}

bool CanonicalPathText(const char* command, char* path, size_t size) {
  path[0] = '\0';
  const char* rest;
  size_t length;
  const char* program = ProgramOfCommand(command, &length, &rest);
  if (length >= size) return false;
  for (size_t i = 0; i < length; ++i) path[i] = program[i] == '/' ? '\\' : program[i];
  path[length] = '\0';
  if (std::strncmp(path, "\\\\?\\", 4) == 0) {
    // "\\?\C:\x" is "C:\x"; "\\?\UNC\server\x" is "\\server\x".
    bool share = std::strncmp(path + 4, "UNC\\", 4) == 0;
    size_t from = share ? 8 : 4, to = share ? 2 : 0;
    std::memmove(path + to, path + from, length - from + 1);
    length -= from - to;
  }
  while (length > 0 && (path[length - 1] == '.' || path[length - 1] == ' ')) path[--length] = '\0';
  if (!IsAbsolutePath(path) || *FileNamePart(path) == '\0') {
    path[0] = '\0';
    return false;
  }
  return true;
}

const ProgramProcess* HeldProcess(const Program& program, uint32_t processId) {
  for (uint32_t i = 0; i < program.count && i < ProgramSlots; ++i)
    if (program.processes[i].id == processId) return &program.processes[i];
  return nullptr;
}

bool HoldsProcess(const Program& program, uint32_t processId) {
  return HeldProcess(program, processId) != nullptr;
}

uint32_t FindProgram(const ProcessLookupOps& ops, Program* program, bool windowOwnersOnly) {
  TraceLine("lookforexecuting <%s> %d\r\n", program->path,
            static_cast<int>(std::strlen(program->path)));
  // A command that is no path names no file of a process.
  const char* fileName = FileNamePart(program->path);
  if (fileName == program->path || *fileName == '\0') return 0;

  LookupPass pass;
  pass.ops = &ops;
  pass.program = program;
  pass.fileName = fileName;
  pass.self = ops.ownProcessId();
  size_t arguments = 0;
  if (program->command != nullptr) ArgumentsOfCommand(program->command, &arguments);
  pass.arguments = arguments != 0;
  pass.total = 0;
  pass.waitingCount = 0;
  pass.ownersOnly = windowOwnersOnly;
  if (!ops.listProcesses(VisitListed, &pass)) {
    TraceLine("lookforexecuting cannot list the processes: %x\r\n", ops.lastError());
    return 0;
  }
  if (pass.total != 0 || windowOwnersOnly) return pass.total;
  for (uint32_t i = 0; i < pass.waitingCount; ++i) Consider(&pass, pass.waiting[i]);
  return pass.total;
}

uint32_t FindHandedOver(const ProcessLookupOps& ops, Program* program, bool anywhere) {
  HandOverPass pass = {&ops, program, ops.ownProcessId(), 0};
  const uint32_t before = program->count;
  if (program->job != 0) ops.listParents(program->job, VisitMember, &pass);
  if (program->path[0] != '\0')
    ops.placedForOwners(program->path, program->command, VisitPlacedFor, &pass);
  // A grandchild listed before its parent is found by the next look.
  if (anywhere) ops.listParents(0, VisitChild, &pass);
  return program->count - before + pass.marked;
}

void ReleaseProgram(const ProcessLookupOps& ops, Program* program) {
  for (uint32_t i = 0; i < program->count && i < ProgramSlots; ++i)
    if (program->processes[i].handle != 0) ops.closeHandle(program->processes[i].handle);
  program->count = 0;
}
