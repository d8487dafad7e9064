#include "Commands.h"

namespace korvanes::cli {

void RegisterBatchCommand(CLI::App& app, int& status)
{
    (void)app;
    (void)status;
}

}  // namespace korvanes::cli
