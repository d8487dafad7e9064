#include <gtest/gtest.h>

#include "PlotTestSupport.h"

namespace korvanes {
namespace {

using testing::CentredFrame;
using testing::HasLine;
using testing::Item;
using testing::OnlyText;
using testing::TextsNamed;

// 400 × 300 on an 800 × 600 client with c = 1: centre (400, 300), pw = 180,
// ph = 135, u = 1. Columns 200..380 and 420..600; rows 165..300 and 315..450;
// zero lines at 232 (upper) and 382 (lower).
class AdditionalPlots : public ::testing::Test {
protected:
    AdditionalPlots() : surface(measurer) { doc.m_plotBounds.maxTemperature = 500; }

    void Draw(const std::vector<CStepVector>& panelB)
    {
        DrawAdditionalPlots(surface, CentredFrame(400, 300), doc, doc.m_ptrmGained, panelB, doc.m_tailCheckStats);
    }

    // Texts drawn at one x, in order, with their y.
    std::vector<std::pair<std::string, int>> TextsAt(int x) const
    {
        std::vector<std::pair<std::string, int>> out;
        for (const auto& t : surface.OfKind(PrimitiveKind::kText)) {
            if (t.x1 == x) {
                out.emplace_back(t.text, t.y1);
            }
        }
        return out;
    }

