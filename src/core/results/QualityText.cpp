#include "results/QualityText.h"

#include <cmath>

#include "analysis/AraiFit.h"
#include "text/OutputNumbers.h"
#include "text/TextEncoding.h"

namespace korvanes {

bool IsInfiniteQuality(double value)
{
    return std::fabs(value) == kQualityWithoutScatter;
}

std::string FormatQuality(double value, const char* format)
{
    if (IsInfiniteQuality(value)) {
        return (value < 0.0 ? "-" : "") + std::string(kInfiniteQualityText);
    }
    return StringPrintf(format, FiniteOrZero(value));
}

}  // namespace korvanes
