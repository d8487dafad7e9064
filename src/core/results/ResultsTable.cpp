#include "results/ResultsTable.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "io/FileCreate.h"
#include "results/QualityText.h"
#include "text/OutputNumbers.h"
#include "text/TextEncoding.h"

namespace korvanes {
namespace {

// How much of the first line the header check looks at.
constexpr std::size_t kCheckedLineLength = 198;

std::string Reason(int error) { return std::generic_category().message(error); }

AppendStatus Error(const char* what, const std::string& path, int error)
{
    return {AppendOutcome::kError, StringPrintf("Cannot %s the results file \"%s\": %s.", what, path.c_str(),
                                                Reason(error).c_str())};
}

// Closes the descriptor when it goes out of scope (which also releases a
// lock taken on it).
struct Descriptor {
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

// The first line of the file as far as the check looks at it, read from the
// start of `fd`. Returns 0 or the error number.
int ReadFirstLine(int fd, std::string& line)
{
    char buffer[kCheckedLineLength];
    ssize_t n = 0;
    do {
        n = ::pread(fd, buffer, sizeof buffer, 0);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        return errno;
    }
    const std::string_view bytes(buffer, static_cast<std::size_t>(n));
    line.assign(bytes.substr(0, bytes.find('\n')));
    return 0;
}

bool IsHeaderLine(const std::string& firstLine)
{
    const std::size_t at = firstLine.find("Paleoint");
    return at != std::string::npos && at != 0;
}

AppendStatus Refused() { return {AppendOutcome::kRefused, std::string(kNotAResultsFileMessage)}; }

// Waits for the exclusive lock on the open file. A file system without
// locks (some network shares) is written to without one.
int Lock(int fd)
{
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno == EINTR) {
            continue;
        }
        return errno == ENOLCK || errno == EOPNOTSUPP || errno == ENOSYS ? 0 : errno;
    }
    return 0;
}

// Whether `path` still names the file open as `fd` (it may have been
// removed or replaced while this process waited for the lock).
bool StillNamed(int fd, const std::string& path)
{
    struct stat open {};
    struct stat named {};
    return ::fstat(fd, &open) == 0 && ::stat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}

enum class Step { kDone, kAgain };

// Copies the first `size` bytes of `from` to the end of `to`. Returns 0 or
// the error number.
int CopyContents(int from, off_t size, NewFile& to)
{
    char buffer[1 << 16];
    off_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(from, buffer, static_cast<std::size_t>(std::min<off_t>(size - done, sizeof buffer)), done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return n < 0 ? errno : EIO;
        }
        if (const int error = to.Write(std::string_view(buffer, static_cast<std::size_t>(n)))) {
            return error;
        }
        done += n;
    }
    return 0;
}

// Appends in place, in one write, for a file whose folder takes no new file
// (the file itself may still be writable). A write that fails or falls short
// is cut back. Returns 0 or the error number.
int AppendInPlace(const std::string& target, off_t size, const std::string& bytes)
{
    Descriptor file{::open(target.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC)};
    if (file.fd < 0) {
        return errno;
    }
    ssize_t written = 0;
    do {
        written = ::write(file.fd, bytes.data(), bytes.size());
    } while (written < 0 && errno == EINTR);
    if (written == static_cast<ssize_t>(bytes.size())) {
        return 0;
    }
    const int error = written < 0 ? errno : ENOSPC;
    while (::ftruncate(file.fd, size) != 0 && errno == EINTR) {
    }
    return error;
}

// One attempt at appending to the existing file at `path`, under its lock:
// the header check, then a new file with the old contents and the line that
// replaces the old one. kAgain when the file is missing or was replaced
// meanwhile.
Step AppendToExisting(const std::string& path, const std::string& line, AppendStatus& status)
{
    // The file a link leads to is the one appended to; the link stays.
    std::error_code resolveError;
    const std::string target = std::filesystem::canonical(path, resolveError).string();
    if (resolveError) {
        std::error_code ignored;
        if (resolveError == std::errc::no_such_file_or_directory &&
            !std::filesystem::exists(std::filesystem::symlink_status(path, ignored))) {
            return Step::kAgain;  // nothing there: created by the caller
        }
        status = Error("append to", path, resolveError.value());
        return Step::kDone;
    }
    Descriptor file{::open(target.c_str(), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0) {
        if (errno == ENOENT) {
            return Step::kAgain;
        }
        status = Error("append to", path, errno);
        return Step::kDone;
    }
    if (const int error = Lock(file.fd)) {
        status = Error("lock", path, error);
        return Step::kDone;
    }
    if (!StillNamed(file.fd, target)) {
        return Step::kAgain;
    }
    std::string firstLine;
    if (const int error = ReadFirstLine(file.fd, firstLine)) {
        status = Error("read", path, error);
        return Step::kDone;
    }
    if (!IsHeaderLine(firstLine)) {
        status = Refused();
        return Step::kDone;
    }
    struct stat info {};
    if (::fstat(file.fd, &info) != 0) {
        status = Error("append to", path, errno);
        return Step::kDone;
    }
    // A last line without its line end (left by an editor) is ended first,
    // so the new line stands on a line of its own; nothing already in the
    // file is changed.
    std::string bytes = line;
    char last = '\n';
    if (::pread(file.fd, &last, 1, info.st_size - 1) == 1 && last != '\n') {
        bytes.insert(0, "\r\n");
    }

    // A write into the file itself can be cut short by a kill between two
    // pages of it, so the old contents and the line go to a new file that
    // takes the old one's place whole; the lock is held throughout.
    NewFile next(target, static_cast<int>(info.st_mode & 07777));
    if (next.Fd() < 0) {
        const int error = next.OpenError();
        if (error == EACCES || error == EPERM) {
            const int inPlace = AppendInPlace(target, info.st_size, bytes);
            status = inPlace == 0 ? AppendStatus{} : Error("append to", path, inPlace);
        } else {
            status = Error("append to", path, error);
        }
        return Step::kDone;
    }
    if (::geteuid() == 0 && ::fchown(next.Fd(), info.st_uid, info.st_gid) != 0) {
        status = Error("append to", path, errno);
        return Step::kDone;
    }
    ::fchmod(next.Fd(), info.st_mode & 07777);  // the umask may have taken bits away
    int error = CopyContents(file.fd, info.st_size, next);
    if (error == 0) {
        error = next.Write(bytes);
    }
    if (error == 0) {
        error = next.RenameOver(target);
    }
    status = error == 0 ? AppendStatus{} : Error("append to", path, error);
    return Step::kDone;
}

}  // namespace

