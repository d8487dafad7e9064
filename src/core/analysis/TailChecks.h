#pragma once
// Statistics of the pTRM-tail checks (repeated demagnetisations).

#include "document/Document.h"

namespace korvanes {

// Rebuilds m_tailCheckStats and the five tail bounds of m_plotBounds from
// m_zeroFieldSteps, m_tailChecks and m_ptrmGained.
void BuildTailCheckStats(CKorvanesToolDoc& doc);

// Rescales d(t*), d(TR) and the five tail bounds from units of maxNrm to
// units of the result's nrmT. Does nothing unless nrmT > 0.
void RescaleTailStatsToNrmT(CKorvanesToolDoc& doc);

}  // namespace korvanes
