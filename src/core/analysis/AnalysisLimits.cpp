#include "analysis/AnalysisLimits.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "analysis/CheckSeries.h"
#include "analysis/Classification.h"
#include "analysis/DirectionalFit.h"
#include "text/TextEncoding.h"

namespace korvanes {
namespace {

static_assert(kMaxFitPoints >= static_cast<int>(kMaxZeroFieldSteps), "a fit must take every zero-field step");

// Whether the zero-field temperatures never decrease in file order.
bool ZeroFieldAscends(const std::vector<CStepVector>& steps)
{
    bool started = false;
    std::int32_t previous = 0;
    for (const CStepVector& s : steps) {
        if (s.stepType != kZeroField) {
            continue;
        }
        if (started && s.temperature < previous) {
            return false;
        }
        started = true;
        previous = s.temperature;
    }
    return true;
}

// Items per temperature, in ascending order of temperature.
using TemperatureCounts = std::vector<std::pair<std::int32_t, std::size_t>>;

// Sorts (temperature, count) pairs and adds up those of one temperature.
TemperatureCounts Merged(TemperatureCounts pairs)
{
    std::sort(pairs.begin(), pairs.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    TemperatureCounts merged;
    for (const auto& [t, count] : pairs) {
        if (!merged.empty() && merged.back().first == t) {
            merged.back().second += count;
        } else {
            merged.emplace_back(t, count);
        }
    }
    return merged;
}

// Items per temperature of a list (by `temperature`).
TemperatureCounts CountByTemperature(const std::vector<CStepVector>& list)
{
    TemperatureCounts pairs;
    pairs.reserve(list.size());
    for (const CStepVector& item : list) {
        pairs.emplace_back(item.temperature, 1);
    }
    return Merged(std::move(pairs));
}

std::size_t CountAt(const TemperatureCounts& counts, std::int32_t t)
{
    const auto found = std::lower_bound(counts.begin(), counts.end(), t,
                                        [](const auto& entry, std::int32_t value) { return entry.first < value; });
    return found == counts.end() || found->first != t ? 0 : found->second;
}

// "38 steps at 350 °C": the temperature with the most steps.
std::string MostRepeated(const std::vector<CStepVector>& steps)
{
    const TemperatureCounts counts = CountByTemperature(steps);
    std::int32_t temperature = 0;
    std::size_t most = 0;
    for (const auto& [t, count] : counts) {
        if (count > most) {
            most = count;
            temperature = t;
        }
    }
    return StringPrintf("%zu steps at %d \xB0" "C", most, temperature);
}

}  // namespace

std::size_t CountAraiMarks(const std::vector<CStepVector>& zeroFieldSteps, const std::vector<CStepVector>& ptrmItems,
                           const std::vector<CStepVector>& checks, const std::vector<CStepVector>& additivity)
{
    const TemperatureCounts zeroField = CountByTemperature(zeroFieldSteps);
    const TemperatureCounts ptrm = CountByTemperature(ptrmItems);
    // Marks of the checks drawn at each own temperature, per zero-field step.
    TemperatureCounts checkMarks;
    checkMarks.reserve(checks.size() + additivity.size());
    for (const std::vector<CStepVector>* list : {&checks, &additivity}) {
        for (const CStepVector& check : *list) {
            checkMarks.emplace_back(check.stepTemperature,
                                    1 + CountAt(ptrm, check.temperature) * CountAt(zeroField, check.temperature));
        }
    }
    const TemperatureCounts perStep = Merged(std::move(checkMarks));
    std::size_t marks = 0;
    for (const auto& [t, steps] : zeroField) {
        marks += steps * (CountAt(ptrm, t) + CountAt(perStep, t));
    }
    return marks;
}

std::size_t AraiMarksBound(const PairCounts& counts)
{
    // For counts within kMaxMeasurements and kMaxPairedItems (as they are
    // where this is asked) no product below comes near 2^64.
    const std::size_t zeroField = counts.mostZeroFieldAtOneTemperature;
    const std::size_t perCheck = 1 + counts.mostPtrmAtOneTemperature * zeroField;
    const std::size_t checks = std::max(counts.ptrmChecks, counts.correctedChecks) + counts.additivityChecks;
    return zeroField * (counts.ptrmGained + checks * perCheck);
}

std::optional<std::string> AnalysisLimitExceeded(const std::vector<CMeasurement>& measurements)
{
    if (measurements.size() > kMaxMeasurements) {
        return StringPrintf("it holds %zu measurement lines; at most %zu can be analysed", measurements.size(),
                            kMaxMeasurements);
    }
    // Every count below follows from the steps' types and temperatures
    // alone (pairing goes by temperature), so the steps are classified as
    // BuildSteps classifies them, without their directions: each gets a
    // vector of its own along x (no two alike, so that the check series
    // meets no zero vector and takes no slow path). The document is kept
    // per thread: a batch of files allocates nothing here.
    static thread_local CKorvanesToolDoc scratch;
    ClassifySteps(measurements, scratch.m_steps);
    const PairCounts counts = CountPairs(scratch.m_steps);
    if (counts.zeroFieldSteps > kMaxZeroFieldSteps) {
        return StringPrintf("it holds %zu zero-field steps; at most %zu can be analysed", counts.zeroFieldSteps,
                            kMaxZeroFieldSteps);
    }
    if (counts.zeroFieldSteps > kMaxUnorderedZeroFieldSteps && !ZeroFieldAscends(scratch.m_steps)) {
        return StringPrintf("it holds %zu zero-field steps whose temperatures do not ascend in file order; at most "
                            "%zu such steps can be analysed",
                            counts.zeroFieldSteps, kMaxUnorderedZeroFieldSteps);
    }
    const std::size_t items = counts.ptrmGained + counts.ptrmChecks + counts.correctedChecks +
                              counts.additivityChecks + counts.tailCheckStats;
    if (items > kMaxPairedItems) {
        return StringPrintf("its steps repeated at one temperature (most: %s) pair into %zu Arai points and "
                            "check items; at most %zu can be analysed",
                            MostRepeated(scratch.m_steps).c_str(), items, kMaxPairedItems);
    }
    // Real files stay far below the bound (a few marks per step): only a
    // file with many steps repeated at one temperature needs the lists
    // built to count exactly.
    if (AraiMarksBound(counts) <= kMaxAraiMarks) {
        return std::nullopt;
    }
    // The diagram draws the pTRM checks as they are, or the corrected ones
    // once the check correction is applied.
    PairSteps(scratch);
    BuildPtrmCheckSeries(scratch);
    const std::size_t marks =
        std::max(CountAraiMarks(scratch.m_zeroFieldSteps, scratch.m_ptrmGained, scratch.m_ptrmChecks,
                                scratch.m_additivityChecks),
                 CountAraiMarks(scratch.m_zeroFieldSteps, scratch.m_correctedPtrm, scratch.m_correctedChecks,
                                scratch.m_additivityChecks));
    if (marks > kMaxAraiMarks) {
        return StringPrintf("its steps repeated at one temperature (most: %s) would need %zu marks in the Arai "
                            "diagram; at most %zu can be drawn",
                            MostRepeated(scratch.m_steps).c_str(), marks, kMaxAraiMarks);
    }
    return std::nullopt;
}

}  // namespace korvanes
