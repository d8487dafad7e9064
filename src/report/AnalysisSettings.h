#pragma once
// The analysis options of `analyze`, `batch` and `plot` and of the Python
// module, as plain values: reading the criteria they name and writing them
// into a document.

#include <optional>
#include <string>
#include <utility>

#include "document/Document.h"

namespace korvanes::report {

struct AnalysisSettings {
    std::string coordinates = "core";  // core | geo | bedding
    bool onlyZ = false;
    bool checkCorrected = false;
    bool includeCheckCorrection = false;
    bool maximizeQ = false;
    std::optional<std::pair<int, int>> range;  // manual range TMIN TMAX
    std::optional<double> labField;            // µT
    std::string criteriaPath;                  // empty: the start-up criteria (or `criteria` when set)
    std::optional<CCriteriaSet> criteria;      // criteria given as values (the Python module)
};

// Whether `coordinates` names a coordinate system (core, geo, bedding).
bool IsCoordinateSystem(const std::string& coordinates);

// Whether a laboratory field in µT can be used: finite, within the float
// range and positive also as a float.
bool IsUsableLabFieldValue(double microtesla);

// Loads the criteria file named by the settings (when any; otherwise the
// values given, or the start-up values), checking its tag. False with a
// message in `error` when the file cannot be opened, is damaged, or is no
// criteria file ("No Criteria File!", after the path).
bool LoadCriteria(const AnalysisSettings& settings, CCriteriaSet& criteria, std::string& error);

// Writes the settings into a freshly opened document (criteria included).
// The coordinate system must be one IsCoordinateSystem accepts.
void ApplyAnalysisSettings(const AnalysisSettings& settings, const CCriteriaSet& criteria, CKorvanesToolDoc& doc);

}  // namespace korvanes::report
