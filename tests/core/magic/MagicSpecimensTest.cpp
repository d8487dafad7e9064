// The specimens-table export: its columns against the published data model,
// the values in the model's units, what stays empty, and appending.

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "DataModelCheck.h"
#include "MagicTestTables.h"
#include "analysis/AnalysisRun.h"
#include "analysis/AraiFit.h"
#include "core/results/TempDir.h"
#include "document/DataFileReader.h"
#include "magic/MagicFiles.h"
#include "magic/MagicSpecimens.h"

namespace {

using namespace korvanes;
using namespace korvanes::magic;
using korvanes::testing::ReadBytes;

// A document as an analysis leaves it, with one check of each kind below
// the fitted range's upper end.
CKorvanesToolDoc AnalysedDocument()
{
    CKorvanesToolDoc doc;
    doc.m_header.m_specimenName = "BV12a";
    CSpecimenResult& r = doc.m_result;
    r.paleointensity = 28.456;
    r.stdDev = 1.25;
    r.n = 7;
    r.tMin = 20;
    r.tMax = 500;
    r.slope = -0.8;
    r.slopeRelStd = 0.05;
    r.f = 0.625;
    r.g = 0.75;
    r.q = 9.375;
    r.w = 4.1875;
    r.madAnchored = 2.5;
    r.madFree = 3.5;
    r.alpha = 1.25;
    r.ckError = 3.5;
    r.ckDiff = 2.25;
    r.drat = 4.5;
    r.dTR = 1.5;
    r.dTStar = 2.5;
    r.dAC = 0.75;
    r.decAnchored = 12.5;
    r.incAnchored = 45.25;
    r.resultClass = "A";
    CStepVector check;
    check.temperature = 450;
    check.stepTemperature = 300;
    doc.m_ptrmCheckDiffs = {check};
    doc.m_additivityResults = {check};
    check.temperature = 500;
    doc.m_tailCheckStats = {check};
    check.stepType = kPtrmCheck;
    doc.m_steps = {check};
    return doc;
}

TEST(MagicSpecimens, ColumnsAndValuesMatchThePublishedDataModel)
{
    SKIP_WITHOUT_MAGIC_DATA();
    // Rows of real analyses: the published thermal experiment's specimens.
    const MagicImport imported = ImportMagicFiles({magictest::DataFile("thermal-izzi-measurements.txt"), "", ""});
    ASSERT_TRUE(imported.ok()) << imported.error;
    std::vector<std::vector<std::string>> rows;
    for (const ImportedSpecimen& specimen : imported.specimens) {
        CKorvanesToolDoc doc;
        OpenImportedSpecimen(specimen, "m.txt", doc);
        RunAnalysis(doc);
        if (auto row = SpecimenRow(doc, "lab.cri")) {
            rows.push_back(*row);
        }
    }
    ASSERT_GE(rows.size(), 5u);
    magictest::ExpectRowsMatchDataModel("specimens", SpecimenColumns(), rows);
}

TEST(MagicSpecimens, RowValuesInTheModelsUnits)
{
    CKorvanesToolDoc doc = AnalysedDocument();
    auto cell = [](const CKorvanesToolDoc& d, std::string_view column, const StatisticCriteriaSet* set = nullptr) {
        const auto& columns = SpecimenColumns();
        const auto at =
            std::find_if(columns.begin(), columns.end(), [column](const auto& c) { return c.name == column; });
        return SpecimenRow(d, "x", set).value().at(static_cast<std::size_t>(at - columns.begin()));
    };
    const std::pair<const char*, const char*> own[] = {
        {"specimen", "BV12a"}, {"int_abs", "2.8456e-05"}, {"int_abs_sigma", "1.25e-06"}, {"meas_step_min", "273"},
        {"meas_step_max", "773"}, {"meas_step_unit", "K"}, {"dir_dec", "12.5"}, {"dir_inc", "45.25"},
        {"dir_tilt_correction", "-1"}, {"method_codes", "LP-PI-TRM:LP-PI-ALT-PTRM:IE-TT"}, {"result_quality", "g"},
        {"description", ""}, {"software_packages", "KorvanesTool 4.1"}};
    for (const auto& [column, expected] : own) {
        EXPECT_EQ(cell(doc, column), expected) << column;
    }
    EXPECT_EQ(SpecimenRow(doc, "lab:2024.cri").value().at(SpecimenColumns().size() - 3), "lab_2024.cri");
    EXPECT_EQ(SpecimensTableHead().substr(0, 31), "tab\tspecimens\nspecimen\tint_abs\t");
    EXPECT_EQ(SpecimensTableHead().substr(SpecimensTableHead().size() - 19), "\tsoftware_packages\n");

    // The int_ columns hold the standard statistics of the fitted range,
    // empty where the data cannot give them (here: no Arai point at all).
    const StandardStatistics standard = StandardStatisticsOfResult(doc);
    for (const SpecimenColumn& column : SpecimenColumns()) {
        const std::optional<StandardStatistic> id = StatisticByName(std::string(column.name));
        if (id && column.name != "int_abs" && column.name != "int_abs_sigma") {
            EXPECT_EQ(cell(doc, column.name).empty(), !standard[*id].has_value()) << column.name;
        }
    }
    EXPECT_EQ(cell(doc, "int_dck") + cell(doc, "int_dpal") + cell(doc, "int_drat") + cell(doc, "int_dt"), "");
    // A criteria set is named in `criteria` and its verdict goes to `description`.
    const StatisticCriteriaSet* ccrit = FindBuiltInCriteriaSet("CCRIT");
    EXPECT_EQ(cell(doc, "criteria", ccrit), "x:CCRIT");
    EXPECT_EQ(cell(doc, "description", ccrit).rfind("CCRIT: fail (int_n_measurements, ", 0), 0u)
        << cell(doc, "description", ccrit);

    // Arai points exactly on a line: q and w are infinite, and no number
    // stands for them.
    CKorvanesToolDoc exact;
    ParseDataLines({"Korvanes-kvd", "35 0 0 0 0", "S\t20.00\t10\t0\t90", "S\t100.00\t8\t0\t90",
                    "S\t100.11\t10\t0\t90", "S\t200.00\t6\t0\t90", "S\t200.11\t10\t0\t90",
                    "S\t300.00\t4\t0\t90", "S\t300.11\t10\t0\t90"},
                   exact);
    exact.m_options.m_rangeMode = kSelectedRange;
    exact.m_result.tMin = 20;
    exact.m_result.tMax = 300;
    RunAnalysis(exact);
    ASSERT_EQ(exact.m_result.q, kQualityWithoutScatter);
    EXPECT_EQ(cell(exact, "int_q") + cell(exact, "int_w"), "");
    EXPECT_EQ(cell(exact, "int_f"), "0.6");

    // Tilt correction: what the coordinates truly are.
    struct Tilt {
        int coordinates;
        const char* origin;
        const char* expected;
    };
    const Tilt tilts[] = {
        {kGeographic, "", "0"},
        {kBedding, "", "100"},
        {kGeographic, "\tmagic-specimen=a\torientation=none", "-1"},
        {kBedding, "\tmagic-specimen=a\torientation=sample\tbedding=none", "0"},
        {kBedding, "\tmagic-specimen=a\torientation=sample\tbedding=site", "100"},
    };
    for (const Tilt& t : tilts) {
        CKorvanesToolDoc d = doc;
        d.m_options.m_coordinates = t.coordinates;
        d.m_header.m_fileNote = t.origin;
        EXPECT_EQ(cell(d, "dir_tilt_correction"), t.expected) << t.coordinates << t.origin;
    }

    // An imported specimen keeps its MagIC name and codes; class C is flagged bad; no result, no row.
    CKorvanesToolDoc imported = doc;
    imported.m_header.m_fileNote = "\tmagic-specimen=ATPIPV04-1A long name\tmagic-method-codes=LP-PI-TRM:LP-PI-BT-IZZI";
    imported.m_result.resultClass = "C";
    imported.m_result.tMin = 400;
    EXPECT_EQ(cell(imported, "specimen"), "ATPIPV04-1A long name");
    EXPECT_EQ(cell(imported, "method_codes"), "LP-PI-TRM:LP-PI-BT-IZZI:IE-TT");
    EXPECT_EQ(cell(imported, "result_quality"), "b");
    EXPECT_EQ(cell(imported, "meas_step_min"), "673");
    imported.m_result.paleointensity = 0.0;
    EXPECT_FALSE(SpecimenRow(imported, "x").has_value());
}

TEST(MagicSpecimens, AppendingKeepsOneHeadAndRefusesOtherTables)
{
    const korvanes::testing::TempDir dir;
    const std::string row = SpecimenLine(SpecimenRow(AnalysedDocument(), "x").value());

    const std::string path = dir.File("specimens.txt");
    EXPECT_FALSE(CheckSpecimensFile(path).has_value());
    EXPECT_FALSE(AppendSpecimenLines(path, {row}).has_value());
    EXPECT_FALSE(AppendSpecimenLines(path, {row, row}).has_value());
    EXPECT_EQ(ReadBytes(path), SpecimensTableHead() + row + row + row);

    const std::pair<const char*, const char*> refused[] = {
        {"tab\tsamples\nsample\nA\n", "is not one MagIC specimens table (tables found: samples)"},
        {"tab\tspecimens\nspecimen\tint_abs\tforeign\nA\t1e-5\t1\n", "is a specimens table with columns that are not"},
        {"Name\tLabfield\tPaleoint\n", "is no MagIC specimens table: line 1"},
    };
    for (const auto& [content, message] : refused) {
        const std::string other = dir.File("other.txt");
        korvanes::testing::WriteBytes(other, content);
        const std::optional<std::string> refusal = AppendSpecimenLines(other, {row});
        ASSERT_TRUE(refusal.has_value()) << content;
        EXPECT_NE(refusal->find(message), std::string::npos) << *refusal;
        EXPECT_EQ(ReadBytes(other), content);
    }
    // A table written with fewer of the columns keeps its own.
    const std::string older = dir.File("older.txt");
    korvanes::testing::WriteBytes(older, "tab\tspecimens\nspecimen\tint_abs\nA\t1e-5\n");
    EXPECT_FALSE(AppendSpecimenLines(older, {row}).has_value());
    EXPECT_EQ(ReadBytes(older), "tab\tspecimens\nspecimen\tint_abs\nA\t1e-5\nBV12a\t2.8456e-05\n");
    // An empty file has nothing to keep and gets the head.
    const std::string empty = dir.File("empty.txt");
    korvanes::testing::WriteBytes(empty, "");
    EXPECT_FALSE(AppendSpecimenLines(empty, {row}).has_value());
    EXPECT_EQ(ReadBytes(empty), SpecimensTableHead() + row);
}

}  // namespace
