// The pieces the range search evaluates with (pairing made once, the
// slope-only d(pal) fit, the line fit and the directional part apart) give
// exactly what a plain EvaluateRange gives, for every range of real data.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "analysis/AnalysisRun.h"
#include "analysis/AraiFit.h"
#include "analysis/DirectionalFit.h"

namespace korvanes {
namespace {

CKorvanesToolDoc AnalysedExample(const char* name)
{
    CKorvanesToolDoc doc;
    doc.Open(std::string(KORVANES_SOURCE_DIR) + "/examples/" + name);
    RunAnalysis(doc);
    return doc;
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Every double of the result record that an evaluation writes.
std::vector<double> Values(const CSpecimenResult& r)
{
    return {static_cast<double>(r.tMin), static_cast<double>(r.tMax), static_cast<double>(r.n),
            r.slope, r.slopeRelStd, r.trm, r.nrmT, r.f, r.g, r.q, r.w, r.paleointensity, r.stdDev,
            r.fitXFrom, r.fitXTo, r.fitLength, r.meanPtrm, r.meanNrm, r.madAnchored, r.decAnchored,
            r.incAnchored, r.madFree, r.decFree, r.incFree, r.alpha};
}

void ExpectSameBits(const CSpecimenResult& a, const CSpecimenResult& b, int tMin, int tMax)
{
    const std::vector<double> va = Values(a);
    const std::vector<double> vb = Values(b);
    for (std::size_t i = 0; i < va.size(); ++i) {
        EXPECT_TRUE(SameBits(va[i], vb[i])) << "value " << i << " of range " << tMin << ".." << tMax;
    }
}

TEST(PairedEvaluation, EveryRangeOfTheExamplesBitForBit)
{
    for (const char* name : {"basalt-mt1.kvd", "tuff-mt3.kvd", "andesite-mt4.kvd"}) {
        CKorvanesToolDoc doc = AnalysedExample(name);
        ASSERT_FALSE(doc.m_zeroFieldSteps.empty()) << name;
        AraiPairing plain;
        AraiPairing corrected;
        PairAraiPoints(doc.m_zeroFieldSteps, doc.m_ptrmGained, plain);
        PairAraiPoints(doc.m_zeroFieldSteps, doc.m_correctedPtrm, corrected);
        ASSERT_TRUE(plain.paired);

        // Ranges between and beyond the measured steps as well, so that the
        // clamping and snapping are part of it.
        for (int tMin = 0; tMin <= 600; tMin += 25) {
            for (int tMax = tMin + 10; tMax <= 620; tMax += 35) {
                CKorvanesToolDoc reference = doc;
                EvaluateRange(reference, tMin, tMax, doc.m_zeroFieldSteps, doc.m_correctedPtrm);
                EXPECT_TRUE(SameBits(PairedRangePaleointensity(doc, tMin, tMax, doc.m_zeroFieldSteps, corrected),
                                     reference.m_result.paleointensity));

                EvaluateRange(reference, tMin, tMax, doc.m_zeroFieldSteps, doc.m_ptrmGained);
                CKorvanesToolDoc paired = doc;
                EvaluatePairedRange(paired, tMin, tMax, doc.m_zeroFieldSteps, plain);
                ExpectSameBits(paired.m_result, reference.m_result, tMin, tMax);

                CKorvanesToolDoc parts = doc;
                EvaluatePairedLineFit(parts, tMin, tMax, doc.m_zeroFieldSteps, plain);
                EvaluateRangeDirections(parts, doc.m_zeroFieldSteps);
                ExpectSameBits(parts.m_result, reference.m_result, tMin, tMax);
            }
        }
    }
}

TEST(PairedEvaluation, LineFitLeavesTheDirectionalValues)
{
    CKorvanesToolDoc doc = AnalysedExample("basalt-mt1.kvd");
    AraiPairing plain;
    PairAraiPoints(doc.m_zeroFieldSteps, doc.m_ptrmGained, plain);
    doc.m_result.madAnchored = -7.0;
    doc.m_result.alpha = -8.0;
    doc.m_result.decFree = -9.0;
    EvaluatePairedLineFit(doc, 100, 450, doc.m_zeroFieldSteps, plain);
    EXPECT_EQ(doc.m_result.madAnchored, -7.0);
    EXPECT_EQ(doc.m_result.alpha, -8.0);
    EXPECT_EQ(doc.m_result.decFree, -9.0);
    EXPECT_GT(doc.m_result.n, 2);
}

TEST(PairedEvaluation, BothFitsAtOnceAsEachAlone)
{
    const CKorvanesToolDoc doc = AnalysedExample("tuff-mt3.kvd");
    for (int tMin : {0, 150, 300}) {
        for (int tMax : {tMin, tMin + 100, 700}) {
            DirectionFit freeFit;
            DirectionFit anchored;
            FitDirections(tMin, tMax, doc.m_zeroFieldSteps, freeFit, anchored);
            const DirectionFit freeAlone = FitDirection(tMin, tMax, doc.m_zeroFieldSteps, FitMode::kFree);
            const DirectionFit anchoredAlone = FitDirection(tMin, tMax, doc.m_zeroFieldSteps, FitMode::kAnchored);
            EXPECT_TRUE(SameBits(freeFit.declination, freeAlone.declination));
            EXPECT_TRUE(SameBits(freeFit.inclination, freeAlone.inclination));
            EXPECT_TRUE(SameBits(freeFit.mad, freeAlone.mad));
            EXPECT_TRUE(SameBits(anchored.declination, anchoredAlone.declination));
            EXPECT_TRUE(SameBits(anchored.inclination, anchoredAlone.inclination));
            EXPECT_TRUE(SameBits(anchored.mad, anchoredAlone.mad));
        }
    }
    DirectionFit freeFit{1.0, 2.0, 3.0};
    DirectionFit anchored{4.0, 5.0, 6.0};
    FitDirections(900, 1000, doc.m_zeroFieldSteps, freeFit, anchored);  // no point in range
    EXPECT_EQ(freeFit.mad, 0.0);
    EXPECT_EQ(anchored.declination, 0.0);
}

TEST(PairedEvaluation, ListLongerThanTheWorkArraysPairsAsItGoes)
{
    // 1,200 zero-field items: too many to pair in advance. A range of a few
    // of them is still evaluated, pairing item by item, as EvaluateRange does;
    // the last temperature has no pTRM item and is left out.
    CKorvanesToolDoc doc;
    doc.m_header.m_labField = 30.0f;
    for (int k = 0; k < 1200; ++k) {
        CStepVector n;
        n.x = 0.2 * (1200 - k);
        n.y = 0.1 * (1200 - k) + 0.01 * (k % 3);
        n.z = 0.3 * (1200 - k);
        n.magnitude = 0.5 * (1200 - k) + 0.02 * (k % 2);
        n.temperature = n.stepTemperature = k;
        doc.m_zeroFieldSteps.push_back(n);
        if (k < 1199) {
            CStepVector p;
            p.magnitude = 0.4 * k + 0.03 * (k % 5);
            p.temperature = p.stepTemperature = k;
            doc.m_ptrmGained.push_back(p);
        }
    }
    doc.m_plotBounds.minTemperature = 0;
    doc.m_plotBounds.maxTemperature = 1199;
    doc.m_plotBounds.maxNrm = doc.m_zeroFieldSteps.front().magnitude;

    AraiPairing pairing;
    PairAraiPoints(doc.m_zeroFieldSteps, doc.m_ptrmGained, pairing);
    EXPECT_FALSE(pairing.paired);

    for (auto [tMin, tMax] : {std::pair{1190, 1199}, std::pair{10, 40}, std::pair{0, 1199}}) {
        CKorvanesToolDoc reference = doc;
        EvaluateRange(reference, tMin, tMax, doc.m_zeroFieldSteps, doc.m_ptrmGained);
        CKorvanesToolDoc paired = doc;
        EvaluatePairedRange(paired, tMin, tMax, doc.m_zeroFieldSteps, pairing);
        ExpectSameBits(paired.m_result, reference.m_result, tMin, tMax);
        EXPECT_TRUE(SameBits(PairedRangePaleointensity(doc, tMin, tMax, doc.m_zeroFieldSteps, pairing),
                             reference.m_result.paleointensity));
    }
    // A range of more points than the work arrays hold is rejected: no fit.
    CKorvanesToolDoc whole = doc;
    EvaluatePairedRange(whole, 0, 1199, doc.m_zeroFieldSteps, pairing);
    EXPECT_EQ(whole.m_result.n, 0);
    EXPECT_EQ(whole.m_result.paleointensity, 0.0);
    // A short range of the same list is fitted.
    CKorvanesToolDoc part = doc;
    EvaluatePairedRange(part, 1190, 1199, doc.m_zeroFieldSteps, pairing);
    EXPECT_EQ(part.m_result.n, 9);
    EXPECT_GT(part.m_result.paleointensity, 0.0);
}

}  // namespace
}  // namespace korvanes
