#include "criteria/CriteriaFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "core/results/TempDir.h"

namespace korvanes {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

void Le32(std::string& out, std::uint32_t v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
    out += static_cast<char>((v >> 16) & 0xFF);
    out += static_cast<char>((v >> 24) & 0xFF);
}

void Le64(std::string& out, std::uint64_t v)
{
    Le32(out, static_cast<std::uint32_t>(v & 0xFFFFFFFFu));
    Le32(out, static_cast<std::uint32_t>(v >> 32));
}

// The start-up values as the file holds them, written out by hand: IEEE 754
// bit patterns of 0.1, 0.15 and 0.3; intensity diff before tail star.
std::string StartupFileBytes()
{
    std::string b = "\x08" "Criteria";
    // class A
    Le32(b, 5);
    Le64(b, 0x3FB999999999999Aull);  // 0.1
    Le64(b, 0x3FD3333333333333ull);  // 0.3
    for (std::uint32_t v : {1u, 6u, 999u, 15u, 5u, 5u, 999u, 10u, 3u, 5u}) {
        Le32(b, v);
    }
    // class B
    Le32(b, 5);
    Le64(b, 0x3FC3333333333333ull);  // 0.15
    Le64(b, 0x3FD3333333333333ull);  // 0.3
    for (std::uint32_t v : {0u, 15u, 999u, 15u, 7u, 10u, 999u, 15u, 5u, 10u}) {
        Le32(b, v);
    }
    Le32(b, 0);
    Le32(b, 0);
    Le32(b, 0);
    return b;
}

// Every field different, so that a swapped field shows.
CCriteriaSet DistinctSet()
{
    CCriteriaSet c;
    ClassThresholds* blocks[] = {&c.classA, &c.classB};
    int v = 1;
    for (ClassThresholds* t : blocks) {
        t->minN = v++;
        t->maxSlopeRelStd = 0.1 * v;
        t->minF = 1.0 / 3.0 + v;
        t->minQ = v++;
        t->maxMad = v++;
        t->maxMadFree = v++;
        t->maxAlpha = v++;
        t->maxCkError = v++;
        t->maxCkDiff = v++;
        t->maxDrat = v++;
        t->maxTailStar = v++;
        t->maxIntensityDiff = v++;
        t->maxAc = -(v++);
    }
    c.maximizeQ = 1;
    c.allowMt4CheckCorrection = 1;
    c.equalAraiScales = 1;
    return c;
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(CriteriaFile, StartupValuesGiveTheGoldenBytes)
{
    const std::string expected = StartupFileBytes();
    ASSERT_EQ(expected.size(), 141u);
    EXPECT_EQ(EncodeCriteria(StartupCriteria()), expected);

    TempDir dir;
    const std::string path = dir.File("startup.cri");
    ASSERT_TRUE(WriteCriteria(path, StartupCriteria()).ok);
    EXPECT_EQ(ReadBytes(path), expected);
}

TEST(CriteriaFile, IntensityDiffPrecedesTailStarInTheFile)
{
    CCriteriaSet c = StartupCriteria();
    c.classA.maxTailStar = 0x11;
    c.classA.maxIntensityDiff = 0x22;
    c.classB.maxTailStar = 0x33;
    c.classB.maxIntensityDiff = 0x44;
    const std::string bytes = EncodeCriteria(c);
    // tag 9, minN 4, two doubles 16, seven ints 28: intensity diff at 57, tail star at 61.
    EXPECT_EQ(bytes[57], 0x22);
    EXPECT_EQ(bytes[61], 0x11);
    EXPECT_EQ(bytes[57 + 60], 0x44);
    EXPECT_EQ(bytes[61 + 60], 0x33);
}

TEST(CriteriaFile, RoundTripIsBitExact)
{
    TempDir dir;
    const std::string path = dir.File("set.cri");
    CCriteriaSet c = DistinctSet();
    c.classA.maxSlopeRelStd = 0.1;
    c.classA.minF = 1.0 / 3.0;
    c.classB.maxSlopeRelStd = 2.0 / 3.0;
    c.classB.minF = 0.7;
    ASSERT_TRUE(WriteCriteria(path, c).ok);
    const CriteriaFileResult read = ReadCriteria(path);
    ASSERT_TRUE(read.ok()) << read.message;
    EXPECT_EQ(read.criteria, c);
    EXPECT_TRUE(SameBits(read.criteria.classA.maxSlopeRelStd, 0.1));
    EXPECT_TRUE(SameBits(read.criteria.classA.minF, 1.0 / 3.0));
    EXPECT_TRUE(SameBits(read.criteria.classB.maxSlopeRelStd, 2.0 / 3.0));
    EXPECT_EQ(read.criteria.classA.maxAc, c.classA.maxAc);  // negative values survive
}

TEST(CriteriaFile, WrongTagIsNoCriteriaFile)
{
    std::string bytes = StartupFileBytes();
    bytes[1] = 'c';  // "criteria"
    const CriteriaFileResult read = DecodeCriteria(bytes, TagCheck::kCheck, "x.cri");
    EXPECT_EQ(read.status, CriteriaFileStatus::kWrongTag);
    EXPECT_EQ(read.message, "No Criteria File!");

    // A text file: its first byte is no tag length of 8.
    EXPECT_EQ(DecodeCriteria("Name\tPaleoint\r\n", TagCheck::kCheck, "x").status, CriteriaFileStatus::kWrongTag);
    // Without the check, the same wrong tag is read past.
    EXPECT_TRUE(DecodeCriteria(bytes, TagCheck::kSkip, "x.cri").ok());
}

TEST(CriteriaFile, ShortAndEmptyFilesAreDamaged)
{
    const std::string bytes = StartupFileBytes();
    for (std::size_t size : {0u, 1u, 5u, 9u, 50u, 140u}) {
        const CriteriaFileResult read = DecodeCriteria(bytes.substr(0, size), TagCheck::kCheck, "short.cri");
        EXPECT_EQ(read.status, CriteriaFileStatus::kDamaged) << size;
        EXPECT_NE(read.message.find("short.cri"), std::string::npos) << read.message;
    }
    // Bytes after the last field are not looked at.
    EXPECT_TRUE(DecodeCriteria(bytes + "extra", TagCheck::kCheck, "long.cri").ok());
}

TEST(CriteriaFile, LengthByte255AnnouncesA16BitLength)
{
    const std::string fields = StartupFileBytes().substr(9);
    // "Criteria" in the long form is still the right tag.
    std::string longForm = std::string("\xFF\x08\x00", 3) + "Criteria" + fields;
    const CriteriaFileResult read = DecodeCriteria(longForm, TagCheck::kCheck, "x");
    ASSERT_TRUE(read.ok()) << read.message;
    EXPECT_EQ(read.criteria, StartupCriteria());

    // A 300-character tag, read past at start-up, rejected by Load.
    std::string longTag = std::string("\xFF\x2C\x01", 3) + std::string(300, 'T') + fields;
    const CriteriaFileResult skipped = DecodeCriteria(longTag, TagCheck::kSkip, "x");
    ASSERT_TRUE(skipped.ok()) << skipped.message;
    EXPECT_EQ(skipped.criteria, StartupCriteria());
    EXPECT_EQ(DecodeCriteria(longTag, TagCheck::kCheck, "x").status, CriteriaFileStatus::kWrongTag);

    // A length that the file cannot hold, and a length cut off itself.
    EXPECT_EQ(DecodeCriteria(std::string("\xFF\xFF\xFF\xFF\xFF\xFF\x7F", 7), TagCheck::kSkip, "x").status,
              CriteriaFileStatus::kDamaged);
    EXPECT_EQ(DecodeCriteria(std::string("\xFF\x08", 2), TagCheck::kSkip, "x").status,
              CriteriaFileStatus::kDamaged);
}

TEST(CriteriaFile, NonFiniteDoublesAreDamaged)
{
    std::string bytes = StartupFileBytes();
    // class B minF: 9 + 60 + 4 + 8 = 81; the bit pattern of a quiet NaN.
    const std::string nan("\x00\x00\x00\x00\x00\x00\xF8\x7F", 8);
    bytes.replace(81, 8, nan);
    const CriteriaFileResult read = DecodeCriteria(bytes, TagCheck::kCheck, "nan.cri");
    EXPECT_EQ(read.status, CriteriaFileStatus::kDamaged);
    EXPECT_NE(read.message.find("class B"), std::string::npos) << read.message;
}

TEST(CriteriaFile, MissingFileCannotBeOpened)
{
    TempDir dir;
    const std::string path = dir.File("absent.cri");
    const CriteriaFileResult read = ReadCriteria(path);
    EXPECT_EQ(read.status, CriteriaFileStatus::kCannotOpen);
    EXPECT_NE(read.message.find(path), std::string::npos);
}

TEST(CriteriaFile, WritingReplacesOnlyACompleteFile)
{
    TempDir dir;
    const std::string path = dir.File("set.cri");
    WriteBytes(path, "old contents");
    ASSERT_TRUE(WriteCriteria(path, DefaultCriteria()).ok);
    EXPECT_EQ(ReadBytes(path), EncodeCriteria(DefaultCriteria()));

    // A target that cannot be replaced (a folder) stays as it was; no stray file is left.
    const std::string folder = dir.File("folder.cri");
    std::filesystem::create_directory(folder);
    WriteBytes(folder + "/inside", "keep");
    const CriteriaWriteStatus status = WriteCriteria(folder, StartupCriteria());
    EXPECT_FALSE(status.ok);
    EXPECT_NE(status.message.find(folder), std::string::npos);
    EXPECT_EQ(ReadBytes(folder + "/inside"), "keep");

    // A folder that does not exist.
    EXPECT_FALSE(WriteCriteria(dir.File("no/such/folder.cri"), StartupCriteria()).ok);

    std::size_t entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 2u);  // set.cri and folder.cri
}

}  // namespace
}  // namespace korvanes
