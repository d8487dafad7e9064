#include "results/Batch.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include "analysis/AnalysisRun.h"
#include "document/DataFileReader.h"

namespace korvanes {
namespace {

using Clock = std::chrono::steady_clock;

// How much of a file the look at its kind takes.
constexpr std::size_t kHeadBytes = 4096;
// The room for a file's bytes that a thread keeps for the next file.
constexpr std::size_t kKeptRoom = std::size_t{1} << 20;

// What the analysis of one specimen gives the results file.
struct SpecimenOutcome {
    std::string label;        // empty: the file's path
    bool readable = false;
    std::string error;        // unreadable: why
    std::string line;         // readable: the result line
    char grade = '\0';        // readable: 'A', 'B', 'C' or none
    std::string reason;       // no result: why
    std::string description;  // what setup.describe gave
};

// What one file gives: a data file one specimen, a file of another kind
// those it holds.
struct FileOutcome {
    std::vector<SpecimenOutcome> specimens;
    bool other = false;
    bool unreadable = false;  // a file of another kind that could not be read
    std::vector<std::string> notices;
    std::size_t notImported = 0;
    std::exception_ptr failure;  // the analysis threw (out of memory): rethrown by the run
};

void Analyse(CKorvanesToolDoc& doc, const OpenStatus& opened, const BatchSetup& setup, SpecimenOutcome& outcome)
{
    if (!opened.readable) {
        outcome.error = opened.error;
        return;
    }
    if (setup.configure) {
        setup.configure(doc);
    }
    RunAnalysis(doc);
    outcome.readable = true;
    outcome.line = FormatResultLine(ResultValuesFromDocument(doc));
    const std::string& resultClass = doc.m_result.resultClass;
    outcome.grade = resultClass.empty() ? '\0' : resultClass.front();
    if (outcome.grade != 'A' && outcome.grade != 'B' && outcome.grade != 'C' && setup.whyNoResult) {
        outcome.reason = setup.whyNoResult(doc);
    }
    if (setup.describe) {
        outcome.description = setup.describe(doc);
    }
}

// The first bytes of a file that is not read whole (too large for a data file).
std::string ReadHead(const std::string& path)
{
    std::string head(kHeadBytes, '\0');
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const ssize_t n = fd < 0 ? -1 : ::read(fd, head.data(), head.size());
    if (fd >= 0) {
        ::close(fd);
    }
    head.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return head;
}

// Reads the file at `path` once, looks at its kind, and analyses what it
// holds.
FileOutcome AnalyseFile(const std::string& path, const BatchSetup& setup)
{
    FileOutcome outcome;
    try {
        // The bytes in room kept on this thread from file to file; the room
        // of a large file is given back after it.
        static thread_local std::string room;
        struct RoomKeeper {
            ~RoomKeeper()
            {
                if (room.size() > kKeptRoom) {
                    room = std::string();
                }
            }
        } keeper;
        std::string_view bytes;
        const OpenStatus read = ReadDataFileInto(path, room, bytes);
        if (setup.readOther) {
            const std::string unreadHead = read.readable ? std::string() : ReadHead(path);
            const std::string_view head =
                read.readable ? bytes.substr(0, kHeadBytes) : std::string_view(unreadHead);
            if (std::optional<OtherInput> other = setup.readOther(path, head)) {
                outcome.other = true;
                outcome.unreadable = other->unreadable;
                outcome.notices = std::move(other->notices);
                outcome.notImported = other->notImported;
                for (const BatchSpecimen& specimen : other->specimens) {
                    SpecimenOutcome& s = outcome.specimens.emplace_back();
                    s.label = specimen.label;
                    CKorvanesToolDoc doc(setup.criteria);
                    Analyse(doc, specimen.open(doc), setup, s);
                }
                return outcome;
            }
        }
        SpecimenOutcome& s = outcome.specimens.emplace_back();
        // A new document for each file, with the room of the lists of the
        // one before on this thread.
        static thread_local CKorvanesToolDoc spare;
        CKorvanesToolDoc doc(setup.criteria);
        doc.TakeListStorage(spare);
        OpenStatus opened = read;
        if (read.readable) {
            // What CKorvanesToolDoc::Open does after its read.
            doc.m_options.m_pathName = path;
            opened = doc.OpenData(bytes);
            if (!opened.readable) {
                opened.error = "cannot analyse '" + path + "': " + opened.error;
            }
        }
        Analyse(doc, opened, setup, s);
        spare.TakeListStorage(doc);
    } catch (...) {
        outcome.failure = std::current_exception();
    }
    return outcome;
}

// The files analysed by `jobs` threads, which take the paths from the
// source as they need them; each file's outcome is kept in a ring until the
// calling thread takes it, in the order of the files. Threads run at most a
// ring's length ahead of the calling thread, and stop starting files while
// the ring holds kHeldSpecimens specimens, which bounds the memory whatever
// the number of files. The ring is long enough for the threads to go on
// while the calling thread writes the results file (a first write waits
// for the disk): thousands of files.
class ParallelAnalysis {
public:
    ParallelAnalysis(const PathSource& next, const BatchSetup& setup, unsigned jobs)
        : m_next(next), m_setup(setup), m_ring(std::max<std::size_t>(kRingFiles, 4 * kGroup * static_cast<std::size_t>(jobs)))
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

