// Runs `korvanes analyze` on the example files and on broken input.

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "CliTestSupport.h"

namespace {

using namespace clitest;

bool IsValidUtf8(const std::string& s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0 || (extra == 1 && b < 0xC2)) {
            return false;
        }
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= s.size() || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += extra + 1;
    }
    return true;
}

bool HasNull(const json& j)
{
    if (j.is_null()) {
        return true;
    }
    if (j.is_structured()) {
        for (const auto& item : j) {
            if (HasNull(item)) {
                return true;
            }
        }
    }
    return false;
}

std::set<std::string> Keys(const json& object)
{
    std::set<std::string> keys;
    for (auto it = object.begin(); it != object.end(); ++it) {
        keys.insert(it.key());
    }
    return keys;
}

TEST(Analyze, ExamplesAsText)
{
    for (const ExampleCase& e : kExamples) {
        const RunResult r = RunProgram({"analyze", Example(e.file)});
        EXPECT_EQ(r.status, 0) << e.file;
        EXPECT_EQ(r.err, "") << e.file;
        EXPECT_TRUE(IsValidUtf8(r.out));
        EXPECT_NE(r.out.find(std::string("Specimen:") + std::string(18, ' ') + e.name), std::string::npos) << r.out;
        EXPECT_NE(r.out.find(std::string("Method type:") + std::string(15, ' ') + e.methodType), std::string::npos);
        EXPECT_NE(r.out.find(e.checkText), std::string::npos);
        for (const char* section : {"Measurements (", "Steps (", "Arai points (", "pTRM checks (", "Additivity checks (",
                                    "Tail checks (", "Plot bounds", "Determination", "laboratory field",
                                    "Repeated demagnetizations (", "pTRM-check differences", "Check-corrected pTRM",
                                    "Further pTRM checks, corrected (", "Additivity-check results (",
                                    "Arai fit details"}) {
            EXPECT_NE(r.out.find(section), std::string::npos) << section;
        }
    }
}

TEST(Analyze, ExamplesAsJsonHaveTheFullShape)
{
    const std::set<std::string> top{"file",      "specimenName", "checkMethodText", "methodType", "resultClass",
                                    "header",    "options",      "range",           "result",     "leftOutSteps",
                                    "marks",
                                    "resultsLine", "stepLines",  "tailLines",       "plotBounds", "lists",
                                    "warnings"};
    const std::set<std::string> header{"labField", "coreAzimuth", "coreDip", "beddingDipDirection", "beddingDip"};
    const std::set<std::string> options{"coordinates",    "plotType",       "rangeMode",
                                        "checkCorrected", "showAdditivityChecks", "onlyZComponent",
                                        "includeCheckCorrection", "pathName", "equalAraiScales"};
    const std::set<std::string> result{"tMin",     "tMax",        "madAnchored", "decAnchored",    "incAnchored",
                                       "madFree",  "decFree",     "incFree",     "trm",            "nrmT",
                                       "n",        "stdDev",      "slope",       "slopeRelStd",    "ckError",
                                       "ckDiff",   "w",           "q",           "g",              "f",
                                       "paleointensity", "methodType", "resultClass", "dTR",       "dAC",
                                       "fitXFrom", "fitXTo",      "meanPtrm",    "meanNrm",        "fitLength",
                                       "drat",     "alpha",       "dTStar",      "standardStatistics"};
    const std::set<std::string> bounds{"minTemperature", "maxTemperature", "minNrm",        "maxNrm",
                                       "maxPtrm",        "maxX",           "maxY",          "maxZ",
                                       "maxHorizontal",  "minX",           "minY",          "minZ",
                                       "minHorizontal",  "maxTailDTR",     "maxTailTStar",  "maxTailDInc",
                                       "tailPlotMax",    "tailPlotMaxIncTStar", "maxCheckDifference",
                                       "maxAdditivityDifference"};
    const std::set<std::string> lists{"measurements",   "steps",          "zeroFieldSteps", "ptrmGained",
                                      "ptrmChecks",     "tailChecks",     "additivityChecks", "tailCheckStats",
                                      "ptrmCheckDiffs", "correctedPtrm",  "correctedChecks",  "additivityResults"};
    const std::set<std::string> measurement{"treatmentCode", "moment", "inclination", "declination"};
    const std::set<std::string> step{"x", "y", "z", "magnitude", "stepType", "temperature", "stepTemperature"};

    for (const ExampleCase& e : kExamples) {
        SCOPED_TRACE(e.file);
        const json j = AnalyzeJson({}, Example(e.file));
        EXPECT_FALSE(HasNull(j));
        EXPECT_EQ(Keys(j), top);
        EXPECT_EQ(Keys(j["header"]), header);
        EXPECT_EQ(Keys(j["options"]), options);
        EXPECT_EQ(Keys(j["result"]), result);
        EXPECT_EQ(Keys(j["plotBounds"]), bounds);
        EXPECT_EQ(Keys(j["lists"]), lists);
        EXPECT_EQ(j["specimenName"], e.name);
        EXPECT_EQ(j["methodType"], e.methodType);
        EXPECT_EQ(j["checkMethodText"], e.checkText);
        EXPECT_EQ(j["file"], Example(e.file));
        EXPECT_TRUE(j["warnings"].is_array() && j["warnings"].empty());
        ASSERT_FALSE(j["lists"]["measurements"].empty());
        for (const auto& m : j["lists"]["measurements"]) {
            EXPECT_EQ(Keys(m), measurement);
        }
        for (const std::string& name : lists) {
            if (name == "measurements") {
                continue;
            }
            for (const auto& s : j["lists"][name]) {
                EXPECT_EQ(Keys(s), step) << name;
            }
        }
        EXPECT_EQ(j["lists"]["steps"].size(), j["lists"]["measurements"].size());
        EXPECT_FALSE(j["lists"]["ptrmChecks"].empty());
    }
    const json tuff = AnalyzeJson({}, Example("tuff-mt3.kvd"));
    EXPECT_FALSE(tuff["lists"]["tailChecks"].empty());
    const json andesite = AnalyzeJson({}, Example("andesite-mt4.kvd"));
    EXPECT_FALSE(andesite["lists"]["additivityChecks"].empty());
}

