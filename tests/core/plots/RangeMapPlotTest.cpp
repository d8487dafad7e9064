// The range map diagram: a cell per range in its class colour, the chosen
// range outlined, and a notice where there is no map.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "PlotTestSupport.h"
#include "analysis/AnalysisRun.h"
#include "analysis/RangeMap.h"
#include "support/SyntheticSpecimen.h"

namespace korvanes {
namespace {

using testing::CentredFrame;

TEST(RangeMapPlot, ACellPerRangeAndTheChosenOneOutlined)
{
    CKorvanesToolDoc doc;
    doc.Open(std::string(KORVANES_SOURCE_DIR) + "/examples/tuff-mt3.kvd");
    RunAnalysis(doc);
    const RangeMap map = ComputeRangeMap(doc);
    FixedAdvanceMeasurer measurer;
    RecordingSurface surface(measurer);
    DrawRangeMap(surface, CentredFrame(440, 460), doc);

    const auto rectangles = surface.OfKind(PrimitiveKind::kRectangle);
    // The cells, the chosen one again with a heavy outline, and the legend:
    // a pale and a full swatch per class and the outline's swatch.
    ASSERT_EQ(rectangles.size(), map.cells.size() + 1 + 7);
    const auto heavy = std::count_if(rectangles.begin(), rectangles.end(),
                                     [](const RecordedPrimitive& p) { return p.pen.width > 1; });
    EXPECT_EQ(heavy, 2);  // the chosen cell and its swatch
    // Class A cells are green, class B amber, the others grey.
    for (std::size_t k = 0; k < map.cells.size(); ++k) {
        const Rgb fill = rectangles[k].fill;
        switch (map.cells[k].grade) {
        case 0:
            EXPECT_GT(fill.g, fill.r) << k;
            break;
        case 1:
            EXPECT_GT(fill.r, fill.b) << k;
            break;
        default:
            EXPECT_EQ(fill.r, fill.g) << k;
        }
    }
    const std::string chosen = "chosen " + std::to_string(doc.m_result.tMin) + "-" + std::to_string(doc.m_result.tMax) +
                               "\xB0" "C";
    EXPECT_EQ(testing::TextsNamed(surface, chosen).size(), 1u);
}

TEST(RangeMapPlot, NoMapDrawsItsReason)
{
    CKorvanesToolDoc doc;
    doc.m_measurements = synthetic::Generate(synthetic::Experiment{},
                                             synthetic::Temperatures(static_cast<int>(kMaxRangeMapTemperatures), 60, 580),
                                             0, 0, false);
    RunAnalysis(doc);
    FixedAdvanceMeasurer measurer;
    RecordingSurface surface(measurer);
    DrawRangeMap(surface, CentredFrame(440, 460), doc);
    const std::vector<std::string> texts = surface.Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts.front().find("at most 100 zero-field temperatures"), std::string::npos);
}

}  // namespace
}  // namespace korvanes
