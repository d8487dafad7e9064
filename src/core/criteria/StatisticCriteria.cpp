#include "criteria/StatisticCriteria.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "io/FileRead.h"

namespace korvanes {
namespace {

// The published sets in the file format. Their sources and the reading of
// each threshold are listed in README.md (Standard statistics).
struct BuiltInText {
    const char* name;
    const char* source;
    const char* text;
};

const BuiltInText kBuiltIn[] = {
    {"CCRIT",
     "Cromwell, Tauxe, Staudigel and Ron (2015), Phys. Earth Planet. Inter. 241, doi:10.1016/j.pepi.2014.12.007; "
     "applied in Cromwell, Tauxe and Halldorsson (2015), J. Geophys. Res. Solid Earth 120, doi:10.1002/2014JB011828",
     "int_n_measurements >= 4\n"
     "int_frac >= 0.78\n"
     "int_b_beta <= 0.1\n"
     "int_scat >= true\n"
     "int_gmax <= 0.6\n"
     "int_mad_free <= 5\n"
     "int_dang <= 10\n"
     "|int_k_prime| <= 0.164\n"
     "int_n_ptrm >= 2\n"},
    // The angle alpha' to an independently measured direction is left out:
    // a double-heating experiment alone cannot give it.
    {"PICRIT03", "Kissel and Laj (2004), Phys. Earth Planet. Inter. 147, as tabulated by Paterson et al. (2014)",
     "int_n_measurements >= 4\n"
     "int_f >= 0.35\n"
     "int_b_beta <= 0.1\n"
     "int_q >= 2\n"
     "int_mad_anc <= 7\n"
     "int_n_ptrm >= 3\n"
     "int_drat <= 7\n"
     "int_cdrat <= 10\n"},
    {"SELCRIT2",
     "Biggin, Perrin and Dekkers (2007), Earth Planet. Sci. Lett. 257, as modified by Paterson et al. (2014), "
     "G-cubed 15, doi:10.1002/2013GC005135",
     "int_n_measurements >= 4\n"
     "int_f >= 0.35\n"
     "int_b_beta <= 0.1\n"
     "int_q >= 1\n"
     "int_mad_anc <= 15\n"
     "int_alpha <= 15\n"
     "int_drat <= 10\n"
     "int_drat_tail <= 10\n"
     "|int_k_prime| <= 0.270\n"},
};

std::string Trim(std::string_view s)
{
    std::size_t a = 0;
    std::size_t b = s.size();
    while (a < b && std::isspace(static_cast<unsigned char>(s[a])) != 0) {
        ++a;
    }
    while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1])) != 0) {
        --b;
    }
    return std::string(s.substr(a, b - a));
}

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// Splits a line into its fields at spaces, tabs and commas; the operator
// may also stand without spaces ("int_frac>=0.78").
std::vector<std::string> Fields(const std::string& line)
{
    std::string spaced;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if ((c == '<' || c == '>') && i + 1 < line.size() && line[i + 1] == '=') {
            spaced += ' ';
            spaced += c;
            spaced += "= ";
            ++i;
        } else if (c == ',' || c == '\t') {
            spaced += ' ';
        } else {
            spaced += c;
        }
    }
    std::vector<std::string> fields;
    std::size_t i = 0;
    while (i < spaced.size()) {
        while (i < spaced.size() && spaced[i] == ' ') {
            ++i;
        }
        std::size_t j = i;
        while (j < spaced.size() && spaced[j] != ' ') {
            ++j;
        }
        if (j > i) {
            fields.push_back(spaced.substr(i, j - i));
        }
        i = j;
    }
    return fields;
}

std::optional<double> Number(const std::string& text)
{
    const std::string lower = Lower(text);
    if (lower == "true") {
        return 1.0;
    }
    if (lower == "false") {
        return 0.0;
    }
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::string FormatNumber(double v)
{
    char buffer[32];
    const auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
    return ec == std::errc() ? std::string(buffer, ptr) : std::string("?");
}

}  // namespace

