#include "results/Batch.h"

#include "analysis/AnalysisRun.h"
#include "text/TextEncoding.h"

namespace korvanes {
namespace {

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
        CKorvanesToolDoc doc(setup.criteria);
        const OpenStatus opened = setup.open ? setup.open(i, doc) : doc.Open(path);
        if (!opened.readable) {
            ++summary.unreadable;
            if (setup.unreadable) {
                setup.unreadable(path, opened.error);
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
            if (setup.analysed) {
                setup.analysed(doc);
            }
        }
        if (setup.progress) {
            setup.progress(i + 1, files.size(), path);
        }
    }
    return summary;
}

}  // namespace korvanes
