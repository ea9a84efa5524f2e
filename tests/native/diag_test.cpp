#include <gtest/gtest.h>

#include <cstdarg>
#include <string>

#include "diag/diag.h"
#include "diag/format.h"

namespace {

std::string Format(size_t size, const char* format, ...) {
  std::string buffer(size, '\x7f');
  va_list args;
  va_start(args, format);
  size_t n = FormatBounded(&buffer[0], size, format, args);
  va_end(args);
  EXPECT_EQ(buffer[n], '\0');
  return buffer.substr(0, n);
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
  EXPECT_EQ(Format(1, "%s", "x"), "");
  EXPECT_EQ(Format(5, "%08x", 0xabcu), "0000");
}

}  // namespace
