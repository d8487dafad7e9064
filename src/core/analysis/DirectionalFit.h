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
inline constexpr int kMaxFitPoints = 1000;

// Fits a line to the x, y, z of the items of `points` whose temperature lies
// in [tMin, tMax], in list order: through the origin (anchored) or through
// the centre of mass (free). The line points along first minus last point of
// the range. Degenerate input never fails: no point in range, more than
// kMaxFitPoints points, or all points at the origin (no positive eigenvalue)
// give declination 0, inclination 0 and MAD 0. Allocates nothing.
DirectionFit FitDirection(int tMin, int tMax, const std::vector<CStepVector>& points, FitMode mode);

// Both fits of one range at once, sharing the collection of the points and
// the reference direction: gives exactly what FitDirection gives for each
// mode. Allocates nothing.
void FitDirections(int tMin, int tMax, const std::vector<CStepVector>& points, DirectionFit& freeFit,
                   DirectionFit& anchoredFit);

// Eigenvalues and unit eigenvectors of the symmetric matrix `t` by the cyclic
// Jacobi method (at most 50 sweeps; after that the current values are
// returned as they stand). Only the upper triangle of `t` is read.
// eigenvalues[i] belongs to the column i of `vectors` (rows x, y, z).
// Returns the number of rotations applied.
int SymmetricEigen3(const double t[3][3], double eigenvalues[3], double vectors[3][3]);

}  // namespace korvanes
