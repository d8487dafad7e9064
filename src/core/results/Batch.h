#pragma once
// Analysis of many specimen files in one run, each appending its result line
// to one results file.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "criteria/CriteriaSet.h"
#include "document/Document.h"
#include "results/ResultsTable.h"

namespace korvanes {

struct BatchSetup {
    // The criteria every document is created with.
    CCriteriaSet criteria = StartupCriteria();
    // Called on each document after it was read and before its analysis
    // (options, laboratory field, manual range); may be empty.
    std::function<void(CKorvanesToolDoc&)> configure;
    // Called after each file with the number of files done so far, the
    // total and the file's path; may be empty.
    std::function<void(std::size_t done, std::size_t total, const std::string& path)> progress;
    // Called for each file that cannot be read, with its path and the
    // reason; may be empty.
    std::function<void(const std::string& path, const std::string& message)> unreadable;
    // Fills the fresh document of input `index` instead of opening
    // files[index] as a data file (inputs read some other way, such as
    // specimens of a MagIC table); may be empty.
    std::function<OpenStatus(std::size_t index, CKorvanesToolDoc&)> open;
    // Takes what a caller wants to keep of each analysed document, as a
    // text (such as a row of another table); may be empty.
    std::function<std::string(const CKorvanesToolDoc&)> describe;
    // Called with the text `describe` gave, for each file whose line was
    // appended, in the order of the files; may be empty.
    std::function<void(std::size_t index, const std::string& description)> analysed;
    // How many files are analysed at once, each on a thread of its own (at
    // least 1). `open`, `configure` and `describe` run on those threads, so
    // they must not change what they share; `progress`, `unreadable` and
    // `analysed` run on the calling thread, in the order of the files.
    unsigned jobs = 1;
};

// The number of processors: what `korvanes batch` uses by default.
unsigned DefaultBatchJobs();

struct BatchSummary {
    std::size_t specimensRead = 0;  // files read and analysed, with a line written
    std::size_t gradedA = 0;        // class "A" or "A*"
    std::size_t gradedB = 0;
    std::size_t gradedC = 0;
    std::size_t noResult = 0;       // empty class: no range qualified
    std::size_t unreadable = 0;     // skipped files
    // kOk when every line reached the results file; otherwise why the run
    // stopped: a refused results file (nothing written at all) or a write
    // error (the lines written before it stay).
    AppendStatus results;
};

// For each file: open a document with setup.criteria, configure it, run the
// analysis and append its result line to `resultsPath`. The files are
// analysed setup.jobs at a time; their lines reach the results file in the
// order of `files`, from the calling thread, so the file holds the same bytes
// whatever the number of jobs. The lines ready at one time go out in one
// append (see AppendResult: under the file's lock, whole or not at
// all). The results file is checked once, before anything is read; a file
// that cannot be read is reported through setup.unreadable and skipped. A
// failed append stops the run: the lines appended before it stay, and the
// summary counts those.
BatchSummary RunBatch(const std::vector<std::string>& files, const std::string& resultsPath,
                      const BatchSetup& setup);

}  // namespace korvanes
