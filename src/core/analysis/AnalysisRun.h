#pragma once
// The whole analysis of one document, as run before every paint.

#include "document/AnalysisInputs.h"
#include "document/Document.h"

namespace korvanes {

// Rebuilds every derived list from the measurements and the current options,
// finds or evaluates the temperature range, applies the automatic MT4 check
// correction when allowed, rescales the tail statistics and grades the
// result. Does nothing when the document has no measurement.
void RunAnalysis(CKorvanesToolDoc& doc);

// The analysis of `doc` with `inputs` (ApplyInputs, then the run): the one
// way in for every caller that changes what decides an analysis.
void RunAnalysis(CKorvanesToolDoc& doc, const AnalysisInputs& inputs);

// Every derived list as the analysis run builds it before it searches or
// evaluates a range, with the check correction as m_checkCorrected says
// (and the tail statistics not yet rescaled to a range).
void BuildAnalysisLists(CKorvanesToolDoc& doc);

}  // namespace korvanes
