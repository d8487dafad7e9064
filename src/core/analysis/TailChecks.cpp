#include "analysis/TailChecks.h"

namespace korvanes {

void BuildTailCheckStats(CKorvanesToolDoc&) {}
void RescaleTailStatsToNrmT(CKorvanesToolDoc&) {}

}  // namespace korvanes
