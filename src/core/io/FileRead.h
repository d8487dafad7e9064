#pragma once
// Reading a whole file into memory, with a reason when that fails.

#include <cstddef>
#include <limits>
#include <string>

namespace korvanes {

struct FileBytes {
    std::string bytes;
    std::string error;  // "cannot open 'PATH': reason" or "cannot read 'PATH': reason"; empty on success
    bool tooLarge = false;  // the file holds more than the bytes asked for (then `error` is set too)

    bool ok() const { return error.empty(); }
};

// Reads every byte of the file at `path` (binary). A folder, a missing or
// unreadable file gives an error naming the path and the reason. A file of
// more than `maxBytes` is not read beyond that: it gives no bytes and an
// error, with `tooLarge` set.
FileBytes ReadFileBytes(const std::string& path,
                        std::size_t maxBytes = std::numeric_limits<std::size_t>::max());

}  // namespace korvanes
