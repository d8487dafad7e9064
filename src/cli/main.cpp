// korvanes: analysis of double-heating paleointensity experiments from the
// command line.

#include <CLI/CLI.hpp>
#include <iostream>

#include "Commands.h"
#include "ProgramVersion.h"

int main(int argc, char** argv)
{
    using namespace korvanes::cli;
    CLI::App app{"KorvanesTool: analysis of double-heating paleointensity experiments", "korvanes"};
    app.set_version_flag("--version", std::string("korvanes (KorvanesTool) ") + korvanes::kVersion,
                         "Print the version and exit");
    app.require_subcommand(1);
    int status = kExitOk;
    RegisterAnalyzeCommand(app, status);
    RegisterBatchCommand(app, status);
    RegisterCriteriaCommand(app, status);
    RegisterImportMagicCommand(app, status);
    RegisterSitesCommand(app, status);
    RegisterPlotCommand(app, status, argc, argv);
    return RunCommandLine(app, argc, argv, status);
}
