#pragma once
// The analysis options shared by `analyze`, `batch` and `plot`.

#include <CLI/CLI.hpp>

#include "AnalysisSettings.h"

namespace korvanes::cli {

using CliAnalysisOptions = report::AnalysisSettings;

// Adds --coords, --only-z, --check-corrected, --include-check-correction,
// --maximize-q, --range, --labfield and --criteria to `cmd`.
void AddAnalysisOptions(CLI::App& cmd, CliAnalysisOptions& options);

// Loads the criteria file named by the options (when any; otherwise the
// start-up values), checking its tag. False with a message in `error` when
// the file cannot be opened, is damaged, or is no criteria file ("No
// Criteria File!", after the path).
inline bool LoadCliCriteria(const CliAnalysisOptions& options, CCriteriaSet& criteria, std::string& error)
{
    return report::LoadCriteria(options, criteria, error);
}

// Writes the options into a freshly opened document (criteria included).
inline void ApplyAnalysisOptions(const CliAnalysisOptions& options, const CCriteriaSet& criteria, CKorvanesToolDoc& doc)
{
    report::ApplyAnalysisSettings(options, criteria, doc);
}

}  // namespace korvanes::cli
