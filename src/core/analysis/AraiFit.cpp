#include "analysis/AraiFit.h"

namespace korvanes {

void EvaluateRange(CKorvanesToolDoc&, int, int, const std::vector<CStepVector>&, const std::vector<CStepVector>&) {}
void EvaluateRangeChecks(CKorvanesToolDoc&, double, int) {}
void ClearResult(CSpecimenResult&) {}

}  // namespace korvanes
