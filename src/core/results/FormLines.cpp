#include "results/FormLines.h"

#include "document/Coordinates.h"
#include "text/OutputNumbers.h"
#include "text/TextEncoding.h"

namespace korvanes {

std::vector<std::string> StepLines(const CKorvanesToolDoc& doc)
{
    std::vector<std::string> lines;
    lines.reserve(doc.m_steps.size());
    for (const CStepVector& s : doc.m_steps) {
        const Direction d = DirectionFromVector(s.x, s.y, s.z);
        lines.push_back(StringPrintf("%d%7d%10.2f%10.2f%10.2f", s.stepType, s.temperature, FiniteOrZero(s.magnitude),
                                     FiniteOrZero(d.declination), FiniteOrZero(d.inclination)));
    }
    return lines;
}

std::vector<std::string> TailLines(const CKorvanesToolDoc& doc)
{
    std::vector<std::string> lines;
    lines.reserve(doc.m_tailCheckStats.size());
    for (const CStepVector& s : doc.m_tailCheckStats) {
        lines.push_back(StringPrintf("%d\xB0" "C%8.1f\xB0%9.1f\xB0%9.1f%9.1f", s.temperature, FiniteOrZero(s.x),
                                     FiniteOrZero(s.y), FiniteOrZero(s.z), FiniteOrZero(s.magnitude)));
    }
    return lines;
}

}  // namespace korvanes
