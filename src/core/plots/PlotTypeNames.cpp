#include "plots/PlotTypeNames.h"

#include <array>
#include <utility>

namespace korvanes {

std::optional<PlotType> PlotTypeNamed(std::string_view name)
{
    static constexpr std::array<std::pair<std::string_view, PlotType>, 6> kNames{{
        {"arai", kAraiPlot},
        {"zijderveld", kZijderveldPlot},
        {"decay", kDecayPlot},
        {"additional", kAdditionalPlots},
        {"all", kAllPlots},
        {"rangemap", kRangeMapPlot},
    }};
    for (const auto& [entryName, type] : kNames) {
        if (name == entryName) {
            return type;
        }
    }
    return std::nullopt;
}

}  // namespace korvanes
