#include "document/DataFileReader.h"

#include <gtest/gtest.h>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <random>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace korvanes {
namespace {

using Lines = std::vector<std::string>;

struct Parsed {
    CKorvanesToolDoc doc;
    std::vector<ReadWarning> warnings;
};

Parsed Parse(const Lines& lines)
{
    Parsed p;
    p.warnings = ParseDataLines(lines, p.doc);
    return p;
}

void ExpectMeasurement(const CMeasurement& m, float code, float moment, float declination, float inclination)
{
    EXPECT_EQ(m.treatmentCode, code);
    EXPECT_EQ(m.moment, moment);
    EXPECT_EQ(m.declination, declination);
    EXPECT_EQ(m.inclination, inclination);
}

bool HasWarningOnLine(const std::vector<ReadWarning>& warnings, int line)
{
    for (const ReadWarning& w : warnings) {
        if (w.line == line) {
            return true;
        }
    }
    return false;
}

std::filesystem::path TempFile(const std::string& name, const std::string& bytes)
{
    const auto path = std::filesystem::temp_directory_path() / ("korvanes_reader_" + name);
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

TEST(DataFileReader, HeaderVariantReadsHeaderAndReordersNumbers)
{
    const Parsed p = Parse({"Korvanes-kvd and anything after", "40 12.5 -3.25 90 30",
                            "AB12a\t20.00\t5.321E+02\t12.5\t45.1"});
    EXPECT_EQ(p.doc.m_header.m_labField, 40.0f);
    EXPECT_EQ(p.doc.m_header.m_coreAzimuth, 12.5f);
    EXPECT_EQ(p.doc.m_header.m_coreDip, -3.25f);
    EXPECT_EQ(p.doc.m_header.m_beddingDipDirection, 90.0f);
    EXPECT_EQ(p.doc.m_header.m_beddingDip, 30.0f);
    ASSERT_EQ(p.doc.m_measurements.size(), 1u);
    // The line holds code, moment, declination, inclination.
    ExpectMeasurement(p.doc.m_measurements[0], 20.0f, 532.1f, 12.5f, 45.1f);
    EXPECT_EQ(p.doc.m_header.m_specimenName, "AB12a");
    EXPECT_TRUE(p.warnings.empty());
}

TEST(DataFileReader, HeaderlessFileTakesItsFirstLineWithoutName)
{
    const Parsed p = Parse({"X1 20.00 100 10 20", "X2 100.00 90 11 21"});
    ASSERT_EQ(p.doc.m_measurements.size(), 2u);
    ExpectMeasurement(p.doc.m_measurements[0], 20.0f, 100.0f, 10.0f, 20.0f);
    EXPECT_EQ(p.doc.m_header.m_specimenName, "X2");
    EXPECT_EQ(p.doc.m_header.m_labField, 35.0f);
    EXPECT_EQ(p.doc.m_header.m_beddingDip, 0.0f);

    // Only one line: it is a record, and no name is set.
    const Parsed single = Parse({"X1 20.00 100 10 20"});
    ASSERT_EQ(single.doc.m_measurements.size(), 1u);
    EXPECT_EQ(single.doc.m_header.m_specimenName, "");
}

TEST(DataFileReader, HeaderlessFirstLineWithoutSpecimenNameIsAMeasurementWithANotice)
{
    // A first line that names no specimen (none, or a number: a header
    // without its "Korvanes-kvd" line) is a measurement, and a notice says
    // so and that the header values are the defaults. A named one is not
    // worth a notice.
    const struct {
        const char* first;
        bool notice;
    } cases[] = {{"40 241 48.5 35 14", true}, {"40\t241\t48.5\t35\t14", true}, {"\t20.00\t100\t10\t20", true},
                 {"20.00", true}, {"X1 20.00 100 10 20", false}, {"1a 20.00 100 10 20", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        const Parsed p = Parse({c.first, "X2 100.00 90 11 21"});
        ASSERT_EQ(p.doc.m_measurements.size(), 2u);
        EXPECT_EQ(p.doc.m_header.m_labField, 35.0f);
        EXPECT_EQ(p.doc.m_header.m_specimenName, "X2");
        bool noticed = false;
        for (const ReadWarning& w : p.warnings) {
            noticed = noticed || (w.line == 1 && w.text.find("read as a measurement") != std::string::npos &&
                                  w.text.find("35 \xB5T") != std::string::npos);
        }
        EXPECT_EQ(noticed, c.notice);
    }
}

TEST(DataFileReader, HeaderLabFieldThatIsNotPositiveIsKeptWithANotice)
{
    for (const char* field : {"0", "-20", "35"}) {
        const Parsed p = Parse({"Korvanes-kvd", std::string(field) + " 0 0 0 0", "AB\t20 1 2 3"});
        EXPECT_EQ(p.doc.m_header.m_labField, std::stof(field));
        EXPECT_EQ(HasWarningOnLine(p.warnings, 2), std::string(field) != "35") << field;
    }
}

TEST(DataFileReader, MagicWordIsCaseSensitive)
{
    // Lower case is no header: the line itself becomes the first record, all zeros.
    const Parsed p = Parse({"korvanes-kvd", "40 1 2 3 4", "AB\t20 1 2 3"});
    ASSERT_EQ(p.doc.m_measurements.size(), 3u);
    ExpectMeasurement(p.doc.m_measurements[0], 0.0f, 0.0f, 0.0f, 0.0f);
    // What would be the header line is a data line named "40".
    ExpectMeasurement(p.doc.m_measurements[1], 1.0f, 2.0f, 3.0f, 4.0f);
    EXPECT_EQ(p.doc.m_header.m_labField, 35.0f);
    EXPECT_EQ(p.doc.m_header.m_specimenName, "AB");
    EXPECT_TRUE(HasWarningOnLine(p.warnings, 1));
}

TEST(DataFileReader, SplitRuleAtTheEighteenCharacterLimit)
{
    const std::string name18(18, 'N');
    const std::string name19(19, 'N');
    EXPECT_EQ(SplitDataLine(name18 + "\t20 1 2 3").name, name18);
    EXPECT_EQ(SplitDataLine(name19 + "\t20 1 2 3").name, name19 + "\t20");  // first blank instead
    EXPECT_EQ(SplitDataLine(name19 + "\t20\t1\t2\t3").name, "");          // no blank: empty

    const Parsed p = Parse({"Korvanes-kvd", "35 0 0 0 0", name18 + "\t20\t1\t2\t3", name19 + "\t100\t1\t2\t3"});
    ASSERT_EQ(p.doc.m_measurements.size(), 1u);
    EXPECT_EQ(p.doc.m_header.m_specimenName, name18);
    EXPECT_TRUE(HasWarningOnLine(p.warnings, 4));
}

TEST(DataFileReader, SplitRuleEdgeCases)
{
    // A blank before a tab at position <= 18 stays in the name.
    const DataLineSplit blankInName = SplitDataLine("AB 12\t20\t1\t2\t3");
    EXPECT_EQ(blankInName.name, "AB 12");
    EXPECT_EQ(blankInName.numbers, "\t20\t1\t2\t3");
    // A line that starts with a tab is split at its first blank.
    EXPECT_EQ(SplitDataLine("\tAB12a 20 1 2 3").name, "\tAB12a");
    // Neither tab nor blank: empty name, the whole line is the number part.
    const DataLineSplit none = SplitDataLine("20.0");
    EXPECT_EQ(none.name, "");
    EXPECT_EQ(none.numbers, "20.0");
    // A leading blank gives an empty name too.
    EXPECT_EQ(SplitDataLine(" AB 20 1 2 3").name, "");

    const Parsed p = Parse({"Korvanes-kvd", "35 0 0 0 0", "\t20.00\t1\t2\t3", "   ", "", "AB 12\t20\t1\t2\t3"});
    ASSERT_EQ(p.doc.m_measurements.size(), 1u);
    EXPECT_EQ(p.doc.m_header.m_specimenName, "AB 12");
    // The nameless line is reported, the blank ones are not.
    EXPECT_TRUE(HasWarningOnLine(p.warnings, 3));
    EXPECT_FALSE(HasWarningOnLine(p.warnings, 4));
    EXPECT_FALSE(HasWarningOnLine(p.warnings, 5));
}

TEST(DataFileReader, TwoSpecimenNamesGiveOneListAndTheLastName)
{
    const Parsed p = Parse({"Korvanes-kvd", "35 0 0 0 0", "AA1\t20 1 2 3", "BB2\t100 4 5 6", "AA1\t200 7 8 9"});
    EXPECT_EQ(p.doc.m_measurements.size(), 3u);
    EXPECT_EQ(p.doc.m_header.m_specimenName, "AA1");
}

TEST(DataFileReader, MissingNumbersRepeatThePreviousTakenLine)
{
    const Parsed p = Parse({"Korvanes-kvd", "35 0 0 0 0",
                            "S\t100 7",          // first taken line: missing numbers are 0
                            "S\t200 5 10 20",    //
                            "\t99\t99\t99\t99",  // skipped (no name): does not change what is repeated
                            "S\t300 x 1 1",      // stops at x
                            "S 1e39 1 1 1",      // rejected: does not change what is repeated
                            "S\t400 2"});
    ASSERT_EQ(p.doc.m_measurements.size(), 4u);
    ExpectMeasurement(p.doc.m_measurements[0], 100.0f, 7.0f, 0.0f, 0.0f);
    ExpectMeasurement(p.doc.m_measurements[1], 200.0f, 5.0f, 10.0f, 20.0f);
    ExpectMeasurement(p.doc.m_measurements[2], 300.0f, 5.0f, 10.0f, 20.0f);
    ExpectMeasurement(p.doc.m_measurements[3], 400.0f, 2.0f, 10.0f, 20.0f);
    for (int line : {3, 5, 6, 7, 8}) {
        EXPECT_TRUE(HasWarningOnLine(p.warnings, line)) << line;
    }
    EXPECT_FALSE(HasWarningOnLine(p.warnings, 4));
}

TEST(DataFileReader, NonFiniteAndOutOfRangeNumbersRejectTheLine)
{
    const Parsed p = Parse({"Korvanes-kvd", "35 0 0 0 0", "S\t20 1 2 3", "S\t100 1e39 2 3", "S\t100 nan 2 3",
                            "S\t100 1 inf 3", "S\t100 1 2 -INFINITY", "S\t1e400 1 2 3", "T\t200 1e-50 2 3"});
    ASSERT_EQ(p.doc.m_measurements.size(), 2u);
    ExpectMeasurement(p.doc.m_measurements[1], 200.0f, 0.0f, 2.0f, 3.0f);  // an underflow reads as 0
    EXPECT_EQ(p.doc.m_header.m_specimenName, "T");
    for (int line = 4; line <= 8; ++line) {
        EXPECT_TRUE(HasWarningOnLine(p.warnings, line)) << line;
    }
}

TEST(DataFileReader, NumberSyntaxFollowsTheCLocale)
{
    float v[4] = {-1, -1, -1, -1};
    NumberScan s = ScanFloats("  +5\t-2.5e1 .5 0x1p4", v, 4);
    EXPECT_EQ(s.count, 4);
    EXPECT_EQ(v[0], 5.0f);
    EXPECT_EQ(v[1], -25.0f);
    EXPECT_EQ(v[2], 0.5f);
    EXPECT_EQ(v[3], 16.0f);

    float w[4] = {-1, -1, -1, -1};
    s = ScanFloats("12,5 7", w, 4);  // a decimal comma ends the number and the scan
    EXPECT_EQ(s.count, 1);
    EXPECT_EQ(w[0], 12.0f);
    EXPECT_EQ(w[1], -1.0f);
    s = ScanFloats("+-5", w, 4);
    EXPECT_EQ(s.count, 0);
    s = ScanFloats("3.4028235e38", w, 1);  // just past FLT_MAX as a double
    EXPECT_TRUE(s.outOfRange);
    s = ScanFloats("-3.4028234e38", w, 1);
    EXPECT_EQ(s.count, 1);
}

// Plain decimals take a quicker way than other numbers: the same values,
// and the same end of the number, whatever the digits.
TEST(DataFileReader, PlainDecimalsReadAsAnyNumber)
{
    std::mt19937_64 random(5);
    std::vector<std::string> texts{"20.", "1.5e", "1.5e2", "007.250", "0.1", "999999999999999", "9999999999999999",
                                   "0.30000000000000004", "1.x", "4.5x6"};
    for (int k = 0; k < 3000; ++k) {
        std::string digits = std::to_string(random());
        digits.resize(1 + random() % digits.size());
        digits.insert(random() % (digits.size() + 1), ".");
        texts.push_back(digits + (k % 2 == 0 ? " 7" : ""));
    }
    for (const std::string& text : texts) {
        float v[2] = {-1, -1};
        const NumberScan s = ScanFloats(text, v, 2);
        double expected = 0.0;
        const auto r = std::from_chars(text.data(), text.data() + text.size(), expected);
        const bool number = r.ec == std::errc{};
        ASSERT_EQ(s.count >= 1, number) << text;
        if (number) {
            EXPECT_EQ(v[0], static_cast<float>(expected)) << text;
            EXPECT_EQ(s.count == 2, text.ends_with(" 7") && r.ptr == text.data() + text.size() - 2) << text;
        }
    }
}

TEST(DataFileReader, HeaderEdgeCases)
{
    // Empty file.
    Parsed empty = Parse({});
    EXPECT_TRUE(empty.doc.m_measurements.empty());
    EXPECT_TRUE(HasWarningOnLine(empty.warnings, 0));

    // Ending right after the header word: defaults, no data.
    Parsed onlyMagic = Parse({"Korvanes-kvd"});
    EXPECT_TRUE(onlyMagic.doc.m_measurements.empty());
    EXPECT_EQ(onlyMagic.doc.m_header.m_labField, 35.0f);
    EXPECT_TRUE(HasWarningOnLine(onlyMagic.warnings, 2));

    // Two of five header numbers: the rest keep the construction values.
    Parsed partial = Parse({"Korvanes-kvd", "40 120", "S\t20 1 2 3"});
    EXPECT_EQ(partial.doc.m_header.m_labField, 40.0f);
    EXPECT_EQ(partial.doc.m_header.m_coreAzimuth, 120.0f);
    EXPECT_EQ(partial.doc.m_header.m_coreDip, 0.0f);
    EXPECT_TRUE(HasWarningOnLine(partial.warnings, 2));
    EXPECT_EQ(partial.doc.m_measurements.size(), 1u);

    // A non-finite header number stops the header there.
    Parsed bad = Parse({"Korvanes-kvd", "40 nan 5 5 5"});
    EXPECT_EQ(bad.doc.m_header.m_labField, 40.0f);
    EXPECT_EQ(bad.doc.m_header.m_coreAzimuth, 0.0f);
    EXPECT_EQ(bad.doc.m_header.m_coreDip, 0.0f);
    EXPECT_TRUE(HasWarningOnLine(bad.warnings, 2));
}

TEST(DataFileReader, AnyBytesAreTaken)
{
    // NUL bytes and non-UTF-8 bytes stay in the name; a NUL ends the numbers.
    const std::string name("B\0\xF6\xB0", 4);
    const Parsed p = Parse({"Korvanes-kvd", "35 0 0 0 0", name + "\t20 1" + std::string(1, '\0') + "2 3"});
    ASSERT_EQ(p.doc.m_measurements.size(), 1u);
    EXPECT_EQ(p.doc.m_header.m_specimenName, name);
    ExpectMeasurement(p.doc.m_measurements[0], 20.0f, 1.0f, 0.0f, 0.0f);

    // A 3 MB line: numbers followed by junk are read; a 3 MB number is out of range.
    const std::string junk(3u << 20, 'z');
    const std::string digits(3u << 20, '7');
    const Parsed big = Parse({"Korvanes-kvd", "35 0 0 0 0", "S\t20 1 2 3 " + junk, "S\t" + digits + " 1 2 3",
                              junk + "\t20\t1\t2\t3"});
    ASSERT_EQ(big.doc.m_measurements.size(), 1u);
    ExpectMeasurement(big.doc.m_measurements[0], 20.0f, 1.0f, 2.0f, 3.0f);
    EXPECT_TRUE(HasWarningOnLine(big.warnings, 4));
    EXPECT_TRUE(HasWarningOnLine(big.warnings, 5));
}

TEST(DataFileReader, WarningsAreCapped)
{
    Lines lines{"Korvanes-kvd", "35 0 0 0 0"};
    for (int i = 0; i < 500; ++i) {
        lines.push_back("nonameline");
    }
    lines.push_back("S\t20 1 2 3");
    const Parsed p = Parse(lines);
    EXPECT_EQ(p.warnings.size(), kMaxListedWarnings + 1);
    EXPECT_EQ(p.warnings.back().line, 0);
    EXPECT_NE(p.warnings.back().text.find("400"), std::string::npos);
}

TEST(DataFileReader, SplitLinesDropsCarriageReturnsAndTheLastEmptyLine)
{
    EXPECT_EQ(SplitLines(""), Lines{});
    EXPECT_EQ(SplitLines("a\r\nb\n"), (Lines{"a", "b"}));
    EXPECT_EQ(SplitLines("a\n\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitLines("a\r\r\n"), (Lines{"a\r"}));
    EXPECT_EQ(SplitLines("\n"), (Lines{""}));
}

TEST(DataFileReader, ReadsAFileWithCrLfLineEnds)
{
    const auto path = TempFile("crlf.kvd", "Korvanes-kvd\r\n40 1 2 3 4\r\nAB12a\t20.00\t5.321E+02\t12.5\t45.1\r\n"
                                           "AB12a\t100.00\t4.0E+02\t12.0\t44.0\r\n");
    CKorvanesToolDoc doc;
    const OpenStatus status = doc.Open(path.string());
    EXPECT_TRUE(status.readable);
    EXPECT_TRUE(status.error.empty());
    EXPECT_TRUE(status.warnings.empty());
    EXPECT_EQ(doc.m_options.m_pathName, path.string());
    EXPECT_EQ(doc.m_header.m_beddingDip, 4.0f);
    ASSERT_EQ(doc.m_measurements.size(), 2u);
    EXPECT_EQ(doc.m_measurements[1].inclination, 44.0f);
    EXPECT_EQ(doc.m_header.m_specimenName, "AB12a");
    std::filesystem::remove(path);
}

TEST(DataFileReader, UnreadablePathsSayWhy)
{
    CKorvanesToolDoc doc;
    const OpenStatus missing = doc.Open("/nonexistent/dir/x.kvd");
    EXPECT_FALSE(missing.readable);
    EXPECT_EQ(missing.error, "cannot open '/nonexistent/dir/x.kvd': No such file or directory");
    EXPECT_TRUE(doc.m_measurements.empty());

    const std::string dir = std::filesystem::temp_directory_path().string();
    const OpenStatus directory = doc.Open(dir);
    EXPECT_FALSE(directory.readable);
    EXPECT_NE(directory.error.find("Is a directory"), std::string::npos);
    EXPECT_NE(directory.error.find(dir), std::string::npos);
}

// Reading into a room kept from file to file gives what a fresh read gives:
// the bytes of a small file after a larger one, the limit to the byte, a
// pipe whose writer sends in pieces read to its end, and the same errors.
TEST(DataFileReader, ReadIntoKeptRoomGivesWhatAFreshReadGives)
{
    const auto folder = std::filesystem::temp_directory_path() / ("korvanes_reader_room_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const auto write = [&folder](const std::string& name, std::size_t size) {
        std::string text(size, 'x');
        for (std::size_t i = 0; i < size; i += 7) {
            text[i] = static_cast<char>('a' + i % 26);
        }
        std::ofstream((folder / name).string(), std::ios::binary) << text;
        return (folder / name).string();
    };
    const std::string fifo = (folder / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string piece = "AB12a\t20.00\t5.3\t12.5\t45.1\n";
    std::thread writer([&fifo, &piece] {
        std::FILE* out = std::fopen(fifo.c_str(), "wb");
        for (int k = 0; out != nullptr && k < 3; ++k) {
            std::fputs(piece.c_str(), out);
            std::fflush(out);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        if (out != nullptr) {
            std::fclose(out);
        }
    });
    std::string room;
    for (const std::string& path : {write("large", 200000), write("small", 100), write("empty", 0),
                                    write("limit", kMaxDataFileBytes), write("over", kMaxDataFileBytes + 1),
                                    write("small2", 30), fifo, folder.string(), (folder / "missing").string()}) {
        std::string_view bytes;
        const OpenStatus read = ReadDataFileInto(path, room, bytes);
        std::string fresh = piece + piece + piece;  // the pipe can be read only once
        const OpenStatus freshRead = path == fifo ? OpenStatus{} : ReadDataFileBytes(path, fresh);
        EXPECT_EQ(read.readable, freshRead.readable) << path;
        EXPECT_EQ(read.error, freshRead.error) << path;
        EXPECT_EQ(std::string(bytes), read.readable ? fresh : std::string()) << path;
    }
    writer.join();
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace korvanes
