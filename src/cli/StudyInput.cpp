#include "StudyInput.h"

#include <filesystem>
#include <iostream>

#include "results/Batch.h"
#include "study/StudyFile.h"
#include "study/StudyOpen.h"
#include "text/TextEncoding.h"

namespace korvanes::cli {
namespace {

namespace fs = std::filesystem;

std::string Absolute(const std::string& path)
{
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error);
    return (error ? fs::path(path) : absolute).lexically_normal().string();
}

}  // namespace

std::optional<Study> OpenStudyInputs(const StudyInputs& args, const CCriteriaSet& criteria, const std::string& prefix)
{
    const unsigned jobs = DefaultBatchJobs();
    std::vector<std::string> dataFiles;
    std::string magicFile;
    std::string folder;
    std::string studyFile = args.study;
    for (const std::string& input : args.inputs) {
        std::error_code error;
        const std::string path = Absolute(input);
        if (studyFile.empty() && fs::path(path).extension() == ".json") {
            studyFile = path;  // a study file given as an input
        } else if (fs::is_directory(path, error)) {
            for (const std::string& name : DataFilesInFolder(path)) {
                dataFiles.push_back((fs::path(path) / name).string());
            }
            if (folder.empty()) {
                folder = path;
            }
        } else if (!fs::exists(path, error)) {
            std::cerr << prefix << "'" << Printable(input) << "' does not exist\n";
            return std::nullopt;
        } else if (IsMagicFile(path)) {
            if (!magicFile.empty()) {
                std::cerr << prefix << "give one MagIC file at a time\n";
                return std::nullopt;
            }
            magicFile = path;
        } else {
            dataFiles.push_back(path);
        }
    }
    if (!magicFile.empty() && (!dataFiles.empty() || !studyFile.empty())) {
        std::cerr << prefix << "a MagIC file goes alone (without data files, folders or --study)\n";
        return std::nullopt;
    }
    std::string error;
    if (!studyFile.empty()) {
        StudyFileRead read = ReadStudyFile(studyFile);
        if (!read.ok) {
            std::cerr << prefix << Printable(studyFile) << (read.line > 0 ? ":" + std::to_string(read.line) : "")
                      << ": " << Printable(read.reason) << '\n';
            return std::nullopt;
        }
        Study study = std::move(read.study);
        study.folder = Absolute(study.folder.empty() ? "." : study.folder);
        ReadStudyData(study, jobs, nullptr, error);
        if (!error.empty()) {
            std::cerr << prefix << Printable(error) << '\n';
        }
        AddStudyFiles(study, dataFiles, criteria, jobs, nullptr);
        return study;
    }
    if (!magicFile.empty()) {
        const std::string sampleTable = args.magic.samples.empty() ? "" : Absolute(args.magic.samples);
        const std::string siteTable = args.magic.sites.empty() ? "" : Absolute(args.magic.sites);
        Study study = StudyOfMagic(fs::path(magicFile).parent_path().string(), {magicFile, sampleTable, siteTable},
                                   criteria, jobs, nullptr, error);
        if (study.specimens.empty()) {
            std::cerr << prefix << Printable(error) << '\n';
            return std::nullopt;
        }
        if (!error.empty()) {
            std::cerr << Printable(error) << '\n';
        }
        return study;
    }
    if (dataFiles.empty()) {
        std::cerr << prefix << "no data files (give files, a folder, a MagIC file or --study)\n";
        return std::nullopt;
    }
    if (folder.empty()) {
        folder = fs::path(dataFiles.front()).parent_path().string();
    }
    return StudyOfFiles(folder, dataFiles, criteria, jobs);
}


}  // namespace korvanes::cli
