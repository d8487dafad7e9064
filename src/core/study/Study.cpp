#include "study/Study.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <thread>

#include "analysis/AnalysisRun.h"
#include "document/DataFileReader.h"
#include "results/ResultsTable.h"

namespace korvanes {
namespace {

std::string_view UpToLastSeparator(std::string_view name, const NameRule& rule)
{
    const std::size_t at = name.find_last_of(rule.separators);
    return at == std::string_view::npos || at == 0 ? name : name.substr(0, at);
}

bool EndsWithKvd(const std::string& name)
{
    if (name.size() < 4) {
        return false;
    }
    std::string tail = name.substr(name.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::tolower(c); });
    return tail == ".kvd";
}

}  // namespace

SiteAndSample SplitSpecimenName(std::string_view name, const NameRule& rule)
{
    const std::string_view sample = UpToLastSeparator(name, rule);
    return {std::string(rule.siteCutsSample ? UpToLastSeparator(sample, rule) : sample), std::string(sample)};
}

FileStamp StampOf(std::string_view bytes)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr);
    static const char* const kHex = "0123456789abcdef";
    FileStamp stamp;
    stamp.size = bytes.size();
    for (unsigned int i = 0; i < length; ++i) {
        stamp.sha256 += kHex[digest[i] >> 4];
        stamp.sha256 += kHex[digest[i] & 15];
    }
    return stamp;
}

SpecimenChoice ChoiceOf(const StudySpecimen& specimen)
{
    if (specimen.rejected) {
        return SpecimenChoice::kRejected;
    }
    return specimen.inputs.rangeMode == kSelectedRange ? SpecimenChoice::kOwnRange : SpecimenChoice::kAutomatic;
}

std::vector<std::string> DataFilesInFolder(const std::string& folder)
{
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (EndsWithKvd(name) && entry.is_regular_file(error)) {
            files.push_back(name);
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string RelativePath(const std::string& path, const std::string& folder)
{
    const std::filesystem::path relative = std::filesystem::path(path).lexically_relative(folder);
    if (relative.empty() || *relative.begin() == "..") {
        return path;
    }
    return relative.generic_string();
}

std::string AbsolutePath(const std::string& relative, const std::string& folder)
{
    const std::filesystem::path path(relative);
    return path.is_absolute() ? relative : (std::filesystem::path(folder) / path).lexically_normal().string();
}

bool ParallelFor(std::size_t count, unsigned jobs, const std::function<void(std::size_t)>& work,
                 const std::atomic<bool>* cancel, std::atomic<std::size_t>* done)
{
    std::atomic<std::size_t> next{0};
    const auto run = [&] {
        for (;;) {
            if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) {
                return;
            }
            const std::size_t i = next.fetch_add(1);
            if (i >= count) {
                return;
            }
            work(i);
            if (done != nullptr) {
                done->fetch_add(1, std::memory_order_relaxed);
            }
        }
    };
    const unsigned threads = static_cast<unsigned>(std::min<std::size_t>(std::max(1u, jobs), count));
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t) {
        pool.emplace_back(run);
    }
    run();
    for (std::thread& thread : pool) {
        thread.join();
    }
    return cancel == nullptr || !cancel->load();
}

void ReadSpecimenFile(StudySpecimen& specimen, const Study& study)
{
    const std::string path = AbsolutePath(specimen.file, study.folder);
    specimen.doc = CKorvanesToolDoc(specimen.inputs.criteria);
    specimen.problem.clear();
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        specimen.state = DataState::kMissing;
        specimen.problem = "the data file is missing";
        return;
    }
    std::string bytes;
    OpenStatus status = ReadDataFileBytes(path, bytes);
    if (status.readable) {
        specimen.doc.m_options.m_pathName = path;
        status = specimen.doc.OpenData(bytes);
    }
    if (!status.readable) {
        specimen.state = DataState::kUnreadable;
        specimen.problem = status.error;
        specimen.doc.m_measurements.clear();
        return;
    }
    specimen.dataStamp = StampOf(bytes);
    if (!specimen.stamp.sha256.empty() && !(specimen.dataStamp == specimen.stamp)) {
        specimen.state = DataState::kChanged;
        specimen.problem = "the data file has changed since its choices were made";
    } else {
        specimen.state = DataState::kOk;
        specimen.stamp = specimen.dataStamp;
    }
    if (specimen.name.empty()) {
        specimen.name = specimen.doc.m_header.m_specimenName;
    }
    if (!specimen.placedByMagic) {
        const SiteAndSample placed = SplitSpecimenName(specimen.doc.m_header.m_specimenName, study.nameRule);
        specimen.site = placed.site;
        specimen.sample = placed.sample;
    }
}

bool AnalyseStudy(Study& study, unsigned jobs, const std::atomic<bool>* cancel, std::atomic<std::size_t>* done)
{
    return ParallelFor(
        study.specimens.size(), jobs,
        [&study](std::size_t i) {
            StudySpecimen& specimen = study.specimens[i];
            if (!specimen.doc.m_measurements.empty()) {
                RunAnalysis(specimen.doc, specimen.inputs);
            }
        },
        cancel, done);
}

Study StudyOfFiles(const std::string& folder, const std::vector<std::string>& paths, const CCriteriaSet& criteria,
                   unsigned jobs, const std::atomic<bool>* cancel, std::atomic<std::size_t>* done)
{
    Study study;
    study.folder = folder;
    study.specimens.resize(paths.size());
    ParallelFor(
        paths.size(), jobs,
        [&](std::size_t i) {
            StudySpecimen& specimen = study.specimens[i];
            specimen.file = RelativePath(paths[i], folder);
            specimen.inputs.criteria = criteria;
            ReadSpecimenFile(specimen, study);
            const AnalysisInputs fresh = InputsOf(specimen.doc);
            specimen.inputs = fresh;
            if (!specimen.doc.m_measurements.empty()) {
                RunAnalysis(specimen.doc, specimen.inputs);
            }
        },
        cancel, done);
    return study;
}

std::string StudyResultLines(const Study& study, const std::vector<std::size_t>& order)
{
    std::string lines;
    for (const std::size_t i : order) {
        const StudySpecimen& specimen = study.specimens.at(i);
        if (specimen.rejected || specimen.doc.m_measurements.empty()) {
            continue;
        }
        lines += FormatResultLine(ResultValuesFromDocument(specimen.doc));
    }
    return lines;
}

}  // namespace korvanes
