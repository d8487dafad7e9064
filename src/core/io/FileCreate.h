#pragma once
// Creating a file that appears complete or not at all: its bytes are written
// to a file without a name (or with a temporary one) in the target's folder,
// which is then linked to the target name only if nothing exists there. A
// process killed at any moment leaves either no file or the whole one, and
// an existing file is never replaced.

#include <string>
#include <string_view>

namespace korvanes {

enum class CreateOutcome {
    kCreated,
    kExists,  // something exists at the path; nothing was written
    kError,   // nothing was created; `error` says why
};

struct CreateStatus {
    CreateOutcome outcome = CreateOutcome::kCreated;
    int error = 0;  // errno for kError
};

// Creates `path` holding `bytes` (permissions 0666 less the umask), flushed to
// the disk before the name appears.
CreateStatus CreateFileExclusively(const std::string& path, std::string_view bytes);

}  // namespace korvanes
