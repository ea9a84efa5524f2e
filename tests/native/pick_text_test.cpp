// The placement command line composed for a picked window.
#include "base/pick_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

TEST(PickText, RectangleAsLeftTopWidthHeightThenPath) {
  char buffer[PickTextSize];
  ASSERT_TRUE(ComposePickText(buffer, sizeof buffer, -8, -32, 1928, 1087, "C:\\Apps\\view.exe"));
  EXPECT_STREQ(buffer, "-8,-32,1936,1119 C:\\Apps\\view.exe");
  ASSERT_TRUE(ComposePickText(buffer, sizeof buffer, 100, 50, 100, 50, ""));
  EXPECT_STREQ(buffer, "100,50,0,0 ");
}

TEST(PickText, LongestTextThatFitsAndOneCharacterMore) {
  char buffer[PickTextSize];
  std::memset(buffer, 'Z', sizeof buffer);
  // "1,2,3,4 " is 8 bytes; the path fills the rest.
  std::string path(PickTextSize - 1 - 8, 'p');
  ASSERT_TRUE(ComposePickText(buffer, sizeof buffer, 1, 2, 4, 6, path.c_str()));
  EXPECT_EQ(std::strlen(buffer), PickTextSize - 1u);
  path += 'p';
  std::memset(buffer, 'Z', sizeof buffer);
  EXPECT_FALSE(ComposePickText(buffer, sizeof buffer, 1, 2, 4, 6, path.c_str()));
  EXPECT_STREQ(buffer, "");
  // No room at all: not even a terminator is written (here it would lie past the heap block).
  std::vector<char> block(8, 'Z');
  EXPECT_FALSE(ComposePickText(block.data() + block.size(), 0, 1, 2, 4, 6, "C:\\a.exe"));
}

TEST(PickText, ExtremeCoordinatesStayBounded) {
  char buffer[PickTextSize];
  ASSERT_TRUE(ComposePickText(buffer, sizeof buffer, -2147483647L - 1, -2147483647L - 1, 0, 0,
                              "C:\\a.exe"));
  EXPECT_STREQ(buffer, "-2147483648,-2147483648,2147483648,2147483648 C:\\a.exe");
}
