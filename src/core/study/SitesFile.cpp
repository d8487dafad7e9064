#include "study/SitesFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <optional>

#include "io/FileCreate.h"
#include "io/FileRead.h"
#include "magic/MagicTable.h"
#include "text/TextEncoding.h"

namespace korvanes {
namespace {

enum class Column { kSite, kLat, kLon, kAge, kInc };

struct ColumnName {
    const char* name;
    Column column;
};
constexpr ColumnName kColumns[] = {
    {"site", Column::kSite}, {"lat", Column::kLat}, {"lon", Column::kLon}, {"age", Column::kAge}, {"inc", Column::kInc}};

// The cells of a line: split at tabs, or at runs of blanks when the file's
// head has no tab.
std::vector<std::string_view> Cells(std::string_view line, bool tabs)
{
    std::vector<std::string_view> cells;
    if (tabs) {
        std::size_t start = 0;
        for (;;) {
            const std::size_t tab = line.find('\t', start);
            cells.push_back(magic::Trimmed(line.substr(start, tab == std::string_view::npos ? tab : tab - start)));
            if (tab == std::string_view::npos) {
                break;
            }
            start = tab + 1;
        }
        while (!cells.empty() && cells.back().empty()) {
            cells.pop_back();
        }
        return cells;
    }
    std::size_t at = 0;
    while ((at = line.find_first_not_of(" \r", at)) != std::string_view::npos) {
        const std::size_t end = line.find_first_of(" \r", at);
        cells.push_back(line.substr(at, end == std::string_view::npos ? end : end - at));
        at = end;
    }
    return cells;
}

std::string Quoted(std::string_view text) { return "'" + Printable(std::string(text)) + "'"; }

}  // namespace

SitesFileRead ParseSitesFile(std::string_view text, const std::string& name)
{
    SitesFileRead read;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    std::vector<Column> columns;
    bool tabs = true;
    std::map<std::string, int, std::less<>> firstLine;
    int lineNumber = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find('\n', start);
        std::string_view line = text.substr(start, end == std::string_view::npos ? end : end - start);
        start = end == std::string_view::npos ? text.size() + 1 : end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        const std::string_view trimmed = magic::Trimmed(line);
        if (trimmed.empty() || trimmed.front() == '#') {
            continue;
        }
        const auto fail = [&](const std::string& why) {
            read.errors.push_back(name + ":" + std::to_string(lineNumber) + ": " + why);
        };
        if (columns.empty()) {
            tabs = line.find('\t') != std::string_view::npos;
            for (const std::string_view cell : Cells(line, tabs)) {
                const ColumnName* known = nullptr;
                for (const ColumnName& c : kColumns) {
                    if (cell == c.name) {
                        known = &c;
                    }
                }
                if (known == nullptr) {
                    fail("unknown column " + Quoted(cell) + " (the columns are site, lat, lon, age and inc)");
                } else if (std::find(columns.begin(), columns.end(), known->column) != columns.end()) {
                    fail("column " + Quoted(cell) + " named twice");
                } else {
                    columns.push_back(known->column);
                }
            }
            if (std::find(columns.begin(), columns.end(), Column::kSite) == columns.end()) {
                fail("the first line that is no comment must name the columns, among them 'site'");
                return read;
            }
            if (!read.errors.empty()) {
                return read;
            }
            continue;
        }
        const std::vector<std::string_view> cells = Cells(line, tabs);
        if (cells.size() > columns.size()) {
            fail(std::to_string(cells.size()) + " cells but " + std::to_string(columns.size()) + " columns");
            continue;
        }
        std::string site;
        SiteLocation location;
        bool usable = true;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            const std::string_view cell = cells[c];
            if (columns[c] == Column::kSite) {
                site = std::string(cell);
                continue;
            }
            if (cell.empty()) {
                continue;
            }
            const std::optional<double> value = magic::ParseNumber(cell);
            const char* label = columns[c] == Column::kLat   ? "latitude"
                                : columns[c] == Column::kLon ? "longitude"
                                : columns[c] == Column::kAge ? "age"
                                                             : "inclination";
            if (!value) {
                fail(std::string(label) + " " + Quoted(cell) + " is not a number");
                usable = false;
                continue;
            }
            const bool angle = columns[c] == Column::kLat || columns[c] == Column::kInc;
            if ((angle && (*value < -90.0 || *value > 90.0)) ||
                (columns[c] == Column::kLon && (*value < -180.0 || *value > 360.0))) {
                fail(std::string(label) + " " + Quoted(cell) + " is outside " +
                     (angle ? "-90 to 90 degrees" : "-180 to 360 degrees"));
                usable = false;
                continue;
            }
            (columns[c] == Column::kLat   ? location.lat
             : columns[c] == Column::kLon ? location.lon
             : columns[c] == Column::kAge ? location.age
                                          : location.inc) = *value;
        }
        if (site.empty()) {
            fail("the line names no site");
            continue;
        }
        if (const auto [at, fresh] = firstLine.try_emplace(site, lineNumber); !fresh) {
            fail("site " + Quoted(site) + " is named twice (first on line " + std::to_string(at->second) + ")");
            continue;
        }
        if (usable) {
            read.sites[site] = location;
        }
    }
    if (columns.empty()) {
        read.errors.push_back(name + ": no line of column names (site, lat, lon, age, inc)");
    }
    if (!read.errors.empty()) {
        read.sites.clear();
    }
    return read;
}

SitesFileRead ReadSitesFile(const std::string& path)
{
    const FileBytes file = ReadFileBytes(path, std::size_t{64} << 20);
    if (!file.ok()) {
        SitesFileRead read;
        read.errors.push_back(file.error);
        return read;
    }
    return ParseSitesFile(file.bytes, path);
}

std::string SitesFileText(const std::vector<std::string>& sites, const SiteLocations& known)
{
    std::string text =
        "# KorvanesTool sites table: one line per site, the cells separated by tabs.\n"
        "# lat: degrees north (-90 to 90); lon: degrees east; age: in your unit;\n"
        "# inc: the site's mean inclination in degrees (for the virtual dipole moment).\n"
        "# Leave a cell empty where the value is not known.\n"
        "site\tlat\tlon\tage\tinc\n";
    const auto cell = [](const std::optional<double>& value) {
        return value ? StringPrintf("%.10g", *value) : std::string();
    };
    for (const std::string& site : sites) {
        SiteLocation l;
        if (const auto found = known.find(site); found != known.end()) {
            l = found->second;
        }
        text += site + '\t' + cell(l.lat) + '\t' + cell(l.lon) + '\t' + cell(l.age) + '\t' + cell(l.inc) + '\n';
    }
    return text;
}

std::string CreateSitesFile(const std::string& path, const std::vector<std::string>& sites)
{
    const CreateStatus status = CreateFileExclusively(path, SitesFileText(sites));
    switch (status.outcome) {
    case CreateOutcome::kCreated:
        return {};
    case CreateOutcome::kExists:
        return "'" + path + "' exists already; it is left as it is";
    case CreateOutcome::kError:
        break;
    }
    return "cannot create '" + path + "': " + std::strerror(status.error);
}

}  // namespace korvanes
