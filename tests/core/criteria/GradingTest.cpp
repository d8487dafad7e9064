#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <random>

#include "analysis/RangeSearch.h"

namespace korvanes {
namespace {

// Class B looser than class A in every limit, all limits distinct.
CCriteriaSet TestCriteria()
{
    CCriteriaSet c;
    c.classA = {6, 0.1, 0.5, 2, 6, 10, 15, 5, 5, 20, 3, 10, 5};
    c.classB = {4, 0.2, 0.3, 1, 12, 20, 25, 9, 11, 30, 6, 14, 8};
    return c;
}

// Every statistic exactly at its class A limit.
CSpecimenResult AtClassALimits(const ClassThresholds& a)
{
    CSpecimenResult r;
    r.n = a.minN;
    r.slopeRelStd = a.maxSlopeRelStd;
    r.f = a.minF;
    r.q = a.minQ;
    r.madAnchored = a.maxMad;
    r.ckError = a.maxCkError;
    r.ckDiff = a.maxCkDiff;
    r.dAC = a.maxAc;
    r.dTR = a.maxIntensityDiff;
    r.drat = a.maxDrat;
    r.alpha = a.maxAlpha;
    r.dTStar = a.maxTailStar;
    r.paleointensity = 30.0;
    return r;
}

struct Statistic {
    const char* name;
    std::function<void(CSpecimenResult&, const ClassThresholds&, double)> setPastLimit;
};

// Sets one statistic `step` past the given block's limit (below a minimum,
// above a maximum).
const std::vector<Statistic>& Statistics()
{
    static const std::vector<Statistic> stats = {
        {"n", [](CSpecimenResult& r, const ClassThresholds& t, double) { r.n = t.minN - 1; }},
        {"slopeRelStd", [](CSpecimenResult& r, const ClassThresholds& t, double s) { r.slopeRelStd = t.maxSlopeRelStd + s; }},
        {"f", [](CSpecimenResult& r, const ClassThresholds& t, double s) { r.f = t.minF - s; }},
        {"q", [](CSpecimenResult& r, const ClassThresholds& t, double s) { r.q = t.minQ - s; }},
        {"madAnchored", [](CSpecimenResult& r, const ClassThresholds& t, double s) { r.madAnchored = t.maxMad + s; }},
        {"ckError", [](CSpecimenResult& r, const ClassThresholds& t, double s) { r.ckError = t.maxCkError + s; }},
        {"ckDiff", [](CSpecimenResult& r, const ClassThresholds& t, double s) { r.ckDiff = t.maxCkDiff + s; }},
        {"dAC", [](CSpecimenResult& r, const ClassThresholds& t, double s) { r.dAC = t.maxAc + s; }},
        {"dTR", [](CSpecimenResult& r, const ClassThresholds& t, double s) { r.dTR = t.maxIntensityDiff + s; }},
        {"drat", [](CSpecimenResult& r, const ClassThresholds& t, double s) { r.drat = t.maxDrat + s; }},
        {"alpha", [](CSpecimenResult& r, const ClassThresholds& t, double s) { r.alpha = t.maxAlpha + s; }},
        {"dTStar", [](CSpecimenResult& r, const ClassThresholds& t, double s) { r.dTStar = t.maxTailStar + s; }},
    };
    return stats;
}

TEST(Grading, EveryBoundIsInclusive)
{
    const CCriteriaSet c = TestCriteria();
    EXPECT_EQ(GradeResult(AtClassALimits(c.classA), c), kClassA);
    EXPECT_EQ(GradeResult(AtClassALimits(c.classB), c), kClassB);
}

TEST(Grading, EachTestAloneDecidesTheClass)
{
    const CCriteriaSet c = TestCriteria();
    for (const Statistic& stat : Statistics()) {
        // Just past the class A limit: class B still holds.
        CSpecimenResult r = AtClassALimits(c.classA);
        stat.setPastLimit(r, c.classA, 1e-9);
        EXPECT_EQ(GradeResult(r, c), kClassB) << stat.name;
        // Past class B as well: class C.
        r = AtClassALimits(c.classA);
        stat.setPastLimit(r, c.classB, 1e-9);
        EXPECT_EQ(GradeResult(r, c), kClassC) << stat.name;
    }
}

TEST(Grading, NotAnchoredMadIsNotGraded)
{
    const CCriteriaSet c = TestCriteria();
    CSpecimenResult r = AtClassALimits(c.classA);
    r.madFree = 1e6;
    EXPECT_EQ(GradeResult(r, c), kClassA);
}

TEST(Grading, WholeNumberLimitsAreComparedAsNumbers)
{
    CCriteriaSet c = TestCriteria();
    CSpecimenResult r = AtClassALimits(c.classA);
    r.q = 1.9999999;  // minQ of class A is 2: not truncated to pass
    EXPECT_EQ(GradeResult(r, c), kClassB);
    r = AtClassALimits(c.classA);
    r.madAnchored = 6.0000001;
    EXPECT_EQ(GradeResult(r, c), kClassB);
}

TEST(Grading, NotANumberNeverPasses)
{
    const CCriteriaSet c = TestCriteria();
    CSpecimenResult r = AtClassALimits(c.classA);
    r.dTStar = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(GradeResult(r, c), kClassC);
}

// Tightening any one limit of either block never gives a better class.
TEST(Grading, TighteningACriterionNeverRaisesTheGrade)
{
    std::mt19937 random(20241208);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const CCriteriaSet base = TestCriteria();
    for (int trial = 0; trial < 2000; ++trial) {
        // Results scattered around the limits.
        CSpecimenResult r;
        r.n = static_cast<int>(3 + 5 * unit(random));
        r.slopeRelStd = 0.25 * unit(random);
        r.f = 0.7 * unit(random);
        r.q = 3.0 * unit(random);
        r.madAnchored = 15.0 * unit(random);
        r.ckError = 10.0 * unit(random);
        r.ckDiff = 12.0 * unit(random);
        r.dAC = 9.0 * unit(random);
        r.dTR = 16.0 * unit(random);
        r.drat = 32.0 * unit(random);
        r.alpha = 27.0 * unit(random);
        r.dTStar = 7.0 * unit(random);
        const int before = GradeResult(r, base);

        CCriteriaSet tighter = base;
        ClassThresholds& t = unit(random) < 0.5 ? tighter.classA : tighter.classB;
        const int which = static_cast<int>(13 * unit(random));
        const int by = 1 + static_cast<int>(3 * unit(random));
        switch (which) {
        case 0: t.minN += by; break;
        case 1: t.maxSlopeRelStd -= 0.05 * by; break;
        case 2: t.minF += 0.1 * by; break;
        case 3: t.minQ += by; break;
        case 4: t.maxMad -= by; break;
        case 5: t.maxMadFree -= by; break;
        case 6: t.maxAlpha -= by; break;
        case 7: t.maxCkError -= by; break;
        case 8: t.maxCkDiff -= by; break;
        case 9: t.maxDrat -= by; break;
        case 10: t.maxTailStar -= by; break;
        case 11: t.maxIntensityDiff -= by; break;
        default: t.maxAc -= by; break;
        }
        EXPECT_GE(GradeResult(r, tighter), before) << "trial " << trial << " field " << which;
    }
}

}  // namespace
}  // namespace korvanes
