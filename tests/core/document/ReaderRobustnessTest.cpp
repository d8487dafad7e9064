// Pseudo-random bytes through the reader and the whole analysis: nothing may
// crash, and every number that comes out must be finite.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/AnalysisRun.h"
#include "document/DataFileReader.h"

namespace korvanes {
namespace {

// xorshift64*: the same lines on every run.
class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t Next()
    {
        m_state ^= m_state >> 12;
        m_state ^= m_state << 25;
        m_state ^= m_state >> 27;
        return m_state * 2685821657736338717ull;
    }
    std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Next() % n); }

private:
    std::uint64_t m_state;
};

// Mostly number-like text with separators, a name, and now and then any byte.
std::string RandomLine(Random& r)
{
    static const std::string kPieces[] = {"0",   "1",   "2",    "5",    "9",    ".",  "e",   "E",  "-",
                                          "+",   "\t",  " ",    "nan",  "inf",  "x",  "0x",  "p",  "e39",
                                          "e-9", "20.", ".11",  ".12",  ".13",  ".14", ".4", "AB12a", "\xB0",
                                          "1e30", "3.4e38", "1e-45", "999999999", "\r"};
    std::string line;
    if (r.Below(3) != 0) {
        line = "S" + std::to_string(r.Below(4)) + "\t";
    }
    const std::size_t pieces = r.Below(14);
    for (std::size_t i = 0; i < pieces; ++i) {
        if (r.Below(10) == 0) {
            line.push_back(static_cast<char>(r.Below(256)));
        } else {
            line += kPieces[r.Below(sizeof kPieces / sizeof kPieces[0])];
        }
    }
    return line;
}

bool AllFinite(const std::vector<CStepVector>& list)
{
    for (const CStepVector& s : list) {
        if (!std::isfinite(s.x) || !std::isfinite(s.y) || !std::isfinite(s.z) || !std::isfinite(s.magnitude)) {
            return false;
        }
    }
    return true;
}

TEST(ReaderRobustness, RandomLinesNeverBreakReaderOrAnalysis)
{
    // Many specimens of realistic length: the automatic range search grows with
    // the cube of the number of steps, so one huge random file would only test patience.
    for (std::uint64_t seed = 1; seed <= 300; ++seed) {
        Random r(seed * 0x9E3779B97F4A7C15ull);
        std::vector<std::string> lines;
        if (seed % 2 == 0) {
            lines.push_back("Korvanes-kvd");
            lines.push_back(RandomLine(r));
        }
        for (int i = 0; i < 60; ++i) {
            lines.push_back(RandomLine(r));
        }
        CKorvanesToolDoc doc;
        ParseDataLines(lines, doc);
        for (const CMeasurement& m : doc.m_measurements) {
            ASSERT_TRUE(std::isfinite(m.treatmentCode) && std::isfinite(m.moment) && std::isfinite(m.declination) &&
                        std::isfinite(m.inclination));
        }
        doc.m_options.m_coordinates = static_cast<std::int32_t>(seed % 3);
        doc.m_options.m_onlyZComponent = static_cast<std::int32_t>(seed % 2);
        RunAnalysis(doc);
        EXPECT_TRUE(AllFinite(doc.m_steps));
        EXPECT_TRUE(AllFinite(doc.m_ptrmGained));
        EXPECT_TRUE(AllFinite(doc.m_ptrmChecks));
        EXPECT_TRUE(AllFinite(doc.m_additivityChecks));
        const CPlotBounds& b = doc.m_plotBounds;
        for (double v : {b.minNrm, b.maxNrm, b.maxPtrm, b.maxX, b.maxY, b.maxZ, b.maxHorizontal, b.minX, b.minY,
                         b.minZ, b.minHorizontal}) {
            EXPECT_TRUE(std::isfinite(v));
        }
        const CSpecimenResult& res = doc.m_result;
        for (double v : {res.paleointensity, res.stdDev, res.slope, res.slopeRelStd, res.f, res.g, res.q, res.w,
                         res.trm, res.nrmT, res.madAnchored, res.madFree, res.decAnchored, res.incAnchored,
                         res.decFree, res.incFree, res.alpha, res.ckError, res.ckDiff, res.drat, res.dTR, res.dTStar,
                         res.dAC, res.fitXFrom, res.fitXTo, res.fitLength}) {
            EXPECT_TRUE(std::isfinite(v));
        }
    }
}

}  // namespace
}  // namespace korvanes
