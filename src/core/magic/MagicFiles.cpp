#include "magic/MagicFiles.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>

#include "document/DataFileReader.h"
#include "io/FileReplace.h"

namespace korvanes::magic {

namespace {

// The first table of `text` named one of `names`; `error` says why when there is none.
const MagicTable* FindTable(const MagicText& text, const std::string& source, const char* kind,
                            std::initializer_list<std::string_view> names, std::string& error)
{
    const MagicTable* table = text.Find(names);
    if (table == nullptr) {
        std::string wanted;
        for (std::string_view name : names) {
            wanted += (wanted.empty() ? "\"" : " or \"") + std::string(name) + "\"";
        }
        error = "'" + source + "' holds no " + kind + " table (" + wanted + "); tables found: " + text.TableNames();
    }
    return table;
}

// A number in `cell` within [low, high], or nothing.
std::optional<double> Within(std::string_view cell, double low, double high)
{
    const std::optional<double> value = ParseNumber(cell);
    return value && *value >= low && *value <= high ? value : std::nullopt;
}

// Sample latitudes or longitudes of one site within this many degrees of
// each other give the site their mean.
constexpr double kSampleSpread = 0.1;

std::map<std::string, SitePlace> SitePlacesOf(const MagicTable* sites, const MagicTable* samples)
{
    std::map<std::string, SitePlace> places;
    if (sites != nullptr) {
        const int name = sites->Column({"site", "er_site_name"});
        const int lat = sites->Column({"lat", "site_lat"});
        const int lon = sites->Column({"lon", "site_lon"});
        const int inc = sites->Column({"dir_inc", "site_inc"});
        for (const MagicRow& row : sites->rows) {
            const std::string site(Trimmed(sites->Cell(row, name)));
            if (site.empty()) {
                continue;
            }
            SitePlace& place = places[site];
            if (!place.lat) {
                place.lat = Within(sites->Cell(row, lat), -90.0, 90.0);
            }
            if (!place.lon) {
                place.lon = Within(sites->Cell(row, lon), -180.0, 360.0);
            }
            if (!place.inc) {
                place.inc = Within(sites->Cell(row, inc), -90.0, 90.0);
            }
        }
    }
    if (samples != nullptr) {
        const int site = samples->Column({"site", "er_site_name"});
        const int lat = samples->Column({"lat", "sample_lat"});
        const int lon = samples->Column({"lon", "sample_lon"});
        struct Values {
            std::vector<double> lat;
            std::vector<double> lon;
        };
        std::map<std::string, Values> bySite;
        for (const MagicRow& row : samples->rows) {
            const std::string name(Trimmed(samples->Cell(row, site)));
            if (name.empty()) {
                continue;
            }
            Values& v = bySite[name];
            if (const auto value = Within(samples->Cell(row, lat), -90.0, 90.0)) {
                v.lat.push_back(*value);
            }
            if (const auto value = Within(samples->Cell(row, lon), -180.0, 360.0)) {
                v.lon.push_back(*value);
            }
        }
        const auto agreed = [](const std::vector<double>& values) -> std::optional<double> {
            if (values.empty()) {
                return std::nullopt;
            }
            const auto [low, high] = std::minmax_element(values.begin(), values.end());
            if (*high - *low > kSampleSpread) {
                return std::nullopt;
            }
            double sum = 0.0;
            for (const double v : values) {
                sum += v;
            }
            return sum / static_cast<double>(values.size());
        };
        for (const auto& [name, values] : bySite) {
            SitePlace& place = places[name];
            if (!place.lat) {
                place.lat = agreed(values.lat);
            }
            if (!place.lon) {
                place.lon = agreed(values.lon);
            }
        }
    }
    return places;
}

}  // namespace

MagicImport ImportMagicTexts(const MagicTexts& texts)
{
    MagicImport failed;
    const MagicTable* samplesTable = nullptr;
    const MagicTable* sitesTable = nullptr;
    if (texts.samples != nullptr) {
        samplesTable = FindTable(*texts.samples, texts.samplesName, "samples", {"samples", "er_samples"}, failed.error);
        if (samplesTable == nullptr) {
            return failed;
        }
        sitesTable = texts.samples->Find({"sites", "er_sites"});
    } else {
        // A contribution holds its own samples and sites tables.
        samplesTable = texts.measurements->Find({"samples", "er_samples"});
        sitesTable = texts.measurements->Find({"sites", "er_sites"});
    }
    if (texts.sites != nullptr) {
        sitesTable = FindTable(*texts.sites, texts.sitesName, "sites", {"sites", "er_sites"}, failed.error);
        if (sitesTable == nullptr) {
            return failed;
        }
    }
    const MagicTable* specimensTable = texts.samples != nullptr ? texts.samples->Find({"specimens", "er_specimens"}) : nullptr;
    if (specimensTable == nullptr) {
        specimensTable = texts.measurements->Find({"specimens", "er_specimens"});
    }
    MagicImport imported =
        ImportMeasurements(*texts.measurements, OrientationTables(samplesTable, sitesTable, specimensTable));
    if (!imported.ok()) {
        imported.error = "'" + texts.measurementsName + "': " + imported.error;
    } else {
        imported.sitePlaces = SitePlacesOf(sitesTable, samplesTable);
    }
    return imported;
}

MagicImport ImportMagicFiles(const MagicSources& sources)
{
    MagicImport failed;
    MagicTexts texts;
    const MagicText measurements = ReadMagicFile(sources.measurements);
    std::optional<MagicText> samples;
    std::optional<MagicText> sites;
    if (!sources.samples.empty()) {
        samples = ReadMagicFile(sources.samples);
        texts.samples = &*samples;
        texts.samplesName = sources.samples;
    }
    if (!sources.sites.empty()) {
        sites = ReadMagicFile(sources.sites);
        texts.sites = &*sites;
        texts.sitesName = sources.sites;
    }
    for (const MagicText* text : {&measurements, texts.samples, texts.sites}) {
        if (text != nullptr && !text->ok()) {
            failed.error = text->error;
            return failed;
        }
    }
    texts.measurements = &measurements;
    texts.measurementsName = sources.measurements;
    return ImportMagicTexts(texts);
}

WriteOutcome WriteImportedSpecimens(const MagicImport& imported, const std::string& folder)
{
    namespace fs = std::filesystem;
    WriteOutcome outcome;
    std::error_code error;
    fs::create_directories(folder, error);
    if (error || !fs::is_directory(folder)) {
        outcome.failures.push_back(folder + ": cannot create the folder: " +
                                   (error ? error.message() : std::string("a file of that name exists")));
        return outcome;
    }
    for (const ImportedSpecimen& specimen : imported.specimens) {
        const std::string path = (fs::path(folder) / specimen.names.fileName).string();
        if (const std::optional<std::string> failure = ReplaceFileContents(path, specimen.dataFile)) {
            outcome.failures.push_back(path + ": " + *failure);
        } else {
            outcome.written.push_back(path);
        }
    }
    return outcome;
}

OpenStatus OpenImportedSpecimen(const ImportedSpecimen& specimen, const std::string& sourcePath, CKorvanesToolDoc& doc)
{
    doc.m_options.m_pathName = sourcePath;
    // The same limits as its data file opened from disk: its size, then
    // what the analysis takes.
    OpenStatus status;
    if (specimen.dataFile.size() > kMaxDataFileBytes) {
        status.readable = false;
        status.error = DataFileTooLarge();
    } else {
        status = doc.OpenData(specimen.dataFile);
    }
    if (!status.readable) {
        status.error = "cannot analyse specimen '" + specimen.names.fileName + "' of '" + sourcePath + "': " + status.error;
    }
    return status;
}

}  // namespace korvanes::magic
