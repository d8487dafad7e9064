#include "Commands.h"

namespace korvanes::cli {

int RunCommandLine(CLI::App& app, int argc, char** argv, const int& status)
{
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? kExitOk : kExitUsage;
    }
    return status;
}

}  // namespace korvanes::cli
