#include "results/ResultsTable.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <limits>
#include <random>
#include <vector>

#include "analysis/AraiFit.h"
#include "core/results/TempDir.h"
#include "text/TextEncoding.h"

namespace korvanes {
namespace {

using testing::ReadBytes;
using testing::RunningAsRoot;
using testing::TempDir;
using testing::WriteBytes;

std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == '\t') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

ResultValues Example()
{
    ResultValues v;
    v.name = "AB 12a\xE9";  // blank and a Windows-1252 byte, copied as they are
    v.labField = 35.0;
    v.result.paleointensity = 28.456;
    v.result.stdDev = 1.234;
    v.result.tMin = 250;
    v.result.tMax = 520;
    v.result.n = 9;
    v.result.slope = -0.81;
    v.result.slopeRelStd = 0.043;
    v.result.f = 0.667;
    v.result.g = 0.845;
    v.result.q = 10.26;
    v.result.w = 3.87;
    v.result.trm = 412.26;
    v.result.nrmT = 380.04;
    v.result.incAnchored = 45.14;
    v.result.decAnchored = 351.96;
    v.result.madAnchored = 2.34;
    v.result.incFree = 44.86;
    v.result.decFree = 352.11;
    v.result.madFree = 3.07;
    v.result.alpha = 1.52;
    v.coordinates = "IS";
    v.result.methodType = "MT4";
    v.result.resultClass = "A*";
    v.result.ckError = 3.44;
    v.result.ckDiff = -4.06;
    v.result.drat = 2.96;
    v.result.dTStar = 1.04;
    v.result.dTR = 6.66;
    v.result.dAC = 0.0;
    return v;
}

TEST(ResultsTable, HeaderLineIsByteExact)
{
    const char* names[] = {"Name", "Labfield", "Paleoint", "Stddev", "Tmin", "Tmax", "N", "slope", "Std/slope",
                           "f", "g", "q", "w", "TRM", "NRMt", "Inc anchored", "Dec anchored", "Mad anchored",
                           "Inc free", "Dec free", "Mad free", "Alpha", "Coordinates", "Type", "Class",
                           "CK-error", "CK-diff", "Drat", "d(t*)", "d(TR)", "d(AC)"};
    std::string expected;
    for (const char* name : names) {
        expected += expected.empty() ? "" : "\t";
        expected += name;
    }
    expected += "\r\n";
    EXPECT_EQ(ResultsHeaderLine(), expected);
    EXPECT_EQ(ResultsHeaderLine().find("Paleoint"), 14u);  // the fifteenth character
}

TEST(ResultsTable, ResultLineIsByteExact)
{
    const std::string line = FormatResultLine(Example());
    EXPECT_EQ(line,
              "AB 12a\xE9\t35.0\t28.46\t1.23\t250\t520\t9\t-0.81\t0.04\t0.67\t0.84\t10.3\t3.9\t412.3\t380.0\t"
              "45.1\t352.0\t2.3\t44.9\t352.1\t3.1\t1.5\tIS\tMT4\tA*\t3.4\t-4.1\t3.0\t1.0\t6.7\t0.0\r\n");
    ASSERT_TRUE(line.ends_with("\r\n"));
    const std::vector<std::string> fields = SplitTabs(line.substr(0, line.size() - 2));
    ASSERT_EQ(fields.size(), 31u);
    EXPECT_EQ(fields[1], "35.0");
    EXPECT_EQ(fields[2], "28.46");
}

// Every number as printf's %.1f and %.2f write it: ties of the binary value,
// negative values that round to zero, huge and tiny values.
TEST(ResultsTable, NumbersAreWrittenAsPrintfWritesThem)
{
    std::mt19937_64 random(11);
    std::vector<double> values{0.0, -0.0, 0.05, 0.15, 0.25, 0.125, 2.675, 1.005, -0.04, -0.004, 9.95, 99.995,
                               1e15 + 0.5, 4503599627370497.0, 1e-300, -1e300, std::numeric_limits<double>::max()};
    for (int k = 0; k < 2000; ++k) {
        const std::uint64_t bits = random();
        double value = 0.0;
        std::memcpy(&value, &bits, sizeof value);
        values.push_back(std::isfinite(value) ? value : std::ldexp(static_cast<double>(bits % 100000), -7));
        values.push_back(std::uniform_real_distribution<double>(-3000.0, 3000.0)(random));  // the usual sizes
    }
    for (const double value : values) {
        ResultValues v;
        v.labField = value;
        v.result.paleointensity = value;
        v.result.trm = value;  // q and w write their largest value as "inf"
        const std::vector<std::string> fields = SplitTabs(FormatResultLine(v));
        ASSERT_EQ(fields.size(), 31u);
        EXPECT_EQ(fields[1], StringPrintf("%.1f", value));
        EXPECT_EQ(fields[2], StringPrintf("%.2f", value));
        EXPECT_EQ(fields[13], StringPrintf("%.1f", value));
    }
}

TEST(ResultsTable, EmptyResultAndNonFiniteValues)
{
    ResultValues v;
    v.name = "S1";
    v.labField = 35.0;
    v.coordinates = "CC";
    v.result.paleointensity = std::numeric_limits<double>::quiet_NaN();
    v.result.q = std::numeric_limits<double>::infinity();
    const std::vector<std::string> fields = SplitTabs(FormatResultLine(v));
    ASSERT_EQ(fields.size(), 31u);
    EXPECT_EQ(fields[2], "0.00");
    EXPECT_EQ(fields[11], "0.0");
    EXPECT_EQ(fields[24], "");  // empty class
    EXPECT_EQ(fields[30], "0.0\r\n");
}

TEST(ResultsTable, QualityWithoutScatterIsWrittenInf)
{
    // q and w of points exactly on a line: "inf", not the 309 digits of
    // the stand-in; every other field as before.
    ResultValues v = Example();
    v.result.q = kQualityWithoutScatter;
    v.result.w = -kQualityWithoutScatter;
    const std::vector<std::string> fields = SplitTabs(FormatResultLine(v));
    const std::vector<std::string> plain = SplitTabs(FormatResultLine(Example()));
    ASSERT_EQ(fields.size(), 31u);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        EXPECT_EQ(fields[i], i == 11 ? "inf" : i == 12 ? "-inf" : plain[i]) << i;
    }
}

