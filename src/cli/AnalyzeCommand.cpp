#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <vector>

#include "AnalysisOptions.h"
#include "Commands.h"
#include "DocumentText.h"
#include "MagicInput.h"
#include "SpecimenAnalysis.h"
#include "StandardOutput.h"
#include "analysis/RangeMap.h"
#include "text/TextEncoding.h"

namespace korvanes::cli {
namespace {

using report::CriteriaVerdictText;
using report::DumpJson;
using report::StandardStatisticsText;

struct AnalyzeArguments {
    std::string file;
    bool json = false;
    report::AnalysisRequest request;
};

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
    report::PreparedAnalysis prepared;
    report::SpecimenAnalysis analysis;
    std::optional<report::AnalysisFailure> failed = report::PrepareAnalysis(args.request, prepared);
    if (!failed) {
        failed = report::OpenSpecimenFile(prepared, args.file, analysis);
    }
    if (failed) {
        std::cerr << "korvanes: " << failed->message << '\n';
        return failed->kind == report::FailureKind::kUsage ? kExitUsage : kExitUnreadable;
    }
    report::AnalyseOpenedSpecimen(prepared, analysis);
    for (const std::string& notice : analysis.notices) {
        std::cerr << "korvanes: " << notice << '\n';
    }
    if (args.json) {
        std::cout << DumpJson(report::SpecimenAnalysisToJson(prepared, analysis)) << '\n';
        std::cout.flush();
        return kExitOk;
    }
    const CKorvanesToolDoc& doc = analysis.doc;
    const std::optional<RangeMap>& map = analysis.map;
    const auto& criteriaSet = prepared.criteriaSet;
    const auto& searchSet = prepared.searchSet;
    const auto& setSearch = analysis.setSearch;
    if (analysis.magic) {
        for (const std::string& note : analysis.magic->notes) {
            std::cerr << "korvanes: " << Printable(args.file) << ": specimen '" << Printable(analysis.magic->name)
                      << "': note: " << Printable(note) << '\n';
        }
    }
    for (const ReadWarning& w : analysis.warnings) {
        std::cerr << "korvanes: " << Printable(args.file);
        if (w.line > 0) {
            std::cerr << ':' << w.line;
        }
        std::cerr << ": warning: " << Printable(w.text) << '\n';
    }
    TextContext context;
    context.colour = ColourWanted();
    context.requestedRange = args.request.settings.range;
    context.checkCorrectionRequested = args.request.settings.checkCorrected;
    context.rangeMap = map ? &*map : nullptr;
    std::string standardSection = doc.m_result.n > 0 ? StandardStatisticsText(analysis.standard) : std::string();
    if (criteriaSet) {
        standardSection += CriteriaVerdictText(EvaluateCriteria(*criteriaSet, analysis.standard), *criteriaSet);
        if (map && map->refused.empty()) {
            standardSection += PassingRangesText(*map, analysis.standardInput, *criteriaSet);
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
    std::cout.flush();
    return kExitOk;
}

}  // namespace

void RegisterAnalyzeCommand(CLI::App& app, int& status)
{
    auto* cmd = app.add_subcommand("analyze", "Analyse one specimen data file");
    auto args = std::make_shared<AnalyzeArguments>();
    cmd->add_option("FILE", args->file, "Specimen data file (.kvd) or MagIC measurements table")->required();
    AddAnalysisOptions(*cmd, args->request.settings);
    AddMagicInputOptions(*cmd, args->request.magic, true);
    cmd->add_flag("--json", args->json, "Write the document and its analysis as JSON");
    cmd->add_flag("--range-map", args->request.rangeMap,
                  "Evaluate every range the search could choose: a summary in the text, rangeMap in JSON");
    cmd->add_flag("--standard", args->request.standard,
                  "With --range-map and --json: the standard statistics of every range of the map");
    cmd->add_option("--criteria-set", args->request.criteriaSet,
                    "Measure the fit against a criteria set on the standard statistics: CCRIT, PICRIT03, SELCRIT2 "
                    "or a set file (with --range-map: which ranges pass)");
    cmd->add_option("--search-set", args->request.searchSet,
                    "Let the automatic search choose among the ranges that pass this criteria set (name or file)");
    cmd->callback([args, &status]() { status = Analyze(*args); });
}

}  // namespace korvanes::cli
