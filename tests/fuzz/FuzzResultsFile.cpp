// Any bytes as an existing results file: the check before an append and the
// append itself, on a file in memory. Promises checked: the append accepts
// exactly the files the check accepts; an accepted file keeps every byte and
// gains the line (after a line end of its own when its last line had none);
// a refused file is left as it was.

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "results/ResultsTable.h"

namespace {

// One file in memory for the whole run, refilled for every input.
int MemoryFile()
{
    static const int fd = ::memfd_create("results.krv", MFD_CLOEXEC);
    return fd;
}

std::string Contents(int fd)
{
    struct stat info {};
    ::fstat(fd, &info);
    std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
    const ssize_t n = ::pread(fd, bytes.data(), bytes.size(), 0);
    bytes.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace korvanes;
    const int fd = MemoryFile();
    fuzz::Require(fd >= 0, "a file in memory can be made");
    const std::string before(reinterpret_cast<const char*>(data), size);
    fuzz::Require(::ftruncate(fd, 0) == 0 &&
                      ::pwrite(fd, before.data(), before.size(), 0) == static_cast<ssize_t>(before.size()),
                  "the file in memory takes the input");
    const std::string path = "/proc/self/fd/" + std::to_string(fd);

    static const std::string line = FormatResultLine(ResultValues{"F1", 35.0, "CC", CSpecimenResult{}});
    const AppendStatus checked = CheckResultsFile(path);
    const AppendStatus appended = AppendResult(path, line);
    fuzz::Require(checked.outcome == appended.outcome, "the append accepts what the check accepts");
    const std::string after = Contents(fd);
    if (appended.ok()) {
        const bool ended = before.empty() || before.back() == '\n';
        fuzz::Require(after == before + (ended ? "" : "\r\n") + line, "an accepted file keeps its bytes and gains the line");
    } else {
        fuzz::Require(after == before, "a refused file is left as it was");
    }
    return 0;
}
