#pragma once
// A study: a laboratory's collection of specimens, each with the choices made
// on it (its analysis inputs, rejected or not, a note), its data as analysed
// and what became of its data file. Pure: reading the data and running the
// analyses are here, windows and the study file are elsewhere.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "document/AnalysisInputs.h"
#include "document/Document.h"
#include "study/SiteMeans.h"

namespace korvanes {

// How site and sample are taken from a specimen name that MagIC does not
// place: the sample is the name up to its last separator (the whole name
// without one), and so is the site ("s1p1-01": sample and site "s1p1").
// With `siteCutsSample` (the rule of study files written before this choice
// was kept) the site is the sample up to its last separator instead.
struct NameRule {
    std::string separators = "-_.";
    bool siteCutsSample = false;

    bool operator==(const NameRule&) const = default;
};

struct SiteAndSample {
    std::string site;
    std::string sample;
};
SiteAndSample SplitSpecimenName(std::string_view name, const NameRule& rule);

// Size and SHA-256 (64 lowercase hex digits) of a data file's bytes: what
// tells a changed file from the one analysed.
struct FileStamp {
    std::uint64_t size = 0;
    std::string sha256;

    bool operator==(const FileStamp&) const = default;
};
FileStamp StampOf(std::string_view bytes);

enum class DataState {
    kOk,
    kMissing,     // the file is gone: the row and its choices stay
    kChanged,     // the file differs from the one the choices were made on
    kUnreadable,  // the file (or the import) gives no data
};

struct StudySpecimen {
    // Data file path relative to the study's folder ('/' separated), or for
    // a specimen of a MagIC file its MagIC name.
    std::string file;
    std::string name;  // specimen name, bytes as in the data
    std::string site;
    std::string sample;
    bool placedByMagic = false;  // site and sample from MagIC, not from the name rule

    AnalysisInputs inputs;
    bool rejected = false;
    std::string note;  // UTF-8

    FileStamp stamp;      // of the data the choices were made on
    FileStamp dataStamp;  // of the data read now
    DataState state = DataState::kOk;
    std::string problem;  // why missing, changed or unreadable (UTF-8)

    CKorvanesToolDoc doc;  // its data, analysed with `inputs`
};

// Whether a specimen has its own range, no range of its own, or is rejected.
enum class SpecimenChoice { kAutomatic, kOwnRange, kRejected };
SpecimenChoice ChoiceOf(const StudySpecimen& specimen);

struct Study {
    std::string folder;      // absolute; relative paths start here
    std::string magicFile;   // relative to folder; empty unless the specimens came from MagIC
    std::string magicSamples;
    std::string magicSites;
    NameRule nameRule;
    std::vector<StudySpecimen> specimens;
    // Where the sites lie by the MagIC tables (not kept in the study file:
    // read with the MagIC file each time).
    SiteLocations magicPlaces;
};

// The data files of a folder (names ending in ".kvd", any letter case), by
// name; paths relative to it.
std::vector<std::string> DataFilesInFolder(const std::string& folder);

// The relative path of `path` from `folder` ('/' separated), or `path` when it
// lies elsewhere.
std::string RelativePath(const std::string& path, const std::string& folder);
std::string AbsolutePath(const std::string& relative, const std::string& folder);

// Runs work(i) for i in [0, count) on `jobs` threads (at least 1); stops
// handing out work once *cancel is set. `done` (may be null) counts the
// finished items, for a progress display on another thread. False when
// cancelled.
bool ParallelFor(std::size_t count, unsigned jobs, const std::function<void(std::size_t)>& work,
                 const std::atomic<bool>* cancel = nullptr, std::atomic<std::size_t>* done = nullptr);

// Reads a data-file specimen's file into its document (criteria from its
// inputs), sets its name, site and sample (unless placed by MagIC) and its
// state: missing, unreadable, or changed when `stamp` is set and differs
// from the data's `dataStamp`. The stamp is kept for a changed file (the
// choices were made on the old data) and taken from the file otherwise.
void ReadSpecimenFile(StudySpecimen& specimen, const Study& study);

// Analyses every specimen that has data with its inputs, `jobs` at a time.
bool AnalyseStudy(Study& study, unsigned jobs, const std::atomic<bool>* cancel = nullptr,
                  std::atomic<std::size_t>* done = nullptr);

// A study of the data files `paths` (absolute), in `folder`, each read with
// `criteria` and the inputs of a freshly opened file, and analysed.
Study StudyOfFiles(const std::string& folder, const std::vector<std::string>& paths, const CCriteriaSet& criteria,
                   unsigned jobs, const std::atomic<bool>* cancel = nullptr,
                   std::atomic<std::size_t>* done = nullptr);

// The results lines (.krv, each with its CR LF) of the specimens at
// `order` that are not rejected and have data, in that order.
std::string StudyResultLines(const Study& study, const std::vector<std::size_t>& order);

}  // namespace korvanes
