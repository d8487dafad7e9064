#pragma once
// The subcommands of the command-line program. Each registers itself on the
// application and reports the exit status it ran with through `status`.

#include <CLI/CLI.hpp>

namespace korvanes::cli {

// Exit statuses of the program.
inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 1;
inline constexpr int kExitUnreadable = 2;

// Parses the command line into `app`, whose subcommands run as they are
// parsed and leave their exit status in `status`; returns the program's exit
// status (kExitUsage for a command line that does not parse, kExitOk for
// --help).
int RunCommandLine(CLI::App& app, int argc, char** argv, const int& status);

void RegisterAnalyzeCommand(CLI::App& app, int& status);
void RegisterBatchCommand(CLI::App& app, int& status);
void RegisterCriteriaCommand(CLI::App& app, int& status);
void RegisterImportMagicCommand(CLI::App& app, int& status);
void RegisterSitesCommand(CLI::App& app, int& status);
// `plot` needs the whole command line (argc, argv as main got them): without
// Qt in this program, it hands the command line on to korvanes-plot.
void RegisterPlotCommand(CLI::App& app, int& status, int argc, const char* const* argv);

}  // namespace korvanes::cli
