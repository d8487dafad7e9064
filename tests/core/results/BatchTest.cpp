#include "results/Batch.h"

#include <gtest/gtest.h>

#include <filesystem>

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

}  // namespace
}  // namespace korvanes
