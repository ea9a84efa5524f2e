// The recent-entry lists against an in-memory registry and list control.
#include "editor/recent_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/diag_capture.h"

namespace {

struct FakeValue {
  std::string data;  // raw bytes, as stored
};

struct FakeKey {
  RecentRoot root;
  std::string path;
};

struct FakeRegistry {
  std::map<std::string, std::map<std::string, FakeValue>> keys[2];  // by root, then path
  bool machineWritable = false;  // open/create under the machine root allowed
  long userCreateError = 0;      // when set, the per-user create fails with it
  std::set<std::string> failingWrites;
  std::vector<std::string> log;  // "open M", "create U", "set 01", ...
  int unterminatedWrites = 0;    // string values written without their terminator
  int openHandles = 0;
  FakeKey handles[8];
  int next = 0;

  std::map<std::string, FakeValue>& Values(RecentRoot root, const std::string& path) {
    return keys[root][path];
  }
};

const char* RootName(RecentRoot root) { return root == RecentRootMachine ? "M" : "U"; }

std::string NameOf(const char* name) { return name ? name : ""; }

long Open(void* c, RecentRoot root, const char* path, void** key) {
  auto* r = static_cast<FakeRegistry*>(c);
  r->log.push_back(std::string("open ") + RootName(root));
  if (root == RecentRootMachine && !r->machineWritable) return 5;  // access denied
  if (!r->keys[root].count(path)) return 2;
  FakeKey* k = &r->handles[r->next++ % 8];
  *k = {root, path};
  *key = k;
  ++r->openHandles;
  return 0;
}

long Create(void* c, RecentRoot root, const char* path, void** key) {
  auto* r = static_cast<FakeRegistry*>(c);
  r->log.push_back(std::string("create ") + RootName(root));
  if (root == RecentRootMachine && !r->machineWritable) return 5;
  if (root == RecentRootUser && r->userCreateError) return r->userCreateError;
  r->keys[root][path];
  FakeKey* k = &r->handles[r->next++ % 8];
  *k = {root, path};
  *key = k;
  ++r->openHandles;
  return 0;
}

// Like the platform: copies raw bytes, adds no terminator, refuses data that
// is larger than the buffer.
long Query(void* c, void* key, const char* name, char* buffer, unsigned long* size) {
  auto* r = static_cast<FakeRegistry*>(c);
  auto* k = static_cast<FakeKey*>(key);
  auto& values = r->keys[k->root][k->path];
  auto it = values.find(NameOf(name));
  if (it == values.end()) return 2;
  const std::string& data = it->second.data;
  if (data.size() > *size) {
    *size = static_cast<unsigned long>(data.size());
    return 234;  // more data
  }
  std::memcpy(buffer, data.data(), data.size());
  *size = static_cast<unsigned long>(data.size());
  return 0;
}

long Set(void* c, void* key, const char* name, const char* text, unsigned long length) {
  auto* r = static_cast<FakeRegistry*>(c);
  auto* k = static_cast<FakeKey*>(key);
  r->log.push_back("set " + NameOf(name));
  if (r->failingWrites.count(NameOf(name))) return 1018;
  // Kept as the text it is; the terminator is checked, not stored.
  if (length == 0 || text[length - 1] != '\0')
    ++r->unterminatedWrites;
  else
    --length;
  r->keys[k->root][k->path][NameOf(name)] = {std::string(text, length)};
  return 0;
}

long Delete(void* c, void* key, const char* name) {
  auto* r = static_cast<FakeRegistry*>(c);
  auto* k = static_cast<FakeKey*>(key);
  return r->keys[k->root][k->path].erase(NameOf(name)) ? 0 : 2;
}

void Close(void* c, void*) { --static_cast<FakeRegistry*>(c)->openHandles; }

struct FakeCombo {
  std::vector<std::string> items;
  std::string edit;
  std::set<std::string> refused;  // adding these answers CB_ERRSPACE
  int resets = 0;
};

void Reset(void* c) {
  auto* b = static_cast<FakeCombo*>(c);
  b->items.clear();
  b->edit.clear();
  ++b->resets;
}
int Add(void* c, const char* text) {
  auto* b = static_cast<FakeCombo*>(c);
  if (b->refused.count(text)) return -2;
  b->items.push_back(text);
  return static_cast<int>(b->items.size()) - 1;
}
void SelectFirst(void* c) {
  auto* b = static_cast<FakeCombo*>(c);
  if (!b->items.empty()) b->edit = b->items[0];
}

const char* Key = "SOFTWARE\\Tavrisol\\input";
const std::string X = "0,0,800,600 C:\\Tools\\edit.exe";
const std::string Y = "-8,-8,1936,1056 C:\\Apps\\view.exe";

class RecentList : public ::testing::Test {
 protected:
  void SetUp() override { ClearCaptured(); }
  void TearDown() override { EXPECT_EQ(registry.unterminatedWrites, 0); }

