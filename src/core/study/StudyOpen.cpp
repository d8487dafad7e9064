#include "study/StudyOpen.h"

#include <map>
#include <string_view>
#include <unordered_map>

#include "analysis/AnalysisRun.h"

namespace korvanes {
namespace {

std::atomic<bool>* CancelOf(StudyProgress* progress) { return progress != nullptr ? &progress->cancel : nullptr; }
std::atomic<std::size_t>* DoneOf(StudyProgress* progress) { return progress != nullptr ? &progress->done : nullptr; }

SiteLocations PlacesOf(const magic::MagicImport& imported)
{
    SiteLocations places;
    for (const auto& [site, place] : imported.sitePlaces) {
        SiteLocation& location = places[site];
        location.lat = place.lat;
        location.lon = place.lon;
        location.inc = place.inc;
    }
    return places;
}

// A specimen's sample and site from the MagIC tables where they name them,
// else from the name rule.
void Place(StudySpecimen& specimen, const magic::ImportedSpecimen& source, const NameRule& rule)
{
    const SiteAndSample byName = SplitSpecimenName(specimen.name, rule);
    specimen.placedByMagic = !source.sample.empty() || !source.site.empty();
    specimen.sample = source.sample.empty() ? byName.sample : source.sample;
    specimen.site = source.site.empty() ? byName.site : source.site;
}

void Analyse(StudySpecimen& specimen)
{
    if (!specimen.doc.m_measurements.empty()) {
        RunAnalysis(specimen.doc, specimen.inputs);
    }
}

}  // namespace

bool ReadStudyData(Study& study, unsigned jobs, StudyProgress* progress, std::string& error)
{
    magic::MagicImport imported;
    std::string source;
    if (!study.magicFile.empty()) {
        source = AbsolutePath(study.magicFile, study.folder);
        const auto optional = [&](const std::string& path) {
            return path.empty() ? std::string() : AbsolutePath(path, study.folder);
        };
        imported = magic::ImportMagicFiles({source, optional(study.magicSamples), optional(study.magicSites)});
        if (!imported.ok()) {
            error = imported.error;
        }
        study.magicPlaces = PlacesOf(imported);
    }
    // By name, so that reopening a large MagIC study stays linear.
    std::unordered_map<std::string_view, const magic::ImportedSpecimen*> byName;
    byName.reserve(imported.specimens.size());
    for (const magic::ImportedSpecimen& specimen : imported.specimens) {
        byName.emplace(specimen.magicName, &specimen);
    }
    return ParallelFor(
        study.specimens.size(), jobs,
        [&](std::size_t i) {
            StudySpecimen& specimen = study.specimens[i];
            if (study.magicFile.empty()) {
                ReadSpecimenFile(specimen, study);
            } else {
                specimen.doc = CKorvanesToolDoc(specimen.inputs.criteria);
                const auto at = byName.find(specimen.file);
                if (at == byName.end()) {
                    specimen.state = DataState::kMissing;
                    specimen.problem = "the MagIC file no longer holds this specimen";
                    return;
                }
                const magic::ImportedSpecimen* found = at->second;
                Place(specimen, *found, study.nameRule);
                const OpenStatus status = magic::OpenImportedSpecimen(*found, source, specimen.doc);
                specimen.dataStamp = StampOf(found->dataFile);
                if (!status.readable) {
                    specimen.state = DataState::kUnreadable;
                    specimen.problem = status.error;
                } else if (!specimen.stamp.sha256.empty() && !(specimen.stamp == specimen.dataStamp)) {
                    specimen.state = DataState::kChanged;
                    specimen.problem = "the specimen's data in the MagIC file have changed since its choices were made";
                } else {
                    specimen.state = DataState::kOk;
                    specimen.stamp = specimen.dataStamp;
                }
            }
            Analyse(specimen);
        },
        CancelOf(progress), DoneOf(progress));
}

Study StudyOfMagic(const std::string& folder, const magic::MagicSources& sources, const CCriteriaSet& criteria,
                   unsigned jobs, StudyProgress* progress, std::string& error)
{
    Study study;
    study.folder = folder;
    const magic::MagicImport imported = magic::ImportMagicFiles(sources);
    if (!imported.ok()) {
        error = imported.error;
        return study;
    }
    for (const magic::ImportMessage& problem : imported.problems) {
        error += (error.empty() ? "" : "\n") + std::string("line ") + std::to_string(problem.line) + ": " + problem.text;
    }
    study.magicFile = RelativePath(sources.measurements, folder);
    study.magicSamples = sources.samples.empty() ? std::string() : RelativePath(sources.samples, folder);
    study.magicSites = sources.sites.empty() ? std::string() : RelativePath(sources.sites, folder);
    study.magicPlaces = PlacesOf(imported);
    study.specimens.resize(imported.specimens.size());
    ParallelFor(
        imported.specimens.size(), jobs,
        [&](std::size_t i) {
            const magic::ImportedSpecimen& source = imported.specimens[i];
            StudySpecimen& specimen = study.specimens[i];
            specimen.file = source.magicName;
            specimen.name = source.names.dataFileName;
            specimen.doc = CKorvanesToolDoc(criteria);
            const OpenStatus status = magic::OpenImportedSpecimen(source, sources.measurements, specimen.doc);
            specimen.dataStamp = specimen.stamp = StampOf(source.dataFile);
            if (!status.readable) {
                specimen.state = DataState::kUnreadable;
                specimen.problem = status.error;
            }
            Place(specimen, source, study.nameRule);
            specimen.inputs = InputsOf(specimen.doc);
            Analyse(specimen);
        },
        CancelOf(progress), DoneOf(progress));
    return study;
}

void AddStudyFiles(Study& study, const std::vector<std::string>& paths, const CCriteriaSet& criteria, unsigned jobs,
                   StudyProgress* progress)
{
    std::map<std::string, bool> held;
    for (const StudySpecimen& specimen : study.specimens) {
        held[specimen.file] = true;
    }
    std::vector<std::string> fresh;
    for (const std::string& path : paths) {
        if (!held.count(RelativePath(path, study.folder))) {
            fresh.push_back(path);
        }
    }
    Study added = StudyOfFiles(study.folder, fresh, criteria, jobs, CancelOf(progress), DoneOf(progress));
    for (StudySpecimen& specimen : added.specimens) {
        const SiteAndSample placed = SplitSpecimenName(specimen.doc.m_header.m_specimenName, study.nameRule);
        specimen.site = placed.site;
        specimen.sample = placed.sample;
        study.specimens.push_back(std::move(specimen));
    }
}

}  // namespace korvanes
