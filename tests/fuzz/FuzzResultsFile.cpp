// Any bytes as an existing results file: the check before an append and the
// append itself, on a file in a folder of the run's own. Promises checked: the append accepts
// exactly the files the check accepts; an accepted file keeps every byte and
// gains the line (after a line end of its own when its last line had none);
// a refused file is left as it was.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzCheck.h"
#include "results/ResultsTable.h"

namespace {

// The file every input is written to, in a fresh folder of this run that is
// removed at the end: in memory (/dev/shm) where there is such a place, as
// a journalling file system flushes the data of every file renamed over
// another and so runs a few hundred inputs a second.
char g_folder[] = "/dev/shm/korvanes-fuzz-results-XXXXXX";
char g_fallbackFolder[] = "/tmp/korvanes-fuzz-results-XXXXXX";

const char* g_used = g_folder;

void RemoveFolder()
{
    const std::string folder = g_used;
    ::unlink((folder + "/results.krv").c_str());
    ::rmdir(folder.c_str());
}

const std::string& FilePath()
{
    static const std::string path = [] {
        if (::mkdtemp(g_folder) == nullptr) {
            g_used = g_fallbackFolder;
            korvanes::fuzz::Require(::mkdtemp(g_fallbackFolder) != nullptr, "a folder for the file can be made");
        }
        std::atexit(RemoveFolder);
        return std::string(g_used) + "/results.krv";
    }();
    return path;
}

bool Write(const std::string& path, const std::string& bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const bool written = fd >= 0 && ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    return ::close(fd) == 0 && written;
}

std::string Contents(const std::string& path)
{
    std::string bytes;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    char buffer[1 << 16];
    ssize_t n = 0;
    while (fd >= 0 && (n = ::read(fd, buffer, sizeof buffer)) > 0) {
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace korvanes;
    const std::string& path = FilePath();
    const std::string before(reinterpret_cast<const char*>(data), size);
    fuzz::Require(Write(path, before), "the file takes the input");

    static const std::string line = FormatResultLine(ResultValues{"F1", 35.0, "CC", CSpecimenResult{}});
    const AppendStatus checked = CheckResultsFile(path);
    const AppendStatus appended = AppendResult(path, line);
    fuzz::Require(checked.outcome == appended.outcome, "the append accepts what the check accepts");
    const std::string after = Contents(path);
    if (appended.ok()) {
        const bool ended = before.empty() || before.back() == '\n';
        fuzz::Require(after == before + (ended ? "" : "\r\n") + line, "an accepted file keeps its bytes and gains the line");
    } else {
        fuzz::Require(after == before, "a refused file is left as it was");
    }
    return 0;
}
