#include "criteria/CriteriaSet.h"

namespace korvanes {

CCriteriaSet DefaultCriteria()
{
    CCriteriaSet set;
    ClassThresholds& a = set.classA;
    a.minN = 5;
    a.maxSlopeRelStd = 0.1;
    a.minF = 0.3;
    a.minQ = 1;
    a.maxMad = 6;
    a.maxMadFree = 999;
    a.maxAlpha = 15;
    a.maxCkError = 5;
    a.maxCkDiff = 5;
    a.maxDrat = 999;
    a.maxTailStar = 3;
    a.maxIntensityDiff = 10;
    a.maxAc = 5;

    ClassThresholds& b = set.classB;
    b.minN = 5;
    b.maxSlopeRelStd = 0.15;
    b.minF = 0.3;
    b.minQ = 0;
    b.maxMad = 15;
    b.maxMadFree = 999;
    b.maxAlpha = 15;
    b.maxCkError = 7;
    b.maxCkDiff = 10;
    b.maxDrat = 999;
    b.maxTailStar = 5;
    b.maxIntensityDiff = 20;
    b.maxAc = 10;
    return set;
}

CCriteriaSet StartupCriteria()
{
    CCriteriaSet set = DefaultCriteria();
    set.classB.maxIntensityDiff = 15;
    return set;
}

}  // namespace korvanes
