#pragma once
// One specimen's analysis as `korvanes analyze` and the Python module run it:
// the request checked and its criteria loaded once, the data file or MagIC
// specimen opened, the analysis with the criteria-set search, the range map
// and the standard statistics, and the JSON of it all.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "AnalysisSettings.h"
#include "DocumentJson.h"
#include "MagicInputFiles.h"
#include "analysis/CriteriaSetSearch.h"
#include "analysis/RangeMap.h"
#include "analysis/StandardStatistics.h"
#include "criteria/StatisticCriteria.h"

namespace korvanes::report {

struct AnalysisRequest {
    AnalysisSettings settings;
    MagicInputOptions magic;
    bool rangeMap = false;    // evaluate every range the search could choose
    bool standard = false;    // with rangeMap: the standard statistics of every range in the JSON
    std::string criteriaSet;  // NAME|FILE: the verdict of the fit
    std::string searchSet;    // NAME|FILE: the search chooses among the ranges that pass
    // How messages name the options above (the Python module names its
    // keyword arguments).
    std::string rangeOption = "--range";
    std::string rangeMapOption = "--range-map";
    std::string standardOption = "--standard";
    std::string criteriaSetOption = "--criteria-set";
    std::string searchSetOption = "--search-set";
    std::string specimenOption = "--specimen";
    std::string magicOptions = "--specimen, --samples and --sites";
};

enum class FailureKind {
    kUsage,       // the request itself is wrong (the command line's exit status 1)
    kUnreadable,  // a file cannot be read or holds no specimen to analyse (status 2)
};

// Why an analysis was not made: the message as the command line prints it
// after "korvanes: " (printable UTF-8, no line end).
struct AnalysisFailure {
    FailureKind kind = FailureKind::kUnreadable;
    std::string message;
};

// A request checked, with the criteria and the criteria sets it names
// loaded; shared by every specimen analysed under it.
struct PreparedAnalysis {
    AnalysisRequest request;
    CCriteriaSet criteria;
    std::optional<StatisticCriteriaSet> criteriaSet;
    std::optional<StatisticCriteriaSet> searchSet;
};

// Checks the request and loads its criteria; a failure when the options
// contradict each other or a file they name cannot be read.
std::optional<AnalysisFailure> PrepareAnalysis(const AnalysisRequest& request, PreparedAnalysis& prepared);

// A specimen of a MagIC measurements file, imported in memory.
struct MagicSpecimenNotes {
    std::string name;
    std::vector<std::string> notes;
};

// One analysed specimen. Its statistics input refers to the document's
// lists, so it stays where it was made (neither copied nor moved).
struct SpecimenAnalysis {
    SpecimenAnalysis() = default;
    SpecimenAnalysis(const SpecimenAnalysis&) = delete;
    SpecimenAnalysis& operator=(const SpecimenAnalysis&) = delete;

    std::string file;  // as given; the JSON's "file"
    CKorvanesToolDoc doc;
    std::vector<ReadWarning> warnings;
    std::optional<MagicSpecimenNotes> magic;
    std::optional<CriteriaSetSearch> setSearch;
    std::optional<RangeMap> map;
    // The standard statistics: made by AnalyseOpenedSpecimen, or later by
    // CompleteStandardStatistics (the Python module makes them when asked).
    bool standardMade = false;
    StandardStatisticsInput standardInput;
    StandardStatistics standard;  // of the result's range; empty without a result
    // What the analysis has to say beside its result (a search set that no
    // range passes), as the command line prints it after "korvanes: ".
    std::vector<std::string> notices;
};

// Opens `file` into analysis.doc: a MagIC measurements table (the specimen
// the request names, or its only one) or a data file. A failure when it
// cannot be read or the specimen is not there.
std::optional<AnalysisFailure> OpenSpecimenFile(const PreparedAnalysis& prepared, const std::string& file,
                                                SpecimenAnalysis& analysis);

// Analyses the opened document under the request: options, analysis, the
// criteria-set search, the range map and (unless `standardLater`) the
// standard statistics.
void AnalyseOpenedSpecimen(const PreparedAnalysis& prepared, SpecimenAnalysis& analysis, bool standardLater = false);

// Makes the standard statistics of an analysis that does not have them yet.
void CompleteStandardStatistics(const PreparedAnalysis& prepared, SpecimenAnalysis& analysis);

// The document's JSON (DocumentToJson) with the standard statistics, the
// criteria set's verdict, the search, the MagIC specimen and the range map:
// what `korvanes analyze --json` prints. The standard statistics must have
// been made.
Json SpecimenAnalysisToJson(const PreparedAnalysis& prepared, const SpecimenAnalysis& analysis);

}  // namespace korvanes::report
