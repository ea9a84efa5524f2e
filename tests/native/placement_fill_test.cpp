#include <gtest/gtest.h>

#include "placement/fill.h"

namespace {

bool Same(const WindowBox& a, const WindowBox& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Three monitors given in the system's order: the middle one, the right one,
// one to the left and higher without a task bar.
const MonitorBoxes Middle = {{0, 0, 1920, 1080}, {0, 0, 1920, 1040}};
const MonitorBoxes Right = {{1920, 0, 3840, 1080}, {1920, 0, 3840, 1040}};
const MonitorBoxes LeftHigh = {{-1280, -200, 0, 824}, {-1280, -200, 0, 824}};

TEST(FillGeometry, MonitorsAreCountedLeftToRightThenTopToBottom) {
  MonitorBoxes three[] = {Middle, Right, LeftHigh};
  OrderMonitors(three, 3);
  EXPECT_EQ(three[0].monitor.left, -1280);
  EXPECT_EQ(three[1].monitor.left, 0);
  EXPECT_EQ(three[2].monitor.left, 1920);

  MonitorBoxes stacked[] = {{{0, 0, 1920, 1080}, {}}, {{0, -1080, 1920, 0}, {}}};
  OrderMonitors(stacked, 2);
  EXPECT_EQ(stacked[0].monitor.top, -1080);
  EXPECT_EQ(stacked[1].monitor.top, 0);
}

struct FillRow {
  const char* what;
  WindowBox window, client;  // the window as it is now
  int first, count;          // monitors from LeftHigh, Middle, Right (ordered)
  int index;
  bool workArea;
  WindowBox placed;
  bool clip;
  WindowBox clipBox;
};

const FillRow FillRows[] = {
    // A thin frame with a title and a menu bar (42 pixels above the client area).
    {"menu bar, monitor 2 of 3",
     {100, 100, 740, 580},
     {104, 142, 736, 576},
     0,
     3,
     1,
     false,
     {-4, -42, 1924, 1084},
     true,
     {4, 42, 1924, 1122}},
    {"work area, monitor 2 of 3",
     {100, 100, 740, 580},
     {104, 142, 736, 576},
     0,
     3,
     1,
     true,
     {-4, -42, 1924, 1044},
     true,
     {4, 42, 1924, 1086}},
    // Frame of 8 and a title of 31, on the monitor left of the origin and higher.
    {"monitor 1 of 3, negative",
     {10, 10, 410, 310},
     {18, 41, 402, 302},
     0,
     3,
     0,
     false,
     {-1288, -231, 8, 832},
     true,
     {8, 31, 1288, 1055}},
    {"monitor 3 of 3",
     {10, 10, 410, 310},
     {18, 41, 402, 302},
     0,
     3,
     2,
     false,
     {1912, -31, 3848, 1088},
     true,
     {8, 31, 1928, 1111}},
    // Two monitors: the frame's left part would show on the one to the left.
    {"monitor 2 of 2",
     {0, 0, 500, 400},
     {8, 31, 492, 392},
     0,
     2,
     1,
     false,
     {-8, -31, 1928, 1088},
     true,
     {8, 31, 1928, 1111}},
    // One monitor at 150 %: a thicker frame; no region.
    {"one monitor",
     {0, 0, 1000, 800},
     {12, 68, 988, 788},
     1,
     1,
     0,
     false,
     {-12, -68, 1932, 1092},
     false,
     {12, 68, 1932, 1148}},
};

TEST(FillGeometry, ClientAreaCoversTheMonitorAndOnlyItsPartIsShown) {
  for (const FillRow& row : FillRows) {
    const MonitorBoxes ordered[] = {LeftHigh, Middle, Right};
    FillPlan plan = {};
    ASSERT_TRUE(PlanFill(row.window, row.client, ordered + row.first, row.count, row.index,
                         row.workArea, &plan))
        << row.what;
    EXPECT_TRUE(Same(plan.window, row.placed))
        << row.what << ": " << plan.window.left << "," << plan.window.top << ","
        << plan.window.right << "," << plan.window.bottom;
    EXPECT_EQ(plan.clip, row.clip) << row.what;
    if (row.clip) {
      EXPECT_TRUE(Same(plan.clipBox, row.clipBox)) << row.what;
    }
  }
}

TEST(FillGeometry, AMonitorThatDoesNotExistPlansNothing) {
  MonitorBoxes one[] = {Middle};
  FillPlan plan = {};
  EXPECT_FALSE(PlanFill({0, 0, 10, 10}, {1, 1, 9, 9}, one, 1, 1, false, &plan));
  EXPECT_FALSE(PlanFill({0, 0, 10, 10}, {1, 1, 9, 9}, one, 1, -1, false, &plan));
}

}  // namespace
