// Ok's plan from arbitrary field contents and an arbitrary old shortcut: never
// past a buffer; a plan names a .lnk file and texts that fit their fields; a
// refusal is reported once, a plan never.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "diag/text.h"
#include "editor/shortcut_args.h"
#include "support/diag_capture.h"

namespace {

struct System {
  std::string old;  // the old shortcut's arguments
  unsigned kinds;   // two bits per path asked about: missing, file, folder
  bool loadable;
};

void Desktop(void*, char* folder) {
  std::snprintf(folder, ShortcutTextSize, "C:\\Users\\me\\Desktop");
}

PathKind Kind(void* context, const char*) {
  auto* system = static_cast<System*>(context);
  unsigned kind = system->kinds & 3;
  system->kinds >>= 2;
  return kind == 1 ? PathFile : kind == 2 ? PathFolder : PathMissing;
}

// Any answer is possible: the plan must stay sound for both.
bool SameProgram(const char* a, const char* b) {
  return (std::strlen(a) + std::strlen(b)) % 2 == 0;
}

ShortcutLoad Load(void* context, const char*, OldShortcut* old) {
  auto* system = static_cast<System*>(context);
  if (!system->loadable) return ShortcutNotLoadable;
  std::snprintf(old->arguments, sizeof old->arguments, "%s", system->old.c_str());
  std::snprintf(old->target, sizeof old->target, "C:\\Apps\\view.exe");
  old->iconLocation[0] = '\0';
  old->iconIndex = 0;
  return ShortcutLoaded;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  System system = {"", 0, (data[4] & 1) != 0};
  std::memcpy(&system.kinds, data, 4);
  // Input, Output and the old arguments as the fields give them, split at
  // zero bytes.
  std::string parts[3];
  int part = 0;
  for (size_t i = 5; i < size && part < 3; ++i) {
    if (data[i] == 0)
      ++part;
    else if (parts[part].size() < ShortcutTextSize - 1)
      parts[part] += static_cast<char>(data[i]);
  }
  system.old = parts[2];
  ClearCaptured();
  ShortcutPlanOps ops = {&system, Desktop, Kind, Load, SameProgram, [](const char*) { return true; }};
  static ShortcutPlan plan;
  PlanShortcut(ops, parts[0].c_str(), parts[1].c_str(), &plan);
  if (plan.kind == PlanRefused) {
    if (CapturedReports().size() != 1) __builtin_trap();
    return 0;
  }
  if (!CapturedReports().empty()) __builtin_trap();
  size_t path = std::strlen(plan.path);
  if (path < 4 || TextUnits(plan.path) > ShortcutTextLimit) __builtin_trap();
  std::string extension(plan.path + path - 4);
  for (char& c : extension) c = static_cast<char>(c | 0x20);
  if (extension != ".lnk") __builtin_trap();
  if (TextUnits(plan.arguments) > ShortcutTextLimit || TextUnits(plan.input) > ShortcutTextLimit)
    __builtin_trap();
  return 0;
}
