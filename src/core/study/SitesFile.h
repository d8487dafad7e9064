#pragma once
// The sites table a user keeps beside a study ("korvanes-sites.txt" by
// default): one line per site with its latitude, longitude and, optionally,
// age and mean inclination, the cells separated by tabs:
//
//     # comment lines start with '#'
//     site	lat	lon	age	inc
//     s1p1	42.6	245.6
//
// The line of column names comes first; "site" is required, the others may
// stand in any order or be left out, and any cell may be empty. A line the
// program cannot use is an error naming the file and the line, and then no
// site takes anything from the file.

#include <string>
#include <string_view>
#include <vector>

#include "study/SiteMeans.h"

namespace korvanes {

inline constexpr const char* kSitesFileName = "korvanes-sites.txt";

struct SitesFileRead {
    SiteLocations sites;              // empty when there is any error
    std::vector<std::string> errors;  // "FILE:LINE: ..." each

    bool ok() const { return errors.empty(); }
};

// Reads the text of a sites table; `name` stands for the file in messages.
// Refused, each with its line: no line of column names or no "site" column,
// an unknown or repeated column, more cells than columns, an empty site name,
// a site named twice, a cell that is not one number, a latitude or
// inclination outside -90..90, a longitude outside -180..360.
SitesFileRead ParseSitesFile(std::string_view text, const std::string& name);
// Reads the file at `path` (see ParseSitesFile); one that cannot be read
// gives its reason.
SitesFileRead ReadSitesFile(const std::string& path);

// The text of a sites table with a line for each of `sites`, the values of
// `known` where it has them and empty cells elsewhere.
std::string SitesFileText(const std::vector<std::string>& sites, const SiteLocations& known = {});

// Creates the sites table `path` for `sites` with empty cells. An existing
// file is never replaced. Returns why it was not created, or an empty text.
std::string CreateSitesFile(const std::string& path, const std::vector<std::string>& sites);

}  // namespace korvanes
