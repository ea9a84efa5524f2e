#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "support/diag_capture.h"
#include "templatewin/template_reader.h"
#include "templatewin/viewer_logic.h"

namespace {

std::vector<uint8_t> FreshTemplate() {
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(viewerTemplate);
  return std::vector<uint8_t>(bytes, bytes + viewerTemplateSize);
}

std::string Narrow(const std::vector<uint8_t>& bytes, const TemplateText& t) {
  std::string s;
  for (size_t i = 0; i < t.length; ++i) s += static_cast<char>(bytes[t.offset + 2 * i]);
  return s;
}

struct Layout {
  int boxCx, okX, fieldCx, scrollX, copyX;
};

Layout LayoutOf(const std::vector<uint8_t>& bytes) {
  ParsedTemplate p = ReadTemplate(bytes.data(), bytes.size());
  EXPECT_EQ(p.status, TemplateStatus::Ok);
  if (p.items.size() != 4) return Layout{};
  return Layout{p.header.cx, p.items[0].x, p.items[1].cx, p.items[2].x, p.items[3].x};
}

TEST(ViewerTemplate, InitialImageIsTheViewerLayout) {
  std::vector<uint8_t> bytes = FreshTemplate();
  EXPECT_EQ(reinterpret_cast<uintptr_t>(viewerTemplate) % 4, 0u);
  ParsedTemplate p = ReadTemplate(bytes.data(), bytes.size());
  ASSERT_EQ(p.status, TemplateStatus::Ok);
  EXPECT_FALSE(p.header.extended);
  EXPECT_EQ(p.header.style, 0x90C800C4u);
  EXPECT_EQ(p.header.cx, 301);
  EXPECT_EQ(p.header.cy, 158);
  EXPECT_EQ(p.header.title.length, 0u);
  EXPECT_EQ(p.header.pointSize, 8);
  EXPECT_EQ(Narrow(bytes, p.header.faceName), "MS Sans Serif");
  ASSERT_EQ(p.items.size(), 4u);
  struct Want {
    const char* text;
    uint32_t id, style;
    uint16_t ordinal;
    int x, y, cx, cy;
  } want[] = {{"OK", 1, 0x50010300, 0x80, 95, 136, 50, 14},
              {"", 101, 0x50801000, 0x82, 14, 9, 263, 118},
              {"", 102, 0x50000005, 0x84, 276, 8, 11, 118},
              {"Copy", 103, 0x50010300, 0x80, 155, 136, 50, 14}};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Narrow(bytes, p.items[i].text), want[i].text);
    EXPECT_EQ(p.items[i].id, want[i].id);
    EXPECT_EQ(p.items[i].style, want[i].style);
    EXPECT_EQ(p.items[i].classOrdinal, want[i].ordinal);
    EXPECT_EQ(p.items[i].x, want[i].x);
    EXPECT_EQ(p.items[i].y, want[i].y);
    EXPECT_EQ(p.items[i].cx, want[i].cx);
    EXPECT_EQ(p.items[i].cy, want[i].cy);
  }
  EXPECT_EQ(p.items[3].end, bytes.size());
}

TEST(ViewerTemplate, WorkedExampleRewriteIsStable) {
  std::vector<uint8_t> bytes = FreshTemplate();
  int width = ViewerTextWidth(600, 6);
  EXPECT_EQ(width, 420);
  ASSERT_TRUE(RewriteViewerTemplate(bytes.data(), bytes.size(), width));
  Layout l = LayoutOf(bytes);
  EXPECT_EQ(l.boxCx, 458);
  EXPECT_EQ(l.scrollX, 433);
  EXPECT_EQ(l.fieldCx, 420);
  EXPECT_EQ(l.okX, 173);
  EXPECT_EQ(l.copyX, 233);
  ASSERT_TRUE(RewriteViewerTemplate(bytes.data(), bytes.size(), width));  // same text again
  Layout again = LayoutOf(bytes);
  EXPECT_EQ(again.boxCx, 458);
  EXPECT_EQ(again.okX, 173);
  EXPECT_EQ(again.copyX, 233);
}

TEST(ViewerTemplate, EmptyTextShrinksWithoutClamping) {
  std::vector<uint8_t> bytes = FreshTemplate();
  int calls = 0;
  auto measure = [](void* ctx, const char*, int, int* w) {
    ++*static_cast<int*>(ctx);
    *w = 1000;
    return true;
  };
  int widest = MeasureWidestLine("", 6, measure, &calls);
  EXPECT_EQ(widest, 20);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(ViewerTextWidth(widest, 6), 14);
  ASSERT_TRUE(RewriteViewerTemplate(bytes.data(), bytes.size(), 14));
  Layout l = LayoutOf(bytes);
  EXPECT_EQ(l.fieldCx, 14);
  EXPECT_EQ(l.boxCx, 52);
  EXPECT_EQ(l.scrollX, 27);
  EXPECT_EQ(l.okX, -29);
  EXPECT_EQ(l.copyX, 31);
  // Going back to the worked example's width from there.
  ASSERT_TRUE(RewriteViewerTemplate(bytes.data(), bytes.size(), 420));
  l = LayoutOf(bytes);
  EXPECT_EQ(l.boxCx, 458);
  EXPECT_EQ(l.scrollX, 433);
  EXPECT_EQ(l.okX, -29 + 203);
}

