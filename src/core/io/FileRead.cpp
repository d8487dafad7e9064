#include "io/FileRead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace korvanes {
namespace {

// "cannot VERB 'PATH': reason".
std::string Failure(const char* verb, const std::string& path, const std::string& reason)
{
    return std::string("cannot ") + verb + " '" + path + "': " + reason;
}

std::string Reason(int error) { return std::generic_category().message(error); }

// Opens `path` for reading, again when a signal interrupts the call; -1
// with errno set when it cannot.
int OpenForReading(const std::string& path)
{
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
};

}  // namespace

// Plain descriptor calls: one open, one fstat and as a rule one read for a
// file of a few kilobytes (a batch reads thousands of them); a regular file
// read whole at its size needs no second read for its end.
FileBytes ReadFileBytes(const std::string& path, std::size_t maxBytes)
{
    FileBytes file;
    auto fail = [&file, &path](const char* verb, const std::string& reason) {
        file.bytes.clear();
        file.error = Failure(verb, path, reason);
        return file;
    };
    const int fd = OpenForReading(path);
    if (fd < 0) {
        return fail("open", Reason(errno));
    }
    const Closer closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return fail("read", Reason(errno));
    }
    if (S_ISDIR(info.st_mode)) {
        return fail("read", Reason(EISDIR));
    }
    // The size is a hint (a pipe or a growing file may hold more or less);
    // one byte more than allowed tells a file that is too large.
    const std::size_t limit = maxBytes == std::numeric_limits<std::size_t>::max() ? maxBytes : maxBytes + 1;
    std::size_t capacity = S_ISREG(info.st_mode) && info.st_size > 0
                               ? std::min<std::size_t>(static_cast<std::size_t>(info.st_size) + 1, limit)
                               : std::min<std::size_t>(std::size_t{1} << 16, limit);
    file.bytes.resize(capacity);
    std::size_t size = 0;
    for (;;) {
        if (size == file.bytes.size()) {
            if (size >= limit) {
                break;
            }
            file.bytes.resize(std::min(limit, std::max<std::size_t>(2 * size, std::size_t{1} << 16)));
        }
        const ssize_t n = ::read(fd, file.bytes.data() + size, file.bytes.size() - size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fail("read", Reason(errno));
        }
        if (n == 0) {
            break;
        }
        size += static_cast<std::size_t>(n);
        // A regular file that gave fewer bytes than asked, ending at the size
        // fstat gave, is at its end: no further read to find that out.
        if (S_ISREG(info.st_mode) && size < file.bytes.size() && size == static_cast<std::size_t>(info.st_size)) {
            break;
        }
    }
    file.bytes.resize(size);
    if (size > maxBytes) {
        file.tooLarge = true;
        return fail("read", "the file is larger than " + std::to_string(maxBytes) + " bytes");
    }
    return file;
}

FileView ReadFileInto(const std::string& path, std::size_t maxBytes, std::string& room)
{
    FileView file;
    auto fail = [&file, &path](const char* verb, const std::string& reason) {
        file.bytes = {};
        file.error = Failure(verb, path, reason);
        return file;
    };
    const int fd = OpenForReading(path);
    if (fd < 0) {
        return fail("open", Reason(errno));
    }
    const Closer closer{fd};
    // One byte more than allowed tells a file that is too large.
    const std::size_t limit = maxBytes == std::numeric_limits<std::size_t>::max() ? maxBytes : maxBytes + 1;
    // Positioned reads at the bytes read so far: a regular file stops at
    // the first that falls short. One that is refused as unseekable (a
    // pipe) and any read after it read on to the end (0 bytes).
    bool positioned = true;
    std::size_t size = 0;
    for (;;) {
        if (size == room.size()) {
            if (size >= limit) {
                break;
            }
            room.resize(std::min(limit, std::max<std::size_t>(2 * size, std::size_t{1} << 16)));
        }
        const std::size_t wanted = std::min(room.size(), limit) - size;
        const ssize_t n = positioned ? ::pread(fd, room.data() + size, wanted, static_cast<off_t>(size))
                                     : ::read(fd, room.data() + size, wanted);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == ESPIPE && positioned) {
                positioned = false;
                continue;
            }
            return fail("read", Reason(errno));
        }
        size += static_cast<std::size_t>(n);
        if (n == 0 || (positioned && static_cast<std::size_t>(n) < wanted) || size >= limit) {
            break;
        }
    }
    if (size > maxBytes) {
        file.tooLarge = true;
        return fail("read", "the file is larger than " + std::to_string(maxBytes) + " bytes");
    }
    file.bytes = std::string_view(room.data(), size);
    return file;
}

}  // namespace korvanes
