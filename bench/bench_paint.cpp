// One paint of the all-plots page onto the recording surface, for a
// 20-step double-heating specimen: the analysis run and the four diagrams.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>

#include "plots/PaintSequence.h"
#include "plots/RecordingSurface.h"

namespace korvanes {
namespace {

constexpr double kRad = 3.141592653589793 / 180.0;

struct Vec {
    double x, y, z;
};

Vec Add(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
double Length(Vec v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

// The remaining NRM after heating to T: an unblocking spectrum between 20 and 600 °C.
Vec Nrm(int temperature)
{
    const double remaining = 1.0 - std::pow((temperature - 20) / 600.0, 2.0);
    const double moment = 850.0 * std::max(remaining, 0.02);
    return {moment * std::cos(45 * kRad) * std::cos(10 * kRad), moment * std::cos(45 * kRad) * std::sin(10 * kRad),
            moment * std::sin(45 * kRad)};
}

// pTRM gained up to T in a field along +z, a little weaker than the NRM lost.
Vec Ptrm(int temperature) { return {0.0, 0.0, 0.8 * (850.0 - Length(Nrm(temperature)))}; }

CMeasurement MeasurementOf(double code, Vec v)
{
    CMeasurement m;
    m.treatmentCode = static_cast<float>(code);
    m.moment = static_cast<float>(Length(v));
    m.inclination = static_cast<float>(std::asin(v.z / Length(v)) / kRad);
    m.declination = static_cast<float>(std::atan2(v.y, v.x) / kRad);
    return m;
}

CStepVector StepOf(Vec v, int type, int temperature, int stepTemperature)
{
    CStepVector s;
    s.x = v.x;
    s.y = v.y;
    s.z = v.z;
    s.magnitude = Length(v);
    s.stepType = type;
    s.temperature = temperature;
    s.stepTemperature = stepTemperature;
    return s;
}

// Twenty temperatures with zero-field and in-field steps, a pTRM check after
// every third and a tail check after every fourth. The derived lists are filled
// as well, so that the page has its points even where the analysis is not run.
CKorvanesToolDoc TwentyStepSpecimen()
{
    CKorvanesToolDoc doc;
    doc.m_header.m_specimenName = "BR07-3a";
    doc.m_options.m_plotType = kAllPlots;
    CPlotBounds& b = doc.m_plotBounds;
    b.minTemperature = 1000000;
    b.maxTemperature = -1000000;
    b.minNrm = b.minX = b.minY = b.minZ = b.minHorizontal = 1000000.0;
    b.maxNrm = b.maxPtrm = b.maxX = b.maxY = b.maxZ = b.maxHorizontal = -1000000.0;

    std::vector<int> temperatures;
    for (int i = 0; i < 20; ++i) {
        temperatures.push_back(i == 0 ? 20 : 100 + 25 * (i - 1));
    }
    doc.m_ptrmGained.push_back(StepOf({0, 0, 0}, kInField, 20, 20));
    for (std::size_t i = 0; i < temperatures.size(); ++i) {
        const int t = temperatures[i];
        const Vec n = Nrm(t);
        const Vec p = Ptrm(t);
        doc.m_measurements.push_back(MeasurementOf(t, n));
        doc.m_zeroFieldSteps.push_back(StepOf(n, kZeroField, t, t));
        b.minTemperature = std::min(b.minTemperature, t);
        b.maxTemperature = std::max(b.maxTemperature, t);
        b.maxNrm = std::max(b.maxNrm, Length(n));
        b.minNrm = std::min(b.minNrm, Length(n));
        b.maxX = std::max(b.maxX, n.x);
        b.minX = std::min(b.minX, n.x);
        b.maxY = std::max(b.maxY, n.y);
        b.minY = std::min(b.minY, n.y);
        b.maxZ = std::max(b.maxZ, n.z);
        b.minZ = std::min(b.minZ, n.z);
        b.maxHorizontal = std::max(b.maxHorizontal, std::hypot(n.x, n.y));
        b.minHorizontal = std::min(b.minHorizontal, std::hypot(n.x, n.y));
        if (i == 0) {
            continue;
        }
        doc.m_measurements.push_back(MeasurementOf(t + 0.11, Add(n, p)));
        doc.m_ptrmGained.push_back(StepOf(p, kInField, t, t));
        b.maxPtrm = std::max(b.maxPtrm, Length(p));
        if (i >= 3 && i % 3 == 0) {
            const int checked = temperatures[i - 2];
            const Vec check = Add(n, Ptrm(checked));
            doc.m_measurements.push_back(MeasurementOf(checked + 0.12, check));
            doc.m_ptrmChecks.push_back(StepOf(Ptrm(checked), kPtrmCheck, t, checked));
            CStepVector diff = StepOf({0, 0, 0.01 * Length(p)}, kPtrmCheck, t, checked);
            diff.magnitude = 0.01 * Length(p) * ((i % 2 == 0) ? 1 : -1);
            doc.m_ptrmCheckDiffs.push_back(diff);
            b.maxCheckDifference = std::max(b.maxCheckDifference, std::fabs(diff.magnitude));
        }
        if (i % 4 == 0) {
            const Vec tail = {n.x * 0.98, n.y * 0.98, n.z * 0.98};
            doc.m_measurements.push_back(MeasurementOf(t + 0.13, tail));
            doc.m_tailChecks.push_back(StepOf(tail, kTailCheck, t, t));
            CStepVector stat = StepOf({1.0, 0.5, 1.5}, kZeroField, t, t);
            stat.magnitude = 2.0 * Length(n) / 850.0;
            doc.m_tailCheckStats.push_back(stat);
            b.maxTailDTR = std::max(b.maxTailDTR, stat.magnitude);
            b.maxTailTStar = std::max(b.maxTailTStar, stat.z);
        }
    }
    doc.m_result.trm = b.maxPtrm;
    doc.m_result.paleointensity = 28.0;
    doc.m_result.stdDev = 0.9;
    doc.m_result.slope = -0.8;
    doc.m_result.fitXFrom = 0.0;
    doc.m_result.fitXTo = b.maxPtrm;
    doc.m_result.meanPtrm = b.maxPtrm / 2;
    doc.m_result.meanNrm = 425.0;
    doc.m_result.decAnchored = 10.0;
    doc.m_result.incAnchored = 45.0;
    return doc;
}

void BM_PaintAllPlotsPage(benchmark::State& state)
{
    const FixedAdvanceMeasurer measurer;
    RecordingSurface surface(measurer);
    CKorvanesToolDoc doc = TwentyStepSpecimen();
    for (auto _ : state) {
        surface.Clear();
        PaintPlot(surface, doc, {1000, 800});
        benchmark::DoNotOptimize(surface.Primitives().data());
    }
    state.counters["primitives"] = static_cast<double>(surface.Primitives().size());
}
BENCHMARK(BM_PaintAllPlotsPage);

}  // namespace
}  // namespace korvanes
