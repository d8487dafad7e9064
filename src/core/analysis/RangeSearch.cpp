#include "analysis/RangeSearch.h"

#include <algorithm>
#include <cmath>

#include "analysis/AraiFit.h"

namespace korvanes {
namespace {

// Every test of one class block; all bounds inclusive, whole-number limits
// compared as doubles. maxMadFree is deliberately not tested. A NaN statistic
// fails its test.
// The tests of the line-fit statistics alone.
bool MeetsLineFit(const CSpecimenResult& r, const ClassThresholds& t)
{
    return r.n >= t.minN &&
           r.slopeRelStd <= t.maxSlopeRelStd &&
           r.f >= t.minF &&
           r.q >= static_cast<double>(t.minQ);
}

bool MeetsClass(const CSpecimenResult& r, const ClassThresholds& t)
{
    return MeetsLineFit(r, t) &&
           r.madAnchored <= static_cast<double>(t.maxMad) &&
           r.ckError <= static_cast<double>(t.maxCkError) &&
           r.ckDiff <= static_cast<double>(t.maxCkDiff) &&
           r.dAC <= static_cast<double>(t.maxAc) &&
           r.dTR <= static_cast<double>(t.maxIntensityDiff) &&
           r.drat <= static_cast<double>(t.maxDrat) &&
           r.alpha <= static_cast<double>(t.maxAlpha) &&
           r.dTStar <= static_cast<double>(t.maxTailStar);
}

}  // namespace

int GradeResult(const CSpecimenResult& result, const CCriteriaSet& criteria)
{
    if (MeetsClass(result, criteria.classA)) {
        return kClassA;
    }
    if (MeetsClass(result, criteria.classB)) {
        return kClassB;
    }
    return kClassC;
}

namespace {

// The pTRM lists of one search paired with the zero-field steps once, for
// all the ranges the search evaluates (the lists do not change meanwhile).
struct SearchPairings {
    AraiPairing plain;
    AraiPairing corrected;

    explicit SearchPairings(const CKorvanesToolDoc& doc)
    {
        PairAraiPoints(doc.m_zeroFieldSteps, doc.m_ptrmGained, plain);
        if (doc.m_options.m_checkCorrected == 0) {
            PairAraiPoints(doc.m_zeroFieldSteps, doc.m_correctedPtrm, corrected);
        }
    }
};

// The paleointensity of the range on the check-corrected pTRM list, for
// d(pal); 0 once the correction is applied (d(pal) is then 0 anyway).
double CorrectedPaleointensity(const CKorvanesToolDoc& doc, int tMin, int tMax, const SearchPairings& pairings)
{
    if (doc.m_options.m_checkCorrected != 0) {
        return 0.0;
    }
    return PairedRangePaleointensity(doc, tMin, tMax, doc.m_zeroFieldSteps, pairings.corrected);
}

// Fits one range in full: the paleointensity on the check-corrected pTRM
// list for d(pal), the pTRM list itself with the directional fits, then the
// alteration statistics of the range that the fit actually used.
void EvaluateWithChecks(CKorvanesToolDoc& doc, int tMin, int tMax, const SearchPairings& pairings)
{
    const double correctedPaleointensity = CorrectedPaleointensity(doc, tMin, tMax, pairings);
    EvaluatePairedRange(doc, tMin, tMax, doc.m_zeroFieldSteps, pairings.plain);
    EvaluateRangeChecks(doc, correctedPaleointensity, doc.m_result.tMax);
}

// Whether the line fit and checks now in m_result can meet `classLimit` at
// all. MAD and alpha are never negative and enter the grade only through
// upper bounds, so 0 stands for the most favourable directional values: a
// range that fails with them fails with any.
bool MayMeetClass(CKorvanesToolDoc& doc, int classLimit)
{
    doc.m_result.madAnchored = 0.0;
    doc.m_result.alpha = 0.0;
    return GradeResult(doc.m_result, doc.m_criteria) <= classLimit;
}

void SearchSelectedRange(CKorvanesToolDoc& doc)
{
    const int tMin = doc.m_result.tMin;
    const int tMax = doc.m_result.tMax;
    if (tMin >= tMax) {
        ClearResult(doc.m_result);
        return;
    }
    const SearchPairings pairings(doc);
    EvaluateWithChecks(doc, tMin, tMax, pairings);
}

void SearchAutomaticRange(CKorvanesToolDoc& doc, int classLimit)
{
    const ClassThresholds& limits = classLimit == kClassA ? doc.m_criteria.classA : doc.m_criteria.classB;
    // A minimum N below 1 would start the inner loop before the first step.
    const int minN = std::max(limits.minN, 1);
    const int count = static_cast<int>(doc.m_zeroFieldSteps.size());

    const SearchPairings pairings(doc);
    double best = 0.0;
    int bestMin = 0;
    int bestMax = 0;
    for (int i = 0; i < count; ++i) {
        for (int j = minN - 1; j < count; ++j) {
            const int ti = doc.m_zeroFieldSteps[static_cast<std::size_t>(i)].temperature;
            const int tj = doc.m_zeroFieldSteps[static_cast<std::size_t>(j)].temperature;
            if (ti >= tj || j - i < minN - 1) {
                continue;
            }
            // Only a range whose w (or q) beats the best so far can change
            // the outcome, and that value comes from the line fit alone. The
            // rest of the evaluation (the d(pal) fit, the check statistics
            // and the directional fits, the costly part) is needed only for
            // such a range; every other range's values are never read (the
            // best range is evaluated again in full below, and a search that
            // finds nothing clears them). Strictly greater: on equal values
            // the earlier pair stays.
            EvaluatePairedLineFit(doc, ti, tj, doc.m_zeroFieldSteps, pairings.plain);
            const double value = std::fabs(doc.m_criteria.maximizeQ == 0 ? doc.m_result.w : doc.m_result.q);
            if (!(value > best)) {
                continue;
            }
            // A range whose line fit fails every class it may take fails
            // the grade whatever its checks and directions.
            if (!MeetsLineFit(doc.m_result, doc.m_criteria.classA) &&
                !(classLimit >= kClassB && MeetsLineFit(doc.m_result, doc.m_criteria.classB))) {
                continue;
            }
            EvaluateRangeChecks(doc, CorrectedPaleointensity(doc, ti, tj, pairings), doc.m_result.tMax);
            if (MayMeetClass(doc, classLimit)) {
                EvaluateRangeDirections(doc, doc.m_zeroFieldSteps);
                if (GradeResult(doc.m_result, doc.m_criteria) <= classLimit) {
                    best = value;
                    bestMin = doc.m_result.tMin;
                    bestMax = doc.m_result.tMax;
                }
            }
        }
    }

    if (best != 0.0) {
        EvaluateWithChecks(doc, bestMin, bestMax, pairings);
        return;
    }
    ClearResult(doc.m_result);
    // The whole measured range; a specimen without zero-field steps has none.
    if (count > 0) {
        doc.m_result.tMin = doc.m_plotBounds.minTemperature;
        doc.m_result.tMax = doc.m_plotBounds.maxTemperature;
    }
}

}  // namespace

void SearchRange(CKorvanesToolDoc& doc, int classLimit)
{
    if (doc.m_options.m_rangeMode == kSelectedRange) {
        SearchSelectedRange(doc);
    } else {
        SearchAutomaticRange(doc, classLimit);
    }
}

}  // namespace korvanes
