// `korvanes batch`: the results file it creates and appends to, its summary
// and exit status, and the refusal of a file that is no results file.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "CliTestSupport.h"

namespace {

using namespace clitest;

const std::string kHeader =
    "Name\tLabfield\tPaleoint\tStddev\tTmin\tTmax\tN\tslope\tStd/slope\tf\tg\tq\tw\tTRM\tNRMt\t"
    "Inc anchored\tDec anchored\tMad anchored\tInc free\tDec free\tMad free\tAlpha\tCoordinates\tType\tClass\t"
    "CK-error\tCK-diff\tDrat\td(t*)\td(TR)\td(AC)";

// The lines of a results file, each without its CR LF; fails the test for a
// line end other than CR LF.
std::vector<std::string> CrLfLines(const std::string& bytes)
{
    std::vector<std::string> lines = Split(bytes, "\r\n");
    EXPECT_EQ(lines.back(), "") << "the file does not end with CR LF";
    lines.pop_back();
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find('\n'), std::string::npos) << "a bare LF in: " << line;
        EXPECT_EQ(line.find('\r'), std::string::npos) << "a bare CR in: " << line;
    }
    return lines;
}

std::vector<std::string> ExampleFiles()
{
    std::vector<std::string> files;
    for (const ExampleCase& e : kExamples) {
        files.push_back(Example(e.file));
    }
    return files;
}

// Latin-1 bytes as UTF-8 (enough for the Windows-1252 bytes 0xA0 to 0xFF).
std::string Latin1ToUtf8(const std::string& bytes)
{
    std::string out;
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (b >> 6));
            out += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return out;
}

TEST(Batch, ThreeExamplesAndAMissingFile)
{
    const fs::path dir = TestDir();
    const fs::path results = dir / "site.krv";
    const std::string missing = (dir / "missing.kvd").string();
    std::vector<std::string> args{"batch"};
    for (const std::string& f : ExampleFiles()) {
        args.push_back(f);
        if (args.size() == 3) {
            args.push_back(missing);  // between the examples: the run goes on after it
        }
    }
    args.push_back("--results");
    args.push_back(results.string());

    const RunResult first = RunProgram(args);
    EXPECT_EQ(first.status, 0) << first.err;  // a skipped file is reported, not fatal
    EXPECT_NE(first.out.find("Specimens read: 3\n"), std::string::npos) << first.out;
    EXPECT_NE(first.out.find("  class A: 3\n"), std::string::npos);
    EXPECT_NE(first.out.find("  no result: 0\n"), std::string::npos);
    EXPECT_NE(first.out.find("Unreadable files: 1\n"), std::string::npos);
    EXPECT_NE(first.out.find("Results file: " + results.string()), std::string::npos);
    EXPECT_NE(first.err.find("skipped " + missing), std::string::npos) << first.err;

    std::vector<std::string> lines = CrLfLines(ReadAll(results));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], kHeader);
    for (std::size_t i = 0; i < 3; ++i) {
        const std::vector<std::string> fields = Split(lines[i + 1], "\t");
        ASSERT_EQ(fields.size(), 31u);
        EXPECT_EQ(fields[0], kExamples[i].name);
        EXPECT_EQ(fields[23], kExamples[i].methodType);
        EXPECT_EQ(fields[24], "A");
    }

    // A second run appends its lines and no second header.
    const RunResult second = RunProgram(args);
    EXPECT_EQ(second.status, 0);
    const std::vector<std::string> again = CrLfLines(ReadAll(results));
    ASSERT_EQ(again.size(), 7u);
    EXPECT_EQ(again[0], kHeader);
    for (std::size_t i = 1; i < 4; ++i) {
        EXPECT_EQ(again[i], lines[i]);
        EXPECT_EQ(again[i + 3], lines[i]);
    }
}

