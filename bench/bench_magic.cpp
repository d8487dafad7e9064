// The MagIC import of a 100,000-specimen file without writing files, from
// its bytes to every specimen's data-file text, with and without a samples
// table of 100,000 samples (the target: at most 2 s each). Every specimen
// name is longer than a data line holds and all of them meet once cut (the
// names then get "~2" to "~100000"), and every specimen numbers all its
// records 1, so that the order falls back to file order: the inputs that
// made the work grow with the square of the file before.

#include <benchmark/benchmark.h>

#include <string>

#include "magic/MagicFiles.h"
#include "magic/MagicTable.h"
#include "text/TextEncoding.h"

namespace {

constexpr int kSpecimens = 100000;

std::string Name(int i) { return korvanes::StringPrintf("a-long-specimen-name-%06d", i); }

std::string Measurements()
{
    std::string text =
        "tab\tmeasurements\nspecimen\tsample\texperiment\tmethod_codes\ttreat_temp\ttreat_dc_field\tmagn_moment\t"
        "dir_dec\tdir_inc\tsequence\n";
    const char* steps[] = {"LT-NO\t273\t0\t3e-6", "LT-T-Z\t373\t0\t2e-6", "LT-T-I\t373\t3e-5\t3e-6",
                           "LT-T-Z\t473\t0\t1e-6", "LT-T-I\t473\t3e-5\t4e-6"};
    for (int i = 0; i < kSpecimens; ++i) {
        const std::string name = Name(i);
        const std::string start = name + "\tsa" + std::to_string(i) + '\t' + name + ":LP-PI-TRM\t";
        for (const char* step : steps) {
            std::string fields(step);
            const std::size_t tab = fields.find('\t');
            text += start + fields.substr(0, tab) + ":LP-PI-TRM:LP-PI-BT-IZZI" + fields.substr(tab) + "\t12\t34\t1\n";
        }
    }
    return text;
}

std::string Samples()
{
    std::string text = "tab\tsamples\nsample\tsite\tazimuth\tdip\tmethod_codes\n";
    for (int i = kSpecimens - 1; i >= 0; --i) {
        text += "sa" + std::to_string(i) + "\tsite" + std::to_string(i % 100) + "\t120\t-30\tSO-SUN\n";
    }
    return text;
}

void Import(benchmark::State& state, bool withSamples)
{
    const std::string measurements = Measurements();
    const std::string samples = Samples();
    for (auto _ : state) {
        const korvanes::magic::MagicText m = korvanes::magic::ParseMagicText(measurements);
        korvanes::magic::MagicTexts texts;
        texts.measurements = &m;
        texts.measurementsName = "measurements.txt";
        korvanes::magic::MagicText s;
        if (withSamples) {
            s = korvanes::magic::ParseMagicText(samples);
            texts.samples = &s;
            texts.samplesName = "samples.txt";
        }
        const korvanes::magic::MagicImport imported = korvanes::magic::ImportMagicTexts(texts);
        if (imported.specimens.size() != static_cast<std::size_t>(kSpecimens)) {
            state.SkipWithError("not every specimen was imported");
        }
        benchmark::DoNotOptimize(imported.specimens.back().dataFile.data());
    }
    state.counters["specimens"] = kSpecimens;
}

void BM_MagicImport100000Specimens(benchmark::State& state) { Import(state, false); }
void BM_MagicImport100000SpecimensWithSamples(benchmark::State& state) { Import(state, true); }

}  // namespace

BENCHMARK(BM_MagicImport100000Specimens)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_MagicImport100000SpecimensWithSamples)->Unit(benchmark::kMillisecond)->Iterations(3);
