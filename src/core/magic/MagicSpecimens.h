#pragma once
// Export of results as rows of a MagIC data model 3 `specimens` table, the
// table in which the MagIC database takes paleointensity interpretations.
// One row per specimen with a result; every value in the unit the data
// model gives its column.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "criteria/StatisticCriteria.h"
#include "document/Document.h"

namespace korvanes::magic {

struct SpecimenColumn {
    std::string_view name;
    std::string_view unit;  // as the data model names it; empty for a column without unit
};

// The columns written, in order.
const std::vector<SpecimenColumn>& SpecimenColumns();

// The interpretation's method code: best-fit slope through the Arai points.
inline constexpr std::string_view kInterpretationCode = "IE-TT";

// The cells of the row of an analysed document, in SpecimenColumns() order,
// or nothing when it has no result (paleointensity 0). The specimen name and
// the experiment's codes come from the MagIC origin of an imported file when
// it has one. Every int_ column but int_abs and int_abs_sigma holds the
// standard statistic of that name for the fitted range
// (analysis/StandardStatistics.h), empty where the data cannot give it (no
// check in the range, no circle, ...) rather than reading 0. With a criteria
// `set`, its SCAT box is used, `criteria` also names the set and
// `description` says "SET: pass" or "SET: fail (names)". dir_tilt_correction
// says in which coordinates the direction truly is: an imported specimen
// without orientation is in core coordinates (-1) whatever was chosen, and
// without bedding not tilt-corrected (0). result_quality is "g" for class A
// and B, "b" for class C. `criteriaName` has ":" and control characters
// replaced by "_" (the column is a colon-separated list).
std::optional<std::vector<std::string>> SpecimenRow(const CKorvanesToolDoc& doc, std::string_view criteriaName,
                                                    const StatisticCriteriaSet* set = nullptr);

// The method codes of an analysed document's row: the experiment's codes
// (from its MagIC origin, else from its steps) and kInterpretationCode.
std::string SpecimenMethodCodes(const CKorvanesToolDoc& doc);

// "tab\tspecimens", the line of column names, each ending in "\n".
std::string SpecimensTableHead();

// The cells joined by tabs, ending in "\n".
std::string SpecimenLine(const std::vector<std::string>& cells);

// Whether rows may be appended to the file at `path`: yes when there is none
// (it gets the head), or when it is one specimens table whose columns are
// all among these (a table written by an earlier version has fewer: its rows
// keep its own columns). Otherwise a message saying why; the file is left
// alone.
std::optional<std::string> CheckSpecimensFile(const std::string& path);

// Appends `lines` (from SpecimenLine) to the file at `path` after checking it
// again. The file is replaced by its old bytes followed by the new lines (the
// head first when it is new), so it is either complete or as before. Returns
// why it failed, or nothing.
std::optional<std::string> AppendSpecimenLines(const std::string& path, const std::vector<std::string>& lines);
// The same with the lines taken one at a time from `next` (nothing after the
// last) and written a piece at a time: the memory holds the old bytes and a
// piece, however many lines there are.
std::optional<std::string> AppendSpecimenLines(const std::string& path,
                                               const std::function<std::optional<std::string>()>& next);

}  // namespace korvanes::magic
