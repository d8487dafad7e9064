// One full analysis run (what every redraw does): classification and
// pairing, the check and tail series, the automatic range search with its
// d(pal) fits, the MT4 check correction where it applies, and the grading.
//
// Specimens: the three example files (14 and 15 zero-field steps), two
// real-shaped 12-step specimens (the Coe and the IZZI order), a
// 40-line double-heating specimen and a 60-temperature one, both generated
// here, the latter also as an MT4 experiment with additivity checks and the
// automatic check correction on, and a 1,000-step specimen (the most the
// analysis limits accept), opened from its file bytes as any file is. And
// the range map of the 60-step specimen.
// Each benchmark runs the analysis again and again on the same document, as
// repeated redraws of one window do: every run rebuilds all lists from the
// measurements.

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "RealShapedSpecimen.h"
#include "analysis/AnalysisRun.h"
#include "analysis/RangeMap.h"
#include "document/Coordinates.h"
#include "document/Document.h"
#include "plots/Plots.h"
#include "plots/RecordingSurface.h"
#include "support/SyntheticSpecimen.h"
#include "text/TextEncoding.h"

namespace korvanes {
namespace {

using synthetic::Experiment;
using synthetic::Generate;
using synthetic::Temperatures;

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

// 999 temperatures one °C apart and the NRM step: 1,000 zero-field steps,
// with pTRM checks after every second step and tail checks after every
// tenth, read from the bytes of its data file.
CKorvanesToolDoc ThousandStepSpecimen()
{
    Experiment e;
    e.curie = 1070.0;
    std::string bytes = "Korvanes-kvd\n35 0 0 0 0\n";
    for (const CMeasurement& m : Generate(e, Temperatures(999, 60, 1058), 2, 10, false)) {
        bytes += StringPrintf("S1\t%.2f\t%.6e\t%.4f\t%.4f\n", m.treatmentCode, m.moment, m.declination, m.inclination);
    }
    CKorvanesToolDoc doc;
    doc.OpenData(bytes);
    return doc;
}

// A file as the MagIC import writes a published specimen: 12 zero-field
// steps, 29 lines (RealShapedSpecimen.h), in the Coe or the IZZI order.
CKorvanesToolDoc RealShaped(bool izzi)
{
    std::mt19937 random(izzi ? 2 : 1);
    CKorvanesToolDoc doc;
    doc.OpenData(bench::RealShapedSpecimen(7, {12, izzi}, random));
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
void BM_AnalysisRealShaped12Coe(benchmark::State& state) { RunRepeatedly(state, RealShaped(false)); }
void BM_AnalysisRealShaped12Izzi(benchmark::State& state) { RunRepeatedly(state, RealShaped(true)); }
void BM_AnalysisFortyLines(benchmark::State& state) { RunRepeatedly(state, FortyLineSpecimen()); }
void BM_AnalysisSixtySteps(benchmark::State& state) { RunRepeatedly(state, SixtyStepSpecimen()); }
void BM_AnalysisSixtyStepsMt4Corrected(benchmark::State& state) { RunRepeatedly(state, SixtyStepMt4Specimen()); }
void BM_AnalysisThousandSteps(benchmark::State& state) { RunRepeatedly(state, ThousandStepSpecimen()); }

// The range map of the 60-step specimen: every range evaluated as a typed
// one and graded, and the diagram drawn (on the recording surface).
void BM_RangeMapSixtySteps(benchmark::State& state)
{
    CKorvanesToolDoc doc = SixtyStepSpecimen();
    RunAnalysis(doc);
    FixedAdvanceMeasurer measurer;
    DiagramFrame frame;
    frame.widthUnits = 440;
    frame.heightUnits = 460;
    frame.client = ClientSize{520, 520};
    std::size_t cells = 0;
    for (auto _ : state) {
        const RangeMap map = ComputeRangeMap(doc);
        RecordingSurface surface(measurer);
        DrawRangeMap(surface, frame, map);
        cells = map.cells.size();
        benchmark::DoNotOptimize(surface.Primitives().size());
    }
    state.counters["ranges"] = static_cast<double>(cells);
}

BENCHMARK(BM_AnalysisBasaltMt1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AnalysisTuffMt3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AnalysisAndesiteMt4)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AnalysisRealShaped12Coe)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AnalysisRealShaped12Izzi)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AnalysisFortyLines)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AnalysisSixtySteps)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AnalysisSixtyStepsMt4Corrected)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AnalysisThousandSteps)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RangeMapSixtySteps)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvanes
