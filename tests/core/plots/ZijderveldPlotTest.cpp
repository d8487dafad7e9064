#include <gtest/gtest.h>

#include "PlotTestSupport.h"

namespace korvanes {
namespace {

using testing::CentredFrame;
using testing::HasLine;
using testing::Item;
using testing::OnlyText;
using testing::TextsNamed;

// 400 × 400 on an 800 × 800 client with c = 1: left 200, right 600, top 200,
// bottom 600, r = 5.
class ZijderveldPlot : public ::testing::Test {
protected:
    ZijderveldPlot() : surface(measurer) {}

    void SetExtents(double A, double B, double P, double N)
    {
        CPlotBounds& b = doc.m_plotBounds;
        b.maxX = b.maxHorizontal = A;
        b.minX = b.minHorizontal = B;
        b.maxY = b.maxZ = P;
        b.minY = b.minZ = N;
    }

    void Draw()
    {
        DrawZijderveldPlot(surface, CentredFrame(400, 400, 1, {800, 800}), doc, doc.m_zeroFieldSteps,
                           doc.m_tailChecks);
    }

    // The texts drawn apart from the axis letters and temperature labels.
    std::vector<std::string> TickValues() const
    {
        std::vector<std::string> values;
        for (const std::string& text : surface.Texts()) {
            if (text != "X,H" && text != "-Y,-Z" && text != "N" && text != "Up,W" && text.back() != 'C') {
                values.push_back(text);
            }
        }
        return values;
    }

    std::vector<RecordedPrimitive> FitLines() const
    {
        std::vector<RecordedPrimitive> lines;
        for (const auto& line : surface.OfKind(PrimitiveKind::kLineTo)) {
            if (line.pen == RecordedPen{PenStyle::kDashed, kGreen, 1}) {
                lines.push_back(line);
            }
        }
        return lines;
    }

