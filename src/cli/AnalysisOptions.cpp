#include "AnalysisOptions.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>

#include "criteria/CriteriaFile.h"
#include "document/AnalysisInputs.h"

namespace korvanes::cli {

namespace {

// The laboratory field is kept as a 32-bit float: "nan", "inf" or a value
// beyond the float range would carry a non-number into every result.
CLI::Validator FiniteFloat()
{
    return CLI::Validator(
        [](std::string& text) -> std::string {
            char* end = nullptr;
            const double value = std::strtod(text.c_str(), &end);
            if (end == text.c_str() || !std::isfinite(value) ||
                std::fabs(value) > static_cast<double>(std::numeric_limits<float>::max())) {
                return "needs a finite number of at most 3.4e38 in magnitude, not '" + text + "'";
            }
            return std::string();
        },
        "FINITE");
}

}  // namespace

void AddAnalysisOptions(CLI::App& cmd, CliAnalysisOptions& options)
{
    cmd.add_option("--coords", options.coordinates, "Coordinate system: core, geo or bedding")
        ->check(CLI::IsMember({"core", "geo", "bedding"}))
        ->capture_default_str();
    cmd.add_flag("--only-z", options.onlyZ, "Use only the z component for pTRM and check magnitudes");
    cmd.add_flag("--check-corrected", options.checkCorrected, "Apply the cumulative pTRM-check correction");
    cmd.add_flag("--include-check-correction", options.includeCheckCorrection,
                 "For MT4 data, let the automatic search try the check correction");
    cmd.add_flag("--maximize-q", options.maximizeQ, "The automatic search maximises q instead of w");
    cmd.add_option_function<std::vector<int>>(
           "--range",
           [&options](const std::vector<int>& values) { options.range = std::make_pair(values[0], values[1]); },
           "Evaluate the temperature range TMIN TMAX (°C) instead of searching")
        ->expected(2)
        ->type_name("TMIN TMAX");
    cmd.add_option_function<double>(
           "--labfield", [&options](double value) { options.labField = value; },
           "Laboratory field in µT (instead of the file's header value)")
        ->type_name("MICROTESLA")
        ->check(FiniteFloat());
    cmd.add_option("--criteria", options.criteriaPath, "Criteria file (.cri); default: the built-in values");
}

bool LoadCliCriteria(const CliAnalysisOptions& options, CCriteriaSet& criteria, std::string& error)
{
    criteria = StartupCriteria();
    if (options.criteriaPath.empty()) {
        return true;
    }
    const CriteriaFileResult read = ReadCriteria(options.criteriaPath, TagCheck::kCheck);
    if (!read.ok()) {
        error = read.status == CriteriaFileStatus::kWrongTag
                    ? "\"" + options.criteriaPath + "\": " + read.message
                    : read.message;
        return false;
    }
    criteria = read.criteria;
    return true;
}

void ApplyAnalysisOptions(const CliAnalysisOptions& options, const CCriteriaSet& criteria, CKorvanesToolDoc& doc)
{
    static const std::map<std::string, int> kCoordinates{
        {"core", kCoreCoordinates}, {"geo", kGeographic}, {"bedding", kBedding}};
    AnalysisInputs inputs = InputsOf(doc);
    inputs.criteria = criteria;
    if (options.maximizeQ) {
        inputs.criteria.maximizeQ = 1;
    }
    inputs.coordinates = kCoordinates.at(options.coordinates);
    inputs.onlyZComponent = options.onlyZ ? 1 : 0;
    inputs.checkCorrected = options.checkCorrected ? 1 : 0;
    inputs.includeCheckCorrection = options.includeCheckCorrection ? 1 : 0;
    if (options.range) {
        inputs.rangeMode = kSelectedRange;
        inputs.tMin = options.range->first;
        inputs.tMax = options.range->second;
    }
    if (options.labField) {
        inputs.labField = static_cast<float>(*options.labField);
    }
    ApplyInputs(doc, inputs);
}

}  // namespace korvanes::cli
