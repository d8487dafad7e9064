#include "AnalysisSettings.h"

#include <cmath>
#include <limits>
#include <map>

#include "criteria/CriteriaFile.h"
#include "document/AnalysisInputs.h"

namespace korvanes::report {

namespace {

const std::map<std::string, int>& CoordinateSystems()
{
    static const std::map<std::string, int> kCoordinates{
        {"core", kCoreCoordinates}, {"geo", kGeographic}, {"bedding", kBedding}};
    return kCoordinates;
}

}  // namespace

bool IsCoordinateSystem(const std::string& coordinates)
{
    return CoordinateSystems().count(coordinates) != 0;
}

// The laboratory field is kept as a 32-bit float: "nan", "inf" or a value
// beyond the float range would carry a non-number into every result, and
// one that is not positive (also as a float) gives no paleointensity.
bool IsUsableLabFieldValue(double microtesla)
{
    return std::isfinite(microtesla) && std::fabs(microtesla) <= static_cast<double>(std::numeric_limits<float>::max()) &&
           IsUsableLabField(static_cast<float>(microtesla));
}

bool LoadCriteria(const AnalysisSettings& settings, CCriteriaSet& criteria, std::string& error)
{
    criteria = settings.criteria ? *settings.criteria : StartupCriteria();
    if (settings.criteriaPath.empty()) {
        return true;
    }
    const CriteriaFileResult read = ReadCriteria(settings.criteriaPath, TagCheck::kCheck);
    if (!read.ok()) {
        error = read.status == CriteriaFileStatus::kWrongTag
                    ? "\"" + settings.criteriaPath + "\": " + read.message
                    : read.message;
        return false;
    }
    criteria = read.criteria;
    return true;
}

void ApplyAnalysisSettings(const AnalysisSettings& settings, const CCriteriaSet& criteria, CKorvanesToolDoc& doc)
{
    AnalysisInputs inputs = InputsOf(doc);
    inputs.criteria = criteria;
    if (settings.maximizeQ) {
        inputs.criteria.maximizeQ = 1;
    }
    inputs.coordinates = CoordinateSystems().at(settings.coordinates);
    inputs.onlyZComponent = settings.onlyZ ? 1 : 0;
    inputs.checkCorrected = settings.checkCorrected ? 1 : 0;
    inputs.includeCheckCorrection = settings.includeCheckCorrection ? 1 : 0;
    if (settings.range) {
        inputs.rangeMode = kSelectedRange;
        inputs.tMin = settings.range->first;
        inputs.tMax = settings.range->second;
    }
    if (settings.labField) {
        inputs.labField = static_cast<float>(*settings.labField);
    }
    ApplyInputs(doc, inputs);
}

}  // namespace korvanes::report