    FixedAdvanceMeasurer measurer;
    RecordingSurface surface;
    CKorvanesToolDoc doc;
};

TEST_F(ZijderveldPlot, WorkedExampleOfOriginAxesAndTicks)
{
    // A = 10, B = 0, P = 8, N = −8: S = 16, origin (200, 400), u = 1, px = 25.
    SetExtents(10.0, 0.0, 8.0, -8.0);
    Draw();
    EXPECT_TRUE(HasLine(surface, 200, 400, 200, 200));  // up
    EXPECT_TRUE(HasLine(surface, 200, 400, 200, 600));  // down
    EXPECT_TRUE(HasLine(surface, 200, 400, 450, 400));  // right: 250 units
    // All x positive: the empty left half-axis shows a stub of 5·r.
    EXPECT_TRUE(HasLine(surface, 200, 400, 175, 400));
    const auto letter = OnlyText(surface, "X,H");
    EXPECT_EQ(letter.x1, 465);
    EXPECT_EQ(letter.y1, 404);
    const auto vertical = OnlyText(surface, "-Y,-Z");
    EXPECT_EQ(vertical.x1, 200);
    EXPECT_EQ(vertical.y1, 192);
    // nR = 10: nine ticks on the right, only k = 5 carries its value.
    for (int k = 1; k <= 9; ++k) {
        EXPECT_TRUE(HasLine(surface, 200 + 25 * k, 395, 200 + 25 * k, 405)) << k;
    }
    EXPECT_FALSE(HasLine(surface, 450, 395, 450, 405));
    EXPECT_EQ(TickValues(), (std::vector<std::string>{"5"}));
    const auto five = OnlyText(surface, "5");
    EXPECT_EQ(five.x1, 325);
    EXPECT_EQ(five.y1, 425);
    // Seven ticks up and down (nU = nD = 8), none on the left (nL = 0).
    EXPECT_TRUE(HasLine(surface, 195, 225, 205, 225));
    EXPECT_TRUE(HasLine(surface, 195, 575, 205, 575));
    EXPECT_FALSE(HasLine(surface, 195, 600, 205, 600));
    EXPECT_FALSE(HasLine(surface, 175, 395, 175, 405));
}

TEST_F(ZijderveldPlot, TickUnitIsThePowerOfTenJustBelowTheLongestHalfAxis)
{
    const struct {
        double R;
        const char* value;  // the value at k = 5 (nR = 10)
    } cases[] = {{10.0, "5"}, {1.0, "0.5"}, {100.0, "50"}, {0.001, "0.0005"}, {100000.0, "50000"}};
    for (const auto& c : cases) {
        surface.Clear();
        SetExtents(c.R, 0.0, 0.0, 0.0);
        Draw();
        EXPECT_EQ(TickValues(), (std::vector<std::string>{c.value})) << c.R;
    }
    // Outside the searched range there is no tick unit: no ticks, no values.
    for (double R : {1e6, 1e-6}) {
        surface.Clear();
        SetExtents(R, 0.0, 0.0, 0.0);
        Draw();
        EXPECT_TRUE(TickValues().empty()) << R;
        EXPECT_TRUE(HasLine(surface, 200, 600, 600, 600)) << R;  // the axis is still there
    }
}

TEST_F(ZijderveldPlot, ValuesMoveToTheLeftWhenTheLeftHalfIsLonger)
{
    // u = 1, nR = 2.5, nL = 3.2: the rule for nR < 4 labels every left tick.
    SetExtents(2.5, -3.2, 1.0, -1.0);
    Draw();
    EXPECT_EQ(TickValues(), (std::vector<std::string>{"-1", "-2", "-3"}));
}

TEST_F(ZijderveldPlot, AxisLettersFollowTheCoordinateSystem)
{
    SetExtents(10.0, -10.0, 10.0, -10.0);
    Draw();
    OnlyText(surface, "X,H");
    OnlyText(surface, "-Y,-Z");
    for (int coordinates : {kGeographic, kBedding}) {
        surface.Clear();
        doc.m_options.m_coordinates = coordinates;
        Draw();
        OnlyText(surface, "N");
        OnlyText(surface, "Up,W");
        EXPECT_TRUE(TextsNamed(surface, "X,H").empty());
    }
}

TEST_F(ZijderveldPlot, StubToTheRightMovesTheHorizontalLetter)
{
    // Only negative x: A = 0, B = −10, S = 10, origin (600, 400) on the right edge.
    SetExtents(0.0, -10.0, 5.0, -5.0);
    Draw();
    EXPECT_TRUE(HasLine(surface, 600, 400, 625, 400));
    const auto letter = OnlyText(surface, "X,H");
    EXPECT_EQ(letter.x1, 600 + 15 + 25);
}

TEST_F(ZijderveldPlot, ProjectionsAndTemperatureLabels)
{
    SetExtents(10.0, 0.0, 8.0, -8.0);
    doc.m_zeroFieldSteps = {Item(20, 10.0, 8.0, 0.0, 6.0), Item(100, 5.4, 4.0, 3.0, 2.0),
                            Item(200, 1.0, 1.0, 0.0, 0.0)};
    Draw();
    const auto circles = surface.OfKind(PrimitiveKind::kEllipse);
    ASSERT_EQ(circles.size(), 6u);
    // Horizontal projection, red filled: item 1 at X = 100, Y = 75.
    EXPECT_EQ(circles[1].pen.colour, kRed);
    EXPECT_EQ(circles[1].fill, kRed);
    EXPECT_EQ(circles[1].x1, 305);
    EXPECT_EQ(circles[1].y1, 470);
    EXPECT_EQ(circles[1].x2, 295);
    EXPECT_EQ(circles[1].y2, 480);
    EXPECT_TRUE(HasLine(surface, 400, 400, 300, 475));
    // Vertical projection, blue open: item 1 at h = 5 (X = 125), z = 2 (Y = 50).
    EXPECT_EQ(circles[4].pen.colour, kBlue);
    EXPECT_EQ(circles[4].fill, kWhite);
    EXPECT_EQ(circles[4].x1, 330);
    EXPECT_EQ(circles[4].y1, 445);
    // The only label, on the vertical projection at (x0 + 2r + X, y0 − 2r + Y).
    const auto label = OnlyText(surface, "100\xB0" "C");
    EXPECT_EQ(label.x1, 335);
    EXPECT_EQ(label.y1, 440);
    // The first point of each projection starts without a line.
    const auto& p = surface.Primitives();
    const auto firstEllipse = std::find_if(p.begin(), p.end(), [](const RecordedPrimitive& q) {
        return q.kind == PrimitiveKind::kEllipse;
    });
    ASSERT_NE(firstEllipse, p.begin());
    EXPECT_NE((firstEllipse - 1)->pen.colour, kBlack);
    EXPECT_EQ((firstEllipse - 1)->kind, PrimitiveKind::kSelectFill);
}

TEST_F(ZijderveldPlot, VerticalProjectionTakesTheSignOfTheSummedX)
{
    SetExtents(10.0, -10.0, 10.0, -10.0);  // S = 20, origin (400, 400)
    doc.m_zeroFieldSteps = {Item(20, 5.0, -5.0, 0.0, 0.0), Item(100, 1.0, 1.0, 0.0, 0.0)};
    Draw();
    const auto circles = surface.OfKind(PrimitiveKind::kEllipse);
    ASSERT_EQ(circles.size(), 4u);
    // Sum of x is negative: the point with x = +1 lies left of the origin (h = −1, X = −20).
    EXPECT_EQ(circles[3].x1, 400 + 5 - 20);

    // A single point keeps the sign of its own x.
    surface.Clear();
    doc.m_zeroFieldSteps = {Item(20, 5.0, -5.0, 0.0, 0.0)};
    Draw();
    EXPECT_EQ(surface.OfKind(PrimitiveKind::kEllipse)[1].x1, 400 + 5 - 100);

    // A zero sum counts as positive.
    surface.Clear();
    doc.m_zeroFieldSteps = {Item(20, 5.0, -5.0, 0.0, 0.0), Item(100, 5.0, 5.0, 0.0, 0.0)};
    Draw();
    EXPECT_EQ(surface.OfKind(PrimitiveKind::kEllipse)[2].x1, 400 + 5 + 100);
}

TEST_F(ZijderveldPlot, FittedDirectionDrawsFromTheOriginOnlyWithAResult)
{
    SetExtents(10.0, 0.0, 8.0, -8.0);
    doc.m_plotBounds.maxNrm = 10.0;
    doc.m_result.decAnchored = 0.0;
    doc.m_result.incAnchored = 30.0;
    Draw();
    EXPECT_TRUE(FitLines().empty());

    surface.Clear();
    doc.m_result.paleointensity = 40.0;
    Draw();
    // xe = 10·cos 30° → X = 216.5; ze = 10·sin 30° → Y = 125.
    auto lines = FitLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].x1, 200);
    EXPECT_EQ(lines[0].y1, 400);
    EXPECT_EQ(lines[0].x2, 416);
    EXPECT_EQ(lines[0].y2, 400);
    EXPECT_EQ(lines[1].x2, 416);
    EXPECT_EQ(lines[1].y2, 525);

    // Only the z component: only the vertical-projection line.
    surface.Clear();
    doc.m_options.m_onlyZComponent = 1;
    Draw();
    lines = FitLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].x2, 416);
    EXPECT_EQ(lines[0].y2, 525);
    EXPECT_EQ(surface.OfKind(PrimitiveKind::kSelectPen).back().pen, (RecordedPen{PenStyle::kSolid, kBlack, 1}));
}

}  // namespace
}  // namespace korvanes
