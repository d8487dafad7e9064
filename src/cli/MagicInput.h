#pragma once
// MagIC measurement files as input of the command line: the options shared
// by `import-magic`, `analyze` and `batch`, and the lines that report an
// import.

#include <CLI/CLI.hpp>
#include <ostream>
#include <string>

#include "MagicInputFiles.h"

namespace korvanes::cli {

using report::ImportMagicInput;
using report::IsMagicFile;
using report::MagicInputOptions;
using report::ProblemText;

// Adds --samples and --sites, and --specimen when `withSpecimen`.
void AddMagicInputOptions(CLI::App& cmd, MagicInputOptions& options, bool withSpecimen);

// The import's summary for people: records read, used and dropped by reason,
// specimens written and not written, moments, orientation and notes.
void PrintImportSummary(std::ostream& out, const std::string& file, const magic::MagicImport& imported);

}  // namespace korvanes::cli
