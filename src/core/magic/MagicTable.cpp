#include "magic/MagicTable.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <set>

#include "document/DataFileReader.h"
#include "io/FileRead.h"
#include "text/TextEncoding.h"

namespace korvanes::magic {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The lines of `bytes` (split at LF, one CR before it dropped), as views.
std::vector<std::string_view> Lines(std::string_view bytes)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = std::min(bytes.find('\n', start), bytes.size());
        std::size_t length = end - start;
        if (length > 0 && bytes[start + length - 1] == '\r') {
            --length;
        }
        lines.push_back(bytes.substr(start, length));
        start = end + 1;
    }
    return lines;
}

std::vector<std::string_view> SplitCells(std::string_view line, std::size_t expected = 0)
{
    std::vector<std::string_view> cells;
    cells.reserve(expected);
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        cells.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos) {
            return cells;
        }
        start = tab + 1;
    }
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) { return Lower(a) == Lower(b); });
}

// "tab" or "tab delimited", any case, blanks around it.
bool IsTabCell(std::string_view cell)
{
    const std::string_view t = Trimmed(cell);
    return StartsWithNoCase(t, "tab") && (t.size() == 3 || t[3] == ' ');
}

// Letters, digits and "_", starting with a letter (so that a data line's
// number never passes for one).
bool IsTableName(std::string_view name)
{
    const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    return !name.empty() && letter(name.front()) && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    });
}

bool IsSeparatorLine(std::string_view line)
{
    const std::string_view t = Trimmed(line);
    return !t.empty() && t.find_first_not_of('>') == std::string_view::npos;
}

bool IsBlankLine(std::string_view line) { return Trimmed(line).empty(); }

std::string_view WithoutByteOrderMark(std::string_view bytes)
{
    return bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark ? bytes.substr(kByteOrderMark.size()) : bytes;
}

// The cells of a table's first line: "tab" (or "tab delimited") and a table name.
bool IsTableHead(const std::vector<std::string_view>& cells)
{
    return cells.size() >= 2 && IsTabCell(cells[0]) && IsTableName(Trimmed(cells[1]));
}

std::string LineError(int line, const std::string& text) { return StringPrintf("line %d: ", line) + text; }

// The table that starts at lines[k] (its "tab" line), up to the next
// separator line or the end; k is left on the line after the table.
std::string ReadTable(const std::vector<std::string_view>& lines, std::size_t& k, MagicTable& table)
{
    const int nameLine = static_cast<int>(k + 1);
    const std::vector<std::string_view> first = SplitCells(lines[k]);
    if (!IsTableHead(first)) {
        return LineError(nameLine,
                         "a MagIC table begins with a line holding \"tab\", a tab and the table's name "
                         "(such as \"tab\\tmeasurements\")");
    }
    table.name = std::string(Trimmed(first[1]));
    ++k;
    while (k < lines.size() && IsBlankLine(lines[k])) {
        ++k;
    }
    if (k >= lines.size() || IsSeparatorLine(lines[k])) {
        return LineError(nameLine, "table '" + table.name + "' has no line of column names");
    }
    const int columnLine = static_cast<int>(k + 1);
    std::vector<std::string_view> names = SplitCells(lines[k]);
    while (!names.empty() && Trimmed(names.back()).empty()) {
        names.pop_back();  // a tab at the end of the line
    }
    std::set<std::string_view> seen;
    for (std::size_t c = 0; c < names.size(); ++c) {
        const std::string_view name = Trimmed(names[c]);
        if (name.empty()) {
            return LineError(columnLine,
                             StringPrintf("column %zu of table '%s' has no name", c + 1, table.name.c_str()));
        }
        if (!seen.insert(name).second) {
            return LineError(columnLine,
                             "column '" + std::string(name) + "' appears twice in table '" + table.name + "'");
        }
        table.columns.emplace_back(name);
    }
    if (table.columns.empty()) {
        return LineError(columnLine, "table '" + table.name + "' has no column names");
    }
    for (++k; k < lines.size() && !IsSeparatorLine(lines[k]); ++k) {
        if (IsBlankLine(lines[k])) {
            continue;
        }
        MagicRow row;
        row.line = static_cast<int>(k + 1);
        const std::vector<std::string_view> cells = SplitCells(lines[k], table.columns.size());
        for (std::size_t c = table.columns.size(); c < cells.size(); ++c) {
            if (!Trimmed(cells[c]).empty()) {
                return LineError(row.line, StringPrintf("a record of table '%s' has %zu cells, more than its %zu "
                                                        "columns",
                                                        table.name.c_str(), cells.size(), table.columns.size()));
            }
        }
        row.cells.assign(cells.begin(), cells.begin() + static_cast<std::ptrdiff_t>(std::min(cells.size(), table.columns.size())));
        table.rows.push_back(std::move(row));
    }
    return {};
}

}  // namespace

