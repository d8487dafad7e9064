#pragma once
// Reader of MagIC text files: one tab-separated table ("tab", a tab and the
// table's name on the first line, the column names on the second, one record
// per further line), or several such tables in one contribution file,
// separated by lines made of ">" characters.
//
// The reader checks only the structure. It never throws: a text that is not
// such a table gives an error naming the line and what is wrong, and no
// tables at all.

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvanes::magic {

// One record with the 1-based line it came from.
struct MagicRow {
    int line = 0;
    std::vector<std::string> cells;  // bytes as in the file; may be shorter than the columns
};

struct MagicTable {
    std::string name;  // "measurements", "magic_measurements", "samples", ...
    std::vector<std::string> columns;
    std::vector<MagicRow> rows;

    // Index of the column `name`, or -1 when the table has no such column.
    int Column(std::string_view name) const;
    // Index of the first of `names` that the table has (the same column under
    // its data model 3 and 2.5 names), or -1.
    int Column(std::initializer_list<std::string_view> names) const;
    // The cell of `row` in column `index`: empty for index -1 or beyond the row's cells.
    std::string_view Cell(const MagicRow& row, int index) const;
};

struct MagicText {
    std::vector<MagicTable> tables;  // in file order; empty when `error` is set
    std::string error;               // empty when the text could be read

    bool ok() const { return error.empty(); }
    // The first table named any of `names`, or nullptr.
    const MagicTable* Find(std::initializer_list<std::string_view> names) const;
    // "measurements, samples" (for messages); "none" without tables.
    std::string TableNames() const;
};

// Parses MagIC text. Accepts a UTF-8 byte-order mark, LF or CR LF line ends,
// blank lines, a first cell "tab" or "tab delimited" (case and surrounding
// blanks ignored). Refused with a message: a table without its "tab" line or
// its column line, an empty or repeated column name, a record with a non-empty
// cell beyond the last column, and a text without any table.
MagicText ParseMagicText(std::string_view bytes);

// Reads the file at `path` and parses it. A file that cannot be read gives
// an error naming the path and the reason.
MagicText ReadMagicFile(const std::string& path);

// Whether `bytes` begin like a MagIC table: a first line whose first cell is
// "tab" or "tab delimited" and whose second cell is a table name. A
// specimen data file never begins so (its first line is "Korvanes-kvd" or a
// data line whose number part starts with a number).
bool LooksLikeMagicText(std::string_view bytes);

// `text` without blanks, tabs and CRs at either end.
std::string_view Trimmed(std::string_view text);

// The number in `cell` (blanks around it allowed), when it is one finite
// number that fills the cell; decimal notation with an optional sign.
std::optional<double> ParseNumber(std::string_view cell);

// The parts of a colon-separated list (method codes, names), each trimmed;
// empty parts are left out.
std::vector<std::string> SplitList(std::string_view cell);

}  // namespace korvanes::magic
