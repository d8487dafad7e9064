#pragma once
// The subcommands of the command-line program. Each registers its options on
// the application and returns the exit status it ran with through `status`.

#include <CLI/CLI.hpp>

namespace korvanes::cli {

// Exit statuses of the program.
inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 1;
inline constexpr int kExitUnreadable = 2;

void RegisterAnalyzeCommand(CLI::App& app, int& status);

}  // namespace korvanes::cli
