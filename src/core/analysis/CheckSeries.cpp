#include "analysis/CheckSeries.h"

namespace korvanes {

void BuildPtrmCheckSeries(CKorvanesToolDoc&) {}
void ApplyCheckCorrection(CKorvanesToolDoc&) {}
void BuildAdditivitySeries(CKorvanesToolDoc&) {}

}  // namespace korvanes
