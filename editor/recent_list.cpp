#include "editor/recent_list.h"

#include <cstring>

#include "diag/diag.h"
#include "diag/format.h"

const char NoFileSelected[] = "<No File Selected>";

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

bool FillRecentListWith(const RecentRegistryOps* registry, const RecentControlOps* control,
                        const char* keyPath) {
  control->reset(control->context);
  void* key;
  if (OpenListKey(registry, false, keyPath, &key) != 0) {
    control->addText(control->context, NoFileSelected);
  } else {
    char text[RecentTextSize];
    for (int slot = 0; slot < RecentSlotCount; ++slot) {
      if (!ReadRecentSlot(registry, key, slot, text)) continue;
      if (control->addText(control->context, text) < 0)
        MessageReport(CaptionFailure, "Combo Box add error");
    }
    registry->closeKey(registry->context, key);
  }
  control->selectFirst(control->context);
  return true;
}

bool StoreRecentListWith(const RecentRegistryOps* registry, const RecentControlOps* control,
                         const char* keyPath) {
  // One byte more than a slot holds, so that a text too long for it shows as
  // such instead of being cut.
  char text[RecentTextSize + 1];
  text[0] = '\0';
  control->getText(control->context, text, sizeof text);
  text[sizeof text - 1] = '\0';
  if (std::strlen(text) >= RecentTextSize) {
    MessageReport(CaptionFailure, "Text too long for the list (more than %d bytes)",
                  RecentTextSize - 1);
    return false;
  }
  if (std::strcmp(text, NoFileSelected) == 0) {
    MessageReport(CaptionFailure, "You must select a file first");
    return false;
  }
  // An empty field (a new shortcut's Output) is no entry: nothing moves, and
  // the field is not refilled with the newest entry.
  if (text[0] == '\0') return true;
  void* key;
  long code = OpenListKey(registry, true, keyPath, &key);
  if (code != 0) {
    MessageReport(CaptionFailure, "Could not Create/Open Registry Key <%s> Error Code %d", keyPath,
                  static_cast<int>(code));
    return false;
  }

  // The stop slot: where the text already stands, else an empty newest entry
  // (left by an older version), else the last slot, whose text drops off.
  char slotText[RecentTextSize];
  int stop = RecentSlotCount - 1;
  for (int slot = RecentSlotCount - 2; slot >= 0; --slot) {
    if (!ReadRecentSlot(registry, key, slot, slotText)) continue;
    if (std::strcmp(slotText, text) == 0) stop = slot;
    if (slot == 0 && slotText[0] == '\0' && stop == RecentSlotCount - 1) stop = 0;
  }

  // Move the entries above the stop slot down by one; an absent slot is not
  // copied, so the slot below it keeps its text.
  for (int slot = stop - 1; slot >= 0; --slot) {
    if (!ReadRecentSlot(registry, key, slot, slotText)) continue;
    const char* name = RecentValueName(slot + 1);
    long written = registry->setValue(registry->context, key, name, slotText,
                                      static_cast<unsigned long>(std::strlen(slotText) + 1));
    if (written != 0)
      MessageReport(CaptionFailure, "Could not set Registry Key <%s><%s> Error Code %d", keyPath,
                    name, static_cast<int>(written));
  }

  long written = registry->setValue(registry->context, key, nullptr, text,
                                    static_cast<unsigned long>(std::strlen(text) + 1));
  if (written != 0)
    MessageReport(CaptionFailure, "Could not set Registry Key <%s> Error Code %d", keyPath,
                  static_cast<int>(written));
  registry->closeKey(registry->context, key);
  FillRecentListWith(registry, control, keyPath);
  return true;
}
