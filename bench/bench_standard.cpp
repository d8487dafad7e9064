// Cost of the standard paleointensity statistics: all of them for one range
// of a 15-step and of a 60-step specimen (targets 5 µs and 30 µs, the shared
// preparation included), and the range map of a 60-step specimen with them
// for every range (target 20 ms). The specimens carry pTRM, tail and
// additivity checks.
#include <benchmark/benchmark.h>

#include "analysis/AnalysisRun.h"
#include "analysis/RangeMap.h"
#include "analysis/StandardStatistics.h"
#include "support/SyntheticSpecimen.h"

namespace korvanes {
namespace {

using synthetic::Experiment;
using synthetic::Generate;
using synthetic::Temperatures;

CKorvanesToolDoc Analysed(int steps)
{
    CKorvanesToolDoc doc;
    Experiment e;
    e.alteration = 0.002;
    // One temperature less than the steps: the NRM at 20 °C is the first.
    doc.m_measurements = Generate(e, Temperatures(steps - 1, 100, 585), 2, 3, true);
    RunAnalysis(doc);
    return doc;
}

void OneRange(benchmark::State& state)
{
    const CKorvanesToolDoc doc = Analysed(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const StandardStatistics st = StandardStatisticsOfResult(doc);
        benchmark::DoNotOptimize(st);
    }
}
BENCHMARK(OneRange)->Arg(15)->Arg(60)->Unit(benchmark::kMicrosecond);

// The shared preparation once, then every range of the map.
void RangeMapWithStandard(benchmark::State& state)
{
    const CKorvanesToolDoc doc = Analysed(60);
    for (auto _ : state) {
        const RangeMap map = ComputeRangeMap(doc);
        const StandardStatisticsInput input = PrepareStandardStatistics(doc);
        double sum = 0.0;
        for (const RangeMapCell& cell : map.cells) {
            sum += ComputeStandardStatistics(input, cell.tMin, cell.tMax)[StandardStatistic::kFrac].value_or(0.0);
        }
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(RangeMapWithStandard)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvanes
