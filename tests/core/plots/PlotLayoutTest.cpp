#include "plots/PlotLayout.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "PlotTestSupport.h"

namespace korvanes {
namespace {

using testing::CentredFrame;

TEST(PlotLayout, AxisMaximumHasFiveSignificantDigitsInPlainNotation)
{
    EXPECT_EQ(FormatAxisMaximum(123.456), "123.46");
    EXPECT_EQ(FormatAxisMaximum(12345.6), "12346.");
    EXPECT_EQ(FormatAxisMaximum(123456), "123460.");
    EXPECT_EQ(FormatAxisMaximum(0.0123456), "0.012346");
    EXPECT_EQ(FormatAxisMaximum(0.5), "0.50000");
    EXPECT_EQ(FormatAxisMaximum(0.0), "0.00000");
    EXPECT_EQ(FormatAxisMaximum(50.0), "50.000");
    EXPECT_EQ(FormatAxisMaximum(1.0), "1.0000");
    // Rounding carries into a new digit.
    EXPECT_EQ(FormatAxisMaximum(9.999996), "10.000");
    EXPECT_EQ(FormatAxisMaximum(0.999996), "1.0000");
    // Never an exponent, however large or small.
    EXPECT_EQ(FormatAxisMaximum(1e20), "100000000000000000000.");
    EXPECT_EQ(FormatAxisMaximum(1.5e-7), "0.00000015000");
    // The bound of an empty list is negative; non-finite values never show.
    EXPECT_EQ(FormatAxisMaximum(-1000000.0), "-1000000.");
    EXPECT_EQ(FormatAxisMaximum(std::numeric_limits<double>::quiet_NaN()), "0.00000");
    EXPECT_EQ(FormatAxisMaximum(std::numeric_limits<double>::infinity()), "0.00000");
}

TEST(PlotLayout, TemperatureLabelUsesTheSingleByteDegreeSign)
{
    EXPECT_EQ(FormatTemperatureLabel(350), "350\xB0" "C");
    EXPECT_EQ(FormatTemperatureLabel(50), "50\xB0" "C");
    EXPECT_EQ(FormatTemperatureLabel(10), "10\xB0" "C");
    EXPECT_EQ(FormatTemperatureLabel(350).size(), 5u);
}

TEST(PlotLayout, TickValuesAreExactWithoutExponent)
{
    EXPECT_EQ(FormatTickValue(20.0), "20");
    EXPECT_EQ(FormatTickValue(5.0), "5");
    EXPECT_EQ(FormatTickValue(90000.0), "90000");
    EXPECT_EQ(FormatTickValue(0.5), "0.5");
    EXPECT_EQ(FormatTickValue(0.05), "0.05");
    EXPECT_EQ(FormatTickValue(0.003), "0.003");
    EXPECT_EQ(FormatTickValue(5 * 0.00001), "0.00005");
    // k·u in binary floating point: 3·0.1 and 7·0.01 are not exact.
    EXPECT_EQ(FormatTickValue(3 * 0.1), "0.3");
    EXPECT_EQ(FormatTickValue(7 * 0.01), "0.07");
    EXPECT_EQ(FormatTickValue(0.0), "0");
}

TEST(PlotLayout, LabelledPositionsAreEveryThirdFromTheSecondUpToNineteen)
{
    std::vector<int> labelled;
    for (int i = -1; i < 30; ++i) {
        if (IsLabelledPosition(i)) {
            labelled.push_back(i);
        }
    }
    EXPECT_EQ(labelled, (std::vector<int>{1, 4, 7, 10, 13, 16, 19}));
}

TEST(PlotLayout, TruncationGoesTowardZeroAndRefusesWhatIsNotDrawable)
{
    bool ok = false;
    EXPECT_EQ(TruncateToInt(2.9, &ok), 2);
    EXPECT_TRUE(ok);
    EXPECT_EQ(TruncateToInt(-2.9, &ok), -2);
    EXPECT_TRUE(ok);
    EXPECT_EQ(TruncateToInt(-0.5), 0);
    for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                       -std::numeric_limits<double>::infinity(), 1e300, -1e300, 3e9, -3e9}) {
        ok = true;
        EXPECT_EQ(TruncateToInt(bad, &ok), 0) << bad;
        EXPECT_FALSE(ok) << bad;
    }
    Placement place;
    EXPECT_EQ(place(12.7), 12);
    EXPECT_TRUE(place.ok());
    place(std::numeric_limits<double>::quiet_NaN());
    place(3.0);
    EXPECT_FALSE(place.ok());  // one bad coordinate spoils the primitive
}

TEST(PlotLayout, DiagramRectangleIsCentredOnTheClientScaledByC)
{
    // 801 × 601 pixels: the half sizes truncate to 400 and 300 before scaling.
    const DiagramRect r = ComputeDiagramRect(CentredFrame(400, 300, 2, {801, 601}), 0, 0);
    EXPECT_EQ(r.W, 800);
    EXPECT_EQ(r.H, 600);
    EXPECT_EQ(r.cx, 800);
    EXPECT_EQ(r.cy, 600);
    EXPECT_EQ(r.left, 400);
    EXPECT_EQ(r.right, 1200);
    EXPECT_EQ(r.top, 300);
    EXPECT_EQ(r.bottom, 900);

    DiagramFrame fixed = CentredFrame(250, 250, 3);
    fixed.fixedLayout = 1;
    const DiagramRect f = ComputeDiagramRect(fixed, 550, 200);
    EXPECT_EQ(f.cx, 1650);
    EXPECT_EQ(f.cy, 600);
    EXPECT_EQ(f.left, 1650 - 375);
    EXPECT_EQ(f.bottom, 600 + 375);

    // c = 0: everything collapses to the origin.
    const DiagramRect z = ComputeDiagramRect(CentredFrame(400, 300, 0), 0, 0);
    EXPECT_EQ(z.left, 0);
    EXPECT_EQ(z.right, 0);
    EXPECT_EQ(z.top, 0);
    EXPECT_EQ(z.bottom, 0);
}

TEST(PlotLayout, AbsurdScaleUnitsDoNotOverflow)
{
    const DiagramRect r = ComputeDiagramRect(CentredFrame(400, 300, 2000000000, {2000000000, 2000000000}), 0, 0);
    EXPECT_LE(r.right, kMaxDrawableUnit);
    EXPECT_GE(r.left, -kMaxDrawableUnit);
    EXPECT_LE(r.bottom, kMaxDrawableUnit);
}

}  // namespace
}  // namespace korvanes
