#include "document/AnalysisInputs.h"

#include <cstdio>
#include <vector>

namespace korvanes {
namespace {

std::string NumberText(double value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

const char* CoordinatesText(int coordinates)
{
    switch (coordinates) {
    case kGeographic:
        return "Geographic coordinates";
    case kBedding:
        return "Bedding coordinates";
    default:
        return "Core coordinates";
    }
}

std::string Switch(const char* name, std::int32_t value) { return std::string(name) + (value != 0 ? " on" : " off"); }

}  // namespace

AnalysisInputs InputsOf(const CKorvanesToolDoc& doc)
{
    AnalysisInputs inputs;
    inputs.rangeMode = doc.m_options.m_rangeMode;
    inputs.tMin = doc.m_result.tMin;
    inputs.tMax = doc.m_result.tMax;
    inputs.labField = doc.m_header.m_labField;
    inputs.coordinates = doc.m_options.m_coordinates;
    inputs.checkCorrected = doc.m_options.m_checkCorrected;
    inputs.onlyZComponent = doc.m_options.m_onlyZComponent;
    inputs.includeCheckCorrection = doc.m_options.m_includeCheckCorrection;
    inputs.criteria = doc.m_criteria;
    inputs.criteria.equalAraiScales = doc.m_options.m_equalAraiScales;
    return inputs;
}

void ApplyInputs(CKorvanesToolDoc& doc, const AnalysisInputs& inputs)
{
    doc.m_options.m_rangeMode = inputs.rangeMode;
    doc.m_header.m_labField = inputs.labField;
    doc.m_options.m_coordinates = inputs.coordinates;
    doc.m_options.m_checkCorrected = inputs.checkCorrected;
    doc.m_options.m_onlyZComponent = inputs.onlyZComponent;
    doc.m_options.m_includeCheckCorrection = inputs.includeCheckCorrection;
    doc.m_criteria = inputs.criteria;
    doc.m_options.m_equalAraiScales = inputs.criteria.equalAraiScales;
    doc.m_result = CSpecimenResult{};
    doc.m_result.tMin = inputs.tMin;
    doc.m_result.tMax = inputs.tMax;
}

std::string DescribeInputsChange(const AnalysisInputs& before, const AnalysisInputs& after)
{
    std::vector<std::string> parts;
    const bool selected = after.rangeMode == kSelectedRange;
    if (before.rangeMode != after.rangeMode || (selected && (before.tMin != after.tMin || before.tMax != after.tMax))) {
        parts.push_back(selected ? "Range " + std::to_string(after.tMin) + "\u2013" + std::to_string(after.tMax) +
                                       " \u00B0C"
                                 : std::string("Automatic range"));
    }
    if (before.labField != after.labField) {
        parts.push_back("Laboratory field " + NumberText(after.labField) + " \u00B5T");
    }
    if (before.coordinates != after.coordinates) {
        parts.push_back(CoordinatesText(after.coordinates));
    }
    if (before.checkCorrected != after.checkCorrected) {
        parts.push_back(Switch("Check correction", after.checkCorrected));
    }
    if (before.onlyZComponent != after.onlyZComponent) {
        parts.push_back(Switch("Only z-component", after.onlyZComponent));
    }
    if (before.includeCheckCorrection != after.includeCheckCorrection) {
        parts.push_back(Switch("Including check correction", after.includeCheckCorrection));
    }
    if (!(before.criteria == after.criteria)) {
        parts.push_back("Criteria");
    }
    std::string text;
    for (const std::string& part : parts) {
        text += (text.empty() ? "" : ", ") + part;
    }
    return text;
}

}  // namespace korvanes