// The longest line there is: every number at its longest (the largest
// double), after a short name and after a long one.
TEST(ResultsTable, LongestNumbersAndLongNamesAreWrittenWhole)
{
    const double longest = -std::numeric_limits<double>::max();
    for (const std::string& name : {std::string("S"), std::string(20000, 'n')}) {
        ResultValues v;
        v.name = name;
        v.labField = longest;
        v.coordinates = "CC";
        CSpecimenResult& r = v.result;
        for (double* value : {&r.paleointensity, &r.stdDev, &r.slope, &r.slopeRelStd, &r.f, &r.g, &r.trm, &r.nrmT,
                              &r.incAnchored, &r.decAnchored, &r.madAnchored, &r.incFree, &r.decFree, &r.madFree,
                              &r.alpha, &r.ckError, &r.ckDiff, &r.drat, &r.dTStar, &r.dTR, &r.dAC}) {
            *value = longest;
        }
        r.q = r.w = std::nextafter(longest, 0.0);  // the largest is written "inf"
        r.tMin = r.tMax = r.n = std::numeric_limits<int>::min();
        const std::vector<std::string> fields = SplitTabs(FormatResultLine(v));
        ASSERT_EQ(fields.size(), 31u);
        EXPECT_EQ(fields[0], name);
        EXPECT_EQ(fields[2], StringPrintf("%.2f", longest));
        EXPECT_EQ(fields[4], "-2147483648");
        EXPECT_EQ(fields[11], StringPrintf("%.1f", r.q));
        EXPECT_EQ(fields[30], StringPrintf("%.1f\r\n", longest));
    }
}

TEST(ResultsTable, ValuesComeFromTheDocument)
{
    CKorvanesToolDoc doc;
    doc.m_header.m_specimenName = "K7";
    doc.m_header.m_labField = 40.1f;
    doc.m_options.m_coordinates = kBedding;
    doc.m_result.paleointensity = 28.456;
    doc.m_result.tMin = 100;
    doc.m_result.tMax = 400;
    doc.m_result.incAnchored = 12.0;
    doc.m_result.decAnchored = 200.0;
    doc.m_result.resultClass = "B";
    doc.m_result.methodType = "MT1";
    const ResultValues v = ResultValuesFromDocument(doc);
    EXPECT_EQ(v.labField, static_cast<double>(40.1f));
    const std::vector<std::string> fields = SplitTabs(FormatResultLine(v));
    EXPECT_EQ(fields[0], "K7");
    EXPECT_EQ(fields[1], "40.1");
    EXPECT_EQ(fields[4], "100");
    EXPECT_EQ(fields[15], "12.0");  // inclination before declination
    EXPECT_EQ(fields[16], "200.0");
    EXPECT_EQ(fields[22], "BC");
    EXPECT_EQ(fields[23], "MT1");
    EXPECT_EQ(fields[24], "B");
    EXPECT_STREQ(CoordinateCode(kCoreCoordinates), "CC");
    EXPECT_STREQ(CoordinateCode(kGeographic), "IS");
}

