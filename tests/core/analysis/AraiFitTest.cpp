#include "analysis/AraiFit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "AllocationCounter.h"
#include "analysis/AnalysisRun.h"
#include "analysis/DirectionalFit.h"
#include "analysis/RangeSearch.h"
#include "document/Coordinates.h"
#include "support/SyntheticSpecimen.h"


namespace korvanes {
namespace {

// NRM remaining along D = 10, I = 50 with magnitude y; pTRM gained along z
// with magnitude x. Plot bounds as the pairing computes them.
CKorvanesToolDoc AraiDoc(const std::vector<int>& temperatures, const std::vector<double>& xs,
                         const std::vector<double>& ys)
{
    CKorvanesToolDoc doc;
    doc.m_header.m_labField = 35.0f;
    doc.m_plotBounds.minTemperature = 1000000;
    doc.m_plotBounds.maxTemperature = -1000000;
    doc.m_plotBounds.maxNrm = 0.0;
    doc.m_plotBounds.maxPtrm = 0.0;
    for (std::size_t k = 0; k < temperatures.size(); ++k) {
        const int t = temperatures[k];
        const Vector3 v = VectorFromDirection(10.0, 50.0, ys[k]);
        CStepVector n;
        n.x = v.x;
        n.y = v.y;
        n.z = v.z;
        n.magnitude = ys[k];
        n.temperature = t;
        n.stepTemperature = t;
        doc.m_zeroFieldSteps.push_back(n);
        CStepVector p;
        p.z = xs[k];
        p.magnitude = xs[k];
        p.stepType = kInField;
        p.temperature = t;
        p.stepTemperature = t;
        doc.m_ptrmGained.push_back(p);
        doc.m_plotBounds.minTemperature = std::min(doc.m_plotBounds.minTemperature, t);
        doc.m_plotBounds.maxTemperature = std::max(doc.m_plotBounds.maxTemperature, t);
        doc.m_plotBounds.maxNrm = std::max(doc.m_plotBounds.maxNrm, ys[k]);
        doc.m_plotBounds.maxPtrm = std::max(doc.m_plotBounds.maxPtrm, xs[k]);
    }
    return doc;
}

void Evaluate(CKorvanesToolDoc& doc, int tMin, int tMax)
{
    EvaluateRange(doc, tMin, tMax, doc.m_zeroFieldSteps, doc.m_ptrmGained);
}

void ExpectAllFinite(const CSpecimenResult& r)
{
    const double values[] = {r.madAnchored, r.decAnchored, r.incAnchored, r.madFree, r.decFree,
                             r.incFree,     r.trm,         r.nrmT,        r.stdDev,  r.slope,
                             r.slopeRelStd, r.ckError,     r.ckDiff,      r.w,       r.q,
                             r.g,           r.f,           r.paleointensity, r.dTR,  r.dAC,
                             r.fitXFrom,    r.fitXTo,      r.meanPtrm,    r.meanNrm, r.fitLength,
                             r.drat,        r.alpha,       r.dTStar};
    for (double v : values) {
        EXPECT_TRUE(std::isfinite(v));
    }
}

const std::vector<int> kSixSteps = {20, 100, 150, 200, 250, 300};

TEST(AraiFit, PointsOnAnExactLine)
{
    // y = 10 - x at x = 0, 2, ..., 10: slope -1, intercepts 10 and 10,
    // projected points equal the points, f = 1, g = 1 - 1/(6 - 1) = 0.8.
    CKorvanesToolDoc doc = AraiDoc(kSixSteps, {0, 2, 4, 6, 8, 10}, {10, 8, 6, 4, 2, 0});
    Evaluate(doc, 20, 300);
    const CSpecimenResult& r = doc.m_result;
    EXPECT_EQ(r.n, 6);
    EXPECT_EQ(r.tMin, 20);
    EXPECT_EQ(r.tMax, 300);
    EXPECT_DOUBLE_EQ(r.slope, -1.0);
    EXPECT_DOUBLE_EQ(r.nrmT, 10.0);
    EXPECT_DOUBLE_EQ(r.trm, 10.0);
    EXPECT_DOUBLE_EQ(r.meanPtrm, 5.0);
    EXPECT_DOUBLE_EQ(r.meanNrm, 5.0);
    EXPECT_DOUBLE_EQ(r.f, 1.0);
    EXPECT_DOUBLE_EQ(r.g, 0.8);
    EXPECT_EQ(r.slopeRelStd, 0.0);
    EXPECT_EQ(r.stdDev, 0.0);
    // No scatter at all: q and w read the stand-in instead of infinity.
    EXPECT_EQ(r.q, kQualityWithoutScatter);
    EXPECT_EQ(r.w, kQualityWithoutScatter);
    EXPECT_DOUBLE_EQ(r.paleointensity, 35.0);
    EXPECT_DOUBLE_EQ(r.fitXFrom, 0.0);
    EXPECT_DOUBLE_EQ(r.fitXTo, 10.0);
    EXPECT_DOUBLE_EQ(r.fitLength, std::sqrt(200.0));
    // The NRM vectors lie on a line through the origin.
    EXPECT_NEAR(r.decAnchored, 10.0, 1e-9);
    EXPECT_NEAR(r.incAnchored, 50.0, 1e-9);
    EXPECT_NEAR(r.madAnchored, 0.0, 1e-6);
    EXPECT_NEAR(r.decFree, 10.0, 1e-9);
    EXPECT_NEAR(r.alpha, 0.0, 1e-6);
    ExpectAllFinite(r);

    // Equally spaced again over a sub-range: g = 1 - 1/(4 - 1).
    Evaluate(doc, 100, 250);
    EXPECT_EQ(doc.m_result.n, 4);
    EXPECT_NEAR(doc.m_result.g, 1.0 - 1.0 / 3.0, 1e-12);
    EXPECT_NEAR(doc.m_result.f, 0.6, 1e-12);
}

TEST(AraiFit, HandComputedThreePoints)
{
    // (0, 3), (1, 1), (2, 0): Sxx = 2, Syy = 14/3, Sxy = -3, b = -sqrt(7/3),
    // a = 4/3 + sqrt(7/3), sigma_b = sqrt((28/3 - 6 sqrt(7/3)) / 2).
    // Projected: (3 + a)/2 > a -> a; (1 + b + a)/2 = 7/6; (2b + a)/2 < 0 -> 0.
    CKorvanesToolDoc doc = AraiDoc({100, 200, 300}, {0, 1, 2}, {3, 1, 0});
    doc.m_header.m_labField = 40.0f;
    Evaluate(doc, 100, 300);
    const CSpecimenResult& r = doc.m_result;
    const double b = -std::sqrt(7.0 / 3.0);
    const double a = 4.0 / 3.0 - b;
    const double sigma = std::sqrt((28.0 / 3.0 - 6.0 * std::sqrt(7.0 / 3.0)) / 2.0);
    const double g = 1.0 - ((a - 7.0 / 6.0) * (a - 7.0 / 6.0) + 49.0 / 36.0) / (a * a);
    EXPECT_NEAR(r.slope, b, 1e-12);
    EXPECT_NEAR(r.nrmT, a, 1e-12);
    EXPECT_NEAR(r.trm, 1.8728715609, 1e-9);
    EXPECT_NEAR(r.slopeRelStd, sigma / -b, 1e-12);
    EXPECT_NEAR(r.slopeRelStd, 0.1898393739, 1e-9);
    EXPECT_NEAR(r.f, 1.0, 1e-12);
    EXPECT_NEAR(r.g, g, 1e-12);
    EXPECT_NEAR(r.g, 0.4829994214, 1e-9);
    EXPECT_NEAR(r.q, 2.5442531310, 1e-9);
    EXPECT_NEAR(r.w, r.q, 1e-12);  // sqrt(N - 2) = 1
    EXPECT_NEAR(r.paleointensity, 40.0 * std::sqrt(7.0 / 3.0), 1e-5);
    EXPECT_NEAR(r.stdDev, r.paleointensity * r.slopeRelStd, 1e-12);
    EXPECT_NEAR(r.fitXFrom, 0.0, 1e-12);
    EXPECT_NEAR(r.fitXTo, r.trm, 1e-12);
    EXPECT_NEAR(r.fitLength, 3.4193800041, 1e-9);
}

TEST(AraiFit, TwoPointsHaveNoScatterEstimate)
{
    CKorvanesToolDoc doc = AraiDoc({100, 200}, {0, 10}, {10, 0});
    Evaluate(doc, 100, 200);
    const CSpecimenResult& r = doc.m_result;
    EXPECT_EQ(r.n, 2);
    EXPECT_DOUBLE_EQ(r.slope, -1.0);
    EXPECT_EQ(r.g, 0.0);
    EXPECT_DOUBLE_EQ(r.f, 1.0);
    EXPECT_EQ(r.slopeRelStd, 0.0);
    EXPECT_EQ(r.q, 0.0);
    EXPECT_EQ(r.w, 0.0);
    EXPECT_EQ(r.stdDev, 0.0);
    EXPECT_DOUBLE_EQ(r.paleointensity, 35.0);
    ExpectAllFinite(r);
}

TEST(AraiFit, RangeSnapsUpToMeasuredStepsAndIsClamped)
{
    const std::vector<int> steps = {100, 150, 200, 250, 300, 350};
    CKorvanesToolDoc doc = AraiDoc(steps, {0, 1, 2.5, 3, 4.2, 5}, {10, 8.5, 6, 5, 3.1, 2});
    Evaluate(doc, 105, 295);
    EXPECT_EQ(doc.m_result.tMin, 150);
    EXPECT_EQ(doc.m_result.tMax, 300);
    EXPECT_EQ(doc.m_result.n, 4);

    Evaluate(doc, -50, 2000);
    EXPECT_EQ(doc.m_result.tMin, 100);
    EXPECT_EQ(doc.m_result.tMax, 350);
    EXPECT_EQ(doc.m_result.n, 6);

    Evaluate(doc, 200, 200);
    EXPECT_EQ(doc.m_result.n, 1);
    ExpectAllFinite(doc.m_result);
    EXPECT_EQ(doc.m_result.paleointensity, 0.0);
}

TEST(AraiFit, ScalingTheAxesKeepsTheQualityFactors)
{
    const std::vector<int> steps = {20, 100, 200, 300, 400, 450, 500, 550};
    const std::vector<double> xs = {0, 0.8, 2.1, 2.9, 4.2, 5.1, 5.8, 7.2};
    const std::vector<double> ys = {10, 9.1, 7.6, 6.9, 5.0, 4.2, 2.7, 1.9};
    CKorvanesToolDoc base = AraiDoc(steps, xs, ys);
    Evaluate(base, 100, 550);
    const CSpecimenResult& r0 = base.m_result;
    ASSERT_GT(r0.q, 1.0);

    // The last pair puts the projected points far above 1e8.
    for (const auto& [kx, ky] :
         {std::pair{3.0, 3.0}, std::pair{2.5, 4.0}, std::pair{0.01, 100.0}, std::pair{1.0, 1.0e8}}) {
        std::vector<double> sx;
        std::vector<double> sy;
        for (std::size_t k = 0; k < xs.size(); ++k) {
            sx.push_back(kx * xs[k]);
            sy.push_back(ky * ys[k]);
        }
        CKorvanesToolDoc scaled = AraiDoc(steps, sx, sy);
        Evaluate(scaled, 100, 550);
        const CSpecimenResult& r = scaled.m_result;
        EXPECT_NEAR(r.f, r0.f, 1e-12);
        EXPECT_NEAR(r.g, r0.g, 1e-12);
        EXPECT_NEAR(r.q, r0.q, 1e-9);
        EXPECT_NEAR(r.w, r0.w, 1e-9);
        EXPECT_NEAR(r.slopeRelStd, r0.slopeRelStd, 1e-12);
        EXPECT_NEAR(r.paleointensity / 35.0, std::fabs(r0.slope) * ky / kx, 1e-9);
        EXPECT_NEAR(r.nrmT, ky * r0.nrmT, 1e-9);
        EXPECT_NEAR(r.trm, kx * r0.trm, 1e-9);
    }
}

// The line-fit values of a result (everything but the directional ones).
std::vector<double> LineFitValues(const CSpecimenResult& r)
{
    return {static_cast<double>(r.n), r.slope, r.slopeRelStd, r.trm, r.nrmT, r.f, r.g, r.q, r.w,
            r.paleointensity, r.stdDev, r.fitXFrom, r.fitXTo, r.fitLength, r.meanPtrm, r.meanNrm};
}

TEST(AraiFit, ZeroFieldStepWithoutPtrmIsNoAraiPoint)
{
    // A zero-field step without a pTRM item at its temperature (first, in
    // between or last) is left out of the line fit: the fit equals that of the
    // same data without the step, bit for bit. The range still reaches it.
    const std::vector<int> temperatures = {100, 150, 200, 300, 400};
    const std::vector<double> xs = {1, 1.4, 2.1, 3.2, 4.1};
    const std::vector<double> ys = {9, 8.7, 7.2, 5.1, 3.9};
    for (std::size_t missing = 0; missing < temperatures.size(); ++missing) {
        CKorvanesToolDoc doc = AraiDoc(temperatures, xs, ys);
        doc.m_ptrmGained.erase(doc.m_ptrmGained.begin() + static_cast<long>(missing));
        std::vector<int> t = temperatures;
        std::vector<double> x = xs;
        std::vector<double> y = ys;
        t.erase(t.begin() + static_cast<long>(missing));
        x.erase(x.begin() + static_cast<long>(missing));
        y.erase(y.begin() + static_cast<long>(missing));
        CKorvanesToolDoc without = AraiDoc(t, x, y);
        Evaluate(doc, 100, 400);
        Evaluate(without, 100, 400);
        EXPECT_EQ(doc.m_result.n, 4) << missing;
        EXPECT_EQ(doc.m_result.tMin, 100);
        EXPECT_EQ(doc.m_result.tMax, 400);
        EXPECT_EQ(LineFitValues(doc.m_result), LineFitValues(without.m_result)) << missing;
    }

    // The last pTRM item of a temperature is the one used.
    CKorvanesToolDoc zeroFirst = AraiDoc({100, 200, 300}, {0, 2, 4}, {9, 7, 5});
    Evaluate(zeroFirst, 100, 300);
    CKorvanesToolDoc twice = AraiDoc({100, 200, 300}, {0, 2, 4}, {9, 7, 5});
    CStepVector extra = twice.m_ptrmGained[1];
    twice.m_ptrmGained[1].magnitude = 50.0;
    twice.m_ptrmGained.insert(twice.m_ptrmGained.begin() + 2, extra);
    Evaluate(twice, 100, 300);
    EXPECT_DOUBLE_EQ(twice.m_result.slope, zeroFirst.m_result.slope);

    // Without any pTRM item there is no point at all.
    CKorvanesToolDoc none = AraiDoc({100, 200, 300}, {0, 2, 4}, {9, 7, 5});
    none.m_ptrmGained.clear();
    Evaluate(none, 100, 300);
    EXPECT_EQ(none.m_result.n, 0);
    EXPECT_EQ(none.m_result.paleointensity, 0.0);
}

TEST(AraiFit, QualityAboveAMillionIsKeptAndRanks)
{
    // Almost exact lines: q and w far above a million, as computed. With
    // "maximize q" the longest range has the largest q and wins; a ceiling
    // would make every range tie and the shortest one win.
    std::vector<int> t;
    std::vector<double> xs;
    std::vector<double> ys;
    for (int k = 0; k < 8; ++k) {
        t.push_back(100 + 50 * k);
        xs.push_back(k);
        ys.push_back(10.0 - k + ((k * k) % 3 - 1) * 3e-6);
    }
    CKorvanesToolDoc doc = AraiDoc(t, xs, ys);
    Evaluate(doc, 100, 450);
    const CSpecimenResult& r = doc.m_result;
    EXPECT_GT(r.q, 1.0e6);
    EXPECT_LT(r.q, kQualityWithoutScatter);
    EXPECT_NEAR(r.q, r.f * r.g / r.slopeRelStd, r.q * 1e-12);
    EXPECT_NEAR(r.w, r.q / std::sqrt(6.0), r.q * 1e-12);

    doc.m_criteria.maximizeQ = 1;
    doc.m_criteria.classA = {3, 1.0, 0.0, 0, 90, 90, 180, 100, 100, 100, 100, 100, 100};
    SearchRange(doc, kClassA);
    EXPECT_EQ(doc.m_result.tMin, 100);
    EXPECT_EQ(doc.m_result.tMax, 450);
}

TEST(AraiFit, DegenerateRangesReadZero)
{
    // Flat: Syy = 0.
    CKorvanesToolDoc flat = AraiDoc({100, 200, 300}, {0, 1, 2}, {5, 5, 5});
    Evaluate(flat, 100, 300);
    EXPECT_EQ(flat.m_result.slope, 0.0);
    EXPECT_FALSE(std::signbit(flat.m_result.slope));
    EXPECT_EQ(flat.m_result.trm, 0.0);
    EXPECT_EQ(flat.m_result.paleointensity, 0.0);
    EXPECT_EQ(flat.m_result.f, 0.0);
    EXPECT_EQ(flat.m_result.g, 0.0);
    EXPECT_EQ(flat.m_result.q, 0.0);
    ExpectAllFinite(flat.m_result);

    // Vertical: Sxx = 0 (also every pTRM item missing).
    CKorvanesToolDoc vertical = AraiDoc({100, 200, 300}, {2, 2, 2}, {9, 5, 1});
    Evaluate(vertical, 100, 300);
    EXPECT_EQ(vertical.m_result.slope, 0.0);
    EXPECT_EQ(vertical.m_result.paleointensity, 0.0);
    ExpectAllFinite(vertical.m_result);
    vertical.m_ptrmGained.clear();
    Evaluate(vertical, 100, 300);
    ExpectAllFinite(vertical.m_result);

    // All zero: intercept 0.
    CKorvanesToolDoc zero = AraiDoc({100, 200, 300}, {0, 0, 0}, {0, 0, 0});
    Evaluate(zero, 100, 300);
    EXPECT_EQ(zero.m_result.f, 0.0);
    EXPECT_EQ(zero.m_result.fitLength, 0.0);
    ExpectAllFinite(zero.m_result);

    // Start above the end: no point.
    CKorvanesToolDoc doc = AraiDoc(kSixSteps, {0, 2, 4, 6, 8, 10}, {10, 8, 6, 4, 2, 0});
    Evaluate(doc, 250, 100);
    EXPECT_EQ(doc.m_result.n, 0);
    EXPECT_EQ(doc.m_result.paleointensity, 0.0);
    ExpectAllFinite(doc.m_result);

    // No zero-field step at all: the range is kept, nothing is fitted.
    CKorvanesToolDoc empty;
    Evaluate(empty, 100, 300);
    EXPECT_EQ(empty.m_result.n, 0);
    EXPECT_EQ(empty.m_result.tMin, 100);
    EXPECT_EQ(empty.m_result.tMax, 300);
    ExpectAllFinite(empty.m_result);
}

TEST(AraiFit, AtMostKMaxFitPoints)
{
    std::vector<int> steps;
    std::vector<double> xs;
    std::vector<double> ys;
    for (int k = 0; k < kMaxFitPoints + 1; ++k) {
        steps.push_back(k + 1);
        xs.push_back(k * 0.01);
        ys.push_back(20.0 - k * 0.02 + (k % 2) * 0.001);
    }
    CKorvanesToolDoc doc = AraiDoc(steps, xs, ys);
    Evaluate(doc, 1, kMaxFitPoints);
    EXPECT_EQ(doc.m_result.n, kMaxFitPoints);
    EXPECT_NEAR(doc.m_result.slope, -2.0, 1e-3);
    Evaluate(doc, 1, kMaxFitPoints + 1);
    EXPECT_EQ(doc.m_result.n, 0);
    EXPECT_EQ(doc.m_result.paleointensity, 0.0);
    ExpectAllFinite(doc.m_result);
}

TEST(AraiFit, FreeAndAnchoredFitsAndAlpha)
{
    // The NRM path is offset from the origin: the free fit follows the path,
    // the anchored one does not, and alpha is the angle between them.
    CKorvanesToolDoc doc = AraiDoc(kSixSteps, {0, 2, 4, 6, 8, 10}, {10, 8, 6, 4, 2, 1});
    for (CStepVector& n : doc.m_zeroFieldSteps) {
        n.x += 3.0;
    }
    Evaluate(doc, 20, 300);
    const CSpecimenResult& r = doc.m_result;
    const DirectionFit freeFit = FitDirection(20, 300, doc.m_zeroFieldSteps, FitMode::kFree);
    const DirectionFit anchoredFit = FitDirection(20, 300, doc.m_zeroFieldSteps, FitMode::kAnchored);
    EXPECT_NEAR(r.decFree, 10.0, 1e-9);
    EXPECT_NEAR(r.incFree, 50.0, 1e-9);
    EXPECT_EQ(r.decFree, freeFit.declination);
    EXPECT_EQ(r.madFree, freeFit.mad);
    EXPECT_EQ(r.decAnchored, anchoredFit.declination);
    EXPECT_EQ(r.incAnchored, anchoredFit.inclination);
    EXPECT_EQ(r.madAnchored, anchoredFit.mad);
    EXPECT_GT(r.madAnchored, 1.0);
    EXPECT_GT(r.alpha, 1.0);
    EXPECT_DOUBLE_EQ(r.alpha, AngleBetweenDirections(r.decFree, r.incFree, r.decAnchored, r.incAnchored));
}

// A result with round numbers and check lists around tMax = 300.
CKorvanesToolDoc ChecksDoc()
{
    CKorvanesToolDoc doc;
    doc.m_result.trm = 10.0;
    doc.m_result.fitLength = 20.0;
    doc.m_result.nrmT = 8.0;
    doc.m_result.paleointensity = 40.0;
    doc.m_plotBounds.maxNrm = 10.0;
    doc.m_plotBounds.maxTailTStar = 1.6;
    auto item = [](int t, int own, double m) {
        CStepVector v;
        v.magnitude = m;
        v.temperature = t;
        v.stepTemperature = own;
        return v;
    };
    doc.m_ptrmCheckDiffs = {item(200, 100, 0.5), item(300, 200, -1.0), item(400, 300, 3.0)};
    doc.m_tailCheckStats = {item(200, 200, 2.0), item(300, 300, -4.0), item(350, 350, 10.0)};
    doc.m_additivityResults = {item(300, 250, 0.3), item(350, 300, 5.0)};
    return doc;
}

TEST(AraiFitChecks, RangeBoundsAndValues)
{
    CKorvanesToolDoc doc = ChecksDoc();
    EvaluateRangeChecks(doc, 42.0, 300);
    const CSpecimenResult& r = doc.m_result;
    EXPECT_DOUBLE_EQ(r.ckDiff, 5.0);    // |42 - 40| * 100 / 40
    EXPECT_DOUBLE_EQ(r.ckError, 10.0);  // 100 and 200 only (strictly below 300)
    EXPECT_DOUBLE_EQ(r.drat, 5.0);
    EXPECT_DOUBLE_EQ(r.dTR, 5.0);       // 200 and 300 (up to and including 300): 10 * 4 / 8
    EXPECT_DOUBLE_EQ(r.dTStar, 2.0);    // 10 * 1.6 / 8
    EXPECT_DOUBLE_EQ(r.dAC, 3.0);       // 250 only

    EvaluateRangeChecks(doc, 42.0, 301);
    EXPECT_DOUBLE_EQ(doc.m_result.ckError, 30.0);
    EXPECT_DOUBLE_EQ(doc.m_result.dAC, 50.0);
    EvaluateRangeChecks(doc, 42.0, 299);
    EXPECT_DOUBLE_EQ(doc.m_result.dTR, 2.5);
}

TEST(AraiFitChecks, CheckCorrectedFlagZeroesCheckStatistics)
{
    CKorvanesToolDoc doc = ChecksDoc();
    doc.m_options.m_checkCorrected = 1;
    EvaluateRangeChecks(doc, 42.0, 300);
    EXPECT_EQ(doc.m_result.ckDiff, 0.0);
    EXPECT_EQ(doc.m_result.ckError, 0.0);
    EXPECT_EQ(doc.m_result.drat, 0.0);
    EXPECT_DOUBLE_EQ(doc.m_result.dTR, 5.0);
    EXPECT_DOUBLE_EQ(doc.m_result.dAC, 3.0);
}

TEST(AraiFitChecks, ZeroDenominatorsReadZero)
{
    CKorvanesToolDoc doc = ChecksDoc();
    doc.m_result.trm = 0.0;
    doc.m_result.fitLength = 0.0;
    doc.m_result.nrmT = 0.0;
    doc.m_result.paleointensity = 0.0;
    EvaluateRangeChecks(doc, 42.0, 1000);
    ExpectAllFinite(doc.m_result);
    EXPECT_EQ(doc.m_result.ckDiff, 0.0);
    EXPECT_EQ(doc.m_result.ckError, 0.0);
    EXPECT_EQ(doc.m_result.drat, 0.0);
    EXPECT_EQ(doc.m_result.dTR, 0.0);
    EXPECT_EQ(doc.m_result.dTStar, 0.0);
    EXPECT_EQ(doc.m_result.dAC, 0.0);
}

TEST(AraiFitChecks, WithoutTailChecksDTStarIsLeftAlone)
{
    CKorvanesToolDoc doc = ChecksDoc();
    doc.m_tailCheckStats.clear();
    doc.m_additivityResults.clear();
    doc.m_result.dTR = 9.0;
    doc.m_result.dTStar = 7.0;
    doc.m_result.dAC = 9.0;
    EvaluateRangeChecks(doc, 0.0, 300);
    EXPECT_EQ(doc.m_result.dTR, 0.0);
    EXPECT_EQ(doc.m_result.dTStar, 7.0);
    EXPECT_EQ(doc.m_result.dAC, 0.0);
    EXPECT_DOUBLE_EQ(doc.m_result.ckDiff, 100.0);  // no corrected value passed
}

TEST(AraiFit, LeftOutStepsOfAnAnalysedSpecimen)
{
    // A lost in-field line at 300 °C and an extra zero-field step at 60 °C
    // (outside the range the manual fit uses).
    CKorvanesToolDoc doc;
    doc.m_measurements = synthetic::Generate(synthetic::Experiment{}, synthetic::Temperatures(10, 100, 550), 0, 0,
                                             false);
    std::erase_if(doc.m_measurements, [](const CMeasurement& m) { return m.treatmentCode == 300.11f; });
    doc.m_measurements.insert(doc.m_measurements.begin() + 1,
                              synthetic::Line(60.0, synthetic::Experiment{}.Nrm(60)));
    doc.m_options.m_rangeMode = kSelectedRange;
    doc.m_result.tMin = 100;
    doc.m_result.tMax = 500;
    RunAnalysis(doc);
    const std::vector<LeftOutStep> left = LeftOutAraiSteps(doc);
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[0].temperature, 60);
    EXPECT_FALSE(left[0].inFittedRange);
    EXPECT_EQ(left[1].temperature, 300);
    EXPECT_TRUE(left[1].inFittedRange);
    EXPECT_FALSE(left[1].reason.empty());
    EXPECT_EQ(doc.m_result.n, 8);  // 100..500 holds nine zero-field steps

