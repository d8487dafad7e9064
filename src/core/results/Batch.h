#pragma once
// Analysis of many specimen files in one run, each appending its result line
// to one results file.

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "criteria/CriteriaSet.h"
#include "document/Document.h"
#include "results/ResultsTable.h"

namespace korvanes {

// One specimen of a file that is not a data file, and how to read it into a
// fresh document.
struct BatchSpecimen {
    std::string label;  // how messages name it, such as "PATH: specimen NAME"
    std::function<OpenStatus(CKorvanesToolDoc&)> open;
};

// What BatchSetup::readOther makes of a file of another kind.
struct OtherInput {
    bool unreadable = false;            // nothing in it can be analysed: counts as an unreadable file
    std::vector<std::string> notices;   // messages about the file, reported before its specimens
    std::size_t notImported = 0;        // specimens in it that cannot be analysed
    std::vector<BatchSpecimen> specimens;
    std::shared_ptr<const void> keep;   // what the specimens' `open` needs, kept while they are analysed
};

struct BatchSetup {
    // The criteria every document is created with.
    CCriteriaSet criteria = StartupCriteria();
    // Called on each document after it was read and before its analysis
    // (options, laboratory field, manual range); may be empty.
    std::function<void(CKorvanesToolDoc&)> configure;
    // Called after each specimen with the number done so far, the number of
    // files given (0 when they are read from a list as the run goes) and the
    // specimen's label (its path for a data file); may be empty.
    std::function<void(std::size_t done, std::size_t total, const std::string& label)> progress;
    // Called for each file that cannot be read, with its path and the
    // reason; may be empty.
    std::function<void(const std::string& path, const std::string& message)> unreadable;
    // Called with each of OtherInput's notices; may be empty.
    std::function<void(const std::string& notice)> notice;
    // Looks at the first bytes of each file (up to 4 KiB) and, for a file of
    // another kind than a data file (such as a MagIC measurements table),
    // reads it: nullopt means a data file. May be empty.
    std::function<std::optional<OtherInput>(const std::string& path, std::string_view head)> readOther;
    // Takes what a caller wants to keep of each analysed document, as a
    // text (such as a row of another table); may be empty.
    std::function<std::string(const CKorvanesToolDoc&)> describe;
    // Called with the specimen's label (its path for a data file) and the
    // text `describe` gave, for each specimen whose line reached the results
    // file, in the order of the files; may be empty.
    std::function<void(const std::string& label, const std::string& description)> analysed;
    // Why an analysed document has no result (empty class); may be empty.
    std::function<std::string(const CKorvanesToolDoc&)> whyNoResult;
    // Called for each specimen without a result whose line reached the
    // results file, with its label and what whyNoResult gave; may be empty.
    std::function<void(const std::string& label, const std::string& reason)> noResult;
    // How many files are analysed at once, each on a thread of its own (at
    // least 1). `configure`, `readOther`, the specimens' `open`, `describe`
    // and `whyNoResult` run on those threads, so they must not change what
    // they share; the other callbacks run on the calling thread, in the
    // order of the files.
    unsigned jobs = 1;
};

// The number of processors: what `korvanes batch` uses by default.
unsigned DefaultBatchJobs();

struct BatchSummary {
    std::size_t specimensRead = 0;  // specimens read and analysed, with a line written
    std::size_t gradedA = 0;        // class "A" or "A*"
    std::size_t gradedB = 0;
    std::size_t gradedC = 0;
    std::size_t noResult = 0;       // empty class: no range qualified
    std::size_t unreadable = 0;     // skipped files
    std::size_t otherFiles = 0;     // files read through setup.readOther
    std::size_t notImported = 0;    // their specimens that could not be analysed
    std::size_t writes = 0;         // times the results file was created or written anew
    // kOk when every line reached the results file; otherwise why the run
    // stopped: a refused results file (nothing written at all) or a write
    // error (the lines written before it stay).
    AppendStatus results;
};

// The next path of a run, or nullopt after the last.
using PathSource = std::function<std::optional<std::string>()>;

// For each file: read it, open a document with setup.criteria, configure it,
// run the analysis and format its result line, all on the worker threads
// (setup.jobs of them). The lines reach the results file in the order of the
// files, from the calling thread, so the file holds the same bytes whatever
// the number of jobs. They go to it through a ResultsAppender: the file is
// written anew at most about once per second (after 1, 3, 7, ... ms at the
// start, so that a short run killed midway keeps what it did), and at the
// end; a kill leaves the lines of the last write. The results file is
// checked once, before anything is read; a file that cannot be read is
// reported through setup.unreadable and skipped. A failed write stops the
// run: the lines written before it stay, and the summary counts those.
// Memory stays bounded however many files there are: the paths are taken
// from `next` as the workers need them, and at most a few thousand files
// (holding at most some thousands of specimens, and those of the files being
// analysed) are between being read and being written.
BatchSummary RunBatch(const PathSource& next, std::size_t total, const std::string& resultsPath,
                      const BatchSetup& setup);

// The same over a list of paths.
BatchSummary RunBatch(const std::vector<std::string>& files, const std::string& resultsPath,
                      const BatchSetup& setup);

}  // namespace korvanes
