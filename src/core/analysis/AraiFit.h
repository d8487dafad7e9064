#pragma once
// The Arai line fit over a temperature range, its quality factors, the
// directional fits and the alteration statistics of the range.

#include <vector>

#include "analysis/DirectionalFit.h"
#include "document/Document.h"

namespace korvanes {

// Upper limit of q and w. A range whose points lie exactly on a line has no
// scatter (sigma_b = 0), so q and w would be infinite; they read this value
// instead, as does any larger quotient.
inline constexpr double kQualityCeiling = 1.0e6;

// Fits the Arai points of [tMin, tMax] and writes the fit, the quality
// factors and the directional values into doc.m_result.
//
// The range is clamped to minTemperature..maxTemperature of m_plotBounds and
// both ends are snapped up to the next measured zero-field step. Each
// zero-field item of the range is paired with the last item of `ptrm` of the
// same temperature; an item without one keeps the pTRM value of the item
// before it in `zeroField` (0 for the very first). Degenerate ranges never
// fail and never produce NaN or infinity:
//  - no point in range (or more than kMaxFitPoints): every fit value is 0;
//  - a flat or vertical point set (Syy = 0 or Sxx = 0): slope 0, so trm,
//    paleointensity, stdDev, fitXFrom, fitXTo, sigma_b, q and w are 0;
//  - two points (N = 2): sigma_b, slopeRelStd, stdDev, q and w are 0;
//  - points exactly on a line with N > 2: q and w are kQualityCeiling;
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
    int count = 0;
    double x[kMaxFitPoints];  // x[k] belongs to zeroField[k], k < count
};

// Pairs `zeroField` with `ptrm` as EvaluateRange does (see there).
// No heap allocation.
void PairAraiPoints(const std::vector<CStepVector>& zeroField, const std::vector<CStepVector>& ptrm,
                    AraiPairing& pairing);

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

// Zeroes every result value and empties resultClass; fitLength and
// methodType stay.
void ClearResult(CSpecimenResult& result);

}  // namespace korvanes
