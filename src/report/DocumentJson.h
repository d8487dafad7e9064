#pragma once
// The JSON form of a specimen document (`korvanes analyze --json` and the
// Python module's to_dict()): one small writer per record type and a generic
// list writer, so that more fields and lists can be added piece by piece. Every number is finite; floats
// widen to double exactly; texts are valid UTF-8 (byte texts such as the
// specimen name go through ToUtf8).

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/RangeMap.h"
#include "document/Document.h"

namespace korvanes::report {

// Keys keep the order in which they are written.
using Json = nlohmann::ordered_json;

// A number for the output: the value itself, or 0 should it ever not be
// finite (the analysis guarantees finite values; this keeps the output valid).
double JsonNumber(double value);

Json MeasurementToJson(const CMeasurement& m);
Json StepVectorToJson(const CStepVector& s);
Json HeaderToJson(const CSpecimenHeader& header);
Json OptionsToJson(const CAnalysisOptions& options);
// The fields of the result, and "noResultReason" (empty when there is a
// result). q and w without scatter (infinite) are null, with "qNullReason"
// or "wNullReason" beside them saying why.
Json ResultToJson(const CSpecimenResult& result);
Json PlotBoundsToJson(const CPlotBounds& bounds);
Json WarningsToJson(const std::vector<ReadWarning>& warnings);

// An array with `write(item)` for every item of `list`, in order.
template <class Item, class Writer>
Json ListToJson(const std::vector<Item>& list, Writer write)
{
    Json array = Json::array();
    for (const Item& item : list) {
        array.push_back(write(item));
    }
    return array;
}

// The measurement list and every derived list under its name without "m_".
Json ListsToJson(const CKorvanesToolDoc& doc);

// The criteria marks of the result form: {"shown": whether the form draws
// them (paleointensity not 0), "statistics": [{"name", "value", "mark":
// "none"|"yellow"|"red", "graded": false only for MAD'}]}. The marks are
// listed as computed even when they are not shown.
Json MarksToJson(const CSpecimenResult& result, const CCriteriaSet& criteria);

// How the range was found: {"mode": "automatic"|"manual", "requested":
// {"tMin", "tMax"} (manual mode, when known), "used": {"tMin", "tMax"}}.
Json RangeToJson(const CKorvanesToolDoc& doc, const std::optional<std::pair<int, int>>& requested);

// The zero-field steps that are no Arai points: [{"temperature",
// "inFittedRange", "reason"}], in list order.
Json LeftOutStepsToJson(const CKorvanesToolDoc& doc);

// The range map: {"refused": reason} when not made, else {"searchValue":
// "w"|"q", "temperatures", "summary": {"chosen": {"tMin", "tMax"} or null,
// "statisticsOver": "A"|"B"|null, "count", "minimum", "median", "maximum"},
// "ranges": [{"tMin", "tMax", "n", "class": "A"|"B"|"none", "value",
// "paleointensity", "stdDev", "missesA": [labels], "missesB": [labels]}]};
// an infinite value (no scatter) is null with "valueNullReason" beside it.
Json RangeMapToJson(const RangeMap& map);

// The result line that saving appends, without its CR LF, as UTF-8.
std::string ResultsLineUtf8(const CKorvanesToolDoc& doc);

// Each line as UTF-8 (the degree sign 0xB0 becomes U+00B0).
Json LinesToJson(const std::vector<std::string>& lines);

// The whole document after its analysis: file, specimenName,
// checkMethodText, methodType, resultClass, header, options (as the analysis
// left them), range, result, leftOutSteps, marks, resultsLine, stepLines, tailLines,
// plotBounds, lists and warnings.
Json DocumentToJson(const CKorvanesToolDoc& doc, const std::string& file, const std::vector<ReadWarning>& warnings,
                    const std::optional<std::pair<int, int>>& requestedRange = std::nullopt);

// Serialises with two-space indent; invalid UTF-8 (which should not occur)
// is replaced rather than thrown on.
std::string DumpJson(const Json& json);

}  // namespace korvanes::report