TEST(ResultsTable, NewFileGetsOneHeaderAndEverySaveOneLine)
{
    TempDir dir;
    const std::string path = dir.File("site1.krv");
    const std::string line = FormatResultLine(Example());
    ASSERT_TRUE(AppendResult(path, line).ok());
    EXPECT_EQ(ReadBytes(path), ResultsHeaderLine() + line);
    ASSERT_TRUE(AppendResult(path, line).ok());
    EXPECT_EQ(ReadBytes(path), ResultsHeaderLine() + line + line);
}

TEST(ResultsTable, FirstLineDecidesWhetherAFileIsAccepted)
{
    TempDir dir;
    const std::string line = FormatResultLine(Example());
    struct Case {
        const char* name;
        std::string contents;
        bool accepted;
    };
    const Case cases[] = {
        {"header", "Name\tPaleoint\r\nold line\r\n", true},
        {"keyword first", "Paleoint\tName\r\n", false},
        {"data file with header", "Korvanes-kvd\r\n35 0 0 0 0\r\nAB1\t20 5.3 12 45\r\n", false},
        {"data line", "AB12a\t20.00\t5.321E+02\t12.5\t45.1\n", false},
        {"empty", "", false},
        {"keyword on the second line", "Name\tother\r\nx\tPaleoint\r\n", false},
        {"keyword at 190", std::string(190, 'x') + "Paleoint\r\n", true},
        {"keyword past 198", std::string(191, 'x') + "Paleoint\r\n", false},
    };
    for (const Case& c : cases) {
        const std::string path = dir.File(std::string(c.name) + ".krv");
        WriteBytes(path, c.contents);
        const AppendStatus status = AppendResult(path, line);
        if (c.accepted) {
            EXPECT_TRUE(status.ok()) << c.name << ": " << status.message;
            EXPECT_EQ(ReadBytes(path), c.contents + line) << c.name;
        } else {
            EXPECT_EQ(status.outcome, AppendOutcome::kRefused) << c.name;
            EXPECT_EQ(status.message, "This is not a Korvanes-Data-File !!");
            EXPECT_EQ(ReadBytes(path), c.contents) << c.name;
        }
    }
}

TEST(ResultsTable, FileThatCannotBeCreatedIsAnErrorAndNothingIsCreated)
{
    TempDir dir;
    const std::string notAFolder = dir.File("plain");
    WriteBytes(notAFolder, "x");
    const std::string path = notAFolder + "/results.krv";
    const AppendStatus status = AppendResult(path, FormatResultLine(Example()));
    EXPECT_EQ(status.outcome, AppendOutcome::kError);
    EXPECT_NE(status.message.find(path), std::string::npos) << status.message;
    EXPECT_EQ(ReadBytes(notAFolder), "x");
}

