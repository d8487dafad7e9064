#pragma once
// Reader of specimen data files (".kvd"), with or without the
// "Korvanes-kvd" header line.
//
// A data line is a specimen name, a separator and four numbers: treatment
// code, moment (mA/m), declination, inclination (degrees). The reader takes
// any bytes: it never fails on a line, it either takes it or skips it, and
// tells the caller about every line it skipped for a reason other than being
// blank and every line it took with numbers missing.

#include <string>
#include <string_view>
#include <vector>

#include "document/Document.h"

namespace korvanes {

// The first 12 bytes of the first line that mark a file with header line.
inline constexpr std::string_view kDataFileMagic = "Korvanes-kvd";
// A tab at a zero-based position past this one does not end the name.
inline constexpr std::size_t kMaxNameTabPosition = 18;
// At most this many warnings are listed; one more line counts the rest.
inline constexpr std::size_t kMaxListedWarnings = 100;
// A larger file is not read at all. The data file of one specimen is a few
// kilobytes, and the analysis takes at most a few thousand lines anyway.
inline constexpr std::size_t kMaxDataFileBytes = 4 * 1024 * 1024;

// Why data of more than kMaxDataFileBytes are not read (for people, without
// the file name).
std::string DataFileTooLarge();

// Reads the bytes of the file at `path` into `bytes`. Returns a status that
// is not `readable` when the file cannot be opened or read or is larger than
// kMaxDataFileBytes; `error` then names the file and the reason.
OpenStatus ReadDataFileBytes(const std::string& path, std::string& bytes);

// The same into `room`, which keeps its size from call to call (see
// io/FileRead.h, ReadFileInto): `bytes` views the file's bytes in it.
OpenStatus ReadDataFileInto(const std::string& path, std::string& room, std::string_view& bytes);

// Parses file bytes into `doc` (binary; lines end at '\n', a CR before it is
// dropped): appends to m_measurements and sets the header values and
// m_specimenName. The warnings are those of ParseDataLines.
OpenStatus ParseDataFile(std::string_view bytes, CKorvanesToolDoc& doc);

// Splits file bytes into lines at '\n' and removes one CR at the end of each.
// A final '\n' does not start another line; empty input gives no line.
std::vector<std::string> SplitLines(std::string_view bytes);

// Name part and number part of a data line. The name ends at the first tab
// when that lies at position 1..18; otherwise at the first blank. With
// neither, the name is empty and the number part is the whole line.
struct DataLineSplit {
    std::string_view name;
    std::string_view numbers;
};
DataLineSplit SplitDataLine(std::string_view line);

// Outcome of reading numbers the way "%e%e..." reads them in the C locale:
// white space before each number is skipped, and reading stops at the first
// text that does not begin a number.
struct NumberScan {
    int count = 0;            // numbers stored into `values`
    bool outOfRange = false;  // stopped at a number that is infinite, NaN or beyond float range
};

// Reads up to `wanted` numbers from `text` into values[0..]. Numbers not read
// leave their slots unchanged. A number that parses but is "inf", "nan" or
// outside ±FLT_MAX is not stored: reading stops there with outOfRange set.
// Decimal and hexadecimal floats with an optional sign are understood; a
// decimal number too small for a double is read as 0.
NumberScan ScanFloats(std::string_view text, float* values, int wanted);

// Parses lines whose line ends are already removed into `doc`. Accepts any
// bytes. The rest of a "Korvanes-kvd" line goes to m_header.m_fileNote. Returns the problems met, each with its 1-based line number (0 for
// the file as a whole):
// - a header line that is missing or holds fewer than five usable numbers
//   (the missing header values keep the document's values: 35 µT and 0°);
// - a laboratory field in the header that is not a positive number (it is
//   kept, and the analysis grades nothing while it stands);
// - a data line with a non-finite or out-of-range number: the line is not
//   taken at all;
// - a data line that is not blank but has no name part: skipped, as always;
// - the first line of a file without "Korvanes-kvd" line when its name part
//   is empty or a number (no specimen name; perhaps a header without its
//   first line): taken as a measurement all the same, and the header values
//   stay the defaults (35 µT, angles 0);
// - a taken data line with fewer than four numbers: the missing ones repeat
//   those of the previous taken line (0 for the first taken line);
// - no data line taken at all.
// Skipped lines never change the values that later lines repeat.
std::vector<ReadWarning> ParseDataLines(const std::vector<std::string>& lines, CKorvanesToolDoc& doc);

}  // namespace korvanes