    doc.m_measurements = synthetic::Generate(synthetic::Experiment{}, synthetic::Temperatures(10, 100, 550), 0, 0,
                                             false);
    RunAnalysis(doc);
    EXPECT_TRUE(LeftOutAraiSteps(doc).empty());
}

TEST(AraiFit, ClearResultKeepsFitLengthAndMethodType)
{
    CKorvanesToolDoc doc = AraiDoc(kSixSteps, {0, 2, 4, 6, 8, 10}, {10, 8, 6, 4, 2.5, 0});
    Evaluate(doc, 20, 300);
    doc.m_result.methodType = "MT4";
    doc.m_result.resultClass = "A*";
    doc.m_result.dTStar = 3.0;
    doc.m_result.ckDiff = 3.0;
    const double fitLength = doc.m_result.fitLength;
    ClearResult(doc.m_result);
    const CSpecimenResult& r = doc.m_result;
    EXPECT_EQ(r.methodType, "MT4");
    EXPECT_EQ(r.fitLength, fitLength);
    EXPECT_TRUE(r.resultClass.empty());
    EXPECT_EQ(r.tMin, 0);
    EXPECT_EQ(r.tMax, 0);
    EXPECT_EQ(r.n, 0);
    const double cleared[] = {r.madAnchored, r.decAnchored, r.incAnchored, r.madFree, r.decFree,
                              r.incFree, r.trm, r.nrmT, r.stdDev, r.slope, r.slopeRelStd, r.ckError,
                              r.ckDiff, r.w, r.q, r.g, r.f, r.paleointensity, r.dTR, r.dAC,
                              r.fitXFrom, r.fitXTo, r.meanPtrm, r.meanNrm, r.drat, r.alpha, r.dTStar};
    for (double v : cleared) {
        EXPECT_EQ(v, 0.0);
    }
}

TEST(AraiFit, EvaluationAllocatesNothing)
{
    const std::vector<int> steps = {20, 100, 150, 200, 250, 300, 350, 400, 450, 500, 525, 550, 575, 600, 650};
    std::vector<double> xs;
    std::vector<double> ys;
    for (std::size_t k = 0; k < steps.size(); ++k) {
        xs.push_back(0.7 * k + 0.05 * (k % 3));
        ys.push_back(12.0 - 0.8 * k + 0.04 * (k % 2));
    }
    const CKorvanesToolDoc checks = ChecksDoc();
    CKorvanesToolDoc data = AraiDoc(steps, xs, ys);
    data.m_ptrmCheckDiffs = checks.m_ptrmCheckDiffs;
    data.m_tailCheckStats = checks.m_tailCheckStats;
    data.m_additivityResults = checks.m_additivityResults;

    testsupport::ResetAllocationCount();
    testsupport::CountAllocations(true);
    EvaluateRange(data, 100, 600, data.m_zeroFieldSteps, data.m_ptrmGained);
    EvaluateRangeChecks(data, 36.0, data.m_result.tMax);
    const DirectionFit fit = FitDirection(100, 600, data.m_zeroFieldSteps, FitMode::kFree);
    testsupport::CountAllocations(false);

    EXPECT_EQ(testsupport::AllocationCount(), 0);
    EXPECT_EQ(data.m_result.n, 13);
    EXPECT_GT(data.m_result.paleointensity, 0.0);
    EXPECT_TRUE(std::isfinite(fit.mad));

    // The counter does count.
    testsupport::CountAllocations(true);
    void* block = ::operator new(16);
    testsupport::CountAllocations(false);
    ::operator delete(block);
    EXPECT_GT(testsupport::AllocationCount(), 0);
}

}  // namespace
}  // namespace korvanes
