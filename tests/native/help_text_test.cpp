// The help text's layout, which the text viewer shows line by line.
#include "editor/help_text.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::vector<std::string>> Paragraphs() {
  std::vector<std::vector<std::string>> paragraphs(1);
  std::istringstream in(HelpText);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty())
      paragraphs.emplace_back();
    else
      paragraphs.back().push_back(line);
  }
  return paragraphs;
}

TEST(HelpText, NineParagraphsOfLinefeedEndedLines) {
  std::string text = HelpText;
  EXPECT_EQ(text.find('\r'), std::string::npos);
  EXPECT_EQ(text.back(), '\n');
  EXPECT_EQ(text.find("\n\n\n"), std::string::npos);
  auto paragraphs = Paragraphs();
  ASSERT_EQ(paragraphs.size(), 9u);
  for (auto& p : paragraphs) EXPECT_FALSE(p.empty());
  ASSERT_EQ(paragraphs[0].size(), 1u);
  // The version set in CMakeLists.txt, whatever it is.
  EXPECT_EQ(paragraphs[0][0], "Tavrisol version " TAVRISOL_PROJECT_VERSION ", 06/01/18");
}

TEST(HelpText, SecondParagraphIndentsItsSecondAndThirdLines) {
  auto paragraphs = Paragraphs();
  ASSERT_GE(paragraphs.size(), 2u);
  auto& p = paragraphs[1];
  ASSERT_GE(p.size(), 3u);
  EXPECT_NE(p[0][0], '\t');
  EXPECT_EQ(p[1][0], '\t');
  EXPECT_EQ(p[2][0], '\t');
  EXPECT_STREQ(HelpTitle, "About Tavrisol " TAVRISOL_PROJECT_VERSION);
}

TEST(HelpText, WorkedExampleCoordinates) {
  std::string text = HelpText;
  EXPECT_NE(text.find("-8,-32,1936,1119"), std::string::npos);
  EXPECT_NE(text.find("-8,-32,1382,807"), std::string::npos);
  EXPECT_NE(text.find("fill C:\\Apps\\view.exe"), std::string::npos);
  // What the program does: a minimised window is restored, never maximised.
  EXPECT_EQ(text.find("maximise"), std::string::npos);
  EXPECT_NE(text.find("first restored"), std::string::npos);
  EXPECT_NE(text.find("need tavrisolhelper.dll beside"), std::string::npos);
}

}  // namespace