CriteriaSetRead ParseStatisticCriteria(std::string_view text, const std::string& name)
{
    CriteriaSetRead read;
    StatisticCriteriaSet set;
    set.name = name;
    int lineNumber = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        ++lineNumber;
        std::string_view raw = text.substr(start, end - start);
        start = end + 1;
        if (const std::size_t hash = raw.find('#'); hash != std::string_view::npos) {
            raw = raw.substr(0, hash);
        }
        const std::string line = Trim(raw);
        if (line.empty()) {
            continue;
        }
        const std::vector<std::string> f = Fields(line);
        const auto refuse = [&](const std::string& why) {
            read.error = "line " + std::to_string(lineNumber) + ": " + why + " ('" + line + "')";
            read.line = lineNumber;
            return read;
        };
        if (f.size() != 3) {
            return refuse("expected NAME <= VALUE or NAME >= VALUE");
        }
        StatisticThreshold t;
        std::string statName = f[0];
        if (statName.size() > 2 && statName.front() == '|' && statName.back() == '|') {
            t.absolute = true;
            statName = statName.substr(1, statName.size() - 2);
        }
        const std::optional<StandardStatistic> statistic = StatisticByName(statName);
        if (!statistic) {
            return refuse("unknown statistic '" + statName + "'");
        }
        t.statistic = *statistic;
        if (f[1] == "<=") {
            t.atMost = true;
        } else if (f[1] == ">=") {
            t.atMost = false;
        } else {
            return refuse("the comparison must be <= or >=");
        }
        const std::optional<double> value = Number(f[2]);
        if (!value) {
            return refuse("'" + f[2] + "' is no number");
        }
        t.threshold = *value;
        set.thresholds.push_back(t);
    }
    if (set.thresholds.empty()) {
        read.error = "no threshold in the criteria set";
        return read;
    }
    read.set = std::move(set);
    return read;
}

const std::vector<StatisticCriteriaSet>& BuiltInCriteriaSets()
{
    static const std::vector<StatisticCriteriaSet> sets = [] {
        std::vector<StatisticCriteriaSet> all;
        for (const BuiltInText& b : kBuiltIn) {
            CriteriaSetRead read = ParseStatisticCriteria(b.text, b.name);
            read.set->source = b.source;
            all.push_back(std::move(*read.set));
        }
        return all;
    }();
    return sets;
}

const StatisticCriteriaSet* FindBuiltInCriteriaSet(std::string_view name)
{
    const std::string wanted = Lower(std::string(name));
    for (const StatisticCriteriaSet& set : BuiltInCriteriaSets()) {
        if (Lower(set.name) == wanted) {
            return &set;
        }
    }
    return nullptr;
}

CriteriaSetRead LoadStatisticCriteria(const std::string& nameOrPath)
{
    if (const StatisticCriteriaSet* builtIn = FindBuiltInCriteriaSet(nameOrPath)) {
        CriteriaSetRead read;
        read.set = *builtIn;
        return read;
    }
    // A set file is a few lines; a megabyte is far beyond any.
    const FileBytes file = ReadFileBytes(nameOrPath, 1u << 20);
    CriteriaSetRead read;
    if (!file.ok()) {
        read.error = file.error + " (no built-in criteria set of that name either: CCRIT, PICRIT03, SELCRIT2)";
        return read;
    }
    std::string name = nameOrPath;
    if (const std::size_t slash = name.find_last_of('/'); slash != std::string::npos) {
        name = name.substr(slash + 1);
    }
    if (const std::size_t dot = name.find_last_of('.'); dot != std::string::npos && dot > 0) {
        name = name.substr(0, dot);
    }
    read = ParseStatisticCriteria(file.bytes, name);
    if (!read.set) {
        read.error = "'" + nameOrPath + "': " + read.error;
    } else {
        read.set->source = nameOrPath;
    }
    return read;
}

std::string ThresholdStatisticName(const StatisticThreshold& t)
{
    const std::string key = InfoOf(t.statistic).key;
    return t.absolute ? "|" + key + "|" : key;
}

std::string ThresholdText(const StatisticThreshold& t)
{
    std::string value = FormatNumber(t.threshold);
    if (InfoOf(t.statistic).kind == StatisticKind::kFlag) {
        value = t.threshold != 0.0 ? "true" : "false";
    }
    return ThresholdStatisticName(t) + (t.atMost ? " <= " : " >= ") + value;
}

std::vector<std::string> CriteriaVerdict::Failed() const
{
    std::vector<std::string> names;
    for (const ThresholdVerdict& item : items) {
        if (!item.pass) {
            names.push_back(ThresholdStatisticName(item.threshold));
        }
    }
    return names;
}

CriteriaVerdict EvaluateCriteria(const StatisticCriteriaSet& set, const StandardStatistics& statistics)
{
    CriteriaVerdict verdict;
    verdict.setName = set.name;
    verdict.pass = true;
    for (const StatisticThreshold& t : set.thresholds) {
        ThresholdVerdict item;
        item.threshold = t;
        item.value = statistics[t.statistic];
        if (item.value && t.absolute) {
            item.value = std::fabs(*item.value);
        }
        item.pass = item.value.has_value() && (t.atMost ? *item.value <= t.threshold : *item.value >= t.threshold);
        verdict.pass = verdict.pass && item.pass;
        verdict.items.push_back(item);
    }
    return verdict;
}

double ScatBetaOf(const StatisticCriteriaSet* set)
{
    if (set != nullptr) {
        for (const StatisticThreshold& t : set->thresholds) {
            if (t.statistic == StandardStatistic::kBeta && t.atMost) {
                return t.threshold;
            }
        }
    }
    return kDefaultScatBeta;
}

}  // namespace korvanes
