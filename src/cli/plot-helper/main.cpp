// korvanes-plot: the picture export of `korvanes plot`, with Qt. korvanes
// runs it in its own place with the same command line (see
// PlotCommand.cpp), so that only `plot` loads Qt.

#include <CLI/CLI.hpp>

#include "Commands.h"

int main(int argc, char** argv)
{
    using namespace korvanes::cli;
    CLI::App app{"KorvanesTool: analysis of double-heating paleointensity experiments", "korvanes"};
    app.require_subcommand(1);
    int status = kExitOk;
    RegisterPlotCommand(app, status, argc, argv);
    return RunCommandLine(app, argc, argv, status);
}
