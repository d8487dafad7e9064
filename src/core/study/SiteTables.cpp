#include "study/SiteTables.h"

#include <set>

#include "ProgramVersion.h"
#include "magic/MagicTable.h"
#include "text/OutputNumbers.h"
#include "text/TextEncoding.h"

namespace korvanes {
namespace {

constexpr double kTeslaPerMicrotesla = 1e-6;

std::string Number(double value) { return StringPrintf("%.8g", FiniteOrZero(value)); }
std::string Number(const std::optional<double>& value) { return value ? Number(*value) : std::string(); }

// The name a specimen has in MagIC: its MagIC name when the study came from
// a MagIC file, else its data name.
std::string MagicNameOf(const Study& study, const StudySpecimen& s)
{
    return study.magicFile.empty() ? ToUtf8(s.name) : s.file;
}

// A list cell: the items joined by ":", each with ":" and control characters made "_".
std::string ListCell(const std::vector<std::string>& items)
{
    std::string cell;
    for (const std::string& item : items) {
        std::string clean = item;
        for (char& c : clean) {
            if (c == ':' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                c = '_';
            }
        }
        cell += (cell.empty() ? "" : ":") + clean;
    }
    return cell;
}

// The distinct method codes of the counted specimens, in order of first occurrence.
void AddCodes(const StudySpecimen& s, std::vector<std::string>& codes, std::set<std::string>& seen)
{
    for (std::string& code : magic::SplitList(magic::SpecimenMethodCodes(s.doc))) {
        if (seen.insert(code).second) {
            codes.push_back(std::move(code));
        }
    }
}

std::string Software() { return std::string("KorvanesTool ") + kVersion; }

std::vector<std::string> Cells(const std::vector<magic::SpecimenColumn>& columns,
                               const std::vector<std::pair<std::string_view, std::string>>& values)
{
    std::vector<std::string> cells(columns.size());
    for (const auto& [name, value] : values) {
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (columns[c].name == name) {
                cells[c] = value;
            }
        }
    }
    return cells;
}

}  // namespace

const std::vector<magic::SpecimenColumn>& SampleTableColumns()
{
    static const std::vector<magic::SpecimenColumn> kColumns = {
        {"sample", ""},
        {"site", ""},
        {"specimens", ""},
        {"int_abs", "T"},
        {"int_abs_sigma", "T"},
        {"int_abs_sigma_perc", "%"},
        {"int_n_specimens", ""},
        {"result_quality", "Flag"},
        {"result_type", "Flag"},
        {"method_codes", ""},
        {"software_packages", ""},
    };
    return kColumns;
}

const std::vector<magic::SpecimenColumn>& SiteTableColumns()
{
    static const std::vector<magic::SpecimenColumn> kColumns = {
        {"site", ""},
        {"samples", ""},
        {"specimens", ""},
        {"int_abs", "T"},
        {"int_abs_sigma", "T"},
        {"int_abs_sigma_perc", "%"},
        {"int_n_specimens", ""},
        {"int_n_samples", ""},
        {"vadm", "Am^2"},
        {"vadm_sigma", "Am^2"},
        {"vadm_n_samples", ""},
        {"vdm", "Am^2"},
        {"vdm_sigma", "Am^2"},
        {"lat", "Degrees"},
        {"lon", "Degrees"},
        {"result_quality", "Flag"},
        {"result_type", "Flag"},
        {"method_codes", ""},
        {"description", ""},
        {"software_packages", ""},
    };
    return kColumns;
}

std::vector<std::vector<std::string>> SampleRows(const Study& study, const SiteSummary& summary)
{
    std::vector<std::vector<std::string>> rows;
    for (const SiteMean& site : summary.sites) {
        for (const SampleMean& sample : site.samples) {
            if (sample.intensity.n == 0) {
                continue;
            }
            std::vector<std::string> specimens;
            std::vector<std::string> codes;
            std::set<std::string> seen;
            for (const SpecimenVerdict& v : sample.specimens) {
                if (v.counted) {
                    const StudySpecimen& s = study.specimens.at(v.index);
                    specimens.push_back(MagicNameOf(study, s));
                    AddCodes(s, codes, seen);
                }
            }
            const MeanAndSpread& m = sample.intensity;
            rows.push_back(Cells(SampleTableColumns(),
                                 {{"sample", ToUtf8(sample.sample)},
                                  {"site", ToUtf8(sample.site)},
                                  {"specimens", ListCell(specimens)},
                                  {"int_abs", Number(m.mean * kTeslaPerMicrotesla)},
                                  {"int_abs_sigma", m.sd ? Number(*m.sd * kTeslaPerMicrotesla) : std::string()},
                                  {"int_abs_sigma_perc", Number(m.sdPercent)},
                                  {"int_n_specimens", std::to_string(m.n)},
                                  {"result_quality", "g"},
                                  {"result_type", "i"},
                                  {"method_codes", ListCell(codes)},
                                  {"software_packages", Software()}}));
        }
    }
    return rows;
}

