#include <gtest/gtest.h>
#include <windows.h>

TEST(Smoke, DesktopHasAWindow) { EXPECT_NE(GetDesktopWindow(), nullptr); }
