// The MagIC table reader: single tables and contributions, their variants,
// malformed structure, numbers and lists.

#include <gtest/gtest.h>

#include "magic/MagicTable.h"

namespace {

using namespace korvanes::magic;

TEST(MagicTable, SingleTablesAndContributions)
{
    // Byte-order mark, CR LF, a short record, a blank line.
    const MagicText single =
        ParseMagicText("\xEF\xBB\xBFtab\tmeasurements\r\nspecimen\tdir_dec\tdir_inc\r\nA1\t10\t20\r\n\r\nA2\t11\r\n");
    ASSERT_TRUE(single.ok()) << single.error;
    ASSERT_EQ(single.tables.size(), 1u);
    const MagicTable& t = single.tables[0];
    EXPECT_EQ(t.name, "measurements");
    EXPECT_EQ(t.columns, (std::vector<std::string>{"specimen", "dir_dec", "dir_inc"}));
    ASSERT_EQ(t.rows.size(), 2u);
    EXPECT_EQ(t.rows[1].line, 5);
    EXPECT_EQ(t.Cell(t.rows[1], t.Column("dir_dec")), "11");
    EXPECT_EQ(t.Cell(t.rows[1], t.Column("dir_inc")), "");
    EXPECT_EQ(t.Cell(t.rows[1], t.Column("quality")), "");
    EXPECT_EQ(t.Column({"er_specimen_name", "specimen"}), 0);

    // Data model 2.5's "tab " and "tab delimited"; tables separated by ">" lines.
    const MagicText contribution = ParseMagicText(
        "tab \tmagic_measurements\ner_specimen_name\t\nB1\t\n>>>>>>>>>>\ntab delimited\ter_samples\ner_sample_name\nB\n"
        ">>>>>>>>>>\n");
    ASSERT_TRUE(contribution.ok()) << contribution.error;
    EXPECT_EQ(contribution.TableNames(), "magic_measurements, er_samples");
    ASSERT_NE(contribution.Find({"samples", "er_samples"}), nullptr);
    EXPECT_EQ(contribution.Find({"samples", "er_samples"})->rows.at(0).line, 7);
    EXPECT_EQ(contribution.Find({"sites"}), nullptr);

    EXPECT_TRUE(LooksLikeMagicText("tab\tmeasurements\n"));
    EXPECT_TRUE(LooksLikeMagicText("\xEF\xBB\xBFtab \tmagic_measurements\r\n"));
    EXPECT_FALSE(LooksLikeMagicText("Korvanes-kvd\n35 0 0 0 0\n"));
    EXPECT_FALSE(LooksLikeMagicText("tab\t20.00\t1.5E+02\t10\t20\n"));  // data lines of specimens "tab"
    EXPECT_FALSE(LooksLikeMagicText("tab 2\t20\t150\t10\t20\n"));       // and "tab 2"
}

TEST(MagicTable, MalformedStructureIsRefusedWithItsLine)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", "the file holds no MagIC table (it is empty)"},
        {"specimen\tdir_dec\nA\t1\n", "line 1: a MagIC table begins with a line holding \"tab\""},
        {"tab\tmeasurements\n", "line 1: table 'measurements' has no line of column names"},
        {"tab\tmeasurements\nspecimen\tdir_dec\tspecimen\n", "line 2: column 'specimen' appears twice"},
        {"tab\tmeasurements\nspecimen\t\tdir_dec\n", "line 2: column 2 of table 'measurements' has no name"},
        {"tab\tmeasurements\nspecimen\nA\t5\n", "line 3: a record of table 'measurements' has 2 cells, more than"},
        {"tab\ta\nx\n1\n>>>>\nnot a table\n", "line 5: a MagIC table begins"},
    };
    for (const auto& [text, message] : cases) {
        const MagicText parsed = ParseMagicText(text);
        EXPECT_TRUE(parsed.tables.empty()) << text;
        EXPECT_EQ(parsed.error.rfind(message, 0), 0u) << "for: " << text << "\ngot: " << parsed.error;
    }
    EXPECT_NE(ReadMagicFile("/nonexistent/m.txt").error.find("cannot open '/nonexistent/m.txt'"), std::string::npos);
}

TEST(MagicTable, NumbersAndLists)
{
    EXPECT_EQ(ParseNumber(" 3e-05 "), 3e-05);
    EXPECT_EQ(ParseNumber("+1.5"), 1.5);
    EXPECT_EQ(ParseNumber("273."), 273.0);
    EXPECT_EQ(ParseNumber("-0.25"), -0.25);
    for (const char* refused : {"", " ", "nan", "NaN", "inf", "-inf", "1e400", "1,5", "+-1", "12abc", "0x10"}) {
        EXPECT_FALSE(ParseNumber(refused).has_value()) << refused;
    }
    EXPECT_EQ(SplitList(" LT-T-Z : LP-PI-TRM::LP-PI-ALT-PTRM "),
              (std::vector<std::string>{"LT-T-Z", "LP-PI-TRM", "LP-PI-ALT-PTRM"}));
    EXPECT_TRUE(SplitList("").empty());
}

}  // namespace
