#include "study/StudyOpen.h"

#include <map>

#include "analysis/AnalysisRun.h"

namespace korvanes {
namespace {

std::atomic<bool>* CancelOf(StudyProgress* progress) { return progress != nullptr ? &progress->cancel : nullptr; }
std::atomic<std::size_t>* DoneOf(StudyProgress* progress) { return progress != nullptr ? &progress->done : nullptr; }

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
    }
    return ParallelFor(
        study.specimens.size(), jobs,
        [&](std::size_t i) {
            StudySpecimen& specimen = study.specimens[i];
            if (study.magicFile.empty()) {
                ReadSpecimenFile(specimen, study);
            } else {
                specimen.doc = CKorvanesToolDoc(specimen.inputs.criteria);
                const magic::ImportedSpecimen* found = imported.Find(specimen.file);
                if (found == nullptr) {
                    specimen.state = DataState::kMissing;
                    specimen.problem = "the MagIC file no longer holds this specimen";
                    return;
                }
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
            const SiteAndSample placed = SplitSpecimenName(specimen.name, study.nameRule);
            specimen.site = placed.site;
            specimen.sample = placed.sample;
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
