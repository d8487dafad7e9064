#pragma once
// The standard paleointensity statistics and criteria-set verdicts in the
// output of `korvanes analyze` and `korvanes batch`, and in the Python module.

#include <string>

#include "DocumentJson.h"
#include "analysis/CriteriaSetSearch.h"
#include "analysis/RangeMap.h"
#include "analysis/StandardStatistics.h"
#include "criteria/StatisticCriteria.h"

namespace korvanes::report {

// {key: value} for every standard statistic in table order: a number, an
// integer for counts, true/false for a flag. A statistic the data cannot
// give has no key.
Json StandardStatisticsToJson(const StandardStatistics& statistics);

// {"set", "source", "pass", "failed": [names], "statistics": [{"name",
// "comparison": "<="|">=", "threshold", "value" (no key when absent), "pass"}]}.
Json CriteriaVerdictToJson(const CriteriaVerdict& verdict, const StatisticCriteriaSet& set);

// {"set", "considered", "passing", "chosen": {"tMin", "tMax"} (only when a
// range passes), "refused" (only when the map could not be made)}.
Json CriteriaSetSearchToJson(const CriteriaSetSearch& search, const StatisticCriteriaSet& set);

// Adds to each range of a range map's JSON (from RangeMapToJson) its
// standard statistics (`withStatistics`) and its verdict against `set`
// (when not null: {"pass", "failed"}).
void AddStandardToRangeMapJson(Json& rangeMapJson, const RangeMap& map, const StandardStatisticsInput& input,
                               bool withStatistics, const StatisticCriteriaSet* set);

// A value for people: counts as integers, flags true/false, other numbers
// with four significant digits; "n/a" where absent.
std::string StandardValueText(StandardStatistic s, const std::optional<double>& value);

// The text section "Standard statistics": every statistic by family with
// its value, unit and key.
std::string StandardStatisticsText(const StandardStatistics& statistics);

// The text section of a verdict: pass or fail, and each threshold with the
// value and whether it passes.
std::string CriteriaVerdictText(const CriteriaVerdict& verdict, const StatisticCriteriaSet& set);

}  // namespace korvanes::report
