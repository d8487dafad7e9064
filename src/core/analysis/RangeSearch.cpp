#include "analysis/RangeSearch.h"

namespace korvanes {
namespace {

// Every test of one class block; all bounds inclusive, whole-number limits
// compared as doubles. maxMadFree is deliberately not tested. A NaN statistic
// fails its test.
bool MeetsClass(const CSpecimenResult& r, const ClassThresholds& t)
{
    return r.n >= t.minN &&
           r.slopeRelStd <= t.maxSlopeRelStd &&
           r.f >= t.minF &&
           r.q >= static_cast<double>(t.minQ) &&
           r.madAnchored <= static_cast<double>(t.maxMad) &&
           r.ckError <= static_cast<double>(t.maxCkError) &&
           r.ckDiff <= static_cast<double>(t.maxCkDiff) &&
           r.dAC <= static_cast<double>(t.maxAc) &&
           r.dTR <= static_cast<double>(t.maxIntensityDiff) &&
           r.drat <= static_cast<double>(t.maxDrat) &&
           r.alpha <= static_cast<double>(t.maxAlpha) &&
           r.dTStar <= static_cast<double>(t.maxTailStar);
}

}  // namespace

int GradeResult(const CSpecimenResult& result, const CCriteriaSet& criteria)
{
    if (MeetsClass(result, criteria.classA)) {
        return kClassA;
    }
    if (MeetsClass(result, criteria.classB)) {
        return kClassB;
    }
    return kClassC;
}

void SearchRange(CKorvanesToolDoc&, int) {}

}  // namespace korvanes
