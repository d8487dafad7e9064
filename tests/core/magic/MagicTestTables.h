#pragma once
// Small MagIC tables built in the tests, and the published files read by
// path (the tests that need them skip when the folder is absent).

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "magic/MagicImport.h"
#include "magic/MagicTable.h"

namespace magictest {

// One record of a data model 3 measurements table; the defaults make a good
// record of a thermal double-heating experiment.
struct Row {
    std::string specimen = "S1";
    std::string codes;  // lab treatment first; ":LP-PI-TRM" is appended unless `protocol` is given
    std::string kelvin;
    std::string field = "0";
    std::string moment = "1e-6";
    std::string dec = "10";
    std::string inc = "20";
    std::string quality = "g";
    std::string sequence;
    std::string volume;
    std::string experiment;
    std::string protocol = "LP-PI-TRM";
    std::string mass;
};

// A record with the fields most tests set.
inline Row R(const std::string& specimen, const std::string& codes, const std::string& kelvin,
             const std::string& field = "0", const std::string& moment = "1e-6")
{
    Row r;
    r.specimen = specimen;
    r.codes = codes;
    r.kelvin = kelvin;
    r.field = field;
    r.moment = moment;
    return r;
}

inline std::string Measurements3(const std::vector<Row>& rows)
{
    std::string text =
        "tab\tmeasurements\nspecimen\texperiment\tmethod_codes\ttreat_temp\ttreat_dc_field\t"
        "magn_moment\tmagn_volume\tmagn_mass\tdir_dec\tdir_inc\tquality\tsequence\n";
    for (const Row& r : rows) {
        const std::string codes = r.protocol.empty() ? r.codes : r.codes + ":" + r.protocol;
        text += r.specimen + '\t' + r.experiment + '\t' + codes + '\t' + r.kelvin + '\t' + r.field + '\t' + r.moment +
                '\t' + r.volume + '\t' + r.mass + '\t' + r.dec + '\t' + r.inc + '\t' + r.quality + '\t' + r.sequence +
                '\n';
    }
    return text;
}

// A short experiment with every kind of step: NRM, 100 and 200 °C zero-field
// and in-field (30 µT), a pTRM check, a tail check and an additivity check.
inline std::vector<Row> Experiment(const std::string& specimen = "S1")
{
    std::vector<Row> rows = {
        R(specimen, "LT-NO", "273"),
        R(specimen, "LT-T-Z", "373", "0", "9e-7"),
        R(specimen, "LT-T-I", "373", "3e-05", "1.1e-6"),
        R(specimen, "LT-T-Z", "473", "0", "7e-7"),
        R(specimen, "LT-T-I", "473", "3e-05", "1.2e-6"),
        R(specimen, "LT-PTRM-I", "373", "3e-05", "1.05e-6"),
        R(specimen, "LT-PTRM-MD", "473", "0", "6.9e-7"),
        R(specimen, "LT-PTRM-AC", "373", "0", "7.5e-7"),
    };
    return rows;
}

// The data lines of an imported specimen (its data file without the two
// header lines).
inline std::vector<std::string> DataLines(const korvanes::magic::ImportedSpecimen& s)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end = s.dataFile.find('\n'); end != std::string::npos; end = s.dataFile.find('\n', start)) {
        lines.push_back(s.dataFile.substr(start, end - start));
        start = end + 1;
    }
    return std::vector<std::string>(
        lines.begin() + std::min<std::ptrdiff_t>(2, static_cast<std::ptrdiff_t>(lines.size())), lines.end());
}

inline korvanes::magic::MagicImport Import(const std::string& text,
                                           const korvanes::magic::OrientationTables& orientation = {})
{
    return korvanes::magic::ImportMeasurements(korvanes::magic::ParseMagicText(text), orientation);
}

// The path of a published MagIC file (see SKIP_WITHOUT_MAGIC_DATA).
inline std::string DataFile(const char* name)
{
    return (std::filesystem::path(KORVANES_MAGIC_DATA_DIR) / name).string();
}

#define SKIP_WITHOUT_MAGIC_DATA()                                                       \
    if (!std::filesystem::is_directory(KORVANES_MAGIC_DATA_DIR)) {                      \
        GTEST_SKIP() << "the published MagIC files are not at " KORVANES_MAGIC_DATA_DIR \
                        " (set KORVANES_MAGIC_DATA_DIR); tests on them skipped";        \
    }

}  // namespace magictest
