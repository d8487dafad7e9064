// The analysis inputs as one value: the same inputs give the same result bit
// for bit whatever ran before, and a change is described for people.

#include <gtest/gtest.h>

#include <cstring>

#include "analysis/AnalysisRun.h"
#include "document/AnalysisInputs.h"

namespace korvanes {
namespace {

// Every byte of the numbers of a result.
bool SameNumbers(const CSpecimenResult& a, const CSpecimenResult& b)
{
    const auto bytes = [](const CSpecimenResult& r) {
        return std::vector<double>{r.madAnchored, r.decAnchored, r.incAnchored, r.madFree, r.decFree,
                                       r.incFree,     r.trm,         r.nrmT,        r.stdDev,  r.slope,
                                       r.slopeRelStd, r.ckError,     r.ckDiff,      r.w,       r.q,
                                       r.g,           r.f,           r.paleointensity, r.dTR,   r.dAC,
                                       r.drat,        r.alpha,       r.dTStar,      double(r.tMin),
                                       double(r.tMax), double(r.n)};
    };
    const std::vector<double> p = bytes(a);
    const std::vector<double> q = bytes(b);
    return std::memcmp(p.data(), q.data(), p.size() * sizeof(double)) == 0 && a.resultClass == b.resultClass;
}

TEST(AnalysisInputs, TheSameInputsGiveTheSameResultWhateverRanBefore)
{
    for (const char* example : {"tuff-mt3.kvd", "andesite-mt4.kvd"}) {
        SCOPED_TRACE(example);
        CKorvanesToolDoc doc;
        ASSERT_TRUE(doc.Open(std::string(KORVANES_SOURCE_DIR "/examples/") + example).readable);
        AnalysisInputs automatic = InputsOf(doc);
        automatic.criteria.allowMt4CheckCorrection = 1;
        automatic.includeCheckCorrection = 1;
        RunAnalysis(doc, automatic);
        const CSpecimenResult first = doc.m_result;
        const std::int32_t corrected = doc.m_options.m_checkCorrected;

        AnalysisInputs other = automatic;
        other.rangeMode = kSelectedRange;
        other.tMin = 200;
        other.tMax = 400;
        other.labField = 60.0f;
        other.coordinates = kBedding;
        other.onlyZComponent = 1;
        RunAnalysis(doc, other);
        EXPECT_FALSE(SameNumbers(doc.m_result, first));

        RunAnalysis(doc, automatic);
        EXPECT_TRUE(SameNumbers(doc.m_result, first));
        EXPECT_EQ(doc.m_options.m_checkCorrected, corrected);
        EXPECT_EQ(DescribeInputsChange(automatic, InputsOf(doc)).find("Range"), std::string::npos);
    }
}

TEST(AnalysisInputs, ChangesAreDescribedForPeople)
{
    const AnalysisInputs base;
    struct Case {
        void (*change)(AnalysisInputs&);
        const char* text;
    };
    const Case cases[] = {
        {[](AnalysisInputs&) {}, ""},
        {[](AnalysisInputs& i) { i.rangeMode = kSelectedRange, i.tMin = 150, i.tMax = 530; },
         "Range 150\u2013530 \u00B0C"},
        {[](AnalysisInputs& i) { i.tMin = 150; }, ""},  // a range kept while automatic is no change to describe
        {[](AnalysisInputs& i) { i.labField = 50.0f; }, "Laboratory field 50 \u00B5T"},
        {[](AnalysisInputs& i) { i.coordinates = kGeographic; }, "Geographic coordinates"},
        {[](AnalysisInputs& i) { i.onlyZComponent = 1, i.checkCorrected = 1; },
         "Check correction on, Only z-component on"},
        {[](AnalysisInputs& i) { i.criteria.classA.minN = 9; }, "Criteria"},
    };
    for (const Case& c : cases) {
        AnalysisInputs after = base;
        c.change(after);
        EXPECT_EQ(DescribeInputsChange(base, after), c.text);
    }
}

}  // namespace
}  // namespace korvanes
