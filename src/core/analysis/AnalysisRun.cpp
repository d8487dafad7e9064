#include "analysis/AnalysisRun.h"

#include "analysis/CheckSeries.h"
#include "analysis/Classification.h"
#include "analysis/RangeSearch.h"
#include "analysis/TailChecks.h"

namespace korvanes {
namespace {

// Steps, pairing and plot bounds, then the tail statistics and the pTRM-check series.
void BuildLists(CKorvanesToolDoc& doc)
{
    BuildSteps(doc);
    PairSteps(doc);
    BuildTailCheckStats(doc);
    BuildPtrmCheckSeries(doc);
}

// Check correction (when set) and the additivity series: both depend on the
// correction flag, so they are redone whenever it changes.
void BuildCorrectedLists(CKorvanesToolDoc& doc)
{
    if (doc.m_options.m_checkCorrected != 0) {
        ApplyCheckCorrection(doc);
    }
    BuildAdditivitySeries(doc);
}

// Class A first; when nothing qualifies, class A or B.
void Search(CKorvanesToolDoc& doc)
{
    SearchRange(doc, kClassA);
    if (doc.m_result.paleointensity == 0.0) {
        SearchRange(doc, kClassB);
    }
}

double QualityValue(const CKorvanesToolDoc& doc)
{
    return doc.m_criteria.maximizeQ != 0 ? doc.m_result.q : doc.m_result.w;
}

// For MT4 data the automatic search may also try the check-corrected lists
// and keeps whichever result is better (equal values keep the corrected one).
void TryMt4CheckCorrection(CKorvanesToolDoc& doc)
{
    if (doc.m_result.methodType != "MT4" || doc.m_options.m_includeCheckCorrection == 0 ||
        doc.m_options.m_rangeMode != kAutomaticRange) {
        return;
    }
    doc.m_options.m_checkCorrected = 1;
    if (doc.m_result.paleointensity == 0.0) {
        BuildCorrectedLists(doc);
        Search(doc);
        return;
    }
    const double plain = QualityValue(doc);
    BuildCorrectedLists(doc);
    Search(doc);
    if (QualityValue(doc) < plain) {
        doc.m_options.m_checkCorrected = 0;
        BuildAnalysisLists(doc);
        Search(doc);
    }
}

std::string ClassText(int grade, const CKorvanesToolDoc& doc)
{
    std::string text;
    if (grade == kClassA) {
        text = "A";
    } else if (grade == kClassB) {
        text = "B";
    } else if (doc.m_result.paleointensity != 0.0) {
        text = "C";
    } else {
        return text;
    }
    if (doc.m_options.m_checkCorrected != 0) {
        text += '*';
    }
    return text;
}

}  // namespace

void BuildAnalysisLists(CKorvanesToolDoc& doc)
{
    BuildLists(doc);
    BuildCorrectedLists(doc);
}

void RunAnalysis(CKorvanesToolDoc& doc)
{
    if (doc.m_measurements.empty()) {
        return;
    }
    BuildAnalysisLists(doc);
    Search(doc);
    TryMt4CheckCorrection(doc);
    RescaleTailStatsToNrmT(doc);
    doc.m_result.resultClass = ClassText(GradeResult(doc.m_result, doc.m_criteria), doc);
}

void RunAnalysis(CKorvanesToolDoc& doc, const AnalysisInputs& inputs)
{
    ApplyInputs(doc, inputs);
    RunAnalysis(doc);
}

}  // namespace korvanes
