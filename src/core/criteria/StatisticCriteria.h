#pragma once
// Named sets of thresholds on the standard paleointensity statistics (the
// published selection-criteria sets and a user's own), and the verdict of a
// fit against one. They only report: the class A/B criteria keep grading
// the result and driving the search.
//
// A set in a text file has one threshold a line:
//     NAME <= VALUE      or      NAME >= VALUE
// NAME is a statistic's key or label (analysis/StandardStatistics.h),
// written |NAME| to compare its absolute value; VALUE a number, or true /
// false for a flag. Fields may be separated by spaces, tabs or commas; `#`
// starts a comment; blank lines are ignored.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/StandardStatistics.h"

namespace korvanes {

struct StatisticThreshold {
    StandardStatistic statistic = StandardStatistic::kN;
    bool absolute = false;  // compare |value|
    bool atMost = true;     // value <= threshold; else value >= threshold
    double threshold = 0.0;
};

struct StatisticCriteriaSet {
    std::string name;
    std::string source;  // where the thresholds come from (for people)
    std::vector<StatisticThreshold> thresholds;
};

// A set read from text, or why not: `line` is the 1-based line of the
// first bad line (0 for the file as a whole).
struct CriteriaSetRead {
    std::optional<StatisticCriteriaSet> set;
    std::string error;
    int line = 0;
};

// Parses the text of a set file; the set takes `name`. A set without any
// threshold is refused.
CriteriaSetRead ParseStatisticCriteria(std::string_view text, const std::string& name);

// CCRIT, PICRIT03 and SELCRIT2, in this order.
const std::vector<StatisticCriteriaSet>& BuiltInCriteriaSets();

// The built-in set of that name (case-insensitive), or null.
const StatisticCriteriaSet* FindBuiltInCriteriaSet(std::string_view name);

// A built-in set by name, else the set file at that path (named after the
// file without folder and extension). Errors name the path and the line.
CriteriaSetRead LoadStatisticCriteria(const std::string& nameOrPath);

// "|int_k_prime| <= 0.164", "int_scat >= true".
std::string ThresholdText(const StatisticThreshold& t);
// "int_k_prime" or "|int_k_prime|".
std::string ThresholdStatisticName(const StatisticThreshold& t);

struct ThresholdVerdict {
    StatisticThreshold threshold;
    std::optional<double> value;  // as compared (absolute when asked); absent: the data cannot give it
    bool pass = false;            // an absent value never passes
};

struct CriteriaVerdict {
    std::string setName;
    bool pass = false;
    std::vector<ThresholdVerdict> items;  // in the set's order
    // The statistics that fail, as ThresholdStatisticName gives them.
    std::vector<std::string> Failed() const;
};

// A value exactly at its threshold passes.
CriteriaVerdict EvaluateCriteria(const StatisticCriteriaSet& set, const StandardStatistics& statistics);

// The β threshold (int_b_beta <=) of the set that builds the SCAT box;
// kDefaultScatBeta for no set or a set without one.
double ScatBetaOf(const StatisticCriteriaSet* set);

}  // namespace korvanes
