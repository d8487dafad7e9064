#pragma once
// Reading a whole file into memory, with a reason when that fails.

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>

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

// What ReadFileInto read: a view of the bytes in the caller's room.
struct FileView {
    std::string_view bytes;
    std::string error;      // as FileBytes::error
    bool tooLarge = false;  // as FileBytes::tooLarge

    bool ok() const { return error.empty(); }
};

// Reads the file at `path` as ReadFileBytes does, with the same errors, into
// `room`: its size is the room available, kept from call to call (grown as
// needed, never zero-filled again), so that a run over many small files
// reads each in one open, one read and one close, allocating nothing. A
// regular file gives every byte asked for up to its end, so a read that
// gives fewer is its end; a pipe or a terminal (which take no positioned
// read) is read to its end.
FileView ReadFileInto(const std::string& path, std::size_t maxBytes, std::string& room);

}  // namespace korvanes
