#include "magic/MagicSpecimens.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "io/FileRead.h"
#include "io/FileReplace.h"
#include "magic/MagicImport.h"
#include "magic/MagicOrigin.h"
#include "magic/MagicTable.h"
#include "ProgramVersion.h"
#include "results/QualityText.h"
#include "text/OutputNumbers.h"
#include "text/TextEncoding.h"

namespace korvanes::magic {
namespace {

constexpr double kTeslaPerMicrotesla = 1e-6;

std::string Number(double value) { return StringPrintf("%.8g", FiniteOrZero(value)); }

std::string Integer(long long value) { return StringPrintf("%lld", value); }

// A step's temperature as MagIC records it: kelvin, with the unheated NRM
// step (room temperature) at 273 K, as the import reads it.
std::string StepKelvin(int celsius)
{
    return Integer(celsius <= kRoomTemperature ? kKelvinOffset : static_cast<long long>(celsius) + kKelvinOffset);
}

// -1 core, 0 geographic, 100 tilt-corrected: the coordinates the direction
// is really in.
int TiltCorrection(const CKorvanesToolDoc& doc, const std::optional<MagicOrigin>& origin)
{
    const int chosen = doc.m_options.m_coordinates;
    if (chosen != kGeographic && chosen != kBedding) {
        return -1;
    }
    if (origin && origin->orientation == OrientationSource::kNone) {
        return -1;  // no orientation: the rotation left the core direction as it was
    }
    if (chosen == kBedding && !(origin && origin->bedding == BeddingSource::kNone)) {
        return 100;
    }
    return 0;  // geographic, or bedding without a known bed (flat: no tilt correction)
}

std::string MethodCodes(const CKorvanesToolDoc& doc, const std::optional<MagicOrigin>& origin)
{
    std::string codes;
    if (origin && !origin->methodCodes.empty()) {
        codes = origin->methodCodes;
    } else {
        codes = "LP-PI-TRM";
        auto has = [&doc](int type) {
            return std::any_of(doc.m_steps.begin(), doc.m_steps.end(),
                               [type](const CStepVector& s) { return s.stepType == type; });
        };
        if (has(kPtrmCheck)) {
            codes += ":LP-PI-ALT-PTRM";
        }
        if (has(kTailCheck)) {
            codes += ":LP-PI-BT-MD";
        }
    }
    return codes + ":" + std::string(kInterpretationCode);
}

std::string ListItem(std::string_view text)
{
    std::string item(text);
    std::replace_if(
        item.begin(), item.end(), [](char c) { return c == ':' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F; },
        '_');
    return item;
}

bool IsBlankText(std::string_view bytes) { return bytes.find_first_not_of(" \t\r\n") == std::string_view::npos; }

struct ExistingFile {
    bool exists = false;
    std::string bytes;
    std::optional<std::string> refusal;
};

ExistingFile ReadExisting(const std::string& path)
{
    ExistingFile file;
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        return file;
    }
    file.exists = true;
    const FileBytes read = ReadFileBytes(path);
    if (!read.ok()) {
        file.refusal = read.error;
        return file;
    }
    file.bytes = read.bytes;
    if (IsBlankText(file.bytes)) {
        return file;  // empty: nothing to keep, it gets the head
    }
    const MagicText text = ParseMagicText(file.bytes);
    const auto& columns = SpecimenColumns();
    if (!text.ok()) {
        file.refusal = "'" + path + "' is no MagIC specimens table: " + text.error;
    } else if (text.tables.size() != 1 || text.tables.front().name != "specimens") {
        file.refusal = "'" + path + "' is not one MagIC specimens table (tables found: " + text.TableNames() + ")";
    } else if (!std::equal(columns.begin(), columns.end(), text.tables.front().columns.begin(),
                           text.tables.front().columns.end(),
                           [](const SpecimenColumn& c, const std::string& name) { return c.name == name; })) {
        file.refusal = "'" + path +
                       "' is a specimens table with other columns than those written here; rows are "
                       "only appended to a table with the same columns";
    }
    return file;
}

}  // namespace

