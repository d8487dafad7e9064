#include "results/ResultsTable.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
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

}  // namespace

// The file's next version while lines are added: a new file beside the
// locked old one (kNewFile), the lines of a file still to be created
// (kCreate), or the lines to append in place to a locked file whose folder
// takes no new file (kInPlace).
struct ResultsAppender::Version {
    enum class Kind { kNewFile, kCreate, kInPlace } kind = Kind::kCreate;
    int fd = -1;                   // the locked old file (kNewFile, kInPlace)
    std::string target;            // its path, links resolved
    off_t size = 0;                // its size under the lock
    std::unique_ptr<NewFile> next;  // kNewFile
    std::string buffer;            // kCreate, kInPlace: the bytes to go
    bool pending = false;          // lines were added

    Version() = default;
    Version(const Version&) = delete;
    Version& operator=(const Version&) = delete;
    ~Version()
    {
        next.reset();
        if (fd >= 0) {
            ::close(fd);  // which releases the lock
        }
    }
};

namespace {

using Version = ResultsAppender::Version;

// One attempt at starting the next version of the existing file at `path`,
// under its lock: the header check, then a new file with the old contents.
// kAgain when the file is missing or was replaced meanwhile.
Step StartFromExisting(const std::string& path, Version& version, AppendStatus& status)
{
    // The file a link leads to is the one appended to; the link stays.
    std::error_code resolveError;
    version.target = std::filesystem::canonical(path, resolveError).string();
    if (resolveError) {
        // Nothing there yet: the caller creates the file. Another program
        // may create it between the resolution and this look, so only a
        // link that leads nowhere is an error; a file that appeared is
        // appended to in the next round.
        std::error_code ignored;
        if (resolveError == std::errc::no_such_file_or_directory &&
            !std::filesystem::is_symlink(std::filesystem::symlink_status(path, ignored))) {
            return Step::kAgain;
        }
        status = Error("append to", path, resolveError.value());
        return Step::kDone;
    }
    version.fd = ::open(version.target.c_str(), O_RDONLY | O_CLOEXEC);
    if (version.fd < 0) {
        if (errno == ENOENT) {
            return Step::kAgain;
        }
        status = Error("append to", path, errno);
        return Step::kDone;
    }
    const int fd = version.fd;
    if (const int error = Lock(fd)) {
        status = Error("lock", path, error);
        return Step::kDone;
    }
    if (!StillNamed(fd, version.target)) {
        return Step::kAgain;
    }
    std::string firstLine;
    if (const int error = ReadFirstLine(fd, firstLine)) {
        status = Error("read", path, error);
        return Step::kDone;
    }
    if (!IsHeaderLine(firstLine)) {
        status = Refused();
        return Step::kDone;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        status = Error("append to", path, errno);
        return Step::kDone;
    }
    version.size = info.st_size;
    // A last line without its line end (left by an editor) is ended first,
    // so the new lines stand on lines of their own; nothing already in the
    // file is changed.
    char last = '\n';
    const std::string_view lineEnd = ::pread(fd, &last, 1, info.st_size - 1) == 1 && last != '\n' ? "\r\n" : "";

    // A write into the file itself can be cut short by a kill between two
    // pages of it, so the old contents and the lines go to a new file that
    // takes the old one's place whole; the lock is held throughout.
    version.next = std::make_unique<NewFile>(version.target, static_cast<int>(info.st_mode & 07777));
    NewFile& next = *version.next;
    if (next.Fd() < 0) {
        const int error = next.OpenError();
        version.next.reset();
        if (error == EACCES || error == EPERM) {
            version.kind = Version::Kind::kInPlace;
            version.buffer = lineEnd;
            status = {};
        } else {
            status = Error("append to", path, error);
        }
        return Step::kDone;
    }
    version.kind = Version::Kind::kNewFile;
    if (::geteuid() == 0 && ::fchown(next.Fd(), info.st_uid, info.st_gid) != 0) {
        status = Error("append to", path, errno);
        return Step::kDone;
    }
    ::fchmod(next.Fd(), info.st_mode & 07777);  // the umask may have taken bits away
    int error = CopyContents(fd, info.st_size, next);
    if (error == 0) {
        error = next.Write(lineEnd);
    }
    status = error == 0 ? AppendStatus{} : Error("append to", path, error);
    return Step::kDone;
}

// Adds `bytes` to the version. Returns 0 or the error number.
int AddTo(Version& version, std::string_view bytes)
{
    if (version.kind == Version::Kind::kNewFile) {
        return version.next->Write(bytes);
    }
    version.buffer += bytes;
    return 0;
}

// Rounds of the file being removed, replaced (by another append) or created
// by another program between two steps. Each such round means another
// program got on, so the rounds end; the limit only guards against a file
// that something else replaces without end.
constexpr int kRounds = 100000;

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

namespace {

// Where a result line is written: room enough for all of it, made sure of
// beforehand, so that nothing is checked or grown on the way.
struct LineWriter {
    char* at;

