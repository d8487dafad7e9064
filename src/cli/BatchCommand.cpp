// `korvanes batch FILES... [--files-from LIST [-0]] --results OUT.krv [--magic-specimens OUT.txt]`:
// analyses every data file and every specimen of a MagIC measurements file,
// appends one result line per specimen, and adds the results to a MagIC
// specimens table.

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
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
#include "magic/MagicTable.h"
#include "results/Batch.h"
#include "results/ResultNotes.h"
#include "results/TextSpool.h"
#include "text/TextEncoding.h"

namespace korvanes::cli {
namespace {

struct BatchArguments {
    std::vector<std::string> files;
    std::string filesFrom;  // a list of paths, "-" for standard input
    bool nulSeparated = false;
    std::string resultsPath;
    std::string magicSpecimensPath;
    unsigned jobs = DefaultBatchJobs();
    std::string criteriaSet;  // NAME|FILE: a verdict for every specimen with a result
    CliAnalysisOptions options;
    MagicInputOptions magic;
};

// A MagIC measurements file as the specimens it holds; nothing for a data
// file.
std::optional<OtherInput> ReadMagicInput(const std::string& file, std::string_view head,
                                         const MagicInputOptions& options)
{
    if (!magic::LooksLikeMagicText(head)) {
        return std::nullopt;
    }
    OtherInput input;
    auto imported = std::make_shared<magic::MagicImport>(ImportMagicInput(file, options));
    if (!imported->ok()) {
        input.unreadable = true;
        input.notices.push_back(Printable(imported->error));
        return input;
    }
    for (const magic::ImportMessage& problem : imported->problems) {
        input.notices.push_back(ProblemText(file, problem));
    }
    input.notImported = imported->problems.size();
    for (const magic::ImportedSpecimen& specimen : imported->specimens) {
        const magic::ImportedSpecimen* source = &specimen;
        input.specimens.push_back({file + ": specimen " + specimen.magicName, [source, file](CKorvanesToolDoc& doc) {
                                       return magic::OpenImportedSpecimen(*source, file, doc);
                                   }});
    }
    input.keep = imported;
    return input;
}

// The paths of a run: those given as arguments, then those of the list, read
// as the run goes (one a line, or NUL-separated; a list's empty entries and
// a line's CR before its LF are left out).
class PathList {
public:
    explicit PathList(const BatchArguments& args) : m_args(args) {}

    // Opens the list; false (with the reason in `error`) when it cannot be.
    bool Open(std::string& error)
    {
        if (m_args.filesFrom.empty() || m_args.filesFrom == "-") {
            return true;
        }
        m_file.open(m_args.filesFrom, std::ios::binary);
        if (!m_file) {
            error = "cannot read the list of files '" + m_args.filesFrom + "': " + std::strerror(errno);
            return false;
        }
        return true;
    }

