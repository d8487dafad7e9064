#pragma once
// The criteria marks of the result form: for each marked statistic whether it
// passes class A (no mark), passes only class B (yellow) or fails class B
// (red). Shared by the form and the command line.

#include <string>
#include <vector>

#include "criteria/CriteriaSet.h"
#include "document/Records.h"

namespace korvanes {

enum class CriteriaMark { kNone, kYellow, kRed };

struct MarkedStatistic {
    int controlId = 0;  // the form field the mark is drawn under
    std::string label;  // "N", "Std/slope", "f", "q", "MAD", "MAD'", "Alpha", "d(CK)", "d(pal)", "Drat", "d(AC)", "d(TR)", "d(t*)"
    double value = 0.0;
    CriteriaMark mark = CriteriaMark::kNone;
};

// The thirteen marked statistics of `result`, in the order above, each
// compared with its class A and class B limit of `criteria` (limits are
// inclusive; maxMadFree is marked although grading ignores it). The marks do
// not depend on resultClass. A value that is not a number is marked red.
std::vector<MarkedStatistic> CriteriaMarks(const CSpecimenResult& result, const CCriteriaSet& criteria);

// The form draws the marks only for a result (paleointensity not 0).
inline bool MarksShown(const CSpecimenResult& result) { return result.paleointensity != 0.0; }

// "none", "yellow" or "red".
const char* CriteriaMarkName(CriteriaMark mark);

}  // namespace korvanes
