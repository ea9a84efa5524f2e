#include <gtest/gtest.h>

#include <cstdarg>
#include <string>
#include <vector>

#include "diag/diag.h"
#include "diag/format.h"
#include "diag/text.h"
#include "support/diag_capture.h"

namespace {

// On the heap, one byte more than given, so the sanitizer sees a write before the buffer.
std::string Format(size_t size, const char* format, ...) {
  std::vector<char> buffer(size + 1, '\x7f');
  va_list args;
  va_start(args, format);
  size_t n = FormatBounded(buffer.data(), size, format, args);
  va_end(args);
  EXPECT_EQ(buffer[n], size > 0 ? '\0' : '\x7f');  // no room at all: nothing written
  return std::string(buffer.data(), n);
}

TEST(Diagnostics, CaptionChoosesIcon) {
  EXPECT_EQ(MessageIconFor(CaptionFailure), 0x30u);
  EXPECT_EQ(MessageIconFor(CaptionError), 0x10u);
  EXPECT_EQ(MessageIconFor(CaptionSuccess), 0u);
  // Same texts from elsewhere choose the same icons.
  std::string failure = "Failure", error = "Error";
  EXPECT_EQ(MessageIconFor(failure.c_str()), 0x30u);
  EXPECT_EQ(MessageIconFor(error.c_str()), 0x10u);
  EXPECT_EQ(MessageIconFor("failure"), 0u);
}

TEST(Diagnostics, FormattingIsBoundedAndTerminated) {
  EXPECT_EQ(Format(1024, "move %x didn't fail\r\n", 0x1a2bu), "move 1a2b didn't fail\r\n");
  std::string longText(5000, 'a');
  std::string cut = Format(ReportBufferSize, "Invalid Command line.\n%s", longText.c_str());
  EXPECT_EQ(cut.size(), 1023u);
  EXPECT_EQ(cut.substr(0, 22), "Invalid Command line.\n");
  EXPECT_EQ(Format(0, "%s", "x"), "");
  EXPECT_EQ(Format(1, "%s", "x"), "");
  EXPECT_EQ(Format(5, "%08x", 0xabcu), "0000");
  // A cut falls before a UTF-8 character that does not fit whole.
  EXPECT_EQ(Format(5, "ab%s", "\xC3\xA9\xE6\x97\xA5"), "ab\xC3\xA9");
  EXPECT_EQ(Format(6, "ab%s", "\xF0\x9F\x8E\xAE!"), "ab");
  EXPECT_EQ(Format(7, "ab%s", "\xF0\x9F\x8E\xAE!"), "ab\xF0\x9F\x8E\xAE");
}

TEST(Diagnostics, TextsCountAsTheSystemDoes) {
  // Latin accents, CJK, Greek and a character outside the basic plane.
  const char* text = "\xC3\x9C\xE6\x97\xA5\xCE\xA9\xF0\x9F\x8E\xAEx";
  EXPECT_EQ(TextUnits(text), 6u);
  EXPECT_EQ(TextUnits("\xE6\x97x\x97"), 4u);  // broken sequences: a unit a byte
  // The first and last lead byte of each length, and the bytes just outside them.
  struct Row {
    const char* text;
    size_t units;
  } rows[] = {{"\xC1\x80", 2},         {"\xC2\x80", 1},         {"\xDF\xBF", 1},
              {"\xE0\xA0\x80", 1},     {"\xEF\xBF\xBF", 1},     {"\xF0\x90\x80\x80", 2},
              {"\xF4\x8F\xBF\xBF", 2}, {"\xF5\x80\x80\x80", 4}, {"\xF0\x90\x80", 3}};
  for (const Row& row : rows) EXPECT_EQ(TextUnits(row.text), row.units) << row.text;
  standInCodePage = 1252;
  EXPECT_EQ(TextUnits(text), 12u);
  standInCodePage = CodePageUtf8;
}

TEST(Diagnostics, StrictNarrowingSuitsTheCodePage) {
  struct Row {
    unsigned codePage;
    unsigned long flags;
    bool reportsDefault;
  } rows[] = {{1252, 0x400, true},  {932, 0x400, true},   {65001, 0x80, false},
              {65000, 0, false},    {50220, 0, true},     {57004, 0, true},
              {42, 0, true},        {41, 0x400, true},    {43, 0x400, true},
              {50219, 0x400, true}, {50229, 0, true},     {50230, 0x400, true},
              {57001, 0x400, true}, {57002, 0, true},     {57011, 0, true},
              {57012, 0x400, true}, {64999, 0x400, true}, {65002, 0x400, true}};
  for (const Row& row : rows) {
    NarrowingRule rule = StrictNarrowing(row.codePage);
    EXPECT_EQ(rule.flags, row.flags) << row.codePage;
    EXPECT_EQ(rule.reportsDefault, row.reportsDefault) << row.codePage;
  }
}

}  // namespace