TEST(ViewerTemplate, FieldsWrapAtSixteenBits) {
  std::vector<uint8_t> bytes = FreshTemplate();
  ASSERT_TRUE(RewriteViewerTemplate(bytes.data(), bytes.size(), 263 + 70000));
  Layout l = LayoutOf(bytes);
  EXPECT_EQ(l.fieldCx, static_cast<int16_t>(263 + 70000));
  EXPECT_EQ(l.boxCx, static_cast<int16_t>(301 + 70000));
  EXPECT_EQ(l.okX, static_cast<int16_t>(95 + 35000));
  std::vector<uint8_t> broken(bytes.begin(), bytes.begin() + 40);
  EXPECT_FALSE(RewriteViewerTemplate(broken.data(), broken.size(), 10));
  // A whole template of three items is not the viewer's either, and stays as it was.
  std::vector<uint8_t> three = FreshTemplate();
  three[8] = 3;  // the item count
  std::vector<uint8_t> before = three;
  EXPECT_FALSE(RewriteViewerTemplate(three.data(), three.size(), 10));
  EXPECT_EQ(three, before);
}

TEST(ViewerMeasure, WidestLineCountsTabsAndCarriageReturns) {
  // Each character measures 7 pixels; lines are recorded.
  std::vector<std::string> lines;
  auto measure = [](void* ctx, const char* line, int length, int* w) {
    static_cast<std::vector<std::string>*>(ctx)->emplace_back(line, length);
    *w = 7 * length;
    return true;
  };
  EXPECT_EQ(MeasureWidestLine("ab\r\n\n\t\t\txy\nz", 6, measure, &lines), 7 * 5 + 15 * 6);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "ab\r");
  EXPECT_EQ(lines[1], "\t\t\txy");
  EXPECT_EQ(lines[2], "z");
}

TEST(ViewerMeasure, FailedMeasurementStopsTheWalk) {
  std::map<std::string, int> widths{{"wide line", 300}};
  auto measure = [](void* ctx, const char* line, int length, int* w) {
    auto& m = *static_cast<std::map<std::string, int>*>(ctx);
    auto it = m.find(std::string(line, length));
    if (it == m.end()) return false;
    *w = it->second;
    return true;
  };
  ClearCaptured();
  EXPECT_EQ(MeasureWidestLine("wide line\nbroken\nwide line", 6, measure, &widths), 300);
  ASSERT_EQ(CapturedTraces().size(), 1u);
  EXPECT_EQ(CapturedTraces()[0], "GetTextExtentPoint32 failed\n");
}

TEST(ViewerMeasure, AverageWidthNeverZero) {
  EXPECT_EQ(ViewerAverageWidth(62 * 6 + 61, 8), 6);
  EXPECT_EQ(ViewerAverageWidth(0, 8), 8);  // nothing measured: the dialog base unit
  EXPECT_EQ(ViewerAverageWidth(61, 0), 1);
  EXPECT_EQ(ViewerAverageWidth(62, 8), 1);  // the least measured average is kept
  EXPECT_EQ(ViewerTextWidth(20, ViewerAverageWidth(0, 8)), 10);
}

TEST(ViewerScroll, LimitsFollowLinesAndPage) {
  std::string text;
  for (int i = 0; i < 41; ++i) text += "line " + std::to_string(i) + (i < 40 ? "\n" : "");
  const int max = ViewerLineCount(text.c_str());
  EXPECT_EQ(max, 41);
  EXPECT_EQ(ViewerScrollPosition(1, 0, 34, 8, max), 34);  // line down at the limit
  EXPECT_EQ(ViewerScrollPosition(1, 0, 20, 8, max), 21);
  EXPECT_EQ(ViewerScrollPosition(3, 0, 30, 8, max), 34);  // page down
  EXPECT_EQ(ViewerScrollPosition(2, 0, 30, 8, max), 22);
  EXPECT_EQ(ViewerScrollPosition(4, 40, 0, 8, max), 34);  // thumb
  EXPECT_EQ(ViewerScrollPosition(5, 12, 3, 8, max), 12);
  EXPECT_EQ(ViewerScrollPosition(0, 0, 0, 8, max), 0);    // line up at the top
  EXPECT_EQ(ViewerScrollPosition(7, 0, 17, 8, max), 34);  // SB_BOTTOM
  EXPECT_EQ(ViewerScrollPosition(6, 0, 17, 8, max), 0);   // SB_TOP
  // Keys and the wheel as requests: Page Up, a notch up (3 lines); others do not scroll.
  int count = 0;
  EXPECT_EQ(ViewerInputRequest(0x100, 0x21, &count), 2);
  EXPECT_EQ(ViewerInputRequest(0x20A, 120u << 16, &count) * 10 + count, 3);
  EXPECT_EQ(ViewerInputRequest(0x100, 0x26, &count), -1);
  EXPECT_EQ(ViewerInputRequest(0x200, 0, &count), -1);
  for (int request = 0; request <= 8; ++request)
    EXPECT_EQ(ViewerScrollPosition(request, 40, 0, 8, ViewerLineCount("a\nb\nc\nd\ne")), 0);
  EXPECT_EQ(ViewerLineCount(""), 1);
  EXPECT_EQ(ViewerLineCount("a\r\nb\r\n"), 3);
}

TEST(ViewerScroll, SkipLines) {
  const char* text = "a\nb\nc";
  EXPECT_EQ(SkipLines(0, text), text);
  EXPECT_EQ(SkipLines(-3, text), text);
  EXPECT_STREQ(SkipLines(2, text), "c");
  const char* two = "x\ny";
  EXPECT_EQ(SkipLines(5, two), two + 3);
  EXPECT_EQ(*SkipLines(5, two), '\0');
  EXPECT_STREQ(SkipLines(1, "\n\nz"), "\nz");
}

}  // namespace
