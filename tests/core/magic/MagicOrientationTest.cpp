// Orientation from samples and sites tables: the sign conventions proven
// through the program's own rotations, and which record is used.

#include <gtest/gtest.h>

#include "MagicTestTables.h"
#include "document/Coordinates.h"
#include "document/DataFileReader.h"
#include "magic/MagicOrientation.h"
#include "magic/MagicOrigin.h"

namespace {

using namespace korvanes;
using namespace korvanes::magic;

// The direction of a specimen's X axis in the system `coordinates`, after
// the data file written by the import has been read back.
Direction XAxisAfterImport(const std::string& measurements, const OrientationTables& orientation, int coordinates)
{
    const MagicImport m = magictest::Import(measurements, orientation);
    EXPECT_EQ(m.specimens.size(), 1u);
    CKorvanesToolDoc doc;
    EXPECT_TRUE(ParseDataLines(SplitLines(m.specimens.at(0).dataFile), doc).empty());
    CMeasurement alongX;
    alongX.moment = 1.0f;
    const Vector3 v = VectorInCoordinates(alongX, doc.m_header, coordinates);
    return DirectionFromVector(v.x, v.y, v.z);
}

TEST(MagicOrientation, TheSampleXAxisPointsToItsAzimuthAndDip)
{
    // MagIC: azimuth of X, dip of X below the horizontal (positive down).
    const std::pair<double, double> samples[] = {{0, 0}, {40, 30}, {310.6, -87}, {200, 60}, {359, -10}};
    for (const auto& [azimuth, dip] : samples) {
        const Vector3 g = ToGeographic({1, 0, 0}, CoreAzimuthFromMagic(azimuth), CoreDipFromMagic(dip));
        const Direction d = DirectionFromVector(g.x, g.y, g.z);
        EXPECT_NEAR(d.declination, azimuth, 1e-9) << azimuth << ' ' << dip;
        EXPECT_NEAR(d.inclination, dip, 1e-9) << azimuth << ' ' << dip;
    }

    // The same through a written data file: a 2.5 sample table, the
    // measurements naming their sample.
    const std::string measurements =
        "tab\tmagic_measurements\ner_specimen_name\ter_sample_name\tmagic_method_codes\ttreatment_temp\t"
        "treatment_dc_field\tmeasurement_magn_moment\tmeasurement_dec\tmeasurement_inc\n"
        "s1\tsa\tLT-NO:LP-PI-TRM\t273\t0\t1e-6\t0\t0\n"
        "s1\tsa\tLT-T-Z:LP-PI-TRM\t373\t0\t1e-6\t0\t0\n"
        "s1\tsa\tLT-T-I:LP-PI-TRM\t373\t4e-5\t1e-6\t0\t0\n";
    const MagicText samplesTable = ParseMagicText(
        "tab\ter_samples\ner_sample_name\ter_site_name\tsample_azimuth\tsample_dip\n"
        "sa\tst\t40\t30\n");
    const MagicText sitesTable = ParseMagicText(
        "tab\ter_sites\ner_site_name\tsite_bed_dip_direction\tsite_bed_dip\n"
        "st\t40\t30\n");
    const OrientationTables tables(&samplesTable.tables.at(0), &sitesTable.tables.at(0), nullptr);
    const Direction geographic = XAxisAfterImport(measurements, tables, kGeographic);
    EXPECT_NEAR(geographic.declination, 40.0, 1e-4);
    EXPECT_NEAR(geographic.inclination, 30.0, 1e-4);
    // The bed dips 30° towards 40°, just as X does: tilt-corrected, X lies flat towards 40°.
    const Direction bedding = XAxisAfterImport(measurements, tables, kBedding);
    EXPECT_NEAR(bedding.declination, 40.0, 1e-4);
    EXPECT_NEAR(bedding.inclination, 0.0, 1e-4);
}

TEST(MagicOrientation, WhichSampleRecordAndWhereBeddingComesFrom)
{
    // Data model 3: samples name their specimens; several records per sample.
    const MagicText samples = ParseMagicText(
        "tab\tsamples\nsample\tsite\tspecimens\tazimuth\tdip\tbed_dip_direction\tbed_dip\torientation_quality\t"
        "method_codes\n"
        "sa\tst\tx1:x2\t295\t-87\t\t\tg\tSO-MAG\n"
        "sa\tst\t\t300\t-87\t\t\tb\tSO-SUN\n"  // flagged bad: passed over
        "sa\tst\t\t310\t-87\t\t\tg\tFS-FD:SO-CMD-NORTH\n"
        "sb\tst\tx3\t10\t\t120\t15\tg\tSO-SUN\n"  // no dip: no orientation
        "sc\tsu\tx4\t10\t5\t\t\tg\tSO-SUN\n"
        "sc\tsu\t\t11\t5\t100\t12\tg\tSO-MAG\n");  // bedding from another record of the sample
    const MagicText sites = ParseMagicText("tab\tsites\nsite\tbed_dip_direction\tbed_dip\nst\t90\t20\nsu\t5\t5\n");
    const OrientationTables tables(&samples.tables.at(0), &sites.tables.at(0), nullptr);

    const SpecimenOrientation x2 = tables.For("x2", "", "");
    EXPECT_EQ(x2.source, OrientationSource::kSample);
    EXPECT_EQ(x2.method, "SO-CMD-NORTH");
    EXPECT_EQ(x2.coreAzimuth, 310.0);
    EXPECT_EQ(x2.coreDip, 87.0);
    EXPECT_EQ(x2.bedding, BeddingSource::kSite);
    EXPECT_EQ(x2.beddingDipDirection, 90.0);
    EXPECT_EQ(x2.beddingDip, 20.0);

    const SpecimenOrientation x3 = tables.For("x3", "", "");
    EXPECT_EQ(x3.source, OrientationSource::kNone);
    EXPECT_NE(x3.problem.find("sample 'sb' has no record with a usable azimuth"), std::string::npos);

    const SpecimenOrientation x4 = tables.For("x4", "", "");
    EXPECT_EQ(x4.coreAzimuth, 10.0);
    EXPECT_EQ(x4.bedding, BeddingSource::kSample);  // the sample's, not the site's
    EXPECT_EQ(x4.beddingDipDirection, 100.0);

    EXPECT_NE(tables.For("x9", "", "").problem.find("no sample is named"), std::string::npos);
    EXPECT_NE(tables.For("x9", "sz", "").problem.find("its sample 'sz' is not in the samples table"),
              std::string::npos);
    // A specimens table says which sample a specimen is of.
    const MagicText specimens = ParseMagicText("tab\tspecimens\nspecimen\tsample\nx9\tsc\n");
    EXPECT_EQ(OrientationTables(&samples.tables.at(0), nullptr, &specimens.tables.at(0)).For("x9", "", "").coreAzimuth,
              10.0);

    // What the data file's origin keeps, and what an export reads back from it.
    MagicOrigin origin{"x2", "LP-PI-TRM:LP-PI-BT-IZZI", OrientationSource::kSample, BeddingSource::kSite};
    const std::optional<MagicOrigin> back = ParseOriginNote(FormatOriginNote(origin));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->specimen, "x2");
    EXPECT_EQ(back->methodCodes, "LP-PI-TRM:LP-PI-BT-IZZI");
    EXPECT_EQ(back->orientation, OrientationSource::kSample);
    EXPECT_EQ(back->bedding, BeddingSource::kSite);
    EXPECT_FALSE(ParseOriginNote("").has_value());
    EXPECT_FALSE(ParseOriginNote(" any text after the header word").has_value());
}

