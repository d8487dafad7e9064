// `korvanes import-magic MEASUREMENTS --out DIR`: one data file per specimen
// of a MagIC measurements table that holds a thermal double-heating
// experiment, and a summary of what was used and what was not.

#include <iostream>
#include <memory>

#include "Commands.h"
#include "DocumentText.h"
#include "MagicInput.h"
#include "magic/MagicFiles.h"
#include "text/TextEncoding.h"

namespace korvanes::cli {
namespace {

struct ImportArguments {
    std::string measurements;
    std::string folder;
    MagicInputOptions input;
};

int RunImport(const ImportArguments& args)
{
    const magic::MagicImport imported = ImportMagicInput(args.measurements, args.input);
    if (!imported.ok()) {
        std::cerr << "korvanes import-magic: " << Printable(imported.error) << "; nothing written\n";
        return kExitUnreadable;
    }
    PrintImportSummary(std::cout, args.measurements, imported);
    if (imported.specimens.empty()) {
        std::cout.flush();
        std::cerr << "korvanes import-magic: no specimen with a thermal double-heating experiment to write\n";
        return kExitUnreadable;
    }
    const magic::WriteOutcome written = magic::WriteImportedSpecimens(imported, args.folder);
    std::cout << "Files written: " << written.written.size() << " in " << Printable(args.folder) << '\n';
    std::cout.flush();
    for (const std::string& failure : written.failures) {
        std::cerr << "korvanes import-magic: " << Printable(failure) << '\n';
    }
    return written.ok() ? kExitOk : kExitUnreadable;
}

}  // namespace

void RegisterImportMagicCommand(CLI::App& app, int& status)
{
    auto* cmd = app.add_subcommand("import-magic",
                                   "Write a data file (.kvd) for every specimen of a MagIC measurements table "
                                   "with a thermal double-heating experiment");
    auto args = std::make_shared<ImportArguments>();
    cmd->add_option("MEASUREMENTS", args->measurements,
                    "MagIC measurements table (data model 3 or 2.5), alone or in a contribution file")
        ->required();
    cmd->add_option("--out", args->folder, "Folder for the data files (created when missing)")->required();
    AddMagicInputOptions(*cmd, args->input, false);
    cmd->callback([args, &status]() { status = RunImport(*args); });
}

}  // namespace korvanes::cli
