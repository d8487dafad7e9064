#pragma once
// MagIC measurement files as input of the command line: the options shared
// by `import-magic`, `analyze` and `batch`, recognising such a file, and the
// lines that report an import.

#include <CLI/CLI.hpp>
#include <ostream>
#include <string>

#include "magic/MagicImport.h"

namespace korvanes::cli {

struct MagicInputOptions {
    std::string specimen;  // `analyze`: the specimen to analyse
    std::string samples;   // samples table (orientation)
    std::string sites;     // sites table (bedding the samples lack)
};

// Adds --samples and --sites, and --specimen when `withSpecimen`.
void AddMagicInputOptions(CLI::App& cmd, MagicInputOptions& options, bool withSpecimen);

// Whether the file at `path` begins like a MagIC table. False when it cannot
// be read: the data-file reader then reports why.
bool IsMagicFile(const std::string& path);

// Imports the measurements in `file` with the options' samples and sites.
magic::MagicImport ImportMagicInput(const std::string& file, const MagicInputOptions& options);

// "FILE:LINE: specimen 'X' not written: ..." (printable UTF-8, no line end).
std::string ProblemText(const std::string& file, const magic::ImportMessage& problem);

// The import's summary for people: records read, used and dropped by reason,
// specimens written and not written, moments, orientation and notes.
void PrintImportSummary(std::ostream& out, const std::string& file, const magic::MagicImport& imported);

}  // namespace korvanes::cli
