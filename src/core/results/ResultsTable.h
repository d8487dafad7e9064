#pragma once
// The results table (".krv"): tab-separated 8-bit text, a header line and one
// 31-field line per saved result, every line ending in CR LF. Lines are only
// ever appended; nothing in an existing file is rewritten.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "document/Document.h"

namespace korvanes {

// The refusal for a file whose first line does not look like our header.
inline constexpr std::string_view kNotAResultsFileMessage = "This is not a Korvanes-Data-File !!";

// The values of one result line: what the result form holds. The line takes
// the statistics from `result` in its own order.
struct ResultValues {
    std::string name;  // bytes as in the data file
    double labField = 0.0;
    std::string coordinates;  // "CC", "IS" or "BC"
    CSpecimenResult result;
};

// "CC" core, "IS" geographic, "BC" bedding; any other value counts as core.
const char* CoordinateCode(int coordinates);

// The values of a document after an analysis (the lab field widened from its
// single-precision value).
ResultValues ResultValuesFromDocument(const CKorvanesToolDoc& doc);

// The header line, with its CR LF.
const std::string& ResultsHeaderLine();

// The result line, with its CR LF. Texts are copied byte for byte (a tab in
// the name shifts the columns; nothing is escaped); a number that is not
// finite is written as 0, except q and w without scatter, written "inf".
std::string FormatResultLine(const ResultValues& values);

enum class AppendOutcome { kOk, kRefused, kError };

struct AppendStatus {
    AppendOutcome outcome = AppendOutcome::kOk;
    std::string message;  // kRefused: "This is not a Korvanes-Data-File !!"; kError: path and reason

    bool ok() const { return outcome == AppendOutcome::kOk; }
};

// Whether the file at `path` may receive result lines: a missing file may
// (it is created with the header on the first append); an existing one only
// when "Paleoint" occurs after the first character of its first line (at most
// 198 characters are looked at; an empty file is refused). A file that exists
// but cannot be read is an error, and is left alone. A check before the work
// (a batch checks once before it reads anything); the append checks again.
AppendStatus CheckResultsFile(const std::string& path);

// Appends `line` (a whole line with its line end), safe against programs
// killed at any moment and against other programs appending to the same file:
// - A missing file is created holding the header and the line, and appears
//   whole or not at all (see io/FileCreate.h); it never replaces a file that
//   appeared meanwhile.
// - An existing file is appended to under an exclusive advisory lock (flock)
//   that every append takes, so appends never interleave; under the lock the
//   header is checked again as in CheckResultsFile. The old contents and the
//   line then go to a new file beside it that takes its place whole (a write
//   into the file itself could be cut between two pages by a kill). The file
//   keeps its permissions (and, for the superuser, its owner); a symbolic link
//   to it stays a link. A last line without its line end is ended first.
// - A folder that takes no new file, while the file itself is writable: the
//   line is appended in place in one write, cut back should it fall short.
// - Anything that fails (a full disk, a read-only medium) is an error that
//   names the file and the reason, and the file keeps exactly its old
//   contents.
// Never changes what the file held.
AppendStatus AppendResult(const std::string& path, const std::string& line);

// Appends many lines to one results file in few writes, with the promises
// of AppendResult: lines are added to the file's next version (a new file
// beside it, created on the first Add under the file's lock, which stays
// taken until the commit), and Commit gives the file that version whole. A
// kill, or an error, before a commit leaves the file as the last commit left
// it. Memory stays small: only a file that is created, or that is appended
// to in place, keeps its pending lines in memory (BufferedBytes).
class ResultsAppender {
public:
    explicit ResultsAppender(std::string path);
    ~ResultsAppender();  // lines not committed are dropped
    ResultsAppender(const ResultsAppender&) = delete;
    ResultsAppender& operator=(const ResultsAppender&) = delete;

    // Adds whole lines (with their line ends). On an error the lines added
    // since the last commit are dropped.
    AppendStatus Add(std::string_view lines);
    // Makes the lines added so far part of the file and releases its lock.
    AppendStatus Commit();

    bool Pending() const;
    std::size_t BufferedBytes() const;
    // How many times the file was written: created, or written anew from
    // its old contents and the new lines.
    std::size_t Writes() const { return m_writes; }

    struct Version;  // the file's next version (ResultsTable.cpp)

private:
    AppendStatus Begin();
    void Drop();

    std::string m_path;
    std::unique_ptr<Version> m_version;
    std::size_t m_writes = 0;
};

}  // namespace korvanes
