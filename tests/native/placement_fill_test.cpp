#include <gtest/gtest.h>

#include "placement/fill.h"
#include "placement/grid.h"

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
  // A right-hand monitor higher than the left one still comes second.
  MonitorBoxes rightHigher[] = {{{1920, -300, 3840, 780}, {}}, {{0, 0, 1920, 1080}, {}}};
  OrderMonitors(rightHigher, 2);
  EXPECT_EQ(rightHigher[0].monitor.left, 0);
}

// The window's frame as thicknesses (left, top, right, bottom), the ordered
// monitors it may go to (count from first in LeftHigh, Middle, Right), the
// one it goes to; then where it should go and what of it should stay shown
// (all zero: no region).
struct FillRow {
  const char* what;
  WindowBox frame;
  int first, count, index;
  bool workArea;
  WindowBox placed, clipBox;
};

const FillRow FillRows[] = {
    // A thin frame with a title and a menu bar.
    {"2 of 3", {4, 42, 4, 4}, 0, 3, 1, false, {-4, -42, 1924, 1084}, {4, 42, 1924, 1122}},
    {"work, 2 of 3", {4, 42, 4, 4}, 0, 3, 1, true, {-4, -42, 1924, 1044}, {4, 42, 1924, 1086}},
    // A frame of 8 and a title of 31; left of the origin and higher.
    {"1 of 3", {8, 31, 8, 8}, 0, 3, 0, false, {-1288, -231, 8, 832}, {8, 31, 1288, 1055}},
    {"3 of 3", {8, 31, 8, 8}, 0, 3, 2, false, {1912, -31, 3848, 1088}, {8, 31, 1928, 1111}},
    {"2 of 2", {8, 31, 8, 8}, 0, 2, 1, false, {-8, -31, 1928, 1088}, {8, 31, 1928, 1111}},
    // One monitor, at 150 %: a thicker frame, and no region.
    {"1 of 1", {12, 68, 12, 12}, 1, 1, 0, false, {-12, -68, 1932, 1092}, {0, 0, 0, 0}},
};

TEST(FillGeometry, ClientAreaCoversTheMonitorAndOnlyItsPartIsShown) {
  const MonitorBoxes ordered[] = {LeftHigh, Middle, Right};
  const WindowBox window = {200, 100, 700, 500};
  for (const FillRow& row : FillRows) {
    const WindowBox& f = row.frame;
    WindowBox client = {200 + f.left, 100 + f.top, 700 - f.right, 500 - f.bottom};
    MovePlan plan = {};
    ASSERT_TRUE(
        PlanFill(window, client, ordered + row.first, row.count, row.index, row.workArea, &plan))
        << row.what;
    EXPECT_TRUE(Same(plan.window, row.placed))
        << row.what << ": " << plan.window.left << "," << plan.window.top;
    EXPECT_EQ(plan.clip, row.clipBox.right != 0) << row.what;
    if (plan.clip) {
      EXPECT_TRUE(Same(plan.clipBox, row.clipBox)) << row.what;
    }
  }
  // A monitor that is not there plans nothing.
  MovePlan plan = {};
  EXPECT_FALSE(PlanFill(window, window, ordered, 1, 1, false, &plan));
  EXPECT_FALSE(PlanFill(window, window, ordered, 1, -1, false, &plan));
}

// Windows of cells of 8x16 in a frame of 8x27, the cells cut down (snap 0) or made up (1), and
// one that keeps 1200x800 (2). A row: snap, fill, the size asked, the size it ends at, the asks.
TEST(GridFit, TheNearestSizeItAcceptsOrTheFirstThatCovers) {
  const int32_t rows[][7] = {{0, 0, 645, 497, 648, 491, 2},
                             {1, 0, 645, 509, 648, 507, 2},
                             {0, 1, 1929, 1107, 1936, 1115, 4},
                             {2, 1, 1928, 1107, 1200, 800, 6}};
  for (const int32_t* row : rows) {
    GridFit fit = {{row[2], row[3]}, {row[2], row[3]}, 1, row[1] != 0, {}, {}};
    int32_t taken[2] = {1200, 800}, asks = 0, cell[2] = {8, 16}, frame[2] = {8, 27};
    do {
      for (int i = 0; row[0] != 2 && i < 2; ++i) {
        const int32_t over = (fit.ask[i] - frame[i]) % cell[i];
        taken[i] = fit.ask[i] - over + (over && row[0] ? cell[i] : 0);
      }
    } while (++asks < 10 && GridAnswer(&fit, taken));
    EXPECT_EQ(std::vector<int32_t>({taken[0], taken[1], asks}),
              std::vector<int32_t>(row + 4, row + 7));
  }
}

}  // namespace