    std::optional<std::string> Next()
    {
        if (m_at < m_args.files.size()) {
            return m_args.files[m_at++];
        }
        if (m_args.filesFrom.empty()) {
            return std::nullopt;
        }
        std::istream& in = m_args.filesFrom == "-" ? std::cin : m_file;
        const char separator = m_args.nulSeparated ? '\0' : '\n';
        std::string path;
        while (std::getline(in, path, separator)) {
            if (!m_args.nulSeparated && !path.empty() && path.back() == '\r') {
                path.pop_back();
            }
            if (!path.empty()) {
                return path;
            }
        }
        return std::nullopt;
    }

private:
    const BatchArguments& m_args;
    std::ifstream m_file;
    std::size_t m_at = 0;
};

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
    TextSpool lines;  // one per specimen with a result
};

void PrintSummary(const BatchSummary& s, const BatchArguments& args, std::size_t rows, const StatisticCriteriaSet* set,
                  SetTally& tally)
{
    std::cout << "Specimens read: " << s.specimensRead << '\n'
              << "  class A: " << s.gradedA << '\n'
              << "  class B: " << s.gradedB << '\n'
              << "  class C: " << s.gradedC << '\n'
              << "  no result: " << s.noResult << '\n'
              << "Unreadable files: " << s.unreadable << '\n';
    if (s.otherFiles > 0) {
        std::cout << "MagIC specimens not imported: " << s.notImported << '\n';
    }
    if (set != nullptr) {
        std::cout << "Criteria set " << Printable(set->name) << ": " << tally.pass << " pass, "
                  << tally.lines.Count() - tally.pass << " fail\n";
        tally.lines.Rewind();
        while (const std::optional<std::string> line = tally.lines.Next()) {
            std::cout << "  " << Printable(*line) << '\n';
        }
    }
    std::cout << "Results file: " << Printable(args.resultsPath) << '\n';
    if (!args.magicSpecimensPath.empty()) {
        std::cout << "MagIC specimens table: " << Printable(args.magicSpecimensPath) << " (" << rows << " rows added)\n";
    }
}

int RunBatchCommand(const BatchArguments& args)
{
    if (args.files.empty() && args.filesFrom.empty()) {
        throw CLI::RequiredError("FILES or --files-from");
    }
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
    PathList paths(args);
    if (!paths.Open(error)) {
        std::cerr << "korvanes batch: " << Printable(error) << '\n';
        return kExitUnreadable;
    }
    const bool terminal = ::isatty(STDERR_FILENO) != 0;
    const char* clear = terminal ? "\r\033[K" : "";
    // The rows and the verdicts come one per specimen: beyond a few
    // megabytes they wait in a temporary file, so that a run of any length
    // holds little of them in memory.
    TextSpool rows;
    const std::string criteriaName = CriteriaName(args.options);

    BatchSetup setup;
    setup.criteria = criteria;
    setup.jobs = args.jobs;
    setup.configure = [&args, &criteria](CKorvanesToolDoc& doc) {
        ApplyAnalysisOptions(args.options, criteria, doc);
    };
    setup.readOther = [&args](const std::string& path, std::string_view head) {
        return ReadMagicInput(path, head, args.magic);
    };
    setup.unreadable = [clear](const std::string& path, const std::string& message) {
        std::cerr << clear << "korvanes batch: skipped " << Printable(path) << ": "
                  << Printable(message) << '\n';
    };
    setup.notice = [clear](const std::string& notice) {
        std::cerr << clear << "korvanes batch: skipped " << notice << '\n';
    };
    // Each specimen without a result is named with the reason, ahead of the
    // counts.
    setup.whyNoResult = [](const CKorvanesToolDoc& doc) {
        const std::string reason = NoResultReason(doc);
        return reason.empty() ? std::string("its range meets neither class A nor class B") : reason;
    };
    setup.noResult = [clear](const std::string& label, const std::string& reason) {
        std::cerr << clear << std::flush;
        std::cout << "No result: " << Printable(label) << ": " << Printable(reason) << '\n';
    };
    if (terminal) {
        // At most about twenty times a second: a terminal takes a line far
        // more slowly than a file is analysed.
        setup.progress = [shown = std::chrono::steady_clock::time_point()](
                             std::size_t done, std::size_t total, const std::string& path) mutable {
            const auto now = std::chrono::steady_clock::now();
            if (now - shown < std::chrono::milliseconds(50) && done != total) {
                return;
            }
            shown = now;
            std::cerr << "\r\033[K[" << done;
            if (total > 0) {
                std::cerr << '/' << total;
            }
            std::cerr << "] " << Printable(path) << std::flush;
        };
    }
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
        setup.analysed = [&rows, &tally](const std::string& label, const std::string& description) {
            const std::size_t cut = description.find(kPartSeparator);
            const std::string verdict = description.substr(0, cut);
            const std::string row = description.substr(cut + 1);
            if (!verdict.empty()) {
                tally.pass += verdict.rfind("pass", 0) == 0 ? 1 : 0;
                tally.lines.Add(verdict.substr(0, 4) + "  " + Printable(label) + verdict.substr(4));
            }
            if (!row.empty()) {
                rows.Add(row);
            }
        };
    }

    const std::size_t given = args.filesFrom.empty() ? args.files.size() : 0;
    const BatchSummary summary = RunBatch([&paths] { return paths.Next(); }, given, args.resultsPath, setup);
    if (terminal) {
        std::cerr << clear << std::flush;
    }
    if (summary.results.outcome == AppendOutcome::kRefused) {
        std::cerr << "korvanes batch: " << Printable(args.resultsPath) << ": " << Printable(summary.results.message) << '\n';
        return kExitUnreadable;
    }
    std::optional<std::string> magicFailure;
    if (!args.magicSpecimensPath.empty() && rows.Count() > 0) {
        rows.Rewind();
        magicFailure = magic::AppendSpecimenLines(args.magicSpecimensPath, [&rows] { return rows.Next(); });
    }
    PrintSummary(summary, args, magicFailure ? 0 : rows.Count(), setUsed, tally);
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
        ->expected(-1);
    cmd->add_option("--files-from", args->filesFrom,
                    "Also the files named in this list, one path a line (\"-\": standard input), read as the run "
                    "goes");
    cmd->add_flag("-0,--null", args->nulSeparated, "The list's paths end in a NUL byte instead of a line end");
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
