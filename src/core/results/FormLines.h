#pragma once
// The lines of the result form's two list boxes, as byte texts in the
// program's single-byte code page (the degree sign is 0xB0).

#include <string>
#include <vector>

#include "document/Document.h"

namespace korvanes {

// One line per item of m_steps, in list order: step type, temperature
// (7 wide), magnitude, declination and inclination (10 wide, 2 decimals); the
// direction is that of the item's x, y, z in the chosen coordinates.
std::vector<std::string> StepLines(const CKorvanesToolDoc& doc);

// One line per item of m_tailCheckStats, in list order: temperature "°C",
// d(theta) "°", d(Inc) "°", d(t*), d(TR) (the item's temperature, x, y, z and
// magnitude).
std::vector<std::string> TailLines(const CKorvanesToolDoc& doc);

}  // namespace korvanes