std::vector<std::vector<std::string>> SiteRows(const Study& study, const SiteSummary& summary)
{
    std::vector<std::vector<std::string>> rows;
    for (const SiteMean& site : summary.sites) {
        const MeanAndSpread& m = site.intensity;
        if (m.n == 0) {
            continue;
        }
        std::vector<std::string> samples;
        std::vector<std::string> specimens;
        std::vector<std::string> codes;
        std::set<std::string> seen;
        for (const SampleMean& sample : site.samples) {
            if (sample.intensity.n > 0) {
                samples.push_back(ToUtf8(sample.sample));
            }
            for (const SpecimenVerdict& v : sample.specimens) {
                if (v.counted) {
                    const StudySpecimen& s = study.specimens.at(v.index);
                    specimens.push_back(MagicNameOf(study, s));
                    AddCodes(s, codes, seen);
                }
            }
        }
        std::string description;
        for (const std::string& reason : site.reasons) {
            description += (description.empty() ? "not accepted: " : "; ") + reason;
        }
        std::optional<double> lon = site.location.lon;
        if (lon && *lon < 0.0) {
            *lon += 360.0;
        }
        const bool vadm = site.vadm.has_value();
        rows.push_back(Cells(SiteTableColumns(),
                             {{"site", ToUtf8(site.site)},
                              {"samples", ListCell(samples)},
                              {"specimens", ListCell(specimens)},
                              {"int_abs", Number(m.mean * kTeslaPerMicrotesla)},
                              {"int_abs_sigma", m.sd ? Number(*m.sd * kTeslaPerMicrotesla) : std::string()},
                              {"int_abs_sigma_perc", Number(m.sdPercent)},
                              {"int_n_specimens", std::to_string(site.nSpecimens)},
                              {"int_n_samples", std::to_string(site.nSamples)},
                              {"vadm", Number(site.vadm)},
                              {"vadm_sigma", Number(site.vadmSigma)},
                              {"vadm_n_samples", vadm ? std::to_string(site.nSamples) : std::string()},
                              {"vdm", Number(site.vdm)},
                              {"vdm_sigma", Number(site.vdmSigma)},
                              {"lat", Number(site.location.lat)},
                              {"lon", Number(lon)},
                              {"result_quality", site.accepted ? "g" : "b"},
                              {"result_type", "i"},
                              {"method_codes", ListCell(codes)},
                              {"description", description},
                              {"software_packages", Software()}}));
    }
    return rows;
}

std::string MagicTableText(std::string_view name, const std::vector<magic::SpecimenColumn>& columns,
                           const std::vector<std::vector<std::string>>& rows)
{
    std::string text = "tab\t" + std::string(name) + "\n";
    for (std::size_t c = 0; c < columns.size(); ++c) {
        text.append(columns[c].name).append(c + 1 == columns.size() ? "\n" : "\t");
    }
    for (const std::vector<std::string>& row : rows) {
        text += magic::SpecimenLine(row);
    }
    return text;
}

SiteSummary SummariseStudy(const Study& study, const SiteMeanSettings& settings, const SiteLocations& sitesFile)
{
    SiteLocations places = study.magicPlaces;
    for (const auto& [site, given] : sitesFile) {
        SiteLocation& place = places[site];
        for (auto [to, from] : {std::pair{&place.lat, &given.lat}, std::pair{&place.lon, &given.lon},
                                std::pair{&place.age, &given.age}, std::pair{&place.inc, &given.inc}}) {
            if (*from) {
                *to = *from;
            }
        }
    }
    return SummariseSites(EstimatesOfStudy(study, settings), settings, places);
}

}  // namespace korvanes
