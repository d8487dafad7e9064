#pragma once
// The screened automatic search against the exhaustive one (every pair
// evaluated in order), which the screen must equal bit for bit: shared by
// the analysis tests and the search fuzz target.

#include <cstring>
#include <iterator>
#include <string>

#include "analysis/RangeSearch.h"
#include "document/Document.h"

namespace korvanes {

inline bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Both searches on copies of an analysed document, for class A, for class
// A or B, and as the analysis runs them (class A, then A or B when nothing
// meets A, with what the first search prepared kept for the second): what
// differs between them (empty when every value of the result agrees bit for
// bit). `found` receives the screened result of the class A or B search.
inline std::string SearchDifference(const CKorvanesToolDoc& analysed, CSpecimenResult* found = nullptr)
{
    constexpr int kAThenB = 2;
    for (const int classLimit : {static_cast<int>(kClassA), static_cast<int>(kClassB), kAThenB}) {
        CKorvanesToolDoc screened = analysed;
        CKorvanesToolDoc exhaustive = analysed;
        if (classLimit == kAThenB) {
            SearchClassAThenB(screened);
            SearchRange(exhaustive, kClassA, SearchMethod::kExhaustive);
            if (exhaustive.m_result.paleointensity == 0.0) {
                SearchRange(exhaustive, kClassB, SearchMethod::kExhaustive);
            }
        } else {
            SearchRange(screened, classLimit, SearchMethod::kScreened);
            SearchRange(exhaustive, classLimit, SearchMethod::kExhaustive);
        }
        const CSpecimenResult& a = screened.m_result;
        const CSpecimenResult& b = exhaustive.m_result;
        const std::string where = "class limit " + std::to_string(classLimit) + ": ";
        if (a.tMin != b.tMin || a.tMax != b.tMax || a.n != b.n) {
            return where + "range " + std::to_string(a.tMin) + "-" + std::to_string(a.tMax) + " (" +
                   std::to_string(a.n) + " points) vs " + std::to_string(b.tMin) + "-" + std::to_string(b.tMax) +
                   " (" + std::to_string(b.n) + " points)";
        }
        const double va[] = {a.slope, a.slopeRelStd, a.trm, a.nrmT, a.f, a.g, a.q, a.w, a.paleointensity,
                             a.stdDev, a.fitXFrom, a.fitXTo, a.fitLength, a.meanPtrm, a.meanNrm, a.madAnchored,
                             a.decAnchored, a.incAnchored, a.madFree, a.decFree, a.incFree, a.alpha, a.ckError,
                             a.ckDiff, a.drat, a.dTR, a.dTStar, a.dAC};
        const double vb[] = {b.slope, b.slopeRelStd, b.trm, b.nrmT, b.f, b.g, b.q, b.w, b.paleointensity,
                             b.stdDev, b.fitXFrom, b.fitXTo, b.fitLength, b.meanPtrm, b.meanNrm, b.madAnchored,
                             b.decAnchored, b.incAnchored, b.madFree, b.decFree, b.incFree, b.alpha, b.ckError,
                             b.ckDiff, b.drat, b.dTR, b.dTStar, b.dAC};
        for (std::size_t k = 0; k < std::size(va); ++k) {
            if (!SameBits(va[k], vb[k])) {
                return where + "value " + std::to_string(k) + ": " + std::to_string(va[k]) + " vs " +
                       std::to_string(vb[k]);
            }
        }
        if (found != nullptr && classLimit == kClassB) {
            *found = a;
        }
    }
    return {};
}

}  // namespace korvanes
