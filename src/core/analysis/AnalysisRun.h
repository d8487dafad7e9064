#pragma once
// The whole analysis of one document, as run before every paint.

#include <string>

#include "document/AnalysisInputs.h"
#include "document/Document.h"

namespace korvanes {

// Rebuilds every derived list from the measurements and the current options,
// finds or evaluates the temperature range, applies the automatic MT4 check
// correction when allowed, rescales the tail statistics and grades the
// result. Without a usable laboratory field (IsUsableLabField) nothing is
// searched or graded: the automatic mode shows the whole range without a
// result, a typed range gets its statistics but no paleointensity. Without a
// result, m_result.noResultReason says why (also for a document without
// measurements, which is otherwise left alone).
void RunAnalysis(CKorvanesToolDoc& doc);

// The analysis of `doc` with `inputs` (ApplyInputs, then the run): the one
// way in for every caller that changes what decides an analysis.
void RunAnalysis(CKorvanesToolDoc& doc, const AnalysisInputs& inputs);

// Why the laboratory field gives no paleointensity, for people
// (Windows-1252); empty for a usable one.
std::string LabFieldProblem(double labField);

// Every derived list as the analysis run builds it before it searches or
// evaluates a range, with the check correction as m_checkCorrected says
// (and the tail statistics not yet rescaled to a range).
void BuildAnalysisLists(CKorvanesToolDoc& doc);

}  // namespace korvanes
