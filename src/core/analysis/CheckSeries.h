#pragma once
// The pTRM-check series, the cumulative check correction and the
// additivity-check series.

#include "document/Document.h"

namespace korvanes {

// Fills m_correctedPtrm, m_correctedChecks, m_ptrmCheckDiffs and
// maxCheckDifference (0 without checks) from m_ptrmGained and m_ptrmChecks.
// The first check of each pTRM item feeds the running correction sum and
// m_ptrmCheckDiffs; every further check of it goes, corrected, to
// m_correctedChecks. Each pTRM item is corrected by the checks of the items
// before it. With m_onlyZComponent the corrected magnitudes are |z|.
void BuildPtrmCheckSeries(CKorvanesToolDoc& doc);

// Replaces m_ptrmGained and m_ptrmChecks by copies of m_correctedPtrm and
// m_correctedChecks and recomputes the plot bounds. Applying it twice gives
// the same lists as applying it once.
void ApplyCheckCorrection(CKorvanesToolDoc& doc);

// Fills m_additivityResults (and maxAdditivityDifference when there is at
// least one additivity check) from m_additivityChecks, m_ptrmGained and, with
// m_checkCorrected, m_ptrmCheckDiffs. Per check: x = pTRM magnitude at the
// reference temperature, y = pTRM magnitude at the own temperature, z = check
// magnitude, magnitude = z - y. A temperature without a pTRM item gives 0 for
// its pTRM magnitude; without a pTRM item at the own temperature the
// difference is 0 as well. With the correction, a check for which no check
// difference lies at or above its reference temperature is corrected by the
// sum of all check differences.
void BuildAdditivitySeries(CKorvanesToolDoc& doc);

}  // namespace korvanes
