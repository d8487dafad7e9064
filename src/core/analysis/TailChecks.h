#pragma once
// Statistics of the pTRM-tail checks (repeated demagnetisations).

#include "document/Document.h"

namespace korvanes {

// Rebuilds m_tailCheckStats and the five tail bounds of m_plotBounds from
// m_zeroFieldSteps, m_tailChecks and m_ptrmGained, using maxNrm and maxPtrm.
// One record per pair of zero-field step and tail check of one temperature:
// x = theta (degrees), y = d(Inc), z = t*, magnitude = d(TR) in per cent of
// maxNrm. The field axis is taken from the last pTRM item of the temperature;
// without one, theta and t* are 0. A zero maxNrm or maxPtrm gives 0 for the
// values divided by it.
void BuildTailCheckStats(CKorvanesToolDoc& doc);

// Rescales d(t*), d(TR) and the five tail bounds from units of maxNrm to
// units of the result's nrmT. Does nothing unless nrmT > 0.
void RescaleTailStatsToNrmT(CKorvanesToolDoc& doc);

}  // namespace korvanes
