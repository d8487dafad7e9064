#include "StandardOutput.h"

#include <cstring>

#include "text/TextEncoding.h"

namespace korvanes::report {
namespace {

// Columns counted in characters, not bytes (the labels hold Greek letters).
std::string Padded(const std::string& text, std::size_t width)
{
    std::size_t chars = 0;
    for (const char c : text) {
        chars += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    return chars >= width ? text : text + std::string(width - chars, ' ');
}

Json ValueJson(StandardStatistic s, const std::optional<double>& value)
{
    if (!value) {
        return nullptr;
    }
    switch (InfoOf(s).kind) {
    case StatisticKind::kInteger:
        return static_cast<long long>(*value);
    case StatisticKind::kFlag:
        return *value != 0.0;
    case StatisticKind::kReal:
        break;
    }
    return JsonNumber(*value);
}

}  // namespace

Json StandardStatisticsToJson(const StandardStatistics& statistics)
{
    Json json = Json::object();
    for (const StandardStatisticInfo& info : StandardStatisticTable()) {
        if (statistics[info.id]) {
            json[info.key] = ValueJson(info.id, statistics[info.id]);
        }
    }
    return json;
}

Json CriteriaVerdictToJson(const CriteriaVerdict& verdict, const StatisticCriteriaSet& set)
{
    Json items = Json::array();
    for (const ThresholdVerdict& item : verdict.items) {
        const StatisticThreshold& t = item.threshold;
        Json one{{"name", ThresholdStatisticName(t)},
                 {"comparison", t.atMost ? "<=" : ">="},
                 {"threshold", ValueJson(t.statistic, t.threshold)}};
        if (item.value) {
            one["value"] = ValueJson(t.statistic, item.value);
        }
        one["pass"] = item.pass;
        items.push_back(one);
    }
    return Json{{"set", set.name},
                {"source", ToUtf8(set.source)},
                {"pass", verdict.pass},
                {"failed", verdict.Failed()},
                {"statistics", items}};
}

Json CriteriaSetSearchToJson(const CriteriaSetSearch& search, const StatisticCriteriaSet& set)
{
    Json json{{"set", set.name}, {"considered", search.considered}, {"passing", search.passing}};
    if (search.chosen) {
        json["chosen"] = Json{{"tMin", search.tMin}, {"tMax", search.tMax}};
    }
    if (!search.refused.empty()) {
        json["refused"] = search.refused;
    }
    return json;
}

void AddStandardToRangeMapJson(Json& rangeMapJson, const RangeMap& map, const StandardStatisticsInput& input,
                               bool withStatistics, const StatisticCriteriaSet* set)
{
    if (!rangeMapJson.contains("ranges")) {
        return;
    }
    Json& ranges = rangeMapJson["ranges"];
    const double beta = ScatBetaOf(set);
    for (std::size_t i = 0; i < map.cells.size() && i < ranges.size(); ++i) {
        const StandardStatistics st = ComputeStandardStatistics(input, map.cells[i].tMin, map.cells[i].tMax, beta);
        if (withStatistics) {
            ranges[i]["standardStatistics"] = StandardStatisticsToJson(st);
        }
        if (set != nullptr) {
            const CriteriaVerdict verdict = EvaluateCriteria(*set, st);
            ranges[i]["criteriaSet"] = Json{{"pass", verdict.pass}, {"failed", verdict.Failed()}};
        }
    }
}

std::string StandardValueText(StandardStatistic s, const std::optional<double>& value)
{
    if (!value) {
        return "n/a";
    }
    switch (InfoOf(s).kind) {
    case StatisticKind::kInteger:
        return StringPrintf("%lld", static_cast<long long>(*value));
    case StatisticKind::kFlag:
        return *value != 0.0 ? "true" : "false";
    case StatisticKind::kReal:
        break;
    }
    return StringPrintf("%.4g", *value);
}

std::string StandardStatisticsText(const StandardStatistics& statistics)
{
    std::string out = StringPrintf("\nStandard statistics (%d-%d \xC2\xB0" "C)\n", statistics.tMin, statistics.tMax);
    const char* family = "";
    for (const StandardStatisticInfo& info : StandardStatisticTable()) {
        if (std::strcmp(family, info.family) != 0) {
            family = info.family;
            out += std::string("  ") + family + '\n';
        }
        std::string value = StandardValueText(info.id, statistics[info.id]);
        if (statistics[info.id] && *info.unit != '\0') {
            value += std::string(" ") + info.unit;
        }
        out += "    " + Padded(info.label, 12) + Padded(value, 16) + info.key + '\n';
    }
    return out;
}

std::string CriteriaVerdictText(const CriteriaVerdict& verdict, const StatisticCriteriaSet& set)
{
    std::string out = "\nCriteria set " + Printable(set.name) + ": " + (verdict.pass ? "pass" : "fail") + '\n';
    if (!set.source.empty()) {
        out += "  (" + Printable(set.source) + ")\n";
    }
    for (const ThresholdVerdict& item : verdict.items) {
        const StatisticThreshold& t = item.threshold;
        std::string threshold = ThresholdText(t);
        out += "  " + Padded(item.pass ? "pass" : "FAIL", 6) + Padded(threshold, 28) + "value " +
               StandardValueText(t.statistic, item.value) + '\n';
    }
    return out;
}

}  // namespace korvanes::report