TEST(Analyze, JsonNumbersAreTheFloatsWidened)
{
    const json j = AnalyzeJson({}, Example("basalt-mt1.kvd"));
    // First line: BV12a  20.00  1.842E+03  355.4  39.8
    const json& m = j["lists"]["measurements"][0];
    EXPECT_EQ(m["treatmentCode"].get<double>(), 20.0);
    EXPECT_EQ(m["moment"].get<double>(), static_cast<double>(1842.0f));
    EXPECT_EQ(m["declination"].get<double>(), static_cast<double>(355.4f));
    EXPECT_EQ(m["inclination"].get<double>(), static_cast<double>(39.8f));
    EXPECT_EQ(j["header"]["labField"].get<double>(), 35.0);
    EXPECT_EQ(j["header"]["coreAzimuth"].get<double>(), 127.5);
}

TEST(Analyze, CoordinatesAndOnlyZ)
{
    const json core = AnalyzeJson({}, Example("basalt-mt1.kvd"));
    const json bedding = AnalyzeJson({"--coords", "bedding"}, Example("basalt-mt1.kvd"));
    EXPECT_EQ(bedding["options"]["coordinates"], 2);
    const json& a = core["lists"]["steps"][0];
    const json& b = bedding["lists"]["steps"][0];
    EXPECT_NE(a["x"], b["x"]);
    EXPECT_NEAR(a["magnitude"].get<double>(), b["magnitude"].get<double>(), 1e-9);

    const json onlyZ = AnalyzeJson({"--only-z"}, Example("basalt-mt1.kvd"));
    EXPECT_EQ(onlyZ["options"]["onlyZComponent"], 1);
    for (const auto& p : onlyZ["lists"]["ptrmGained"]) {
        EXPECT_EQ(p["magnitude"].get<double>(), std::fabs(p["z"].get<double>()));
    }
}

