#pragma once
// Reading a whole file into memory, with a reason when that fails.

#include <string>

namespace korvanes {

struct FileBytes {
    std::string bytes;
    std::string error;  // "cannot open 'PATH': reason" or "cannot read 'PATH': reason"; empty on success

    bool ok() const { return error.empty(); }
};

// Reads every byte of the file at `path` (binary). A folder, a missing or
// unreadable file gives an error naming the path and the reason.
FileBytes ReadFileBytes(const std::string& path);

}  // namespace korvanes
