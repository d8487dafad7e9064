// `korvanes sites`: from specimens to sites. Analyses a folder, data files
// or a MagIC file (or takes the interpretations kept in a study file) and
// prints each site's mean, spread, acceptance and virtual dipole moment;
// writes MagIC samples and sites tables on request.

#include <cmath>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "AnalysisOptions.h"
#include "Commands.h"
#include "DocumentJson.h"
#include "MagicInput.h"
#include "StudyInput.h"
#include "io/FileReplace.h"
#include "results/Batch.h"
#include "study/SiteTables.h"
#include "study/SitesFile.h"
#include "study/StudyFile.h"
#include "study/StudyOpen.h"
#include "text/TextEncoding.h"

namespace korvanes::cli {
namespace {

namespace fs = std::filesystem;
using report::Json;
using report::JsonNumber;

struct SitesArguments {
    std::vector<std::string> inputs;
    std::string study;
    std::string sitesTable;
    std::string newSitesTable;
    bool json = false;
    std::string magicSamples;
    std::string magicSites;
    std::string criteria;
    std::string criteriaSet;
    std::string classes = "AB";
    bool fromSamples = false;
    int minN = 3;
    std::string maxSd = "5";
    std::string maxSdPercent = "15";
    MagicInputOptions magic;
};

constexpr const char* kName = "korvanes sites: ";

// A limit option: a number, or "off".
bool ParseLimit(const std::string& text, const char* option, std::optional<double>& limit)
{
    if (text == "off") {
        limit.reset();
        return true;
    }
    const std::optional<double> value = magic::ParseNumber(text);
    if (!value || *value < 0.0) {
        std::cerr << kName << option << ": '" << Printable(text) << "' is no limit (a number of at least 0, or off)\n";
        return false;
    }
    limit = value;
    return true;
}

std::vector<std::string> SiteNames(const Study& study)
{
    std::vector<std::string> names;
    for (const StudySpecimen& s : study.specimens) {
        names.push_back(s.site);
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

Json Optional(const std::optional<double>& value) { return value ? Json(JsonNumber(*value)) : Json(nullptr); }

Json SummaryJson(const Study& study, const SiteSummary& summary, const std::string& sitesTable)
{
    const SiteMeanSettings& s = summary.settings;
    Json settings{{"counted", s.criteriaSet ? "criteria set " + s.criteriaSet->name : "classes " + s.classes},
                  {"siteMeanFrom", s.fromSampleMeans ? "samples" : "specimens"},
                  {"minN", s.minN},
                  {"maxSd", Optional(s.maxSd)},
                  {"maxSdPercent", Optional(s.maxSdPercent)},
                  {"sitesTable", sitesTable.empty() ? Json(nullptr) : Json(sitesTable)}};
    Json sites = Json::array();
    for (const SiteMean& site : summary.sites) {
        const MeanAndSpread& m = site.intensity;
        Json entry{{"site", ToUtf8(site.site)},
                   {"n", m.n},
                   {"nSamples", site.nSamples},
                   {"mean", m.n > 0 ? Json(JsonNumber(m.mean)) : Json(nullptr)},
                   {"sd", Optional(m.sd)},
                   {"sdPercent", Optional(m.sdPercent)},
                   {"standardError", Optional(m.standardError)},
                   {"accepted", site.accepted},
                   {"reasons", site.reasons},
                   {"lat", Optional(site.location.lat)},
                   {"lon", Optional(site.location.lon)}};
        if (site.vadm) {
            entry["vadm"] = JsonNumber(*site.vadm);
            entry["vadmSigma"] = Optional(site.vadmSigma);
        }
        if (site.vdm) {
            entry["inc"] = Optional(site.location.inc);
            entry["vdm"] = JsonNumber(*site.vdm);
            entry["vdmSigma"] = Optional(site.vdmSigma);
        }
        Json samples = Json::array();
        Json specimens = Json::array();
        for (const SampleMean& sample : site.samples) {
            Json names = Json::array();
            for (const SpecimenVerdict& v : sample.specimens) {
                const StudySpecimen& sp = study.specimens.at(v.index);
                const CSpecimenResult& r = sp.doc.m_result;
                const bool hasResult = !sp.doc.m_measurements.empty() && r.paleointensity != 0.0;
                names.push_back(ToUtf8(sp.name));
                Json one{{"name", ToUtf8(sp.name)},
                         {"sample", ToUtf8(sample.sample)},
                         {"paleointensity", hasResult ? Json(JsonNumber(r.paleointensity)) : Json(nullptr)},
                         {"sigma", hasResult ? Json(JsonNumber(r.stdDev)) : Json(nullptr)},
                         {"class", hasResult ? Json(r.resultClass) : Json(nullptr)},
                         {"counted", v.counted}};
                if (!v.counted) {
                    one["why"] = ToUtf8(v.whyNot);
                }
                specimens.push_back(std::move(one));
            }
            const MeanAndSpread& sm = sample.intensity;
            samples.push_back(Json{{"sample", ToUtf8(sample.sample)},
                                   {"n", sm.n},
                                   {"mean", sm.n > 0 ? Json(JsonNumber(sm.mean)) : Json(nullptr)},
                                   {"sd", Optional(sm.sd)},
                                   {"specimens", std::move(names)}});
        }
        entry["samples"] = std::move(samples);
        entry["specimens"] = std::move(specimens);
        sites.push_back(std::move(entry));
    }
    return Json{{"settings", std::move(settings)}, {"sites", std::move(sites)}};
}

// `text` padded with blanks to `width` characters (UTF-8 counted by
// character), on the left unless `left`.
std::string Pad(const std::string& text, std::size_t width, bool left = false)
{
    std::size_t characters = 0;
    for (const char c : text) {
        characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    const std::string blanks(width > characters ? width - characters : 0, ' ');
    return left ? text + blanks : blanks + text;
}

std::string Cell(const std::optional<double>& value, const char* format)
{
    return value ? StringPrintf(format, *value) : std::string("-");
}

void PrintSummary(const Study& study, const SiteSummary& summary, const std::string& sitesTable)
{
    const SiteMeanSettings& s = summary.settings;
    std::size_t accepted = 0;
    std::size_t counted = 0;
    for (const SiteMean& site : summary.sites) {
        accepted += site.accepted ? 1 : 0;
        counted += static_cast<std::size_t>(site.nSpecimens);
    }
    std::string limits;
    if (s.maxSd) {
        limits = StringPrintf("σ ≤ %g µT", *s.maxSd);
    }
    if (s.maxSdPercent) {
        limits += (limits.empty() ? "σ ≤ " : " or ≤ ") + StringPrintf("%g %%", *s.maxSdPercent);
    }
    std::cout << "Sites: " << summary.sites.size() << " (" << accepted << " accepted); specimens: "
              << study.specimens.size() << " (" << counted << " counted: "
              << (s.criteriaSet ? "passing " + Printable(s.criteriaSet->name) : "classes " + Printable(s.classes))
              << ")\n"
              << "Site mean from " << (s.fromSampleMeans ? "sample means" : "specimens") << "; accepted with N ≥ "
              << s.minN << (limits.empty() ? "" : " and " + limits) << '\n'
              << "Sites table: " << (sitesTable.empty() ? "none" : Printable(sitesTable)) << "\n\n";
    const auto row = [](const std::string& site, const std::string& n, const std::string& mean, const std::string& percent,
                        const std::string& se, const std::string& lat, const std::string& vadm, const std::string& verdict) {
        std::cout << Pad(site, 14, true) << ' ' << Pad(n, 3) << ' ' << Pad(mean, 16) << ' ' << Pad(percent, 6) << ' '
                  << Pad(se, 6) << ' ' << Pad(lat, 8) << ' ' << Pad(vadm, 14) << "  " << verdict << '\n';
    };
    row("site", "N", "mean ± σ (µT)", "σ %", "SE", "lat", "VADM (ZAm²)", "accepted");
    for (const SiteMean& site : summary.sites) {
        const MeanAndSpread& m = site.intensity;
        const std::string mean = m.n == 0 ? "-" : StringPrintf("%.2f", m.mean) + (m.sd ? StringPrintf(" ± %.2f", *m.sd) : "");
        const std::string vadm = site.vadm ? StringPrintf("%.2f", *site.vadm * 1e-21) +
                                                 (site.vadmSigma ? StringPrintf(" ± %.2f", *site.vadmSigma * 1e-21) : "")
                                           : "-";
        std::string verdict = site.accepted ? "yes" : "no";
        for (std::size_t i = 0; i < site.reasons.size(); ++i) {
            verdict += (i == 0 ? ": " : "; ") + site.reasons[i];
        }
        row(Printable(site.site), std::to_string(m.n), mean, Cell(m.sdPercent, "%.1f"), Cell(m.standardError, "%.2f"),
            Cell(site.location.lat, "%.3f"), vadm, verdict);
        if (site.vdm) {
            std::cout << "    VDM (inclination " << StringPrintf("%.1f", *site.location.inc) << "°): "
                      << StringPrintf("%.2f", *site.vdm * 1e-21)
                      << (site.vdmSigma ? StringPrintf(" ± %.2f", *site.vdmSigma * 1e-21) : "") << " ZAm²\n";
        }
        std::string left;
        for (const SampleMean& sample : site.samples) {
            for (const SpecimenVerdict& v : sample.specimens) {
                if (!v.counted) {
                    left += (left.empty() ? "" : ", ") + Printable(study.specimens.at(v.index).name) + " (" +
                            v.whyNot + ")";
                }
            }
        }
        if (!left.empty()) {
            std::cout << "    not counted: " << left << '\n';
        }
    }
}

bool WriteTable(const std::string& path, const std::string& text)
{
    if (const auto failure = ReplaceFileContents(path, text)) {
        std::cerr << kName << "cannot write '" << Printable(path) << "': " << Printable(*failure) << '\n';
        return false;
    }
    return true;
}

int RunSites(const SitesArguments& args)
{
    SiteMeanSettings settings;
    settings.classes = args.classes;
    settings.fromSampleMeans = args.fromSamples;
    settings.minN = args.minN;
    if (!ParseLimit(args.maxSd, "--max-sd", settings.maxSd) ||
        !ParseLimit(args.maxSdPercent, "--max-sd-percent", settings.maxSdPercent)) {
        return kExitUsage;
    }
    if (!args.criteriaSet.empty()) {
        CriteriaSetRead read = LoadStatisticCriteria(args.criteriaSet);
        if (!read.set) {
            std::cerr << kName << "--criteria-set: " << Printable(read.error) << '\n';
            return kExitUnreadable;
        }
        settings.criteriaSet = std::move(read.set);
    }
    CliAnalysisOptions options;
    options.criteriaPath = args.criteria;
    CCriteriaSet criteria;
    std::string error;
    if (!LoadCliCriteria(options, criteria, error)) {
        std::cerr << kName << Printable(error) << '\n';
        return kExitUnreadable;
    }
    std::optional<Study> study = OpenStudyInputs({args.inputs, args.study, args.magic}, criteria, kName);
    if (!study) {
        return kExitUnreadable;
    }
    for (const StudySpecimen& s : study->specimens) {
        if (s.state != DataState::kOk) {
            std::cerr << kName << Printable(s.file) << ": " << Printable(s.problem) << '\n';
        }
    }

    if (!args.newSitesTable.empty()) {
        const std::string failure = CreateSitesFile(args.newSitesTable, SiteNames(*study));
        if (!failure.empty()) {
            std::cerr << kName << Printable(failure) << '\n';
            return kExitUnreadable;
        }
        std::cerr << "Sites table written with empty cells: " << Printable(args.newSitesTable) << '\n';
    }
    std::string sitesTable = args.sitesTable;
    if (sitesTable.empty()) {
        const fs::path beside = fs::path(study->folder) / kSitesFileName;
        std::error_code ignored;
        if (fs::exists(beside, ignored)) {
            sitesTable = beside.string();
        }
    }
    SiteLocations fromFile;
    if (!sitesTable.empty()) {
        SitesFileRead read = ReadSitesFile(sitesTable);
        if (!read.ok()) {
            for (const std::string& e : read.errors) {
                std::cerr << kName << Printable(e) << '\n';
            }
            return kExitUnreadable;
        }
        fromFile = std::move(read.sites);
    }

    const SiteSummary summary = SummariseStudy(*study, settings, fromFile);
    if (args.json) {
        std::cout << SummaryJson(*study, summary, sitesTable).dump(2, ' ', false, Json::error_handler_t::replace)
                  << '\n';
    } else {
        PrintSummary(*study, summary, sitesTable);
    }
    bool written = true;
    if (!args.magicSamples.empty()) {
        written &= WriteTable(args.magicSamples,
                              MagicTableText("samples", SampleTableColumns(), SampleRows(*study, summary)));
    }
    if (!args.magicSites.empty()) {
        written &= WriteTable(args.magicSites, MagicTableText("sites", SiteTableColumns(), SiteRows(*study, summary)));
    }
    return written ? kExitOk : kExitUnreadable;
}

}  // namespace

void RegisterSitesCommand(CLI::App& app, int& status)
{
    auto* cmd = app.add_subcommand("sites", "Sample and site means of a study, their acceptance and virtual dipole "
                                            "moments; MagIC samples and sites tables");
    auto args = std::make_shared<SitesArguments>();
    cmd->add_option("INPUTS", args->inputs,
                    "Data files (.kvd), folders of them, one MagIC measurements file, or a study file (.json)");
    cmd->add_option("--study", args->study,
                    "A study file: its specimens with the interpretations kept in it (data files given too are "
                    "added)");
    cmd->add_option("--sites-table", args->sitesTable,
                    std::string("Sites table (site, lat, lon, age, inc); default: ") + kSitesFileName +
                        " in the study's folder when there is one");
    cmd->add_option("--new-sites-table", args->newSitesTable,
                    "Create a sites table with a line for each site of the study and empty cells (never replaces a "
                    "file)");
    cmd->add_flag("--json", args->json, "Print the summary as JSON");
    cmd->add_option("--magic-samples", args->magicSamples, "Write the sample means as a MagIC samples table");
    cmd->add_option("--magic-sites", args->magicSites, "Write the site means as a MagIC sites table");
    cmd->add_option("--criteria", args->criteria, "Criteria file that grades the specimens (class A, B, C)");
    cmd->add_option("--criteria-set", args->criteriaSet,
                    "Count the specimens that pass this criteria set (CCRIT, PICRIT03, SELCRIT2 or a set file) "
                    "instead of those of --classes");
    cmd->add_option("--classes", args->classes, "The classes that count")->capture_default_str();
    cmd->add_flag("--from-sample-means", args->fromSamples, "Site means from the sample means instead of the specimens");
    cmd->add_option("--min-n", args->minN, "Accepted sites have at least this many")
        ->check(CLI::Range(1, 1000000))
        ->capture_default_str();
    cmd->add_option("--max-sd", args->maxSd, "Accepted sites have σ at most this (µT), or off")->capture_default_str();
    cmd->add_option("--max-sd-percent", args->maxSdPercent,
                    "... or σ at most this per cent of the mean, or off (a site passes by either limit)")
        ->capture_default_str();
    AddMagicInputOptions(*cmd, args->magic, false);
    cmd->callback([args, &status]() { status = RunSites(*args); });
}

}  // namespace korvanes::cli
