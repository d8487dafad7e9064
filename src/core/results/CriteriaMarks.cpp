#include "results/CriteriaMarks.h"

namespace korvanes {
namespace {

enum class Bound { kLower, kUpper };

bool Passes(double value, double limit, Bound bound)
{
    return bound == Bound::kLower ? value >= limit : value <= limit;
}

MarkedStatistic Mark(int controlId, const char* label, double value, double limitA, double limitB, Bound bound)
{
    MarkedStatistic s;
    s.controlId = controlId;
    s.label = label;
    s.value = value;
    if (!Passes(value, limitB, bound)) {
        s.mark = CriteriaMark::kRed;
    } else if (!Passes(value, limitA, bound)) {
        s.mark = CriteriaMark::kYellow;
    }
    return s;
}

}  // namespace

std::vector<MarkedStatistic> CriteriaMarks(const CSpecimenResult& r, const CCriteriaSet& c)
{
    const ClassThresholds& a = c.classA;
    const ClassThresholds& b = c.classB;
    const Bound lower = Bound::kLower;
    const Bound upper = Bound::kUpper;
    return {
        Mark(1021, "N", r.n, a.minN, b.minN, lower),
        Mark(1023, "Std/slope", r.slopeRelStd, a.maxSlopeRelStd, b.maxSlopeRelStd, upper),
        Mark(1025, "f", r.f, a.minF, b.minF, lower),
        Mark(1027, "q", r.q, a.minQ, b.minQ, lower),
        Mark(1036, "MAD", r.madAnchored, a.maxMad, b.maxMad, upper),
        Mark(1043, "MAD'", r.madFree, a.maxMadFree, b.maxMadFree, upper),
        Mark(1074, "Alpha", r.alpha, a.maxAlpha, b.maxAlpha, upper),
        Mark(1031, "d(CK)", r.ckError, a.maxCkError, b.maxCkError, upper),
        Mark(1032, "d(pal)", r.ckDiff, a.maxCkDiff, b.maxCkDiff, upper),
        Mark(1075, "Drat", r.drat, a.maxDrat, b.maxDrat, upper),
        Mark(1038, "d(AC)", r.dAC, a.maxAc, b.maxAc, upper),
        Mark(1040, "d(TR)", r.dTR, a.maxIntensityDiff, b.maxIntensityDiff, upper),
        Mark(1077, "d(t*)", r.dTStar, a.maxTailStar, b.maxTailStar, upper),
    };
}

const char* CriteriaMarkName(CriteriaMark mark)
{
    switch (mark) {
    case CriteriaMark::kYellow:
        return "yellow";
    case CriteriaMark::kRed:
        return "red";
    case CriteriaMark::kNone:
        break;
    }
    return "none";
}

}  // namespace korvanes