    // Files the calling thread waits for before it wakes (unless the ring
    // is full): a group, not each file, so that it wakes rarely.
    static constexpr std::size_t kGroup = 64;
    // The ring's length, at least.
    static constexpr std::size_t kRingFiles = 4096;
    // Specimens the ring holds, at most, before threads start no more files
    // (a file of another kind may hold many).
    static constexpr std::size_t kHeldSpecimens = 8192;

    struct Slot {
        std::string path;
        FileOutcome outcome;
    };

    // The files from `first` on that are done, in order. Waits until `first`
    // is done and, so that the calling thread wakes once for a group of
    // files rather than for each, the last of the group that follows it
    // (or the end of the files); but not beyond `deadline`, when there may
    // be none. Returns none at the end of the files (then `end` is set).
    std::vector<Slot> TakeFrom(std::size_t first, Clock::time_point deadline, bool& end)
    {
        std::vector<Slot> taken;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_first = first;
            m_last = first + kGroup - 1;
            const auto done = [&](std::size_t k) { return k >= m_end || m_ring[k % m_ring.size()].has_value(); };
            const auto ready = [&] { return done(first) && (done(m_last) || m_held >= kHeldSpecimens); };
            if (deadline == Clock::time_point::max()) {
                m_done.wait(lock, ready);
            } else {
                m_done.wait_until(lock, deadline, ready);
            }
            end = first >= m_end;
            for (std::size_t k = first; k < m_end; ++k) {
                std::optional<Slot>& slot = m_ring[k % m_ring.size()];
                if (!slot) {
                    break;
                }
                m_held -= slot->outcome.specimens.size();
                taken.push_back(std::move(*slot));
                slot.reset();
            }
            m_taken = first + taken.size();
            m_first = m_last = static_cast<std::size_t>(-1);
        }
        if (!taken.empty()) {
            m_room.notify_all();
        }
        return taken;
    }

private:
    void Work()
    {
        for (;;) {
            std::size_t k = 0;
            std::string path;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_room.wait(lock, [&] {
                    return m_stop || m_exhausted || (m_started < m_taken + m_ring.size() && m_held < kHeldSpecimens);
                });
                if (m_stop || m_exhausted) {
                    return;
                }
                std::optional<std::string> next = m_next();
                if (!next) {
                    m_exhausted = true;
                    m_end = m_started;
                    lock.unlock();
                    m_done.notify_one();
                    m_room.notify_all();
                    return;
                }
                path = std::move(*next);
                k = m_started++;
            }
            FileOutcome outcome = AnalyseFile(path, m_setup);
            bool awaited = false;
            {
                const std::lock_guard<std::mutex> lock(m_mutex);
                m_held += outcome.specimens.size();
                m_ring[k % m_ring.size()] = Slot{std::move(path), std::move(outcome)};
                // The calling thread waits for this one, or no thread starts
                // another file until it takes some.
                awaited = k == m_first || k == m_last || m_held >= kHeldSpecimens;
            }
            if (awaited) {
                m_done.notify_one();
            }
        }
    }

    const PathSource& m_next;
    const BatchSetup& m_setup;
    std::vector<std::optional<Slot>> m_ring;
    std::mutex m_mutex;
    std::condition_variable m_done;  // the file the calling thread waits for is done, or the files ended
    std::condition_variable m_room;  // the calling thread took files: room in the ring
    std::size_t m_started = 0;       // files handed to a thread
    std::size_t m_taken = 0;         // files the calling thread took
    std::size_t m_held = 0;          // specimens of the files in the ring
    // The first and the last file of the group the calling thread waits for.
    std::size_t m_first = static_cast<std::size_t>(-1);
    std::size_t m_last = static_cast<std::size_t>(-1);
    std::size_t m_end = static_cast<std::size_t>(-1);  // the number of files, once known
    bool m_exhausted = false;
    bool m_stop = false;
    std::vector<std::thread> m_threads;
};

// The lines on their way to the results file, and what the summary and the
// callbacks learn of them once they are in it.
class Output {
public:
    Output(const std::string& path, const BatchSetup& setup) : m_appender(path), m_setup(setup) {}

    // Adds the line of one analysed specimen. Returns false after a failed
    // write (then `status` says why).
    bool Add(const SpecimenOutcome& s, const std::string& label, AppendStatus& status)
    {
        m_lines += s.line;
        ++m_pending.specimensRead;
        switch (s.grade) {
        case 'A':
            ++m_pending.gradedA;
            break;
        case 'B':
            ++m_pending.gradedB;
            break;
        case 'C':
            ++m_pending.gradedC;
            break;
        default:
            ++m_pending.noResult;
            if (m_setup.noResult) {
                m_noResults.emplace_back(label, s.reason);
            }
            break;
        }
        if (m_setup.analysed) {
            m_descriptions.emplace_back(label, s.description);
        }
        // The lines go to the file's next version in pieces of some size:
        // few writes, and little memory.
        return m_lines.size() < (1u << 16) || Flush(status);
    }

