#include "results/ResultNotes.h"

namespace korvanes {

std::string NoResultReason(const CKorvanesToolDoc& doc)
{
    // The analysis run leaves the reason in the result (AnalysisRun.h).
    return doc.m_result.paleointensity != 0.0 ? std::string() : doc.m_result.noResultReason;
}

std::string MissingCheck(int controlId, const CKorvanesToolDoc& doc)
{
    switch (controlId) {
    case 1031:  // d(CK)
    case 1032:  // d(pal)
    case 1075:  // Drat
        return doc.m_ptrmCheckDiffs.empty() ? "no pTRM checks" : "";
    case 1040:  // d(TR)
    case 1077:  // d(t*)
        return doc.m_tailCheckStats.empty() ? "no tail checks" : "";
    case 1038:  // d(AC)
        return doc.m_additivityResults.empty() ? "no additivity checks" : "";
    default:
        return "";
    }
}

}  // namespace korvanes
