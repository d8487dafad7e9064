// Writing a finished picture to a file: complete replacement or nothing.

#include <filesystem>
#include <fstream>
#include <iterator>

#include <unistd.h>

#include <gtest/gtest.h>

#include "emf/EmfWriter.h"

namespace korvanes {
namespace {

namespace fs = std::filesystem;

class EmfFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::path(::testing::TempDir()) /
                ("korvanes-emffile-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
    }

    static std::vector<std::uint8_t> Read(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::size_t EntriesInDir() const
    {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()));
    }

    fs::path m_dir;
};

TEST_F(EmfFile, WritesANewFileAndReplacesAnOldOneCompletely)
{
    const fs::path target = m_dir / "plot.emf";
    std::string error;
    const std::vector<std::uint8_t> longer(5000, 0xAB);
    ASSERT_TRUE(WriteFileReplacing(target.string(), longer, error)) << error;
    EXPECT_EQ(Read(target), longer);

    const std::vector<std::uint8_t> shorter = {1, 2, 3, 0, 4};
    ASSERT_TRUE(WriteFileReplacing(target.string(), shorter, error)) << error;
    EXPECT_EQ(Read(target), shorter);  // nothing of the longer content is left
    EXPECT_EQ(EntriesInDir(), 1u);      // and no temporary file

    ASSERT_TRUE(WriteFileReplacing(target.string(), {}, error)) << error;
    EXPECT_EQ(fs::file_size(target), 0u);
}

TEST_F(EmfFile, AMissingFolderIsReportedWithThePath)
{
    const fs::path target = m_dir / "no such folder" / "plot.emf";
    std::string error;
    EXPECT_FALSE(WriteFileReplacing(target.string(), {1, 2, 3}, error));
    EXPECT_NE(error.find(target.string()), std::string::npos) << error;
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(target));
}

TEST_F(EmfFile, ATargetThatCannotBeReplacedIsLeftAloneAndNoTemporaryRemains)
{
    // A folder in the target's place: the finished temporary file cannot be
    // renamed over it.
    const fs::path target = m_dir / "plot.emf";
    fs::create_directory(target);
    fs::path inside = target / "keep.txt";
    std::ofstream(inside) << "kept";
    std::string error;
    EXPECT_FALSE(WriteFileReplacing(target.string(), {1, 2, 3}, error));
    EXPECT_NE(error.find(target.string()), std::string::npos) << error;
    EXPECT_TRUE(fs::is_directory(target));
    EXPECT_TRUE(fs::exists(inside));
    EXPECT_EQ(EntriesInDir(), 1u);
}

}  // namespace
}  // namespace korvanes