    bool Due(Clock::time_point now) const
    {
        return (Pending() && now >= NextCommit()) || m_appender.BufferedBytes() + m_lines.size() >= (1u << 20);
    }

    bool Pending() const { return !m_lines.empty() || m_appender.Pending(); }

    // When the pending lines are due in the file.
    Clock::time_point NextCommit() const { return m_lastCommit + m_interval; }

    // Writes the pending lines to the file, and tells the summary and the
    // callbacks about them.
    bool Commit(BatchSummary& summary)
    {
        if (!Pending()) {
            return true;
        }
        const Clock::time_point started = Clock::now();
        if (!Flush(summary.results)) {
            return false;
        }
        summary.results = m_appender.Commit();
        if (!summary.results.ok()) {
            return false;
        }
        const Clock::time_point now = Clock::now();
        // The interval doubles up to a second, and a file that takes long
        // to write anew (a large one) is written at most a fifth of the time.
        m_interval = std::max(std::min(2 * m_interval, Clock::duration(std::chrono::seconds(1))), 4 * (now - started));
        m_lastCommit = now;
        summary.writes = m_appender.Writes();
        summary.specimensRead += m_pending.specimensRead;
        summary.gradedA += m_pending.gradedA;
        summary.gradedB += m_pending.gradedB;
        summary.gradedC += m_pending.gradedC;
        summary.noResult += m_pending.noResult;
        m_pending = {};
        for (const auto& [label, description] : m_descriptions) {
            m_setup.analysed(label, description);
        }
        m_descriptions.clear();
        for (const auto& [label, reason] : m_noResults) {
            m_setup.noResult(label, reason);
        }
        m_noResults.clear();
        return true;
    }

private:
    bool Flush(AppendStatus& status)
    {
        if (!m_lines.empty()) {
            status = m_appender.Add(m_lines);
            m_lines.clear();
        }
        return status.ok();
    }

    ResultsAppender m_appender;
    const BatchSetup& m_setup;
    std::string m_lines;  // not yet added to the appender
    BatchSummary m_pending;
    std::vector<std::pair<std::string, std::string>> m_descriptions;  // label, description
    std::vector<std::pair<std::string, std::string>> m_noResults;
    Clock::time_point m_lastCommit = Clock::now();
    Clock::duration m_interval = std::chrono::milliseconds(1);
};

}  // namespace

unsigned DefaultBatchJobs()
{
    return std::max(1u, std::thread::hardware_concurrency());
}

BatchSummary RunBatch(const PathSource& next, std::size_t total, const std::string& resultsPath,
                      const BatchSetup& setup)
{
    BatchSummary summary;
    summary.results = CheckResultsFile(resultsPath);
    if (!summary.results.ok()) {
        return summary;
    }
    Output output(resultsPath, setup);
    ParallelAnalysis analysis(next, setup, std::max(1u, setup.jobs));
    std::size_t done = 0;
    for (bool end = false; !end;) {
        const std::vector<ParallelAnalysis::Slot> slots =
            analysis.TakeFrom(done, output.Pending() ? output.NextCommit() : Clock::time_point::max(), end);
        for (const ParallelAnalysis::Slot& slot : slots) {
            const FileOutcome& outcome = slot.outcome;
            if (outcome.failure) {
                std::rethrow_exception(outcome.failure);
            }
            if (outcome.other) {
                ++summary.otherFiles;
                summary.unreadable += outcome.unreadable ? 1 : 0;
                summary.notImported += outcome.notImported;
                for (const std::string& notice : outcome.notices) {
                    if (setup.notice) {
                        setup.notice(notice);
                    }
                }
            }
            for (const SpecimenOutcome& s : outcome.specimens) {
                const std::string& label = s.label.empty() ? slot.path : s.label;
                if (s.readable) {
                    if (!output.Add(s, label, summary.results)) {
                        return summary;
                    }
                } else {
                    ++summary.unreadable;
                    if (setup.unreadable) {
                        setup.unreadable(label, s.error);
                    }
                }
            }
            ++done;
            if (setup.progress) {
                setup.progress(done, total, slot.path);
            }
        }
        if ((end || output.Due(Clock::now())) && !output.Commit(summary)) {
            return summary;
        }
    }
    return summary;
}

BatchSummary RunBatch(const std::vector<std::string>& files, const std::string& resultsPath,
                      const BatchSetup& setup)
{
    std::size_t at = 0;
    const PathSource next = [&]() -> std::optional<std::string> {
        return at < files.size() ? std::optional<std::string>(files[at++]) : std::nullopt;
    };
    return RunBatch(next, files.size(), resultsPath, setup);
}

}  // namespace korvanes
