#include "results/Batch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/results/TempDir.h"

namespace korvanes {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

std::size_t CountLines(const std::string& text)
{
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2) {
        ++lines;
    }
    return lines;
}

const char* kSpecimen =
    "Korvanes-kvd\n"
    "35 0 0 0 0\n"
    "S1\t20.00\t5.321E+02\t12.5\t45.1\n"
    "S1\t100.00\t5.100E+02\t12.0\t45.0\n"
    "S1\t100.11\t5.300E+02\t12.2\t45.3\n";

TEST(Batch, UnreadableFileIsReportedAndSkipped)
{
    TempDir dir;
    const std::string first = dir.File("s1.kvd");
    const std::string missing = dir.File("missing.kvd");
    const std::string third = dir.File("s3.kvd");
    WriteBytes(first, kSpecimen);
    WriteBytes(third, kSpecimen);
    const std::string results = dir.File("out.krv");

    BatchSetup setup;
    std::vector<std::string> reported;
    std::vector<std::size_t> progress;
    int configured = 0;
    setup.unreadable = [&](const std::string& path, const std::string& message) {
        reported.push_back(path);
        EXPECT_FALSE(message.empty());
    };
    setup.progress = [&](std::size_t done, std::size_t total, const std::string&) {
        progress.push_back(done);
        EXPECT_EQ(total, 3u);
    };
    setup.configure = [&](CKorvanesToolDoc& doc) {
        ++configured;
        doc.m_options.m_coordinates = kBedding;
    };

    const BatchSummary summary = RunBatch({first, missing, third}, results, setup);
    EXPECT_TRUE(summary.results.ok()) << summary.results.message;
    EXPECT_EQ(summary.specimensRead, 2u);
    EXPECT_EQ(summary.unreadable, 1u);
    EXPECT_EQ(summary.gradedA + summary.gradedB + summary.gradedC + summary.noResult, 2u);
    EXPECT_EQ(reported, std::vector<std::string>{missing});
    EXPECT_EQ(progress, (std::vector<std::size_t>{1, 2, 3}));
    EXPECT_EQ(configured, 2);

    const std::string text = ReadBytes(results);
    ASSERT_TRUE(text.starts_with(ResultsHeaderLine()));
    EXPECT_EQ(CountLines(text), 3u);  // header and two result lines
    EXPECT_NE(text.find("\tBC\t"), std::string::npos);  // the configuration reached the documents

    // A second run appends to the same file.
    EXPECT_TRUE(RunBatch({first}, results, BatchSetup{}).results.ok());
    EXPECT_EQ(CountLines(ReadBytes(results)), 4u);
}

TEST(Batch, RefusedResultsFileStopsBeforeAnything)
{
    TempDir dir;
    const std::string specimen = dir.File("s1.kvd");
    WriteBytes(specimen, kSpecimen);
    const std::string results = dir.File("data.krv");
    WriteBytes(results, kSpecimen);  // a data file, not a results file

    BatchSetup setup;
    bool anyProgress = false;
    setup.progress = [&](std::size_t, std::size_t, const std::string&) { anyProgress = true; };
    const BatchSummary summary = RunBatch({specimen, specimen}, results, setup);
    EXPECT_EQ(summary.results.outcome, AppendOutcome::kRefused);
    EXPECT_EQ(summary.results.message, "This is not a Korvanes-Data-File !!");
    EXPECT_EQ(summary.specimensRead, 0u);
    EXPECT_FALSE(anyProgress);
    EXPECT_EQ(ReadBytes(results), kSpecimen);
}

TEST(Batch, FolderInPlaceOfASpecimenIsUnreadable)
{
    TempDir dir;
    const std::string folder = dir.File("folder.kvd");
    std::filesystem::create_directory(folder);
    const BatchSummary summary = RunBatch({folder}, dir.File("out.krv"), BatchSetup{});
    EXPECT_TRUE(summary.results.ok());
    EXPECT_EQ(summary.unreadable, 1u);
    EXPECT_EQ(summary.specimensRead, 0u);
}

