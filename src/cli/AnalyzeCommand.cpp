#include <iostream>

#include "Commands.h"

namespace korvanes::cli {

void RegisterAnalyzeCommand(CLI::App& app, int& status)
{
    auto* cmd = app.add_subcommand("analyze", "Analyse one specimen data file");
    auto file = std::make_shared<std::string>();
    cmd->add_option("FILE", *file, "Specimen data file (.kvd)")->required();
    cmd->callback([file, &status]() {
        std::cout << *file << '\n';
        status = kExitOk;
    });
}

}  // namespace korvanes::cli
