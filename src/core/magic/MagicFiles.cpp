#include "magic/MagicFiles.h"

#include <filesystem>
#include <optional>

#include "document/DataFileReader.h"
#include "io/FileReplace.h"

namespace korvanes::magic {

namespace {

// Reads the MagIC file at `path` into `text` and finds its first table named
// one of `names`; `error` says why when there is none.
const MagicTable* LoadTable(const std::string& path, const char* kind, std::initializer_list<std::string_view> names,
                            std::optional<MagicText>& text, std::string& error)
{
    text = ReadMagicFile(path);
    if (!text->ok()) {
        error = text->error;
        return nullptr;
    }
    const MagicTable* table = text->Find(names);
    if (table == nullptr) {
        std::string wanted;
        for (std::string_view name : names) {
            wanted += (wanted.empty() ? "\"" : " or \"") + std::string(name) + "\"";
        }
        error = "'" + path + "' holds no " + kind + " table (" + wanted + "); tables found: " + text->TableNames();
    }
    return table;
}

}  // namespace

MagicImport ImportMagicFiles(const MagicSources& sources)
{
    MagicImport failed;
    const MagicText measurements = ReadMagicFile(sources.measurements);
    if (!measurements.ok()) {
        failed.error = measurements.error;
        return failed;
    }
    std::optional<MagicText> samples;
    std::optional<MagicText> sites;
    const MagicTable* samplesTable = nullptr;
    const MagicTable* sitesTable = nullptr;
    if (!sources.samples.empty()) {
        samplesTable = LoadTable(sources.samples, "samples", {"samples", "er_samples"}, samples, failed.error);
        if (samplesTable == nullptr) {
            return failed;
        }
        sitesTable = samples->Find({"sites", "er_sites"});
    }
    if (!sources.sites.empty()) {
        sitesTable = LoadTable(sources.sites, "sites", {"sites", "er_sites"}, sites, failed.error);
        if (sitesTable == nullptr) {
            return failed;
        }
    }
    const MagicTable* specimensTable = samples ? samples->Find({"specimens", "er_specimens"}) : nullptr;
    if (specimensTable == nullptr) {
        specimensTable = measurements.Find({"specimens", "er_specimens"});
    }
    MagicImport imported =
        ImportMeasurements(measurements, OrientationTables(samplesTable, sitesTable, specimensTable));
    if (!imported.ok()) {
        imported.error = "'" + sources.measurements + "': " + imported.error;
    }
    return imported;
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
    // The same limits as a data file opened from disk.
    OpenStatus status = doc.OpenData(specimen.dataFile);
    if (!status.readable) {
        status.error = "cannot analyse specimen '" + specimen.names.fileName + "' of '" + sourcePath + "': " + status.error;
    }
    return status;
}

}  // namespace korvanes::magic
