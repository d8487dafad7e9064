// The import's conventions on small tables: treatment codes, order, the NRM
// from outside the experiment, what is dropped and why, moments, the
// laboratory field, data model 2.5, hostile tables and names.

#include <gtest/gtest.h>

#include <functional>
#include <numeric>
#include <random>

#include "MagicTestTables.h"
#include "document/DataFileReader.h"
#include "magic/MagicFiles.h"
#include "magic/MagicNames.h"

namespace {

using namespace korvanes::magic;
using magictest::DataLines;
using magictest::Experiment;
using magictest::Import;
using magictest::Measurements3;
using magictest::R;
using magictest::Row;

std::size_t DroppedTotal(const MagicImport& m)
{
    return std::accumulate(m.dropped.begin(), m.dropped.end(), std::size_t{0},
                           [](std::size_t sum, const ReasonCount& r) { return sum + r.records; });
}

TEST(MagicImport, TreatmentCodesOrderAndTheNrm)
{
    const MagicImport all = Import(Measurements3(Experiment()));
    ASSERT_TRUE(all.ok()) << all.error;
    ASSERT_EQ(all.specimens.size(), 1u);
    EXPECT_EQ(all.specimens[0].dataFile,
              "Korvanes-kvd\tmagic-specimen=S1\tmagic-method-codes=LP-PI-TRM\torientation=none\tbedding=none\n"
              "30 0 0 0 0\n"
              "S1\t20.00\t100\t10\t20\n"
              "S1\t100.00\t90\t10\t20\n"
              "S1\t100.11\t110\t10\t20\n"
              "S1\t200.00\t70\t10\t20\n"
              "S1\t200.11\t120\t10\t20\n"
              "S1\t100.12\t105\t10\t20\n"
              "S1\t200.13\t69\t10\t20\n"
              "S1\t100.14\t75\t10\t20\n");

    // Whole degrees rounded; an NRM record warmer than room temperature keeps its temperature.
    std::vector<Row> rows = Experiment();
    rows[0].kelvin = "373.6";
    rows[1].kelvin = "373.4";
    std::vector<std::string> lines = DataLines(Import(Measurements3(rows)).specimens.at(0));
    EXPECT_EQ(lines[0].substr(0, 10), "S1\t101.00\t");
    EXPECT_EQ(lines[1].substr(0, 10), "S1\t100.00\t");

    // `sequence` orders the records when every one has it, file order otherwise.
    rows = Experiment();
    std::swap(rows[1], rows[2]);
    const int sequence[] = {1, 3, 2, 4, 5, 6, 7, 8};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].sequence = std::to_string(sequence[i]);
    }
    EXPECT_EQ(DataLines(Import(Measurements3(rows)).specimens.at(0)), DataLines(all.specimens[0]));
    rows.back().sequence = "";
    EXPECT_EQ(DataLines(Import(Measurements3(rows)).specimens.at(0))[1].substr(0, 10), "S1\t100.11\t");

    // Without an NRM record the experiment takes the latest bare LT-NO record before it;
    // one after it, or one of another experiment, is not taken.
    rows = Experiment();
    rows.erase(rows.begin());
    Row early = R("S1", "LT-NO", "273");
    early.protocol = "";
    Row latest = early;
    latest.moment = "3e-6";
    Row later = early;
    later.moment = "5e-6";
    Row directional = R("S1", "LT-NO", "273", "0", "4e-6");
    directional.protocol = "LP-DIR-AF";
    rows.insert(rows.begin(), {early, latest, directional});
    rows.push_back(later);
    const MagicImport adopted = Import(Measurements3(rows));
    ASSERT_EQ(adopted.specimens.size(), 1u);
    EXPECT_EQ(DataLines(adopted.specimens[0])[0], "S1\t20.00\t300\t10\t20");
    EXPECT_EQ(adopted.recordsUsed, 8u);
    EXPECT_EQ(adopted.dropped.at(0).records, 3u);  // the other bare NRMs and the directional one
}

