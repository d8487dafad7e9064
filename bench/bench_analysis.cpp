// One full analysis run (what every redraw does): classification and
// pairing, the check and tail series, the automatic range search with its
// d(pal) fits, the MT4 check correction where it applies, and the grading.
//
// Specimens: the three example files, a 40-line double-heating specimen and
// a 60-temperature one, both generated here, the latter also as an MT4
// experiment with additivity checks and the automatic check correction on.
// Each benchmark runs the analysis again and again on the same document, as
// repeated redraws of one window do: every run rebuilds all lists from the
// measurements.

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "analysis/AnalysisRun.h"
#include "document/Coordinates.h"
#include "document/Document.h"

namespace korvanes {
namespace {

// A smooth unblocking spectrum between 20 °C and the Curie temperature, with
// a small deterministic wobble so that no two ranges fit equally well.
struct Experiment {
    double nrm0 = 1500.0;
    double curie = 590.0;
    double shape = 2.2;
    double ratio = 0.8;  // pTRM gained per NRM lost
    double nrmDec = 350.0;
    double nrmInc = 40.0;
    double alteration = 0.0;  // extra pTRM gained per °C above 400, as a fraction

    double Remaining(int t) const
    {
        const double u = std::fmin(std::fmax((t - 20.0) / (curie - 20.0), 0.0), 1.0);
        return nrm0 * (1.0 - std::pow(u, shape)) * (1.0 + 0.006 * std::sin(0.37 * t));
    }
    Vector3 Nrm(int t) const { return VectorFromDirection(nrmDec, nrmInc, Remaining(t)); }
    Vector3 Ptrm(int t) const
    {
        const double grown = t > 400 ? 1.0 + alteration * (t - 400) : 1.0;
        const double gained = ratio * (nrm0 - Remaining(t)) * grown * (1.0 + 0.004 * std::cos(0.53 * t));
        return {0.01 * gained, -0.02 * gained, gained};
    }
};

Vector3 Sum(const Vector3& a, const Vector3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }

CMeasurement Line(double code, const Vector3& v)
{
    const Direction d = DirectionFromVector(v.x, v.y, v.z);
    CMeasurement m;
    m.treatmentCode = static_cast<float>(code);
    m.moment = static_cast<float>(std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z));
    m.declination = static_cast<float>(d.declination);
    m.inclination = static_cast<float>(d.inclination);
    return m;
}

// NRM at 20 °C, then for every temperature a zero-field and an in-field
// step; a pTRM check back two steps after every `checkEvery`-th in-field
// step, a tail check after every `tailEvery`-th (0: none) and, for MT4, an
// additivity check back two steps after every third.
std::vector<CMeasurement> Generate(const Experiment& e, const std::vector<int>& temperatures, int checkEvery,
                                   int tailEvery, bool additivity)
{
    std::vector<CMeasurement> lines;
    lines.push_back(Line(20.0, e.Nrm(20)));
    for (std::size_t i = 0; i < temperatures.size(); ++i) {
        const int t = temperatures[i];
        lines.push_back(Line(t, e.Nrm(t)));
        if (i >= 2 && checkEvery > 0 && i % static_cast<std::size_t>(checkEvery) == 0) {
            const int back = temperatures[i - 2];
            lines.push_back(Line(back + 0.12, Sum(e.Nrm(t), e.Ptrm(back))));
        }
        lines.push_back(Line(t + 0.11, Sum(e.Nrm(t), e.Ptrm(t))));
        if (tailEvery > 0 && i % static_cast<std::size_t>(tailEvery) == static_cast<std::size_t>(tailEvery - 1)) {
            const Vector3 n = e.Nrm(t);
            lines.push_back(Line(t + 0.13, {n.x * 1.01, n.y * 1.01, n.z * 1.01}));
        }
        if (additivity && i >= 2 && i % 3 == 1) {
            // In-field at t minus the pTRM between the step two below and t.
            const int back = temperatures[i - 2];
            const Vector3 p = e.Ptrm(t);
            const Vector3 q = e.Ptrm(back);
            lines.push_back(Line(back + 0.14, Sum(e.Nrm(t), {p.x - q.x, p.y - q.y, p.z - q.z})));
        }
    }
    return lines;
}

std::vector<int> Temperatures(int count, int from, int to)
{
    std::vector<int> t;
    for (int i = 0; i < count; ++i) {
        t.push_back(from + (to - from) * i / (count - 1));
    }
    return t;
}

// 40 lines: NRM, 16 temperatures with zero-field and in-field steps, five
// pTRM checks and two tail checks (MT3).
CKorvanesToolDoc FortyLineSpecimen()
{
    CKorvanesToolDoc doc;
    doc.m_measurements = Generate(Experiment{}, Temperatures(16, 100, 580), 3, 8, false);
    return doc;
}

// 60 temperatures with pTRM checks after every second step (MT1).
CKorvanesToolDoc SixtyStepSpecimen()
{
    CKorvanesToolDoc doc;
    doc.m_measurements = Generate(Experiment{}, Temperatures(60, 60, 585), 2, 0, false);
    return doc;
}

// 60 temperatures, MT4: pTRM and additivity checks, a little alteration
// above 400 °C, and the automatic check correction allowed and switched on.
CKorvanesToolDoc SixtyStepMt4Specimen()
{
    Experiment e;
    e.alteration = 0.0004;
    CKorvanesToolDoc doc;
    doc.m_criteria.allowMt4CheckCorrection = 1;
    doc.m_options.m_includeCheckCorrection = 1;
    doc.m_measurements = Generate(e, Temperatures(60, 60, 585), 2, 0, true);
    return doc;
}

CKorvanesToolDoc ExampleFile(const char* name)
{
    CKorvanesToolDoc doc;
    doc.Open(std::string(KORVANES_SOURCE_DIR) + "/examples/" + name);
    return doc;
}

void RunRepeatedly(benchmark::State& state, CKorvanesToolDoc doc)
{
    if (doc.m_measurements.empty()) {
        state.SkipWithError("the specimen has no measurement");
        return;
    }
    // Every run starts from the options the user set; the MT4 correction
    // flag that a run may leave behind is part of that state, as in a window.
    RunAnalysis(doc);
    for (auto _ : state) {
        RunAnalysis(doc);
        benchmark::DoNotOptimize(doc.m_result.paleointensity);
    }
    state.counters["lines"] = static_cast<double>(doc.m_measurements.size());
    state.counters["zeroField"] = static_cast<double>(doc.m_zeroFieldSteps.size());
    state.counters["B"] = doc.m_result.paleointensity;
}

void BM_AnalysisBasaltMt1(benchmark::State& state) { RunRepeatedly(state, ExampleFile("basalt-mt1.kvd")); }
void BM_AnalysisTuffMt3(benchmark::State& state) { RunRepeatedly(state, ExampleFile("tuff-mt3.kvd")); }
void BM_AnalysisAndesiteMt4(benchmark::State& state) { RunRepeatedly(state, ExampleFile("andesite-mt4.kvd")); }
void BM_AnalysisFortyLines(benchmark::State& state) { RunRepeatedly(state, FortyLineSpecimen()); }
void BM_AnalysisSixtySteps(benchmark::State& state) { RunRepeatedly(state, SixtyStepSpecimen()); }
void BM_AnalysisSixtyStepsMt4Corrected(benchmark::State& state) { RunRepeatedly(state, SixtyStepMt4Specimen()); }

BENCHMARK(BM_AnalysisBasaltMt1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AnalysisTuffMt3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AnalysisAndesiteMt4)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AnalysisFortyLines)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AnalysisSixtySteps)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AnalysisSixtyStepsMt4Corrected)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace korvanes
