#include "magic/MagicFiles.h"

#include <filesystem>
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
