#pragma once
// MagIC measurement files as input of an analysis: recognising such a file,
// importing it with its samples and sites tables, and the line that names a
// specimen the import could not write.

#include <cstddef>
#include <string>

#include "magic/MagicImport.h"

namespace korvanes::report {

struct MagicInputOptions {
    std::string specimen;  // `analyze`: the specimen to analyse
    std::string samples;   // samples table (orientation)
    std::string sites;     // sites table (bedding the samples lack)
};

// How many of a file's first bytes tell whether it is a MagIC table.
inline constexpr std::size_t kMagicHeadBytes = 4096;

// Whether the file at `path` begins like a MagIC table (its first
// kMagicHeadBytes). False when it cannot
// be read: the data-file reader then reports why.
bool IsMagicFile(const std::string& path);

// Imports the measurements in `file` with the options' samples and sites.
magic::MagicImport ImportMagicInput(const std::string& file, const MagicInputOptions& options);

// "FILE:LINE: specimen 'X' not written: ..." (printable UTF-8, no line end).
std::string ProblemText(const std::string& file, const magic::ImportMessage& problem);

}  // namespace korvanes::report
