// The study file: choices come back exactly, an unusable file is refused
// with its reason and line, and a program killed while it saves leaves a
// file that opens.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "study/StudyFile.h"

namespace korvanes {
namespace {

Study SampleStudy(std::size_t count)
{
    Study study;
    study.nameRule.separators = "-";
    for (std::size_t i = 0; i < count; ++i) {
        StudySpecimen s;
        s.file = "site" + std::to_string(i % 7) + "/spec " + std::to_string(i) + ".kvd";
        s.name = "S" + std::to_string(i);
        s.stamp = StampOf(s.file);
        s.inputs.rangeMode = i % 2 == 0 ? kSelectedRange : kAutomaticRange;
        s.inputs.tMin = 150 + static_cast<int>(i);
        s.inputs.tMax = 530;
        s.inputs.labField = 35.1f + static_cast<float>(i) / 3.0f;  // not exact in decimal
        s.inputs.coordinates = static_cast<int>(i % 3);
        s.inputs.criteria.classA.minF = 0.1 + 1.0 / 3.0;
        s.inputs.criteria.maximizeQ = static_cast<int>(i % 2);
        s.rejected = i % 5 == 0;
        s.note = i % 3 == 0 ? "n\u00E4he \"Bruch\"\n" : "";
        study.specimens.push_back(s);
    }
    return study;
}

TEST(StudyFile, ChoicesComeBackExactly)
{
    const Study study = SampleStudy(40);
    const StudyFileRead read = ParseStudyFile(StudyFileText(study), "/somewhere");
    ASSERT_TRUE(read.ok) << read.reason << " line " << read.line;
    EXPECT_EQ(read.study.nameRule, study.nameRule);
    ASSERT_EQ(read.study.specimens.size(), study.specimens.size());
    for (std::size_t i = 0; i < study.specimens.size(); ++i) {
        const StudySpecimen& a = study.specimens[i];
        const StudySpecimen& b = read.study.specimens[i];
        EXPECT_EQ(a.file, b.file);
        EXPECT_EQ(a.inputs, b.inputs) << i;
        EXPECT_EQ(a.stamp, b.stamp);
        EXPECT_EQ(a.rejected, b.rejected);
        EXPECT_EQ(a.note, b.note);
    }
}

TEST(StudyFile, AnUnusableFileGivesItsReasonAndLine)
{
    const std::string good = StudyFileText(SampleStudy(3));
    std::string newer = good;
    newer.replace(newer.find("\"version\": 1"), 12, "\"version\": 9");
    std::string noFile = good;
    const std::size_t second = noFile.find("\"file\"", noFile.find("\"file\"") + 1);
    noFile.replace(second, 6, "\"fiel\"");
    struct Case {
        std::string text;
        const char* reason;
        int line;
    };
    const Case cases[] = {
        {"not json at all", "not JSON", 1},
        {good.substr(0, good.size() / 2), "cut short", 0},
        {newer, "newer program", 3},
        {noFile, "names no file", 10},  // the second entry: the head, the name rule (3 lines), the first entry
        {"{\"format\": \"other\"}", "not a study file", 1},
    };
    for (const Case& c : cases) {
        const StudyFileRead read = ParseStudyFile(c.text, "/x");
        EXPECT_FALSE(read.ok);
        EXPECT_NE(read.reason.find(c.reason), std::string::npos) << read.reason;
        if (c.line > 0) {
            EXPECT_EQ(read.line, c.line) << c.reason;
        } else {
            EXPECT_GT(read.line, 1);
        }
    }
}

TEST(StudyFile, AProgramKilledWhileSavingLeavesAFileThatOpens)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("korvanes-study-kill-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string path = (folder / kStudyFileName).string();
    const Study small = SampleStudy(2);
    const Study large = SampleStudy(2000);
    ASSERT_FALSE(WriteStudyFile(small, path));
    for (int round = 0; round < 5; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (;;) {
                WriteStudyFile(round % 2 == 0 ? large : small, path);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(30 + 17 * round));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const StudyFileRead read = ReadStudyFile(path);
        EXPECT_TRUE(read.ok) << read.reason << " line " << read.line;
    }
    std::filesystem::remove_all(folder);
}

TEST(StudyFile, TheLockKeepsASecondHolderOut)
{
    const std::string path = (std::filesystem::temp_directory_path() / ("korvanes-lock-" + std::to_string(::getpid()))).string();
    std::string error;
    std::unique_ptr<StudyLock> first = StudyLock::Acquire(path, error);
    ASSERT_NE(first, nullptr) << error;
    EXPECT_EQ(StudyLock::Acquire(path, error), nullptr);
    EXPECT_EQ(error, "another program has this study open");
    first.reset();
    EXPECT_NE(StudyLock::Acquire(path, error), nullptr);
    std::filesystem::remove(path + ".lock");
}

}  // namespace
}  // namespace korvanes
