// korvanes: analysis of double-heating paleointensity experiments from the
// command line.

#include <CLI/CLI.hpp>
#include <iostream>

#include "Commands.h"

int main(int argc, char** argv)
{
    using namespace korvanes::cli;
    CLI::App app{"KorvanesTool: analysis of double-heating paleointensity experiments", "korvanes"};
    app.require_subcommand(1);
    int status = kExitOk;
    RegisterAnalyzeCommand(app, status);
    RegisterBatchCommand(app, status);
    RegisterCriteriaCommand(app, status);
    RegisterPlotCommand(app, status, argc, argv);
    return RunCommandLine(app, argc, argv, status);
}
