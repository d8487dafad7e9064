// The site summary of a study of 10,000 analysed specimens (500 sites of 4
// samples of 5 specimens): which specimens count, every sample and site mean,
// the acceptance and the VADM. Target: 20 ms, after the analyses.

#include <benchmark/benchmark.h>

#include "analysis/AnalysisRun.h"
#include "results/Batch.h"
#include "study/SiteTables.h"

namespace {

korvanes::Study AnalysedStudy(int count)
{
    const char* const examples[] = {"basalt-mt1.kvd", "tuff-mt3.kvd", "andesite-mt4.kvd"};
    std::vector<korvanes::CKorvanesToolDoc> analysed;
    for (const char* example : examples) {
        korvanes::CKorvanesToolDoc doc(korvanes::StartupCriteria());
        doc.Open(std::string(KORVANES_SOURCE_DIR "/examples/") + example);
        korvanes::RunAnalysis(doc);
        analysed.push_back(std::move(doc));
    }
    korvanes::Study study;
    study.specimens.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        korvanes::StudySpecimen& s = study.specimens[static_cast<std::size_t>(i)];
        s.site = "site" + std::to_string(i / 20);
        s.sample = s.site + "-" + std::to_string(i / 5 % 4);
        s.name = s.sample + "-" + std::to_string(i % 5);
        s.doc = analysed[static_cast<std::size_t>(i % 3)];
        s.rejected = i % 17 == 0;
    }
    for (int site = 0; site < count / 20; site += 2) {
        study.magicPlaces["site" + std::to_string(site)].lat = -60.0 + site % 120;
    }
    return study;
}

void BM_SiteSummaryOf10000Specimens(benchmark::State& state)
{
    static const korvanes::Study study = AnalysedStudy(10000);
    const korvanes::SiteMeanSettings settings;
    for (auto _ : state) {
        const korvanes::SiteSummary summary = korvanes::SummariseStudy(study, settings, {});
        benchmark::DoNotOptimize(summary.sites.data());
    }
}
BENCHMARK(BM_SiteSummaryOf10000Specimens)->Unit(benchmark::kMillisecond);

}  // namespace