// Each range of a sample record at its limit, just inside and just outside
// it: a value out of range gives no orientation (azimuth, dip) or no bedding.
TEST(MagicOrientation, RangeLimitsOnBothSides)
{
    struct Case {
        int column;  // 0 azimuth, 1 dip, 2 bed_dip_direction, 3 bed_dip
        const char* value;
        bool taken;
    };
    const Case cases[] = {
        {0, "-0.001", false}, {0, "0", true},   {0, "360", true},    {0, "360.001", false},
        {1, "-180.001", false}, {1, "-180", true}, {1, "180", true}, {1, "180.001", false},
        {2, "-0.001", false}, {2, "0", true},   {2, "360", true},    {2, "360.001", false},
        {3, "-90.001", false}, {3, "-90", true}, {3, "90", true},    {3, "90.001", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.column) + " " + c.value);
        std::string cells[4] = {"10", "20", "30", "40"};
        cells[c.column] = c.value;
        const MagicText samples = ParseMagicText("tab\tsamples\nsample\tazimuth\tdip\tbed_dip_direction\tbed_dip\ns\t" +
                                                 cells[0] + '\t' + cells[1] + '\t' + cells[2] + '\t' + cells[3] + '\n');
        const SpecimenOrientation o = OrientationTables(&samples.tables.at(0), nullptr, nullptr).For("x", "s", "");
        if (c.column < 2) {
            EXPECT_EQ(o.source == OrientationSource::kSample, c.taken);
        } else {
            EXPECT_EQ(o.bedding == BeddingSource::kSample, c.taken);
        }
    }
}

}  // namespace
