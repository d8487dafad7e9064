#include "analysis/TailChecks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "analysis/AnalysisRun.h"
#include "document/Coordinates.h"
#include "text/TextEncoding.h"

namespace korvanes {
namespace {

CStepVector Item(int temperature, double x, double y, double z, int type)
{
    CStepVector v;
    v.x = x;
    v.y = y;
    v.z = z;
    v.magnitude = std::sqrt(x * x + y * y + z * z);
    v.stepType = type;
    v.temperature = temperature;
    v.stepTemperature = temperature;
    return v;
}

CStepVector FromDirection(int temperature, double dec, double inc, double intensity, int type)
{
    const Vector3 v = VectorFromDirection(dec, inc, intensity);
    return Item(temperature, v.x, v.y, v.z, type);
}

// A document with one zero-field step, one tail check and one pTRM item at
// 300 degrees; maxNrm 10, maxPtrm 20.
CKorvanesToolDoc OnePair(const CStepVector& nrm, const CStepVector& tail, const CStepVector& ptrm)
{
    CKorvanesToolDoc doc;
    doc.m_zeroFieldSteps = {nrm};
    doc.m_tailChecks = {tail};
    doc.m_ptrmGained = {Item(20, 0, 0, 0, kInField), ptrm};
    doc.m_plotBounds.maxNrm = 10.0;
    doc.m_plotBounds.maxPtrm = 20.0;
    return doc;
}

TEST(TailChecks, EqualVectorsGiveZeroStatistics)
{
    const CStepVector n = FromDirection(300, 15.0, 50.0, 6.0, kZeroField);
    CStepVector k = n;
    k.stepType = kTailCheck;
    CKorvanesToolDoc doc = OnePair(n, k, FromDirection(300, 0.0, 70.0, 3.0, kInField));
    BuildTailCheckStats(doc);
    ASSERT_EQ(doc.m_tailCheckStats.size(), 1u);
    const CStepVector& s = doc.m_tailCheckStats[0];
    EXPECT_EQ(s.y, 0.0);
    EXPECT_EQ(s.z, 0.0);
    EXPECT_EQ(s.magnitude, 0.0);
    EXPECT_NEAR(s.x, 40.0, 1e-9);  // theta = 90 - 50
    EXPECT_EQ(s.stepType, 0);
    EXPECT_EQ(s.temperature, 300);
    EXPECT_EQ(s.stepTemperature, 300);
}

TEST(TailChecks, ThetaSixtyDegrees)
{
    // NRM (4*sqrt3, 0, 4): |n| = 8, I = 30. Tail (6, 0, 3). pTRM I = +60, so
    // theta = 60 deg, f = 1047. dH = 0.928203, dZ = 1, e = dH / tan 60 = 0.535898,
    // t* = (e - dZ) * 100 / 20 = -2.320508.
    CKorvanesToolDoc doc = OnePair(Item(300, 4.0 * std::sqrt(3.0), 0.0, 4.0, kZeroField),
                                   Item(300, 6.0, 0.0, 3.0, kTailCheck),
                                   Item(300, 1.0, 0.0, std::sqrt(3.0), kInField));
    BuildTailCheckStats(doc);
    ASSERT_EQ(doc.m_tailCheckStats.size(), 1u);
    const CStepVector& s = doc.m_tailCheckStats[0];
    EXPECT_NEAR(s.x, 60.0, 1e-9);
    EXPECT_NEAR(s.y, 30.0 - 26.565051177, 1e-8);
    EXPECT_NEAR(s.z, -2.3205081, 1e-6);
    EXPECT_NEAR(s.magnitude, (8.0 - std::sqrt(45.0)) * 100.0 / 10.0, 1e-9);  // 12.917960

    const CPlotBounds& b = doc.m_plotBounds;
    EXPECT_EQ(b.maxTailTStar, 0.0);  // signed maximum, starts at 0
    EXPECT_NEAR(b.maxTailDInc, 3.434949, 1e-6);
    EXPECT_NEAR(b.maxTailDTR, 12.917960, 1e-6);
    EXPECT_EQ(b.tailPlotMaxIncTStar, 4.0);
    EXPECT_EQ(b.tailPlotMax, 13.0);
}

TEST(TailChecks, NegativeFieldAxisMirrorsThePositiveCase)
{
    // The case above with every z reversed: field axis -90, theta = -60 deg,
    // f = -1048. t* = (dZ - e) * 100 / maxPtrm gives the same value.
    CKorvanesToolDoc doc = OnePair(Item(300, 4.0 * std::sqrt(3.0), 0.0, -4.0, kZeroField),
                                   Item(300, 6.0, 0.0, -3.0, kTailCheck),
                                   Item(300, 1.0, 0.0, -std::sqrt(3.0), kInField));
    BuildTailCheckStats(doc);
    ASSERT_EQ(doc.m_tailCheckStats.size(), 1u);
    EXPECT_NEAR(doc.m_tailCheckStats[0].x, -60.0, 1e-9);
    EXPECT_NEAR(doc.m_tailCheckStats[0].z, -2.3205081, 1e-6);
}

TEST(TailChecks, NearFieldAxisGivesZero)
{
    // pTRM I = -45, NRM I = -80: theta = -10 deg, f = -175.
    CKorvanesToolDoc doc = OnePair(FromDirection(300, 0.0, -80.0, 5.0, kZeroField),
                                   FromDirection(300, 0.0, -70.0, 4.0, kTailCheck),
                                   Item(300, 1.0, 0.0, -1.0, kInField));
    BuildTailCheckStats(doc);
    EXPECT_NEAR(doc.m_tailCheckStats[0].x, -10.0, 1e-9);
    EXPECT_EQ(doc.m_tailCheckStats[0].z, 0.0);

    // The positive bound: 10.0 deg (f = 174) is 0, 10.1 deg (f = 176) is not.
    CKorvanesToolDoc at10 = OnePair(FromDirection(300, 0.0, 80.0, 5.0, kZeroField),
                                    FromDirection(300, 0.0, 70.0, 4.0, kTailCheck),
                                    Item(300, 0.0, 0.0, 2.0, kInField));
    BuildTailCheckStats(at10);
    EXPECT_EQ(at10.m_tailCheckStats[0].z, 0.0);
    CKorvanesToolDoc at101 = OnePair(FromDirection(300, 0.0, 79.9, 5.0, kZeroField),
                                     FromDirection(300, 0.0, 70.0, 4.0, kTailCheck),
                                     Item(300, 0.0, 0.0, 2.0, kInField));
    BuildTailCheckStats(at101);
    EXPECT_NE(at101.m_tailCheckStats[0].z, 0.0);
}

TEST(TailChecks, NearlyAntiparallelUsesTheVerticalDifferenceAlone)
{
    // NRM I = -85 with the field down: theta = 175 deg, f = 3054.
    // dZ = 6 sin(-85) - 5 sin(-80) = -1.053129; t* = -100 dZ / (20 + 10) = 3.510431.
    CKorvanesToolDoc doc = OnePair(FromDirection(300, 20.0, -85.0, 6.0, kZeroField),
                                   FromDirection(300, 20.0, -80.0, 5.0, kTailCheck),
                                   Item(300, 0.0, 0.0, 2.0, kInField));
    BuildTailCheckStats(doc);
    EXPECT_NEAR(doc.m_tailCheckStats[0].x, 175.0, 1e-9);
    EXPECT_NEAR(doc.m_tailCheckStats[0].z, 3.510431, 1e-6);
    EXPECT_NEAR(doc.m_plotBounds.maxTailTStar, 3.510431, 1e-6);
    EXPECT_EQ(doc.m_plotBounds.tailPlotMaxIncTStar, 5.0);  // d(Inc) = -5, t* = 3.5
}

TEST(TailChecks, NinetyDegreesUsesNoImpliedDifference)
{
    // Horizontal NRM, field down: theta = 90 deg, f = 1570, e = 0.
    // t* = (0 - dZ) * 100 / 20 with dZ = -0.5.
    CKorvanesToolDoc doc = OnePair(Item(300, 5.0, 0.0, 0.0, kZeroField),
                                   Item(300, 4.0, 0.0, 0.5, kTailCheck),
                                   Item(300, 0.0, 0.0, 2.0, kInField));
    BuildTailCheckStats(doc);
    EXPECT_NEAR(doc.m_tailCheckStats[0].z, 2.5, 1e-12);
}

TEST(TailChecks, LastPtrmItemOfTheTemperatureWins)
{
    CKorvanesToolDoc doc = OnePair(Item(300, 4.0 * std::sqrt(3.0), 0.0, 4.0, kZeroField),
                                   Item(300, 6.0, 0.0, 3.0, kTailCheck),
                                   Item(300, 1.0, 0.0, std::sqrt(3.0), kInField));
    // A second item of 300 pointing up: axis -90, theta = -120 deg, mirror
    // case with e = dH / tan(-120 deg): t* = (1 - 0.535898) * 5.
    doc.m_ptrmGained.push_back(Item(300, 1.0, 0.0, -std::sqrt(3.0), kInField));
    BuildTailCheckStats(doc);
    EXPECT_NEAR(doc.m_tailCheckStats[0].x, -120.0, 1e-9);
    EXPECT_NEAR(doc.m_tailCheckStats[0].z, 2.3205081, 1e-6);
}

TEST(TailChecks, WithoutPtrmItemThetaAndTStarAreZero)
{
    CKorvanesToolDoc doc = OnePair(Item(300, 8.0, 0.0, 6.0, kZeroField),
                                   Item(300, 6.0, 0.0, 3.0, kTailCheck),
                                   Item(350, 0.0, 0.0, 2.0, kInField));
    BuildTailCheckStats(doc);
    const CStepVector& s = doc.m_tailCheckStats[0];
    EXPECT_EQ(s.x, 0.0);
    EXPECT_EQ(s.z, 0.0);
    EXPECT_NEAR(s.magnitude, (10.0 - std::sqrt(45.0)) * 10.0, 1e-9);
    EXPECT_NE(s.y, 0.0);
}

TEST(TailChecks, ZeroMaximaGiveZeroNotNaN)
{
    CKorvanesToolDoc doc = OnePair(FromDirection(300, 20.0, -85.0, 6.0, kZeroField),
                                   FromDirection(300, 20.0, -80.0, 5.0, kTailCheck),
                                   Item(300, 0.0, 0.0, 2.0, kInField));
    doc.m_plotBounds.maxNrm = 0.0;
    doc.m_plotBounds.maxPtrm = 0.0;
    BuildTailCheckStats(doc);
    EXPECT_EQ(doc.m_tailCheckStats[0].z, 0.0);
    EXPECT_EQ(doc.m_tailCheckStats[0].magnitude, 0.0);
    EXPECT_TRUE(std::isfinite(doc.m_plotBounds.tailPlotMax));
}

TEST(TailChecks, PairsEveryZeroFieldStepWithEveryTailCheckOfItsTemperature)
{
    CKorvanesToolDoc doc;
    doc.m_zeroFieldSteps = {Item(200, 9, 0, 1, kZeroField), Item(300, 8, 0, 1, kZeroField),
                            Item(300, 7, 0, 1, kZeroField)};
    doc.m_tailChecks = {Item(300, 6, 0, 1, kTailCheck), Item(400, 5, 0, 1, kTailCheck)};
    doc.m_plotBounds.maxNrm = 10.0;
    doc.m_plotBounds.maxPtrm = 10.0;
    BuildTailCheckStats(doc);
    ASSERT_EQ(doc.m_tailCheckStats.size(), 2u);
    EXPECT_NEAR(doc.m_tailCheckStats[0].magnitude, (std::sqrt(65.0) - std::sqrt(37.0)) * 10.0, 1e-9);
    EXPECT_NEAR(doc.m_tailCheckStats[1].magnitude, (std::sqrt(50.0) - std::sqrt(37.0)) * 10.0, 1e-9);
}

TEST(TailChecks, NoTailChecksClearsListAndBounds)
{
    CKorvanesToolDoc doc;
    doc.m_zeroFieldSteps = {Item(200, 9, 0, 1, kZeroField)};
    doc.m_tailCheckStats = {Item(1, 1, 1, 1, 0)};
    doc.m_plotBounds.maxTailDTR = 5.0;
    doc.m_plotBounds.maxTailTStar = 5.0;
    doc.m_plotBounds.maxTailDInc = 5.0;
    doc.m_plotBounds.tailPlotMax = 5.0;
    doc.m_plotBounds.tailPlotMaxIncTStar = 5.0;
    BuildTailCheckStats(doc);
    EXPECT_TRUE(doc.m_tailCheckStats.empty());
    EXPECT_EQ(doc.m_plotBounds.maxTailDTR, 0.0);
    EXPECT_EQ(doc.m_plotBounds.maxTailTStar, 0.0);
    EXPECT_EQ(doc.m_plotBounds.maxTailDInc, 0.0);
    EXPECT_EQ(doc.m_plotBounds.tailPlotMax, 0.0);
    EXPECT_EQ(doc.m_plotBounds.tailPlotMaxIncTStar, 0.0);
}

TEST(TailChecks, RescaleToNrmT)
{
    CKorvanesToolDoc doc = OnePair(FromDirection(300, 20.0, -85.0, 6.0, kZeroField),
                                   FromDirection(300, 20.0, -80.0, 5.0, kTailCheck),
                                   Item(300, 0.0, 0.0, 2.0, kInField));
    BuildTailCheckStats(doc);
    const CStepVector before = doc.m_tailCheckStats[0];
    const CPlotBounds boundsBefore = doc.m_plotBounds;

    doc.m_result.nrmT = 0.0;  // no fit: nothing changes
    RescaleTailStatsToNrmT(doc);
    EXPECT_EQ(doc.m_tailCheckStats[0].z, before.z);
    EXPECT_EQ(doc.m_plotBounds.tailPlotMax, boundsBefore.tailPlotMax);
    doc.m_result.nrmT = -3.0;
    RescaleTailStatsToNrmT(doc);
    EXPECT_EQ(doc.m_tailCheckStats[0].magnitude, before.magnitude);

    doc.m_result.nrmT = 5.0;  // maxNrm 10: factor 2
    RescaleTailStatsToNrmT(doc);
    const CStepVector& s = doc.m_tailCheckStats[0];
    EXPECT_EQ(s.x, before.x);
    EXPECT_EQ(s.y, before.y);
    EXPECT_DOUBLE_EQ(s.z, 2.0 * before.z);
    EXPECT_DOUBLE_EQ(s.magnitude, 2.0 * before.magnitude);
    EXPECT_EQ(s.temperature, 300);
    const CPlotBounds& b = doc.m_plotBounds;
    EXPECT_DOUBLE_EQ(b.maxTailDInc, 2.0 * boundsBefore.maxTailDInc);
    EXPECT_DOUBLE_EQ(b.maxTailTStar, 2.0 * boundsBefore.maxTailTStar);
    EXPECT_DOUBLE_EQ(b.maxTailDTR, 2.0 * boundsBefore.maxTailDTR);
    EXPECT_DOUBLE_EQ(b.tailPlotMaxIncTStar, 2.0 * boundsBefore.tailPlotMaxIncTStar);
    EXPECT_DOUBLE_EQ(b.tailPlotMax, 2.0 * boundsBefore.tailPlotMax);
}

TEST(TailChecks, TailStatisticsDoNotDependOnTheDisplayedCoordinates)
{
    // The field was applied along the specimen's z axis: theta, t*, d(TR)
    // and d(t*) are those of specimen coordinates in every system, while the
    // directions follow the system shown (tuff-mt3 has tail checks and
    // orientation angles that are not 0).
    CKorvanesToolDoc core;
    ASSERT_TRUE(core.Open(std::string(KORVANES_SOURCE_DIR) + "/examples/tuff-mt3.kvd").readable);
    RunAnalysis(core);
    ASSERT_FALSE(core.m_tailCheckStats.empty());
    ASSERT_GT(core.m_result.dTStar, 0.0);
    for (const int system : {kGeographic, kBedding}) {
        CKorvanesToolDoc doc;
        doc.Open(std::string(KORVANES_SOURCE_DIR) + "/examples/tuff-mt3.kvd");
        doc.m_options.m_coordinates = system;
        RunAnalysis(doc);
        SCOPED_TRACE(system);
        EXPECT_GT(AngleBetweenDirections(doc.m_result.decAnchored, doc.m_result.incAnchored,
                                         core.m_result.decAnchored, core.m_result.incAnchored),
                  10.0);
        ASSERT_EQ(doc.m_tailCheckStats.size(), core.m_tailCheckStats.size());
        for (std::size_t i = 0; i < doc.m_tailCheckStats.size(); ++i) {
            EXPECT_NEAR(doc.m_tailCheckStats[i].x, core.m_tailCheckStats[i].x, 1e-9);
            EXPECT_NEAR(doc.m_tailCheckStats[i].z, core.m_tailCheckStats[i].z, 1e-9);
            EXPECT_NEAR(doc.m_tailCheckStats[i].magnitude, core.m_tailCheckStats[i].magnitude, 1e-9);
        }
        EXPECT_NEAR(doc.m_plotBounds.maxTailTStar, core.m_plotBounds.maxTailTStar, 1e-9);
        EXPECT_NEAR(doc.m_result.dTStar, core.m_result.dTStar, 1e-9);
        EXPECT_EQ(StringPrintf("%.1f", doc.m_result.dTStar), StringPrintf("%.1f", core.m_result.dTStar));
        EXPECT_EQ(doc.m_result.resultClass, core.m_result.resultClass);
    }
}

}  // namespace
}  // namespace korvanes
