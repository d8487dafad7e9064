#pragma once
// The Arai line fit over a temperature range, its quality factors, the
// directional fits and the alteration statistics of the range.

#include <vector>

#include "document/Document.h"

namespace korvanes {

// Fits the Arai points of [tMin, tMax] (clamped to the data and snapped to
// measured steps) and writes the fit, the quality factors and the
// directional values into doc.m_result. No heap allocation.
void EvaluateRange(CKorvanesToolDoc& doc, int tMin, int tMax,
                   const std::vector<CStepVector>& zeroField,
                   const std::vector<CStepVector>& ptrm);

// d(CK), d(pal), DRAT, d(TR), d(t*) and d(AC) of the range ending at tMax.
// `correctedPaleointensity` is the paleointensity that the same range gives
// with the check-corrected pTRM list (0 when not computed).
void EvaluateRangeChecks(CKorvanesToolDoc& doc, double correctedPaleointensity, int tMax);

// Zeroes every result value and empties resultClass; fitLength and
// methodType stay.
void ClearResult(CSpecimenResult& result);

}  // namespace korvanes