TEST(Batch, ItsLinesAreTheResultsLinesOfAnalyze)
{
    const fs::path dir = TestDir();
    // The basalt under a Windows-1252 name: ö and the degree sign.
    std::string data = ReadAll(Example("basalt-mt1.kvd"));
    for (std::size_t at = data.find("BV12a"); at != std::string::npos; at = data.find("BV12a", at)) {
        data.replace(at, 5, "Bj\xF6rk\xB0" "1");
    }
    const fs::path renamed = WriteFile(dir / "renamed.kvd", data);

    std::vector<std::string> files = ExampleFiles();
    files.push_back(renamed.string());
    for (const std::vector<std::string>& options :
         {std::vector<std::string>{}, {"--coords", "bedding", "--range", "105", "500"}, {"--check-corrected"}}) {
        const fs::path results = dir / "r.krv";
        fs::remove(results);
        std::vector<std::string> args{"batch"};
        args.insert(args.end(), files.begin(), files.end());
        args.insert(args.end(), {"--results", results.string()});
        args.insert(args.end(), options.begin(), options.end());
        const RunResult r = RunProgram(args);
        ASSERT_EQ(r.status, 0) << r.err;
        const std::vector<std::string> lines = CrLfLines(ReadAll(results));
        ASSERT_EQ(lines.size(), files.size() + 1);
        for (std::size_t i = 0; i < files.size(); ++i) {
            const json j = AnalyzeJson(options, files[i]);
            EXPECT_EQ(j["resultsLine"].get<std::string>(), Latin1ToUtf8(lines[i + 1])) << files[i];
        }
        EXPECT_EQ(lines.back().substr(0, 8), "Bj\xF6rk\xB0" "1\t");  // the name's bytes as in the data file
    }
}

TEST(Batch, AFileThatIsNoResultsFileIsRefusedAndLeftAlone)
{
    const fs::path dir = TestDir();
    const std::vector<std::string> refused{
        "Korvanes-kvd\r\n35 0 0 0 0\r\nS\t20.00\t100\t0\t45\r\n",  // a data file
        "Paleoint\tName\r\n",                                      // the keyword at the very start
        "",                                                         // empty
        "no header here\nBV12a\t35.0\r\n",
    };
    for (const std::string& bytes : refused) {
        const fs::path results = WriteFile(dir / "not.krv", bytes);
        const RunResult r = RunProgram({"batch", Example("basalt-mt1.kvd"), "--results", results.string()});
        EXPECT_EQ(r.status, 2) << bytes;
        EXPECT_NE(r.err.find("This is not a Korvanes-Data-File !!"), std::string::npos) << r.err;
        EXPECT_EQ(ReadAll(results), bytes);
    }
    // Any first line with "Paleoint" after its first character is accepted.
    const std::string foreign = "x Paleoint\n";
    const fs::path accepted = WriteFile(dir / "foreign.krv", foreign);
    const RunResult r = RunProgram({"batch", Example("basalt-mt1.kvd"), "--results", accepted.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string after = ReadAll(accepted);
    EXPECT_EQ(after.substr(0, foreign.size()), foreign);
    EXPECT_EQ(CrLfLines(after.substr(foreign.size())).size(), 1u);
}

// Paths from a list (lines, with a CR LF and an empty line among them) or
// from standard input (NUL-separated) give the lines the arguments give;
// a specimen without a result is named with the reason.
TEST(Batch, FilesFromAListOrStandardInput)
{
    const fs::path dir = TestDir();
    const std::string none =
        WriteFile(dir / "none.kvd", "Korvanes-kvd\n35 0 0 0 0\nS1\t20.00\t5.3E+02\t12.5\t45.1\n").string();
    std::vector<std::string> files = ExampleFiles();
    files.push_back(none);
    const fs::path byArguments = dir / "arguments.krv";
    std::vector<std::string> args{"batch"};
    args.insert(args.end(), files.begin(), files.end());
    args.insert(args.end(), {"--results", byArguments.string()});
    const RunResult reference = RunProgram(args);
    EXPECT_EQ(reference.status, 0) << reference.err;
    EXPECT_NE(reference.out.find("No result: " + none + ": "), std::string::npos) << reference.out;
    EXPECT_NE(reference.out.find("  no result: 1\n"), std::string::npos) << reference.out;

    const fs::path lines = WriteFile(dir / "list.txt", files[0] + "\r\n\n" + files[1] + "\n" + files[2] + "\n" + none);
    const fs::path byList = dir / "list.krv";
    const RunResult listed = RunProgram({"batch", "--files-from", lines.string(), "--results", byList.string()});
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_NE(listed.out.find("No result: " + none + ": "), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("Specimens read: 4\n"), std::string::npos) << listed.out;
    EXPECT_EQ(ReadAll(byList), ReadAll(byArguments));

    std::string nul;
    for (const std::string& f : files) {
        nul += f + '\0';
    }
    const fs::path nulList = WriteFile(dir / "list0", nul);
    const fs::path byStdin = dir / "stdin.krv";
    const std::string command = Quote(KORVANES_PROGRAM) + " batch --files-from - -0 --results " +
                                Quote(byStdin.string()) + " <" + Quote(nulList.string()) + " >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(ReadAll(byStdin), ReadAll(byArguments));
    EXPECT_EQ(RunProgram({"batch", "--files-from", (dir / "absent").string(), "--results", byStdin.string()}).status, 2);
}

TEST(Batch, UsageAndUnwritableResults)
{
    const fs::path dir = TestDir();
    EXPECT_EQ(RunProgram({"batch", Example("basalt-mt1.kvd")}).status, 1);  // --results missing
    EXPECT_EQ(RunProgram({"batch", "--results", (dir / "r.krv").string()}).status, 1);
    const RunResult unwritable =
        RunProgram({"batch", Example("basalt-mt1.kvd"), "--results", (dir / "no" / "r.krv").string()});
    EXPECT_EQ(unwritable.status, 2);
    EXPECT_NE(unwritable.err, "");
    // Nothing readable: no line, and the results file is not created.
    const RunResult none = RunProgram({"batch", (dir / "missing.kvd").string(), "--results", (dir / "r.krv").string()});
    EXPECT_NE(none.out.find("Specimens read: 0"), std::string::npos);
    EXPECT_NE(none.out.find("Unreadable files: 1"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "r.krv"));
}

}  // namespace

namespace {

// Starts `korvanes ARGS...` with its output thrown away; returns its pid.
pid_t Start(const std::vector<std::string>& args)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        std::string program = KORVANES_PROGRAM;
        std::vector<std::string> copies = args;
        std::vector<char*> argv{program.data()};
        for (std::string& a : copies) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    return pid;
}

// The number of result lines, after checking that the file holds the header
// and whole lines only.
std::size_t WholeResultLines(const fs::path& results)
{
    const std::string bytes = ReadAll(results);
    const std::vector<std::string> lines = CrLfLines(bytes);
    EXPECT_FALSE(lines.empty()) << bytes.size() << " bytes";
    if (lines.empty()) {
        return 0;
    }
    EXPECT_EQ(lines.front(), kHeader);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        EXPECT_EQ(Split(lines[i], "\t").size(), 31u) << "line " << i << ": " << lines[i];
    }
    return lines.size() - 1;
}

