#pragma once
// The pTRM-check series, the cumulative check correction and the
// additivity-check series.

#include "document/Document.h"

namespace korvanes {

// Fills m_correctedPtrm, m_correctedChecks, m_ptrmCheckDiffs and
// maxCheckDifference from m_ptrmGained and m_ptrmChecks.
void BuildPtrmCheckSeries(CKorvanesToolDoc& doc);

// Replaces m_ptrmGained and m_ptrmChecks by their corrected versions and
// recomputes the plot bounds.
void ApplyCheckCorrection(CKorvanesToolDoc& doc);

// Fills m_additivityResults (and maxAdditivityDifference when there is at
// least one additivity check) from m_additivityChecks, m_ptrmGained and
// m_ptrmCheckDiffs.
void BuildAdditivitySeries(CKorvanesToolDoc& doc);

}  // namespace korvanes
