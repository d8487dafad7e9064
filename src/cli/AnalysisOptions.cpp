#include "AnalysisOptions.h"

#include <cstdlib>

namespace korvanes::cli {

namespace {

// A laboratory field that report::IsUsableLabFieldValue accepts.
CLI::Validator PositiveFiniteFloat()
{
    return CLI::Validator(
        [](std::string& text) -> std::string {
            char* end = nullptr;
            const double value = std::strtod(text.c_str(), &end);
            if (end == text.c_str() || !report::IsUsableLabFieldValue(value)) {
                return "needs a positive finite number of at most 3.4e38 (the laboratory field in microtesla), "
                       "not '" + text + "'";
            }
            return std::string();
        },
        "POSITIVE");
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
        ->check(PositiveFiniteFloat());
    cmd.add_option("--criteria", options.criteriaPath, "Criteria file (.cri); default: the built-in values");
}

}  // namespace korvanes::cli
