#pragma once
// The Arai line fit over a temperature range, its quality factors, the
// directional fits and the alteration statistics of the range.

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "analysis/DirectionalFit.h"
#include "document/Document.h"

namespace korvanes {

// What q and w read where their true value is not finite: a range whose
// points lie exactly on a line has no scatter (sigma_b = 0), and a scatter so
// small that the quotient overflows comes to the same. The stand-in is the
// largest finite double, so such a range ranks above every range with a
// finite q or w, as its true value would, and ties only with another range
// without scatter (the search then keeps the earlier one). Every finite
// quotient is kept exactly as computed.
inline constexpr double kQualityWithoutScatter = std::numeric_limits<double>::max();

// Fits the Arai points of [tMin, tMax] and writes the fit, the quality
// factors and the directional values into doc.m_result.
//
// The range is clamped to minTemperature..maxTemperature of m_plotBounds and
// both ends are snapped up to the next measured zero-field step; clamping and
// snapping count every zero-field step. The Arai points are the measured
// ones: each zero-field item of the range is paired with the last item of
// `ptrm` of the same temperature, and an item without one is no Arai point
// (it is left out of N, the means and sums, the slope, sigma_b, the projected
// points, f, g, q, w and the fitted segment; see LeftOutAraiSteps). The
// directional fits take every zero-field item of the range. Degenerate
// ranges never fail and never produce NaN or infinity:
//  - no Arai point in range (or more than kMaxFitPoints): every fit value is 0;
//  - a flat or vertical point set (Syy = 0 or Sxx = 0): slope 0, so trm,
//    paleointensity, stdDev, fitXFrom, fitXTo, sigma_b, q and w are 0;
//  - two points (N = 2): sigma_b, slopeRelStd, stdDev, q and w are 0;
//  - points exactly on a line with N > 2: q and w are kQualityWithoutScatter;
//  - a zero intercept gives f = 0; a zero span of the projected points g = 0.
// Uses fixed work storage; no heap allocation.
void EvaluateRange(CKorvanesToolDoc& doc, int tMin, int tMax,
                   const std::vector<CStepVector>& zeroField,
                   const std::vector<CStepVector>& ptrm);

// The pTRM value (the x of the Arai diagram) that the line fit pairs with
// each item of a zero-field list, worked out once for the many evaluations
// of the range search. Valid while both lists stay as they are; `ptrm` is
// the list it was made from. A zero-field list longer than kMaxFitPoints is
// not paired in advance (`paired` false): its evaluations pair as they go.
struct AraiPairing {
    const std::vector<CStepVector>* ptrm = nullptr;
    bool paired = false;
    // The zero-field temperatures never decrease along the list (as in every
    // real experiment): the items of a range are then one block of the list.
    bool ascending = false;
    // Every item of the list has a pTRM item.
    bool allMeasured = false;
    int count = 0;
    double x[kMaxFitPoints];       // x[k] belongs to zeroField[k], k < count
    double y[kMaxFitPoints];       // the magnitude of zeroField[k]
    bool measured[kMaxFitPoints];  // zeroField[k] has a pTRM item: an Arai point
    std::int32_t source[kMaxFitPoints];  // the position in *ptrm of that item, or -1
    // The zero-field temperatures in ascending order, for the clamping and
    // snapping of a range.
    std::int32_t sortedTemperatures[kMaxFitPoints];
};

// Pairs `zeroField` with `ptrm` as EvaluateRange does (see there).
// No heap allocation.
void PairAraiPoints(const std::vector<CStepVector>& zeroField, const std::vector<CStepVector>& ptrm,
                    AraiPairing& pairing);

// PairAraiPoints of `zeroField` with `ptrm`, taken from `model`, a pairing of
// the same `zeroField` with another list, when that list holds the same
// temperatures in the same order (as the check-corrected pTRM list does):
// the steps then pair with the items at the same positions.
void PairAraiPointsLike(const AraiPairing& model, const std::vector<CStepVector>& zeroField,
                        const std::vector<CStepVector>& ptrm, AraiPairing& pairing);

// EvaluateRange with the pairing made beforehand by PairAraiPoints from the
// same `zeroField`: writes exactly the same values, bit for bit.
void EvaluatePairedRange(CKorvanesToolDoc& doc, int tMin, int tMax,
                         const std::vector<CStepVector>& zeroField, const AraiPairing& pairing);

// EvaluatePairedRange in two parts. The line fit writes every value of
// EvaluatePairedRange except the directional ones (madAnchored, decAnchored,
// incAnchored, madFree, decFree, incFree, alpha), which it leaves as they
// are; the directional part then fits m_result.tMin..tMax as the line fit
// left them and writes those seven. Together they give exactly what
// EvaluatePairedRange gives.
void EvaluatePairedLineFit(CKorvanesToolDoc& doc, int tMin, int tMax,
                           const std::vector<CStepVector>& zeroField, const AraiPairing& pairing);
void EvaluateRangeDirections(CKorvanesToolDoc& doc, const std::vector<CStepVector>& zeroField);

// The paleointensity that EvaluatePairedRange would write for the range, bit
// for bit, without the rest of the evaluation and without writing anything
// (the d(pal) fit on the check-corrected list needs nothing else).
double PairedRangePaleointensity(const CKorvanesToolDoc& doc, int tMin, int tMax,
                                 const std::vector<CStepVector>& zeroField, const AraiPairing& pairing);

// d(CK), d(pal), DRAT, d(TR), d(t*) and d(AC) of the range ending at tMax,
// from m_ptrmCheckDiffs, m_tailCheckStats and m_additivityResults and the
// line fit in m_result. pTRM and additivity checks count when their own
// temperature is below tMax, tail checks up to and including tMax. With
// m_checkCorrected set, d(CK), d(pal) and DRAT are 0. `correctedPaleointensity`
// is the paleointensity that the same range gives with the check-corrected
// pTRM list (0 when not computed). A zero trm, fitLength, nrmT or
// paleointensity gives 0 for the statistics divided by it. No heap allocation.
void EvaluateRangeChecks(CKorvanesToolDoc& doc, double correctedPaleointensity, int tMax);

// A zero-field step that is no Arai point, and why.
struct LeftOutStep {
    int temperature = 0;         // °C
    bool inFittedRange = false;  // within the range of the current result
    std::string reason;          // for people, in English
};

// The zero-field steps of an analysed document that the Arai fit leaves out,
// in list order: those without a pTRM item at their own temperature (in
// m_ptrmGained; the check-corrected list has the same temperatures). A step
// is in the fitted range when the result has points and tMin <= T <= tMax.
std::vector<LeftOutStep> LeftOutAraiSteps(const CKorvanesToolDoc& doc);

// Zeroes every result value and empties resultClass and noResultReason;
// fitLength and methodType stay.
void ClearResult(CSpecimenResult& result);

}  // namespace korvanes
