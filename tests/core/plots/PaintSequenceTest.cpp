#include "plots/PaintSequence.h"

#include <gtest/gtest.h>

#include "PlotTestSupport.h"

namespace korvanes {
namespace {

using testing::Item;
using testing::IsDrawing;

CMeasurement Measurement(float code, float moment)
{
    CMeasurement m;
    m.treatmentCode = code;
    m.moment = moment;
    m.inclination = 45.0f;
    m.declination = 10.0f;
    return m;
}

// A small experiment, so that the paint has something to analyse.
CKorvanesToolDoc SmallDocument()
{
    CKorvanesToolDoc doc;
    doc.m_measurements = {Measurement(20.0f, 10.0f), Measurement(100.0f, 8.0f), Measurement(100.11f, 9.0f),
                          Measurement(200.0f, 6.0f), Measurement(200.11f, 8.5f)};
    return doc;
}

// The first primitive of the diagram: the Arai frame starts at (right, bottom).
const RecordedPrimitive* FirstMove(const RecordingSurface& s)
{
    for (const auto& p : s.Primitives()) {
        if (p.kind == PrimitiveKind::kMoveTo) {
            return &p;
        }
    }
    return nullptr;
}

TEST(PaintSequence, EmptyDocumentDrawsNothingButStillNotifies)
{
    FixedAdvanceMeasurer measurer;
    RecordingSurface surface(measurer);
    CKorvanesToolDoc doc;
    int notified = 0;
    PaintPlot(surface, doc, {800, 600}, [&] { ++notified; });
    EXPECT_EQ(notified, 1);
    for (const auto& p : surface.Primitives()) {
        EXPECT_FALSE(IsDrawing(p.kind));
        EXPECT_NE(p.kind, PrimitiveKind::kMoveTo);
    }
    EXPECT_EQ(surface.FontDepth(), 0u);
}

TEST(PaintSequence, FontAndScaleUnitComeFromTheReferenceDevice)
{
    FixedAdvanceMeasurer measurer;  // a character is 11/20 of the cell height
    // Units per point: 96 dpi ("0" is 7 wide), a device where it is 8, one where
    // it is 6, and a 600-dpi printer ("0" is 45 wide).
    const struct {
        double unitsPerPoint;
        int c;
    } cases[] = {{96.0 / 72.0, 1}, {1.5, 1}, {1.2, 0}, {600.0 / 72.0, 6}};
    for (const auto& k : cases) {
        RecordingSurface surface(measurer, true, k.unitsPerPoint);
        CKorvanesToolDoc doc = SmallDocument();
        PaintPlot(surface, doc, {800, 600});
        const auto fonts = surface.OfKind(PrimitiveKind::kSelectFont);
        ASSERT_EQ(fonts.size(), 1u);
        EXPECT_TRUE(fonts[0].font.inPoints);
        EXPECT_EQ(fonts[0].font.size, 10);
        const auto* first = FirstMove(surface);
        ASSERT_NE(first, nullptr);
        // Arai 400 × 300 centred on c·(400, 300).
        EXPECT_EQ(first->x1, k.c * 400 + k.c * 200) << k.unitsPerPoint;
        EXPECT_EQ(first->y1, k.c * 300 + k.c * 150) << k.unitsPerPoint;
        if (k.c == 0) {
            // Everything collapses onto the origin.
            for (const auto& p : surface.Primitives()) {
                EXPECT_EQ(p.x1, 0);
                EXPECT_EQ(p.y1, 0);
                EXPECT_EQ(p.x2, 0);
                EXPECT_EQ(p.y2, 0);
            }
        }
        EXPECT_EQ(surface.FontDepth(), 0u);
        EXPECT_EQ(surface.Primitives().back().kind, PrimitiveKind::kReleaseFont);
    }
}

TEST(PaintSequence, WithoutReferenceDeviceTheFontIsSixteenUnitsAndCIsOne)
{
    // A font measurer this coarse would give c = 0 on a device.
    FixedAdvanceMeasurer measurer(1, 20);
    RecordingSurface surface(measurer, false);
    CKorvanesToolDoc doc = SmallDocument();
    doc.m_options.m_plotType = kDecayPlot;
    PaintPlot(surface, doc, {1000, 800});
    const auto fonts = surface.OfKind(PrimitiveKind::kSelectFont);
    ASSERT_EQ(fonts.size(), 1u);
    EXPECT_FALSE(fonts[0].font.inPoints);
    EXPECT_EQ(fonts[0].font.cellHeight, 16);
    const auto* first = FirstMove(surface);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->x1, 700);  // decay 400 × 300 around (500, 400)
    EXPECT_EQ(first->y1, 550);
    EXPECT_EQ(surface.OfKind(PrimitiveKind::kSelectPen).front().pen, (RecordedPen{PenStyle::kSolid, kBlack, 1}));
}

TEST(PaintSequence, DiagramSizesFollowThePlotType)
{
    FixedAdvanceMeasurer measurer;
    const struct {
        int plotType;
        int equal;
        int x;
        int y;
    } cases[] = {
        {kAraiPlot, 0, 600, 450},       // 400 × 300
        {kAraiPlot, 1, 550, 450},       // 300 × 300
        {kZijderveldPlot, 0, 0, 0},  // its axes start at the data's origin
        {kDecayPlot, 0, 600, 450},
        {kAdditionalPlots, 0, 380, 300},  // panel A outline from (cx − 0.05·W, cy)
    };
    for (const auto& k : cases) {
        RecordingSurface surface(measurer);
        CKorvanesToolDoc doc = SmallDocument();
        doc.m_options.m_plotType = k.plotType;
        doc.m_options.m_equalAraiScales = k.equal;
        PaintPlot(surface, doc, {800, 600});
        const auto* first = FirstMove(surface);
        ASSERT_NE(first, nullptr);
        if (k.plotType != kZijderveldPlot) {
            EXPECT_EQ(first->x1, k.x) << k.plotType;
            EXPECT_EQ(first->y1, k.y) << k.plotType;
        }
        if (k.plotType == kZijderveldPlot) {
            EXPECT_FALSE(surface.OfKind(PrimitiveKind::kSelectPen).empty());
            EXPECT_EQ(surface.OfKind(PrimitiveKind::kSelectPen).front().pen.colour, kBlack);
        }
    }
}

TEST(PaintSequence, UnknownPlotTypeDrawsNothingAndNotifiesBeforeReleasingTheFont)
{
    FixedAdvanceMeasurer measurer;
    RecordingSurface surface(measurer);
    CKorvanesToolDoc doc = SmallDocument();
    doc.m_options.m_plotType = 7;
    std::size_t primitivesAtNotification = 0;
    PaintPlot(surface, doc, {800, 600}, [&] { primitivesAtNotification = surface.Primitives().size(); });
    for (const auto& p : surface.Primitives()) {
        EXPECT_FALSE(IsDrawing(p.kind));
    }
    EXPECT_EQ(primitivesAtNotification + 1, surface.Primitives().size());
    EXPECT_EQ(surface.Primitives().back().kind, PrimitiveKind::kReleaseFont);
}

TEST(PaintSequence, AllPlotsPageUsesTheFivePointFont)
{
    FixedAdvanceMeasurer measurer;
    RecordingSurface surface(measurer);
    CKorvanesToolDoc doc = SmallDocument();
    doc.m_options.m_plotType = kAllPlots;
    PaintPlot(surface, doc, {800, 600});
    const auto fonts = surface.OfKind(PrimitiveKind::kSelectFont);
    ASSERT_EQ(fonts.size(), 2u);
    EXPECT_EQ(fonts[1].font.size, 5);
    EXPECT_EQ(surface.OfKind(PrimitiveKind::kReleaseFont).size(), 2u);
    for (const auto& t : surface.OfKind(PrimitiveKind::kText)) {
        EXPECT_EQ(t.font.size, 5);
    }
    EXPECT_EQ(surface.FontDepth(), 0u);
}

// The page at its fixed centres (200, 200), (550, 200), (200, 550), (550, 550), in units of c.
TEST(AllPlots, DiagramsStandAtTheirFixedCentres)
{
    FixedAdvanceMeasurer measurer;
    for (int c : {1, 2}) {
        RecordingSurface surface(measurer);
        CKorvanesToolDoc doc;
        doc.m_plotBounds.maxNrm = 10.0;
        doc.m_plotBounds.maxPtrm = 5.0;
        doc.m_plotBounds.maxTemperature = 500;
        doc.m_plotBounds.maxX = doc.m_plotBounds.maxHorizontal = 10.0;
        doc.m_plotBounds.maxY = doc.m_plotBounds.maxZ = 10.0;
        doc.m_plotBounds.minY = doc.m_plotBounds.minZ = -10.0;
        DrawAllPlots(surface, c, doc);
        const auto& p = surface.Primitives();
        ASSERT_EQ(p.front().kind, PrimitiveKind::kSelectFont);
        EXPECT_EQ(p.front().font.size, 5);
        EXPECT_EQ(p.back().kind, PrimitiveKind::kReleaseFont);
        // Arai 300 × 200 around (200, 200): frame from (350, 300) to (50, 300) to (50, 100).
        EXPECT_TRUE(testing::HasLine(surface, c * 350, c * 300, c * 50, c * 300));
        EXPECT_TRUE(testing::HasLine(surface, c * 50, c * 300, c * 50, c * 100));
        // Zijderveld 250 × 250 around (550, 200): S = 20, origin (425, 200);
        // the right half-axis is half the width long.
        EXPECT_TRUE(testing::HasLine(surface, c * 425, c * 200, c * 550, c * 200));
        EXPECT_TRUE(testing::HasLine(surface, c * 425, c * 200, c * 425, c * 325));
        // Decay 300 × 200 around (200, 550).
        EXPECT_TRUE(testing::HasLine(surface, c * 350, c * 650, c * 50, c * 650));
        // Additional 300 × 200 around (550, 550): panel A outline from (535, 550) to (400, 550).
        EXPECT_TRUE(testing::HasLine(surface, c * 535, c * 550, c * 400, c * 550));
    }
}

TEST(AllPlots, EqualAraiScalesMakeTheAraiDiagramSquare)
{
    FixedAdvanceMeasurer measurer;
    RecordingSurface surface(measurer);
    CKorvanesToolDoc doc;
    doc.m_options.m_equalAraiScales = 1;
    DrawAllPlots(surface, 1, doc);
    EXPECT_TRUE(testing::HasLine(surface, 300, 300, 100, 300));
}

}  // namespace
}  // namespace korvanes