TEST(MagicImport, RecordsDroppedByReasonAddUp)
{
    std::vector<Row> rows = Experiment();
    Row bad = R("S1", "LT-T-Z", "573", "0", "5e-7");
    bad.quality = "b";
    Row anisotropy = R("S2", "LT-T-Z", "573");
    anisotropy.protocol = "LP-PI-TRM:LP-AN-TRM";
    Row microwave = R("S2", "LT-T-I", "573");
    microwave.protocol = "LP-PI-TRM:LP-PI-M-D";
    Row af = R("S3", "LT-AF-Z", "273");
    af.protocol = "LP-DIR-AF";
    Row afInExperiment = R("S1", "LT-AF-Z", "273");
    Row nameless = R("", "LT-T-Z", "573");
    rows.insert(rows.end(), {bad, anisotropy, anisotropy, microwave, af, afInExperiment, nameless});

    const MagicImport m = Import(Measurements3(rows));
    ASSERT_TRUE(m.ok()) << m.error;
    EXPECT_EQ(m.recordsRead, 15u);
    EXPECT_EQ(m.recordsUsed, 8u);
    const std::vector<std::pair<std::string, std::size_t>> expected = {
        {"flagged bad", 1},
        {"LP-PI-TRM combined with another protocol: LP-AN-TRM", 2},
        {"LP-PI-TRM combined with another protocol: LP-PI-M-D", 1},
        {"not of a thermal double-heating experiment (no LP-PI-TRM)", 1},
        {"lab treatment LT-AF-Z is no double-heating step", 1},
        {"no specimen name", 1},
    };
    ASSERT_EQ(m.dropped.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(m.dropped[i].reason, expected[i].first);
        EXPECT_EQ(m.dropped[i].records, expected[i].second);
    }
    EXPECT_EQ(m.recordsUsed + DroppedTotal(m), m.recordsRead);
    EXPECT_TRUE(m.problems.empty());
}

TEST(MagicImport, MomentsFieldAndDataModel25)
{
    // magn_volume (A/m) x 1000 when every record has it.
    std::vector<Row> rows = Experiment();
    for (Row& r : rows) {
        r.volume = "0.05";
        r.field = r.field == "0" ? "0" : "4.5e-05";
    }
    const MagicImport byVolume = Import(Measurements3(rows));
    ASSERT_EQ(byVolume.specimens.size(), 1u);
    EXPECT_FALSE(byVolume.specimens[0].fromMagneticMoment);
    EXPECT_EQ(DataLines(byVolume.specimens[0])[3], "S1\t200.00\t50\t10\t20");
    EXPECT_EQ(byVolume.specimens[0].dataFile.substr(byVolume.specimens[0].dataFile.find('\n') + 1, 11), "45 0 0 0 0\n");

    // One record without it: magn_moment x 1e8 for all, and a note says so.
    rows[4].volume = "";
    const MagicImport byMoment = Import(Measurements3(rows));
    ASSERT_EQ(byMoment.specimens.size(), 1u);
    EXPECT_TRUE(byMoment.specimens[0].fromMagneticMoment);
    EXPECT_EQ(DataLines(byMoment.specimens[0])[3], "S1\t200.00\t70\t10\t20");
    EXPECT_EQ(byMoment.specimens[0].AllNotes().back(), kMomentNote);

    // The same table in data model 2.5 names gives the same data file.
    std::string two = Measurements3(Experiment());
    const std::string head3 = two.substr(0, two.find('\n', two.find('\n') + 1) + 1);
    two.replace(0, head3.size(),
                "tab \tmagic_measurements\ner_specimen_name\tmagic_experiment_name\tmagic_method_codes\t"
                "treatment_temp\ttreatment_dc_field\tmeasurement_magn_moment\tmeasurement_magn_volume\t"
                "measurement_magn_mass\tmeasurement_dec\tmeasurement_inc\tmeasurement_flag\tmeasurement_number\n");
    const MagicImport old = Import(two);
    ASSERT_TRUE(old.ok()) << old.error;
    EXPECT_EQ(old.tableName, "magic_measurements");
    ASSERT_EQ(old.specimens.size(), 1u);
    EXPECT_EQ(old.specimens[0].dataFile, Import(Measurements3(Experiment())).specimens.at(0).dataFile);
}

