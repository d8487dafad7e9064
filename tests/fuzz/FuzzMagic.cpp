// Any bytes as MagIC files: up to three texts separated by lines "@@@" — the
// measurements file (a table or a contribution with several tables), the
// samples file and the sites file; a lone contribution is also its own
// samples file, as `--samples` on the same file makes it. Through the import,
// the data-file reader and the analysis of the first specimens. Promises
// checked: every record is used or dropped for a counted reason; names are
// distinct; every imported data file is within the limits a file on disk
// meets and reads back without a warning and with every record; every
// result value of the analysis is finite; the texts the command line prints
// carry no control character.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "analysis/AnalysisRun.h"
#include "document/DataFileReader.h"
#include "magic/MagicFiles.h"
#include "magic/MagicSpecimens.h"
#include "text/TextEncoding.h"

namespace korvanes {
namespace {

// Analysing every specimen of a large input would make each input slow.
constexpr std::size_t kAnalysedSpecimens = 3;

std::vector<std::string_view> SplitInput(std::string_view bytes)
{
    std::vector<std::string_view> parts;
    constexpr std::string_view kSeparator = "\n@@@\n";
    while (parts.size() < 2) {
        const std::size_t at = bytes.find(kSeparator);
        if (at == std::string_view::npos) {
            break;
        }
        parts.push_back(bytes.substr(0, at + 1));
        bytes.remove_prefix(at + kSeparator.size());
    }
    parts.push_back(bytes);
    return parts;
}

bool HasControl(std::string_view text)
{
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            return true;
        }
    }
    return text.find("\xC2\x80") != std::string_view::npos || text.find("\xC2\x9B") != std::string_view::npos;
}

void RequirePrintable(const std::string& text) { fuzz::Require(!HasControl(Printable(text)), "printed texts hold no control character"); }

void Check(const magic::MagicImport& m)
{
    if (!m.ok()) {
        RequirePrintable(m.error);
        return;
    }
    std::size_t dropped = 0;
    for (const magic::ReasonCount& r : m.dropped) {
        dropped += r.records;
        RequirePrintable(r.reason);
    }
    fuzz::Require(m.recordsUsed + dropped == m.recordsRead, "every record is used or dropped for a counted reason");
    std::set<std::string> dataNames;
    std::set<std::string> fileNames;
    std::size_t records = 0;
    for (const magic::ImportedSpecimen& s : m.specimens) {
        fuzz::Require(dataNames.insert(s.names.dataFileName).second, "data-file names are distinct");
        fuzz::Require(fileNames.insert(s.names.fileName).second, "file names are distinct");
        fuzz::Require(m.ProblemOf(s.magicName) == nullptr, "a written specimen has no problem");
        records += s.records;
        for (const std::string& note : s.AllNotes()) {
            RequirePrintable(note);
        }
    }
    fuzz::Require(records == m.recordsUsed, "the records used are those of the written specimens");
    for (const magic::ImportMessage& p : m.problems) {
        RequirePrintable(p.text);
    }

    for (std::size_t i = 0; i < m.specimens.size() && i < kAnalysedSpecimens; ++i) {
        const magic::ImportedSpecimen& s = m.specimens[i];
        CKorvanesToolDoc doc;
        const OpenStatus status = magic::OpenImportedSpecimen(s, "fuzz.txt", doc);
        fuzz::Require(status.readable == (s.dataFile.size() <= kMaxDataFileBytes && doc.m_measurements.size() == s.records),
                      "an imported specimen opens as its written file would");
        if (!status.readable) {
            continue;
        }
        fuzz::Require(status.warnings.empty(), "an imported data file reads back without a warning");
        RunAnalysis(doc);
        const CSpecimenResult& r = doc.m_result;
        for (const double v : {r.stdDev, r.slope, r.w, r.q, r.g, r.f, r.paleointensity, r.dTStar, r.madAnchored}) {
            fuzz::Require(std::isfinite(v), "every result value is finite");
        }
        magic::SpecimenRow(doc, "fuzz.cri");
    }
}

}  // namespace
}  // namespace korvanes

extern "C" const char* __asan_default_options() { return "malloc_context_size=2"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace korvanes;
    const std::vector<std::string_view> parts =
        SplitInput(std::string_view(reinterpret_cast<const char*>(data), size));
    std::vector<magic::MagicText> texts;
    texts.reserve(parts.size());
    for (const std::string_view part : parts) {
        texts.push_back(magic::ParseMagicText(part));
        if (!texts.back().ok()) {
            RequirePrintable(texts.back().error);
            return 0;
        }
    }
    magic::MagicTexts in;
    in.measurements = &texts[0];
    in.measurementsName = "measurements.txt";
    if (texts.size() > 1) {
        in.samples = &texts[1];
        in.samplesName = "samples.txt";
    } else if (texts[0].Find({"samples", "er_samples"}) != nullptr) {
        in.samples = &texts[0];
        in.samplesName = "measurements.txt";
    }
    if (texts.size() > 2) {
        in.sites = &texts[2];
        in.sitesName = "sites.txt";
    }
    Check(magic::ImportMagicTexts(in));
    return 0;
}
