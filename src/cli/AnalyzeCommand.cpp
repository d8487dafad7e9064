#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <vector>

#include "AnalysisOptions.h"
#include "Commands.h"
#include "DocumentJson.h"
#include "DocumentText.h"
#include "MagicInput.h"
#include "StandardOutput.h"
#include "analysis/AnalysisRun.h"
#include "analysis/RangeMap.h"
#include "magic/MagicFiles.h"
#include "text/TextEncoding.h"

namespace korvanes::cli {
namespace {

struct AnalyzeArguments {
    std::string file;
    bool json = false;
    bool rangeMap = false;
    bool standard = false;        // standard statistics in every range of the map's JSON
    std::string criteriaSet;      // NAME|FILE: the verdict of the fit
    std::string searchSet;        // NAME|FILE: the search chooses among the ranges that pass
    CliAnalysisOptions options;
    MagicInputOptions magic;
};

// A specimen of a MagIC measurements file, imported in memory.
struct MagicSpecimen {
    std::string name;
    std::vector<std::string> notes;
};

// Opens the specimen that --specimen names (or the only one) of a MagIC
// measurements file into `doc`; the exit status when that fails.
std::optional<int> OpenMagicSpecimen(const AnalyzeArguments& args, CKorvanesToolDoc& doc, OpenStatus& status,
                                     MagicSpecimen& chosen)
{
    const magic::MagicImport imported = ImportMagicInput(args.file, args.magic);
    if (!imported.ok()) {
        std::cerr << "korvanes: " << Printable(imported.error) << '\n';
        return kExitUnreadable;
    }
    const magic::ImportedSpecimen* specimen = nullptr;
    if (!args.magic.specimen.empty()) {
        specimen = imported.Find(args.magic.specimen);
        if (specimen == nullptr) {
            if (const magic::ImportMessage* problem = imported.ProblemOf(args.magic.specimen)) {
                std::cerr << "korvanes: " << ProblemText(args.file, *problem) << '\n';
                return kExitUnreadable;
            }
        }
    } else if (imported.specimens.size() == 1) {
        specimen = &imported.specimens.front();
    }
    if (specimen == nullptr) {
        std::cerr << "korvanes: " << Printable(args.file) << ": "
                  << (args.magic.specimen.empty() ? "name the specimen with --specimen; "
                                                  : "no specimen '" + Printable(args.magic.specimen) + "'; ")
                  << imported.specimens.size() << " specimens hold a thermal double-heating experiment";
        for (std::size_t i = 0; i < imported.specimens.size() && i < 20; ++i) {
            std::cerr << (i == 0 ? ": " : ", ") << Printable(imported.specimens[i].magicName);
        }
        std::cerr << (imported.specimens.size() > 20 ? ", ..." : "") << '\n';
        return kExitUsage;
    }
    status = magic::OpenImportedSpecimen(*specimen, args.file, doc);
    chosen.name = specimen->magicName;
    chosen.notes = specimen->AllNotes();
    return std::nullopt;
}

// Colour only for a terminal, and not when the user asked for none
// (NO_COLOR set and not empty, or a dumb terminal).
bool ColourWanted()
{
    if (::isatty(STDOUT_FILENO) == 0) {
        return false;
    }
    const char* noColour = std::getenv("NO_COLOR");
    const char* term = std::getenv("TERM");
    return (noColour == nullptr || *noColour == '\0') && (term == nullptr || std::strcmp(term, "dumb") != 0);
}

// A criteria set named on the command line; the exit status when it cannot be loaded.
std::optional<int> LoadSet(const std::string& option, const std::string& nameOrPath,
                           std::optional<StatisticCriteriaSet>& set)
{
    if (nameOrPath.empty()) {
        return std::nullopt;
    }
    CriteriaSetRead read = LoadStatisticCriteria(nameOrPath);
    if (!read.set) {
        std::cerr << "korvanes: " << option << ": " << Printable(read.error) << '\n';
        return kExitUnreadable;
    }
    set = std::move(read.set);
    return std::nullopt;
}

// The passing ranges of the map as "tMin-tMax" items, for the text.
std::string PassingRangesText(const RangeMap& map, const StandardStatisticsInput& input,
                              const StatisticCriteriaSet& set)
{
    std::string list;
    std::size_t count = 0;
    for (const RangeMapCell& cell : map.cells) {
        if (EvaluateCriteria(set, ComputeStandardStatistics(input, cell.tMin, cell.tMax, ScatBetaOf(&set))).pass) {
            list += (count++ == 0 ? "" : ", ") + std::to_string(cell.tMin) + "-" + std::to_string(cell.tMax);
        }
    }
    return "\nRanges of the map passing " + set.name + ": " + std::to_string(count) + " of " +
           std::to_string(map.cells.size()) + (count > 0 ? " (" + list + ")" : std::string()) + "\n";
}

// Opens, analyses and prints one data file; returns the exit status.
int Analyze(const AnalyzeArguments& args)
{
    if (args.standard && !args.rangeMap) {
        std::cerr << "korvanes: --standard adds the standard statistics to the ranges of the range map; "
                     "use it with --range-map\n";
        return kExitUsage;
    }
    if (!args.searchSet.empty() && args.options.range) {
        std::cerr << "korvanes: --search-set chooses among the ranges of the automatic search; it cannot be "
                     "used with --range\n";
        return kExitUsage;
    }
    std::optional<StatisticCriteriaSet> criteriaSet;
    std::optional<StatisticCriteriaSet> searchSet;
    if (const auto failed = LoadSet("--criteria-set", args.criteriaSet, criteriaSet)) {
        return *failed;
    }
    if (const auto failed = LoadSet("--search-set", args.searchSet, searchSet)) {
        return *failed;
    }
    if (args.options.range && args.options.range->first > args.options.range->second) {
        // As the form refuses a "from" above "to"; equal ends are accepted.
        std::cerr << "korvanes: Check your temperature range ! (--range " << args.options.range->first << ' '
                  << args.options.range->second << ": the lower end is above the upper end)\n";
        return kExitUsage;
    }
    CCriteriaSet criteria;
    std::string error;
    if (!LoadCliCriteria(args.options, criteria, error)) {
        std::cerr << "korvanes: " << Printable(error) << '\n';
        return kExitUnreadable;
    }
    CKorvanesToolDoc doc(criteria);
    OpenStatus status;
    std::optional<MagicSpecimen> magicSpecimen;
    if (IsMagicFile(args.file)) {
        magicSpecimen.emplace();
        if (const std::optional<int> failed = OpenMagicSpecimen(args, doc, status, *magicSpecimen)) {
            return *failed;
        }
    } else if (!args.magic.specimen.empty() || !args.magic.samples.empty() || !args.magic.sites.empty()) {
        std::cerr << "korvanes: --specimen, --samples and --sites apply to MagIC measurement files, and "
                  << Printable(args.file) << " is none\n";
        return kExitUsage;
    } else {
        status = doc.Open(args.file);
    }
    if (!status.readable) {
        std::cerr << "korvanes: " << Printable(status.error) << '\n';
        return kExitUnreadable;
    }
    ApplyAnalysisOptions(args.options, criteria, doc);
    RunAnalysis(doc);
    std::optional<CriteriaSetSearch> setSearch;
    if (searchSet) {
        setSearch = SearchRangeByCriteriaSet(doc, *searchSet);
        if (!setSearch->chosen) {
            std::cerr << "korvanes: no range of the automatic search passes " << Printable(searchSet->name) << " ("
                      << setSearch->considered << " considered"
                      << (setSearch->refused.empty() ? std::string() : ": " + setSearch->refused)
                      << "); the result is the program's own search\n";
        }
    }
    const std::optional<RangeMap> map = args.rangeMap ? std::optional<RangeMap>(ComputeRangeMap(doc)) : std::nullopt;
    const StandardStatisticsInput standardInput = PrepareStandardStatistics(doc);
    const StatisticCriteriaSet* setForScat = criteriaSet ? &*criteriaSet : (searchSet ? &*searchSet : nullptr);
    const StandardStatistics standard =
        doc.m_result.n > 0 ? ComputeStandardStatistics(standardInput, doc.m_result.tMin, doc.m_result.tMax,
                                                       ScatBetaOf(setForScat))
                           : StandardStatistics{};
    if (args.json) {
        Json json = DocumentToJson(doc, args.file, status.warnings, args.options.range);
        json["result"]["standardStatistics"] = StandardStatisticsToJson(standard);
        if (criteriaSet) {
            json["criteriaSet"] = CriteriaVerdictToJson(EvaluateCriteria(*criteriaSet, standard), *criteriaSet);
        }
        if (setSearch) {
            json["searchSet"] = CriteriaSetSearchToJson(*setSearch, *searchSet);
        }
        if (magicSpecimen) {
            json["magic"] = Json{{"specimen", ToUtf8(magicSpecimen->name)}, {"notes", Json::array()}};
            for (const std::string& note : magicSpecimen->notes) {
                json["magic"]["notes"].push_back(ToUtf8(note));
            }
        }
        if (map) {
            json["rangeMap"] = RangeMapToJson(*map);
            AddStandardToRangeMapJson(json["rangeMap"], *map, standardInput, args.standard,
                                      criteriaSet ? &*criteriaSet : nullptr);
        }
        std::cout << DumpJson(json) << '\n';
    } else {
        if (magicSpecimen) {
            for (const std::string& note : magicSpecimen->notes) {
                std::cerr << "korvanes: " << Printable(args.file) << ": specimen '"
                          << Printable(magicSpecimen->name) << "': note: " << Printable(note) << '\n';
            }
        }
        for (const ReadWarning& w : status.warnings) {
            std::cerr << "korvanes: " << Printable(args.file);
            if (w.line > 0) {
                std::cerr << ':' << w.line;
            }
            std::cerr << ": warning: " << Printable(w.text) << '\n';
        }
        TextContext context;
        context.colour = ColourWanted();
        context.requestedRange = args.options.range;
        context.checkCorrectionRequested = args.options.checkCorrected;
        context.rangeMap = map ? &*map : nullptr;
        std::string standardSection = doc.m_result.n > 0 ? StandardStatisticsText(standard) : std::string();
        if (criteriaSet) {
            standardSection += CriteriaVerdictText(EvaluateCriteria(*criteriaSet, standard), *criteriaSet);
            if (map && map->refused.empty()) {
                standardSection += PassingRangesText(*map, standardInput, *criteriaSet);
            }
        }
        if (setSearch) {
            standardSection += "\nSearch among the ranges passing " + searchSet->name + ": " +
                               std::to_string(setSearch->passing) + " of " + std::to_string(setSearch->considered) +
                               " pass" +
                               (setSearch->chosen ? "; chosen " + std::to_string(setSearch->tMin) + "-" +
                                                        std::to_string(setSearch->tMax) + " \xC2\xB0" "C"
                                                  : std::string("; none, the result is the program's own search")) +
                               "\n";
        }
        context.standardSection = &standardSection;
        std::cout << DocumentToText(doc, args.file, context);
    }
    std::cout.flush();
    return kExitOk;
}

}  // namespace

void RegisterAnalyzeCommand(CLI::App& app, int& status)
{
    auto* cmd = app.add_subcommand("analyze", "Analyse one specimen data file");
    auto args = std::make_shared<AnalyzeArguments>();
    cmd->add_option("FILE", args->file, "Specimen data file (.kvd) or MagIC measurements table")->required();
    AddAnalysisOptions(*cmd, args->options);
    AddMagicInputOptions(*cmd, args->magic, true);
    cmd->add_flag("--json", args->json, "Write the document and its analysis as JSON");
    cmd->add_flag("--range-map", args->rangeMap,
                  "Evaluate every range the search could choose: a summary in the text, rangeMap in JSON");
    cmd->add_flag("--standard", args->standard,
                  "With --range-map and --json: the standard statistics of every range of the map");
    cmd->add_option("--criteria-set", args->criteriaSet,
                    "Measure the fit against a criteria set on the standard statistics: CCRIT, PICRIT03, SELCRIT2 "
                    "or a set file (with --range-map: which ranges pass)");
    cmd->add_option("--search-set", args->searchSet,
                    "Let the automatic search choose among the ranges that pass this criteria set (name or file)");
    cmd->callback([args, &status]() { status = Analyze(*args); });
}

}  // namespace korvanes::cli
