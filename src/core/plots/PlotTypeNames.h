#pragma once
// The names by which scripts ask for the diagrams of one specimen.

#include <optional>
#include <string_view>

#include "document/Records.h"

namespace korvanes {

// The diagram called `name` (arai, zijderveld, decay, additional, all or
// rangemap); none for another name.
std::optional<PlotType> PlotTypeNamed(std::string_view name);

}  // namespace korvanes
