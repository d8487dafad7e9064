#include "SpecimenAnalysis.h"

#include "StandardOutput.h"
#include "analysis/AnalysisRun.h"
#include "document/DataFileReader.h"
#include "magic/MagicFiles.h"
#include "text/TextEncoding.h"

namespace korvanes::report {
namespace {

// A criteria set named by the request (nothing when none is).
std::optional<AnalysisFailure> LoadSet(const std::string& option, const std::string& nameOrPath,
                                       std::optional<StatisticCriteriaSet>& set)
{
    if (nameOrPath.empty()) {
        return std::nullopt;
    }
    CriteriaSetRead read = LoadStatisticCriteria(nameOrPath);
    if (!read.set) {
        return AnalysisFailure{FailureKind::kUnreadable, option + ": " + Printable(read.error)};
    }
    set = std::move(read.set);
    return std::nullopt;
}

// Opens the specimen the request names (or the only one) of a MagIC
// measurements file.
std::optional<AnalysisFailure> OpenMagicSpecimen(const PreparedAnalysis& prepared, const std::string& file,
                                                 SpecimenAnalysis& analysis, OpenStatus& status)
{
    const MagicInputOptions& options = prepared.request.magic;
    const magic::MagicImport imported = ImportMagicInput(file, options);
    if (!imported.ok()) {
        return AnalysisFailure{FailureKind::kUnreadable, Printable(imported.error)};
    }
    const magic::ImportedSpecimen* specimen = nullptr;
    if (!options.specimen.empty()) {
        specimen = imported.Find(options.specimen);
        if (specimen == nullptr) {
            if (const magic::ImportMessage* problem = imported.ProblemOf(options.specimen)) {
                return AnalysisFailure{FailureKind::kUnreadable, ProblemText(file, *problem)};
            }
        }
    } else if (imported.specimens.size() == 1) {
        specimen = &imported.specimens.front();
    }
    if (specimen == nullptr) {
        std::string message = Printable(file) + ": " +
                              (options.specimen.empty()
                                   ? "name the specimen with " + prepared.request.specimenOption + "; "
                                   : "no specimen '" + Printable(options.specimen) + "'; ") +
                              std::to_string(imported.specimens.size()) +
                              " specimens hold a thermal double-heating experiment";
        for (std::size_t i = 0; i < imported.specimens.size() && i < 20; ++i) {
            message += (i == 0 ? ": " : ", ") + Printable(imported.specimens[i].magicName);
        }
        message += imported.specimens.size() > 20 ? ", ..." : "";
        return AnalysisFailure{FailureKind::kUsage, message};
    }
    status = magic::OpenImportedSpecimen(*specimen, file, analysis.doc);
    analysis.magic = MagicSpecimenNotes{specimen->magicName, specimen->AllNotes()};
    return std::nullopt;
}

}  // namespace

std::optional<AnalysisFailure> PrepareAnalysis(const AnalysisRequest& request, PreparedAnalysis& prepared)
{
    if (request.standard && !request.rangeMap) {
        return AnalysisFailure{FailureKind::kUsage, request.standardOption +
                                                        " adds the standard statistics to the ranges of the range "
                                                        "map; use it with " + request.rangeMapOption};
    }
    if (!request.searchSet.empty() && request.settings.range) {
        return AnalysisFailure{FailureKind::kUsage, request.searchSetOption +
                                                        " chooses among the ranges of the automatic search; it "
                                                        "cannot be used with " + request.rangeOption};
    }
    prepared.request = request;
    if (auto failed = LoadSet(request.criteriaSetOption, request.criteriaSet, prepared.criteriaSet)) {
        return failed;
    }
    if (auto failed = LoadSet(request.searchSetOption, request.searchSet, prepared.searchSet)) {
        return failed;
    }
    const auto& range = request.settings.range;
    if (range && range->first > range->second) {
        // As the form refuses a "from" above "to"; equal ends are accepted.
        return AnalysisFailure{FailureKind::kUsage, "Check your temperature range ! (" + request.rangeOption + " " +
                                                        std::to_string(range->first) + ' ' +
                                                        std::to_string(range->second) +
                                                        ": the lower end is above the upper end)"};
    }
    std::string error;
    if (!LoadCriteria(request.settings, prepared.criteria, error)) {
        return AnalysisFailure{FailureKind::kUnreadable, Printable(error)};
    }
    return std::nullopt;
}

std::optional<AnalysisFailure> OpenSpecimenFile(const PreparedAnalysis& prepared, const std::string& file,
                                                SpecimenAnalysis& analysis)
{
    const MagicInputOptions& magicOptions = prepared.request.magic;
    analysis.file = file;
    analysis.doc = CKorvanesToolDoc(prepared.criteria);
    // The file is read once: its first bytes tell a MagIC table (which the
    // import reads itself, also one too large for a data file).
    std::string bytes;
    OpenStatus status = ReadDataFileBytes(file, bytes);
    const bool magicFile = status.readable
                               ? magic::LooksLikeMagicText(std::string_view(bytes).substr(0, kMagicHeadBytes))
                               : IsMagicFile(file);
    if (magicFile) {
        if (auto failed = OpenMagicSpecimen(prepared, file, analysis, status)) {
            return failed;
        }
    } else if (!magicOptions.specimen.empty() || !magicOptions.samples.empty() || !magicOptions.sites.empty()) {
        return AnalysisFailure{FailureKind::kUsage, prepared.request.magicOptions +
                                                        " apply to MagIC measurement files, and " + Printable(file) +
                                                        " is none"};
    } else if (status.readable) {
        // As CKorvanesToolDoc::Open, on the bytes already read.
        analysis.doc.m_options.m_pathName = file;
        status = analysis.doc.OpenData(bytes);
        if (!status.readable) {
            status.error = "cannot analyse '" + file + "': " + status.error;
        }
    }
    if (!status.readable) {
        return AnalysisFailure{FailureKind::kUnreadable, Printable(status.error)};
    }
    analysis.warnings = std::move(status.warnings);
    return std::nullopt;
}

void AnalyseOpenedSpecimen(const PreparedAnalysis& prepared, SpecimenAnalysis& analysis, bool standardLater)
{
    CKorvanesToolDoc& doc = analysis.doc;
    ApplyAnalysisSettings(prepared.request.settings, prepared.criteria, doc);
    RunAnalysis(doc);
    const auto& searchSet = prepared.searchSet;
    if (searchSet) {
        analysis.setSearch = SearchRangeByCriteriaSet(doc, *searchSet);
        const CriteriaSetSearch& search = *analysis.setSearch;
        if (!search.chosen) {
            analysis.notices.push_back("no range of the automatic search passes " + Printable(searchSet->name) +
                                       " (" + std::to_string(search.considered) + " considered" +
                                       (search.refused.empty() ? std::string() : ": " + search.refused) +
                                       "); the result is the program's own search");
        }
    }
    if (prepared.request.rangeMap) {
        analysis.map = ComputeRangeMap(doc);
    }
    if (!standardLater) {
        CompleteStandardStatistics(prepared, analysis);
    }
}

void CompleteStandardStatistics(const PreparedAnalysis& prepared, SpecimenAnalysis& analysis)
{
    if (analysis.standardMade) {
        return;
    }
    const CKorvanesToolDoc& doc = analysis.doc;
    const auto& searchSet = prepared.searchSet;
    analysis.standardMade = true;
    analysis.standardInput = PrepareStandardStatistics(doc);
    const auto& criteriaSet = prepared.criteriaSet;
    const StatisticCriteriaSet* setForScat = criteriaSet ? &*criteriaSet : (searchSet ? &*searchSet : nullptr);
    analysis.standard = doc.m_result.n > 0 ? ComputeStandardStatistics(analysis.standardInput, doc.m_result.tMin,
                                                                       doc.m_result.tMax, ScatBetaOf(setForScat))
                                           : StandardStatistics{};
}

Json SpecimenAnalysisToJson(const PreparedAnalysis& prepared, const SpecimenAnalysis& analysis)
{
    Json json = DocumentToJson(analysis.doc, analysis.file, analysis.warnings, prepared.request.settings.range);
    json["result"]["standardStatistics"] = StandardStatisticsToJson(analysis.standard);
    if (prepared.criteriaSet) {
        json["criteriaSet"] =
            CriteriaVerdictToJson(EvaluateCriteria(*prepared.criteriaSet, analysis.standard), *prepared.criteriaSet);
    }
    if (analysis.setSearch) {
        json["searchSet"] = CriteriaSetSearchToJson(*analysis.setSearch, *prepared.searchSet);
    }
    if (analysis.magic) {
        json["magic"] = Json{{"specimen", ToUtf8(analysis.magic->name)}, {"notes", Json::array()}};
        for (const std::string& note : analysis.magic->notes) {
            json["magic"]["notes"].push_back(ToUtf8(note));
        }
    }
    if (analysis.map) {
        json["rangeMap"] = RangeMapToJson(*analysis.map);
        AddStandardToRangeMapJson(json["rangeMap"], *analysis.map, analysis.standardInput, prepared.request.standard,
                                  prepared.criteriaSet ? &*prepared.criteriaSet : nullptr);
    }
    return json;
}

}  // namespace korvanes::report
