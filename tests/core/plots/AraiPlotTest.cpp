#include <gtest/gtest.h>

#include "PlotTestSupport.h"
#include "analysis/AnalysisLimits.h"
#include "analysis/AnalysisRun.h"
#include "plots/PlotLayout.h"

namespace korvanes {
namespace {

using testing::CentredFrame;
using testing::HasLine;
using testing::Item;
using testing::OnlyText;
using testing::TextsNamed;

// 400 × 300 on an 800 × 600 client with c = 1:
// left 200, right 600, top 150, bottom 450, t = 4, a = 5, dx = 6, dy = 18.
class AraiPlot : public ::testing::Test {
protected:
    AraiPlot() : surface(measurer)
    {
        doc.m_plotBounds.maxNrm = 10.0;
        doc.m_plotBounds.maxPtrm = 5.0;
    }

    void Draw(int width = 400, int height = 300)
    {
        DrawAraiPlot(surface, CentredFrame(width, height), doc, doc.m_zeroFieldSteps, doc.m_ptrmGained,
                     doc.m_ptrmChecks, doc.m_additivityResults);
    }

    FixedAdvanceMeasurer measurer;
    RecordingSurface surface;
    CKorvanesToolDoc doc;
};

TEST_F(AraiPlot, AxesTicksAndLabelsStandAtTheirPlaces)
{
    Draw();
    const auto& p = surface.Primitives();
    ASSERT_GE(p.size(), 3u);
    // The frame first: (right, bottom) to (left, bottom) to (left, top).
    EXPECT_EQ(p[0].kind, PrimitiveKind::kMoveTo);
    EXPECT_EQ(p[0].x1, 600);
    EXPECT_EQ(p[0].y1, 450);
    EXPECT_TRUE(HasLine(surface, 600, 450, 200, 450));
    EXPECT_TRUE(HasLine(surface, 200, 450, 200, 150));
    // Horizontal ticks downward, the middle one half as long.
    EXPECT_TRUE(HasLine(surface, 600, 450, 600, 454));
    EXPECT_TRUE(HasLine(surface, 400, 450, 400, 452));
    EXPECT_TRUE(HasLine(surface, 200, 450, 200, 454));
    // NRM ticks to the left.
    EXPECT_TRUE(HasLine(surface, 200, 450, 196, 450));
    EXPECT_TRUE(HasLine(surface, 200, 300, 198, 300));
    EXPECT_TRUE(HasLine(surface, 200, 150, 196, 150));

    // NRM labels at left − 0.05·W, horizontal labels on bottom + 0.07·H.
    const auto nrmTop = TextsNamed(surface, "1.0");
    ASSERT_EQ(nrmTop.size(), 2u);
    EXPECT_EQ(nrmTop[0].x1, 180);
    EXPECT_EQ(nrmTop[0].y1, 156);  // 450 − 294
    EXPECT_EQ(nrmTop[1].x1, 600);
    EXPECT_EQ(nrmTop[1].y1, 471);
    const auto title = OnlyText(surface, "NRM (* 10.000 mA/m)");
    EXPECT_EQ(title.x1, 240);
    EXPECT_EQ(title.y1, 120);
    const auto ptrmTitle = OnlyText(surface, "pTRM (* 5.0000 mA/m)");
    EXPECT_EQ(ptrmTitle.x1, 400);
    EXPECT_EQ(ptrmTitle.y1, 489);
    // Every text is centred on x with its baseline on y.
    for (const auto& text : surface.OfKind(PrimitiveKind::kText)) {
        EXPECT_EQ(text.anchor, TextAnchor::kCentreBaseline);
    }
}

TEST_F(AraiPlot, OriginItemGivesACircleOnTheVerticalAxis)
{
    doc.m_zeroFieldSteps = {Item(20, 10.0), Item(100, 6.0)};
    doc.m_ptrmGained = {Item(20, 0.0), Item(100, 2.5)};
    Draw();
    const auto circles = surface.OfKind(PrimitiveKind::kEllipse);
    ASSERT_EQ(circles.size(), 2u);
    // Centre (left, bottom − H): box from (left + t, top − t) to (left − t, top + t).
    EXPECT_EQ(circles[0].x1, 204);
    EXPECT_EQ(circles[0].y1, 146);
    EXPECT_EQ(circles[0].x2, 196);
    EXPECT_EQ(circles[0].y2, 154);
    // pTRM 2.5 of 5 → X = 200; NRM 6 of 10 → Y = 180.
    EXPECT_EQ(circles[1].x1, 404);
    EXPECT_EQ(circles[1].y1, 266);
    EXPECT_EQ(circles[1].x2, 396);
    EXPECT_EQ(circles[1].y2, 274);
    EXPECT_EQ(circles[1].fill, kWhite);
    EXPECT_EQ(circles[1].pen.colour, kBlack);
    // Position 1 is labelled at (left + dx + X, bottom − dy − Y).
    const auto label = OnlyText(surface, "100\xB0" "C");
    EXPECT_EQ(label.x1, 406);
    EXPECT_EQ(label.y1, 252);
}

TEST_F(AraiPlot, TwentyFiveStepsCarrySevenLabelsAndNeverTheFirst)
{
    for (int i = 0; i < 25; ++i) {
        doc.m_zeroFieldSteps.push_back(Item(20 * (i + 1), 10.0 - 0.3 * i));
        doc.m_ptrmGained.push_back(Item(20 * (i + 1), 0.2 * i));
    }
    Draw();
    std::vector<std::string> labels;
    for (const std::string& text : surface.Texts()) {
        if (text.size() > 2 && text.substr(text.size() - 2) == "\xB0" "C") {
            labels.push_back(text);
        }
    }
    const std::string deg = "\xB0" "C";
    EXPECT_EQ(labels, (std::vector<std::string>{"40" + deg, "100" + deg, "160" + deg, "220" + deg, "280" + deg,
                                                "340" + deg, "400" + deg}));
    EXPECT_EQ(surface.OfKind(PrimitiveKind::kEllipse).size(), 25u);
}

TEST_F(AraiPlot, TwoPtrmItemsOfOneTemperatureGiveTwoCirclesAndTwoLabels)
{
    doc.m_zeroFieldSteps = {Item(20, 10.0), Item(100, 6.0)};
    doc.m_ptrmGained = {Item(20, 0.0), Item(100, 2.0), Item(100, 3.0)};
    Draw();
    const auto circles = surface.OfKind(PrimitiveKind::kEllipse);
    ASSERT_EQ(circles.size(), 3u);
    EXPECT_EQ(circles[1].y1, circles[2].y1);
    EXPECT_EQ(TextsNamed(surface, "100\xB0" "C").size(), 2u);
}

TEST_F(AraiPlot, CheckTriangleAndItsConnector)
{
    doc.m_zeroFieldSteps = {Item(20, 10.0), Item(100, 6.0), Item(200, 4.0)};
    doc.m_ptrmGained = {Item(20, 0.0), Item(100, 2.0), Item(200, 3.0)};
    CStepVector check = Item(200, 1.0);  // refers to 200, measured at 100
    check.stepTemperature = 100;
    doc.m_ptrmChecks = {check};
    Draw();
    // At the NRM of 100 °C (Y = 180): base yb = 450 + 4 − 180 = 274, apex 266;
    // Xk = 80, a = 5.
    EXPECT_TRUE(HasLine(surface, 275, 274, 285, 274));
    EXPECT_TRUE(HasLine(surface, 285, 274, 280, 266));
    EXPECT_TRUE(HasLine(surface, 280, 266, 275, 274));
    // Connector from the 200 °C point (xp = 200 + 240, yn = 450 − 120) across
    // to the check's x and down to the middle of the base.
    EXPECT_TRUE(HasLine(surface, 440, 330, 280, 330));
    EXPECT_TRUE(HasLine(surface, 280, 330, 280, 274));
}

TEST_F(AraiPlot, AdditivitySquaresAreRedAndFollowTheShowOption)
{
    doc.m_zeroFieldSteps = {Item(20, 10.0), Item(100, 6.0), Item(200, 4.0)};
    doc.m_ptrmGained = {Item(20, 0.0), Item(100, 2.0), Item(200, 3.0)};
    CStepVector additivity = Item(100, 0.0, 0.0, 0.0, 1.5);  // z is the magnitude
    additivity.stepTemperature = 200;
    doc.m_additivityResults = {additivity};
    Draw();
    auto squares = surface.OfKind(PrimitiveKind::kRectangle);
    ASSERT_EQ(squares.size(), 1u);
    EXPECT_EQ(squares[0].fill, kRed);
    EXPECT_EQ(squares[0].pen.colour, kBlack);
    // At the NRM of 200 °C (Y = 120): yb = 334; Xa = 120.
    EXPECT_EQ(squares[0].x1, 316);
    EXPECT_EQ(squares[0].y1, 334);
    EXPECT_EQ(squares[0].x2, 324);
    EXPECT_EQ(squares[0].y2, 326);
    // Connector from the 100 °C point (xp = 360, yn = 270) down to yb − t, across to the square.
    EXPECT_TRUE(HasLine(surface, 360, 270, 360, 330));
    EXPECT_TRUE(HasLine(surface, 360, 330, 320, 330));
    // The fill goes back to white for what follows.
    const auto fills = surface.OfKind(PrimitiveKind::kSelectFill);
    ASSERT_FALSE(fills.empty());
    EXPECT_EQ(fills.back().fill, kWhite);

    surface.Clear();
    doc.m_options.m_showAdditivityChecks = 0;
    Draw();
    EXPECT_TRUE(surface.OfKind(PrimitiveKind::kRectangle).empty());
    EXPECT_TRUE(surface.OfKind(PrimitiveKind::kSelectFill).empty());
    EXPECT_FALSE(HasLine(surface, 360, 330, 320, 330));
}

TEST_F(AraiPlot, FittedLineIsDashedAndOnlyWithAResult)
{
    doc.m_zeroFieldSteps = {Item(20, 10.0), Item(500, 2.0)};
    doc.m_ptrmGained = {Item(20, 0.0), Item(500, 5.0)};
    Draw();
    for (const auto& line : surface.OfKind(PrimitiveKind::kLineTo)) {
        EXPECT_EQ(line.pen.style, PenStyle::kSolid);
    }
    // No result: 0.00 ± 0.00 µT in Windows-1252 bytes, with the closing space.
    OnlyText(surface, "0.00 \xB1 0.00 \xB5T ");

    surface.Clear();
    doc.m_result.slope = -1.6;
    doc.m_result.meanPtrm = 2.5;
    doc.m_result.meanNrm = 6.0;
    doc.m_result.fitXFrom = 0.0;
    doc.m_result.fitXTo = 5.0;
    doc.m_result.paleointensity = 56.0;
    doc.m_result.stdDev = 1.234;
    Draw();
    std::vector<RecordedPrimitive> dashed;
    for (const auto& line : surface.OfKind(PrimitiveKind::kLineTo)) {
        if (line.pen.style == PenStyle::kDashed) {
            dashed.push_back(line);
        }
    }
    ASSERT_EQ(dashed.size(), 1u);
    EXPECT_EQ(dashed[0].pen.width, 2);
    // y1 = 6 + 1.6·2.5 = 10 → top; y2 = 6 − 1.6·2.5 = 2 → 450 − 60.
    EXPECT_EQ(dashed[0].x1, 200);
    EXPECT_EQ(dashed[0].y1, 150);
    EXPECT_EQ(dashed[0].x2, 600);
    EXPECT_EQ(dashed[0].y2, 390);
    OnlyText(surface, "56.00 \xB1 1.23 \xB5T ");
    // The solid pen is back for the texts.
    EXPECT_EQ(surface.OfKind(PrimitiveKind::kSelectPen).back().pen, (RecordedPen{PenStyle::kSolid, kBlack, 1}));
}

TEST_F(AraiPlot, EqualScalesUseTheLargerMaximumOnBothAxes)
{
    doc.m_plotBounds.maxNrm = 50.0;
    doc.m_plotBounds.maxPtrm = 40.0;
    doc.m_options.m_equalAraiScales = 1;
    Draw(300, 300);
    OnlyText(surface, "NRM (* 50.000 mA/m)");
    OnlyText(surface, "pTRM (* 50.000 mA/m)");
}

TEST_F(AraiPlot, SpecimenNameLosesOnlyATrailingTab)
{
    doc.m_header.m_specimenName = "AB12a\t";
    Draw();
    const auto name = OnlyText(surface, "AB12a");
    // right − 0.15·H (of the height, not the width), at the top.
    EXPECT_EQ(name.x1, 555);
    EXPECT_EQ(name.y1, 150);
    EXPECT_EQ(OnlyText(surface, "0.00 \xB1 0.00 \xB5T ").y1, 171);

    surface.Clear();
    doc.m_header.m_specimenName = "AB12a ";
    Draw();
    OnlyText(surface, "AB12a ");
}

}  // namespace
}  // namespace korvanes

