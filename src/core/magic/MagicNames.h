#pragma once
// Names of imported specimens: the specimen name inside the data file and
// the file's own name. A MagIC name is kept wherever it can be; where it
// cannot, it is changed visibly and never into the name of another specimen
// of the same import.

#include <string>
#include <string_view>
#include <vector>

namespace korvanes::magic {

// The longest specimen name a data line can carry (the tab after it must lie
// at position 18 or before).
inline constexpr std::size_t kMaxKvdNameBytes = 18;
// File names are cut to this many bytes before ".kvd".
inline constexpr std::size_t kMaxFileStemBytes = 100;

// Whether `name` can stand as it is before the tab of a data line: 1 to 18
// bytes, no control character (tab, line ends and the like).
bool FitsDataFile(std::string_view name);

// Whether `name` followed by ".kvd" is a file name that is the same on every
// common file system: letters, digits, "-", "_", "+" and "." only, not
// starting with ".", not a reserved device name, at most 100 bytes.
bool IsSafeFileStem(std::string_view name);

struct SpecimenNames {
    std::string dataFileName;  // the name on the data lines
    std::string fileName;      // "STEM.kvd"
};

// Names for the specimens `magicNames` (distinct, in import order), each
// distinct from the others: data-file names exactly, file names also when
// letter case is ignored (as on Windows and macOS). A name that fits is kept;
// one that does not has its control characters replaced by "_" and is cut to
// 18 bytes (at a UTF-8 character boundary). File stems replace every other
// character by "_". A changed name that meets another one gets "~2", "~3"...
// Names that fit are never changed to make room for changed ones.
std::vector<SpecimenNames> AssignSpecimenNames(const std::vector<std::string>& magicNames);

}  // namespace korvanes::magic
