#pragma once
// Helpers of the end-to-end tests: run the built `korvanes` program, read
// and write files in a scratch folder of the test process, name the example
// files.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

namespace clitest {

namespace fs = std::filesystem;
using nlohmann::json;

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// `arg` quoted for the shell.
inline std::string Quote(const std::string& arg)
{
    std::string q = "'";
    for (char c : arg) {
        if (c == '\'') {
            q += "'\\''";
        } else {
            q += c;
        }
    }
    return q + "'";
}

// A scratch folder of this test process, removed when the process ends.
inline fs::path TempDir()
{
    static const fs::path dir = [] {
        const fs::path path = fs::temp_directory_path() / ("korvanes_cli_" + std::to_string(::getpid()));
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(fs::temp_directory_path() / ("korvanes_cli_" + std::to_string(::getpid())), ignored);
        });
        return path;
    }();
    fs::create_directories(dir);
    return dir;
}

// A fresh, empty folder for the running test.
inline fs::path TestDir()
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const fs::path dir = TempDir() / (std::string(info->test_suite_name()) + "." + info->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

// Runs the program with `args` (stdin from /dev/null), collecting its exit
// status, stdout and stderr. `environment` is prepended to the command
// ("NAME=value ...").
inline RunResult RunProgram(const std::vector<std::string>& args, const std::string& environment = "")
{
    const fs::path dir = TempDir();
    const fs::path out = dir / "stdout";
    const fs::path err = dir / "stderr";
    std::string command = environment.empty() ? std::string() : environment + ' ';
    command += Quote(KORVANES_PROGRAM);
    for (const std::string& a : args) {
        command += ' ' + Quote(a);
    }
    command += " </dev/null >" + Quote(out.string()) + " 2>" + Quote(err.string());
    RunResult r;
    const int raw = std::system(command.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = ReadAll(out);
    r.err = ReadAll(err);
    return r;
}

inline std::string Example(const char* name)
{
    return std::string(KORVANES_SOURCE_DIR) + "/examples/" + name;
}

// Writes `bytes` to `name` in the process's scratch folder (or to `name`
// itself when it is an absolute path).
inline fs::path WriteFile(const fs::path& name, const std::string& bytes)
{
    const fs::path path = name.is_absolute() ? name : TempDir() / name;
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

// `korvanes analyze FILE --json EXTRA...`, expected to succeed.
inline json AnalyzeJson(const std::vector<std::string>& extra, const std::string& file)
{
    std::vector<std::string> args{"analyze", file, "--json"};
    args.insert(args.end(), extra.begin(), extra.end());
    const RunResult r = RunProgram(args);
    EXPECT_EQ(r.status, 0) << r.err;
    return json::parse(r.out);  // throws on invalid UTF-8 as well
}

// Splits `text` at every occurrence of `separator`.
inline std::vector<std::string> Split(const std::string& text, const std::string& separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at = text.find(separator); at != std::string::npos; at = text.find(separator, start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + separator.size();
    }
    parts.push_back(text.substr(start));
    return parts;
}

struct ExampleCase {
    const char* file;
    const char* name;
    const char* methodType;
    const char* checkText;
};

inline const ExampleCase kExamples[] = {
    {"basalt-mt1.kvd", "BV12a", "MT1", "in-field alteration check"},
    {"tuff-mt3.kvd", "TF07b", "MT3", "in-field alteration check"},
    {"andesite-mt4.kvd", "AN03c", "MT4", "in-field alteration check"},
};

}  // namespace clitest
