#include "analysis/AnalysisLimits.h"

#include <algorithm>
#include <map>

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

// Items per temperature of a list (by `temperature`).
std::map<std::int32_t, std::size_t> CountByTemperature(const std::vector<CStepVector>& list)
{
    std::map<std::int32_t, std::size_t> counts;
    for (const CStepVector& item : list) {
        ++counts[item.temperature];
    }
    return counts;
}

std::size_t CountAt(const std::map<std::int32_t, std::size_t>& counts, std::int32_t t)
{
    const auto found = counts.find(t);
    return found == counts.end() ? 0 : found->second;
}

// "38 steps at 350 °C": the temperature with the most steps.
std::string MostRepeated(const std::vector<CStepVector>& steps)
{
    const std::map<std::int32_t, std::size_t> counts = CountByTemperature(steps);
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
    const std::map<std::int32_t, std::size_t> zeroField = CountByTemperature(zeroFieldSteps);
    const std::map<std::int32_t, std::size_t> ptrm = CountByTemperature(ptrmItems);
    // Marks of the checks drawn at each own temperature, per zero-field step.
    std::map<std::int32_t, std::size_t> perStep;
    for (const std::vector<CStepVector>* list : {&checks, &additivity}) {
        for (const CStepVector& check : *list) {
            perStep[check.stepTemperature] += 1 + CountAt(ptrm, check.temperature) * CountAt(zeroField, check.temperature);
        }
    }
    std::size_t marks = 0;
    for (const auto& [t, steps] : zeroField) {
        marks += steps * (CountAt(ptrm, t) + CountAt(perStep, t));
    }
    return marks;
}

std::optional<std::string> AnalysisLimitExceeded(const std::vector<CMeasurement>& measurements)
{
    if (measurements.size() > kMaxMeasurements) {
        return StringPrintf("it holds %zu measurement lines; at most %zu can be analysed", measurements.size(),
                            kMaxMeasurements);
    }
    CKorvanesToolDoc scratch;
    scratch.m_measurements = measurements;
    BuildSteps(scratch);
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
