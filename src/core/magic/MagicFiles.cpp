#include "magic/MagicFiles.h"

#include <filesystem>
#include <optional>

#include "document/DataFileReader.h"
#include "io/FileReplace.h"

namespace korvanes::magic {

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
        samples = ReadMagicFile(sources.samples);
        if (!samples->ok()) {
            failed.error = samples->error;
            return failed;
        }
        samplesTable = samples->Find({"samples", "er_samples"});
        if (samplesTable == nullptr) {
            failed.error = "'" + sources.samples + "' holds no samples table (\"samples\" or \"er_samples\"); tables "
                           "found: " + samples->TableNames();
            return failed;
        }
        sitesTable = samples->Find({"sites", "er_sites"});
    }
    if (!sources.sites.empty()) {
        sites = ReadMagicFile(sources.sites);
        if (!sites->ok()) {
            failed.error = sites->error;
            return failed;
        }
        sitesTable = sites->Find({"sites", "er_sites"});
        if (sitesTable == nullptr) {
            failed.error = "'" + sources.sites + "' holds no sites table (\"sites\" or \"er_sites\"); tables found: " +
                           sites->TableNames();
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
    OpenStatus status;
    status.warnings = ParseDataLines(SplitLines(specimen.dataFile), doc);
    return status;
}

}  // namespace korvanes::magic