TEST(ResultsTable, UnwritableFolderIsAnErrorAndNothingIsCreated)
{
    if (RunningAsRoot()) {
        GTEST_SKIP() << "folder permissions do not bind the superuser";
    }
    TempDir dir;
    const std::string folder = dir.File("locked");
    std::filesystem::create_directory(folder);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const std::string path = folder + "/results.krv";
    const AppendStatus status = AppendResult(path, FormatResultLine(Example()));
    EXPECT_EQ(status.outcome, AppendOutcome::kError);
    EXPECT_NE(status.message.find(path), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(ResultsTable, ExistingFileThatCannotBeReadIsNeverEmptied)
{
    TempDir dir;
    // A folder at the path exists but cannot be read as a file.
    const std::string folder = dir.File("folder.krv");
    std::filesystem::create_directory(folder);
    const AppendStatus status = AppendResult(folder, FormatResultLine(Example()));
    EXPECT_EQ(status.outcome, AppendOutcome::kError);
    EXPECT_NE(status.message.find(folder), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(folder));

    if (!RunningAsRoot()) {
        const std::string locked = dir.File("locked.krv");
        const std::string contents = ResultsHeaderLine() + "S1\tline\r\n";
        WriteBytes(locked, contents);
        std::filesystem::permissions(locked, std::filesystem::perms::none);
        EXPECT_EQ(AppendResult(locked, FormatResultLine(Example())).outcome, AppendOutcome::kError);
        std::filesystem::permissions(locked, std::filesystem::perms::owner_read);
        EXPECT_EQ(ReadBytes(locked), contents);
    }
}

// A write that stops part-way (here at the file-size limit) leaves the file
// at its old size. Run in a child process so the limit binds it alone.
TEST(ResultsTable, ShortWriteIsCutBack)
{
    TempDir dir;
    const std::string path = dir.File("limited.krv");
    const std::string before = ResultsHeaderLine() + "S1\tfirst\r\n";
    WriteBytes(path, before);
    const std::string line = FormatResultLine(Example());

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlim_t limit = before.size() + 10;
        struct rlimit rl {limit, limit};
        if (::setrlimit(RLIMIT_FSIZE, &rl) != 0) {
            ::_exit(3);
        }
        const AppendStatus status = AppendResult(path, line);
        ::_exit(status.outcome == AppendOutcome::kError ? 0 : 1);
    }
    int childStatus = 0;
    ASSERT_EQ(::waitpid(child, &childStatus, 0), child);
    ASSERT_TRUE(WIFEXITED(childStatus));
    EXPECT_EQ(WEXITSTATUS(childStatus), 0);
    EXPECT_EQ(ReadBytes(path), before);

    // Without the limit the same line goes in whole.
    ASSERT_TRUE(AppendResult(path, line).ok());
    EXPECT_EQ(ReadBytes(path), before + line);
}

TEST(ResultsTable, ALinkStaysALinkAndADanglingOneIsAnError)
{
    TempDir dir;
    const std::string target = dir.File("study.krv");
    const std::string link = dir.File("link.krv");
    WriteBytes(target, ResultsHeaderLine());
    std::filesystem::create_symlink(target, link);
    const std::string line = FormatResultLine(Example());
    ASSERT_TRUE(AppendResult(link, line).ok());
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadBytes(target), ResultsHeaderLine() + line);

    const std::string dangling = dir.File("dangling.krv");
    std::filesystem::create_symlink(dir.File("missing/none.krv"), dangling);
    EXPECT_EQ(AppendResult(dangling, line).outcome, AppendOutcome::kError);
    EXPECT_TRUE(std::filesystem::is_symlink(dangling));
}

TEST(ResultsTable, UnterminatedLastLineIsEndedBeforeTheNewOne)
{
    TempDir dir;
    const std::string path = dir.File("torn.krv");
    const std::string before = ResultsHeaderLine() + "S1\t35.0\t28";  // a line cut short
    WriteBytes(path, before);
    const std::string line = FormatResultLine(Example());
    ASSERT_TRUE(AppendResult(path, line).ok());
    EXPECT_EQ(ReadBytes(path), before + "\r\n" + line);
}

// Appends from several processes at once: every line arrives whole, once, and
// the header stays the only one, also when the file does not exist at first.
// Many lines in one write, nothing in the file before the commit, and a file
// that another program creates between the first line and the commit gets
// the lines after what that program wrote.
TEST(ResultsAppender, OneWriteForManyLinesAndNothingBeforeTheCommit)
{
    TempDir dir;
    const std::string path = dir.File("batch.krv");
    const std::string line = FormatResultLine(Example());
    WriteBytes(path, ResultsHeaderLine());
    {
        ResultsAppender dropped(path);
        ASSERT_TRUE(dropped.Add(line + line).ok());
        EXPECT_EQ(ReadBytes(path), ResultsHeaderLine());
    }
    EXPECT_EQ(ReadBytes(path), ResultsHeaderLine());  // never committed
    ResultsAppender appender(path);
    for (int k = 0; k < 3; ++k) {
        ASSERT_TRUE(appender.Add(line).ok());
    }
    EXPECT_EQ(appender.BufferedBytes(), 0u);  // in the next version, not in memory
    ASSERT_TRUE(appender.Commit().ok());
    EXPECT_EQ(appender.Writes(), 1u);
    EXPECT_EQ(ReadBytes(path), ResultsHeaderLine() + line + line + line);

    const std::string created = dir.File("created.krv");
    ResultsAppender late(created);
    ASSERT_TRUE(late.Add("late\r\n").ok());
    ASSERT_TRUE(AppendResult(created, line).ok());
    ASSERT_TRUE(late.Commit().ok());
    EXPECT_EQ(ReadBytes(created), ResultsHeaderLine() + line + "late\r\n");
}

