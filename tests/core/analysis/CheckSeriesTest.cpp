#include "analysis/CheckSeries.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

namespace korvanes {
namespace {

CStepVector Item(double x, double y, double z, double magnitude, int type, int temperature,
                 int stepTemperature)
{
    CStepVector v;
    v.x = x;
    v.y = y;
    v.z = z;
    v.magnitude = magnitude;
    v.stepType = type;
    v.temperature = temperature;
    v.stepTemperature = stepTemperature;
    return v;
}

CStepVector Ptrm(int t, double x, double y, double z)
{
    return Item(x, y, z, std::sqrt(x * x + y * y + z * z), kInField, t, t);
}

// A check of own temperature `own` that refers to the step of `ref`.
CStepVector Check(int ref, int own, double x, double y, double z)
{
    return Item(x, y, z, std::sqrt(x * x + y * y + z * z), kPtrmCheck, ref, own);
}

// pTRM gained along +z: 0, 2, 5, 8 at 20, 100, 200, 300.
CKorvanesToolDoc VerticalSeries()
{
    CKorvanesToolDoc doc;
    doc.m_ptrmGained = {Ptrm(20, 0, 0, 0), Ptrm(100, 0, 0, 2), Ptrm(200, 0, 0, 5), Ptrm(300, 0, 0, 8)};
    return doc;
}

TEST(PtrmCheckSeries, WithoutChecksTheCorrectedListRepeatsThePtrm)
{
    CKorvanesToolDoc doc = VerticalSeries();
    doc.m_plotBounds.maxCheckDifference = 7.0;
    BuildPtrmCheckSeries(doc);
    EXPECT_TRUE(doc.m_ptrmCheckDiffs.empty());
    EXPECT_TRUE(doc.m_correctedChecks.empty());
    EXPECT_EQ(doc.m_plotBounds.maxCheckDifference, 0.0);
    ASSERT_EQ(doc.m_correctedPtrm.size(), doc.m_ptrmGained.size());
    for (std::size_t i = 0; i < doc.m_ptrmGained.size(); ++i) {
        EXPECT_EQ(doc.m_correctedPtrm[i].z, doc.m_ptrmGained[i].z);
        EXPECT_EQ(doc.m_correctedPtrm[i].magnitude, doc.m_ptrmGained[i].magnitude);
        EXPECT_EQ(doc.m_correctedPtrm[i].stepType, kInField);
        EXPECT_EQ(doc.m_correctedPtrm[i].temperature, doc.m_ptrmGained[i].temperature);
    }
}

TEST(PtrmCheckSeries, CheckCorrectsTheFollowingItemsOnly)
{
    // The check at 100 (measured after 200) reads 2.5 instead of 2.
    CKorvanesToolDoc doc = VerticalSeries();
    doc.m_ptrmChecks = {Check(200, 100, 0, 0, 2.5)};
    BuildPtrmCheckSeries(doc);
    ASSERT_EQ(doc.m_ptrmCheckDiffs.size(), 1u);
    const CStepVector& d = doc.m_ptrmCheckDiffs[0];
    EXPECT_DOUBLE_EQ(d.z, 0.5);
    EXPECT_DOUBLE_EQ(d.magnitude, 0.5);
    EXPECT_EQ(d.stepType, 1);
    EXPECT_EQ(d.temperature, 200);
    EXPECT_EQ(d.stepTemperature, 100);
    EXPECT_DOUBLE_EQ(doc.m_plotBounds.maxCheckDifference, 0.5);

    ASSERT_EQ(doc.m_correctedPtrm.size(), 4u);
    EXPECT_DOUBLE_EQ(doc.m_correctedPtrm[1].magnitude, 2.0);  // not its own check
    EXPECT_DOUBLE_EQ(doc.m_correctedPtrm[2].magnitude, 4.5);
    EXPECT_DOUBLE_EQ(doc.m_correctedPtrm[3].magnitude, 7.5);
    EXPECT_DOUBLE_EQ(doc.m_correctedPtrm[2].z, 5.0);  // the vector stays uncorrected
}

TEST(PtrmCheckSeries, ReversedCheckEntersWithReversedSign)
{
    // A check pointing away from its pTRM (angle 180): t = -1,
    // d = 1 - 2 = -1, vector -((0,0,-1) - (0,0,2)) = (0,0,3).
    CKorvanesToolDoc doc = VerticalSeries();
    doc.m_ptrmChecks = {Check(200, 100, 0, 0, -1)};
    BuildPtrmCheckSeries(doc);
    ASSERT_EQ(doc.m_ptrmCheckDiffs.size(), 1u);
    EXPECT_EQ(doc.m_ptrmCheckDiffs[0].stepType, -1);
    EXPECT_DOUBLE_EQ(doc.m_ptrmCheckDiffs[0].z, 3.0);
    EXPECT_DOUBLE_EQ(doc.m_ptrmCheckDiffs[0].magnitude, -1.0);
    EXPECT_DOUBLE_EQ(doc.m_plotBounds.maxCheckDifference, 1.0);
    EXPECT_DOUBLE_EQ(doc.m_correctedPtrm[2].magnitude, 2.0);  // |5 - 3|
}

TEST(PtrmCheckSeries, ACheckAtRightAnglesCountsAsReversed)
{
    // The sense is "less than 90 degrees apart": a check at right angles
    // to its pTRM takes t = -1, one just inside 90 degrees t = +1 (where the
    // cosine of the two directions is within rounding of 0, their angle
    // decides).
    for (const auto& [y, sense] : {std::pair{0.0, -1}, std::pair{1e-12, 1}, std::pair{-1e-12, -1}}) {
        CKorvanesToolDoc doc = VerticalSeries();
        doc.m_ptrmGained[1] = Ptrm(100, 0, 1, 2);
        doc.m_ptrmChecks = {Check(200, 100, 0, 2 + y, -1)};  // (0, 1, 2) . (0, 2, -1) = 0
        BuildPtrmCheckSeries(doc);
        ASSERT_EQ(doc.m_ptrmCheckDiffs.size(), 1u);
        EXPECT_EQ(doc.m_ptrmCheckDiffs[0].stepType, sense) << y;
    }
}

TEST(PtrmCheckSeries, PtrmOppositeToTheReferenceTakesTheSumWithOtherSign)
{
    CKorvanesToolDoc doc = VerticalSeries();
    doc.m_ptrmGained[2] = Ptrm(200, 0, 0, -5);  // points away from the reference (I = +90)
    doc.m_ptrmChecks = {Check(200, 100, 0, 0, 2.5)};
    BuildPtrmCheckSeries(doc);
    EXPECT_DOUBLE_EQ(doc.m_correctedPtrm[2].magnitude, 4.5);  // |-5 + 0.5|
    // 300 points along +z again, so its sign is +1 again.
    EXPECT_DOUBLE_EQ(doc.m_correctedPtrm[3].magnitude, 7.5);
}

TEST(PtrmCheckSeries, SecondCheckOfATemperatureIsCorrectedNotSummed)
{
    CKorvanesToolDoc doc = VerticalSeries();
    doc.m_ptrmChecks = {Check(200, 100, 0, 0, 2.5), Check(300, 100, 0, 0, 3.0), Check(300, 200, 0, 0, 5.2)};
    BuildPtrmCheckSeries(doc);
    ASSERT_EQ(doc.m_ptrmCheckDiffs.size(), 2u);
    EXPECT_EQ(doc.m_ptrmCheckDiffs[1].stepTemperature, 200);
    ASSERT_EQ(doc.m_correctedChecks.size(), 1u);
    const CStepVector& c = doc.m_correctedChecks[0];
    EXPECT_DOUBLE_EQ(c.z, 2.5);  // 3.0 - S with S including the first check of 100
    EXPECT_DOUBLE_EQ(c.magnitude, 2.5);
    EXPECT_EQ(c.stepType, kPtrmCheck);
    EXPECT_EQ(c.temperature, 300);
    EXPECT_EQ(c.stepTemperature, 100);
    // 300 is corrected by both first checks: 8 - 0.5 - 0.2.
    EXPECT_NEAR(doc.m_correctedPtrm[3].magnitude, 7.3, 1e-12);
}

TEST(PtrmCheckSeries, OnlyZMagnitudes)
{
    for (int onlyZ : {0, 1}) {
        CKorvanesToolDoc doc;
        doc.m_options.m_onlyZComponent = onlyZ;
        auto ptrm = [onlyZ](int t, double x, double y, double z) {
            CStepVector p = Ptrm(t, x, y, z);
            if (onlyZ) {
                p.magnitude = std::fabs(z);  // as the pairing stores it
            }
            return p;
        };
        doc.m_ptrmGained = {ptrm(20, 0, 0, 0), ptrm(100, 3, 4, 2), ptrm(200, 3, 4, 5)};
        CStepVector check = Check(200, 100, 4, 4, 2.5);
        if (onlyZ) {
            check.magnitude = 2.5;
        }
        doc.m_ptrmChecks = {check, Check(200, 100, 5, 4, 3)};
        BuildPtrmCheckSeries(doc);
        // S = (1, 0, 0.5): corrected 200 = (2, 4, 4.5); second check (4, 4, 2.5).
        if (onlyZ) {
            EXPECT_DOUBLE_EQ(doc.m_ptrmCheckDiffs[0].magnitude, 0.5);
            EXPECT_DOUBLE_EQ(doc.m_correctedPtrm[2].magnitude, 4.5);
            EXPECT_DOUBLE_EQ(doc.m_correctedChecks[0].magnitude, 2.5);
        } else {
            EXPECT_DOUBLE_EQ(doc.m_ptrmCheckDiffs[0].magnitude, std::sqrt(38.25) - std::sqrt(29.0));
            EXPECT_DOUBLE_EQ(doc.m_correctedPtrm[2].magnitude, std::sqrt(40.25));
            EXPECT_DOUBLE_EQ(doc.m_correctedChecks[0].magnitude, std::sqrt(38.25));
        }
    }
}

TEST(CheckCorrection, ReplacesPtrmAndChecks)
{
    CKorvanesToolDoc doc = VerticalSeries();
    doc.m_ptrmChecks = {Check(200, 100, 0, 0, 2.5), Check(300, 100, 0, 0, 3.0)};
    BuildPtrmCheckSeries(doc);
    ApplyCheckCorrection(doc);
    ASSERT_EQ(doc.m_ptrmGained.size(), 4u);
    EXPECT_DOUBLE_EQ(doc.m_ptrmGained[2].magnitude, 4.5);
    EXPECT_DOUBLE_EQ(doc.m_ptrmGained[2].z, 5.0);
    ASSERT_EQ(doc.m_ptrmChecks.size(), 1u);  // the first check became part of the correction
    EXPECT_DOUBLE_EQ(doc.m_ptrmChecks[0].magnitude, 2.5);
    EXPECT_EQ(doc.m_ptrmChecks[0].temperature, 300);
    EXPECT_EQ(doc.m_ptrmChecks[0].stepTemperature, 100);

    ApplyCheckCorrection(doc);  // a second application changes nothing
    EXPECT_DOUBLE_EQ(doc.m_ptrmGained[2].magnitude, 4.5);
    EXPECT_EQ(doc.m_ptrmChecks.size(), 1u);
}

CStepVector Additivity(int ref, int own, double x, double y, double z)
{
    return Item(x, y, z, std::sqrt(x * x + y * y + z * z), kAdditivityCheck, ref, own);
}

TEST(AdditivitySeries, WithoutCorrection)
{
    CKorvanesToolDoc doc = VerticalSeries();
    doc.m_additivityChecks = {Additivity(300, 200, 0, 0, 5.4), Additivity(300, 100, 0, 0, 1.2)};
    BuildAdditivitySeries(doc);
    ASSERT_EQ(doc.m_additivityResults.size(), 2u);
    const CStepVector& a = doc.m_additivityResults[0];
    EXPECT_DOUBLE_EQ(a.x, 8.0);
    EXPECT_DOUBLE_EQ(a.y, 5.0);
    EXPECT_DOUBLE_EQ(a.z, 5.4);
    EXPECT_NEAR(a.magnitude, 0.4, 1e-12);
    EXPECT_EQ(a.stepType, kAdditivityCheck);
    EXPECT_EQ(a.temperature, 300);
    EXPECT_EQ(a.stepTemperature, 200);
    EXPECT_NEAR(doc.m_additivityResults[1].magnitude, -0.8, 1e-12);
    EXPECT_NEAR(doc.m_plotBounds.maxAdditivityDifference, 0.8, 1e-12);
}

TEST(AdditivitySeries, WithCorrectionUsesTheSumUpToTheReferenceTemperature)
{
    CKorvanesToolDoc doc;
    doc.m_options.m_checkCorrected = 1;
    doc.m_ptrmGained = {Ptrm(20, 0, 0, 0), Ptrm(100, 0, 0, 2), Ptrm(200, 0, 0, 5),
                        Ptrm(300, 0, 0, 8), Ptrm(400, 0, 0, 9)};
    doc.m_ptrmCheckDiffs = {Item(0, 0, 0.5, 0.5, 1, 200, 100), Item(0, 0, 0.3, 0.3, 1, 300, 200),
                            Item(0, 0, 0.2, 0.2, 1, 400, 300)};
    doc.m_additivityChecks = {
        Additivity(300, 200, 0, 0, 6),  // reference equals an item's: sum after it, 0.8
        Additivity(250, 200, 0, 0, 6),  // first item above: sum before it, 0.5
        Additivity(100, 20, 0, 0, 6),   // below every item: no correction
        Additivity(500, 200, 0, 0, 6),  // above every item: the whole sum, 1.0
    };
    BuildAdditivitySeries(doc);
    ASSERT_EQ(doc.m_additivityResults.size(), 4u);
    EXPECT_NEAR(doc.m_additivityResults[0].z, 5.2, 1e-12);
    EXPECT_NEAR(doc.m_additivityResults[0].magnitude, 0.2, 1e-12);
    EXPECT_NEAR(doc.m_additivityResults[1].z, 5.5, 1e-12);
    EXPECT_NEAR(doc.m_additivityResults[2].z, 6.0, 1e-12);
    EXPECT_NEAR(doc.m_additivityResults[2].magnitude, 6.0, 1e-12);  // pTRM at 20 is 0
    EXPECT_NEAR(doc.m_additivityResults[3].z, 5.0, 1e-12);
    EXPECT_NEAR(doc.m_additivityResults[3].x, 0.0, 1e-12);  // no pTRM item at 500
    EXPECT_NEAR(doc.m_plotBounds.maxAdditivityDifference, 6.0, 1e-12);

    // The same checks without the correction flag keep their magnitudes.
    doc.m_options.m_checkCorrected = 0;
    BuildAdditivitySeries(doc);
    EXPECT_NEAR(doc.m_additivityResults[0].z, 6.0, 1e-12);
}

TEST(AdditivitySeries, MissingPtrmItemsGiveZeroNotGarbage)
{
    CKorvanesToolDoc doc = VerticalSeries();
    doc.m_additivityChecks = {Additivity(350, 250, 0, 0, 4.0)};
    BuildAdditivitySeries(doc);
    ASSERT_EQ(doc.m_additivityResults.size(), 1u);
    const CStepVector& a = doc.m_additivityResults[0];
    EXPECT_EQ(a.x, 0.0);
    EXPECT_EQ(a.y, 0.0);
    EXPECT_EQ(a.z, 4.0);          // still drawn at its own magnitude
    EXPECT_EQ(a.magnitude, 0.0);  // but gives no difference
    EXPECT_EQ(doc.m_plotBounds.maxAdditivityDifference, 0.0);
}

TEST(AdditivitySeries, WithoutChecksTheMaximumIsNotWritten)
{
    CKorvanesToolDoc doc = VerticalSeries();
    doc.m_additivityResults = {Item(1, 1, 1, 1, 4, 1, 1)};
    doc.m_plotBounds.maxAdditivityDifference = 3.5;
    BuildAdditivitySeries(doc);
    EXPECT_TRUE(doc.m_additivityResults.empty());
    EXPECT_EQ(doc.m_plotBounds.maxAdditivityDifference, 3.5);
}

}  // namespace
}  // namespace korvanes