    FixedAdvanceMeasurer measurer;
    RecordingSurface surface;
    CKorvanesToolDoc doc;
};

TEST_F(AdditionalPlots, AnglePanelBarsTicksAndTitle)
{
    doc.m_ptrmGained = {Item(20, 0.0), Item(100, 5.0, 3.0, 4.0, 0.0), Item(200, 5.0, 0.0, 0.0, 5.0)};
    Draw({});
    EXPECT_TRUE(HasLine(surface, 380, 300, 200, 300));
    EXPECT_TRUE(HasLine(surface, 200, 165, 380, 165));
    const auto bars = surface.OfKind(PrimitiveKind::kRectangle);
    ASSERT_EQ(bars.size(), 2u);  // the origin item has no bar
    // A horizontal pTRM: 90° from the field, the full panel height.
    EXPECT_EQ(bars[0].x1, 234);
    EXPECT_EQ(bars[0].y1, 300);
    EXPECT_EQ(bars[0].x2, 238);
    EXPECT_EQ(bars[0].y2, 165);
    EXPECT_EQ(bars[0].fill, kWhite);
    // Along the z axis: a bar of height 0.
    EXPECT_EQ(bars[1].x1, 270);
    EXPECT_EQ(bars[1].y1, 300);
    EXPECT_EQ(bars[1].y2, 300);
    // Value ticks 45, 90 and 135 units above the bottom edge.
    const int tickY[] = {255, 210, 165};
    for (int k = 0; k < 3; ++k) {
        EXPECT_TRUE(HasLine(surface, 200, tickY[k], 203, tickY[k])) << k;
        const auto value = OnlyText(surface, std::to_string(30 * (k + 1)));
        EXPECT_EQ(value.x1, 189);
        EXPECT_EQ(value.y1, tickY[k] + 4);
    }
    const auto title = OnlyText(surface, "Ang. diff Labfield <-> pTRM [\xB0]");
    EXPECT_EQ(title.x1, 205);
    EXPECT_EQ(title.y1, 170);
    EXPECT_EQ(title.anchor, TextAnchor::kLeftTop);
    // Without lower panels the temperature labels stand under panel A.
    const auto hundred = OnlyText(surface, "100");
    EXPECT_EQ(hundred.x1, 236);
    EXPECT_EQ(hundred.y1, 313);
    EXPECT_EQ(hundred.anchor, TextAnchor::kCentreBaseline);
    OnlyText(surface, "500");
    EXPECT_EQ(OnlyText(surface, "Temp. [\xB0" "C]").x1, 290);
    // Nothing of the empty panel B nor of the lower panels.
    EXPECT_TRUE(TextsNamed(surface, "delta Ck [%]").empty());
    EXPECT_TRUE(TextsNamed(surface, "delta TR [%]").empty());
}

TEST_F(AdditionalPlots, CheckDifferenceHangsBelowTheZeroLine)
{
    doc.m_result.trm = 100.0;
    doc.m_plotBounds.maxCheckDifference = 3.0;  // 3 % → P = 5
    CStepVector check = Item(300, -3.0);
    check.stepTemperature = 200;
    Draw({check});
    const auto bars = surface.OfKind(PrimitiveKind::kRectangle);
    ASSERT_EQ(bars.size(), 1u);
    // −3 % of P = 5: 0.3·ph = 40.5 below the zero line, truncated.
    EXPECT_EQ(bars[0].x1, 490);
    EXPECT_EQ(bars[0].y1, 232);
    EXPECT_EQ(bars[0].x2, 494);
    EXPECT_EQ(bars[0].y2, 272);
    EXPECT_EQ(bars[0].pen, (RecordedPen{PenStyle::kSolid, kBlack, 1}));
    // Outline and zero line in one stroke, starting on the zero line.
    EXPECT_TRUE(HasLine(surface, 600, 232, 420, 232));
    EXPECT_TRUE(HasLine(surface, 420, 232, 420, 165));
    // One value, 5, dy = ⌊5·135/2⌋/5 = 67 above the zero line.
    EXPECT_EQ(TextsAt(409), (std::vector<std::pair<std::string, int>>{{"5", 167}}));
    EXPECT_TRUE(HasLine(surface, 528, 229, 528, 235));  // temperature tick across the zero line at 300 °C
    const auto title = OnlyText(surface, "delta Ck [%]");
    EXPECT_EQ(title.x1, 425);
    EXPECT_EQ(title.y1, 170);

    // With the check correction the same panel shows the additivity checks.
    surface.Clear();
    doc.m_options.m_checkCorrected = 1;
    doc.m_plotBounds.maxAdditivityDifference = 12.0;  // → P = 15
    Draw({check});
    OnlyText(surface, "delta AC [%]");
    EXPECT_EQ(TextsAt(409).size(), 3u);
}

TEST_F(AdditionalPlots, TailPanelsRoundTheirMaximumUpToFivePercent)
{
    doc.m_plotBounds.maxTailDTR = 32.0;
    doc.m_plotBounds.maxTailTStar = 32.0;
    doc.m_tailCheckStats = {Item(300, 32.0, 0.0, 0.0, 32.0)};
    Draw({});
    // Panel C (right): P = 35, step 10, dy = ⌊10·135/2⌋/35 = 19.
    EXPECT_EQ(TextsAt(409), (std::vector<std::pair<std::string, int>>{{"10", 365}, {"20", 346}, {"30", 327}}));
    // Panel D (left): step 5, dy = ⌊5·135/2⌋/35 = 9; the upper panel A uses x = 189 too.
    std::vector<std::string> lower;
    for (const auto& [text, y] : TextsAt(189)) {
        if (y > 315) {
            lower.push_back(text);
        }
    }
    EXPECT_EQ(lower, (std::vector<std::string>{"5", "10", "15", "20", "25", "30", "35"}));
    const auto bars = surface.OfKind(PrimitiveKind::kRectangle);
    ASSERT_EQ(bars.size(), 2u);
    // d(TR) 32 of P 35: 61.7 above the lower zero line.
    EXPECT_EQ(bars[0].x1, 526);
    EXPECT_EQ(bars[0].y1, 382);
    EXPECT_EQ(bars[0].y2, 320);
    // The temperature labels move under the lower panels.
    const auto hundreds = TextsNamed(surface, "100");
    ASSERT_EQ(hundreds.size(), 2u);
    EXPECT_EQ(hundreds[0].y1, 463);
    EXPECT_EQ(hundreds[1].y1, 463);
    OnlyText(surface, "delta TR [%]");
    OnlyText(surface, "delta t* [%]");
}

TEST_F(AdditionalPlots, BelowOneHundredDegreesThereAreNoTemperatureTicks)
{
    doc.m_plotBounds.maxTemperature = 90;
    doc.m_ptrmGained = {Item(20, 0.0), Item(90, 5.0, 3.0, 4.0, 0.0)};
    Draw({});
    EXPECT_TRUE(TextsNamed(surface, "100").empty());
    // Outline (4 lines) and the three value ticks only.
    EXPECT_EQ(surface.OfKind(PrimitiveKind::kLineTo).size(), 7u);
}

TEST_F(AdditionalPlots, ZeroMaximumDrawsFrameAndTitleOnly)
{
    doc.m_tailCheckStats = {Item(300, 0.0)};
    Draw({});
    EXPECT_TRUE(surface.OfKind(PrimitiveKind::kRectangle).empty());
    OnlyText(surface, "delta TR [%]");
    OnlyText(surface, "delta t* [%]");
    EXPECT_TRUE(TextsAt(409).empty());
}

}  // namespace
}  // namespace korvanes
