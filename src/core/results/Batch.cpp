#include "results/Batch.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

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

// What the analysis of one file gives the results file.
struct FileOutcome {
    bool readable = false;
    std::string error;        // unreadable: why
    std::string line;         // readable: the result line
    std::string resultClass;  // readable: its class text
    std::string description;  // readable: what setup.describe gave
    std::exception_ptr failure;  // the analysis threw (out of memory): rethrown by the run
};

FileOutcome AnalyseFile(std::size_t index, const std::string& path, const BatchSetup& setup)
{
    FileOutcome outcome;
    try {
        CKorvanesToolDoc doc(setup.criteria);
        const OpenStatus opened = setup.open ? setup.open(index, doc) : doc.Open(path);
        if (!opened.readable) {
            outcome.error = opened.error;
            return outcome;
        }
        if (setup.configure) {
            setup.configure(doc);
        }
        RunAnalysis(doc);
        outcome.readable = true;
        outcome.line = FormatResultLine(ResultValuesFromDocument(doc));
        outcome.resultClass = doc.m_result.resultClass;
        if (setup.describe) {
            outcome.description = setup.describe(doc);
        }
    } catch (...) {
        outcome.failure = std::current_exception();
    }
    return outcome;
}

// The files analysed by `jobs` threads, each file's outcome kept in a ring
// until the main thread takes it, in the order of the files. Threads run at
// most a ring's length ahead of the main thread, which bounds the memory
// whatever the number of files.
class ParallelAnalysis {
public:
    ParallelAnalysis(const std::vector<std::string>& files, const BatchSetup& setup, unsigned jobs)
        : m_files(files), m_setup(setup), m_ring(std::max<std::size_t>(64, 16 * static_cast<std::size_t>(jobs)))
    {
        for (unsigned k = 0; k < jobs; ++k) {
            m_threads.emplace_back([this] { Work(); });
        }
    }

    ~ParallelAnalysis()
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_room.notify_all();
        for (std::thread& t : m_threads) {
            t.join();
        }
    }

    ParallelAnalysis(const ParallelAnalysis&) = delete;
    ParallelAnalysis& operator=(const ParallelAnalysis&) = delete;

    // The outcomes from file `first` on that are done, in order (at least
    // one: waits for the first).
    std::vector<FileOutcome> TakeFrom(std::size_t first)
    {
        std::vector<FileOutcome> taken;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_done.wait(lock, [&] { return m_ring[first % m_ring.size()].has_value(); });
            for (std::size_t k = first; k < m_files.size(); ++k) {
                std::optional<FileOutcome>& slot = m_ring[k % m_ring.size()];
                if (!slot) {
                    break;
                }
                taken.push_back(std::move(*slot));
                slot.reset();
            }
            m_taken = first + taken.size();
        }
        m_room.notify_all();
        return taken;
    }

private:
    void Work()
    {
        for (;;) {
            std::size_t k = 0;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_room.wait(lock, [&] { return m_stop || m_next >= m_files.size() || m_next < m_taken + m_ring.size(); });
                if (m_stop || m_next >= m_files.size()) {
                    return;
                }
                k = m_next++;
            }
            FileOutcome outcome = AnalyseFile(k, m_files[k], m_setup);
            {
                const std::lock_guard<std::mutex> lock(m_mutex);
                m_ring[k % m_ring.size()] = std::move(outcome);
            }
            m_done.notify_one();
        }
    }

    const std::vector<std::string>& m_files;
    const BatchSetup& m_setup;
    std::vector<std::optional<FileOutcome>> m_ring;
    std::mutex m_mutex;
    std::condition_variable m_done;  // a file is done
    std::condition_variable m_room;  // the main thread took files: room in the ring
    std::size_t m_next = 0;          // the next file to analyse
    std::size_t m_taken = 0;         // the files the main thread took
    bool m_stop = false;
    std::vector<std::thread> m_threads;
};

}  // namespace

unsigned DefaultBatchJobs()
{
    return std::max(1u, std::thread::hardware_concurrency());
}

BatchSummary RunBatch(const std::vector<std::string>& files, const std::string& resultsPath,
                      const BatchSetup& setup)
{
    BatchSummary summary;
    summary.results = CheckResultsFile(resultsPath);
    if (!summary.results.ok() || files.empty()) {
        return summary;
    }
    ParallelAnalysis analysis(files, setup, std::max(1u, setup.jobs));
    std::size_t done = 0;
    while (done < files.size()) {
        // Every line that is ready goes out in one append: one lock and one
        // new copy of the file, however many lines. While it is written the
        // threads analyse on, so the next append takes more lines.
        const std::vector<FileOutcome> outcomes = analysis.TakeFrom(done);
        std::string lines;
        for (const FileOutcome& outcome : outcomes) {
            if (outcome.failure) {
                std::rethrow_exception(outcome.failure);
            }
            lines += outcome.line;
        }
        if (!lines.empty()) {
            summary.results = AppendResult(resultsPath, lines);
            if (!summary.results.ok()) {
                return summary;
            }
        }
        for (const FileOutcome& outcome : outcomes) {
            const std::string& path = files[done];
            if (outcome.readable) {
                ++summary.specimensRead;
                CountClass(outcome.resultClass, summary);
                if (setup.analysed) {
                    setup.analysed(done, outcome.description);
                }
            } else {
                ++summary.unreadable;
                if (setup.unreadable) {
                    setup.unreadable(path, outcome.error);
                }
            }
            ++done;
            if (setup.progress) {
                setup.progress(done, files.size(), path);
            }
        }
    }
    return summary;
}

}  // namespace korvanes
