// The standard statistics and the criteria sets on the command line:
// analyze --json, the text section, --criteria-set, --search-set and the
// range map with --standard.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "CliTestSupport.h"

namespace {

using namespace clitest;

const char* const kFiles[] = {"basalt-mt1.kvd", "tuff-mt3.kvd", "andesite-mt4.kvd"};

// The specimens columns of the MagIC data model, or an empty object without the file.
json SpecimensColumns()
{
    std::ifstream in(std::string(KORVANES_MAGIC_DATA_DIR) + "/data_model.json");
    if (!in) {
        return json::object();
    }
    return json::parse(in, nullptr, true, true)["tables"]["specimens"]["columns"];
}

TEST(StandardStatistics, EveryFitCarriesThemUnderTheDataModelNames)
{
    const json columns = SpecimensColumns();
    for (const char* file : kFiles) {
        SCOPED_TRACE(file);
        const json j = AnalyzeJson({}, Example(file));
        const json& st = j["result"]["standardStatistics"];
        ASSERT_TRUE(st.is_object());
        EXPECT_EQ(st["int_n_measurements"], j["result"]["n"]);
        for (const char* fraction : {"int_frac", "int_fvds"}) {
            EXPECT_GE(st[fraction].get<double>(), 0.0);
            EXPECT_LE(st[fraction].get<double>(), 1.0);
        }
        EXPECT_TRUE(st["int_scat"].is_boolean());
        for (const auto& [key, value] : st.items()) {
            if (key.rfind("int_", 0) == 0 && !columns.empty()) {
                EXPECT_TRUE(columns.contains(key)) << key << " is no specimens column of the data model";
            }
        }
    }
    // Tail checks only in the MT3 example, additivity checks only in the MT4 one.
    EXPECT_GT(AnalyzeJson({}, Example("tuff-mt3.kvd"))["result"]["standardStatistics"]["int_n_ptrm_tail"], 0);
    EXPECT_FALSE(AnalyzeJson({}, Example("basalt-mt1.kvd"))["result"]["standardStatistics"].contains("int_dtr"));
    EXPECT_GT(AnalyzeJson({}, Example("andesite-mt4.kvd"))["result"]["standardStatistics"]["int_n_ac"], 0);
}

TEST(StandardStatistics, CriteriaSetVerdictWithReasons)
{
    const RunResult text = RunProgram({"analyze", Example("basalt-mt1.kvd"), "--criteria-set", "CCRIT"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("Standard statistics ("), std::string::npos);
    EXPECT_NE(text.out.find("Criteria set CCRIT: "), std::string::npos);
    EXPECT_NE(text.out.find("|int_k_prime| <= 0.164"), std::string::npos);

    const json j = AnalyzeJson({"--criteria-set", "selcrit2"}, Example("tuff-mt3.kvd"));
    const json& verdict = j["criteriaSet"];
    EXPECT_EQ(verdict["set"], "SELCRIT2");
    bool all = true;
    for (const json& item : verdict["statistics"]) {
        all = all && item["pass"].get<bool>();
    }
    EXPECT_EQ(verdict["pass"].get<bool>(), all);
    EXPECT_EQ(verdict["failed"].empty(), all);

    // A user's set; a bad line is refused with its number.
    const fs::path good = WriteFile("mine.set", "# strict on scatter\nint_b_beta <= 0.001\n");
    EXPECT_FALSE(AnalyzeJson({"--criteria-set", good.string()}, Example("basalt-mt1.kvd"))["criteriaSet"]["pass"]);
    const fs::path bad = WriteFile("bad.set", "int_frac >= 0.5\nint_frac = 0.5\n");
    const RunResult refused = RunProgram({"analyze", Example("basalt-mt1.kvd"), "--criteria-set", bad.string()});
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("line 2"), std::string::npos) << refused.err;
}

TEST(StandardStatistics, SearchSetChoosesAPassingRange)
{
    const json j = AnalyzeJson({"--search-set", "CCRIT", "--criteria-set", "CCRIT"}, Example("andesite-mt4.kvd"));
    const json& search = j["searchSet"];
    ASSERT_TRUE(search.contains("chosen")) << search.dump();
    EXPECT_EQ(search["chosen"]["tMin"], j["result"]["tMin"]);
    EXPECT_EQ(search["chosen"]["tMax"], j["result"]["tMax"]);
    EXPECT_TRUE(j["criteriaSet"]["pass"].get<bool>());

    const fs::path impossible = WriteFile("impossible.set", "int_n_measurements >= 1000\n");
    const RunResult none = RunProgram({"analyze", Example("basalt-mt1.kvd"), "--search-set", impossible.string()});
    EXPECT_EQ(none.status, 0);
    EXPECT_NE(none.err.find("no range of the automatic search passes impossible"), std::string::npos) << none.err;
    EXPECT_EQ(RunProgram({"analyze", Example("basalt-mt1.kvd"), "--search-set", "CCRIT", "--range", "100", "400"})
                  .status,
              1);
}

TEST(StandardStatistics, RangeMapCellsOnRequest)
{
    const json plain = AnalyzeJson({"--range-map"}, Example("basalt-mt1.kvd"));
    EXPECT_FALSE(plain["rangeMap"]["ranges"][0].contains("standardStatistics"));
    const json j = AnalyzeJson({"--range-map", "--standard", "--criteria-set", "CCRIT"}, Example("basalt-mt1.kvd"));
    ASSERT_FALSE(j["rangeMap"]["ranges"].empty());
    for (const json& cell : j["rangeMap"]["ranges"]) {
        EXPECT_EQ(cell["standardStatistics"]["int_n_measurements"], cell["n"]);
        EXPECT_TRUE(cell["criteriaSet"]["pass"].is_boolean());
    }
    EXPECT_EQ(RunProgram({"analyze", Example("basalt-mt1.kvd"), "--standard"}).status, 1);
}

TEST(StandardStatistics, BatchVerdictsInTheSummaryAndTheSpecimensTable)
{
    const fs::path dir = TestDir();
    const std::string table = (dir / "specimens.txt").string();
    std::vector<std::string> args{"batch"};
    for (const char* file : kFiles) {
        args.push_back(Example(file));
    }
    args.insert(args.end(), {"--results", (dir / "study.krv").string(), "--magic-specimens", table,
                             "--criteria-set", "CCRIT"});
    const RunResult r = RunProgram(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Criteria set CCRIT: "), std::string::npos) << r.out;
    const std::string bytes = ReadAll(table);
    EXPECT_NE(bytes.find("\tDefaultCriteria:CCRIT\tCCRIT: "), std::string::npos) << bytes;
    const std::size_t verdicts = static_cast<std::size_t>(std::count(r.out.begin(), r.out.end(), '\n'));
    EXPECT_GE(verdicts, 3u);
}

}  // namespace
