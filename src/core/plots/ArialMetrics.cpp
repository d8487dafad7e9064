#include "plots/ArialMetrics.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace korvanes {
namespace {

int WholeEm(double em)
{
    const double rounded = std::round(em);
    if (!(rounded >= 1.0)) {
        return 1;
    }
    return rounded >= std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                                      : static_cast<int>(rounded);
}

// ⌈max(em, 0)·units/2048⌉, in 64 bits.
std::int64_t FontUnitsUp(int em, int units)
{
    return (std::max<std::int64_t>(em, 0) * units + kArialUnitsPerEm - 1) / kArialUnitsPerEm;
}

}  // namespace

int ArialEmForCellHeight(int cellHeight)
{
    if (cellHeight <= 0) {
        cellHeight = kDefaultCellHeight;
    }
    return WholeEm(static_cast<double>(cellHeight) * kArialUnitsPerEm / (kArialAscent + kArialDescent));
}

int EmForPoints(int points, double dotsPerInch)
{
    if (points <= 0 || !std::isfinite(dotsPerInch) || dotsPerInch <= 0.0) {
        return ArialEmForCellHeight(kDefaultCellHeight);
    }
    return WholeEm(points * dotsPerInch / 72.0);
}

std::int64_t ArialAscentPixels(int em)
{
    return FontUnitsUp(em, kArialAscent);
}

std::int64_t ArialDescentPixels(int em)
{
    return FontUnitsUp(em, kArialDescent);
}

}  // namespace korvanes
