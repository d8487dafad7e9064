// A study at scale: opening a folder of 400 specimen files (read, stamped,
// analysed on all processors) and regrading 1,000 specimens after a change
// of the criteria. Targets: 0.5 s and 50 ms.
//
// The folder is made from the repository's examples, each copied many times
// under its own file name, so that every analysis does real work.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "results/Batch.h"
#include "study/Study.h"

namespace {

class StudyFolder {
public:
    explicit StudyFolder(int count)
    {
        m_folder = std::filesystem::temp_directory_path() /
                   ("korvanes-study-bench-" + std::to_string(::getpid()) + "-" + std::to_string(count));
        std::filesystem::create_directories(m_folder);
        const char* const examples[] = {"basalt-mt1.kvd", "tuff-mt3.kvd", "andesite-mt4.kvd"};
        for (int i = 0; i < count; ++i) {
            std::ifstream in(std::string(KORVANES_SOURCE_DIR "/examples/") + examples[i % 3], std::ios::binary);
            std::stringstream bytes;
            bytes << in.rdbuf();
            const std::string path = (m_folder / ("S" + std::to_string(i) + ".kvd")).string();
            std::ofstream(path, std::ios::binary) << bytes.str();
            m_files.push_back(path);
        }
    }
    ~StudyFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_folder, ec);
    }
    std::string Path() const { return m_folder.string(); }
    const std::vector<std::string>& Files() const { return m_files; }

private:
    std::filesystem::path m_folder;
    std::vector<std::string> m_files;
};

void BM_OpenStudyOf400Specimens(benchmark::State& state)
{
    static const StudyFolder folder(400);
    for (auto _ : state) {
        korvanes::Study study = korvanes::StudyOfFiles(folder.Path(), folder.Files(), korvanes::StartupCriteria(),
                                                       korvanes::DefaultBatchJobs());
        benchmark::DoNotOptimize(study.specimens.data());
    }
}
BENCHMARK(BM_OpenStudyOf400Specimens)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RegradeStudyOf1000Specimens(benchmark::State& state)
{
    static const StudyFolder folder(1000);
    korvanes::Study study = korvanes::StudyOfFiles(folder.Path(), folder.Files(), korvanes::StartupCriteria(),
                                                   korvanes::DefaultBatchJobs());
    korvanes::CCriteriaSet stricter = korvanes::StartupCriteria();
    stricter.classA.minF = 0.5;
    bool strict = false;
    for (auto _ : state) {
        strict = !strict;
        for (korvanes::StudySpecimen& specimen : study.specimens) {
            specimen.inputs.criteria = strict ? stricter : korvanes::StartupCriteria();
        }
        korvanes::AnalyseStudy(study, korvanes::DefaultBatchJobs());
    }
}
BENCHMARK(BM_RegradeStudyOf1000Specimens)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
