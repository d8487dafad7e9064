#include "analysis/RangeSearch.h"

namespace korvanes {

int GradeResult(const CSpecimenResult&, const CCriteriaSet&) { return kClassC; }
void SearchRange(CKorvanesToolDoc&, int) {}

}  // namespace korvanes