const char* CoordinateCode(int coordinates)
{
    switch (coordinates) {
    case kGeographic:
        return "IS";
    case kBedding:
        return "BC";
    default:
        return "CC";
    }
}

ResultValues ResultValuesFromDocument(const CKorvanesToolDoc& doc)
{
    ResultValues v;
    v.name = doc.m_header.m_specimenName;
    v.labField = static_cast<double>(doc.m_header.m_labField);
    v.coordinates = CoordinateCode(doc.m_options.m_coordinates);
    v.result = doc.m_result;
    return v;
}

const std::string& ResultsHeaderLine()
{
    static const std::string header =
        "Name\tLabfield\tPaleoint\tStddev\tTmin\tTmax\tN\tslope\tStd/slope\tf\tg\tq\tw\tTRM\tNRMt\t"
        "Inc anchored\tDec anchored\tMad anchored\tInc free\tDec free\tMad free\tAlpha\tCoordinates\tType\tClass\t"
        "CK-error\tCK-diff\tDrat\td(t*)\td(TR)\td(AC)\r\n";
    return header;
}

std::string FormatResultLine(const ResultValues& v)
{
    const CSpecimenResult& r = v.result;
    const auto num = FiniteOrZero;
    // The texts are appended as they are rather than through %s, so that any
    // byte of a name survives.
    std::string line = v.name;
    line += StringPrintf("\t%.1f\t%.2f\t%.2f\t%d\t%d\t%d\t%.2f\t%.2f\t%.2f\t%.2f\t", num(v.labField),
                         num(r.paleointensity), num(r.stdDev), r.tMin, r.tMax, r.n, num(r.slope), num(r.slopeRelStd),
                         num(r.f), num(r.g));
    // q and w of a range without scatter are infinite: "inf", not the stand-in.
    line += FormatQuality(r.q, "%.1f");
    line += '\t';
    line += FormatQuality(r.w, "%.1f");
    line += StringPrintf("\t%.1f\t%.1f\t%.1f\t%.1f\t%.1f\t%.1f\t%.1f\t%.1f\t%.1f\t", num(r.trm), num(r.nrmT),
                         num(r.incAnchored), num(r.decAnchored), num(r.madAnchored), num(r.incFree), num(r.decFree),
                         num(r.madFree), num(r.alpha));
    line += v.coordinates;
    line += '\t';
    line += r.methodType;
    line += '\t';
    line += r.resultClass;
    line += StringPrintf("\t%.1f\t%.1f\t%.1f\t%.1f\t%.1f\t%.1f\r\n", num(r.ckError), num(r.ckDiff), num(r.drat),
                         num(r.dTStar), num(r.dTR), num(r.dAC));
    return line;
}

AppendStatus CheckResultsFile(const std::string& path)
{
    Descriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0) {
        return errno == ENOENT ? AppendStatus{} : Error("read", path, errno);  // ENOENT: created on the first append
    }
    std::string firstLine;
    if (const int error = ReadFirstLine(file.fd, firstLine)) {
        return Error("read", path, error);
    }
    return IsHeaderLine(firstLine) ? AppendStatus{} : Refused();
}

AppendStatus AppendResult(const std::string& path, const std::string& line)
{
    // A file removed, replaced (by another append) or created by another
    // program between two steps sends this round again. Each such round
    // means another program got on, so the rounds end; the limit only
    // guards against a file that something else replaces without end.
    AppendStatus status = Error("append to", path, EAGAIN);
    for (int attempt = 0; attempt < 100000; ++attempt) {
        if (AppendToExisting(path, line, status) == Step::kDone) {
            return status;
        }
        const CreateStatus created = CreateFileExclusively(path, ResultsHeaderLine() + line);
        if (created.outcome == CreateOutcome::kCreated) {
            return {};
        }
        if (created.outcome == CreateOutcome::kError) {
            return Error("create", path, created.error);
        }
    }
    return status;
}

}  // namespace korvanes
