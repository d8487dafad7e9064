#include "results/ResultNotes.h"

namespace korvanes {

std::string NoResultReason(const CKorvanesToolDoc& doc)
{
    const CSpecimenResult& r = doc.m_result;
    if (r.paleointensity != 0.0) {
        return "";
    }
    if (doc.m_measurements.empty()) {
        return "the file holds no measurement";
    }
    if (doc.m_options.m_rangeMode == kAutomaticRange) {
        return "no temperature range meets class A or class B; the whole measured range is shown";
    }
    if (r.n < 2) {
        return "the range holds fewer than two measured zero-field steps";
    }
    return "the fit gives no paleointensity (is the laboratory field 0?)";
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
