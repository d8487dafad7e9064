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
    const std::optional<RangeMap> map = args.rangeMap ? std::optional<RangeMap>(ComputeRangeMap(doc)) : std::nullopt;
    if (args.json) {
        Json json = DocumentToJson(doc, args.file, status.warnings, args.options.range);
        if (magicSpecimen) {
            json["magic"] = Json{{"specimen", ToUtf8(magicSpecimen->name)}, {"notes", Json::array()}};
            for (const std::string& note : magicSpecimen->notes) {
                json["magic"]["notes"].push_back(ToUtf8(note));
            }
        }
        if (map) {
            json["rangeMap"] = RangeMapToJson(*map);
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
    cmd->callback([args, &status]() { status = Analyze(*args); });
}

}  // namespace korvanes::cli
