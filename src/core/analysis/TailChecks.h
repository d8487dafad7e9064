#pragma once
// Statistics of the pTRM-tail checks (repeated demagnetisations).

#include "document/Document.h"

namespace korvanes {

// Rebuilds m_tailCheckStats and the five tail bounds of m_plotBounds from
// m_zeroFieldSteps, m_tailChecks and m_ptrmGained, using maxNrm and maxPtrm.
// One record per pair of zero-field step and tail check of one temperature:
// x = theta (degrees), y = d(Inc), z = t*, magnitude = d(TR) in per cent of
// maxNrm. The laboratory field lies along the specimen's z axis, so theta,
// t* and d(TR) always come from specimen-coordinate vectors: in other
// coordinates the steps are built once more from the measurements in
// specimen coordinates (lists that do not come from the measurements are
// taken as they are). d(Inc) is the difference of the displayed
// inclinations. The field axis is taken from the last pTRM item of the temperature;
// without one, theta and t* are 0. A zero maxNrm or maxPtrm gives 0 for the
// values divided by it.
void BuildTailCheckStats(CKorvanesToolDoc& doc);

// Rescales d(t*), d(TR) and the five tail bounds from units of maxNrm to
// units of the result's nrmT. Does nothing unless nrmT > 0.
void RescaleTailStatsToNrmT(CKorvanesToolDoc& doc);

}  // namespace korvanes
