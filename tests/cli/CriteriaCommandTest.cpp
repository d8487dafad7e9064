// `korvanes criteria show|write` and criteria files given to `analyze` and
// `batch` with --criteria.

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "CliTestSupport.h"

namespace {

using namespace clitest;

static_assert(std::endian::native == std::endian::little, "the criteria bytes below are built in host order");

// One class block, in the order of the criteria dialog.
struct Block {
    std::int32_t minN = 5;
    double maxSlopeRelStd = 0.1;
    double minF = 0.3;
    std::int32_t minQ = 1;
    std::int32_t maxMad = 6;
    std::int32_t maxMadFree = 999;
    std::int32_t maxAlpha = 15;
    std::int32_t maxCkError = 5;
    std::int32_t maxCkDiff = 5;
    std::int32_t maxDrat = 999;
    std::int32_t maxTailStar = 3;
    std::int32_t maxIntensityDiff = 10;
    std::int32_t maxAc = 5;
};

Block StartupA() { return Block{}; }

Block StartupB()
{
    Block b;
    b.maxSlopeRelStd = 0.15;
    b.minQ = 0;
    b.maxMad = 15;
    b.maxCkError = 7;
    b.maxCkDiff = 10;
    b.maxTailStar = 5;
    b.maxIntensityDiff = 15;
    b.maxAc = 10;
    return b;
}

template <class T>
void Put(std::string& bytes, T value)
{
    char raw[sizeof(T)];
    std::memcpy(raw, &value, sizeof(T));
    bytes.append(raw, sizeof(T));
}

void PutBlock(std::string& bytes, const Block& b)
{
    Put(bytes, b.minN);
    Put(bytes, b.maxSlopeRelStd);
    Put(bytes, b.minF);
    // In the file the intensity difference comes before the tail limit.
    for (std::int32_t v : {b.minQ, b.maxMad, b.maxMadFree, b.maxAlpha, b.maxCkError, b.maxCkDiff, b.maxDrat,
                           b.maxIntensityDiff, b.maxTailStar, b.maxAc}) {
        Put(bytes, v);
    }
}

// A criteria file, byte by byte: the length-prefixed tag, both blocks, the
// three options.
std::string CriteriaBytes(const Block& a, const Block& b, std::int32_t maximizeQ = 0, const std::string& tag = "Criteria")
{
    std::string bytes(1, static_cast<char>(tag.size()));
    bytes += tag;
    PutBlock(bytes, a);
    PutBlock(bytes, b);
    Put(bytes, maximizeQ);
    Put(bytes, std::int32_t{0});
    Put(bytes, std::int32_t{0});
    return bytes;
}

// The row of `criteria show` that starts with `label`.
std::string Row(const std::string& out, const std::string& label)
{
    for (const std::string& line : Split(out, "\n")) {
        if (line.rfind(label, 0) == 0) {
            return line;
        }
    }
    return "";
}

TEST(Criteria, WriteGivesTheBuiltInBytesAndShowPrintsThem)
{
    const fs::path dir = TestDir();
    const std::string startup = (dir / "startup.cri").string();
    const std::string defaults = (dir / "defaults.cri").string();
    const RunResult w1 = RunProgram({"criteria", "write", startup});
    EXPECT_EQ(w1.status, 0) << w1.err;
    EXPECT_EQ(RunProgram({"criteria", "write", "--startup", (dir / "startup2.cri").string()}).status, 0);
    EXPECT_EQ(RunProgram({"criteria", "write", "--defaults", defaults}).status, 0);

    const std::string startupBytes = ReadAll(startup);
    EXPECT_EQ(startupBytes.size(), 141u);
    EXPECT_EQ(startupBytes, CriteriaBytes(StartupA(), StartupB()));
    EXPECT_EQ(ReadAll(dir / "startup2.cri"), startupBytes);
    // The two built-in sets differ in the class B intensity difference only
    // (offset: 9 tag bytes, 60 of block A, 48 into block B).
    Block defaultB = StartupB();
    defaultB.maxIntensityDiff = 20;
    const std::string defaultBytes = ReadAll(defaults);
    EXPECT_EQ(defaultBytes, CriteriaBytes(StartupA(), defaultB));
    for (std::size_t i = 0; i < 141; ++i) {
        if (i != 117) {
            EXPECT_EQ(defaultBytes[i], startupBytes[i]) << i;
        }
    }
    EXPECT_EQ(startupBytes[117], 15);
    EXPECT_EQ(defaultBytes[117], 20);

    const RunResult show = RunProgram({"criteria", "show", startup});
    EXPECT_EQ(show.status, 0) << show.err;
    EXPECT_EQ(Split(Row(show.out, "Number of points (N) >="), " ").back(), "5");
    const auto values = [](const std::string& row) {
        std::vector<std::string> v;
        for (const std::string& part : Split(row.substr(36), " ")) {
            if (!part.empty()) {
                v.push_back(part);
            }
        }
        return v;
    };
    EXPECT_EQ(values(Row(show.out, "Standard deviation (Std) >=")), (std::vector<std::string>{"0.1", "0.15"}));
    EXPECT_EQ(values(Row(show.out, "Quality factor (q) >=")), (std::vector<std::string>{"1", "0"}));
    EXPECT_EQ(values(Row(show.out, "MAD' (not-anchored) <=")), (std::vector<std::string>{"999", "999"}));
    EXPECT_EQ(values(Row(show.out, "Normalized tail of pTRM: d(t*) <=")), (std::vector<std::string>{"3", "5"}));
    EXPECT_EQ(values(Row(show.out, "Relative intensity diff <=")), (std::vector<std::string>{"10", "15"}));
    EXPECT_NE(show.out.find("Automatic search maximises: w"), std::string::npos);
    const RunResult showDefaults = RunProgram({"criteria", "show", defaults});
    EXPECT_EQ(values(Row(showDefaults.out, "Relative intensity diff <=")), (std::vector<std::string>{"10", "20"}));

    EXPECT_EQ(RunProgram({"criteria", "write", "--startup", "--defaults", (dir / "x.cri").string()}).status, 1);
    const RunResult unwritable = RunProgram({"criteria", "write", (dir / "no" / "such" / "x.cri").string()});
    EXPECT_EQ(unwritable.status, 2);
    EXPECT_NE(unwritable.err, "");
}

TEST(Criteria, AnalysisWithWrittenCriteriaMatchesTheBuiltInOnes)
{
    const fs::path dir = TestDir();
    const std::string startup = (dir / "startup.cri").string();
    const std::string defaults = (dir / "defaults.cri").string();
    ASSERT_EQ(RunProgram({"criteria", "write", startup}).status, 0);
    ASSERT_EQ(RunProgram({"criteria", "write", "--defaults", defaults}).status, 0);
    for (const ExampleCase& e : kExamples) {
        SCOPED_TRACE(e.file);
        const json builtIn = AnalyzeJson({}, Example(e.file));
        const json fromFile = AnalyzeJson({"--criteria", startup}, Example(e.file));
        EXPECT_EQ(fromFile["result"], builtIn["result"]);
        EXPECT_EQ(fromFile["marks"], builtIn["marks"]);
        // A looser class B changes nothing for specimens that make class A.
        EXPECT_EQ(AnalyzeJson({"--criteria", defaults}, Example(e.file))["result"], builtIn["result"]);
    }
}

TEST(Criteria, ImpossibleThresholdsGiveNoResultAndTheWholeRange)
{
    Block strictA = StartupA();
    strictA.minN = 999;
    strictA.minF = 2.0;
    Block strictB = StartupB();
    strictB.minN = 999;
    strictB.minF = 2.0;
    const fs::path strict = WriteFile(TestDir() / "strict.cri", CriteriaBytes(strictA, strictB));
    const int lowest[] = {20, 20, 20};
    const int highest[] = {575, 580, 580};
    int i = 0;
    for (const ExampleCase& e : kExamples) {
        SCOPED_TRACE(e.file);
        const json j = AnalyzeJson({"--criteria", strict.string()}, Example(e.file));
        EXPECT_EQ(j["resultClass"], "");
        EXPECT_FALSE(j["marks"]["shown"]);
        const json& r = j["result"];
        for (const char* key : {"paleointensity", "stdDev", "slope", "slopeRelStd", "f", "g", "q", "w", "trm", "nrmT",
                                "madAnchored", "decAnchored", "incAnchored", "madFree", "decFree", "incFree", "alpha",
                                "ckError", "ckDiff", "drat", "dTR", "dAC", "dTStar"}) {
            EXPECT_EQ(r[key].get<double>(), 0.0) << key;
        }
        EXPECT_EQ(r["n"], 0);
        EXPECT_EQ(r["tMin"], lowest[i]);
        EXPECT_EQ(r["tMax"], highest[i]);
        const std::vector<std::string> fields = Split(j["resultsLine"].get<std::string>(), "\t");
        ASSERT_EQ(fields.size(), 31u);
        EXPECT_EQ(fields[2], "0.00");
        EXPECT_EQ(fields[24], "");
        ++i;
    }
    const RunResult text = RunProgram({"analyze", Example("basalt-mt1.kvd"), "--criteria", strict.string()});
    EXPECT_EQ(text.status, 0);
    EXPECT_NE(text.out.find("  Class                    no result\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("no temperature range meets class A or class B"), std::string::npos);
    EXPECT_NE(text.out.find("20 to 575 \xC2\xB0" "C"), std::string::npos);
    EXPECT_NE(text.out.find("(no criteria verdicts without a result)"), std::string::npos);

    // Class A out of reach, class B as usual: the search settles for B.
    const fs::path onlyB = WriteFile(TestDir() / "onlyB.cri", CriteriaBytes(strictA, StartupB()));
    for (const ExampleCase& e : kExamples) {
        EXPECT_EQ(AnalyzeJson({"--criteria", onlyB.string()}, Example(e.file))["resultClass"], "B") << e.file;
    }
}

TEST(Criteria, MaximiseQFromTheFileSteersTheSearch)
{
    const fs::path file = WriteFile(TestDir() / "q.cri", CriteriaBytes(StartupA(), StartupB(), 1));
    const RunResult show = RunProgram({"criteria", "show", file.string()});
    EXPECT_NE(show.out.find("Automatic search maximises: q"), std::string::npos);
    const RunResult text = RunProgram({"analyze", Example("tuff-mt3.kvd"), "--criteria", file.string()});
    EXPECT_NE(text.out.find("the range of largest q"), std::string::npos);
    for (const ExampleCase& e : kExamples) {
        const json byQ = AnalyzeJson({"--criteria", file.string()}, Example(e.file));
        const json byW = AnalyzeJson({}, Example(e.file));
        EXPECT_GE(byQ["result"]["q"].get<double>(), byW["result"]["q"].get<double>()) << e.file;
        EXPECT_EQ(byQ["resultClass"], "A");
    }
}

TEST(Criteria, WrongTagOrDamagedFileIsRefused)
{
    const fs::path dir = TestDir();
    const fs::path wrongTag = WriteFile(dir / "wrong.cri", CriteriaBytes(StartupA(), StartupB(), 0, "criteria"));
    const fs::path results = dir / "r.krv";
    const std::vector<std::vector<std::string>> commands{
        {"analyze", Example("basalt-mt1.kvd"), "--criteria", wrongTag.string()},
        {"analyze", Example("basalt-mt1.kvd"), "--json", "--criteria", wrongTag.string()},
        {"criteria", "show", wrongTag.string()},
        {"batch", Example("basalt-mt1.kvd"), "--results", results.string(), "--criteria", wrongTag.string()},
    };
    for (const auto& args : commands) {
        const RunResult r = RunProgram(args);
        EXPECT_EQ(r.status, 2) << args[0];
        EXPECT_EQ(r.out, "") << args[0];
        EXPECT_NE(r.err.find("No Criteria File!"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(wrongTag.string()), std::string::npos) << r.err;
    }
    EXPECT_FALSE(fs::exists(results));

    const std::string good = CriteriaBytes(StartupA(), StartupB());
    for (const std::string& damaged : {good.substr(0, 20), good.substr(0, 140), std::string()}) {
        const fs::path file = WriteFile(dir / "short.cri", damaged);
        const RunResult r = RunProgram({"analyze", Example("basalt-mt1.kvd"), "--criteria", file.string()});
        EXPECT_EQ(r.status, 2) << damaged.size();
        EXPECT_NE(r.err, "");
    }
    const RunResult missing = RunProgram({"analyze", Example("basalt-mt1.kvd"), "--criteria", "/nonexistent/x.cri"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("/nonexistent/x.cri"), std::string::npos);
}

}  // namespace
