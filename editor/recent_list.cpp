#include "editor/recent_list.h"

#include <cstdlib>
#include <cstring>

#include "diag/diag.h"
#include "diag/format.h"

static char valueName[4];

const char* RecentValueName(int slot) {
  if (slot == 0)
    valueName[0] = '\0';
  else
    FormatText(valueName, sizeof valueName, "%02d", slot);
  return valueName;
}

bool ReadRecentSlot(const RecentRegistryOps* registry, void* key, int slot, char* buffer) {
  unsigned long size = RecentTextSize;
  if (registry->queryValue(registry->context, key, RecentValueName(slot), buffer, &size) != 0)
    return false;
  // The data need not carry a terminator: end the text after the data, and a
  // value that fills the whole buffer without one does not fit.
  if (size < RecentTextSize) {
    buffer[size] = '\0';
    return true;
  }
  return std::memchr(buffer, '\0', RecentTextSize) != nullptr;
}

// Opens (or creates) the key under the machine-wide root, else the per-user
// one. Returns the per-user attempt's code when both fail.
static long OpenListKey(const RecentRegistryOps* registry, bool create, const char* keyPath,
                        void** key) {
  auto open = create ? registry->createKey : registry->openKey;
  *key = nullptr;
  if (open(registry->context, RecentRootMachine, keyPath, key) == 0) return 0;
  *key = nullptr;
  return open(registry->context, RecentRootUser, keyPath, key);
}

namespace {

// Reads the key's texts in slot order after the count entries already in
// entries (RecentSlotCount + 1 of RecentTextSize bytes): each text once, empty
// ones and absent slots skipped. Returns the new count.
int ReadEntries(const RecentRegistryOps* registry, void* key, char (*entries)[RecentTextSize],
                int count) {
  for (int slot = 0; slot < RecentSlotCount; ++slot) {
    char* text = entries[count];
    if (!ReadRecentSlot(registry, key, slot, text) || text[0] == '\0') continue;
    bool known = false;
    for (int i = 0; i < count && !known; ++i) known = std::strcmp(entries[i], text) == 0;
    if (!known) ++count;
  }
  return count;
}

char (*NewEntries())[RecentTextSize] {
  return static_cast<char(*)[RecentTextSize]>(calloc(RecentSlotCount + 1, RecentTextSize));
}

}  // namespace

bool FillRecentListWith(const RecentRegistryOps* registry, const RecentControlOps* control,
                        const char* keyPath) {
  control->reset(control->context);
  void* key;
  char(*entries)[RecentTextSize] = NewEntries();
  if (entries && OpenListKey(registry, false, keyPath, &key) == 0) {
    int count = ReadEntries(registry, key, entries, 0);
    registry->closeKey(registry->context, key);
    for (int i = 0; i < count; ++i)
      if (control->addText(control->context, entries[i]) < 0)
        MessageReport(CaptionFailure, "Combo Box add error");
  }
  free(entries);
  control->selectFirst(control->context);
  return true;
}

bool StoreRecentListWith(const RecentRegistryOps* registry, const RecentControlOps* control,
                         const char* keyPath, const char* text) {
  if (std::strlen(text) >= RecentTextSize) {
    MessageReport(CaptionFailure, "Text too long for the list (more than %d bytes)",
                  RecentTextSize - 1);
    return false;
  }
  // An empty field (a new shortcut's Output) is no entry.
  if (text[0] == '\0') return true;
  char(*entries)[RecentTextSize] = NewEntries();
  if (!entries) {
    MessageReport(CaptionError, "Out of memory for the list <%s>", keyPath);
    return false;
  }
  void* key;
  long code = OpenListKey(registry, true, keyPath, &key);
  char reason[ErrorTextSize];
  if (code != 0) {
    free(entries);
    ErrorCodeText(static_cast<unsigned long>(code), reason, sizeof reason);
    MessageReport(CaptionFailure, "Could not Create/Open Registry Key <%s> Error Code %d\n%s",
                  keyPath, static_cast<int>(code), reason);
    return false;
  }

  // The text first, then the older texts without it, written back as slots
  // 0 to n; the oldest beyond sixteen drops off, and gaps close.
  std::strcpy(entries[0], text);
  int count = ReadEntries(registry, key, entries, 1);
  if (count > RecentSlotCount) count = RecentSlotCount;
  for (int slot = count - 1; slot >= 0; --slot) {
    const char* name = slot ? RecentValueName(slot) : nullptr;
    long written = registry->setValue(registry->context, key, name, entries[slot],
                                      static_cast<unsigned long>(std::strlen(entries[slot]) + 1));
    if (written != 0) ErrorCodeText(static_cast<unsigned long>(written), reason, sizeof reason);
    if (written != 0 && slot)
      MessageReport(CaptionFailure, "Could not set Registry Key <%s><%s> Error Code %d\n%s",
                    keyPath, name, static_cast<int>(written), reason);
    else if (written != 0)
      MessageReport(CaptionFailure, "Could not set Registry Key <%s> Error Code %d\n%s", keyPath,
                    static_cast<int>(written), reason);
  }
  for (int slot = count; slot < RecentSlotCount; ++slot)
    registry->deleteValue(registry->context, key, RecentValueName(slot));
  registry->closeKey(registry->context, key);
  free(entries);
  FillRecentListWith(registry, control, keyPath);
  return true;
}