  bool Store(const std::string& text) {
    return StoreRecentListWith(&ops, &control, Key, text.c_str());
  }
  bool Fill() { return FillRecentListWith(&ops, &control, Key); }
  std::map<std::string, FakeValue>& User() { return registry.Values(RecentRootUser, Key); }
  std::map<std::string, FakeValue>& Machine() { return registry.Values(RecentRootMachine, Key); }
  // Slots 0..15 as texts; "-" for absent.
  std::vector<std::string> Slots(std::map<std::string, FakeValue>& values) {
    std::vector<std::string> out;
    for (int i = 0; i < 16; ++i) {
      auto it = values.find(i ? (i < 10 ? "0" : "") + std::to_string(i) : "");
      out.push_back(it == values.end() ? "-" : it->second.data);
    }
    return out;
  }
  void FillAll(std::map<std::string, FakeValue>& values) {
    for (int i = 0; i < 16; ++i) values[RecentValueName(i)] = {"t" + std::to_string(i)};
  }

  FakeRegistry registry;
  FakeCombo combo;
  RecentRegistryOps ops{&registry, Open, Create, Query, Set, Delete, Close};
  RecentControlOps control{&combo, Reset, Add, SelectFirst};
};

TEST(RecentValueName, SlotZeroIsDefaultOthersTwoDigits) {
  EXPECT_STREQ(RecentValueName(0), "");
  EXPECT_STREQ(RecentValueName(1), "01");
  EXPECT_STREQ(RecentValueName(9), "09");
  EXPECT_STREQ(RecentValueName(15), "15");
}

TEST_F(RecentList, WorkedExampleOfThreeStoresUnderThePerUserRoot) {
  ASSERT_TRUE(Store(X));
  EXPECT_EQ(User().size(), 1u);
  EXPECT_EQ(User()[""].data, X);
  EXPECT_EQ(combo.items, std::vector<std::string>({X}));

  ASSERT_TRUE(Store(Y));
  EXPECT_EQ(User().size(), 2u);
  EXPECT_EQ(User()[""].data, Y);
  EXPECT_EQ(User()["01"].data, X);
  EXPECT_EQ(combo.items, std::vector<std::string>({Y, X}));

  ASSERT_TRUE(Store(X));
  EXPECT_EQ(User().size(), 2u);
  EXPECT_EQ(User()[""].data, X);
  EXPECT_EQ(User()["01"].data, Y);
  EXPECT_EQ(combo.items, std::vector<std::string>({X, Y}));
  EXPECT_EQ(combo.edit, X);
  EXPECT_TRUE(CapturedReports().empty());
  EXPECT_EQ(registry.openHandles, 0);
  // Each store tried the machine-wide root first.
  EXPECT_EQ(registry.log[0], "create M");
  EXPECT_EQ(registry.log[1], "create U");
  EXPECT_TRUE(registry.keys[RecentRootMachine].empty());
}

TEST_F(RecentList, MachineRootIsUsedWhenItOpensEvenIfAUserKeyExists) {
  registry.machineWritable = true;
  Machine()[""] = {"machine"};
  User()[""] = {"user"};
  Fill();
  EXPECT_EQ(combo.items, std::vector<std::string>({"machine"}));
  ASSERT_TRUE(Store("new"));
  EXPECT_EQ(Machine()[""].data, "new");
  EXPECT_EQ(Machine()["01"].data, "machine");
  EXPECT_EQ(User().size(), 1u);
}

TEST_F(RecentList, FillShowsNothingWhenNoKeyOpensOrTheKeyIsEmpty) {
  // No placeholder text: the field stays empty and shows its cue.
  Fill();
  EXPECT_TRUE(combo.items.empty());
  EXPECT_EQ(combo.edit, "");
  EXPECT_TRUE(CapturedReports().empty());

  User();  // the key exists but holds nothing
  Fill();
  EXPECT_TRUE(combo.items.empty());
  EXPECT_EQ(combo.edit, "");
  EXPECT_EQ(registry.openHandles, 0);
}

TEST_F(RecentList, FillReadsAllSixteenSlotsSkippingGapsAndReportsRefusedItems) {
  User()[""] = {"a"};
  User()["03"] = {"b"};
  User()["15"] = {"c"};
  combo.refused.insert("b");
  Fill();
  EXPECT_EQ(combo.items, std::vector<std::string>({"a", "c"}));
  ASSERT_EQ(CapturedReports().size(), 1u);
  EXPECT_EQ(CapturedReports()[0].caption, "Failure");
  EXPECT_EQ(CapturedReports()[0].text, "Combo Box add error");
}

TEST_F(RecentList, StoringTheTextOfSlotFiveMovesOnlySlotsAboveIt) {
  FillAll(User());
  ASSERT_TRUE(Store("t5"));
  auto s = Slots(User());
  EXPECT_EQ(s[0], "t5");
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(s[i], "t" + std::to_string(i - 1));
  for (int i = 6; i < 16; ++i) EXPECT_EQ(s[i], "t" + std::to_string(i));
  EXPECT_EQ(combo.items.size(), 16u);
}

TEST_F(RecentList, FullListDropsTheOldestAndTextOnlyInSlotFifteenStandsOnce) {
  FillAll(User());
  ASSERT_TRUE(Store("new"));
  auto s = Slots(User());
  EXPECT_EQ(s[0], "new");
  for (int i = 1; i < 16; ++i) EXPECT_EQ(s[i], "t" + std::to_string(i - 1));

  ASSERT_TRUE(Store("t14"));  // now only in slot 15
  s = Slots(User());
  EXPECT_EQ(s[0], "t14");
  EXPECT_EQ(s[1], "new");
  EXPECT_EQ(s[15], "t13");
  EXPECT_EQ(std::count(s.begin(), s.end(), "t14"), 1);
}

TEST_F(RecentList, StoringTheNewestTextKeepsTheOrder) {
  User()[""] = {X};
  User()["01"] = {Y};
  ASSERT_TRUE(Store(X));
  auto s = Slots(User());
  EXPECT_EQ(s[0], X);
  EXPECT_EQ(s[1], Y);
  EXPECT_EQ(s[2], "-");
}

TEST_F(RecentList, EmptyTextIsNeverStoredAndEveryTextStandsOnce) {
  User()[""] = {"a"};
  User()["01"] = {"N"};
  User()["02"] = {"b"};
  ASSERT_TRUE(Store(""));  // an empty Output: nothing written, the field stays empty
  EXPECT_EQ(combo.resets, 0);
  ASSERT_TRUE(Store("N"));  // then the new shortcut's path
  EXPECT_EQ(combo.items, std::vector<std::string>({"N", "a", "b"}));
  // An empty newest entry left by an older version is replaced in place.
  User()[""] = {""};
  ASSERT_TRUE(Store("c"));
  EXPECT_EQ(combo.items, std::vector<std::string>({"c", "a", "b"}));
}

TEST_F(RecentList, GapsCloseAndDuplicatesGoOnEveryStore) {
  User()[""] = {"s0"};
  User()["01"] = {"s1"};
  User()["05"] = {"s5"};
  User()["07"] = {"s1"};
  User()["09"] = {"new"};
  Fill();
  EXPECT_EQ(combo.items, std::vector<std::string>({"s0", "s1", "s5", "new"}));
  ASSERT_TRUE(Store("new"));
  EXPECT_EQ(Slots(User()), std::vector<std::string>({"new", "s0", "s1", "s5", "-", "-", "-", "-",
                                                     "-", "-", "-", "-", "-", "-", "-", "-"}));
  EXPECT_EQ(combo.items, std::vector<std::string>({"new", "s0", "s1", "s5"}));
  EXPECT_EQ(registry.openHandles, 0);
}

TEST_F(RecentList, KeyNeitherCreatedNorOpenedReportsThePerUserCode) {
  registry.userCreateError = 1021;
  EXPECT_FALSE(Store(X));
  ASSERT_EQ(CapturedReports().size(), 1u);
  EXPECT_EQ(CapturedReports()[0].text,
            "Could not Create/Open Registry Key <SOFTWARE\\Tavrisol\\input> Error Code 1021\n"
            "system text 1021");
  EXPECT_EQ(combo.resets, 0);
}

TEST_F(RecentList, FailedWritesAreReportedAndTheStoreGoesOn) {
  User()[""] = {"s0"};
  User()["01"] = {"s1"};
  registry.failingWrites = {"02", ""};
  EXPECT_TRUE(Store("new"));
  ASSERT_EQ(CapturedReports().size(), 2u);
  EXPECT_EQ(CapturedReports()[0].text,
            "Could not set Registry Key <SOFTWARE\\Tavrisol\\input><02> Error Code 1018\n"
            "system text 1018");
  EXPECT_EQ(CapturedReports()[1].text,
            "Could not set Registry Key <SOFTWARE\\Tavrisol\\input> Error Code 1018\n"
            "system text 1018");
  auto s = Slots(User());
  EXPECT_EQ(s[0], "s0");  // the old newest stays, the move into 01 went through
  EXPECT_EQ(s[1], "s0");
  EXPECT_EQ(s[2], "-");
  EXPECT_EQ(combo.items, std::vector<std::string>({"s0"}));
  EXPECT_EQ(registry.openHandles, 0);
}

TEST_F(RecentList, ValueTooLargeIsAbsentInFillSearchAndMoves) {
  User()[""] = {"s0"};
  User()["01"] = {std::string(RecentTextSize, 'x')};  // no room for a terminator
  User()["02"] = {std::string(RecentTextSize + 80, 'y')};
  User()["03"] = {std::string(RecentTextSize - 1, 'z') + '\0'};  // fits exactly with its terminator
  Fill();
  ASSERT_EQ(combo.items.size(), 2u);
  EXPECT_EQ(combo.items[1], std::string(RecentTextSize - 1, 'z'));

  ASSERT_TRUE(Store(std::string(RecentTextSize - 1, 'z')));
  auto s = Slots(User());
  EXPECT_EQ(s[0], std::string(RecentTextSize - 1, 'z'));
  EXPECT_EQ(s[1], "s0");
  EXPECT_EQ(s[2], "-");  // no text of the list: the gap closes
  EXPECT_EQ(s[3], "-");
  EXPECT_EQ(combo.items, std::vector<std::string>({std::string(RecentTextSize - 1, 'z'), "s0"}));
  // A text too long for a slot is refused, not cut.
  ClearCaptured();
  EXPECT_FALSE(Store(std::string(RecentTextSize, 'w')));
  ASSERT_EQ(CapturedReports().size(), 1u);
  EXPECT_EQ(CapturedReports()[0].text, "Text too long for the list (more than 2047 bytes)");
  EXPECT_EQ(Slots(User())[0], std::string(RecentTextSize - 1, 'z'));
}

TEST_F(RecentList, UnterminatedAndOtherTypedValuesReadAsTerminatedText) {
  // Stored without a terminator, followed in the buffer by stale bytes of an
  // earlier, longer read.
  User()[""] = {std::string(300, 'L')};
  User()["01"] = {"short"};
  User()["02"] = {std::string("AB\0CD", 5)};                    // e.g. binary data with a zero
  User()["03"] = {std::string(RecentTextSize - 1, 'q') + 'r'};  // fills the buffer, unterminated
  Fill();
  ASSERT_EQ(combo.items.size(), 3u);
  EXPECT_EQ(combo.items[0], std::string(300, 'L'));
  EXPECT_EQ(combo.items[1], "short");
  EXPECT_EQ(combo.items[2], "AB");
}

TEST_F(RecentList, ReadRecentSlotAlwaysTerminatesWithinTheBuffer) {
  void* key;
  User()["01"] = {std::string(RecentTextSize - 1, 'a')};
  ASSERT_EQ(Open(&registry, RecentRootUser, Key, &key), 0);
  char buffer[RecentTextSize];
  std::memset(buffer, 'Z', sizeof buffer);
  ASSERT_TRUE(ReadRecentSlot(&ops, key, 1, buffer));
  EXPECT_EQ(std::strlen(buffer), RecentTextSize - 1u);
  EXPECT_FALSE(ReadRecentSlot(&ops, key, 2, buffer));
}

}  // namespace
