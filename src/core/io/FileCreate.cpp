#include "io/FileCreate.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <random>

#include "text/TextEncoding.h"

namespace korvanes {
namespace {

// Closes the descriptor when it goes out of scope.
struct Descriptor {
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

// Writes all of `bytes` and syncs them. Returns 0 or the error number.
int WriteAllAndSync(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (n == 0) {
            return EIO;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return ::fsync(fd) == 0 ? 0 : errno;
}

std::string FolderOf(const std::string& path)
{
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

CreateStatus Failed(int error) { return {CreateOutcome::kError, error}; }

// link() gives the new name only if none exists: EEXIST otherwise.
CreateStatus Linked(int result)
{
    if (result == 0) {
        return {};
    }
    return errno == EEXIST ? CreateStatus{CreateOutcome::kExists, EEXIST} : Failed(errno);
}

// A file without a name, linked once complete.
CreateStatus CreateUnnamed(const std::string& path, std::string_view bytes, bool& unsupported)
{
    Descriptor file{::open(FolderOf(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666)};
    if (file.fd < 0) {
        unsupported = errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL;
        return Failed(errno);
    }
    if (const int error = WriteAllAndSync(file.fd, bytes)) {
        return Failed(error);
    }
    const std::string self = StringPrintf("/proc/self/fd/%d", file.fd);
    const CreateStatus linked = Linked(::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW));
    unsupported = linked.outcome == CreateOutcome::kError && (linked.error == ENOENT || linked.error == EPERM ||
                                                               linked.error == EOPNOTSUPP);
    return linked;
}

// A temporary name beside the target, linked once complete and removed.
// Where the file system has no links either, the file is created under its
// own name and written at once (it is then briefly empty).
CreateStatus CreateNamed(const std::string& path, std::string_view bytes)
{
    std::random_device random;
    std::string temporary;
    Descriptor file;
    for (int attempt = 0; attempt < 16 && file.fd < 0; ++attempt) {
        temporary = path + StringPrintf(".%08x.tmp", static_cast<unsigned>(random()));
        file.fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (file.fd < 0 && errno != EEXIST) {
            return Failed(errno);
        }
    }
    if (file.fd < 0) {
        return Failed(EEXIST);
    }
    const int error = WriteAllAndSync(file.fd, bytes);
    CreateStatus status = error != 0 ? Failed(error) : Linked(::link(temporary.c_str(), path.c_str()));
    ::unlink(temporary.c_str());
    if (status.outcome != CreateOutcome::kError || (status.error != EPERM && status.error != EOPNOTSUPP)) {
        return status;
    }
    Descriptor direct{::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666)};
    if (direct.fd < 0) {
        return errno == EEXIST ? CreateStatus{CreateOutcome::kExists, EEXIST} : Failed(errno);
    }
    if (const int writeError = WriteAllAndSync(direct.fd, bytes)) {
        ::unlink(path.c_str());  // our own, incomplete file
        return Failed(writeError);
    }
    return {};
}

}  // namespace

CreateStatus CreateFileExclusively(const std::string& path, std::string_view bytes)
{
    bool unsupported = false;
    const CreateStatus status = CreateUnnamed(path, bytes, unsupported);
    return unsupported ? CreateNamed(path, bytes) : status;
}

}  // namespace korvanes
