// `korvanes sites` end to end on a published MagIC study: the JSON summary,
// a sites table that gives the latitude, one that cannot be used, and the
// MagIC tables written.

#include "CliTestSupport.h"

namespace {

using namespace clitest;

TEST(SitesCommand, SummaryTablesAndSitesTable)
{
    const std::string magic = KORVANES_MAGIC_DATA_DIR;
    if (!fs::is_directory(magic)) {
        GTEST_SKIP() << "the published MagIC files are not at " << magic;
    }
    const fs::path dir = TestDir();
    const std::vector<std::string> input{"sites", magic + "/zi-tails-magic_measurements.txt", "--samples",
                                         magic + "/zi-tails-er_samples_orient.txt", "--classes", "ABC"};

    std::vector<std::string> args = input;
    const std::string sitesTable = WriteFile(dir / "sites.txt", "site\tlat\tlon\nsr01\t10\t\n").string();
    args.insert(args.end(), {"--json", "--sites-table", sitesTable, "--magic-sites", (dir / "sites.magic").string(),
                             "--magic-samples", (dir / "samples.magic").string()});
    RunResult r = RunProgram(args);
    ASSERT_EQ(r.status, 0) << r.err;
    const json summary = json::parse(r.out);
    ASSERT_EQ(summary.at("sites").size(), 1u);
    const json& site = summary["sites"][0];
    EXPECT_EQ(site.at("site"), "sr01");
    EXPECT_EQ(site.at("lat"), 10.0) << "the sites table's latitude over the samples' one";
    EXPECT_NEAR(site.at("lon").get<double>(), 245.602, 1e-9) << "the samples' longitude where the table has none";
    EXPECT_GT(site.at("vadm").get<double>(), 1e21);
    EXPECT_EQ(site.at("n").get<int>(), site.at("specimens").size() - 2) << "two specimens without result";
    EXPECT_EQ(ReadAll(dir / "sites.magic").rfind("tab\tsites\nsite\tsamples\t", 0), 0u);
    EXPECT_EQ(ReadAll(dir / "samples.magic").rfind("tab\tsamples\nsample\tsite\t", 0), 0u);

    // The site diagram of the same study as a picture (where the build has picture export).
    r = RunProgram({"plot", magic + "/zi-tails-magic_measurements.txt", "--type", "site", "--out",
                    (dir / "sites.png").string()});
    if (r.err.find("built without Qt") == std::string::npos) {
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(ReadAll(dir / "sites.png").substr(0, 8), std::string("\x89PNG\r\n\x1A\n", 8));
    }

    // A line it cannot use stops the command, naming the file and the line.
    args = input;
    const std::string bad = WriteFile(dir / "bad.txt", "site\tlat\nsr01\t91\n").string();
    args.insert(args.end(), {"--sites-table", bad});
    r = RunProgram(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(bad + ":2: latitude '91' is outside -90 to 90 degrees"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
}

}  // namespace
