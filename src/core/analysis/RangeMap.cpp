#include "analysis/RangeMap.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "analysis/AnalysisRun.h"
#include "analysis/AraiFit.h"
#include "analysis/RangeSearch.h"
#include "text/TextEncoding.h"

namespace korvanes {
namespace {

// The first and last list position of each zero-field temperature.
struct Span {
    int first = 0;
    int last = 0;
};

}  // namespace

const char* RangeMapGradeName(int grade)
{
    return grade == kClassA ? "A" : (grade == kClassB ? "B" : "none");
}

std::vector<std::string> GradeTestLabels(unsigned tests)
{
    std::vector<std::string> labels;
    for (unsigned test = 1; test <= kAllGradeTests; test <<= 1) {
        if ((tests & test) != 0) {
            labels.emplace_back(GradeTestLabel(test));
        }
    }
    return labels;
}

RangeMap ComputeRangeMap(const CKorvanesToolDoc& analysed)
{
    RangeMap map;
    map.byQ = analysed.m_criteria.maximizeQ != 0;
    if (!IsUsableLabField(analysed.m_header.m_labField)) {
        map.refused = LabFieldProblem(analysed.m_header.m_labField);
        return map;
    }
    std::map<int, Span> spans;
    for (std::size_t k = 0; k < analysed.m_zeroFieldSteps.size(); ++k) {
        const int t = analysed.m_zeroFieldSteps[k].temperature;
        // k only grows: the first index of a temperature stays, the last moves up.
        spans.try_emplace(t, Span{static_cast<int>(k), static_cast<int>(k)}).first->second.last = static_cast<int>(k);
    }
    if (spans.size() > kMaxRangeMapTemperatures) {
        map.refused = StringPrintf("the range map is made for at most %zu zero-field temperatures; this specimen has %zu",
                                   kMaxRangeMapTemperatures, spans.size());
        return map;
    }
    for (const auto& [t, span] : spans) {
        map.temperatures.push_back(t);
    }

    // The lists as a typed range sees them: the run's, before the tail
    // statistics were rescaled to its range.
    CKorvanesToolDoc doc = analysed;
    BuildAnalysisLists(doc);
    const ManualRangeEvaluator evaluator(doc);
    const int minN = std::max({1, std::min(analysed.m_criteria.classA.minN, analysed.m_criteria.classB.minN)});
    for (auto low = spans.begin(); low != spans.end(); ++low) {
        for (auto high = std::next(low); high != spans.end(); ++high) {
            // As the search: a pair (i, j) with j >= minN - 1 and j - i >= minN - 1.
            if (high->second.last < minN - 1 || high->second.last - low->second.first < minN - 1) {
                continue;
            }
            ClearResult(doc.m_result);
            evaluator.Evaluate(doc, low->first, high->first);
            const CSpecimenResult& r = doc.m_result;
            RangeMapCell cell;
            cell.tMin = low->first;
            cell.tMax = high->first;
            cell.n = r.n;
            cell.value = std::fabs(map.byQ ? r.q : r.w);
            cell.paleointensity = r.paleointensity;
            cell.stdDev = r.stdDev;
            cell.missesA = FailedGradeTests(r, doc.m_criteria.classA);
            cell.missesB = FailedGradeTests(r, doc.m_criteria.classB);
            // GradeResult, from the tests just made.
            cell.grade = cell.missesA == 0 ? kClassA : cell.missesB == 0 ? kClassB : kClassC;
            map.cells.push_back(cell);
        }
    }

    RangeMapSummary& summary = map.summary;
    const CSpecimenResult& chosen = analysed.m_result;
    if (chosen.paleointensity != 0.0) {
        summary.hasChosen = std::any_of(map.cells.begin(), map.cells.end(), [&chosen](const RangeMapCell& c) {
            return c.tMin == chosen.tMin && c.tMax == chosen.tMax;
        });
        summary.chosenMin = chosen.tMin;
        summary.chosenMax = chosen.tMax;
    }
    for (const int grade : {kClassA, kClassB}) {
        std::vector<double> values;
        for (const RangeMapCell& c : map.cells) {
            if (c.grade == grade) {
                values.push_back(c.paleointensity);
            }
        }
        if (values.empty()) {
            continue;
        }
        std::sort(values.begin(), values.end());
        summary.statisticsGrade = grade;
        summary.count = values.size();
        summary.minimum = values.front();
        summary.maximum = values.back();
        const std::size_t middle = values.size() / 2;
        summary.median = values.size() % 2 == 1 ? values[middle] : 0.5 * (values[middle - 1] + values[middle]);
        break;
    }
    return map;
}

}  // namespace korvanes
