#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "placement/command.h"
#include "placement/usage.h"

namespace {

// Parses a copy of text; the buffer stays alive so the command can be read.
struct Parsed {
  std::vector<char> line;
  PlacementRequest request = {0, 0, 0, 0, nullptr, 0};
  PlacementParse result;

  explicit Parsed(const std::string& text) : line(text.begin(), text.end()) {
    line.push_back('\0');
    result = ParsePlacementCommand(line.data(), &request);
  }
  std::string commandLine() const { return line.data(); }
  std::string command() const { return request.command; }
};

TEST(PlacementCommand, ReadsFourNumbersAndTheCommand) {
  Parsed p("100,200,640,480 C:\\windows\\notepad.exe");
  ASSERT_EQ(p.result, PlacementParsed);
  EXPECT_EQ(p.request.left, 100);
  EXPECT_EQ(p.request.top, 200);
  EXPECT_EQ(p.request.width, 640);
  EXPECT_EQ(p.request.height, 480);
  EXPECT_EQ(p.command(), "C:\\windows\\notepad.exe");
  // The command is a tail of the line itself, not a copy.
  EXPECT_EQ(p.request.command, p.line.data() + 16);
}

TEST(PlacementCommand, SignsAndNegativePositions) {
  Parsed p("-8,-32,1936,1119 cmd");
  ASSERT_EQ(p.result, PlacementParsed);
  EXPECT_EQ(p.request.left, -8);
  EXPECT_EQ(p.request.top, -32);
  EXPECT_EQ(p.request.width, 1936);
  EXPECT_EQ(p.request.height, 1119);
  EXPECT_EQ(p.command(), "cmd");

  Parsed plus("+5,-0,+7,8 app.exe");
  ASSERT_EQ(plus.result, PlacementParsed);
  EXPECT_EQ(plus.request.left, 5);
  EXPECT_EQ(plus.request.top, 0);
  EXPECT_EQ(plus.request.width, 7);
  EXPECT_EQ(plus.command(), "app.exe");
}

TEST(PlacementCommand, MissingCoordinates) {
  for (const char* text : {"1,2,3 app.exe", "app.exe", "", "1 ,2,3,4 app.exe", "1,2,3,x app.exe",
                           "a1,2,3,4 app.exe", "1;2;3;4 app.exe"}) {
    Parsed p(text);
    EXPECT_EQ(p.result, PlacementMissingCoordinates) << text;
    EXPECT_EQ(p.commandLine(), text) << "the line is left as received";
  }
}

TEST(PlacementCommand, NoSpaceMeansNoCommand) {
  Parsed p("1,2,3,4");
  EXPECT_EQ(p.result, PlacementNoCommand);
  // A tab is no separator, and trailing whitespace is not trimmed then.
  Parsed tab("1,2,3,4\tapp.exe\r\n");
  EXPECT_EQ(tab.result, PlacementNoCommand);
  EXPECT_EQ(tab.commandLine(), "1,2,3,4\tapp.exe\r\n");
}

TEST(PlacementCommand, WhitespaceBeforeNumbersIsSkippedByTheReader) {
  // Leading blanks before a number are read past, and the command begins
  // after the first space that follows the numbers.
  Parsed p("1, 2,3,4 app.exe");
  ASSERT_EQ(p.result, PlacementParsed);
  EXPECT_EQ(p.request.top, 2);
  EXPECT_EQ(p.request.height, 4);
  EXPECT_EQ(p.command(), "app.exe");

  Parsed tabbed("1,\t2,3,4 app.exe");
  ASSERT_EQ(tabbed.result, PlacementParsed);
  EXPECT_EQ(tabbed.request.top, 2);
  EXPECT_EQ(tabbed.command(), "app.exe");
}

TEST(PlacementCommand, SizesBelowOneAreRefused) {
  for (const char* text : {"1,2,0,4 app.exe", "1,2,3,-4 app.exe", "1,2,-5,0"})
    EXPECT_EQ(Parsed(text).result, PlacementBadSize) << text;
  EXPECT_EQ(Parsed("1,2,1,1 app.exe").result, PlacementParsed);
}

TEST(PlacementCommand, TabBeforeTheCommandTakesTheNextSpace) {
  Parsed p("1,2,3,4\tC:\\My App\\app.exe");
  ASSERT_EQ(p.result, PlacementParsed);
  EXPECT_EQ(p.command(), "App\\app.exe");
}

TEST(PlacementCommand, TextAfterTheFourthNumberIsIgnored) {
  Parsed letters("1,2,3,4abc app.exe");
  ASSERT_EQ(letters.result, PlacementParsed);
  EXPECT_EQ(letters.request.height, 4);
  EXPECT_EQ(letters.command(), "app.exe");

  Parsed fifth("1,2,3,4,5 app.exe");
  ASSERT_EQ(fifth.result, PlacementParsed);
  EXPECT_EQ(fifth.command(), "app.exe");
}

TEST(PlacementCommand, FifthNumberFromOneToADayAsksForAHold) {
  struct Case {
    const char* line;
    int32_t holdSeconds;
  } cases[] = {
      {"1,2,3,4 app.exe", 0},        {"1,2,3,4,600 app.exe", 600},
      {"1,2,3,4,1 app.exe", 1},      {"1,2,3,4,86400 app.exe", 86400},
      {"1,2,3,4,0600 app.exe", 600}, {"1,2,3,4,0 app.exe", 0},
      {"1,2,3,4,86401 app.exe", 0},  {"1,2,3,4,99999999999 app.exe", 0},
      {"1,2,3,4,-5 app.exe", 0},     {"1,2,3,4,+5 app.exe", 0},
      {"1,2,3,4,5s app.exe", 0},     {"1,2,3,4,abc app.exe", 0},
      {"1,2,3,4, app.exe", 0},       {"1,2,3,4,5,6 app.exe", 0},
      {"1,2,3,4x,5 app.exe", 0},     {"1,2,3,4\t,5 app.exe", 0},
      {"1, 2,3,4,5 app.exe", 5},
  };
  for (const Case& c : cases) {
    Parsed p(c.line);
    ASSERT_EQ(p.result, PlacementParsed) << c.line;
    EXPECT_EQ(p.request.holdSeconds, c.holdSeconds) << c.line;
    EXPECT_EQ(p.request.height, 4) << c.line;
    // The command and the line are what they always were.
    EXPECT_EQ(p.commandLine(), c.line);
  }
}

TEST(PlacementCommand, FillWordsStandForTheFourNumbers) {
  struct Case {
    const char* line;
    int32_t fill, monitor, holdSeconds;
  } cases[] = {
      {"fill app.exe", FillMonitor, 0, 0},       {"fillwork app.exe", FillWorkArea, 0, 0},
      {"fill:2 app.exe", FillMonitor, 2, 0},     {"FillWork:3,600 app.exe", FillWorkArea, 3, 600},
      {"fill,600 app.exe", FillMonitor, 0, 600}, {"fill:99 app.exe", FillMonitor, 99, 0},
      {"1,2,3,4 app.exe", FillNone, 0, 0},
  };
  for (const Case& c : cases) {
    Parsed p(c.line);
    ASSERT_EQ(p.result, PlacementParsed) << c.line;
    EXPECT_EQ(p.request.fill, c.fill) << c.line;
    EXPECT_EQ(p.request.fillMonitor, c.monitor) << c.line;
    EXPECT_EQ(p.request.holdSeconds, c.holdSeconds) << c.line;
    EXPECT_EQ(p.command(), "app.exe") << c.line;
    EXPECT_TRUE(BeginsWithPlacementArea(c.line)) << c.line;
  }
  for (const char* line : {"fil C:\\x.exe", "fillx app.exe", "filler app.exe", "fill:0 app.exe",
                           "fill: app.exe", "fill:100 app.exe", "fill:2x app.exe",
                           "fillwork2 app.exe", " fill app.exe", "fill\tapp.exe"}) {
    EXPECT_EQ(Parsed(line).result, PlacementMissingCoordinates) << line;
    EXPECT_FALSE(BeginsWithPlacementArea(line)) << line;
  }
  EXPECT_EQ(Parsed("fill").result, PlacementNoCommand);
  EXPECT_EQ(Parsed("fillwork:2").result, PlacementNoCommand);
}

TEST(PlacementCommand, PlacementAreaBeginsWithFourCommaSeparatedIntegers) {
  EXPECT_TRUE(BeginsWithPlacementArea("-8,-32,1936,1119 C:\\x.exe"));
  EXPECT_TRUE(BeginsWithPlacementArea("1,2,3,4"));
  EXPECT_TRUE(BeginsWithPlacementArea("\t1,\n2, +3,-4x"));
  EXPECT_FALSE(BeginsWithPlacementArea(""));
  EXPECT_FALSE(BeginsWithPlacementArea("1,2,3"));
  EXPECT_FALSE(BeginsWithPlacementArea("1,2,3 ,4"));
  EXPECT_FALSE(BeginsWithPlacementArea("a1,2,3,4"));
  EXPECT_FALSE(BeginsWithPlacementArea("1;2;3;4"));
}

TEST(PlacementCommand, SkipsLeadingAndTrimsTrailingWhitespaceInPlace) {
  Parsed p("1,2,3,4 \t\r\n\v\f C:\\a b\\app.exe arg \t\r\n\v\f");
  ASSERT_EQ(p.result, PlacementParsed);
  EXPECT_EQ(p.command(), "C:\\a b\\app.exe arg");
  // The line shortens with the command; inner whitespace stays.
  EXPECT_EQ(p.commandLine(), "1,2,3,4 \t\r\n\v\f C:\\a b\\app.exe arg");
}

TEST(PlacementCommand, HighBytesAreNotWhitespace) {
  Parsed p("1,2,3,4 \xA0x\xA0\x85");
  ASSERT_EQ(p.result, PlacementParsed);
  EXPECT_EQ(p.command(), "\xA0x\xA0\x85");
  EXPECT_FALSE(IsCommandWhitespace('\xA0'));
  EXPECT_FALSE(IsCommandWhitespace('\x85'));
  EXPECT_FALSE(IsCommandWhitespace('\x08'));
  EXPECT_FALSE(IsCommandWhitespace('\x0E'));
  EXPECT_TRUE(IsCommandWhitespace('\x0B'));
}

TEST(PlacementCommand, EmptyCommandIsAccepted) {
  Parsed p("1,2,3,4   \t");
  ASSERT_EQ(p.result, PlacementParsed);
  EXPECT_EQ(p.command(), "");
}

TEST(PlacementCommand, NumbersAreReadAlikeOnEveryPlatform) {
  // Beyond the 32-bit range a number is clamped, as strtol does; a sign needs a digit after it.
  struct Case {
    const char* text;
    int filled;
    int32_t numbers[4];
    size_t consumed;
  } cases[] = {
      {"2147483647,-2147483648,2147483648,-2147483649 x",
       4,
       {2147483647, INT32_MIN, 2147483647, INT32_MIN},
       45},
      {"99999999999999999999999,+7,-0,4", 4, {2147483647, 7, 0, 4}, 31},
      {" \t1,\n2,\v3,\f4", 4, {1, 2, 3, 4}, 12},
      {"1,+,3,4", 1, {1}, 1},
      {"1,2 ,3,4", 2, {1, 2}, 3},
      {"-", 0, {}, 0},
      {"", 0, {}, 0},
      {"1,2,3,4,5", 4, {1, 2, 3, 4}, 7},
  };
  for (const Case& c : cases) {
    int32_t numbers[4] = {0, 0, 0, 0};
    const char* end = nullptr;
    EXPECT_EQ(ReadCommaNumbers(c.text, numbers, 4, &end), c.filled) << c.text;
    for (int i = 0; i < c.filled; ++i) EXPECT_EQ(numbers[i], c.numbers[i]) << c.text << " #" << i;
    EXPECT_EQ(static_cast<size_t>(end - c.text), c.consumed) << c.text;
  }
  Parsed big("1,2,99999999999,4 app.exe");
  ASSERT_EQ(big.result, PlacementParsed);
  EXPECT_EQ(big.request.width, 2147483647);
}

TEST(PlacementCommand, OnlyAbsolutePathsCountAsAbsolute) {
  for (const char* path : {"C:\\a.exe", "z:/a.exe", "\\\\server\\share\\a.exe", "//srv/a.exe"})
    EXPECT_TRUE(IsAbsolutePath(path)) << path;
  for (const char* path : {"a.exe", "tools\\a.exe", ".\\a.exe", "\\a.exe", "C:a.exe", "", "1:\\a"})
    EXPECT_FALSE(IsAbsolutePath(path)) << path;
}

TEST(PlacementCommand, TheProgramPartIsQuotedForTheStartAndTheArgumentsFollowAsGiven) {
  struct Row {
    const char* command;
    const char* quoted;     // "" when it does not fit the 24 bytes
    const char* arguments;  // as the program receives them
  } rows[] = {
      {"C:\\My Tools\\a.exe -x", "\"C:\\My Tools\\a.exe\" -x", "-x"},
      {"\"C:\\A B\\a.exe\"  -x  y ", "\"C:\\A B\\a.exe\"  -x  y ", "-x  y"},
      {"C:\\AB\\a.exe", "\"C:\\AB\\a.exe\"", ""},
      {"a.exe\t b", "\"a.exe\"\t b", "b"},
      {"C:\\A B\\abcdefghij.exe", "\"C:\\A B\\abcdefghij.exe\"", ""},  // 23 bytes and the end
      {"C:\\A B\\abcdefghijk.exe", "", ""},                            // one byte too long
  };
  for (const Row& row : rows) {
    std::vector<char> quoted(24, 'x');  // exactly as large, so that a write past it is caught
    EXPECT_EQ(QuoteProgramPart(row.command, quoted.data(), quoted.size()), row.quoted[0] != 0)
        << row.command;
    if (row.quoted[0] != 0) {
      EXPECT_STREQ(quoted.data(), row.quoted);
    }
    size_t length;
    const char* arguments = ArgumentsOfCommand(row.command, &length);
    EXPECT_EQ(std::string(arguments, length), row.arguments) << row.command;
  }
}

// The arguments as NextArgumentUnit gives them, each followed by "|".
std::string Split(const char* text) {
  ArgumentReader reader = {text, text + std::strlen(text)};
  std::string arguments;
  for (int unit; (unit = NextArgumentUnit(&reader)) != ArgumentsEnd;)
    arguments += unit == ArgumentEnd ? '|' : static_cast<char>(unit);
  return arguments;
}

TEST(PlacementCommand, ArgumentsAreSplitAsWinesCommandLineToArgvWSplitsThem) {
  // Each row as CommandLineToArgvW of Wine 8 gave it, after the program's name.
  // clang-format off
  const char* rows[][2] = {
      {"\"a b\" c", "a b|c|"},        {"a\\\\\"b c\"", "a\\b c|"},    {"a\\\"b", "a\"b|"},
      {"a\\\\\\\"b", "a\\\"b|"},      {"a\\\\b", "a\\\\b|"},          {"a\\b\\", "a\\b\\|"},
      {"\"a\"\"b\" c", "a\"b c|"},    {"\"a\"\"\"b\" c", "a\"b|c|"},  {"\"\"\"a\"\"\" c", "\"a\"|c|"},
      {"a\"\"b", "ab|"},              {"\"\" x", "|x|"},              {"\"\"\"\" x", "\" x|"},
      {"\"a\"b\"c d\"", "abc d|"},    {" \t a \t ", "a|"},            {"a\nb\vc", "a\nb\vc|"},
      {"a \"", "a||"},                {"\"a\"\"", "a\"|"},            {"\"\"\"\"\"", "\"|"},
      {"a\"\"\"b", "a\"b|"},          {"\"a\\\"\"b\"", "a\"b|"},      {"\\\\\"\"a", "\\a|"},
      {"", ""},
  };
  // clang-format on
  for (const auto& row : rows) EXPECT_EQ(Split(row[0]), row[1]) << row[0];
}

TEST(PlacementCommand, ArgumentsCompareAndHashAsTheProgramReceivesThem) {
  // Each line's program is quoted, so it reads alike as a command: its hash is the command's
  // exactly when its arguments are.
  struct Row {
    const char* command;
    const char* line;
    bool same;
  } rows[] = {
      {"C:\\n.exe C:\\a.txt", "\"n\" \"C:\\a.txt\"", true},
      {"C:\\n.exe C:\\a.txt", "\"n\" C:\\a.txu", false},  // only the last character differs
      {"C:\\n.exe a\tb", "\"n\"  a  b ", true},
      {"C:\\n.exe a b", "\"n\" \"a b\"", false},
      {"C:\\n.exe a b", "\"n\" ab", false},
      {"C:\\n.exe a", "\"n\" a \"\"", false},  // an empty argument counts
      {"C:\\n.exe a\\\\\"b c\"", "\"n\" \"a\\b c\"", true},
      {"C:\\n.exe a\\b\\", "\"n\" \"a\\b\\\"", false},  // the last quote escaped
      // UTF-8 names of equal length, which an ANSI code page without them reads alike.
      {"C:\\n.exe C:\\\xC3\xA4\xC3\xB6.txt", "\"n\" C:\\\xD0\xB6\xD0\xB7.txt", false},
      {"C:\\n.exe C:\\\xC3\xA4\xC3\xB6", "\"n\" C:\\\xC3\xA4\xC3\xB5", false},
      {"C:\\n.exe \"C:\\\xC3\xA4\xC3\xB6\"", "\"n\" C:\\\xC3\xA4\xC3\xB6", true},
  };
  const uint64_t program = HashUnit(HashStart, 'n');
  for (const Row& row : rows) {
    EXPECT_EQ(SameArguments(row.command, row.line), row.same) << row.line;
    EXPECT_EQ(HashArguments(program, row.command) == HashArguments(program, row.line), row.same)
        << row.line;
  }
  // No arguments leave the program's hash as it is: windows marked by earlier versions for a
  // command without arguments are found by it.
  EXPECT_EQ(HashArguments(program, "C:\\n.exe  "), program);
}

TEST(Usage, OnlyTheWholeFirstWordAsksForUsageOrVersion) {
  for (const char* line : {"/?", "-?", "-H", "--HELP x", "/?\tC:\\a.exe"})
    EXPECT_EQ(ReadUsageRequest(line), UsageHelp) << line;
  // A first word that fills the word's 12 bytes, or one more, is read no further.
  for (const char* line : {"/?x", "-help", "--help-me", "1,2,3,4 /?", "--versionx", "",
                           "--version-12", "--version-1 ", "--versionxyz1"})
    EXPECT_EQ(ReadUsageRequest(line), UsageNone) << line;
  EXPECT_EQ(ReadUsageRequest("--Version"), UsageVersion);
}

}  // namespace