int MagicTable::Column(std::string_view name) const
{
    const auto it = std::find(columns.begin(), columns.end(), name);
    return it == columns.end() ? -1 : static_cast<int>(it - columns.begin());
}

int MagicTable::Column(std::initializer_list<std::string_view> names) const
{
    for (std::string_view name : names) {
        const int index = Column(name);
        if (index >= 0) {
            return index;
        }
    }
    return -1;
}

std::string_view MagicTable::Cell(const MagicRow& row, int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= row.cells.size()) {
        return {};
    }
    return row.cells[static_cast<std::size_t>(index)];
}

const MagicTable* MagicText::Find(std::initializer_list<std::string_view> names) const
{
    for (const MagicTable& table : tables) {
        if (std::find(names.begin(), names.end(), table.name) != names.end()) {
            return &table;
        }
    }
    return nullptr;
}

std::string MagicText::TableNames() const
{
    std::string names;
    for (const MagicTable& table : tables) {
        names += (names.empty() ? "" : ", ") + table.name;
    }
    return names.empty() ? "none" : names;
}

MagicText ParseMagicText(std::string_view bytes)
{
    MagicText text;
    const std::vector<std::string_view> lines = Lines(WithoutByteOrderMark(bytes));
    std::size_t k = 0;
    for (;;) {
        while (k < lines.size() && (IsBlankLine(lines[k]) || IsSeparatorLine(lines[k]))) {
            ++k;
        }
        if (k >= lines.size()) {
            break;
        }
        MagicTable table;
        std::string error = ReadTable(lines, k, table);
        if (!error.empty()) {
            text.tables.clear();
            text.error = std::move(error);
            return text;
        }
        text.tables.push_back(std::move(table));
    }
    if (text.tables.empty()) {
        text.error = "the file holds no MagIC table (it is empty)";
    }
    return text;
}

MagicText ReadMagicFile(const std::string& path)
{
    const FileBytes file = ReadFileBytes(path);
    if (!file.ok()) {
        MagicText text;
        text.error = file.error;
        return text;
    }
    MagicText text = ParseMagicText(file.bytes);
    if (!text.ok()) {
        text.error = "'" + path + "': " + text.error;
    }
    return text;
}

bool LooksLikeMagicText(std::string_view bytes)
{
    bytes = WithoutByteOrderMark(bytes);
    std::string_view line = bytes.substr(0, bytes.find('\n'));
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return IsTableHead(SplitCells(line));
}

std::string_view Trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::optional<double> ParseNumber(std::string_view cell)
{
    std::string_view t = Trimmed(cell);
    if (!t.empty() && t.front() == '+') {
        t.remove_prefix(1);
        if (!t.empty() && (t.front() == '-' || t.front() == '+')) {
            return std::nullopt;
        }
    }
    if (t.empty()) {
        return std::nullopt;
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(t.data(), t.data() + t.size(), value, std::chars_format::general);
    if (error != std::errc() || end != t.data() + t.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::vector<std::string> SplitList(std::string_view cell)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t colon = cell.find(':', start);
        const std::string_view part =
            Trimmed(cell.substr(start, colon == std::string_view::npos ? std::string_view::npos : colon - start));
        if (!part.empty()) {
            parts.emplace_back(part);
        }
        if (colon == std::string_view::npos) {
            return parts;
        }
        start = colon + 1;
    }
}

}  // namespace korvanes::magic
