#pragma once
// Acceptance criteria of class A and class B and the options of the
// automatic range search.

#include <cstdint>

namespace korvanes {

struct ClassThresholds {
    std::int32_t minN = 0;
    double maxSlopeRelStd = 0.0;
    double minF = 0.0;
    std::int32_t minQ = 0;
    std::int32_t maxMad = 0;
    std::int32_t maxMadFree = 0;
    std::int32_t maxAlpha = 0;
    std::int32_t maxCkError = 0;
    std::int32_t maxCkDiff = 0;
    std::int32_t maxDrat = 0;
    std::int32_t maxTailStar = 0;
    std::int32_t maxIntensityDiff = 0;
    std::int32_t maxAc = 0;

    bool operator==(const ClassThresholds&) const = default;
};

struct CCriteriaSet {
    ClassThresholds classA;
    ClassThresholds classB;
    std::int32_t maximizeQ = 0;                // 0 maximise w, 1 maximise q
    std::int32_t allowMt4CheckCorrection = 0;  // offer the automatic MT4 check correction
    std::int32_t equalAraiScales = 0;          // one scale for both Arai axes

    bool operator==(const CCriteriaSet&) const = default;
};

// The values a freshly started program uses (class B intensity difference 15).
CCriteriaSet StartupCriteria();
// The values the "Default" button sets (class B intensity difference 20).
CCriteriaSet DefaultCriteria();

}  // namespace korvanes
