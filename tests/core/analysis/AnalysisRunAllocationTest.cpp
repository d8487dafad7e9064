// A redraw runs the whole analysis on a document that was analysed before.
// Its lists then already have the capacity they need, so the run must not
// allocate at all: not per step, not per range of the search.

#include <gtest/gtest.h>

#include <string>

#include "AllocationCounter.h"
#include "analysis/AnalysisRun.h"
#include "document/Document.h"

namespace korvanes {
namespace {

CKorvanesToolDoc Example(const char* name)
{
    CKorvanesToolDoc doc;
    doc.Open(std::string(KORVANES_SOURCE_DIR) + "/examples/" + name);
    return doc;
}

long AllocationsOfSecondRun(CKorvanesToolDoc& doc)
{
    RunAnalysis(doc);
    testsupport::ResetAllocationCount();
    testsupport::CountAllocations(true);
    RunAnalysis(doc);
    testsupport::CountAllocations(false);
    return testsupport::AllocationCount();
}

TEST(AnalysisRunAllocation, RepeatedRunAllocatesNothing)
{
    for (const char* name : {"basalt-mt1.kvd", "tuff-mt3.kvd", "andesite-mt4.kvd"}) {
        CKorvanesToolDoc doc = Example(name);
        ASSERT_FALSE(doc.m_measurements.empty()) << name;
        EXPECT_EQ(AllocationsOfSecondRun(doc), 0) << name;
        EXPECT_GT(doc.m_result.paleointensity, 0.0) << name;
    }
}

TEST(AnalysisRunAllocation, RepeatedRunWithCorrectionAndOptionsAllocatesNothing)
{
    // The MT4 correction copies the corrected lists over the plain ones and
    // may rebuild everything once more; bedding coordinates and only-z change
    // the vectors but not the list sizes.
    CKorvanesToolDoc mt4 = Example("andesite-mt4.kvd");
    mt4.m_options.m_includeCheckCorrection = 1;
    EXPECT_EQ(AllocationsOfSecondRun(mt4), 0);
    EXPECT_EQ(AllocationsOfSecondRun(mt4), 0);

    CKorvanesToolDoc tuff = Example("tuff-mt3.kvd");
    tuff.m_options.m_coordinates = kBedding;
    tuff.m_options.m_onlyZComponent = 1;
    EXPECT_EQ(AllocationsOfSecondRun(tuff), 0);

    CKorvanesToolDoc manual = Example("basalt-mt1.kvd");
    manual.m_options.m_rangeMode = kSelectedRange;
    manual.m_result.tMin = 150;
    manual.m_result.tMax = 520;
    EXPECT_EQ(AllocationsOfSecondRun(manual), 0);
    EXPECT_EQ(manual.m_result.tMin, 150);
}

}  // namespace
}  // namespace korvanes
