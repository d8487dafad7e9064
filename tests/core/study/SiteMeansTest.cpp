// Sample and site means on a study computed by hand, the dipole moments
// against a published worked value, the sites table's errors, the name
// rule, and the MagIC samples and sites tables of a published study.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "core/magic/DataModelCheck.h"
#include "core/results/TempDir.h"
#include "results/Batch.h"
#include "study/SiteTables.h"
#include "study/SitesFile.h"
#include "study/StudyFile.h"
#include "study/StudyOpen.h"

namespace {

using namespace korvanes;

SpecimenEstimate Estimate(const char* name, const char* sample, const char* site, double b, const char* cls,
                          bool rejected = false)
{
    SpecimenEstimate e;
    e.name = name;
    e.sample = sample;
    e.site = site;
    e.paleointensity = b;
    e.sigma = 1.0;
    e.resultClass = cls;
    e.rejected = rejected;
    return e;
}

// Site "a": 40 and 50 in sample a1, 45 in a2 (mean 45, σ exactly 5), a
// rejected 90 and a class C 100; site "b": one specimen; site "c": two
// specimens 10 and 20 (σ 7.07, 47 %), no latitude.
std::vector<SpecimenEstimate> HandStudy()
{
    return {Estimate("a1-1", "a1", "a", 40.0, "A"), Estimate("c-1", "c1", "c", 10.0, "B"),
            Estimate("a2-1", "a2", "a", 45.0, "B"), Estimate("a1-2", "a1", "a", 50.0, "A*"),
            Estimate("a2-2", "a2", "a", 90.0, "A", true), Estimate("a2-3", "a2", "a", 100.0, "C"),
            Estimate("b1-1", "b1", "b", 30.0, "A"), Estimate("c-2", "c1", "c", 20.0, "A")};
}

const SiteMean& SiteNamed(const SiteSummary& summary, const std::string& name)
{
    for (const SiteMean& site : summary.sites) {
        if (site.site == name) {
            return site;
        }
    }
    throw std::runtime_error("no site " + name);
}

TEST(SiteMeans, HandComputedStudy)
{
    SiteMeanSettings settings;
    settings.maxSdPercent.reset();  // σ by the absolute limit alone: 5 µT, met exactly by site a
    const SiteLocations places{{"a", SiteLocation{22.0, 10.0, std::nullopt, std::nullopt}},
                               {"b", SiteLocation{-45.0, std::nullopt, std::nullopt, std::nullopt}}};
    const SiteSummary summary = SummariseSites(HandStudy(), settings, places);
    ASSERT_EQ(summary.sites.size(), 3u);

    const SiteMean& a = SiteNamed(summary, "a");
    EXPECT_EQ(a.intensity.n, 3);
    EXPECT_EQ(a.nSamples, 2);
    EXPECT_DOUBLE_EQ(a.intensity.mean, 45.0);
    EXPECT_DOUBLE_EQ(*a.intensity.sd, 5.0);
    EXPECT_NEAR(*a.intensity.sdPercent, 100.0 / 9.0, 1e-12);
    EXPECT_NEAR(*a.intensity.standardError, 5.0 / std::sqrt(3.0), 1e-12);
    EXPECT_TRUE(a.accepted) << "σ exactly at the limit passes";
    EXPECT_NEAR(*a.vadm, Vadm(45.0, 22.0), 1e6);
    EXPECT_NEAR(*a.vadmSigma / *a.vadm, 5.0 / 45.0, 1e-12);
    // Sample a1: 40 and 50; a2: 45 (the rejected 90 and the class C 100 do not count).
    ASSERT_EQ(a.samples.size(), 2u);
    EXPECT_DOUBLE_EQ(a.samples[0].intensity.mean, 45.0);
    EXPECT_EQ(a.samples[1].intensity.n, 1);
    std::vector<std::string> why;
    for (const SpecimenVerdict& v : a.samples[1].specimens) {
        why.push_back(v.whyNot);
    }
    EXPECT_EQ(why, (std::vector<std::string>{"", "rejected", "class C"}));

    const SiteMean& b = SiteNamed(summary, "b");
    EXPECT_EQ(b.intensity.n, 1);
    EXPECT_FALSE(b.intensity.sd.has_value());
    EXPECT_FALSE(b.accepted);
    EXPECT_EQ(b.reasons, std::vector<std::string>{"N 1 < 3"});
    EXPECT_TRUE(b.vadm.has_value());
    EXPECT_FALSE(b.vadmSigma.has_value());

    const SiteMean& c = SiteNamed(summary, "c");
    EXPECT_FALSE(c.location.lat.has_value());
    EXPECT_FALSE(c.vadm.has_value());
    ASSERT_EQ(c.reasons.size(), 2u);
    EXPECT_EQ(c.reasons[1], "σ 7.07 µT > 5 µT");

    // Just over the limit, and the relative limit as the other way to pass.
    settings.maxSd = 4.999;
    EXPECT_FALSE(SiteNamed(SummariseSites(HandStudy(), settings, places), "a").accepted);
    settings.maxSdPercent = 11.2;
    EXPECT_TRUE(SiteNamed(SummariseSites(HandStudy(), settings, places), "a").accepted);
    // One specimen is enough when N may be 1: it has no σ to test.
    settings.minN = 1;
    EXPECT_TRUE(SiteNamed(SummariseSites(HandStudy(), settings, places), "b").accepted);

    // From sample means: a1 45 and a2 45 give N 2, σ 0.
    settings.fromSampleMeans = true;
    const SiteMean fromSamples = SiteNamed(SummariseSites(HandStudy(), settings, places), "a");
    EXPECT_EQ(fromSamples.intensity.n, 2);
    EXPECT_DOUBLE_EQ(fromSamples.intensity.mean, 45.0);
    EXPECT_DOUBLE_EQ(*fromSamples.intensity.sd, 0.0);
}

TEST(SiteMeans, DipoleMomentsAgainstPublishedWorkedValue)
{
    // The documented example of PmagPy's pmag.b_vdm: 33 µT at latitude 22°
    // is 71.58815974511788 ZAm² (R = 6371 km, μ0 = 4π × 1e-7).
    EXPECT_NEAR(Vadm(33.0, 22.0) * 1e-21, 71.58815974511788, 1e-9);
    // The VDM from the dipole inclination of a latitude (tan I = 2 tan λ) is that latitude's VADM.
    const double inclination = std::atan(2.0 * std::tan(22.0 * M_PI / 180.0)) * 180.0 / M_PI;
    EXPECT_NEAR(Vdm(33.0, inclination) / Vadm(33.0, 22.0), 1.0, 1e-12);
    // At the pole a field needs half the moment it needs at the equator.
    EXPECT_NEAR(Vadm(50.0, 0.0) / Vadm(50.0, 90.0), 2.0, 1e-12);
}

TEST(SitesFile, UsableLinesAndErrorsNamingFileAndLine)
{
    const SitesFileRead good =
        ParseSitesFile("# sites\nsite\tlat\tlon\tage\ns1\t42.5\t-120\t\ns2\t\t\t\n", "sites.txt");
    ASSERT_TRUE(good.ok());
    EXPECT_EQ(*good.sites.at("s1").lat, 42.5);
    EXPECT_FALSE(good.sites.at("s1").age.has_value());
    EXPECT_FALSE(good.sites.at("s2").lat.has_value()) << "no site takes a latitude it was not given";

    const struct {
        const char* text;
        const char* error;
    } bad[] = {
        {"site\tlat\ns1\t95\n", "sites.txt:2: latitude '95' is outside -90 to 90 degrees"},
        {"site\tlat\tlon\ns1\t10\tabc\n", "sites.txt:2: longitude 'abc' is not a number"},
        {"site\tlat\ns1\t10\n\ns1\t11\n", "sites.txt:4: site 's1' is named twice (first on line 2)"},
        {"site\tlatitude\n", "sites.txt:1: unknown column 'latitude' (the columns are site, lat, lon, age and inc)"},
        {"s1\t10\n", "sites.txt:1: unknown column 's1' (the columns are site, lat, lon, age and inc)"},
        {"site\tlat\ns1\t10\t20\n", "sites.txt:2: 3 cells but 2 columns"},
    };
    for (const auto& c : bad) {
        const SitesFileRead read = ParseSitesFile(c.text, "sites.txt");
        ASSERT_FALSE(read.ok()) << c.text;
        EXPECT_EQ(read.errors.front(), c.error);
        EXPECT_TRUE(read.sites.empty());
    }

    // Created with empty cells; never over an existing file.
    korvanes::testing::TempDir dir;
    const std::string path = dir.File("sites.txt");
    EXPECT_EQ(CreateSitesFile(path, {"s1", "s2"}), "");
    const SitesFileRead created = ReadSitesFile(path);
    ASSERT_TRUE(created.ok());
    EXPECT_EQ(created.sites.size(), 2u);
    EXPECT_FALSE(created.sites.at("s2").lat.has_value());
    EXPECT_NE(CreateSitesFile(path, {"s3"}), "");
}

TEST(SiteMeans, NameRuleAndOldStudyFiles)
{
    EXPECT_EQ(SplitSpecimenName("s1p1-01", NameRule{}).site, "s1p1");
    EXPECT_EQ(SplitSpecimenName("s1p1-01", NameRule{}).sample, "s1p1");
    // A study file written before the site's rule was kept reads with the old rule.
    const StudyFileRead old = ParseStudyFile(
        R"({"format": "korvanes-study", "version": 1, "nameRule": {"separators": "-_."}, "specimens": []})", "/x");
    ASSERT_TRUE(old.ok) << old.reason;
    EXPECT_TRUE(old.study.nameRule.siteCutsSample);
    EXPECT_EQ(SplitSpecimenName("s1-p1-01", old.study.nameRule).site, "s1");
    Study fresh;
    EXPECT_FALSE(ParseStudyFile(StudyFileText(fresh), "/x").study.nameRule.siteCutsSample);
}

TEST(SiteMeans, MagicStudyPlacedByItsTablesAndExportedToTheDataModel)
{
    SKIP_WITHOUT_MAGIC_DATA();
    std::string error;
    const Study study = StudyOfMagic(KORVANES_MAGIC_DATA_DIR,
                                     {magictest::DataFile("zi-tails-magic_measurements.txt"),
                                      magictest::DataFile("zi-tails-er_samples_orient.txt"), ""},
                                     StartupCriteria(), 2, nullptr, error);
    ASSERT_FALSE(study.specimens.empty()) << error;
    for (const StudySpecimen& s : study.specimens) {
        EXPECT_TRUE(s.placedByMagic);
        EXPECT_EQ(s.site, "sr01");
        EXPECT_EQ(s.sample, s.name.substr(0, 5));  // sr01e2 belongs to sample sr01e
    }
    EXPECT_NEAR(*study.magicPlaces.at("sr01").lat, 42.60264, 1e-9);

    SiteMeanSettings settings;
    settings.classes = "ABC";  // rows for every result, so that each column gets values to check
    const SiteSummary summary = SummariseStudy(study, settings, {});
    const auto samples = SampleRows(study, summary);
    const auto sites = SiteRows(study, summary);
    ASSERT_FALSE(samples.empty());
    ASSERT_EQ(sites.size(), 1u);
    magictest::ExpectRowsMatchDataModel("samples", SampleTableColumns(), samples);
    magictest::ExpectRowsMatchDataModel("sites", SiteTableColumns(), sites);
    EXPECT_NE(sites[0][8], "") << "vadm with the samples' latitude";
    EXPECT_EQ(sites[0][14], "245.602") << "lon in 0..360";
}

}  // namespace
