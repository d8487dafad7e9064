#pragma once
// Files that appear complete or not at all. Their bytes are written to a new
// file without a name in the target's folder (where the file system has no
// such files: under a temporary name beside the target), which gets the
// target's name only once it is complete: linked to it when nothing may be
// replaced, renamed over it when the old file is to be replaced. A process
// killed at any moment leaves the old state or the new one, never a part.

#include <string>
#include <string_view>

namespace korvanes {

// A new file being written beside `path`; see above.
class NewFile {
public:
    // `mode` is the permissions the file is created with (less the umask).
    explicit NewFile(const std::string& path, int mode = 0666);
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    // The descriptor to write to, or -1 when the file could not be made
    // (OpenError() then says why).
    int Fd() const { return m_fd; }
    int OpenError() const { return m_openError; }

    // Writes all of `bytes`. Returns 0 or the error number.
    int Write(std::string_view bytes);

    // Gives the file the name `path` only if nothing exists there. Returns 0,
    // EEXIST, or the error number.
    int LinkAs(const std::string& path);
    // Gives the file the name `path`, replacing what is there. Returns 0 or
    // the error number.
    int RenameOver(const std::string& path);

private:
    std::string m_temporary;  // the temporary name, when the file has one
    int m_fd = -1;
    int m_openError = 0;
};

enum class CreateOutcome {
    kCreated,
    kExists,  // something exists at the path; nothing was written
    kError,   // nothing was created; `error` says why
};

struct CreateStatus {
    CreateOutcome outcome = CreateOutcome::kCreated;
    int error = 0;  // errno for kError
};

// Creates `path` holding `bytes` (permissions 0666 less the umask), synced to
// the disk before the name appears. Where the file system has no links, the
// file is created under its own name and written at once instead.
CreateStatus CreateFileExclusively(const std::string& path, std::string_view bytes);

}  // namespace korvanes
