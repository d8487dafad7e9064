// Files beyond the analysis limits are refused when opened, with a message
// that says which limit; files at the limits are taken and analysed.

#include "analysis/AnalysisLimits.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "analysis/AnalysisRun.h"
#include "analysis/Classification.h"
#include "document/DataFileReader.h"
#include "support/SyntheticSpecimen.h"
#include "text/TextEncoding.h"

namespace korvanes {
namespace {

// Data-file bytes: header and one line per measurement.
std::string FileBytes(const std::vector<CMeasurement>& lines)
{
    std::string bytes = "Korvanes-kvd\n35 0 0 0 0\n";
    for (const CMeasurement& m : lines) {
        bytes += StringPrintf("S1\t%.2f\t%.6g\t%.4f\t%.4f\n", m.treatmentCode, m.moment, m.declination,
                              m.inclination);
    }
    return bytes;
}

std::vector<CMeasurement> Regular(int steps)
{
    return synthetic::Generate(synthetic::Experiment{}, synthetic::Temperatures(steps, 100, 100 + 2 * steps), 3, 7,
                               false);
}

// The lines in an order of their own.
std::vector<CMeasurement> Shuffled(std::vector<CMeasurement> lines)
{
    std::shuffle(lines.begin(), lines.end(), std::mt19937(11));
    return lines;
}

// `count` steps of each code at one temperature.
std::vector<CMeasurement> Repeated(const std::vector<float>& codes, int count)
{
    std::vector<CMeasurement> lines;
    for (int k = 0; k < count; ++k) {
        for (const float code : codes) {
            lines.push_back({code, 100.0f + static_cast<float>(k) + code, 10.0f, 40.0f});
        }
    }
    return lines;
}

TEST(AnalysisLimits, EachLimitRefusesWithItsReasonAndTheLargestRealShapesPass)
{
    // Within every limit: the largest regular specimen, the most steps out
    // of order, and a few repeats.
    EXPECT_EQ(AnalysisLimitExceeded(Regular(static_cast<int>(kMaxZeroFieldSteps) - 1)), std::nullopt);
    EXPECT_EQ(AnalysisLimitExceeded(Shuffled(Regular(static_cast<int>(kMaxUnorderedZeroFieldSteps) - 1))),
              std::nullopt);
    EXPECT_EQ(AnalysisLimitExceeded(Repeated({100.0f, 100.11f, 100.12f}, 3)), std::nullopt);

    struct Case {
        const char* name;
        std::vector<CMeasurement> lines;
        const char* says;
    };
    const Case cases[] = {
        {"lines", std::vector<CMeasurement>(kMaxMeasurements + 1, CMeasurement{100.11f, 1, 0, 0}),
         "5001 measurement lines"},
        {"zero-field steps", Regular(static_cast<int>(kMaxZeroFieldSteps)), "1001 zero-field steps"},
        {"steps out of order", Shuffled(Regular(static_cast<int>(kMaxUnorderedZeroFieldSteps))),
         "201 zero-field steps whose temperatures do not ascend"},
        {"paired items", Repeated({200.0f, 200.11f}, 72), "pair into 5185 Arai points"},
        {"tail statistics", Repeated({200.0f, 200.13f}, 72), "pair into 5185 Arai points"},
        {"corrected checks", Repeated({100.0f, 100.11f, 100.12f}, 15), "pair into 51075 Arai points"},
        {"Arai marks", Repeated({100.0f, 100.11f, 100.12f}, 6), "marks in the Arai diagram"},
    };
    for (const Case& c : cases) {
        const std::optional<std::string> why = AnalysisLimitExceeded(c.lines);
        ASSERT_TRUE(why.has_value()) << c.name;
        EXPECT_NE(why->find(c.says), std::string::npos) << c.name << ": " << *why;
    }
}

TEST(AnalysisLimits, CountsMatchTheBuiltLists)
{
    CKorvanesToolDoc doc;
    doc.m_measurements = Repeated({20.0f, 100.0f, 100.11f, 100.12f, 100.13f, 200.0f, 200.11f, 100.14f}, 3);
    BuildSteps(doc);
    const PairCounts counts = CountPairs(doc.m_steps);
    RunAnalysis(doc);
    EXPECT_EQ(counts.zeroFieldSteps, doc.m_zeroFieldSteps.size());
    EXPECT_EQ(counts.ptrmGained, doc.m_ptrmGained.size());
    EXPECT_EQ(counts.ptrmChecks, doc.m_ptrmChecks.size());
    EXPECT_EQ(counts.additivityChecks, doc.m_additivityChecks.size());
    EXPECT_EQ(counts.tailCheckStats, doc.m_tailCheckStats.size());
    EXPECT_EQ(counts.correctedChecks, doc.m_correctedChecks.size());
    EXPECT_EQ(counts.mostZeroFieldAtOneTemperature, 3u);  // 100 °C
    EXPECT_EQ(counts.mostPtrmAtOneTemperature, 9u);       // 100 °C: three in-field steps, three partners each
    EXPECT_GT(counts.ptrmChecks * counts.correctedChecks * counts.additivityChecks * counts.tailCheckStats, 0u);
    // Counted again from the partner table the analysis kept: its tallies start afresh.
    const PairCounts again = CountPairs(doc.m_steps);
    EXPECT_EQ(again.correctedChecks, counts.correctedChecks);
    EXPECT_EQ(again.ptrmChecks, counts.ptrmChecks);
}

// The bound that spares building the lists never lies below the marks
// they need, plain or check-corrected.
TEST(AnalysisLimits, MarksBoundCoversTheMarks)
{
    const std::vector<CMeasurement> shapes[] = {
        Regular(40),
        Shuffled(Regular(30)),
        Repeated({20.0f, 100.0f, 100.11f, 100.12f, 100.13f, 200.0f, 200.11f, 100.14f}, 3),
        Repeated({100.0f, 100.11f, 100.12f}, 6),
        Repeated({100.0f, 150.11f, 100.12f, 150.0f, 150.13f, 100.11f}, 2),
    };
    for (const std::vector<CMeasurement>& lines : shapes) {
        CKorvanesToolDoc doc;
        doc.m_measurements = lines;
        BuildSteps(doc);
        const std::size_t bound = AraiMarksBound(CountPairs(doc.m_steps));
        RunAnalysis(doc);
        EXPECT_GE(bound, CountAraiMarks(doc.m_zeroFieldSteps, doc.m_ptrmGained, doc.m_ptrmChecks,
                                        doc.m_additivityChecks));
        EXPECT_GE(bound, CountAraiMarks(doc.m_zeroFieldSteps, doc.m_correctedPtrm, doc.m_correctedChecks,
                                        doc.m_additivityChecks));
    }
}

TEST(AnalysisLimits, OpenRefusesAndLeavesNoMeasurement)
{
    CKorvanesToolDoc doc;
    const OpenStatus status = doc.OpenData(FileBytes(Repeated({100.0f, 100.11f, 100.12f}, 6)));
    EXPECT_FALSE(status.readable);
    EXPECT_NE(status.error.find("marks in the Arai diagram"), std::string::npos) << status.error;
    EXPECT_TRUE(doc.m_measurements.empty());
    RunAnalysis(doc);  // nothing to analyse
    EXPECT_TRUE(doc.m_steps.empty());

    CKorvanesToolDoc regular;
    EXPECT_TRUE(regular.OpenData(FileBytes(Regular(20))).readable);
    EXPECT_FALSE(regular.m_measurements.empty());
}

}  // namespace
}  // namespace korvanes
