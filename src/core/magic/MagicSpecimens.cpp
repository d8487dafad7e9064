#include "magic/MagicSpecimens.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cmath>
#include <filesystem>

#include "analysis/StandardStatistics.h"
#include "io/FileRead.h"
#include "io/FileCreate.h"
#include "magic/MagicImport.h"
#include "magic/MagicOrigin.h"
#include "magic/MagicTable.h"
#include "ProgramVersion.h"
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
    std::vector<std::string> columns;  // of a table already in the file; empty for a new one
};

// The position of each of `names` among the columns written; false when one is none of them.
bool PositionsOf(const std::vector<std::string>& names, std::vector<std::size_t>& positions)
{
    const auto& columns = SpecimenColumns();
    positions.clear();
    for (const std::string& name : names) {
        const auto at =
            std::find_if(columns.begin(), columns.end(), [&name](const SpecimenColumn& c) { return c.name == name; });
        if (at == columns.end()) {
            return false;
        }
        positions.push_back(static_cast<std::size_t>(at - columns.begin()));
    }
    return true;
}

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
    std::vector<std::size_t> positions;
    if (!text.ok()) {
        file.refusal = "'" + path + "' is no MagIC specimens table: " + text.error;
    } else if (text.tables.size() != 1 || text.tables.front().name != "specimens") {
        file.refusal = "'" + path + "' is not one MagIC specimens table (tables found: " + text.TableNames() + ")";
    } else if (!PositionsOf(text.tables.front().columns, positions)) {
        // A table written earlier, with fewer of these columns, takes its own columns.
        file.refusal = "'" + path +
                       "' is a specimens table with columns that are not written here; rows are only "
                       "appended to a table whose columns are all among those written";
    } else {
        file.columns = text.tables.front().columns;
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
        {"int_b_beta", "Dimensionless"},
        {"int_frac", "Dimensionless"},
        {"int_gmax", "Dimensionless"},
        {"int_fvds", "Dimensionless"},
        {"int_scat", "Flag"},
        {"int_k", "Dimensionless"},
        {"int_k_sse", "Dimensionless"},
        {"int_k_prime", "Dimensionless"},
        {"int_k_prime_sse", "Dimensionless"},
        {"int_r2_corr", "Dimensionless"},
        {"int_r2_det", "Dimensionless"},
        {"int_z", "Dimensionless"},
        {"int_z_md", "Dimensionless"},
        {"int_dang", "Degrees"},
        {"int_theta", "Degrees"},
        {"int_gamma", "Degrees"},
        {"int_n_ptrm", ""},
        {"int_ptrm", "%"},
        {"int_maxdev", "%"},
        {"int_mdev", "%"},
        {"int_cdrat", "%"},
        {"int_drats", "%"},
        {"int_mdrat", "%"},
        {"int_n_ptrm_tail", ""},
        {"int_drat_tail", "%"},
        {"int_md", "%"},
        {"int_n_ac", ""},
        {"dir_dec", "Degrees"},
        {"dir_inc", "Degrees"},
        {"dir_tilt_correction", "%"},
        {"method_codes", ""},
        {"result_quality", "Flag"},
        {"criteria", ""},
        {"description", ""},
        {"software_packages", ""},
    };
    return kColumns;
}