TEST(Batch, KilledAtAnyMomentLeavesTheHeaderAndWholeLines)
{
    // Real runs of 600 specimens (long enough for several writes of the
    // file, which a run makes after 1, 3, 7, ... ms), killed with SIGKILL
    // after a random part of the time a whole run takes here, many times
    // over; now and then the results file is removed first, so that its
    // creation is killed too.
    // After every kill the file is whole, and a run to the end appends every
    // line after what is there.
    const fs::path results = TestDir() / "study.krv";
    std::vector<std::string> args{"batch"};
    for (int k = 0; k < 200; ++k) {
        for (const std::string& file : ExampleFiles()) {
            args.push_back(file);
        }
    }
    const std::size_t perRun = args.size() - 1;
    args.insert(args.end(), {"--results", results.string()});

    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(RunProgram(args).status, 0);
    const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);
    ASSERT_EQ(WholeResultLines(results), perRun);

    std::mt19937 random(20241208);
    std::uniform_int_distribution<long long> delay(0, whole.count());
    int cutShort = 0;
    for (int round = 0; round < 150; ++round) {
        if (round % 10 == 0) {
            fs::remove(results);
        }
        const std::size_t before = fs::exists(results) ? WholeResultLines(results) : 0;
        const pid_t pid = Start(args);
        ASSERT_GT(pid, 0);
        ::usleep(static_cast<useconds_t>(delay(random)));
        ::kill(pid, SIGKILL);
        ASSERT_EQ(::waitpid(pid, nullptr, 0), pid);
        if (fs::exists(results)) {
            const std::size_t after = WholeResultLines(results);
            cutShort += after > before && after < before + perRun ? 1 : 0;
        }
        if (::testing::Test::HasFailure()) {
            FAIL() << "after the kill of round " << round;
        }
    }
    EXPECT_GT(cutShort, 10) << "the kills should land in the middle of the runs";

    const std::size_t before = fs::exists(results) ? WholeResultLines(results) : 0;
    const RunResult rerun = RunProgram(args);
    EXPECT_EQ(rerun.status, 0) << rerun.err;
    EXPECT_EQ(WholeResultLines(results), before + perRun);
}

