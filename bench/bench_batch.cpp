// One batch run over 10,000 specimen files into a fresh results file, with
// one job and with as many as there are processors, for two kinds of files
// made by small generators in a temporary folder:
// - ideal: a double-heating experiment (NRM 20 °C, twelve temperature steps
//   with a zero-field and an in-field measurement each, pTRM checks after
//   every second step and a few tail checks; 35 data lines) with a little
//   noise, so that the analysis has realistic work to do;
// - real-shaped: files as the MagIC import writes them from published
//   specimens (RealShapedSpecimen.h), 12 zero-field steps, half of them in
//   the Coe order and half IZZI, 29 data lines.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "RealShapedSpecimen.h"
#include "io/FileRead.h"
#include "results/Batch.h"

namespace {

constexpr int kSpecimens = 10000;
constexpr double kPi = 3.141592653589793;

struct Vec {
    double x, y, z;
};

Vec Add(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec Scale(Vec a, double s) { return {a.x * s, a.y * s, a.z * s}; }

std::string DataLine(const std::string& name, const std::string& code, Vec v)
{
    const double m = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    double dec = std::atan2(v.y, v.x) * 180.0 / kPi;
    if (dec < 0.0) {
        dec += 360.0;
    }
    const double inc = m > 0.0 ? std::asin(v.z / m) * 180.0 / kPi : 0.0;
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, "%s\t%s\t%.4E\t%.1f\t%.1f\n", name.c_str(), code.c_str(), m, dec, inc);
    return buffer;
}

std::string Code(int temperature, const char* suffix) { return std::to_string(temperature) + suffix; }

// One specimen file of 35 lines.
std::string MakeSpecimen(int index, std::mt19937& random)
{
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::normal_distribution<double> noise(0.0, 0.004);
    const std::string name = "BS" + std::to_string(index);
    const double labField = 35.0;
    const double ancientField = 15.0 + 50.0 * unit(random);
    const double nrm0 = 200.0 + 800.0 * unit(random);
    const double dec = 360.0 * unit(random) * kPi / 180.0;
    const double inc = (20.0 + 50.0 * unit(random)) * kPi / 180.0;
    const Vec nrmDir{std::cos(inc) * std::cos(dec), std::cos(inc) * std::sin(dec), std::sin(inc)};
    const Vec labDir{0.0, 0.0, 1.0};
    const double curie = 580.0;
    const double shape = 1.0 + 2.0 * unit(random);
    const int temperatures[] = {100, 150, 200, 250, 300, 350, 400, 450, 500, 525, 550, 575};

    auto remaining = [&](int t) { return 1.0 - std::pow((t - 20.0) / (curie - 20.0), shape); };
    auto jitter = [&](Vec v) {
        return Vec{v.x * (1.0 + noise(random)) + nrm0 * noise(random) * 0.1,
                   v.y * (1.0 + noise(random)) + nrm0 * noise(random) * 0.1,
                   v.z * (1.0 + noise(random)) + nrm0 * noise(random) * 0.1};
    };
    auto nrmAt = [&](int t) { return Scale(nrmDir, nrm0 * remaining(t)); };
    auto ptrmAt = [&](int t) { return Scale(labDir, nrm0 * (1.0 - remaining(t)) * labField / ancientField); };

    std::string text = "Korvanes-kvd\n35.0 0 0 0 0\n";
    text += DataLine(name, "20.00", jitter(nrmAt(20)));
    for (int i = 0; i < 12; ++i) {
        const int t = temperatures[i];
        text += DataLine(name, Code(t, ".00"), jitter(nrmAt(t)));
        text += DataLine(name, Code(t, ".11"), jitter(Add(nrmAt(t), ptrmAt(t))));
        if (i >= 2 && i % 2 == 0) {
            const int back = temperatures[i - 2];
            text += DataLine(name, Code(back, ".12"), jitter(Add(nrmAt(t), ptrmAt(back))));
        }
        if (i % 4 == 3) {
            text += DataLine(name, Code(t, ".13"), jitter(Scale(nrmAt(t), 1.01)));
        }
    }
    return text;
}

// The generated files, kept in the temporary folder from run to run: files
// just written are still being written to the disk by the kernel for some
// seconds, work that would fall into the timed runs (the first ones most).
// Each run makes the texts anew and writes only a file that differs from
// its text or is missing; the read that compares also sets the files'
// access times, which the first read of new files would pay in a timed run.
class SpecimenFolder {
public:
    explicit SpecimenFolder(bool realShaped)
    {
        m_folder = std::filesystem::temp_directory_path() /
                   (realShaped ? "korvanes-bench-batch-real" : "korvanes-bench-batch-ideal");
        m_results = (m_folder / ("results-" + std::to_string(::getpid()) + ".krv")).string();
        std::filesystem::create_directories(m_folder);
        std::mt19937 random(4711);
        for (int i = 0; i < kSpecimens; ++i) {
            const std::string path = (m_folder / ("BS" + std::to_string(i) + ".kvd")).string();
            const std::string text =
                realShaped ? korvanes::bench::RealShapedSpecimen(i, {12, i % 2 == 1}, random) : MakeSpecimen(i, random);
            if (korvanes::ReadFileBytes(path).bytes != text) {
                std::FILE* file = std::fopen(path.c_str(), "wb");
                if (file != nullptr) {
                    std::fwrite(text.data(), 1, text.size(), file);
                    std::fclose(file);
                }
            }
            m_files.push_back(path);
        }
    }
    ~SpecimenFolder()
    {
        std::error_code ec;
        std::filesystem::remove(m_results, ec);
    }

    const std::vector<std::string>& Files() const { return m_files; }
    const std::string& ResultsPath() const { return m_results; }

private:
    std::filesystem::path m_folder;
    std::string m_results;
    std::vector<std::string> m_files;
};

const SpecimenFolder& Specimens(bool realShaped)
{
    static const SpecimenFolder ideal(false);
    static const SpecimenFolder real(true);
    return realShaped ? real : ideal;
}

void RunBatchOf10000(benchmark::State& state, bool realShaped)
{
    const SpecimenFolder& specimens = Specimens(realShaped);
    const std::string results = specimens.ResultsPath();
    korvanes::BatchSetup setup;
    setup.jobs = static_cast<unsigned>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(results);
        state.ResumeTiming();
        const korvanes::BatchSummary summary = korvanes::RunBatch(specimens.Files(), results, setup);
        if (!summary.results.ok() || summary.specimensRead != kSpecimens) {
            state.SkipWithError("the batch run did not read every specimen");
            break;
        }
        benchmark::DoNotOptimize(summary.gradedA);
        state.counters["writes"] = static_cast<double>(summary.writes);
    }
    state.SetItemsProcessed(state.iterations() * kSpecimens);
}

void BM_BatchOf10000Specimens(benchmark::State& state) { RunBatchOf10000(state, false); }
void BM_BatchOf10000RealShaped(benchmark::State& state) { RunBatchOf10000(state, true); }

// One job and every processor, three whole runs each.
void BatchOf10000Settings(benchmark::internal::Benchmark* b)
{
    b->ArgName("jobs")
        ->Arg(1)
        ->Arg(static_cast<int>(korvanes::DefaultBatchJobs()))
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(1)
        ->Repetitions(3)
        ->ReportAggregatesOnly(true);
}

BENCHMARK(BM_BatchOf10000Specimens)->Apply(BatchOf10000Settings);
BENCHMARK(BM_BatchOf10000RealShaped)->Apply(BatchOf10000Settings);

}  // namespace
