#include "analysis/AnalysisRun.h"

#include <cmath>

#include "analysis/AraiFit.h"
#include "analysis/CheckSeries.h"
#include "analysis/Classification.h"
#include "analysis/RangeSearch.h"
#include "analysis/TailChecks.h"
#include "text/TextEncoding.h"

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
void Search(CKorvanesToolDoc& doc) { SearchClassAThenB(doc); }

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

// Without a usable laboratory field nothing is graded and nothing is
// searched (a range chosen by grading would rest on the field): the
// automatic mode shows the whole range without a result; a typed range is
// fitted for the statistics that do not depend on the field, with a
// positive stand-in, and its paleointensity is withheld.
void RunWithoutLabField(CKorvanesToolDoc& doc)
{
    BuildAnalysisLists(doc);
    CSpecimenResult& r = doc.m_result;
    if (doc.m_options.m_rangeMode == kAutomaticRange) {
        ClearResult(r);
        r.tMin = doc.m_plotBounds.minTemperature;
        r.tMax = doc.m_plotBounds.maxTemperature;
    } else {
        const float held = doc.m_header.m_labField;
        doc.m_header.m_labField = 1.0f;
        SearchRange(doc, kClassA);  // the typed range; the class limit plays no part
        doc.m_header.m_labField = held;
        r.paleointensity = 0.0;
        r.stdDev = 0.0;
    }
    RescaleTailStatsToNrmT(doc);
    r.resultClass.clear();
}

}  // namespace

std::string LabFieldProblem(double labField)
{
    if (IsUsableLabField(labField)) {
        return std::string();
    }
    const std::string value = std::isnan(labField)   ? std::string("not a number")
                              : std::isinf(labField) ? std::string("infinite")
                                                     : StringPrintf("%g \xB5T", labField);
    return "the laboratory field is " + value +
           "; a paleointensity needs a positive laboratory field, so nothing is graded";
}

namespace {

// Why the analysed document has no result, or empty when it has one.
std::string ReasonWithoutResult(const CKorvanesToolDoc& doc)
{
    const CSpecimenResult& r = doc.m_result;
    if (doc.m_measurements.empty()) {
        return "the file holds no measurement";
    }
    if (!IsUsableLabField(doc.m_header.m_labField)) {
        return LabFieldProblem(doc.m_header.m_labField);
    }
    if (r.paleointensity != 0.0) {
        return std::string();
    }
    if (doc.m_options.m_rangeMode == kAutomaticRange) {
        return "no temperature range meets class A or class B; the whole measured range is shown";
    }
    if (r.n < 2) {
        return "the range holds fewer than two measured zero-field steps";
    }
    return "the Arai points of the range lie on a flat or vertical line, so the fit has no slope";
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
        doc.m_result.noResultReason = ReasonWithoutResult(doc);
        return;
    }
    if (!IsUsableLabField(doc.m_header.m_labField)) {
        RunWithoutLabField(doc);
    } else {
        BuildAnalysisLists(doc);
        Search(doc);
        TryMt4CheckCorrection(doc);
        RescaleTailStatsToNrmT(doc);
        doc.m_result.resultClass = ClassText(GradeResult(doc.m_result, doc.m_criteria), doc);
    }
    if (doc.m_result.paleointensity == 0.0) {
        doc.m_result.noResultReason = ReasonWithoutResult(doc);
    } else {
        doc.m_result.noResultReason.clear();
    }
}

void RunAnalysis(CKorvanesToolDoc& doc, const AnalysisInputs& inputs)
{
    ApplyInputs(doc, inputs);
    RunAnalysis(doc);
}

}  // namespace korvanes
