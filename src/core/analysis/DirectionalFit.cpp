#include "analysis/DirectionalFit.h"

namespace korvanes {

DirectionFit FitDirection(int, int, const std::vector<CStepVector>&, FitMode) { return {}; }
void SymmetricEigen3(const double[3][3], double[3], double[3][3]) {}

}  // namespace korvanes
