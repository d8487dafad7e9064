// Documents that give the diagrams nothing to scale by must still draw their
// axes and texts, and nothing that cannot be placed (no NaN or infinity ever
// turned into a coordinate; the sanitizer build checks the conversions).

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "PlotTestSupport.h"
#include "plots/PlotLayout.h"

namespace korvanes {
namespace {

using testing::CentredFrame;
using testing::EmptyListBounds;
using testing::Item;
using testing::OnlyText;

void DrawEverything(RecordingSurface& surface, const CKorvanesToolDoc& doc)
{
    const DiagramFrame frame = CentredFrame(400, 300);
    DrawAraiPlot(surface, frame, doc, doc.m_zeroFieldSteps, doc.m_ptrmGained, doc.m_ptrmChecks,
                 doc.m_additivityResults);
    DrawZijderveldPlot(surface, CentredFrame(400, 400), doc, doc.m_zeroFieldSteps, doc.m_tailChecks);
    DrawDecayPlot(surface, frame, doc, doc.m_zeroFieldSteps, doc.m_tailChecks);
    DrawAdditionalPlots(surface, frame, doc, doc.m_ptrmGained, doc.m_ptrmCheckDiffs, doc.m_tailCheckStats);
    DrawAllPlots(surface, 1, doc);
}

void ExpectDrawable(const RecordingSurface& surface)
{
    for (const auto& p : surface.Primitives()) {
        for (int v : {p.x1, p.y1, p.x2, p.y2}) {
            EXPECT_LE(std::abs(v), kMaxDrawableUnit);
        }
        EXPECT_EQ(p.text.find("nan"), std::string::npos);
        EXPECT_EQ(p.text.find("inf"), std::string::npos);
    }
}

TEST(DegenerateDocuments, EmptyListsWithStartBoundsDrawAxesOnly)
{
    FixedAdvanceMeasurer measurer;
    RecordingSurface surface(measurer);
    CKorvanesToolDoc doc;
    doc.m_plotBounds = EmptyListBounds();
    DrawEverything(surface, doc);
    ExpectDrawable(surface);
    EXPECT_TRUE(surface.OfKind(PrimitiveKind::kEllipse).empty());
    EXPECT_TRUE(surface.OfKind(PrimitiveKind::kRectangle).empty());
    EXPECT_FALSE(surface.OfKind(PrimitiveKind::kText).empty());
    // No temperature ticks from a negative maximum temperature.
    EXPECT_TRUE(testing::TextsNamed(surface, "100").empty());
}

TEST(DegenerateDocuments, ZeroScalesPlaceNoMarks)
{
    FixedAdvanceMeasurer measurer;
    RecordingSurface surface(measurer);
    CKorvanesToolDoc doc;
    doc.m_zeroFieldSteps = {Item(0, 0.0), Item(0, 0.0)};
    doc.m_ptrmGained = {Item(0, 0.0)};
    doc.m_ptrmChecks = {Item(0, 0.0)};
    doc.m_tailChecks = {Item(0, 0.0)};
    doc.m_tailCheckStats = {Item(0, 0.0)};
    doc.m_ptrmCheckDiffs = {Item(0, 1.0)};
    doc.m_result.paleointensity = 10.0;  // a fit line would need a scale too
    doc.m_result.meanNrm = 1.0;
    // maxNrm, maxPtrm, maxTemperature, trm and every extent are 0.
    DrawEverything(surface, doc);
    ExpectDrawable(surface);
    EXPECT_TRUE(surface.OfKind(PrimitiveKind::kEllipse).empty());
    EXPECT_TRUE(surface.OfKind(PrimitiveKind::kRectangle).empty());
    EXPECT_EQ(testing::TextsNamed(surface, "delta Ck [%]").size(), 2u);  // alone and on the page
    for (const auto& line : surface.OfKind(PrimitiveKind::kLineTo)) {
        EXPECT_NE(line.pen.style, PenStyle::kDashed);
    }
}

TEST(DegenerateDocuments, ZeroTemperatureScaleStillPlacesTheNrmAxis)
{
    FixedAdvanceMeasurer measurer;
    RecordingSurface surface(measurer);
    CKorvanesToolDoc doc;
    doc.m_plotBounds.maxNrm = 10.0;
    doc.m_zeroFieldSteps = {Item(0, 10.0)};
    DrawDecayPlot(surface, CentredFrame(400, 300), doc, doc.m_zeroFieldSteps, doc.m_tailChecks);
    EXPECT_TRUE(surface.OfKind(PrimitiveKind::kEllipse).empty());
    OnlyText(surface, "NRM (* 10.000 mA/m)");
    OnlyText(surface, "Temp. [\xB0" "C]");
}

TEST(DegenerateDocuments, SingleZeroFieldPoint)
{
    FixedAdvanceMeasurer measurer;
    RecordingSurface surface(measurer);
    CKorvanesToolDoc doc;
    doc.m_zeroFieldSteps = {Item(20, 5.0, -3.0, 4.0, 0.0)};
    doc.m_ptrmGained = {Item(20, 0.0)};
    CPlotBounds& b = doc.m_plotBounds;
    b.maxTemperature = b.minTemperature = 20;
    b.maxNrm = b.minNrm = 5.0;
    b.maxPtrm = 0.0;  // only the origin item
    b.maxX = b.minX = -3.0;
    b.maxY = b.minY = 4.0;
    b.maxZ = b.minZ = 0.0;
    b.maxHorizontal = b.minHorizontal = -5.0;
    DrawEverything(surface, doc);
    ExpectDrawable(surface);
    // Zijderveld (twice, alone and on the page) and decay (twice) draw their points;
    // the Arai diagram has no pTRM scale.
    EXPECT_EQ(surface.OfKind(PrimitiveKind::kEllipse).size(), 2u * 2u + 2u);
}

TEST(DegenerateDocuments, HugeAndNonFiniteValuesAreSkipped)
{
    FixedAdvanceMeasurer measurer;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double scale : {1e300, 1e-300, 1.0}) {
        RecordingSurface surface(measurer);
        CKorvanesToolDoc doc;
        doc.m_zeroFieldSteps = {Item(20, 1e300, 1e300, -1e300, 1e300), Item(100, nan, nan, 1.0, inf),
                                Item(2000000000, 1.0, 1.0, 1.0, 1.0)};
        doc.m_ptrmGained = {Item(20, 0.0), Item(100, 1e300, 1e300, 1e300, nan), Item(2000000000, inf)};
        doc.m_ptrmChecks = {Item(100, 1e300)};
        doc.m_additivityResults = {Item(100, 1.0, 0.0, 0.0, -1e300)};
        doc.m_tailChecks = {Item(-2000000000, 1e300)};
        doc.m_tailCheckStats = {Item(100, 1e300, 0.0, 0.0, -1e300)};
        doc.m_ptrmCheckDiffs = {Item(100, -1e300)};
        CPlotBounds& b = doc.m_plotBounds;
        b.maxTemperature = 2000000000;
        b.maxNrm = b.maxPtrm = scale;
        b.maxX = b.maxY = b.maxZ = b.maxHorizontal = scale;
        b.minX = b.minY = b.minZ = b.minHorizontal = -scale;
        b.maxTailDTR = b.maxTailTStar = 1e300;
        b.maxCheckDifference = 1e300;
        doc.m_result.trm = 1e-300;
        doc.m_result.paleointensity = 1e300;
        doc.m_result.stdDev = nan;
        doc.m_result.slope = 1e300;
        doc.m_result.meanNrm = 1e300;
        doc.m_result.fitXFrom = -1e300;
        doc.m_result.fitXTo = 1e300;
        doc.m_result.incAnchored = 1e300;
        DrawEverything(surface, doc);
        ExpectDrawable(surface);
    }
}

TEST(DegenerateDocuments, ScaleUnitZeroCollapsesEveryDiagram)
{
    FixedAdvanceMeasurer measurer;
    RecordingSurface surface(measurer);
    CKorvanesToolDoc doc;
    doc.m_plotBounds.maxNrm = 10.0;
    doc.m_plotBounds.maxPtrm = 5.0;
    doc.m_plotBounds.maxTemperature = 500;
    doc.m_plotBounds.maxX = doc.m_plotBounds.maxHorizontal = 10.0;
    doc.m_zeroFieldSteps = {Item(20, 10.0, 10.0, 0.0, 0.0), Item(300, 5.0, 5.0, 0.0, 0.0)};
    doc.m_ptrmGained = {Item(20, 0.0), Item(300, 5.0, 0.0, 0.0, 5.0)};
    DrawAllPlots(surface, 0, doc);
    for (const auto& p : surface.Primitives()) {
        EXPECT_EQ(p.x1, 0);
        EXPECT_EQ(p.y1, 0);
        EXPECT_EQ(p.x2, 0);
        EXPECT_EQ(p.y2, 0);
    }
}

}  // namespace
}  // namespace korvanes
