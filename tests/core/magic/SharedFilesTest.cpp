// The two published MagIC files: what their import gives, and that every
// specimen it writes reads back and analyses without a warning.

#include <gtest/gtest.h>

#include <cmath>

#include "MagicTestTables.h"
#include "analysis/AnalysisRun.h"
#include "magic/MagicFiles.h"

namespace {

using namespace korvanes;
using namespace korvanes::magic;

struct Expected {
    const char* measurements;
    const char* samples;
    std::size_t read;
    std::size_t used;
    std::size_t specimens;
    std::vector<std::pair<std::string, std::size_t>> dropped;
    std::size_t oriented;
};

TEST(MagicSharedFiles, ImportWithTheExpectedSummaryAndAnalyseCleanly)
{
    SKIP_WITHOUT_MAGIC_DATA();
    const Expected files[] = {
        {"thermal-izzi-measurements.txt",
         "",
         659,
         632,
         26,
         {{"lab treatment LT-AF-Z is no double-heating step", 26},
          {"specimen not written: no zero-field or in-field heating", 1}},
         0},
        {"zi-tails-magic_measurements.txt",
         "zi-tails-er_samples_orient.txt",
         192,
         152,
         5,
         {{"not of a thermal double-heating experiment (no LP-PI-TRM)", 40}},
         5},
    };
    for (const Expected& e : files) {
        SCOPED_TRACE(e.measurements);
        const MagicImport m = ImportMagicFiles(
            {magictest::DataFile(e.measurements), *e.samples ? magictest::DataFile(e.samples) : "", ""});
        ASSERT_TRUE(m.ok()) << m.error;
        EXPECT_EQ(m.recordsRead, e.read);
        EXPECT_EQ(m.recordsUsed, e.used);
        ASSERT_EQ(m.specimens.size(), e.specimens);
        ASSERT_EQ(m.dropped.size(), e.dropped.size());
        for (std::size_t i = 0; i < e.dropped.size(); ++i) {
            EXPECT_EQ(m.dropped[i].reason, e.dropped[i].first);
            EXPECT_EQ(m.dropped[i].records, e.dropped[i].second);
        }
        std::size_t oriented = 0;
        for (const ImportedSpecimen& s : m.specimens) {
            SCOPED_TRACE(s.magicName);
            oriented += s.orientation.source == OrientationSource::kSample ? 1 : 0;
            EXPECT_TRUE(s.fromMagneticMoment);
            EXPECT_TRUE(s.notes.empty());  // names unchanged, NRM in the experiment
            CKorvanesToolDoc doc;
            EXPECT_TRUE(OpenImportedSpecimen(s, "m.txt", doc).warnings.empty());
            EXPECT_EQ(doc.m_measurements.size(), s.records);
            EXPECT_EQ(doc.m_header.m_specimenName, s.magicName);
            EXPECT_FLOAT_EQ(doc.m_header.m_labField, static_cast<float>(s.labField));
            RunAnalysis(doc);
            EXPECT_TRUE(std::isfinite(doc.m_result.paleointensity));
        }
        EXPECT_EQ(oriented, e.oriented);
    }
}

}  // namespace
