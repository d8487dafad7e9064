// Cost of one range evaluation (line fit, quality factors, both directional
// fits and the range statistics) and of one directional fit, on a specimen of
// 15 double-heating steps with pTRM, tail and additivity checks.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "analysis/AraiFit.h"
#include "analysis/DirectionalFit.h"
#include "document/Coordinates.h"
#include "document/Document.h"

namespace korvanes {
namespace {

constexpr int kSteps[] = {20, 100, 150, 200, 250, 300, 350, 400, 450, 500, 525, 550, 575, 600, 650};
constexpr int kStepCount = sizeof(kSteps) / sizeof(kSteps[0]);

CStepVector Vector(const Vector3& v, int type, int temperature, int stepTemperature)
{
    CStepVector item;
    item.x = v.x;
    item.y = v.y;
    item.z = v.z;
    item.magnitude = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    item.stepType = type;
    item.temperature = temperature;
    item.stepTemperature = stepTemperature;
    return item;
}

// The derived lists of an MT4-like specimen: a slightly curved NRM decay
// along D 340 / I 55, pTRM gained along the laboratory field (z), checks
// with a few per cent alteration, tail checks every third step.
CKorvanesToolDoc Specimen()
{
    CKorvanesToolDoc doc;
    doc.m_header.m_labField = 40.0f;
    const double nrm0 = 850.0;
    for (int k = 0; k < kStepCount; ++k) {
        const double fraction = static_cast<double>(k) / (kStepCount - 1);
        const double remaining = nrm0 * (1.0 - std::pow(fraction, 1.3)) + 4.0 * std::sin(k * 1.7);
        const double gained = 0.9 * nrm0 * fraction + 3.0 * std::cos(k * 2.3);
        const Vector3 n = VectorFromDirection(340.0 + 0.8 * std::sin(k), 55.0 + 0.6 * std::cos(k), remaining);
        doc.m_zeroFieldSteps.push_back(Vector(n, kZeroField, kSteps[k], kSteps[k]));
        doc.m_ptrmGained.push_back(Vector({0.02 * gained, -0.01 * gained, k == 0 ? 0.0 : gained}, kInField,
                                          kSteps[k], kSteps[k]));
        if (k >= 2) {
            CStepVector diff = Vector({0.0, 0.0, 0.03 * gained}, 1, kSteps[k], kSteps[k - 1]);
            diff.magnitude = 0.03 * gained * (k % 2 == 0 ? 1.0 : -1.0);
            doc.m_ptrmCheckDiffs.push_back(diff);
        }
        if (k % 3 == 2) {
            CStepVector tail = Vector({1.0, 0.5, 2.0}, 0, kSteps[k], kSteps[k]);
            tail.magnitude = 0.5 * k;
            doc.m_tailCheckStats.push_back(tail);
            CStepVector additivity = Vector({gained, gained, gained}, kAdditivityCheck, kSteps[k],
                                            kSteps[k - 2]);
            additivity.magnitude = 0.02 * gained;
            doc.m_additivityResults.push_back(additivity);
        }
    }
    CPlotBounds& b = doc.m_plotBounds;
    b.minTemperature = kSteps[0];
    b.maxTemperature = kSteps[kStepCount - 1];
    b.maxNrm = doc.m_zeroFieldSteps.front().magnitude;
    b.maxPtrm = doc.m_ptrmGained.back().magnitude;
    b.maxTailTStar = 1.5;
    return doc;
}

void BM_EvaluateRangeWithChecks(benchmark::State& state)
{
    CKorvanesToolDoc doc = Specimen();
    for (auto _ : state) {
        EvaluateRange(doc, 150, 575, doc.m_zeroFieldSteps, doc.m_ptrmGained);
        EvaluateRangeChecks(doc, 41.0, doc.m_result.tMax);
        benchmark::DoNotOptimize(doc.m_result.paleointensity);
        benchmark::DoNotOptimize(doc.m_result.dAC);
    }
}
BENCHMARK(BM_EvaluateRangeWithChecks);

void BM_FitDirectionFifteenPoints(benchmark::State& state)
{
    const CKorvanesToolDoc doc = Specimen();
    for (auto _ : state) {
        const DirectionFit fit = FitDirection(0, 1000, doc.m_zeroFieldSteps, FitMode::kFree);
        benchmark::DoNotOptimize(fit.mad);
    }
}
BENCHMARK(BM_FitDirectionFifteenPoints);

}  // namespace
}  // namespace korvanes
