// The range map: one cell per range the search could choose, each as a
// typed range evaluates it; the chosen cell is the analysed result.

#include "analysis/RangeMap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "analysis/AnalysisRun.h"
#include "analysis/RangeSearch.h"
#include "support/SyntheticSpecimen.h"

namespace korvanes {
namespace {

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

CKorvanesToolDoc Analysed(const char* name, bool correction = false)
{
    CKorvanesToolDoc doc;
    doc.Open(std::string(KORVANES_SOURCE_DIR) + "/examples/" + name);
    doc.m_options.m_includeCheckCorrection = correction ? 1 : 0;
    RunAnalysis(doc);
    return doc;
}

// The cell against the same range typed by the user, on a fresh document
// with the check correction the analysis ended with.
void ExpectTypedRange(const CKorvanesToolDoc& analysed, const RangeMapCell& cell)
{
    CKorvanesToolDoc typed;
    typed.m_measurements = analysed.m_measurements;
    typed.m_header = analysed.m_header;
    typed.m_criteria = analysed.m_criteria;
    typed.m_options = analysed.m_options;
    typed.m_options.m_rangeMode = kSelectedRange;
    typed.m_result.tMin = cell.tMin;
    typed.m_result.tMax = cell.tMax;
    RunAnalysis(typed);
    const CSpecimenResult& r = typed.m_result;
    const std::string what = std::to_string(cell.tMin) + "-" + std::to_string(cell.tMax);
    EXPECT_EQ(cell.n, r.n) << what;
    EXPECT_TRUE(SameBits(cell.paleointensity, r.paleointensity)) << what;
    EXPECT_TRUE(SameBits(cell.stdDev, r.stdDev)) << what;
    EXPECT_TRUE(SameBits(cell.value, std::fabs(r.w))) << what;
    EXPECT_EQ(cell.grade, GradeResult(r, typed.m_criteria)) << what;
    EXPECT_EQ(cell.missesA, FailedGradeTests(r, typed.m_criteria.classA)) << what;
}

TEST(RangeMap, EveryCellIsTheTypedRangeAndTheChosenOneTheResult)
{
    for (const auto& [name, correction] : {std::pair{"basalt-mt1.kvd", false}, std::pair{"tuff-mt3.kvd", false},
                                          std::pair{"andesite-mt4.kvd", true}}) {
        const CKorvanesToolDoc doc = Analysed(name, correction);
        const RangeMap map = ComputeRangeMap(doc);
        ASSERT_TRUE(map.refused.empty()) << name;
        // 15 temperatures, ranges of at least 5 steps: 11 + 10 + ... + 1.
        EXPECT_EQ(map.cells.size(), (map.temperatures.size() - 4) * (map.temperatures.size() - 3) / 2) << name;
        for (std::size_t k = 0; k < map.cells.size(); k += 7) {
            ExpectTypedRange(doc, map.cells[k]);
        }
        ASSERT_TRUE(map.summary.hasChosen) << name;
        for (const RangeMapCell& cell : map.cells) {
            if (cell.tMin == map.summary.chosenMin && cell.tMax == map.summary.chosenMax) {
                EXPECT_TRUE(SameBits(cell.paleointensity, doc.m_result.paleointensity)) << name;
                EXPECT_TRUE(SameBits(cell.value, std::fabs(doc.m_result.w))) << name;
                EXPECT_EQ(std::string(RangeMapGradeName(cell.grade)), doc.m_result.resultClass.substr(0, 1)) << name;
            }
        }
        EXPECT_EQ(map.summary.statisticsGrade, kClassA) << name;
        EXPECT_LE(map.summary.minimum, map.summary.median) << name;
        EXPECT_LE(map.summary.median, map.summary.maximum) << name;
    }
}

TEST(RangeMap, TooManyTemperaturesIsRefusedWithTheReason)
{
    CKorvanesToolDoc doc;
    doc.m_measurements = synthetic::Generate(synthetic::Experiment{},
                                             synthetic::Temperatures(static_cast<int>(kMaxRangeMapTemperatures), 60, 580),
                                             0, 0, false);
    RunAnalysis(doc);
    const RangeMap map = ComputeRangeMap(doc);
    EXPECT_NE(map.refused.find("at most 100"), std::string::npos) << map.refused;
    EXPECT_TRUE(map.cells.empty());
}

}  // namespace
}  // namespace korvanes