const std::vector<SpecimenColumn>& SpecimenColumns()
{
    static const std::vector<SpecimenColumn> kColumns = {
        {"specimen", ""},
        {"int_abs", "T"},
        {"int_abs_sigma", "T"},
        {"int_n_measurements", ""},
        {"meas_step_min", "Custom"},
        {"meas_step_max", "Custom"},
        {"meas_step_unit", ""},
        {"int_b", "Dimensionless"},
        {"int_b_sigma", "Dimensionless"},
        {"int_f", "Dimensionless"},
        {"int_g", "Dimensionless"},
        {"int_q", "Dimensionless"},
        {"int_w", "Dimensionless"},
        {"int_mad_anc", "Degrees"},
        {"int_mad_free", "Degrees"},
        {"int_alpha", "Degrees"},
        {"int_dck", "%"},
        {"int_dpal", "%"},
        {"int_drat", "%"},
        {"int_dtr", "%"},
        {"int_dt", "Dimensionless"},
        {"int_dac", "%"},
        {"dir_dec", "Degrees"},
        {"dir_inc", "Degrees"},
        {"dir_tilt_correction", "%"},
        {"method_codes", ""},
        {"result_quality", "Flag"},
        {"criteria", ""},
        {"software_packages", ""},
    };
    return kColumns;
}

std::optional<std::vector<std::string>> SpecimenRow(const CKorvanesToolDoc& doc, std::string_view criteriaName)
{
    const CSpecimenResult& r = doc.m_result;
    if (r.paleointensity == 0.0) {
        return std::nullopt;
    }
    const std::optional<MagicOrigin> origin = ParseOriginNote(doc.m_header.m_fileNote);
    const bool corrected = doc.m_options.m_checkCorrected != 0;
    // Checks that the statistics of the fitted range rest on: pTRM and
    // additivity checks below its upper end, tail checks up to it.
    auto anyChecked = [&r](const std::vector<CStepVector>& list, bool tail) {
        return std::any_of(list.begin(), list.end(), [&r, tail](const CStepVector& s) {
            return tail ? s.temperature <= r.tMax : s.stepTemperature < r.tMax;
        });
    };
    const bool ptrmChecks = !corrected && anyChecked(doc.m_ptrmCheckDiffs, false);
    const bool tailChecks = anyChecked(doc.m_tailCheckStats, true);
    const bool additivityChecks = anyChecked(doc.m_additivityResults, false);
    auto supported = [](bool checked, double value) { return checked ? Number(value) : std::string(); };

    return std::vector<std::string>{
        origin ? origin->specimen : ToUtf8(doc.m_header.m_specimenName),
        Number(r.paleointensity * kTeslaPerMicrotesla),
        Number(r.stdDev * kTeslaPerMicrotesla),
        Integer(r.n),
        StepKelvin(r.tMin),
        StepKelvin(r.tMax),
        "K",
        Number(r.slope),
        Number(r.slopeRelStd * std::fabs(r.slope)),
        Number(r.f),
        Number(r.g),
        IsInfiniteQuality(r.q) ? std::string() : Number(r.q),  // no number stands for infinity
        IsInfiniteQuality(r.w) ? std::string() : Number(r.w),
        Number(r.madAnchored),
        Number(r.madFree),
        Number(r.alpha),
        supported(ptrmChecks, r.ckError),
        supported(!corrected && !doc.m_ptrmCheckDiffs.empty(), r.ckDiff),
        supported(ptrmChecks, r.drat),
        supported(tailChecks, r.dTR),
        supported(tailChecks, r.dTStar / 100.0),
        supported(additivityChecks, r.dAC),
        Number(r.decAnchored),
        Number(r.incAnchored),
        Integer(TiltCorrection(doc, origin)),
        MethodCodes(doc, origin),
        r.resultClass.empty() || r.resultClass.front() == 'C' ? "b" : "g",
        ListItem(ToUtf8(criteriaName)),
        std::string("KorvanesTool ") + kVersion,
    };
}

std::string SpecimensTableHead()
{
    std::string head = "tab\tspecimens\n";
    for (const SpecimenColumn& c : SpecimenColumns()) {
        head.append(c.name).append(&c == &SpecimenColumns().back() ? "\n" : "\t");
    }
    return head;
}

std::string SpecimenLine(const std::vector<std::string>& cells)
{
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        line += (i == 0 ? "" : "\t") + cells[i];
    }
    return line + '\n';
}

std::optional<std::string> CheckSpecimensFile(const std::string& path) { return ReadExisting(path).refusal; }

std::optional<std::string> AppendSpecimenLines(const std::string& path, const std::vector<std::string>& lines)
{
    const ExistingFile existing = ReadExisting(path);
    if (existing.refusal) {
        return existing.refusal;
    }
    std::string bytes = existing.bytes;
    if (IsBlankText(bytes)) {
        bytes = SpecimensTableHead();
    } else if (bytes.back() != '\n') {
        bytes += '\n';
    }
    for (const std::string& line : lines) {
        bytes += line;
    }
    if (const std::optional<std::string> failure = ReplaceFileContents(path, bytes)) {
        return "cannot write '" + path + "': " + *failure;
    }
    return std::nullopt;
}

}  // namespace korvanes::magic
