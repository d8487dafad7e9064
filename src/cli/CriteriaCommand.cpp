// `korvanes criteria show FILE.cri` and `korvanes criteria write FILE.cri`.

#include <iostream>
#include <memory>
#include <string>

#include "Commands.h"
#include "criteria/CriteriaFile.h"
#include "text/TextEncoding.h"

namespace korvanes::cli {
namespace {

std::string Number(double value) { return StringPrintf("%.15g", value); }
std::string Number(int value) { return StringPrintf("%d", value); }

// One row per threshold, labelled as in the criteria dialog, class A and
// class B side by side.
void PrintCriteria(const std::string& path, const CCriteriaSet& c)
{
    struct Row {
        const char* label;
        std::string a;
        std::string b;
    };
    const ClassThresholds& a = c.classA;
    const ClassThresholds& b = c.classB;
    const Row rows[] = {
        {"Number of points (N) >=", Number(a.minN), Number(b.minN)},
        {"Standard deviation (Std) >=", Number(a.maxSlopeRelStd), Number(b.maxSlopeRelStd)},
        {"Fraction of NRM (f) >=", Number(a.minF), Number(b.minF)},
        {"Quality factor (q) >=", Number(a.minQ), Number(b.minQ)},
        {"MAD (anchored) <=", Number(a.maxMad), Number(b.maxMad)},
        {"MAD' (not-anchored) <=", Number(a.maxMadFree), Number(b.maxMadFree)},
        {"Alpha <=", Number(a.maxAlpha), Number(b.maxAlpha)},
        {"Relative check error: d(CK) <=", Number(a.maxCkError), Number(b.maxCkError)},
        {"Cumulative check diff: d(pal) <=", Number(a.maxCkDiff), Number(b.maxCkDiff)},
        {"Difference ratio (Drat) <=", Number(a.maxDrat), Number(b.maxDrat)},
        {"Normalized tail of pTRM: d(t*) <=", Number(a.maxTailStar), Number(b.maxTailStar)},
        {"Relative intensity diff <=", Number(a.maxIntensityDiff), Number(b.maxIntensityDiff)},
        {"Relative AC error: d(AC) <=", Number(a.maxAc), Number(b.maxAc)},
    };
    std::cout << "Criteria file: " << Printable(path) << '\n';
    std::cout << StringPrintf("%-36s%10s%10s\n", "", "class A", "class B");
    for (const Row& row : rows) {
        std::cout << StringPrintf("%-36s%10s%10s\n", row.label, row.a.c_str(), row.b.c_str());
    }
    std::cout << '\n'
              << "Automatic search maximises: " << (c.maximizeQ != 0 ? "q" : "w") << '\n'
              << "Enable as option for automatic calculation (MT4 check correction): "
              << (c.allowMt4CheckCorrection != 0 ? "yes" : "no") << '\n'
              << "Arai diagram: "
              << (c.equalAraiScales != 0 ? "normalize both axes equally" : "normalize both axes separately") << '\n';
}

struct WriteArguments {
    std::string path;
    bool startup = false;
    bool defaults = false;
};

}  // namespace

void RegisterCriteriaCommand(CLI::App& app, int& status)
{
    auto* cmd = app.add_subcommand("criteria", "Show or write a criteria file (.cri)");
    cmd->require_subcommand(1);

    auto* show = cmd->add_subcommand("show", "Print the class A and class B criteria and the options of a file");
    auto showPath = std::make_shared<std::string>();
    show->add_option("FILE", *showPath, "Criteria file (.cri)")->required();
    show->callback([showPath, &status]() {
        const CriteriaFileResult read = ReadCriteria(*showPath, TagCheck::kCheck);
        if (!read.ok()) {
            // Only "No Criteria File!" lacks the path; the other messages name it.
            std::cerr << "korvanes criteria show: "
                      << (read.status == CriteriaFileStatus::kWrongTag ? Printable(*showPath) + ": " : std::string())
                      << Printable(read.message) << '\n';
            status = kExitUnreadable;
            return;
        }
        PrintCriteria(*showPath, read.criteria);
        status = kExitOk;
    });

    auto* write = cmd->add_subcommand("write", "Write the built-in criteria to a file");
    auto args = std::make_shared<WriteArguments>();
    write->add_option("FILE", args->path, "Criteria file (.cri) to create or replace")->required();
    auto* startup = write->add_flag("--startup", args->startup,
                                    "The values a freshly started program uses (the default)");
    auto* defaults = write->add_flag("--defaults", args->defaults, "The values of the dialog's Default button");
    startup->excludes(defaults);
    write->callback([args, &status]() {
        const CCriteriaSet set = args->defaults ? DefaultCriteria() : StartupCriteria();
        const CriteriaWriteStatus written = WriteCriteria(args->path, set);
        if (!written.ok) {
            std::cerr << "korvanes criteria write: " << Printable(written.message) << '\n';
            status = kExitUnreadable;
            return;
        }
        std::cout << "Wrote the " << (args->defaults ? "default" : "start-up") << " criteria to " << Printable(args->path)
                  << '\n';
        status = kExitOk;
    });
}

}  // namespace korvanes::cli
