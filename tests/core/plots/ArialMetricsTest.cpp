#include "plots/ArialMetrics.h"

#include <climits>
#include <cmath>

#include <gtest/gtest.h>

namespace korvanes {
namespace {

// Every surface turns a font request into these ems; a metafile names its
// fonts by them, so a wrong em shows as texts larger or smaller than their
// measured bounds in other programs.
TEST(ArialMetrics, RequestsBecomeWholePixelEms)
{
    EXPECT_EQ(ArialEmForCellHeight(16), 14);  // 16 · 2048/2288 = 14.3
    EXPECT_EQ(ArialEmForCellHeight(0), 14);   // the default size is a cell of 16
    EXPECT_EQ(ArialEmForCellHeight(-5), 14);
    EXPECT_EQ(ArialEmForCellHeight(1), 1);    // never below one pixel
    EXPECT_EQ(ArialEmForCellHeight(INT_MAX), 1922223125);

    EXPECT_EQ(EmForPoints(5, 96.0), 7);  // 6.67
    EXPECT_EQ(EmForPoints(10, 96.0), 13);  // 13.3
    EXPECT_EQ(EmForPoints(10, 600.0), 83);
    EXPECT_EQ(EmForPoints(0, 96.0), 14);
    EXPECT_EQ(EmForPoints(5, 0.0), 14);
    EXPECT_EQ(EmForPoints(5, std::nan("")), 14);
    EXPECT_EQ(EmForPoints(INT_MAX, 1e6), INT_MAX);

    // Ink above and below the baseline, rounded up: 12.67 and 2.97 for 14.
    EXPECT_EQ(ArialAscentPixels(14), 13);
    EXPECT_EQ(ArialDescentPixels(14), 3);
    EXPECT_EQ(ArialAscentPixels(7), 7);
    EXPECT_EQ(ArialDescentPixels(7), 2);
    EXPECT_EQ(ArialAscentPixels(INT_MAX), 1944059904LL);
    EXPECT_EQ(ArialDescentPixels(-3), 0);
}

}  // namespace
}  // namespace korvanes