TEST(MagicImport, HostileTablesGiveMessagesAndNoHalfSpecimen)
{
    // Nothing at all can be imported.
    EXPECT_NE(Import("tab\tsamples\nsample\nA\n").error.find("no measurements table"), std::string::npos);
    EXPECT_EQ(Import("tab\tmeasurements\nspecimen\tmethod_codes\ttreat_temp\ttreat_dc_field\tdir_dec\n").error,
              "the measurements table lacks the column dir_inc, the column magn_volume or magn_moment");
    const std::string headerOnly = Measurements3({});
    EXPECT_EQ(Import(headerOnly).error, "the measurements table holds no records (only its header)");

    // One bad specimen beside a good one: the good one is written whole,
    // the bad one not at all, with the line and the reason.
    struct Case {
        const char* what;
        std::function<void(std::vector<Row>&)> spoil;
        int line;  // of the record named, counting the two header lines
        const char* category;
        const char* message;
    };
    const Case cases[] = {
        {"NaN", [](auto& r) { r[3].dec = "nan"; }, 14, "unusable value", "has no declination number ('nan')"},
        {"inclination", [](auto& r) { r[3].inc = "91"; }, 14, "unusable value", "no inclination from -90 to 90"},
        {"no moment", [](auto& r) { r[2].moment = ""; }, 13, "unusable value", "neither a magn_volume"},
        {"celsius", [](auto& r) { r[1].kelvin = "100"; }, 12, "temperature not in kelvin", "treat_temp 100"},
        {"microtesla", [](auto& r) { r[2].field = "30"; }, 13, "laboratory field not in tesla", "treat_dc_field 30"},
        {"per mass",
         [](auto& r) {
             r[2].moment = "";
             r[2].mass = "2e-3";
         },
         13, "magnetisation only per mass", "only magn_mass"},
        {"mixed fields", [](auto& r) { r[4].field = "4e-05"; }, 15, "differing laboratory fields",
         "30 µT (2 steps), 40 µT (1 step)"},
        {"declination beyond a float",
         [](auto& r) { r[3].dec = "3.4028234663852886e38"; },  // written as 3.40282347e+38: beyond what it reads
         14, "unusable value", "declination of 3.40282347e+38, beyond what a data file holds"},
        {"moment beyond a float", [](auto& r) { r[4].moment = "3.4028234663852886e30"; }, 15, "unusable value",
         "beyond what a data file holds"},
        {"field a data file holds as 0", [](auto& r) { r[2].field = "1e-300"; }, 13, "laboratory field missing",
         "holds as no field above 0"},
        {"two experiments",
         [](auto& r) {
             r[0].experiment = "a";
             r[5].experiment = "b";
         },
         11, "several double-heating experiments", "2 double-heating experiments (a; b)"},
        {"no in-field step",
         [](auto& r) {
             r.erase(r.begin() + 4);
             r.erase(r.begin() + 2);
         },
         11, "no zero-field or in-field heating", "no in-field (LT-T-I) heating step"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<Row> rows = Experiment("S1");
        std::vector<Row> spoilt = Experiment("S2");
        c.spoil(spoilt);
        rows.insert(rows.end(), spoilt.begin(), spoilt.end());
        const MagicImport m = Import(Measurements3(rows));
        ASSERT_TRUE(m.ok()) << m.error;
        ASSERT_EQ(m.specimens.size(), 1u);
        EXPECT_EQ(m.specimens[0].magicName, "S1");
        EXPECT_EQ(DataLines(m.specimens[0]).size(), 8u);
        ASSERT_EQ(m.problems.size(), 1u);
        EXPECT_EQ(m.problems[0].specimen, "S2");
        EXPECT_EQ(m.problems[0].line, c.line);
        EXPECT_NE(m.problems[0].text.find(c.message), std::string::npos) << m.problems[0].text;
        ASSERT_EQ(m.dropped.size(), 1u);
        EXPECT_EQ(m.dropped[0].reason, std::string("specimen not written: ") + c.category);
        EXPECT_EQ(m.dropped[0].records, spoilt.size());
    }
}

TEST(MagicImport, NamesAreKeptOrChangedVisiblyAndNeverMerged)
{
    const std::vector<std::string> magic = {
        "ABCDEFGHIJKLMNOPQRS",  // 19 bytes: cut, and meets the next name
        "ABCDEFGHIJKLMNOPQR",   // 18 bytes: fits and keeps its name
        "site 1/a",             // fits; its file name cannot hold "/" or " "
        "site_1_a",             // its file name meets the one above
        "Ab",
        "aB",                         // same file name when case is ignored
        "CON",                        // a reserved device name on Windows
        "0123456789abcdefg\xC3\xA9",  // 19 bytes of UTF-8: not cut inside a character
    };
    const std::vector<SpecimenNames> names = AssignSpecimenNames(magic);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"ABCDEFGHIJKLMNOP~2", "ABCDEFGHIJKLMNOPQRS.kvd"},
        {"ABCDEFGHIJKLMNOPQR", "ABCDEFGHIJKLMNOPQR.kvd"},
        {"site 1/a", "site_1_a~2.kvd"},
        {"site_1_a", "site_1_a.kvd"},
        {"Ab", "Ab.kvd"},
        {"aB", "aB~2.kvd"},
        {"CON", "_CON.kvd"},
        {"0123456789abcdefg", "0123456789abcdefg__.kvd"},
    };
    ASSERT_EQ(names.size(), expected.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(names[i].dataFileName, expected[i].first) << magic[i];
        EXPECT_EQ(names[i].fileName, expected[i].second) << magic[i];
    }

    // The import tells about every changed name.
    std::vector<Row> rows = Experiment(magic[0]);
    const MagicImport m = Import(Measurements3(rows));
    ASSERT_EQ(m.specimens.size(), 1u);
    EXPECT_EQ(m.specimens[0].names.dataFileName, "ABCDEFGHIJKLMNOPQR");
    EXPECT_NE(m.specimens[0].notes.at(0).find("the data file calls it 'ABCDEFGHIJKLMNOPQR'"), std::string::npos);
    EXPECT_EQ(DataLines(m.specimens[0])[0].substr(0, 19), "ABCDEFGHIJKLMNOPQR\t");
}

