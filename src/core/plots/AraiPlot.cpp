#include "plots/Plots.h"

namespace korvanes {

void DrawAraiPlot(DrawingSurface&, const DiagramFrame&, const CKorvanesToolDoc&, const std::vector<CStepVector>&,
                  const std::vector<CStepVector>&, const std::vector<CStepVector>&, const std::vector<CStepVector>&)
{
}

}  // namespace korvanes