// Paths taken one at a time (the total unknown): every line in the order of
// the paths, in a few writes of the file, and each specimen without a
// result named with its reason once its line is in the file.
TEST(Batch, PathsFromASourceInFewWritesWithTheSpecimensWithoutResult)
{
    TempDir dir;
    const std::string good = dir.File("good.kvd");
    const std::string none = dir.File("none.kvd");
    WriteBytes(good, ReadBytes(std::string(KORVANES_SOURCE_DIR) + "/examples/basalt-mt1.kvd"));
    WriteBytes(none, kSpecimen);
    constexpr std::size_t kFiles = 600;
    std::size_t given = 0;
    const PathSource next = [&]() -> std::optional<std::string> {
        if (given == kFiles) {
            return std::nullopt;
        }
        return ++given % 100 == 0 ? none : good;
    };
    BatchSetup setup;
    setup.jobs = 2;
    setup.whyNoResult = [](const CKorvanesToolDoc& doc) { return doc.m_header.m_specimenName + " has none"; };
    std::vector<std::string> named;
    setup.noResult = [&](const std::string& label, const std::string& reason) {
        named.push_back(label + ": " + reason);
    };
    std::size_t lastTotal = 1;
    setup.progress = [&](std::size_t, std::size_t total, const std::string&) { lastTotal = total; };
    const std::string results = dir.File("out.krv");
    const BatchSummary summary = RunBatch(next, 0, results, setup);
    ASSERT_TRUE(summary.results.ok()) << summary.results.message;
    EXPECT_EQ(summary.specimensRead, kFiles);
    EXPECT_EQ(summary.gradedA, kFiles - 6);
    EXPECT_EQ(lastTotal, 0u);
    EXPECT_EQ(named, std::vector<std::string>(6, none + ": S1 has none"));
    // Written anew at most once a second after the first 1, 3, 7, ... ms.
    EXPECT_GE(summary.writes, 1u);
    EXPECT_LE(summary.writes, 16u);
    const std::string text = ReadBytes(results);
    EXPECT_EQ(CountLines(text), kFiles + 1);
    std::size_t line = 0;
    for (std::size_t at = ResultsHeaderLine().size(); at < text.size(); at = text.find("\r\n", at) + 2) {
        ++line;
        EXPECT_EQ(text.compare(at, 3, "S1\t") == 0, line % 100 == 0) << "line " << line;
    }
}

// Files of another kind holding thousands of specimens each: threads start
// no more files while the ring holds many specimens, and every line still
// comes, in the order of the files.
TEST(Batch, FilesOfManySpecimensComeInOrderWhileFewAreHeld)
{
    TempDir dir;
    constexpr std::size_t kFilesOfMany = 4;
    constexpr std::size_t kEach = 4000;
    std::vector<std::string> files;
    for (std::size_t f = 0; f < kFilesOfMany; ++f) {
        files.push_back(dir.File("many" + std::to_string(f) + ".txt"));
        WriteBytes(files.back(), "not a data file");
    }
    BatchSetup setup;
    setup.jobs = 2;
    setup.readOther = [](const std::string& path, std::string_view) {
        OtherInput input;
        for (std::size_t i = 0; i < kEach; ++i) {
            input.specimens.push_back(
                {path + ":" + std::to_string(i), [](CKorvanesToolDoc& doc) { return doc.OpenData(kSpecimen); }});
        }
        return std::optional<OtherInput>(std::move(input));
    };
    std::vector<std::string> labels;
    setup.analysed = [&labels](const std::string& label, const std::string&) { labels.push_back(label); };
    const BatchSummary summary = RunBatch(files, dir.File("out.krv"), setup);
    ASSERT_TRUE(summary.results.ok()) << summary.results.message;
    EXPECT_EQ(summary.specimensRead, kFilesOfMany * kEach);
    ASSERT_EQ(labels.size(), kFilesOfMany * kEach);
    for (std::size_t k = 0; k < labels.size(); k += 997) {
        EXPECT_EQ(labels[k], files[k / kEach] + ":" + std::to_string(k % kEach));
    }
}

}  // namespace
}  // namespace korvanes
