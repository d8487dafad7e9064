#include "io/FileCreate.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <random>

#include "text/TextEncoding.h"

namespace korvanes {
namespace {

std::string FolderOf(const std::string& path)
{
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

// A random name beside `path` for a file on its way to it.
std::string TemporaryName(const std::string& path, std::random_device& random)
{
    return path + StringPrintf(".%08x.tmp", static_cast<unsigned>(random()));
}

// A free temporary name beside `path`, opened as a new file; -1 on failure.
int OpenTemporary(const std::string& path, int mode, std::string& temporary)
{
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt) {
        temporary = TemporaryName(path, random);
        const int fd = ::open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) {
            if (fd < 0) {
                temporary.clear();
            }
            return fd;
        }
    }
    temporary.clear();
    errno = EEXIST;
    return -1;
}

// Writes all of `bytes` to `fd`. Returns 0 or the error number.
int WriteAll(int fd, std::string_view bytes)
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
    return 0;
}

bool NoUnnamedFiles(int error) { return error == EOPNOTSUPP || error == EISDIR || error == EINVAL; }

}  // namespace

NewFile::NewFile(const std::string& path, int mode)
{
    // An unnamed file gets its name through /proc/self/fd, so it needs that.
    if (::access("/proc/self/fd", X_OK) == 0) {
        m_fd = ::open(FolderOf(path).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
    } else {
        errno = EOPNOTSUPP;  // not the failed access's ENOENT: a named temporary file will do
    }
    if (m_fd < 0 && NoUnnamedFiles(errno)) {
        m_fd = OpenTemporary(path, mode, m_temporary);
    }
    m_openError = m_fd < 0 ? errno : 0;
}

NewFile::~NewFile()
{
    if (m_fd >= 0) {
        ::close(m_fd);
    }
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
    }
}

int NewFile::Write(std::string_view bytes) { return WriteAll(m_fd, bytes); }

int NewFile::LinkAs(const std::string& path)
{
    if (!m_temporary.empty()) {
        if (::link(m_temporary.c_str(), path.c_str()) != 0) {
            return errno;
        }
        return 0;  // the temporary name goes with the destructor
    }
    const std::string self = StringPrintf("/proc/self/fd/%d", m_fd);
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
}

int NewFile::RenameOver(const std::string& path)
{
    if (m_temporary.empty()) {
        // A name of its own first: rename() needs one.
        std::string temporary;
        std::random_device random;
        int error = EEXIST;
        for (int attempt = 0; attempt < 16 && error == EEXIST; ++attempt) {
            temporary = TemporaryName(path, random);
            error = LinkAs(temporary);
        }
        if (error != 0) {
            return error;
        }
        m_temporary = temporary;
    }
    if (::rename(m_temporary.c_str(), path.c_str()) != 0) {
        return errno;
    }
    m_temporary.clear();
    return 0;
}

CreateStatus CreateFileExclusively(const std::string& path, std::string_view bytes)
{
    NewFile file(path);
    if (file.Fd() < 0) {
        return {CreateOutcome::kError, file.OpenError()};
    }
    int error = file.Write(bytes);
    if (error == 0 && ::fsync(file.Fd()) != 0) {
        error = errno;
    }
    if (error == 0) {
        error = file.LinkAs(path);
    }
    if (error == 0) {
        return {};
    }
    if (error == EEXIST) {
        return {CreateOutcome::kExists, EEXIST};
    }
    if (error != EPERM && error != EOPNOTSUPP && error != ENOENT) {
        return {CreateOutcome::kError, error};
    }
    // A file system without links (or without /proc): the file under its own
    // name, written at once.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return errno == EEXIST ? CreateStatus{CreateOutcome::kExists, EEXIST} : CreateStatus{CreateOutcome::kError, errno};
    }
    error = WriteAll(fd, bytes);
    ::close(fd);
    if (error != 0) {
        ::unlink(path.c_str());  // our own, incomplete file
        return {CreateOutcome::kError, error};
    }
    return {};
}

}  // namespace korvanes
