#include "analysis/Classification.h"

namespace korvanes {

int ClassifyTreatmentCode(float, int) { return 0; }
void BuildSteps(CKorvanesToolDoc&) {}
void PairSteps(CKorvanesToolDoc&) {}
void ComputePlotBounds(CKorvanesToolDoc&) {}

}  // namespace korvanes
