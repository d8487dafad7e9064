#pragma once
// Guard for numbers on their way into a text: nothing that is not a finite
// number may reach a list line or the results file.

#include <cmath>

namespace korvanes {

// `value` when it is finite, otherwise 0.
inline double FiniteOrZero(double value) { return std::isfinite(value) ? value : 0.0; }

}  // namespace korvanes