TEST(ResultsTable, ConcurrentAppendsNeverInterleave)
{
    TempDir dir;
    const std::string path = dir.File("shared.krv");
    constexpr int kWriters = 4;
    constexpr int kLines = 150;
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ResultValues v = Example();
            v.name = std::string(static_cast<std::size_t>(40 + 60 * w), static_cast<char>('a' + w));
            const std::string line = FormatResultLine(v);
            for (int k = 0; k < kLines; ++k) {
                if (!AppendResult(path, line).ok()) {
                    ::_exit(1);
                }
            }
            ::_exit(0);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const std::string contents = ReadBytes(path);
    ASSERT_EQ(contents.rfind(ResultsHeaderLine(), 0), 0u);
    std::vector<int> perWriter(kWriters, 0);
    std::size_t start = ResultsHeaderLine().size();
    while (start < contents.size()) {
        const std::size_t end = contents.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        const std::vector<std::string> fields = SplitTabs(contents.substr(start, end - start));
        ASSERT_EQ(fields.size(), 31u);
        const int w = fields[0][0] - 'a';
        ASSERT_TRUE(w >= 0 && w < kWriters);
        EXPECT_EQ(fields[0], std::string(static_cast<std::size_t>(40 + 60 * w), fields[0][0]));
        ++perWriter[static_cast<std::size_t>(w)];
        start = end + 2;
    }
    EXPECT_EQ(perWriter, std::vector<int>(kWriters, kLines));
}

// An append waits for another program's lock and checks the header under
// it: a file that stopped being a results file meanwhile is refused.
TEST(ResultsTable, AppendWaitsForTheLockAndChecksTheHeaderUnderIt)
{
    TempDir dir;
    const std::string path = dir.File("locked.krv");
    WriteBytes(path, ResultsHeaderLine());
    const int fd = ::open(path.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(fd);  // the lock belongs to the parent's open file
        const AppendStatus status = AppendResult(path, FormatResultLine(Example()));
        ::_exit(status.outcome == AppendOutcome::kRefused ? 0 : 1);
    }
    ::usleep(100000);
    EXPECT_EQ(ReadBytes(path), ResultsHeaderLine());  // nothing written past the lock
    const std::string other = "not a results file\n";
    ASSERT_EQ(::ftruncate(fd, 0), 0);
    ASSERT_EQ(::pwrite(fd, other.data(), other.size(), 0), static_cast<ssize_t>(other.size()));
    ::close(fd);  // releases the lock
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ReadBytes(path), other);
}

// A results file on a read-only medium: a clear error, and the old contents
// stay whole; no new file appears there either. Needs a private mount
// namespace to make a read-only file system.
TEST(ResultsTable, ReadOnlyMediumIsAClearErrorAndKeepsTheContents)
{
    TempDir dir;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const char* folder = dir.Path().c_str();
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", folder, "tmpfs", 0, nullptr) != 0) {
            ::_exit(77);
        }
        const std::string path = dir.File("study.krv");
        const std::string before = ResultsHeaderLine() + "S1\tline\r\n";
        WriteBytes(path, before);
        if (::mount(nullptr, folder, nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
            ::_exit(77);
        }
        const AppendStatus existing = AppendResult(path, FormatResultLine(Example()));
        const AppendStatus created = AppendResult(dir.File("new.krv"), FormatResultLine(Example()));
        const bool ok = existing.outcome == AppendOutcome::kError &&
                        existing.message.find("Read-only file system") != std::string::npos &&
                        ReadBytes(path) == before && created.outcome == AppendOutcome::kError &&
                        created.message.find("Cannot create") != std::string::npos &&
                        !std::filesystem::exists(dir.File("new.krv"));
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) {
        GTEST_SKIP() << "no private mount namespace here to make a read-only file system";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace korvanes
