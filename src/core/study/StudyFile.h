#pragma once
// The study file (JSON, "korvanes-study.json" by default): the choices made
// on every specimen of a study, with the size and SHA-256 of the data each
// was made on. Written whole or not at all; guarded by an advisory lock so
// that a second program opens the study read-only instead of losing an
// update.

#include <memory>
#include <optional>
#include <string>

#include "study/Study.h"

namespace korvanes {

inline constexpr const char* kStudyFileName = "korvanes-study.json";
// The version this program writes; files of a newer one are not used.
inline constexpr int kStudyFileVersion = 1;

// The file's text for `study` (its specimens' choices, not their data).
std::string StudyFileText(const Study& study);

// Writes StudyFileText to `path` (a new file renamed over the old one).
// Returns why it failed, or nothing.
std::optional<std::string> WriteStudyFile(const Study& study, const std::string& path);

struct StudyFileRead {
    bool ok = false;
    int line = 0;        // where the problem is (1-based; 0 for the file as a whole)
    std::string reason;  // why the file cannot be used (empty when ok)
    Study study;         // folder set to the file's folder; specimens with choices, no data yet
};

// Reads the study file's text. A text that is not JSON, is cut short, has a
// newer version or a specimen entry that names no file gives ok false, the
// reason and the line; nothing of it is used then.
StudyFileRead ParseStudyFile(std::string_view text, const std::string& folder);
// Reads the file at `path` (see ParseStudyFile); a file that cannot be read
// gives its reason with line 0.
StudyFileRead ReadStudyFile(const std::string& path);

// An advisory lock on a study file, held while the object lives (a lock file
// beside it: "NAME.lock"). Another program's lock makes Acquire fail.
class StudyLock {
public:
    // Null when another program holds the lock; `error` says so (or why the
    // lock file could not be made).
    static std::unique_ptr<StudyLock> Acquire(const std::string& studyPath, std::string& error);
    ~StudyLock();
    StudyLock(const StudyLock&) = delete;
    StudyLock& operator=(const StudyLock&) = delete;

private:
    explicit StudyLock(int fd) : m_fd(fd) {}
    int m_fd;
};

}  // namespace korvanes
