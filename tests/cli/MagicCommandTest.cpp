// MagIC on the command line: `import-magic`, `analyze` and `batch` on
// MagIC measurement files, and the round trip to a specimens table.

#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "CliTestSupport.h"

namespace {

using namespace clitest;

#define SKIP_WITHOUT_MAGIC_DATA()                                                        \
    if (!fs::is_directory(KORVANES_MAGIC_DATA_DIR)) {                                    \
        GTEST_SKIP() << "the published MagIC files are not at " KORVANES_MAGIC_DATA_DIR; \
    }

std::string Magic(const char* name) { return std::string(KORVANES_MAGIC_DATA_DIR) + "/" + name; }

std::vector<std::string> FilesIn(const fs::path& dir)
{
    std::vector<std::string> names;
    if (fs::is_directory(dir)) {
        for (const auto& entry : fs::directory_iterator(dir)) {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The rows of a specimens table by column name.
std::vector<std::map<std::string, std::string>> TableRows(const std::string& text)
{
    std::vector<std::string> lines = Split(text, "\n");
    EXPECT_EQ(lines.at(0), "tab\tspecimens");
    const std::vector<std::string> columns = Split(lines.at(1), "\t");
    std::vector<std::map<std::string, std::string>> rows;
    for (std::size_t i = 2; i < lines.size() && !lines[i].empty(); ++i) {
        const std::vector<std::string> cells = Split(lines[i], "\t");
        EXPECT_EQ(cells.size(), columns.size());
        std::map<std::string, std::string>& row = rows.emplace_back();
        for (std::size_t c = 0; c < columns.size() && c < cells.size(); ++c) {
            row[columns[c]] = cells[c];
        }
    }
    return rows;
}

TEST(MagicCommands, ImportWritesEachSpecimenAndSaysWhatItDropped)
{
    SKIP_WITHOUT_MAGIC_DATA();
    const fs::path out = TestDir() / "zi";
    const RunResult r = RunProgram({"import-magic", Magic("zi-tails-magic_measurements.txt"), "--samples",
                                    Magic("zi-tails-er_samples_orient.txt"), "--out", out.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* line :
         {"Records read: 192\n", "Records used: 152\n", "Records dropped: 40\n",
          "  not of a thermal double-heating experiment (no LP-PI-TRM): 40\n", "Specimens imported: 5\n",
          "Orientation: 5 of 5 specimens from the samples table", "Files written: 5 in "}) {
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\nin:\n" << r.out;
    }
    EXPECT_EQ(FilesIn(out),
              (std::vector<std::string>{"sr01a1.kvd", "sr01a2.kvd", "sr01c2.kvd", "sr01d1.kvd", "sr01i1.kvd"}));
    const std::string first = ReadAll(out / "sr01a1.kvd");
    EXPECT_EQ(Split(first, "\n").at(1), "40 310.6 87 0 0");  // sun-compass azimuth, dip -87 of X
    ASSERT_EQ(RunProgram({"import-magic", Magic("zi-tails-magic_measurements.txt"), "--samples",
                          Magic("zi-tails-er_samples_orient.txt"), "--out", out.string()})
                  .status,
              0);
    EXPECT_EQ(ReadAll(out / "sr01a1.kvd"), first);
}

TEST(MagicCommands, HostileTablesWriteNothing)
{
    const fs::path dir = TestDir();
    const std::string head =
        "tab\tmeasurements\nspecimen\tmethod_codes\ttreat_temp\ttreat_dc_field\tmagn_moment\t"
        "dir_dec\tdir_inc\n";
    struct Case {
        const char* name;
        std::string content;
        const char* message;
    };
    const Case cases[] = {
        {"header-only.txt", head, "holds no records"},
        {"mixed-fields.txt",
         head + "A\tLT-NO:LP-PI-TRM\t273\t0\t1e-6\t1\t2\nA\tLT-T-Z:LP-PI-TRM\t373\t0\t1e-6\t1\t2\n"
                "A\tLT-T-I:LP-PI-TRM\t373\t3e-5\t1e-6\t1\t2\nA\tLT-T-I:LP-PI-TRM\t473\t4e-5\t1e-6\t1\t2\n",
         "no specimen with a thermal double-heating experiment to write"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path out = dir / (std::string(c.name) + ".out");
        const RunResult r =
            RunProgram({"import-magic", WriteFile(dir / c.name, c.content).string(), "--out", out.string()});
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_TRUE(FilesIn(out).empty());
    }
}

// Whatever a file holds, no control character of it reaches the terminal:
// not from the import's reasons (a lab-treatment code with an escape
// sequence and a NUL), names, notes and problems, nor from the data-file
// reader's texts, nor from a file's name.
TEST(MagicCommands, NoControlCharacterFromAFileReachesTheTerminal)
{
    const fs::path dir = TestDir();
    const std::string esc = std::string("\x1b]0;owned\x07\x1b[2J\r\xC2\x9B") + '\0' + "1m";
    const std::string name = "S\x1b[31m\r\x1b]0;owned\x07";  // names go on the command line: no NUL
    const std::string other = "B\xC2\x9B" "2J";
    const std::string dataName = "D\x1b[2J\r";
    const std::string head =
        "tab\tmeasurements\nspecimen\texperiment\tmethod_codes\ttreat_temp\ttreat_dc_field\tmagn_moment\t"
        "dir_dec\tdir_inc\tsequence\n";
    std::string table = head;
    for (const std::string& specimen : {name, other}) {
        const std::string x = specimen + '\t' + esc + '\t';
        table += x + "LT-NO:LP-PI-TRM\t273\t0\t3e-6\t1\t2\t1\n" + x + "LT-T-Z:LP-PI-TRM\t373\t0\t2e-6\t1\t2\t1\n" +
                 x + "LT-T-I:LP-PI-TRM\t373\t3e-5\t3e-6\t1\t2\t1\n" + x + "LT-T-Z:LP-PI-TRM\t473\t0\t1e-6\t1\t2\t1\n" +
                 x + "LT-T-I:LP-PI-TRM\t473\t3e-5\t4e-6\t1\t2\t1\n" + x + "LT-AF-Z" + esc + ":LP-PI-TRM\t273\t0\t1\t1\t2\t1\n";
    }
    table += other + "\t\tLT-T-Z:LP-PI-TRM\t573\t0\t1e-6\t" + esc + "\t2\t9\n";  // a declination that is no number
    const fs::path measurements = WriteFile(dir / ("m" + esc.substr(0, 8) + ".txt"), table);
    const fs::path data = WriteFile(dir / ("d" + esc.substr(0, 8) + ".kvd"),
                                    "Korvanes-kvd" + esc + "\n35 0 0 0\n" + esc + "\n" + dataName + "\t20 1 2 3\n" +
                                        dataName + "\t100 1 2 3 x" + esc + "\n");
    const std::vector<std::vector<std::string>> runs = {
        {"import-magic", measurements.string(), "--out", (dir / "out").string()},
        {"analyze", measurements.string()},
        {"analyze", measurements.string(), "--specimen", name},
        {"analyze", measurements.string(), "--specimen", other},
        {"analyze", data.string()},
        {"batch", measurements.string(), data.string(), (dir / "none.kvd").string(), "--results",
         (dir / "r.krv").string()},
    };
    for (const std::vector<std::string>& args : runs) {
        SCOPED_TRACE(args[0] + ' ' + args[1]);
        const RunResult r = RunProgram(args);
        for (const std::string& text : {r.out, r.err}) {
            const auto control = std::find_if(text.begin(), text.end(), [](char c) {
                const auto u = static_cast<unsigned char>(c);
                return (u < 0x20 && c != '\n' && c != '\t') || u == 0x7F;
            });
            EXPECT_EQ(control, text.end()) << text;
            EXPECT_EQ(text.find("\xC2\x9B"), std::string::npos) << text;
        }
    }
}

TEST(MagicCommands, AnalyzeReadsAMagicFileAsItsImportedDataFile)
{
    SKIP_WITHOUT_MAGIC_DATA();
    const std::string measurements = Magic("thermal-izzi-measurements.txt");
    const fs::path out = TestDir() / "izzi";
    ASSERT_EQ(RunProgram({"import-magic", measurements, "--out", out.string()}).status, 0);

    json direct = AnalyzeJson({"--specimen", "ATPIPV04-6A"}, measurements);
    json fromFile = AnalyzeJson({}, (out / "ATPIPV04-6A.kvd").string());
    EXPECT_EQ(direct["magic"]["specimen"], "ATPIPV04-6A");
    EXPECT_EQ(direct["magic"]["notes"].at(0), "moments are magn_moment x 1e8: the mA/m of a nominal 10 cm³ specimen");
    EXPECT_TRUE(direct["warnings"].empty());
    for (json* j : {&direct, &fromFile}) {
        j->erase("file");
        j->erase("magic");
        (*j)["options"].erase("pathName");
    }
    EXPECT_EQ(direct, fromFile);
    EXPECT_GT(fromFile["result"]["paleointensity"].get<double>(), 0.0);

    const RunResult unnamed = RunProgram({"analyze", measurements});
    EXPECT_EQ(unnamed.status, 1);
    EXPECT_NE(unnamed.err.find("name the specimen with --specimen; 26 specimens"), std::string::npos) << unnamed.err;
    EXPECT_EQ(RunProgram({"analyze", measurements, "--specimen", "nobody"}).status, 1);
    const RunResult notWritten = RunProgram({"analyze", measurements, "--specimen", "ATPIPV22-10B"});
    EXPECT_EQ(notWritten.status, 2);
    EXPECT_NE(notWritten.err.find(":379: specimen 'ATPIPV22-10B' not written: its experiment has no zero-field"),
              std::string::npos)
        << notWritten.err;
    EXPECT_EQ(RunProgram({"analyze", Example("basalt-mt1.kvd"), "--specimen", "BV12a"}).status, 1);
}

TEST(MagicCommands, RoundTripToAnUploadReadySpecimensTable)
{
    SKIP_WITHOUT_MAGIC_DATA();
    const std::string measurements = Magic("thermal-izzi-measurements.txt");
    const fs::path dir = TestDir();
    const fs::path out = dir / "izzi";
    ASSERT_EQ(RunProgram({"import-magic", measurements, "--out", out.string()}).status, 0);
    std::vector<std::string> args = {"batch"};
    for (const std::string& name : FilesIn(out)) {
        args.push_back((out / name).string());
    }
    const std::string table = (dir / "specimens.txt").string();
    args.insert(args.end(), {"--results", (dir / "study.krv").string(), "--magic-specimens", table});
    const RunResult batch = RunProgram(args);
    ASSERT_EQ(batch.status, 0) << batch.err;
    const std::vector<std::map<std::string, std::string>> rows = TableRows(ReadAll(table));
    ASSERT_GE(rows.size(), 10u);

    // Each exported value is what `analyze --json` of the imported file
    // gives, in the data model's unit, to the printed precision.
    for (const auto& row : rows) {
        const std::string specimen = row.at("specimen");
        SCOPED_TRACE(specimen);
        const json result = AnalyzeJson({}, (out / (specimen + ".kvd")).string())["result"];
        const json& standard = result["standardStatistics"];
        auto expectNear = [&row](const char* column, double expected) {
            ASSERT_FALSE(row.at(column).empty()) << column;
            const double printed = std::stod(row.at(column));
            EXPECT_NEAR(printed, expected, 1e-7 * std::fabs(expected) + 1e-300) << column;
        };
        expectNear("int_abs", result["paleointensity"].get<double>() * 1e-6);
        expectNear("int_abs_sigma", result["stdDev"].get<double>() * 1e-6);
        EXPECT_EQ(row.at("int_n_measurements"), std::to_string(standard["int_n_measurements"].get<int>()));
        const int tMin = result["tMin"];
        EXPECT_EQ(row.at("meas_step_min"), std::to_string(tMin <= 20 ? 273 : tMin + 273));
        EXPECT_EQ(row.at("meas_step_max"), std::to_string(result["tMax"].get<int>() + 273));
        EXPECT_EQ(row.at("meas_step_unit"), "K");
        // The columns the standard definitions give hold the standard statistics.
        for (const auto& [column, cell] : row) {
            if (column.rfind("int_", 0) != 0 || column == "int_abs" || column == "int_abs_sigma") {
                continue;
            }
            if (!standard.contains(column)) {
                EXPECT_EQ(cell, "") << column;
            } else if (standard[column].is_boolean()) {
                EXPECT_EQ(cell, standard[column].get<bool>() ? "true" : "false") << column;
            } else {
                expectNear(column.c_str(), standard[column].get<double>());
            }
        }
        expectNear("dir_dec", result["decAnchored"]);
        expectNear("dir_inc", result["incAnchored"]);
        EXPECT_EQ(row.at("int_dtr") + row.at("int_dt") + row.at("int_dac"), "");  // no such checks in IZZI
        EXPECT_EQ(row.at("dir_tilt_correction"), "-1");
        EXPECT_EQ(row.at("method_codes"), "LP-PI-TRM:LP-PI-BT-IZZI:LP-PI-ALT-PTRM:IE-TT");
        EXPECT_EQ(row.at("result_quality"), "g");
        EXPECT_EQ(row.at("criteria"), "DefaultCriteria");
        EXPECT_EQ(row.at("software_packages"), "KorvanesTool 4.1");
    }

    // The MagIC file directly gives the same rows, appended under the one head.
    const RunResult again =
        RunProgram({"batch", measurements, "--results", (dir / "study2.krv").string(), "--magic-specimens", table});
    ASSERT_EQ(again.status, 0) << again.err;
    const std::vector<std::map<std::string, std::string>> both = TableRows(ReadAll(table));
    ASSERT_EQ(both.size(), 2 * rows.size());
    EXPECT_TRUE(std::equal(rows.begin(), rows.end(), both.begin() + static_cast<std::ptrdiff_t>(rows.size())));

    // Tail checks (a manual range of the published ZI file with pTRM-tail checks).
    const fs::path zi = dir / "zi";
    ASSERT_EQ(RunProgram({"import-magic", Magic("zi-tails-magic_measurements.txt"), "--out", zi.string()}).status, 0);
    const std::string tails = (dir / "tails.txt").string();
    ASSERT_EQ(RunProgram({"batch", (zi / "sr01a2.kvd").string(), "--range", "20", "500", "--results",
                          (dir / "tails.krv").string(), "--magic-specimens", tails})
                  .status,
              0);
    const json tailResult = AnalyzeJson({"--range", "20", "500"}, (zi / "sr01a2.kvd").string())["result"];
    const auto tailRow = TableRows(ReadAll(tails)).at(0);
    EXPECT_NEAR(std::stod(tailRow.at("int_dtr")), tailResult["standardStatistics"]["int_dtr"].get<double>(), 1e-6);
    EXPECT_NEAR(std::stod(tailRow.at("int_dt")), tailResult["standardStatistics"]["int_dt"].get<double>(), 1e-8);
    EXPECT_EQ(tailRow.at("method_codes"), "LP-PI-TRM:LP-PI-ZI:LP-PI-ALT-PTRM:LP-PI-BT-MD:IE-TT");

    // A file that is no such table is refused before anything is written.
    const fs::path foreign = WriteFile(dir / "foreign.txt", "tab\tsites\nsite\nA\n");
    const RunResult refused = RunProgram(
        {"batch", measurements, "--results", (dir / "study3.krv").string(), "--magic-specimens", foreign.string()});
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("is not one MagIC specimens table"), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(dir / "study3.krv"));
    EXPECT_EQ(ReadAll(foreign), "tab\tsites\nsite\nA\n");
}

}  // namespace
