#include <gtest/gtest.h>

#include "templatewin/ring.h"
#include "templatewin/template_geometry.h"

namespace {

TEST(TemplateGeometry, EditorOnAWideParentIsWidenedAndCentred) {
  const FrameMetrics metrics{3, 2, 3, 4, 19};
  int baseX = WidenBaseUnitX(280, 6, 1920, 1);
  EXPECT_EQ(baseX, 12);  // 420 < 960 - 50
  FrameGeometry g = ComputeFrame(280, 111, baseX, 13, 1920, 1080, metrics);
  EXPECT_EQ(g.contentWidth, 840);
  EXPECT_EQ(g.contentHeight, 180);
  EXPECT_EQ(g.x, 540);
  EXPECT_EQ(g.y, 450);
  EXPECT_EQ(g.outerWidth, 846);
  EXPECT_EQ(g.outerHeight, 180 + 2 * (2 + 3) + 4 + 19);
  // The "Ok" item (55, 82, 50, 14).
  EXPECT_EQ(DialogUnitsToPixelsX(55, baseX), 165);
  EXPECT_EQ(DialogUnitsToPixelsY(82, 13), 133);
  EXPECT_EQ(DialogUnitsToPixelsX(50, baseX), 150);
  EXPECT_EQ(DialogUnitsToPixelsY(14, 13), 22);
}

TEST(TemplateGeometry, WideningBoundaryAndFlag) {
  EXPECT_EQ(WidenBaseUnitX(280, 6, 940, 1), 6);   // 420 against 420: not less
  EXPECT_EQ(WidenBaseUnitX(280, 6, 941, 1), 6);   // 941 / 2 truncates to 470
  EXPECT_EQ(WidenBaseUnitX(280, 6, 942, 1), 12);  // 420 < 421
  EXPECT_EQ(WidenBaseUnitX(280, 6, 1920, 0), 6);
  EXPECT_EQ(WidenBaseUnitX(280, 6, 0, 1), 6);
}

TEST(TemplateGeometry, NegativeValuesTruncateTowardZero) {
  EXPECT_EQ(DialogUnitsToPixelsX(-3, 6), -4);
  EXPECT_EQ(DialogUnitsToPixelsY(-3, 13), -4);
  EXPECT_EQ(DialogUnitsToPixelsX(3, 6), 4);
  // A template wider than its parent is not pulled back onto it.
  FrameGeometry g = ComputeFrame(400, 50, 6, 13, 500, 400, FrameMetrics{0, 0, 0, 0, 0});
  EXPECT_EQ(g.x, -50);
  EXPECT_EQ(ComputeFrame(401, 50, 6, 13, 500, 400, FrameMetrics{0, 0, 0, 0, 0}).x, -50);
}

TEST(ControlRing, EditorChainSkipsTheGroupBoxes) {
  // Ok, Cancel, Input box, Output box, Input, Output, Select, Browse, Help.
  const int nav[] = {1, 1, 0, 0, 1, 1, 1, 1, 1};
  EXPECT_EQ(RingFocusForward(nav, 9, 1), 4);   // Tab on Cancel: Input list
  EXPECT_EQ(RingFocusBackward(nav, 9, 6), 5);  // Left on Select: Output list
  EXPECT_EQ(RingFocusForward(nav, 9, 0), 1);   // Right on Ok: Cancel
  EXPECT_EQ(RingFocusForward(nav, 9, 8), 0);   // Tab on Help wraps to Ok
  EXPECT_EQ(RingFocusBackward(nav, 9, 0), 8);  // Up on Ok wraps to Help
  EXPECT_EQ(RingFocusBackward(nav, 9, 4), 1);  // Left on Input skips back to Cancel
}

TEST(ControlRing, FallsBackToTheLastVisitedNode) {
  const int nav[] = {1, 0, 0};
  EXPECT_EQ(RingFocusForward(nav, 3, 0), 2);  // none else navigable: the last visited
  EXPECT_EQ(RingFocusBackward(nav, 3, 0), 1);
  EXPECT_EQ(RingFocusForward(nav, 3, 1), 0);
  EXPECT_EQ(RingFocusBackward(nav, 3, 2), 0);
  const int none[] = {0, 0, 0, 0};
  EXPECT_EQ(RingFocusForward(none, 4, 2), 1);
  EXPECT_EQ(RingFocusBackward(none, 4, 2), 3);
  const int one[] = {0};
  EXPECT_EQ(RingFocusForward(one, 1, 0), 0);
  EXPECT_EQ(RingFocusBackward(one, 1, 0), 0);
}

}  // namespace
