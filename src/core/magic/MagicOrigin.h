#pragma once
// Where an imported data file came from, kept on its "Korvanes-kvd" line
// after the 12 bytes that the reader compares (the rest of that line is
// ignored by every reader of the format). The export of results to a MagIC
// specimens table reads it back, so that a specimen keeps its MagIC name
// (also when the data file's 18 characters could not hold it), the codes of
// its experiment, and what its orientation rests on.
//
// Layout: a tab, then tab-separated KEY=VALUE items:
//   magic-specimen=NAME  magic-method-codes=LP-PI-TRM:...  orientation=sample|none  bedding=sample|site|none
// Values never hold a tab or a line end (MagIC cells cannot).

#include <optional>
#include <string>
#include <string_view>

namespace korvanes::magic {

// What the orientation of an imported specimen rests on.
enum class OrientationSource { kNone, kSample };
enum class BeddingSource { kNone, kSample, kSite };

struct MagicOrigin {
    std::string specimen;     // the MagIC specimen name, bytes as in the table
    std::string methodCodes;  // the experiment's LP-PI codes, colon-separated
    OrientationSource orientation = OrientationSource::kNone;
    BeddingSource bedding = BeddingSource::kNone;
};

// The rest of the first line for `origin` (it starts with a tab).
std::string FormatOriginNote(const MagicOrigin& origin);

// The origin in the rest of a first line, when it names a MagIC specimen;
// unknown items are ignored, so later versions may add some.
std::optional<MagicOrigin> ParseOriginNote(std::string_view note);

}  // namespace korvanes::magic