namespace korvanes {
namespace {

// The marks the limit check counts are the marks the diagram draws: circles,
// squares, and a MoveTo for each triangle and connector beyond those of the
// axes and the fitted line.
TEST(AraiPlotMarks, CountedAsDrawnForRepeatedSteps)
{
    FixedAdvanceMeasurer measurer;
    CKorvanesToolDoc doc;
    for (int k = 0; k < 3; ++k) {
        for (const float code : {20.0f, 100.0f, 100.11f, 200.0f, 100.12f, 200.11f, 100.14f, 300.0f, 300.11f}) {
            const float moment = 50.0f + 10.0f * static_cast<float>(k) - code / 10.0f;
            doc.m_measurements.push_back({code, moment, 40.0f, 10.0f + code / 20.0f});
        }
    }
    RunAnalysis(doc);
    RecordingSurface drawn(measurer);
    DrawAraiPlot(drawn, CentredFrame(400, 300), doc, doc.m_zeroFieldSteps, doc.m_ptrmGained, doc.m_ptrmChecks,
                 doc.m_additivityResults);
    CKorvanesToolDoc empty = doc;
    empty.m_zeroFieldSteps.clear();
    RecordingSurface frame(measurer);
    DrawAraiPlot(frame, CentredFrame(400, 300), empty, empty.m_zeroFieldSteps, empty.m_ptrmGained, empty.m_ptrmChecks,
                 empty.m_additivityResults);
    const std::size_t marks = drawn.OfKind(PrimitiveKind::kEllipse).size() +
                              drawn.OfKind(PrimitiveKind::kRectangle).size() +
                              drawn.OfKind(PrimitiveKind::kMoveTo).size() - frame.OfKind(PrimitiveKind::kMoveTo).size();
    EXPECT_EQ(CountAraiMarks(doc.m_zeroFieldSteps, doc.m_ptrmGained, doc.m_ptrmChecks, doc.m_additivityResults), marks);
    EXPECT_GT(marks, 60u);  // repeats multiply the marks
}

}  // namespace
}  // namespace korvanes