// Every range the import checks, at its limit, just inside and just outside
// it, on both sides: a value the import takes gives a written specimen, one it
// refuses none.
TEST(MagicImport, RangeLimitsOnBothSides)
{
    struct Case {
        std::function<void(std::vector<Row>&, const std::string&)> set;  // on the LT-T-I record at 100 °C
        const char* value;
        bool taken;
    };
    const auto inc = [](std::vector<Row>& r, const std::string& v) { r[2].inc = v; };
    const auto kelvin = [](std::vector<Row>& r, const std::string& v) { r[2].kelvin = v; };
    const auto field = [](std::vector<Row>& r, const std::string& v) {  // all in-field records have one field
        r[2].field = r[4].field = r[5].field = v;
    };
    const auto moment = [](std::vector<Row>& r, const std::string& v) { r[2].moment = v; };
    const Case cases[] = {
        {inc, "-95", false},    {inc, "-90.0001", false}, {inc, "-90", true},     {inc, "-89.9999", true},
        {inc, "89.9999", true}, {inc, "90", true},        {inc, "90.0001", false},
        // Heating temperatures: whole °C from 1 to 2000 after rounding (274 K to 2273 K).
        {kelvin, "273", false}, {kelvin, "273.49", false}, {kelvin, "273.5", true}, {kelvin, "274", true},
        {kelvin, "2273", true}, {kelvin, "2273.49", true}, {kelvin, "2273.5", false}, {kelvin, "2274", false},
        // Laboratory fields: above 0, at most 0.01 T.
        {field, "0", false},     {field, "-3e-05", false}, {field, "1e-12", true}, {field, "0.0099999", true},
        {field, "0.01", true},   {field, "0.0100001", false},
        // Moments: from 0 to what a 32-bit float holds (x 1e8 for magn_moment).
        {moment, "-1e-30", false}, {moment, "0", true}, {moment, "3.4028234e30", true},
        {moment, "3.4028236e30", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        std::vector<Row> rows = Experiment("S1");
        c.set(rows, c.value);
        const MagicImport m = Import(Measurements3(rows));
        ASSERT_TRUE(m.ok()) << m.error;
        EXPECT_EQ(m.specimens.size(), c.taken ? 1u : 0u);
        if (!c.taken) {
            ASSERT_EQ(m.problems.size(), 1u);
            EXPECT_EQ(m.problems[0].line, 5);
        }
    }
}

// A numbering column that repeats a value does not order the records: the
// next column does, else file order, and a note says so.
TEST(MagicImport, ARepeatingNumberingColumnIsPassedOver)
{
    const std::string head =
        "tab\tmeasurements\nspecimen\tmethod_codes\ttreat_temp\ttreat_dc_field\tmagn_moment\tdir_dec\tdir_inc\t"
        "sequence\ttreat_step_num\n";
    const std::string records[] = {"S1\tLT-T-I:LP-PI-TRM\t373\t3e-05\t2e-6\t0\t0\t1\t",
                                   "S1\tLT-T-Z:LP-PI-TRM\t373\t0\t1e-6\t0\t0\t1\t",
                                   "S1\tLT-NO:LP-PI-TRM\t273\t0\t3e-6\t0\t0\t1\t"};
    for (const bool stepNumbers : {false, true}) {
        SCOPED_TRACE(stepNumbers);
        std::string text = head;
        for (int i = 0; i < 3; ++i) {
            text += records[i] + (stepNumbers ? std::to_string(3 - i) : "") + '\n';
        }
        const MagicImport m = Import(text);
        ASSERT_EQ(m.specimens.size(), 1u) << (m.problems.empty() ? m.error : m.problems[0].text);
        const ImportedSpecimen& s = m.specimens[0];
        EXPECT_EQ(s.orderedBy, stepNumbers ? "treat_step_num" : "");
        const std::vector<std::string> lines = DataLines(s);
        ASSERT_EQ(lines.size(), 3u);
        EXPECT_EQ(lines[0].substr(3, 5), stepNumbers ? "20.00" : "100.1");
        ASSERT_EQ(s.notes.size(), 1u);
        EXPECT_EQ(s.notes[0], std::string("sequence '1' occurs twice (lines 3 and 4), so it does not order the "
                                          "measurements; ") +
                                  (stepNumbers ? "ordered by treat_step_num" : "the records are taken in file order"));
    }
}

// Names that meet after cutting get "~N" in turn, the suffix's width taken
// from the name, never a name already given.
TEST(MagicImport, ManyNamesMeetingAfterCuttingStayDistinct)
{
    std::vector<std::string> magic = {"ABCDEFGHIJKLMNOP~3"};  // fits: kept, and ~3 is taken
    for (int i = 0; i < 12; ++i) {
        magic.push_back("ABCDEFGHIJKLMNOPQR" + std::string(1, static_cast<char>('a' + i)));
    }
    const std::vector<SpecimenNames> names = AssignSpecimenNames(magic);
    const std::vector<std::string> expected = {"ABCDEFGHIJKLMNOP~3", "ABCDEFGHIJKLMNOPQR", "ABCDEFGHIJKLMNOP~2",
                                               "ABCDEFGHIJKLMNOP~4", "ABCDEFGHIJKLMNOP~5", "ABCDEFGHIJKLMNOP~6",
                                               "ABCDEFGHIJKLMNOP~7", "ABCDEFGHIJKLMNOP~8", "ABCDEFGHIJKLMNOP~9",
                                               "ABCDEFGHIJKLMNO~10", "ABCDEFGHIJKLMNO~11", "ABCDEFGHIJKLMNO~12",
                                               "ABCDEFGHIJKLMNO~13"};
    ASSERT_EQ(names.size(), expected.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(names[i].dataFileName, expected[i]);
    }
}

// A specimen imported in memory meets the limits its written file meets: a
// data file beyond the reader's size (a MagIC name of megabytes goes into its
// first line) is refused, not analysed.
TEST(MagicImport, InMemorySpecimenMeetsTheDataFileLimits)
{
    MagicImport m = Import(Measurements3(Experiment("S1")));
    ASSERT_EQ(m.specimens.size(), 1u);
    ImportedSpecimen& s = m.specimens[0];
    korvanes::CKorvanesToolDoc doc;
    ASSERT_TRUE(OpenImportedSpecimen(s, "in.txt", doc).readable);
    s.dataFile.insert(s.dataFile.find('\n'), korvanes::kMaxDataFileBytes, 'x');
    korvanes::CKorvanesToolDoc large;
    const korvanes::OpenStatus status = OpenImportedSpecimen(s, "in.txt", large);
    EXPECT_FALSE(status.readable);
    EXPECT_NE(status.error.find(korvanes::DataFileTooLarge()), std::string::npos) << status.error;
    EXPECT_TRUE(large.m_measurements.empty());
}

// Damaged tables: whatever the import makes of them, every record is
// accounted for and every data file it writes reads back without a warning.
TEST(MagicImport, RandomlyDamagedTablesKeepTheInvariants)
{
    std::vector<Row> rows = Experiment("S1");
    const std::vector<Row> second = Experiment("a name longer than eighteen bytes");
    rows.insert(rows.end(), second.begin(), second.end());
    const std::string table = Measurements3(rows);
    const std::string alphabet = "\t\n:.-e0123456789 nb>LT-PI-Z";
    std::mt19937 random(20240611);
    int imported = 0;
    for (int round = 0; round < 400; ++round) {
        std::string damaged = table;
        const int changes = 1 + static_cast<int>(random() % 6);
        for (int k = 0; k < changes; ++k) {
            damaged[random() % damaged.size()] = alphabet[random() % alphabet.size()];
        }
        const MagicImport m = Import(damaged);
        if (!m.ok()) {
            continue;
        }
        imported += m.specimens.empty() ? 0 : 1;
        ASSERT_EQ(m.recordsUsed + DroppedTotal(m), m.recordsRead) << damaged;
        for (const ImportedSpecimen& s : m.specimens) {
            korvanes::CKorvanesToolDoc doc;
            ASSERT_TRUE(korvanes::ParseDataLines(korvanes::SplitLines(s.dataFile), doc).empty()) << s.dataFile;
            ASSERT_EQ(doc.m_measurements.size(), s.records) << s.dataFile;
        }
    }
    EXPECT_GT(imported, 200);  // most damage leaves a specimen to write
}

}  // namespace
