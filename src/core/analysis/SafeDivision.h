#pragma once
// Division for statistics whose denominator can be 0 on degenerate data (an
// empty range, a flat line, a zero maximum). The statistics then read 0
// instead of carrying NaN or infinity into the results.

#include <cmath>

namespace korvanes {

// num / den; 0 when den is 0 or the quotient is not finite.
inline double Quotient(double num, double den)
{
    if (den == 0.0) {
        return 0.0;
    }
    const double r = num / den;
    return std::isfinite(r) ? r : 0.0;
}

}  // namespace korvanes
