// `korvanes plot`: draws one diagram or the all-plots page of a data file
// into a picture file (EMF, SVG, PNG or PDF, chosen by the extension).
//
// The pictures are drawn with Qt, which takes a while to load. So that the
// other commands start at once, `korvanes` itself has no Qt in it: its plot
// command checks the command line and then runs the program
// `korvanes-plot` in its place, built from this same file with Qt
// (KORVANES_WITH_QT), which does the drawing. korvanes-plot lives beside
// korvanes in the build and in libexec once installed.

#include <algorithm>
#include <array>
#include <iostream>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "AnalysisOptions.h"
#include "Commands.h"
#include "plots/PaintSequence.h"
#include "plots/PlotTypeNames.h"
#include "text/TextEncoding.h"

#ifdef KORVANES_WITH_QT
#include <QGuiApplication>

#include "PictureExport.h"
#include "StudyInput.h"
#include "plots/SiteDiagram.h"
#else
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#endif

namespace korvanes::cli {
namespace {

#ifdef KORVANES_WITH_QT
// How many sites the study's specimens lie in.
std::size_t SiteNamesOf(const Study& study)
{
    std::vector<std::string> sites;
    for (const StudySpecimen& s : study.specimens) {
        sites.push_back(s.site);
    }
    std::sort(sites.begin(), sites.end());
    return static_cast<std::size_t>(std::unique(sites.begin(), sites.end()) - sites.begin());
}

// "WxH" with whole numbers of 1 to 5 digits; nothing when malformed.
std::optional<std::pair<int, int>> ParseSize(const std::string& text)
{
    static const std::regex kSize("([0-9]{1,5})[xX]([0-9]{1,5})");
    std::smatch match;
    if (!std::regex_match(text, match, kSize)) {
        return std::nullopt;
    }
    return std::make_pair(std::stoi(match[1].str()), std::stoi(match[2].str()));
}
#endif

struct PlotArguments {
    std::vector<std::string> argv;  // the whole command line, for korvanes-plot
    std::string file;
    std::string type;
    std::string out;
    std::string size;
    CliAnalysisOptions analysis;
};

#ifdef KORVANES_WITH_QT
// The fonts need a QGuiApplication; the plot command makes one for its run
// (none when the process already has one). Without a display the offscreen
// platform serves, unless the caller chose a platform.
std::unique_ptr<QGuiApplication> MakeGuiApplication()
{
    if (QGuiApplication::instance() != nullptr) {
        return nullptr;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // QGuiApplication keeps references to both for its lifetime.
    static int argc = 1;
    static char name[] = "korvanes";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}
#endif

int RunPlot(const PlotArguments& args)
{
    // The site diagram is drawn from a whole study, not from one document.
    const bool site = args.type == "site";
    const std::optional<PlotType> type = PlotTypeNamed(args.type);
    if (!site && !type) {
        std::cerr << "korvanes plot: unknown plot type '" << Printable(args.type)
                  << "' (use arai, zijderveld, decay, additional, all, rangemap or site)\n";
        return kExitUsage;
    }
#ifdef KORVANES_WITH_QT
    const std::optional<PictureFormat> format = PictureFormatFromPath(args.out);
    if (!format) {
        std::cerr << "korvanes plot: unknown picture type of '" << Printable(args.out)
                  << "' (use the extension .emf, .svg, .png or .pdf)\n";
        return kExitUsage;
    }
    CCriteriaSet criteria;
    std::string error;
    if (!LoadCliCriteria(args.analysis, criteria, error)) {
        std::cerr << "korvanes plot: " << Printable(error) << '\n';
        return kExitUnreadable;
    }
    std::optional<Study> study;
    if (site) {
        StudyInputs inputs;
        inputs.inputs.push_back(args.file);
        study = OpenStudyInputs(inputs, criteria, "korvanes plot: ");
        if (!study) {
            return kExitUnreadable;
        }
    }
    const ClientSize defaultSize =
        study ? DefaultSiteDiagramSize(SiteNamesOf(*study)) : DefaultPictureSize(*type);
    PictureSize size{defaultSize.width, defaultSize.height};
    if (!args.size.empty()) {
        const auto parsed = ParseSize(args.size);
        if (!parsed || parsed->first < 1 || parsed->second < 1 || parsed->first > kMaxPictureSide ||
            parsed->second > kMaxPictureSide) {
            std::cerr << "korvanes plot: malformed size '" << Printable(args.size) << "' (use WIDTHxHEIGHT, 1 to "
                      << kMaxPictureSide << " pixels each, for example 800x600)\n";
            return kExitUsage;
        }
        size = PictureSize{parsed->first, parsed->second};
    }

    if (study) {
        const SiteMeanSettings settings;
        const std::vector<SpecimenEstimate> estimates = EstimatesOfStudy(*study, settings);
        const SiteSummary summary = SummariseSites(estimates, settings, study->magicPlaces);
        const std::unique_ptr<QGuiApplication> application = MakeGuiApplication();
        const PicturePainter paint = [&](DrawingSurface& surface, ClientSize client) {
            PaintSiteDiagram(surface, summary, estimates, client);
        };
        if (!ExportPicture(paint, *format, args.out, size, error)) {
            std::cerr << "korvanes plot: " << Printable(error) << '\n';
            return kExitUnreadable;
        }
        return kExitOk;
    }
    CKorvanesToolDoc doc(criteria);
    const OpenStatus status = doc.Open(args.file);
    if (!status.readable) {
        std::cerr << "korvanes plot: " << Printable(status.error) << '\n';
        return kExitUnreadable;
    }
    ApplyAnalysisOptions(args.analysis, criteria, doc);
    doc.m_options.m_plotType = *type;

    const std::unique_ptr<QGuiApplication> application = MakeGuiApplication();
    if (!ExportPicture(doc, *format, args.out, size, error)) {
        std::cerr << "korvanes plot: " << Printable(error) << '\n';
        return kExitUnreadable;
    }
    return kExitOk;
#elif defined(KORVANES_PLOT_HELPER_DIR)
    // Where korvanes-plot is: beside this program (the build), or in the
    // installed program folder (libexec) relative to this one's.
    std::error_code ignored;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ignored).parent_path();
    std::filesystem::path helper = self / "korvanes-plot";
    if (!std::filesystem::exists(helper, ignored)) {
        helper = (self / KORVANES_PLOT_HELPER_DIR / "korvanes-plot").lexically_normal();
    }
    const std::string helperPath = helper.string();
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(helperPath.c_str()));
    for (std::size_t k = 1; k < args.argv.size(); ++k) {
        argv.push_back(const_cast<char*>(args.argv[k].c_str()));
    }
    argv.push_back(nullptr);
    std::cout.flush();
    ::execv(helperPath.c_str(), argv.data());
    std::cerr << "korvanes plot: cannot start the picture export " << Printable(helperPath) << ": " << std::strerror(errno)
              << '\n';
    return kExitUnreadable;
#else
    std::cerr << "korvanes plot: this build has no picture export (built without Qt)\n";
    return kExitUsage;
#endif
}

}  // namespace

void RegisterPlotCommand(CLI::App& app, int& status, int argc, const char* const* argv)
{
    auto* cmd = app.add_subcommand("plot", "Draw a diagram of a specimen data file into a picture file");
    auto args = std::make_shared<PlotArguments>();
    args->argv.assign(argv, argv + argc);
    cmd->add_option("FILE", args->file,
                    "Specimen data file (.kvd); for --type site a folder of them, a MagIC file or a study file "
                    "(.json)")
        ->required();
    cmd->add_option("--type", args->type, "Diagram: arai, zijderveld, decay, additional, all, rangemap or site")
        ->required();
    cmd->add_option("--out", args->out, "Picture file; its extension (.emf, .svg, .png, .pdf) chooses the format")
        ->required();
    cmd->add_option("--size", args->size,
                    "Picture size WIDTHxHEIGHT in pixels (default: 520x420, 540x540 for zijderveld, 760x760 for all, "
                    "520x520 for rangemap, 90 pixels a site for site)");
    AddAnalysisOptions(*cmd, args->analysis);
    cmd->callback([args, &status]() { status = RunPlot(*args); });
}

}  // namespace korvanes::cli
