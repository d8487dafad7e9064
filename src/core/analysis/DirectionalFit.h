#pragma once
// Principal-component fits of the demagnetisation path.

#include <vector>

#include "document/Records.h"

namespace korvanes {

enum class FitMode { kAnchored, kFree };

struct DirectionFit {
    double declination = 0.0;  // degrees, 0..360
    double inclination = 0.0;  // degrees, -90..90
    double mad = 0.0;          // maximum angular deviation, degrees
};

// The largest number of points one fit takes.
inline constexpr int kMaxFitPoints = 999;

// Fits a line to the items of `points` whose temperature lies in
// [tMin, tMax] (list order). Allocates nothing.
DirectionFit FitDirection(int tMin, int tMax, const std::vector<CStepVector>& points, FitMode mode);

// Eigenvalues and unit eigenvectors (columns of `vectors`) of the symmetric
// matrix `t` by the cyclic Jacobi method, at most 50 sweeps.
void SymmetricEigen3(const double t[3][3], double eigenvalues[3], double vectors[3][3]);

}  // namespace korvanes
