#pragma once
// The analysis options shared by `analyze`, `batch` and `plot`.

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <utility>

#include "document/Document.h"

namespace korvanes::cli {

struct CliAnalysisOptions {
    std::string coordinates = "core";  // core | geo | bedding
    bool onlyZ = false;
    bool checkCorrected = false;
    bool includeCheckCorrection = false;
    bool maximizeQ = false;
    std::optional<std::pair<int, int>> range;  // manual range TMIN TMAX
    std::optional<double> labField;            // µT
    std::string criteriaPath;                  // empty: the start-up criteria
};

// Adds --coords, --only-z, --check-corrected, --include-check-correction,
// --maximize-q, --range, --labfield and --criteria to `cmd`.
void AddAnalysisOptions(CLI::App& cmd, CliAnalysisOptions& options);

// Loads the criteria file named by the options (when any; otherwise the
// start-up values), checking its tag. False with a message in `error` when
// the file cannot be opened, is damaged, or is no criteria file ("No
// Criteria File!", after the path).
bool LoadCliCriteria(const CliAnalysisOptions& options, CCriteriaSet& criteria, std::string& error);

// Writes the options into a freshly opened document (criteria included).
void ApplyAnalysisOptions(const CliAnalysisOptions& options, const CCriteriaSet& criteria, CKorvanesToolDoc& doc);

}  // namespace korvanes::cli
