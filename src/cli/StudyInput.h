#pragma once
// What `sites` and `plot --type site` work on: a study made of a folder or
// data files, of a MagIC file, or read from a study file with its kept
// interpretations.

#include <optional>
#include <string>
#include <vector>

#include "MagicInput.h"
#include "criteria/CriteriaSet.h"
#include "study/Study.h"

namespace korvanes::cli {

struct StudyInputs {
    std::vector<std::string> inputs;  // data files, folders, or one MagIC file
    std::string study;                // a study file; data files given too are added
    MagicInputOptions magic;          // samples and sites tables of a MagIC file
};

// The study, read and analysed (data files with `criteria`), or nothing
// after a message on standard error that starts with `prefix`. Problems with
// single specimens are reported later by the caller (their state).
std::optional<Study> OpenStudyInputs(const StudyInputs& args, const CCriteriaSet& criteria, const std::string& prefix);

}  // namespace korvanes::cli
