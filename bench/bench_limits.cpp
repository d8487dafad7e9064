// The largest files the analysis limits let through, and the refusal of
// files beyond them: how long an analysis run and a paint of every diagram
// take, and how much they draw. These are the cases that bound the work of
// a repaint on any file.
//
// Counters: zeroField (steps), marks (Arai marks counted by the limit
// check), primitives (recorded drawing calls of the all-plots page and the
// Arai diagram alone), emfBytes (the Arai diagram as a metafile).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "analysis/AnalysisLimits.h"
#include "analysis/AnalysisRun.h"
#include "document/Coordinates.h"
#include "emf/EmfWriter.h"
#include "plots/Plots.h"
#include "plots/RecordingSurface.h"
#include "support/SyntheticSpecimen.h"
#include "text/TextEncoding.h"

namespace korvanes {
namespace {

using synthetic::Experiment;
using synthetic::Generate;
using synthetic::Temperatures;

// The most zero-field steps accepted (the 20 °C NRM step included), one
// every °C up to a Curie temperature just above the last, with a pTRM check
// after every second step and a tail check after every fifth.
Experiment LargestExperiment()
{
    Experiment e;
    e.curie = 60.0 + static_cast<double>(kMaxZeroFieldSteps) + 10.0;
    return e;
}

std::vector<CMeasurement> LargestRegular(bool mt4)
{
    const int temperatures = static_cast<int>(kMaxZeroFieldSteps) - 1;
    Experiment e = LargestExperiment();
    e.alteration = mt4 ? 0.0004 : 0.0;
    return Generate(e, Temperatures(temperatures, 60, 60 + temperatures - 1), 2, mt4 ? 0 : 5, mt4);
}

// The same with a component that does not unblock: the demagnetisation path
// misses the origin, so every range fails alpha (and nothing qualifies),
// while its Arai points lie on a fine line. The search then screens every
// range in full.
std::vector<CMeasurement> LargestFailingAlpha()
{
    const int temperatures = static_cast<int>(kMaxZeroFieldSteps) - 1;
    const Experiment e = LargestExperiment();
    const Vector3 offset = VectorFromDirection(80.0, -10.0, 600.0);
    std::vector<CMeasurement> lines;
    for (const int t : Temperatures(temperatures, 60, 60 + temperatures - 1)) {
        const Vector3 nrm = synthetic::Sum(e.Nrm(t), offset);
        lines.push_back(synthetic::Line(t, nrm));
        lines.push_back(synthetic::Line(t + 0.11, synthetic::Sum(nrm, e.Ptrm(t))));
    }
    return lines;
}

// The most zero-field steps out of temperature order: the search evaluates
// every pair.
std::vector<CMeasurement> LargestUnordered()
{
    const int temperatures = static_cast<int>(kMaxUnorderedZeroFieldSteps) - 1;
    std::vector<CMeasurement> lines =
        Generate(Experiment{}, Temperatures(temperatures, 60, 60 + 2 * temperatures), 2, 5, false);
    std::shuffle(lines.begin(), lines.end(), std::mt19937(7));
    return lines;
}

// Zero-field, in-field and pTRM-check steps repeated `count` times at one
// temperature: the marks of the Arai diagram grow with the sixth power.
std::vector<CMeasurement> Repeats(int count)
{
    std::vector<CMeasurement> lines;
    for (int k = 0; k < count; ++k) {
        for (const float code : {100.0f, 100.11f, 100.12f}) {
            lines.push_back({code, 100.0f + 3.7f * static_cast<float>(lines.size()),
                             40.0f + static_cast<float>(k % 7), 10.0f + static_cast<float>(lines.size())});
        }
    }
    return lines;
}

CKorvanesToolDoc Document(std::vector<CMeasurement> lines)
{
    CKorvanesToolDoc doc;
    doc.m_measurements = std::move(lines);
    return doc;
}

void Analyse(benchmark::State& state, CKorvanesToolDoc doc)
{
    if (const auto refused = AnalysisLimitExceeded(doc.m_measurements)) {
        state.SkipWithError(refused->c_str());
        return;
    }
    for (auto _ : state) {
        CKorvanesToolDoc run = doc;
        RunAnalysis(run);
        benchmark::DoNotOptimize(run.m_result.paleointensity);
    }
    RunAnalysis(doc);
    state.counters["zeroField"] = static_cast<double>(doc.m_zeroFieldSteps.size());
}

void BM_AnalysisLargestRegular(benchmark::State& state) { Analyse(state, Document(LargestRegular(false))); }

// Nothing meets class A or B, for want of the checks: the search runs for
// both classes and evaluates every range in full but for its directions.
void BM_AnalysisLargestNothingQualifies(benchmark::State& state)
{
    CKorvanesToolDoc doc = Document(LargestRegular(false));
    doc.m_criteria.classA.maxCkError = doc.m_criteria.classB.maxCkError = -1;
    Analyse(state, doc);
}

// MT4 with the automatic check correction and nothing qualifying (for want
// of the additivity checks): four searches.
void BM_AnalysisLargestMt4Corrected(benchmark::State& state)
{
    CKorvanesToolDoc doc = Document(LargestRegular(true));
    doc.m_criteria.allowMt4CheckCorrection = 1;
    doc.m_options.m_includeCheckCorrection = 1;
    doc.m_criteria.classA.maxAc = doc.m_criteria.classB.maxAc = -1;
    Analyse(state, doc);
}

void BM_AnalysisLargestFailingAlpha(benchmark::State& state) { Analyse(state, Document(LargestFailingAlpha())); }

// Steps in shuffled order: no range is one block of the list.
void BM_AnalysisLargestShuffled(benchmark::State& state) { Analyse(state, Document(LargestUnordered())); }

void BM_AnalysisMostRepeats(benchmark::State& state) { Analyse(state, Document(Repeats(3))); }

// The most lines: the most zero-field steps with a pTRM check and a tail
// check after each, additivity checks, then further checks of one
// temperature until the line limit.
void BM_AnalysisMostLines(benchmark::State& state)
{
    const int temperatures = static_cast<int>(kMaxZeroFieldSteps) - 1;
    const Experiment e = LargestExperiment();
    std::vector<CMeasurement> lines = Generate(e, Temperatures(temperatures, 60, 60 + temperatures - 1), 1, 1, true);
    const int last = 60 + temperatures - 1;
    while (lines.size() < kMaxMeasurements) {
        lines.push_back(synthetic::Line(last - 1 + 0.12, synthetic::Sum(e.Nrm(last), e.Ptrm(last - 1))));
    }
    Analyse(state, Document(lines));
}

// Every diagram of an analysed document: the all-plots page and the Arai
// diagram on the recording surface, and the Arai diagram as a metafile.
void Paint(benchmark::State& state, CKorvanesToolDoc doc)
{
    if (const auto refused = AnalysisLimitExceeded(doc.m_measurements)) {
        state.SkipWithError(refused->c_str());
        return;
    }
    RunAnalysis(doc);
    FixedAdvanceMeasurer measurer;
    DiagramFrame frame;
    frame.widthUnits = 1000;
    frame.heightUnits = 800;
    frame.fixedLayout = 1;
    std::size_t primitives = 0;
    std::size_t emfBytes = 0;
    for (auto _ : state) {
        RecordingSurface page(measurer);
        DrawAllPlots(page, 1, doc);
        RecordingSurface arai(measurer);
        DrawAraiPlot(arai, frame, doc, doc.m_zeroFieldSteps, doc.m_ptrmGained, doc.m_ptrmChecks,
                     doc.m_additivityResults);
        EmfSurface emf(measurer);
        DrawAraiPlot(emf, frame, doc, doc.m_zeroFieldSteps, doc.m_ptrmGained, doc.m_ptrmChecks,
                     doc.m_additivityResults);
        primitives = page.Primitives().size() + arai.Primitives().size();
        emfBytes = emf.Finish().size();
    }
    state.counters["marks"] = static_cast<double>(
        CountAraiMarks(doc.m_zeroFieldSteps, doc.m_ptrmGained, doc.m_ptrmChecks, doc.m_additivityResults));
    state.counters["primitives"] = static_cast<double>(primitives);
    state.counters["emfBytes"] = static_cast<double>(emfBytes);
}

void BM_PaintLargestMt4(benchmark::State& state) { Paint(state, Document(LargestRegular(true))); }
void BM_PaintMostRepeats(benchmark::State& state) { Paint(state, Document(Repeats(3))); }

// Opening data that is refused: the limit check counts before it builds.
void BM_RefuseRepeatedSteps(benchmark::State& state)
{
    std::string bytes = "Korvanes-kvd\n35 0 0 0 0\n";
    for (const CMeasurement& m : Repeats(static_cast<int>(state.range(0)))) {
        bytes += StringPrintf("H\t%.2f\t%.4f\t%.1f\t%.1f\n", m.treatmentCode, m.moment, m.declination, m.inclination);
    }
    for (auto _ : state) {
        CKorvanesToolDoc doc;
        const OpenStatus status = doc.OpenData(bytes);
        if (status.readable) {
            state.SkipWithError("not refused");
            return;
        }
    }
    state.counters["bytes"] = static_cast<double>(bytes.size());
}

BENCHMARK(BM_AnalysisLargestRegular)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnalysisLargestNothingQualifies)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnalysisLargestMt4Corrected)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnalysisLargestFailingAlpha)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnalysisLargestShuffled)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnalysisMostRepeats)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnalysisMostLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintLargestMt4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintMostRepeats)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefuseRepeatedSteps)->Arg(15)->Arg(63)->Arg(667)->Arg(1666)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvanes
