#include "results/Batch.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "analysis/AnalysisRun.h"
#include "text/TextEncoding.h"

namespace korvanes {
namespace {

// Empty when the file can be opened and read; otherwise why not. (Opening a
// document never fails by itself, so a missing or unreadable file must be
// caught here rather than pass as a specimen without measurements.)
std::string ReadProblem(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return std::generic_category().message(errno);
    }
    std::fgetc(file);
    const bool failed = std::ferror(file) != 0;
    const int error = errno;
    std::fclose(file);
    return failed ? std::generic_category().message(error) : std::string();
}

void CountClass(const std::string& resultClass, BatchSummary& summary)
{
    const char letter = resultClass.empty() ? '\0' : resultClass.front();
    switch (letter) {
    case 'A':
        ++summary.gradedA;
        break;
    case 'B':
        ++summary.gradedB;
        break;
    case 'C':
        ++summary.gradedC;
        break;
    default:
        ++summary.noResult;
        break;
    }
}

}  // namespace

BatchSummary RunBatch(const std::vector<std::string>& files, const std::string& resultsPath,
                      const BatchSetup& setup)
{
    BatchSummary summary;
    summary.results = CheckResultsFile(resultsPath);
    if (!summary.results.ok()) {
        return summary;
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string& path = files[i];
        std::string problem = ReadProblem(path);
        CKorvanesToolDoc doc(setup.criteria);
        if (problem.empty()) {
            const OpenStatus opened = doc.Open(path);
            if (!opened.readable) {
                problem = opened.error.empty() ? std::string("cannot be read") : opened.error;
            }
        }
        if (!problem.empty()) {
            ++summary.unreadable;
            if (setup.unreadable) {
                setup.unreadable(path, problem);
            }
        } else {
            if (setup.configure) {
                setup.configure(doc);
            }
            RunAnalysis(doc);
            summary.results = AppendCheckedResult(resultsPath, FormatResultLine(ResultValuesFromDocument(doc)));
            if (!summary.results.ok()) {
                return summary;
            }
            ++summary.specimensRead;
            CountClass(doc.m_result.resultClass, summary);
        }
        if (setup.progress) {
            setup.progress(i + 1, files.size(), path);
        }
    }
    return summary;
}

}  // namespace korvanes
