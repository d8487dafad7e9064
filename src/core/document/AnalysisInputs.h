#pragma once
// Everything that decides the analysis of one specimen, as one value: the
// range mode and range, the laboratory field, the coordinates, the analysis
// options and the criteria. Whatever changes an analysis (the result form,
// the criteria dialog, a study, the command line) builds such a value and
// hands it to ApplyInputs; undo keeps two of them.

#include <cstdint>
#include <string>

#include "criteria/CriteriaSet.h"
#include "document/Document.h"

namespace korvanes {

struct AnalysisInputs {
    std::int32_t rangeMode = kAutomaticRange;
    // The chosen range (°C) in kSelectedRange; kept but not used in automatic mode.
    std::int32_t tMin = 0;
    std::int32_t tMax = 0;
    float labField = 35.0f;  // µT
    std::int32_t coordinates = kCoreCoordinates;
    std::int32_t checkCorrected = 0;
    std::int32_t onlyZComponent = 0;
    std::int32_t includeCheckCorrection = 0;
    // Both blocks, the search options and the Arai scaling.
    CCriteriaSet criteria = StartupCriteria();

    bool operator==(const AnalysisInputs&) const = default;
};

// The inputs a document holds now (for a freshly opened one: its header's
// laboratory field, automatic range, core coordinates, its criteria).
AnalysisInputs InputsOf(const CKorvanesToolDoc& doc);

// Writes `inputs` into the document and clears its result, so that the next
// analysis run depends on the measurements and `inputs` alone: the same
// inputs always give the same result, bit for bit.
void ApplyInputs(CKorvanesToolDoc& doc, const AnalysisInputs& inputs);

// What changed from `before` to `after`, for a person: "Range 150–530 °C",
// "Automatic range", "Laboratory field 50 µT", "Geographic coordinates",
// "Criteria", ... (UTF-8); several changes at once are joined by ", ".
// Empty when nothing changed.
std::string DescribeInputsChange(const AnalysisInputs& before, const AnalysisInputs& after);

}  // namespace korvanes