std::optional<std::vector<std::string>> SpecimenRow(const CKorvanesToolDoc& doc, std::string_view criteriaName,
                                                    const StatisticCriteriaSet* set)
{
    const CSpecimenResult& r = doc.m_result;
    if (r.paleointensity == 0.0) {
        return std::nullopt;
    }
    const std::optional<MagicOrigin> origin = ParseOriginNote(doc.m_header.m_fileNote);
    // The columns the definitions give take the standard statistics of the
    // fitted range; an absent one stays empty.
    const StandardStatistics standard = StandardStatisticsOfResult(doc, ScatBetaOf(set));
    std::string criteria = ListItem(ToUtf8(criteriaName));
    std::string description;
    if (set != nullptr) {
        const CriteriaVerdict verdict = EvaluateCriteria(*set, standard);
        criteria += ":" + ListItem(set->name);
        description = set->name + (verdict.pass ? ": pass" : ": fail");
        const std::vector<std::string> failed = verdict.Failed();
        for (std::size_t i = 0; i < failed.size(); ++i) {
            description += (i == 0 ? " (" : ", ") + failed[i] + (i + 1 == failed.size() ? ")" : "");
        }
    }
    std::vector<std::string> cells;
    for (const SpecimenColumn& column : SpecimenColumns()) {
        const std::string name(column.name);
        if (name.rfind("int_", 0) == 0 && name != "int_abs" && name != "int_abs_sigma") {
            const std::optional<StandardStatistic> id = StatisticByName(name);
            const std::optional<double> value = id ? standard[*id] : std::nullopt;
            if (!value) {
                cells.emplace_back();
            } else if (InfoOf(*id).kind == StatisticKind::kFlag) {
                cells.emplace_back(*value != 0.0 ? "true" : "false");
            } else if (InfoOf(*id).kind == StatisticKind::kInteger) {
                cells.push_back(Integer(static_cast<long long>(*value)));
            } else {
                cells.push_back(Number(*value));
            }
        } else if (name == "specimen") {
            cells.push_back(origin ? origin->specimen : ToUtf8(doc.m_header.m_specimenName));
        } else if (name == "int_abs") {
            cells.push_back(Number(r.paleointensity * kTeslaPerMicrotesla));
        } else if (name == "int_abs_sigma") {
            cells.push_back(Number(r.stdDev * kTeslaPerMicrotesla));
        } else if (name == "meas_step_min") {
            cells.push_back(StepKelvin(r.tMin));
        } else if (name == "meas_step_max") {
            cells.push_back(StepKelvin(r.tMax));
        } else if (name == "meas_step_unit") {
            cells.emplace_back("K");
        } else if (name == "dir_dec") {
            cells.push_back(Number(r.decAnchored));
        } else if (name == "dir_inc") {
            cells.push_back(Number(r.incAnchored));
        } else if (name == "dir_tilt_correction") {
            cells.push_back(Integer(TiltCorrection(doc, origin)));
        } else if (name == "method_codes") {
            cells.push_back(MethodCodes(doc, origin));
        } else if (name == "result_quality") {
            cells.emplace_back(r.resultClass.empty() || r.resultClass.front() == 'C' ? "b" : "g");
        } else if (name == "criteria") {
            cells.push_back(criteria);
        } else if (name == "description") {
            cells.push_back(description);
        } else if (name == "software_packages") {
            cells.push_back(std::string("KorvanesTool ") + kVersion);
        } else {
            cells.emplace_back();
        }
    }
    return cells;
}

std::string SpecimenMethodCodes(const CKorvanesToolDoc& doc)
{
    return MethodCodes(doc, ParseOriginNote(doc.m_header.m_fileNote));
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

std::optional<std::string> AppendSpecimenLines(const std::string& path,
                                               const std::function<std::optional<std::string>()>& next)
{
    const ExistingFile existing = ReadExisting(path);
    if (existing.refusal) {
        return existing.refusal;
    }
    std::vector<std::size_t> positions;
    const bool project = !existing.columns.empty() && PositionsOf(existing.columns, positions) &&
                         positions.size() != SpecimenColumns().size();
    // A table of an earlier version keeps its own columns: each line is cut
    // to them.
    auto projected = [&positions](const std::string& line) {
        std::vector<std::string> cells;
        std::size_t start = 0;
        const std::string body = line.substr(0, line.size() - (line.empty() || line.back() != '\n' ? 0 : 1));
        while (true) {
            const std::size_t tab = body.find('\t', start);
            cells.push_back(body.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
            if (tab == std::string::npos) {
                break;
            }
            start = tab + 1;
        }
        std::vector<std::string> kept;
        for (const std::size_t p : positions) {
            kept.push_back(p < cells.size() ? cells[p] : std::string());
        }
        return SpecimenLine(kept);
    };

    // The old bytes and the new lines go to a new file that replaces the old
    // one once complete: the table is either whole or as before. The lines
    // are written a piece at a time, so that they need not all be held.
    auto failed = [&path](const char* what, int error) {
        return "cannot write '" + path + "': " + what + ": " + (error != 0 ? std::strerror(error) : "incomplete write");
    };
    NewFile file(path);
    if (file.Fd() < 0) {
        return failed("cannot create a file in its folder", file.OpenError());
    }
    std::string buffer;
    if (IsBlankText(existing.bytes)) {
        buffer = SpecimensTableHead();
    } else {
        buffer = existing.bytes;
        if (buffer.back() != '\n') {
            buffer += '\n';
        }
    }
    int error = 0;
    constexpr std::size_t kPiece = std::size_t{1} << 20;
    while (std::optional<std::string> line = next()) {
        buffer += project ? projected(*line) : *line;
        if (buffer.size() >= kPiece) {
            if ((error = file.Write(buffer)) != 0) {
                break;
            }
            buffer.clear();
        }
    }
    if (error == 0) {
        error = file.Write(buffer);
    }
    if (error == 0 && ::fsync(file.Fd()) != 0) {
        error = errno;
    }
    if (error != 0) {
        return failed("writing failed", error);
    }
    if (const int renameError = file.RenameOver(path)) {
        return "cannot write '" + path + "': " + std::strerror(renameError);
    }
    return std::nullopt;
}

std::optional<std::string> AppendSpecimenLines(const std::string& path, const std::vector<std::string>& lines)
{
    std::size_t next = 0;
    return AppendSpecimenLines(path, [&lines, &next]() -> std::optional<std::string> {
        return next < lines.size() ? std::optional<std::string>(lines[next++]) : std::nullopt;
    });
}

}  // namespace korvanes::magic
