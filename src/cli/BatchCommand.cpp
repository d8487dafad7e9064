// `korvanes batch FILES... --results OUT.krv [--magic-specimens OUT.txt]`:
// analyses every data file and every specimen of a MagIC measurements file,
// appends one result line per specimen, and adds the results to a MagIC
// specimens table.

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "AnalysisOptions.h"
#include "Commands.h"
#include "DocumentText.h"
#include "MagicInput.h"
#include "analysis/StandardStatistics.h"
#include "criteria/ApplicationCriteria.h"
#include "criteria/StatisticCriteria.h"
#include "magic/MagicFiles.h"
#include "magic/MagicSpecimens.h"
#include "results/Batch.h"
#include "text/TextEncoding.h"

namespace korvanes::cli {
namespace {

struct BatchArguments {
    std::vector<std::string> files;
    std::string resultsPath;
    std::string magicSpecimensPath;
    unsigned jobs = DefaultBatchJobs();
    std::string criteriaSet;  // NAME|FILE: a verdict for every specimen with a result
    CliAnalysisOptions options;
    MagicInputOptions magic;
};

// The inputs of a run: data files as they are, MagIC measurement files as
// their importable specimens.
struct BatchInputs {
    std::vector<std::string> labels;  // a path, or "PATH: specimen NAME"
    std::vector<const magic::ImportedSpecimen*> specimens;  // null for a data file
    std::vector<std::string> sources;                       // the file each input comes from
    std::vector<std::unique_ptr<magic::MagicImport>> imports;
    std::size_t notImported = 0;  // MagIC specimens not written by their import
    std::size_t unreadable = 0;   // MagIC files that could not be imported at all
};

BatchInputs ExpandInputs(const BatchArguments& args, const std::string& prefix)
{
    BatchInputs inputs;
    for (const std::string& file : args.files) {
        if (!IsMagicFile(file)) {
            inputs.labels.push_back(file);
            inputs.specimens.push_back(nullptr);
            inputs.sources.push_back(file);
            continue;
        }
        auto imported = std::make_unique<magic::MagicImport>(ImportMagicInput(file, args.magic));
        if (!imported->ok()) {
            ++inputs.unreadable;
            std::cerr << prefix << "korvanes batch: skipped " << Printable(imported->error) << '\n';
            continue;
        }
        for (const magic::ImportMessage& problem : imported->problems) {
            std::cerr << prefix << "korvanes batch: skipped " << ProblemText(file, problem) << '\n';
        }
        inputs.notImported += imported->problems.size();
        for (const magic::ImportedSpecimen& specimen : imported->specimens) {
            inputs.labels.push_back(file + ": specimen " + specimen.magicName);
            inputs.specimens.push_back(&specimen);
            inputs.sources.push_back(file);
        }
        inputs.imports.push_back(std::move(imported));
    }
    return inputs;
}

// The name the specimens table gives the criteria: the criteria file's name
// without its folder, or that of the built-in values.
std::string CriteriaName(const CliAnalysisOptions& options)
{
    if (options.criteriaPath.empty()) {
        return std::string(kDefaultCriteriaPath);
    }
    return std::filesystem::path(options.criteriaPath).filename().string();
}

// What the analysis threads keep of each specimen: its MagIC row and its
// verdict against the criteria set, joined by a record separator.
constexpr char kPartSeparator = '\x1e';

struct SetTally {
    std::size_t pass = 0;
    std::vector<std::string> lines;  // one per specimen with a result
};

void PrintSummary(const BatchSummary& s, const BatchInputs& inputs, const BatchArguments& args, std::size_t rows,
                  const StatisticCriteriaSet* set, const SetTally& tally)
{
    std::cout << "Specimens read: " << s.specimensRead << '\n'
              << "  class A: " << s.gradedA << '\n'
              << "  class B: " << s.gradedB << '\n'
              << "  class C: " << s.gradedC << '\n'
              << "  no result: " << s.noResult << '\n'
              << "Unreadable files: " << s.unreadable + inputs.unreadable << '\n';
    if (!inputs.imports.empty()) {
        std::cout << "MagIC specimens not imported: " << inputs.notImported << '\n';
    }
    if (set != nullptr) {
        std::cout << "Criteria set " << Printable(set->name) << ": " << tally.pass << " pass, "
                  << tally.lines.size() - tally.pass << " fail\n";
        for (const std::string& line : tally.lines) {
            std::cout << "  " << Printable(line) << '\n';
        }
    }
    std::cout << "Results file: " << Printable(args.resultsPath) << '\n';
    if (!args.magicSpecimensPath.empty()) {
        std::cout << "MagIC specimens table: " << Printable(args.magicSpecimensPath) << " (" << rows << " rows added)\n";
    }
}

int RunBatchCommand(const BatchArguments& args)
{
    CCriteriaSet criteria;
    std::string error;
    if (!LoadCliCriteria(args.options, criteria, error)) {
        std::cerr << "korvanes batch: " << Printable(error) << '\n';
        return kExitUnreadable;
    }

    std::optional<StatisticCriteriaSet> set;
    if (!args.criteriaSet.empty()) {
        CriteriaSetRead read = LoadStatisticCriteria(args.criteriaSet);
        if (!read.set) {
            std::cerr << "korvanes batch: --criteria-set: " << Printable(read.error) << '\n';
            return kExitUnreadable;
        }
        set = std::move(read.set);
    }
    if (!args.magicSpecimensPath.empty()) {
        if (const std::optional<std::string> refusal = magic::CheckSpecimensFile(args.magicSpecimensPath)) {
            std::cerr << "korvanes batch: " << Printable(*refusal) << "; nothing written\n";
            return kExitUnreadable;
        }
    }
    const bool terminal = ::isatty(STDERR_FILENO) != 0;
    const BatchInputs inputs = ExpandInputs(args, terminal ? "\r\033[K" : "");
    std::vector<std::string> rows;
    const std::string criteriaName = CriteriaName(args.options);

    BatchSetup setup;
    setup.criteria = criteria;
    setup.jobs = args.jobs;
    setup.configure = [&args, &criteria](CKorvanesToolDoc& doc) {
        ApplyAnalysisOptions(args.options, criteria, doc);
    };
    setup.unreadable = [terminal](const std::string& path, const std::string& message) {
        std::cerr << (terminal ? "\r\033[K" : "") << "korvanes batch: skipped " << Printable(path) << ": "
                  << Printable(message) << '\n';
    };
    if (terminal) {
        setup.progress = [](std::size_t done, std::size_t total, const std::string& path) {
            std::cerr << "\r\033[K[" << done << '/' << total << "] " << Printable(path) << std::flush;
        };
    }
    setup.open = [&inputs](std::size_t index, CKorvanesToolDoc& doc) {
        if (inputs.specimens[index] == nullptr) {
            return doc.Open(inputs.labels[index]);
        }
        return magic::OpenImportedSpecimen(*inputs.specimens[index], inputs.sources[index], doc);
    };
    SetTally tally;
    const StatisticCriteriaSet* setUsed = set ? &*set : nullptr;
    if (!args.magicSpecimensPath.empty() || setUsed != nullptr) {
        // Rows and verdicts are made on the analysis threads and kept in the files' order.
        const bool wantRows = !args.magicSpecimensPath.empty();
        setup.describe = [&criteriaName, setUsed, wantRows](const CKorvanesToolDoc& doc) {
            std::string verdictText;
            if (setUsed != nullptr && doc.m_result.paleointensity != 0.0) {
                const CriteriaVerdict verdict =
                    EvaluateCriteria(*setUsed, StandardStatisticsOfResult(doc, ScatBetaOf(setUsed)));
                verdictText = verdict.pass ? "pass" : "fail";
                const std::vector<std::string> failed = verdict.Failed();
                for (std::size_t i = 0; i < failed.size(); ++i) {
                    verdictText += (i == 0 ? " (" : ", ") + failed[i] + (i + 1 == failed.size() ? ")" : "");
                }
            }
            std::string row;
            if (wantRows) {
                if (const auto cells = magic::SpecimenRow(doc, criteriaName, setUsed)) {
                    row = magic::SpecimenLine(*cells);
                }
            }
            return verdictText + kPartSeparator + row;
        };
        setup.analysed = [&rows, &tally, &inputs](std::size_t index, const std::string& description) {
            const std::size_t cut = description.find(kPartSeparator);
            const std::string verdict = description.substr(0, cut);
            const std::string row = description.substr(cut + 1);
            if (!verdict.empty()) {
                tally.pass += verdict.rfind("pass", 0) == 0 ? 1 : 0;
                tally.lines.push_back(verdict.substr(0, 4) + "  " + Printable(inputs.labels[index]) +
                                      verdict.substr(4));
            }
            if (!row.empty()) {
                rows.push_back(row);
            }
        };
    }

    const BatchSummary summary = RunBatch(inputs.labels, args.resultsPath, setup);
    if (terminal) {
        std::cerr << "\r\033[K" << std::flush;
    }
    if (summary.results.outcome == AppendOutcome::kRefused) {
        std::cerr << "korvanes batch: " << Printable(args.resultsPath) << ": " << Printable(summary.results.message) << '\n';
        return kExitUnreadable;
    }
    std::optional<std::string> magicFailure;
    if (!args.magicSpecimensPath.empty() && !rows.empty()) {
        magicFailure = magic::AppendSpecimenLines(args.magicSpecimensPath, rows);
    }
    PrintSummary(summary, inputs, args, magicFailure ? 0 : rows.size(), setUsed, tally);
    std::cout.flush();
    if (!summary.results.ok()) {
        std::cerr << "korvanes batch: " << Printable(summary.results.message) << '\n';
    }
    if (magicFailure) {
        std::cerr << "korvanes batch: " << Printable(*magicFailure) << "; no row added\n";
    }
    return summary.results.ok() && !magicFailure ? kExitOk : kExitUnreadable;
}

}  // namespace

void RegisterBatchCommand(CLI::App& app, int& status)
{
    auto* cmd = app.add_subcommand("batch", "Analyse many specimen files and append their results to a results file");
    auto args = std::make_shared<BatchArguments>();
    cmd->add_option("FILES", args->files, "Specimen data files (.kvd) or MagIC measurements tables (all their "
                                          "specimens)")
        ->required()
        ->expected(-1);
    cmd->add_option("--results", args->resultsPath, "Results file (.krv), created with its header when absent")
        ->required();
    cmd->add_option("--magic-specimens", args->magicSpecimensPath,
                    "Also add a row per specimen with a result to this MagIC specimens table (created when absent)");
    cmd->add_option("--jobs,-j", args->jobs,
                    "Files analysed at once (default: the number of processors); the results file gets the same "
                    "lines in the same order whatever the number")
        ->check(CLI::Range(1u, 1024u))
        ->capture_default_str();
    cmd->add_option("--criteria-set", args->criteriaSet,
                    "Measure every result against a criteria set on the standard statistics (CCRIT, PICRIT03, "
                    "SELCRIT2 or a set file): verdicts in the summary, and in the MagIC specimens table");
    AddAnalysisOptions(*cmd, args->options);
    AddMagicInputOptions(*cmd, args->magic, false);
    cmd->callback([args, &status]() { status = RunBatchCommand(*args); });
}

}  // namespace korvanes::cli
