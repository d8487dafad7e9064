#pragma once
// The application-wide criteria: the current set, the file it came from and
// the path as the settings hold it, and the operations of start-up, exit and
// the criteria dialog on them.

#include <string>
#include <string_view>

#include "criteria/CriteriaFile.h"
#include "criteria/CriteriaSet.h"
#include "criteria/SettingsStore.h"
#include "document/Document.h"

namespace korvanes {

// The path marker for the built-in values (compared case-sensitively).
inline constexpr std::string_view kDefaultCriteriaPath = "DefaultCriteria";
inline constexpr const char* kSettingsSection = "Settings";
inline constexpr const char* kCriteriaPathKey = "PathCri";

struct ApplicationCriteria {
    CCriteriaSet criteria = StartupCriteria();
    // The file the current set came from, or "DefaultCriteria".
    std::string path = std::string(kDefaultCriteriaPath);
    // The path as last read from or written to the settings.
    std::string savedPath = std::string(kDefaultCriteriaPath);
};

// Start-up: reads "Settings"/"PathCri" (default "DefaultCriteria") into both
// paths and, unless it is the marker, loads that file without checking its
// tag. A file that cannot be opened, ends early or is damaged keeps the
// built-in values and sets the path to "DefaultCriteria" (written back at
// exit). Returns what reading gave, for a caller that wants to log it; the
// start-up itself never fails.
CriteriaFileResult LoadStartupCriteria(ApplicationCriteria& app, const SettingsStore& settings);

// Exit: writes the path to "Settings"/"PathCri" only when it differs from the
// saved one, and then remembers it as saved.
void StoreCriteriaPath(ApplicationCriteria& app, SettingsStore& settings);

// The dialog's Load. On success the set and the path are replaced; otherwise
// nothing changes and the result carries the message to show ("No Criteria
// File!" for a wrong tag).
CriteriaFileResult ReadCriteriaFile(ApplicationCriteria& app, const std::string& path);

// The dialog's Save: writes `criteria` (the set shown in the dialog, not
// necessarily app.criteria) and on success sets app.path. On failure the file
// at `path` and app are unchanged and the status carries the message.
CriteriaWriteStatus WriteCriteriaFile(ApplicationCriteria& app, const std::string& path,
                                      const CCriteriaSet& criteria);

// The dialog's Default: the "Default" values (class B intensity difference 20)
// and the path marker.
void ResetCriteria(ApplicationCriteria& app);

// Gives a document the application's criteria: both blocks, maximizeQ and
// allowMt4CheckCorrection into m_criteria, equalAraiScales into
// m_options.m_equalAraiScales (and into m_criteria, so the copy stays whole).
void AssignDocumentCriteria(const ApplicationCriteria& app, CKorvanesToolDoc& doc);

}  // namespace korvanes
