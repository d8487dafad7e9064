#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>

#include "AnalysisOptions.h"
#include "Commands.h"
#include "DocumentJson.h"
#include "DocumentText.h"
#include "analysis/AnalysisRun.h"
#include "analysis/RangeMap.h"
#include "text/TextEncoding.h"

namespace korvanes::cli {
namespace {

struct AnalyzeArguments {
    std::string file;
    bool json = false;
    bool rangeMap = false;
    CliAnalysisOptions options;
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

// Opens, analyses and prints one data file; returns the exit status.
int Analyze(const AnalyzeArguments& args)
{
    if (args.options.range && args.options.range->first > args.options.range->second) {
        // As the form refuses a "from" above "to"; equal ends are accepted.
        std::cerr << "korvanes: Check your temperature range ! (--range " << args.options.range->first << ' '
                  << args.options.range->second << ": the lower end is above the upper end)\n";
        return kExitUsage;
    }
    CCriteriaSet criteria;
    std::string error;
    if (!LoadCliCriteria(args.options, criteria, error)) {
        std::cerr << "korvanes: " << error << '\n';
        return kExitUnreadable;
    }
    CKorvanesToolDoc doc(criteria);
    const OpenStatus status = doc.Open(args.file);
    if (!status.readable) {
        std::cerr << "korvanes: " << Printable(ToUtf8(status.error)) << '\n';
        return kExitUnreadable;
    }
    ApplyAnalysisOptions(args.options, criteria, doc);
    RunAnalysis(doc);
    const std::optional<RangeMap> map = args.rangeMap ? std::optional<RangeMap>(ComputeRangeMap(doc)) : std::nullopt;
    if (args.json) {
        Json json = DocumentToJson(doc, args.file, status.warnings, args.options.range);
        if (map) {
            json["rangeMap"] = RangeMapToJson(*map);
        }
        std::cout << DumpJson(json) << '\n';
    } else {
        for (const ReadWarning& w : status.warnings) {
            std::cerr << "korvanes: " << Printable(ToUtf8(args.file));
            if (w.line > 0) {
                std::cerr << ':' << w.line;
            }
            std::cerr << ": warning: " << Printable(ToUtf8(w.text)) << '\n';
        }
        TextContext context;
        context.colour = ColourWanted();
        context.requestedRange = args.options.range;
        context.checkCorrectionRequested = args.options.checkCorrected;
        context.rangeMap = map ? &*map : nullptr;
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
    cmd->add_option("FILE", args->file, "Specimen data file (.kvd)")->required();
    AddAnalysisOptions(*cmd, args->options);
    cmd->add_flag("--json", args->json, "Write the document and its analysis as JSON");
    cmd->add_flag("--range-map", args->rangeMap,
                  "Evaluate every range the search could choose: a summary in the text, rangeMap in JSON");
    cmd->callback([args, &status]() { status = Analyze(*args); });
}

}  // namespace korvanes::cli
