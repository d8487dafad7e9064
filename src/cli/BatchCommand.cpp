// `korvanes batch FILES... --results OUT.krv`: analyses every file and
// appends one result line per specimen.

#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "AnalysisOptions.h"
#include "Commands.h"
#include "results/Batch.h"

namespace korvanes::cli {
namespace {

struct BatchArguments {
    std::vector<std::string> files;
    std::string resultsPath;
    unsigned jobs = DefaultBatchJobs();
    CliAnalysisOptions options;
};

void PrintSummary(const BatchSummary& s, const std::string& resultsPath)
{
    std::cout << "Specimens read: " << s.specimensRead << '\n'
              << "  class A: " << s.gradedA << '\n'
              << "  class B: " << s.gradedB << '\n'
              << "  class C: " << s.gradedC << '\n'
              << "  no result: " << s.noResult << '\n'
              << "Unreadable files: " << s.unreadable << '\n'
              << "Results file: " << resultsPath << '\n';
}

int RunBatchCommand(const BatchArguments& args)
{
    CCriteriaSet criteria;
    std::string error;
    if (!LoadCliCriteria(args.options, criteria, error)) {
        std::cerr << "korvanes batch: " << error << '\n';
        return kExitUnreadable;
    }

    const bool terminal = ::isatty(STDERR_FILENO) != 0;
    BatchSetup setup;
    setup.criteria = criteria;
    setup.jobs = args.jobs;
    setup.configure = [&args, &criteria](CKorvanesToolDoc& doc) {
        ApplyAnalysisOptions(args.options, criteria, doc);
    };
    setup.unreadable = [terminal](const std::string& path, const std::string& message) {
        std::cerr << (terminal ? "\r\033[K" : "") << "korvanes batch: skipped " << path << ": " << message << '\n';
    };
    if (terminal) {
        setup.progress = [](std::size_t done, std::size_t total, const std::string& path) {
            std::cerr << "\r\033[K[" << done << '/' << total << "] " << path << std::flush;
        };
    }

    const BatchSummary summary = RunBatch(args.files, args.resultsPath, setup);
    if (terminal) {
        std::cerr << "\r\033[K" << std::flush;
    }
    if (summary.results.outcome == AppendOutcome::kRefused) {
        std::cerr << "korvanes batch: " << args.resultsPath << ": " << summary.results.message << '\n';
        return kExitUnreadable;
    }
    PrintSummary(summary, args.resultsPath);
    if (!summary.results.ok()) {
        std::cerr << "korvanes batch: " << summary.results.message << '\n';
        return kExitUnreadable;
    }
    return kExitOk;
}

}  // namespace

void RegisterBatchCommand(CLI::App& app, int& status)
{
    auto* cmd = app.add_subcommand("batch", "Analyse many specimen files and append their results to a results file");
    auto args = std::make_shared<BatchArguments>();
    cmd->add_option("FILES", args->files, "Specimen data files (.kvd)")->required()->expected(-1);
    cmd->add_option("--results", args->resultsPath, "Results file (.krv), created with its header when absent")
        ->required();
    cmd->add_option("--jobs,-j", args->jobs,
                    "Files analysed at once (default: the number of processors); the results file gets the same "
                    "lines in the same order whatever the number")
        ->check(CLI::Range(1u, 1024u))
        ->capture_default_str();
    AddAnalysisOptions(*cmd, args->options);
    cmd->callback([args, &status]() { status = RunBatchCommand(*args); });
}

}  // namespace korvanes::cli
