#include "analysis/CriteriaSetSearch.h"

#include "analysis/AnalysisRun.h"
#include "analysis/RangeMap.h"
#include "analysis/StandardStatistics.h"

namespace korvanes {

CriteriaSetSearch SearchRangeByCriteriaSet(CKorvanesToolDoc& doc, const StatisticCriteriaSet& set)
{
    CriteriaSetSearch search;
    const RangeMap map = ComputeRangeMap(doc);
    if (!map.refused.empty()) {
        search.refused = map.refused;
        return search;
    }
    const StandardStatisticsInput input = PrepareStandardStatistics(doc);
    const double beta = ScatBetaOf(&set);
    const RangeMapCell* best = nullptr;
    for (const RangeMapCell& cell : map.cells) {
        ++search.considered;
        if (!EvaluateCriteria(set, ComputeStandardStatistics(input, cell.tMin, cell.tMax, beta)).pass) {
            continue;
        }
        ++search.passing;
        if (best == nullptr || cell.value > best->value) {
            best = &cell;
        }
    }
    if (best == nullptr) {
        return search;
    }
    search.chosen = true;
    search.tMin = best->tMin;
    search.tMax = best->tMax;
    doc.m_options.m_rangeMode = kSelectedRange;
    doc.m_result.tMin = best->tMin;
    doc.m_result.tMax = best->tMax;
    RunAnalysis(doc);
    return search;
}

}  // namespace korvanes
