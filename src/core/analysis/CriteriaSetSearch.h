#pragma once
// The automatic search restricted to the ranges that pass a criteria set on
// the standard statistics.

#include <cstddef>
#include <string>

#include "criteria/StatisticCriteria.h"
#include "document/Document.h"

namespace korvanes {

struct CriteriaSetSearch {
    bool chosen = false;        // a passing range was found and is now the document's result
    std::size_t considered = 0;  // ranges the search could choose (those of the range map)
    std::size_t passing = 0;     // of them, those that pass the set
    int tMin = 0;                // °C, the chosen range
    int tMax = 0;
    std::string refused;         // why no range was considered (the range map's reason); empty otherwise
};

// For a document analysed by RunAnalysis with the automatic search: every
// range of its range map is measured against `set` (the SCAT box from the
// set's β), and among those that pass, the one with the largest w (or q,
// when the criteria maximise q) becomes the result: the document is analysed
// again with that range typed (with the check correction the search ended
// with). Equal values keep the earlier range (by tMin, then tMax). When
// none passes, the document keeps its automatic result.
CriteriaSetSearch SearchRangeByCriteriaSet(CKorvanesToolDoc& doc, const StatisticCriteriaSet& set);

}  // namespace korvanes
