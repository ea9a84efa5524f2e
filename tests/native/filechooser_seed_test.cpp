// The file chooser's seed at the size of its fields, in buffers of exactly that size so that
// the sanitizer sees a byte written past them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/filechooser_seed.h"

namespace {

TEST(ChooserSeed, PartsFillingTheirFieldAreKeptAndLongerOnesLeaveItEmpty) {
  const size_t most = ChooserTextSize - 1;  // characters a field holds
  const std::string fitDir = "C:\\" + std::string(most - 3, 'd');
  const std::string longDir = "C:\\" + std::string(most - 2, 'd');
  const std::string fitName(most, 'n'), longName(most + 1, 'n');
  struct Case {
    std::string path;
    int fileOffset;
    std::string file, dir;
  } cases[] = {
      {fitDir + fitName, static_cast<int>(fitDir.size()), fitName, fitDir},
      {fitDir + longName, static_cast<int>(fitDir.size()), "", fitDir},
      {longDir + fitName, static_cast<int>(longDir.size()), fitName, ""},
      {fitDir, -1, "", fitDir},
      {fitDir, static_cast<int>(fitDir.size() + 1), "", fitDir},  // no final component either
      {longDir, -1, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.path.size()) + " " + std::to_string(c.fileOffset));
    std::vector<char> file(ChooserTextSize, 'x'), dir(ChooserTextSize, 'x');
    SplitChooserSeed(c.path.c_str(), c.path.c_str(), c.fileOffset, file.data(), dir.data());
    EXPECT_EQ(std::string(file.data()), c.file);
    EXPECT_EQ(std::string(dir.data()), c.dir);
  }
}

}  // namespace