TEST(Analyze, ExitStatuses)
{
    const RunResult missing = RunProgram({"analyze", "/nonexistent/missing.kvd"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.err.find("'/nonexistent/missing.kvd'"), std::string::npos) << missing.err;
    EXPECT_NE(missing.err.find("No such file or directory"), std::string::npos) << missing.err;
    EXPECT_EQ(RunProgram({"analyze", "/nonexistent/missing.kvd", "--json"}).status, 2);

    // Beyond the analysis limits: refused at once with the limit, as a file
    // that cannot be read (a larger file is not even read).
    std::string repeats = "Korvanes-kvd\n35 0 0 0 0\n";
    for (int k = 0; k < 45; ++k) {
        repeats += "H\t" + std::to_string(100 + (k % 3 == 0 ? 0.0 : k % 3 == 1 ? 0.11 : 0.12)).substr(0, 6) + "\t" +
                   std::to_string(100 + k) + "\t10\t40\n";
    }
    const RunResult refused = RunProgram({"analyze", WriteFile("repeats.kvd", repeats).string()});
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("cannot analyse '"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("(most: 45 steps at 100 \xC2\xB0" "C)"), std::string::npos) << refused.err;
    const RunResult huge = RunProgram({"analyze", WriteFile("huge.kvd", std::string((4 << 20) + 1, '\n')).string()});
    EXPECT_EQ(huge.status, 2);
    EXPECT_NE(huge.err.find("larger than 4 MiB"), std::string::npos) << huge.err;

    EXPECT_EQ(RunProgram({}).status, 1);
    EXPECT_EQ(RunProgram({"analyze"}).status, 1);
    const RunResult badCoords = RunProgram({"analyze", Example("basalt-mt1.kvd"), "--coords", "polar"});
    EXPECT_EQ(badCoords.status, 1);
    EXPECT_NE(badCoords.err.find("--coords"), std::string::npos);
}

TEST(Analyze, NonUtf8NameComesOutAsUtf8)
{
    // Windows-1252: 0xF6 is ö, 0xB0 the degree sign.
    const fs::path file = WriteFile("name\xF6.kvd", "Korvanes-kvd\n35 0 0 0 0\n"
                                                    "Bj\xF6rk\xB0" "1\t20.00\t100\t0\t45\n"
                                                    "Bj\xF6rk\xB0" "1\t100.00\t90\t0\t45\n"
                                                    "Bj\xF6rk\xB0" "1\t100.11\t95\t0\t60\n");
    const json j = AnalyzeJson({}, file.string());
    EXPECT_EQ(j["specimenName"], "Bj\xC3\xB6rk\xC2\xB0" "1");
    EXPECT_EQ(j["file"].get<std::string>().find("name\xC3\xB6.kvd") != std::string::npos, true);
    const RunResult text = RunProgram({"analyze", file.string()});
    EXPECT_EQ(text.status, 0);
    EXPECT_TRUE(IsValidUtf8(text.out));
    EXPECT_NE(text.out.find("Bj\xC3\xB6rk\xC2\xB0" "1"), std::string::npos);
    EXPECT_NE(text.out.find("no alteration check"), std::string::npos);
}

TEST(Analyze, ControlCharactersOfTheFileDoNotReachTheTerminal)
{
    // ESC and BEL in the specimen name, an ESC in the file name.
    const fs::path file = WriteFile("esc\x1B.kvd", "Korvanes-kvd\n40 0 0 0 0\n"
                                                  "S\x1B[2J\x07\t20.00\t100\t0\t45\n"
                                                  "S\x1B[2J\x07\t100.00\t90\t0\t45\n"
                                                  "S\x1B[2J\x07\t100.11\t95\t0\t60\n");
    const RunResult text = RunProgram({"analyze", file.string()});
    EXPECT_EQ(text.status, 0);
    EXPECT_EQ(text.out.find('\x1B'), std::string::npos);
    EXPECT_EQ(text.out.find('\x07'), std::string::npos);
    EXPECT_NE(text.out.find("Specimen:                  S?[2J?\n"), std::string::npos) << text.out;
    // JSON keeps the name itself, escaped as JSON escapes it.
    EXPECT_EQ(AnalyzeJson({}, file.string())["specimenName"], "S\x1B[2J\x07");
}

TEST(Analyze, ReaderWarningsAndDegenerateFiles)
{
    const fs::path file = WriteFile("warn.kvd", "Korvanes-kvd\r\n35 0 0 0 0\r\nS\t20 100 0 45\r\nS\t100 1e39 0 45\r\n"
                                                "S\t100.11 nan 0 45\r\n");
    const json j = AnalyzeJson({}, file.string());
    ASSERT_EQ(j["warnings"].size(), 2u);
    EXPECT_EQ(j["warnings"][0]["line"], 4);
    EXPECT_EQ(j["warnings"][1]["line"], 5);
    EXPECT_EQ(j["lists"]["measurements"].size(), 1u);
    const RunResult text = RunProgram({"analyze", file.string()});
    EXPECT_EQ(text.status, 0);
    EXPECT_NE(text.err.find(file.string() + ":4: warning:"), std::string::npos) << text.err;

    for (const char* bytes : {"", "Korvanes-kvd\n", "Korvanes-kvd\n40\n", "\n\n\n", "x"}) {
        const fs::path f = WriteFile("degenerate.kvd", bytes);
        const json d = AnalyzeJson({}, f.string());
        EXPECT_FALSE(HasNull(d));
        const RunResult t = RunProgram({"analyze", f.string()});
        EXPECT_EQ(t.status, 0);
    }
}

TEST(Analyze, AraiPointsTableShowsThePtrmTheFitUses)
{
    // The in-field step at 100 °C is measured twice; the fit takes the later one.
    const fs::path file = WriteFile("twice.kvd", "Korvanes-kvd\n35 0 0 0 0\nS\t20 100 0 0\nS\t100 90 0 0\n"
                                                 "S\t100.11 95 0 0\nS\t100.11 97 0 0\nS\t200 80 0 0\n"
                                                 "S\t200.11 100 0 0\n");
    const RunResult text = RunProgram({"analyze", file.string()});
    const std::size_t table = text.out.find("Arai points (");
    ASSERT_NE(table, std::string::npos) << text.out;
    const std::string row100 = text.out.substr(text.out.find("\n     100 ", table), 60);
    EXPECT_NE(row100.find(" 7\n"), std::string::npos) << row100;
}

}  // namespace

namespace {

TEST(Analyze, LoadsNoQt)
{
    // Only `plot` draws, in a program of its own: the other commands load
    // the C library and nothing of Qt (the dynamic loader names every
    // library it loads).
    const clitest::RunResult r =
        clitest::RunProgram({"analyze", clitest::Example("basalt-mt1.kvd")}, "LD_DEBUG=libs");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("libc.so"), std::string::npos) << "LD_DEBUG gave no list of libraries";
    EXPECT_EQ(r.err.find("libQt"), std::string::npos);
}

}  // namespace
