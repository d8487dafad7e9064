#include "MagicInput.h"

#include <map>

#include "DocumentText.h"
#include "magic/MagicFiles.h"
#include "text/TextEncoding.h"

namespace korvanes::cli {

void AddMagicInputOptions(CLI::App& cmd, MagicInputOptions& options, bool withSpecimen)
{
    if (withSpecimen) {
        cmd.add_option("--specimen", options.specimen,
                       "For a MagIC measurements file: the specimen to analyse (needed when it holds several)");
    }
    cmd.add_option("--samples", options.samples,
                   "For MagIC measurements: a samples table (or a contribution holding one) giving the orientation");
    cmd.add_option("--sites", options.sites,
                   "For MagIC measurements: a sites table giving the bedding that the samples table lacks");
}

void PrintImportSummary(std::ostream& out, const std::string& file, const magic::MagicImport& imported)
{
    using magic::BeddingSource;
    using magic::OrientationSource;
    out << "MagIC measurements: " << Printable(file) << " (table \"" << Printable(imported.tableName) << "\", data model "
        << (imported.tableName == "measurements" ? "3" : "2.5") << ")\n"
        << "Records read: " << imported.recordsRead << '\n'
        << "Records used: " << imported.recordsUsed << '\n'
        << "Records dropped: " << imported.recordsRead - imported.recordsUsed << '\n';
    for (const magic::ReasonCount& r : imported.dropped) {
        out << "  " << Printable(r.reason) << ": " << r.records << '\n';
    }
    out << "Specimens imported: " << imported.specimens.size() << '\n'
        << "Specimens not written: " << imported.problems.size() << '\n';
    for (const magic::ImportMessage& p : imported.problems) {
        out << "  " << ProblemText(file, p) << '\n';
    }
    if (imported.specimens.empty()) {
        return;
    }

    std::size_t byMoment = 0;
    std::size_t oriented = 0;
    std::size_t samplesGiven = 0;
    std::map<std::string, std::size_t> methods;
    std::size_t bedding[3] = {0, 0, 0};  // none, sample, site
    for (const magic::ImportedSpecimen& s : imported.specimens) {
        byMoment += s.fromMagneticMoment ? 1 : 0;
        samplesGiven += s.orientation.source == OrientationSource::kSample || !s.orientation.problem.empty() ? 1 : 0;
        if (s.orientation.source == OrientationSource::kSample) {
            ++oriented;
            ++methods[s.orientation.method.empty() ? "no method code" : s.orientation.method];
            ++bedding[static_cast<int>(s.orientation.bedding)];
        }
    }
    out << "Moments: " << imported.specimens.size() - byMoment << " specimens from magn_volume x 1000, " << byMoment
        << " from magn_moment x 1e8 (the mA/m of a nominal 10 cm³ specimen)\n";
    if (samplesGiven == 0) {
        out << "Orientation: none (no --samples): the headers hold zeros, so only core coordinates are meaningful\n";
    } else {
        out << "Orientation: " << oriented << " of " << imported.specimens.size()
            << " specimens from the samples table";
        std::string list;
        for (const auto& [method, count] : methods) {
            list += (list.empty() ? "" : ", ") + method + StringPrintf(" %zu", count);
        }
        out << (list.empty() ? "" : " (" + list + ")") << "; the others hold zeros (core coordinates only)\n"
            << "Bedding: " << bedding[static_cast<int>(BeddingSource::kSample)] << " from samples, "
            << bedding[static_cast<int>(BeddingSource::kSite)] << " from sites, "
            << bedding[static_cast<int>(BeddingSource::kNone)]
            << " without (their bedding coordinates equal the geographic ones)\n";
    }
    bool heading = false;
    for (const magic::ImportedSpecimen& s : imported.specimens) {
        std::vector<std::string> notes = s.notes;
        if (!s.orientation.problem.empty()) {
            notes.push_back("no orientation: " + s.orientation.problem);
        }
        for (const std::string& note : notes) {
            if (!heading) {
                out << "Notes:\n";
                heading = true;
            }
            out << "  "
                << Printable(file + StringPrintf(":%d: specimen '", s.firstLine) + s.magicName + "': " + note)
                << '\n';
        }
    }
}

}  // namespace korvanes::cli
