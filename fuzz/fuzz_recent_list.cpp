// Fills and stores of a recent-entry list over registry values of any length
// and content: every text shown must be terminated within the list buffer, and
// a store without failing writes must put its whole text first, and no text
// stands twice.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "editor/recent_list.h"
#include "support/diag_capture.h"

namespace {

struct State {
  std::map<std::string, std::string> values;
  bool keyExists = false;
  bool failWrites = false;
  std::vector<std::string> items;
  std::string edit;
};

long Open(void* c, RecentRoot root, const char*, void** key) {
  auto* s = static_cast<State*>(c);
  if (root == RecentRootMachine || !s->keyExists) return 2;
  *key = s;
  return 0;
}
long Create(void* c, RecentRoot root, const char*, void** key) {
  auto* s = static_cast<State*>(c);
  if (root == RecentRootMachine) return 5;
  s->keyExists = true;
  *key = s;
  return 0;
}
long Query(void* c, void*, const char* name, char* buffer, unsigned long* size) {
  auto* s = static_cast<State*>(c);
  auto it = s->values.find(name ? name : "");
  if (it == s->values.end()) return 2;
  if (it->second.size() > *size) {
    *size = static_cast<unsigned long>(it->second.size());
    return 234;
  }
  std::memcpy(buffer, it->second.data(), it->second.size());
  *size = static_cast<unsigned long>(it->second.size());
  return 0;
}
long Set(void* c, void*, const char* name, const char* text, unsigned long length) {
  auto* s = static_cast<State*>(c);
  if (s->failWrites) return 1018;
  s->values[name ? name : ""] = std::string(text, length);
  return 0;
}
long Delete(void* c, void*, const char* name) {
  return static_cast<State*>(c)->values.erase(name ? name : "") ? 0 : 2;
}
void Close(void*, void*) {}
void Reset(void* c) {
  static_cast<State*>(c)->items.clear();
  static_cast<State*>(c)->edit.clear();
}
int Add(void* c, const char* text) {
  if (std::strlen(text) > RecentTextSize - 1) std::abort();
  static_cast<State*>(c)->items.push_back(text);
  return 0;
}
void SelectFirst(void* c) {
  auto* s = static_cast<State*>(c);
  if (!s->items.empty()) s->edit = s->items[0];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ClearCaptured();
  State state;
  size_t at = 0;
  auto byte = [&]() -> unsigned { return at < size ? data[at++] : 0; };
  unsigned flags = byte();
  state.keyExists = flags & 1;
  state.failWrites = flags & 2;
  for (int slot = 0; slot < RecentSlotCount; ++slot) {
    unsigned present = byte();
    if (!(present & 1)) continue;
    size_t length = (byte() << 8 | byte()) % (RecentTextSize + 200);
    std::string value;
    for (size_t i = 0; i < length && at < size; ++i) value += static_cast<char>(data[at++]);
    state.values[RecentValueName(slot)] = value;
  }
  std::string text;
  while (at < size && text.size() < RecentTextSize + 100) {
    char c = static_cast<char>(data[at++]);
    if (c) text += c;
  }
  RecentRegistryOps registry = {&state, Open, Create, Query, Set, Delete, Close};
  RecentControlOps control = {&state, Reset, Add, SelectFirst};
  FillRecentListWith(&registry, &control, "SOFTWARE\\Tavrisol\\input");
  // Every text shown stands there once.
  for (size_t i = 0; i < state.items.size(); ++i)
    for (size_t j = 0; j < i; ++j)
      if (state.items[i] == state.items[j]) std::abort();
  bool stored = StoreRecentListWith(&registry, &control, "SOFTWARE\\Tavrisol\\input", text.c_str());
  // A text is stored whole or not at all.
  if (stored && text.size() >= RecentTextSize) std::abort();
  if (stored && !state.failWrites && !text.empty() &&
      (state.items.empty() || state.items[0] != text))
    std::abort();
  return 0;
}