TEST(Batch, TwoRunsAtOnceLoseAndInterleaveNothing)
{
    const fs::path results = TestDir() / "shared.krv";
    std::vector<std::string> args{"batch"};
    for (int k = 0; k < 100; ++k) {
        args.push_back(Example("basalt-mt1.kvd"));
    }
    args.insert(args.end(), {"--results", results.string()});
    const pid_t first = Start(args);
    const pid_t second = Start(args);
    int status = 0;
    ASSERT_EQ(::waitpid(first, &status, 0), first);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_EQ(::waitpid(second, &status, 0), second);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(WholeResultLines(results), 200u);
}

// Without /proc (a chroot or a sandbox) files get a temporary name instead
// of none: the results file is created and appended to all the same.
TEST(Batch, ResultsFileWithoutProc)
{
    const std::string hideProc = "unshare --mount sh -c 'mount -t tmpfs none /proc && exec \"$0\" \"$@\"' ";
    if (std::system((hideProc + Quote(KORVANES_PROGRAM) + " --version >/dev/null 2>&1").c_str()) != 0) {
        GTEST_SKIP() << "no mount namespace to hide /proc in (needs root and unshare), or a build that cannot "
                        "run without /proc (the sanitizers' run-time reads it)";
    }
    const fs::path results = TestDir() / "without-proc.krv";
    for (const char* example : {"basalt-mt1.kvd", "tuff-mt3.kvd"}) {
        const std::string command = hideProc + Quote(KORVANES_PROGRAM) + " batch " + Quote(Example(example)) +
                                    " --results " + Quote(results.string()) + " >/dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << example;
    }
    EXPECT_EQ(WholeResultLines(results), 2u);
}

}  // namespace

namespace {

using namespace clitest;

TEST(BatchJobs, AnyNumberOfJobsWritesTheSameBytes)
{
    // Sixty files: the examples in random order under names of their own,
    // and unreadable files among them.
    const fs::path dir = TestDir();
    std::vector<std::string> files;
    std::mt19937 random(5);
    for (int k = 0; k < 60; ++k) {
        if (k % 17 == 5) {
            files.push_back((dir / ("missing" + std::to_string(k) + ".kvd")).string());
            continue;
        }
        const ExampleCase& example = kExamples[random() % 3];
        std::string text = ReadAll(Example(example.file));
        const std::string name = "J" + std::to_string(100 + k);  // as long as the examples' names
        for (std::size_t at = text.find(example.name); at != std::string::npos; at = text.find(example.name, at)) {
            text.replace(at, name.size(), name);
        }
        files.push_back(WriteFile(dir / (name + ".kvd"), text).string());
    }
    std::string reference;
    for (const char* jobs : {"1", "2", "7"}) {
        const fs::path results = dir / (std::string("jobs") + jobs + ".krv");
        std::vector<std::string> args{"batch"};
        args.insert(args.end(), files.begin(), files.end());
        args.insert(args.end(), {"--results", results.string(), "--jobs", jobs});
        const RunResult r = RunProgram(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find("Unreadable files: 4\n"), std::string::npos) << r.out;
        const std::string bytes = ReadAll(results);
        EXPECT_EQ(CrLfLines(bytes).size(), 57u);  // the header and 56 specimens
        if (reference.empty()) {
            reference = bytes;
        }
        EXPECT_EQ(bytes, reference) << "--jobs " << jobs;
    }
}

}  // namespace
