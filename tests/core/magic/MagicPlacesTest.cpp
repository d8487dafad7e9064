// A contribution file places its specimens by its own specimens, samples and
// sites tables, and gives each site the latitude those tables know.

#include <gtest/gtest.h>

#include "MagicTestTables.h"
#include "magic/MagicFiles.h"

namespace {

using namespace korvanes::magic;

TEST(MagicPlaces, AContributionUsesItsOwnTables)
{
    const std::string text = magictest::Measurements3(magictest::Experiment("S1-a")) +
                             ">>>>>>>>>>\ntab\tspecimens\nspecimen\tsample\nS1-a\tP1\n"
                             ">>>>>>>>>>\ntab\tsamples\nsample\tsite\tlat\tlon\tazimuth\tdip\n"
                             "P1\tX\t10.00\t20\t0\t0\nP2\tX\t10.04\t20\t0\t0\nQ1\tY\t50\t20\t0\t0\n"
                             ">>>>>>>>>>\ntab\tsites\nsite\tlat\tlon\tdir_inc\nX\t\t\t\nY\t51\t21\t66\n";
    const MagicText contribution = ParseMagicText(text);
    ASSERT_TRUE(contribution.ok()) << contribution.error;
    MagicTexts texts;
    texts.measurements = &contribution;
    texts.measurementsName = "c.txt";
    const MagicImport imported = ImportMagicTexts(texts);
    ASSERT_TRUE(imported.ok()) << imported.error;
    ASSERT_EQ(imported.specimens.size(), 1u);
    EXPECT_EQ(imported.specimens[0].sample, "P1");
    EXPECT_EQ(imported.specimens[0].site, "X");
    EXPECT_EQ(imported.specimens[0].orientation.source, OrientationSource::kSample);
    // X: the mean of its samples (within 0.1°); Y: its own record, inclination included.
    EXPECT_DOUBLE_EQ(*imported.sitePlaces.at("X").lat, 10.02);
    EXPECT_FALSE(imported.sitePlaces.at("X").inc.has_value());
    EXPECT_EQ(*imported.sitePlaces.at("Y").lat, 51.0);
    EXPECT_EQ(*imported.sitePlaces.at("Y").inc, 66.0);
}

}  // namespace
