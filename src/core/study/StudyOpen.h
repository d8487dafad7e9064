#pragma once
// Building a study from what a user opens: a folder of data files, several
// data files, a MagIC file, or a study file written before.

#include <atomic>
#include <string>
#include <vector>

#include "magic/MagicFiles.h"
#include "study/Study.h"

namespace korvanes {

// Work shared with another thread: how many specimens are done, and a flag
// that asks to stop.
struct StudyProgress {
    std::atomic<std::size_t> done{0};
    std::atomic<bool> cancel{false};
};

// Reads every specimen's data (its data file, or its part of the study's
// MagIC file through the import, in memory) and analyses it with its
// choices, `jobs` at a time. False when cancelled; `error` is set when the
// MagIC file cannot be imported (the specimens are then unreadable).
bool ReadStudyData(Study& study, unsigned jobs, StudyProgress* progress, std::string& error);

// A new study of the specimens of a MagIC measurements (or contribution)
// file, with its samples and sites tables when given; paths absolute.
// Specimens that the import could not write are left out (`error` lists
// them, one per line); a file that gives none sets `error` and no specimen.
Study StudyOfMagic(const std::string& folder, const magic::MagicSources& sources, const CCriteriaSet& criteria,
                   unsigned jobs, StudyProgress* progress, std::string& error);

// Adds the data files `paths` (absolute) that the study does not hold yet,
// each with `criteria` and the inputs of a freshly opened file.
void AddStudyFiles(Study& study, const std::vector<std::string>& paths, const CCriteriaSet& criteria, unsigned jobs,
                   StudyProgress* progress);

}  // namespace korvanes
