#include "results/CriteriaMarks.h"

#include <gtest/gtest.h>

namespace korvanes {
namespace {

CriteriaMark MarkOf(const std::vector<MarkedStatistic>& marks, const std::string& label)
{
    for (const MarkedStatistic& m : marks) {
        if (m.label == label) {
            return m.mark;
        }
    }
    ADD_FAILURE() << "no statistic " << label;
    return CriteriaMark::kNone;
}

// A result that passes every class A limit of the start-up criteria.
CSpecimenResult GoodResult()
{
    CSpecimenResult r;
    r.paleointensity = 30.0;
    r.n = 8;
    r.slopeRelStd = 0.05;
    r.f = 0.6;
    r.q = 4.0;
    r.madAnchored = 2.0;
    r.madFree = 3.0;
    return r;
}

TEST(CriteriaMarks, ThirteenStatisticsInFormOrder)
{
    const std::vector<MarkedStatistic> marks = CriteriaMarks(GoodResult(), StartupCriteria());
    const char* labels[] = {"N", "Std/slope", "f", "q", "MAD", "MAD'", "Alpha", "d(CK)", "d(pal)", "Drat",
                            "d(AC)", "d(TR)", "d(t*)"};
    const int ids[] = {1021, 1023, 1025, 1027, 1036, 1043, 1074, 1031, 1032, 1075, 1038, 1040, 1077};
    ASSERT_EQ(marks.size(), 13u);
    for (std::size_t i = 0; i < marks.size(); ++i) {
        EXPECT_EQ(marks[i].label, labels[i]);
        EXPECT_EQ(marks[i].controlId, ids[i]);
        EXPECT_EQ(marks[i].mark, CriteriaMark::kNone) << labels[i];
    }
    EXPECT_EQ(marks[0].value, 8.0);
}

TEST(CriteriaMarks, LimitsAreInclusive)
{
    const CCriteriaSet c = StartupCriteria();
    CSpecimenResult r = GoodResult();
    r.n = c.classA.minN;          // equal to the class A minimum: no mark
    r.ckError = c.classB.maxCkError;  // equal to class B maximum, above class A: yellow
    r.ckDiff = c.classB.maxCkDiff + 0.01;  // above class B: red
    r.dTR = c.classA.maxIntensityDiff;  // equal to class A: no mark
    const auto marks = CriteriaMarks(r, c);
    EXPECT_EQ(MarkOf(marks, "N"), CriteriaMark::kNone);
    EXPECT_EQ(MarkOf(marks, "d(CK)"), CriteriaMark::kYellow);
    EXPECT_EQ(MarkOf(marks, "d(pal)"), CriteriaMark::kRed);
    EXPECT_EQ(MarkOf(marks, "d(TR)"), CriteriaMark::kNone);
}

TEST(CriteriaMarks, LowerBoundsMarkValuesBelow)
{
    CCriteriaSet c = StartupCriteria();
    c.classA.minN = 6;
    c.classB.minN = 4;
    CSpecimenResult r = GoodResult();
    r.f = 0.29;   // below both f limits (0.3): red
    r.q = 0.5;    // class B minimum 0 met, class A 1 missed: yellow
    r.n = 5;      // between 4 and 6: yellow
    auto marks = CriteriaMarks(r, c);
    EXPECT_EQ(MarkOf(marks, "f"), CriteriaMark::kRed);
    EXPECT_EQ(MarkOf(marks, "q"), CriteriaMark::kYellow);
    EXPECT_EQ(MarkOf(marks, "N"), CriteriaMark::kYellow);
    r.n = 3;
    marks = CriteriaMarks(r, c);
    EXPECT_EQ(MarkOf(marks, "N"), CriteriaMark::kRed);
}

TEST(CriteriaMarks, NotAnchoredMadIsMarkedOnItsOwn)
{
    CCriteriaSet c = StartupCriteria();
    c.classA.maxMadFree = 5;
    c.classB.maxMadFree = 10;
    CSpecimenResult r = GoodResult();
    r.madAnchored = 1.0;
    r.madFree = 7.5;
    const auto marks = CriteriaMarks(r, c);
    EXPECT_EQ(MarkOf(marks, "MAD'"), CriteriaMark::kYellow);
    EXPECT_EQ(MarkOf(marks, "MAD"), CriteriaMark::kNone);
}

TEST(CriteriaMarks, MarksDoNotDependOnTheClassButNeedAResult)
{
    CSpecimenResult r = GoodResult();
    r.resultClass = "C";
    EXPECT_EQ(MarkOf(CriteriaMarks(r, StartupCriteria()), "Std/slope"), CriteriaMark::kNone);
    EXPECT_TRUE(MarksShown(r));
    r.paleointensity = 0.0;
    EXPECT_FALSE(MarksShown(r));
}

}  // namespace
}  // namespace korvanes
