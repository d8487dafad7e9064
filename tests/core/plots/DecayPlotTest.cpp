#include <gtest/gtest.h>

#include "PlotTestSupport.h"

namespace korvanes {
namespace {

using testing::CentredFrame;
using testing::HasLine;
using testing::Item;
using testing::OnlyText;
using testing::TextsNamed;

// 400 × 300 on an 800 × 600 client with c = 1: left 200, right 600, top 150,
// bottom 450, r = 4.
class DecayPlot : public ::testing::Test {
protected:
    DecayPlot() : surface(measurer) { doc.m_plotBounds.maxNrm = 10.0; }

    void Draw()
    {
        DrawDecayPlot(surface, CentredFrame(400, 300), doc, doc.m_zeroFieldSteps, doc.m_tailChecks);
    }

    FixedAdvanceMeasurer measurer;
    RecordingSurface surface;
    CKorvanesToolDoc doc;
};

TEST_F(DecayPlot, TemperatureTicksEveryHundredDegrees)
{
    // Tm = 580: step ⌊40000/580⌋ = 68, ticks at 100 to 500 °C.
    doc.m_plotBounds.maxTemperature = 580;
    doc.m_zeroFieldSteps = {Item(580, 10.0)};
    Draw();
    for (int k = 1; k <= 5; ++k) {
        const int x = 200 + 68 * k;
        EXPECT_TRUE(HasLine(surface, x, 450, x, 454)) << k;
        const auto value = OnlyText(surface, std::to_string(100 * k));
        EXPECT_EQ(value.x1, x);
        EXPECT_EQ(value.y1, 470);
    }
    EXPECT_TRUE(TextsNamed(surface, "600").empty());
    EXPECT_TRUE(TextsNamed(surface, "0").empty());
    // The step at 580 °C lies at left + 400, at the top (its NRM is the maximum).
    const auto circles = surface.OfKind(PrimitiveKind::kEllipse);
    ASSERT_EQ(circles.size(), 1u);
    EXPECT_EQ(circles[0].x1, 604);
    EXPECT_EQ(circles[0].y1, 146);
    EXPECT_EQ(circles[0].x2, 596);
    EXPECT_EQ(circles[0].y2, 154);
    const auto title = OnlyText(surface, "Temp. [\xB0" "C]");
    EXPECT_EQ(title.x1, 400);
    EXPECT_EQ(title.y1, 492);
    OnlyText(surface, "NRM (* 10.000 mA/m)");
}

TEST_F(DecayPlot, StepPositionIsComputedInWholeNumbers)
{
    doc.m_plotBounds.maxTemperature = 700;
    doc.m_zeroFieldSteps = {Item(20, 10.0), Item(350, 5.0), Item(700, 1.0)};
    doc.m_tailChecks = {Item(350, 6.0)};
    Draw();
    const auto circles = surface.OfKind(PrimitiveKind::kEllipse);
    ASSERT_EQ(circles.size(), 3u);
    // 20·400/700 = 11 (11.4 truncated).
    EXPECT_EQ(circles[0].x1, 200 + 11 + 4);
    // 350 °C with Tm = 700 at left + 200; NRM 5 of 10 → y = 300.
    EXPECT_EQ(circles[1].x1, 404);
    EXPECT_EQ(circles[1].x2, 396);
    EXPECT_EQ(circles[1].y1, 296);
    // Each circle after the first is joined to the previous one (the line count
    // below shows the first is joined to nothing).
    EXPECT_TRUE(HasLine(surface, 211, 150, 400, 300));
    EXPECT_TRUE(HasLine(surface, 400, 300, 600, 420));
    // The tail check: a black square, not joined, fill restored afterwards.
    const auto squares = surface.OfKind(PrimitiveKind::kRectangle);
    ASSERT_EQ(squares.size(), 1u);
    EXPECT_EQ(squares[0].fill, kBlack);
    EXPECT_EQ(squares[0].x1, 404);
    EXPECT_EQ(squares[0].y1, 266);
    EXPECT_EQ(squares[0].x2, 396);
    EXPECT_EQ(squares[0].y2, 274);
    EXPECT_EQ(surface.OfKind(PrimitiveKind::kSelectFill).back().fill, kWhite);
    EXPECT_EQ(surface.OfKind(PrimitiveKind::kLineTo).size(),
              2u /*frame*/ + 2u /*joins*/ + 7u /*temperature ticks*/ + 3u /*NRM ticks*/);
}

TEST_F(DecayPlot, BelowOneHundredDegreesThereAreNoTicks)
{
    doc.m_plotBounds.maxTemperature = 90;
    doc.m_zeroFieldSteps = {Item(20, 10.0), Item(90, 2.0)};
    Draw();
    EXPECT_EQ(surface.OfKind(PrimitiveKind::kEllipse).size(), 2u);
    EXPECT_EQ(surface.OfKind(PrimitiveKind::kLineTo).size(), 2u + 1u + 3u);
}

}  // namespace
}  // namespace korvanes
