#include <iostream>
#include <memory>

#include "AnalysisOptions.h"
#include "Commands.h"
#include "DocumentJson.h"
#include "DocumentText.h"
#include "analysis/AnalysisRun.h"

namespace korvanes::cli {
namespace {

struct AnalyzeArguments {
    std::string file;
    bool json = false;
    CliAnalysisOptions options;
};

// Opens, analyses and prints one data file; returns the exit status.
int Analyze(const AnalyzeArguments& args)
{
    CCriteriaSet criteria;
    std::string error;
    if (!LoadCliCriteria(args.options, criteria, error)) {
        std::cerr << "korvanes: " << error << '\n';
        return kExitUnreadable;
    }
    CKorvanesToolDoc doc(criteria);
    const OpenStatus status = doc.Open(args.file);
    if (!status.readable) {
        std::cerr << "korvanes: " << status.error << '\n';
        return kExitUnreadable;
    }
    ApplyAnalysisOptions(args.options, criteria, doc);
    RunAnalysis(doc);
    if (args.json) {
        std::cout << DumpJson(DocumentToJson(doc, args.file, status.warnings)) << '\n';
    } else {
        for (const ReadWarning& w : status.warnings) {
            std::cerr << "korvanes: " << args.file;
            if (w.line > 0) {
                std::cerr << ':' << w.line;
            }
            std::cerr << ": warning: " << w.text << '\n';
        }
        std::cout << DocumentToText(doc, args.file);
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
    cmd->callback([args, &status]() { status = Analyze(*args); });
}

}  // namespace korvanes::cli
