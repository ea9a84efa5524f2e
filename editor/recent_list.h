// The recent-entry list algorithm, over a small table of registry and
// list-control operations so it runs the same against the real registry and
// against a stand-in. Free of the platform.
#pragma once

#include "diag/text.h"

enum {
  RecentSlotCount = 16,       // slot 0 (the key's default value) is the newest
  RecentTextSize = TextSize,  // list texts and registry values, terminator included
};

// The two roots, tried in this order.
enum RecentRoot { RecentRootMachine = 0, RecentRootUser = 1 };

// Registry operations. Results are the platform's error codes (0 = success).
struct RecentRegistryOps {
  void* context;
  long (*openKey)(void* context, RecentRoot root, const char* keyPath, void** key);
  long (*createKey)(void* context, RecentRoot root, const char* keyPath, void** key);
  // Reads at most *size bytes of a text value's data into buffer and sets
  // *size to the data's length; a terminator is not guaranteed. A value of
  // another type is absent. A null or empty name is the key's default value.
  long (*queryValue)(void* context, void* key, const char* name, char* buffer, unsigned long* size);
  // Writes length bytes of text, its terminator included, as a string value.
  long (*setValue)(void* context, void* key, const char* name, const char* text,
                   unsigned long length);
  long (*deleteValue)(void* context, void* key, const char* name);
  void (*closeKey)(void* context, void* key);
};

// Operations on one drop-down list control.
struct RecentControlOps {
  void* context;
  void (*reset)(void* context);
  int (*addText)(void* context, const char* text);  // index, or negative on failure
  void (*selectFirst)(void* context);
};

// Value name of a slot: "" for slot 0, "01".."15" otherwise. The result lives
// in one shared buffer, valid until the next call.
const char* RecentValueName(int slot);

// Reads one slot into buffer (RecentTextSize bytes). True when the value
// exists and its text fits; buffer then holds a terminated text of at most
// RecentTextSize - 1 characters. False means the slot is absent.
bool ReadRecentSlot(const RecentRegistryOps* registry, void* key, int slot, char* buffer);

bool FillRecentListWith(const RecentRegistryOps* registry, const RecentControlOps* control,
                        const char* keyPath);
bool StoreRecentListWith(const RecentRegistryOps* registry, const RecentControlOps* control,
                         const char* keyPath, const char* text);