    void Put(char c) { *at++ = c; }
    void Put(std::string_view text)
    {
        if (!text.empty()) {
            std::memcpy(at, text.data(), text.size());
            at += text.size();
        }
    }
};

// The most a number AppendFixed writes takes, its tab included (the largest
// double with two decimals takes 312 characters, its sign one more).
constexpr std::size_t kFixedRoom = 1 + 400;

// Appends a tab and `value` (finite) with 1 or 2 decimals, the bytes
// std::to_chars and printf write: the exact binary value rounded to
// nearest, ties to even. The scaled value, rounded once in double, lies
// within a unit of its last place of the exact one; below 2^50 and further
// than that from a tie it rounds to the same integer, whose digits are then
// written directly. Anything else goes through to_chars.
void AppendFixed(LineWriter& line, double value, int decimals)
{
    const std::uint64_t scale = decimals == 1 ? 10 : 100;
    const double scaled = std::fabs(value) * static_cast<double>(scale);
    const double whole = std::floor(scaled);
    const double fraction = scaled - whole;  // exact
    line.Put('\t');
    char* end = line.at;
    if ((decimals == 1 || decimals == 2) && scaled < 0x1p50 && std::fabs(fraction - 0.5) > scaled * 0x1p-50) {
        const std::uint64_t n = static_cast<std::uint64_t>(whole) + (fraction > 0.5 ? 1 : 0);
        if (std::signbit(value)) {
            *end++ = '-';
        }
        end = std::to_chars(end, end + 24, n / scale).ptr;
        *end++ = '.';
        std::uint64_t rest = n % scale;
        if (decimals == 2) {
            *end++ = static_cast<char>('0' + rest / 10);
            rest %= 10;
        }
        *end++ = static_cast<char>('0' + rest);
    } else {
        end = std::to_chars(end, end + (kFixedRoom - 1), value, std::chars_format::fixed, decimals).ptr;
    }
    line.at = end;
}

}  // namespace

std::string FormatResultLine(const ResultValues& v)
{
    const CSpecimenResult& r = v.result;
    // The numbers as printf's %.1f and %.2f write them (the exact binary
    // value, rounded to nearest, ties to even), in a fraction of its time
    // (AppendFixed). The texts are copied as they are, so that any byte of
    // a name survives. The line is written into room enough for its
    // longest form (on the stack unless the texts are long), then copied
    // once into a string of its own size.
    constexpr std::size_t kFixedNumbers = 24;
    constexpr std::size_t kWholeNumbers = 3;
    const std::size_t room = v.name.size() + v.coordinates.size() + r.methodType.size() + r.resultClass.size() +
                             kFixedNumbers * kFixedRoom + kWholeNumbers * 16 + 8;
    char stack[12 * 1024];
    std::string heap;
    if (room > sizeof stack) {
        heap.resize(room);
    }
    char* const start = room > sizeof stack ? heap.data() : stack;
    LineWriter line{start};
    line.Put(v.name);
    const auto fixed = [&line](double value, int decimals) { AppendFixed(line, FiniteOrZero(value), decimals); };
    const auto whole = [&line](int value) {
        line.Put('\t');
        line.at = std::to_chars(line.at, line.at + 12, value).ptr;
    };
    const auto text = [&line](const std::string& value) {
        line.Put('\t');
        line.Put(value);
    };
    fixed(v.labField, 1);
    fixed(r.paleointensity, 2);
    fixed(r.stdDev, 2);
    whole(r.tMin);
    whole(r.tMax);
    whole(r.n);
    for (const double value : {r.slope, r.slopeRelStd, r.f, r.g}) {
        fixed(value, 2);
    }
    // q and w of a range without scatter are infinite: "inf", not the stand-in.
    for (const double value : {r.q, r.w}) {
        if (IsInfiniteQuality(value)) {
            line.Put('\t');
            line.Put(FormatQuality(value, "%.1f"));
        } else {
            fixed(value, 1);
        }
    }
    for (const double value : {r.trm, r.nrmT, r.incAnchored, r.decAnchored, r.madAnchored, r.incFree,
                               r.decFree, r.madFree, r.alpha}) {
        fixed(value, 1);
    }
    text(v.coordinates);
    text(r.methodType);
    text(r.resultClass);
    for (const double value : {r.ckError, r.ckDiff, r.drat, r.dTStar, r.dTR, r.dAC}) {
        fixed(value, 1);
    }
    line.Put("\r\n");
    return std::string(start, line.at);
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
    ResultsAppender appender(path);
    const AppendStatus added = appender.Add(line);
    return added.ok() ? appender.Commit() : added;
}

ResultsAppender::ResultsAppender(std::string path) : m_path(std::move(path)) {}

ResultsAppender::~ResultsAppender() = default;

bool ResultsAppender::Pending() const { return m_version && m_version->pending; }

std::size_t ResultsAppender::BufferedBytes() const { return m_version ? m_version->buffer.size() : 0; }

void ResultsAppender::Drop() { m_version.reset(); }

AppendStatus ResultsAppender::Begin()
{
    AppendStatus status = Error("append to", m_path, EAGAIN);
    for (int round = 0; round < kRounds; ++round) {
        m_version = std::make_unique<Version>();
        if (StartFromExisting(m_path, *m_version, status) == Step::kDone) {
            if (!status.ok()) {
                Drop();
            }
            return status;
        }
        std::error_code ignored;
        if (!std::filesystem::exists(std::filesystem::symlink_status(m_path, ignored))) {
            m_version = std::make_unique<Version>();  // kCreate: made whole by the commit
            return {};
        }
    }
    Drop();
    return status;
}

AppendStatus ResultsAppender::Add(std::string_view lines)
{
    if (!m_version) {
        if (const AppendStatus started = Begin(); !started.ok()) {
            return started;
        }
    }
    if (const int error = AddTo(*m_version, lines)) {
        Drop();
        return Error("append to", m_path, error);
    }
    m_version->pending = m_version->pending || !lines.empty();
    return {};
}

AppendStatus ResultsAppender::Commit()
{
    if (!m_version) {
        return {};
    }
    std::unique_ptr<Version> version = std::move(m_version);
    if (!version->pending) {
        return {};  // nothing to write: the lock goes with the version
    }
    for (int round = 0; round < kRounds; ++round) {
        int error = 0;
        switch (version->kind) {
        case Version::Kind::kNewFile:
            error = version->next->RenameOver(version->target);
            break;
        case Version::Kind::kInPlace:
            error = AppendInPlace(version->target, version->size, version->buffer);
            break;
        case Version::Kind::kCreate: {
            const CreateStatus created = CreateFileExclusively(m_path, ResultsHeaderLine() + version->buffer);
            if (created.outcome == CreateOutcome::kError) {
                return Error("create", m_path, created.error);
            }
            if (created.outcome == CreateOutcome::kExists) {
                // Another program created it meanwhile: the lines go after
                // what it wrote.
                const std::string lines = std::move(version->buffer);
                version.reset();
                const AppendStatus added = Add(lines);
                if (!added.ok()) {
                    return added;
                }
                version = std::move(m_version);
                continue;
            }
            break;
        }
        }
        if (error != 0) {
            return Error("append to", m_path, error);
        }
        ++m_writes;
        return {};
    }
    return Error("append to", m_path, EAGAIN);
}

}  // namespace korvanes
