#include "DocumentText.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/AraiFit.h"
#include "document/Coordinates.h"
#include "results/FormLines.h"
#include "results/ResultNotes.h"
#include "text/OutputNumbers.h"
#include "text/TextEncoding.h"

namespace korvanes::cli {
namespace {

const char* const kDegree = "\xC2\xB0";
const char* const kDegreeC = "\xC2\xB0" "C";
const char* const kMicroTesla = "\xC2\xB5T";

// Number of characters of a UTF-8 text (continuation bytes do not count).
std::size_t DisplayWidth(const std::string& text)
{
    std::size_t width = 0;
    for (char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            ++width;
        }
    }
    return width;
}

// `text` right-aligned in `width` characters (never cut).
std::string Right(const std::string& text, std::size_t width)
{
    const std::size_t w = DisplayWidth(text);
    return w >= width ? text : std::string(width - w, ' ') + text;
}

// `text` left-aligned in `width` characters (never cut).
std::string Left(const std::string& text, std::size_t width)
{
    const std::size_t w = DisplayWidth(text);
    return w >= width ? text : text + std::string(width - w, ' ');
}

// A number for people: six significant digits, never "nan" or "inf".
std::string Num(double value)
{
    return StringPrintf("%.6g", FiniteOrZero(value));
}

std::string Int(int value)
{
    return StringPrintf("%d", value);
}

void AppendTitle(std::string& out, const char* title, std::size_t count)
{
    out += StringPrintf("\n%s (%zu)\n", title, count);
}

// A table of right-aligned columns, indented by two blanks, two blanks
// between columns; each column as wide as its heading or its widest cell.
void AppendTable(std::string& out, const std::vector<std::string>& headings,
                 const std::vector<std::vector<std::string>>& rows)
{
    if (rows.empty()) {
        out += "  (none)\n";
        return;
    }
    std::vector<std::size_t> widths;
    for (const std::string& h : headings) {
        widths.push_back(DisplayWidth(h));
    }
    for (const auto& row : rows) {
        for (std::size_t c = 0; c < row.size() && c < widths.size(); ++c) {
            widths[c] = std::max(widths[c], DisplayWidth(row[c]));
        }
    }
    auto appendRow = [&out, &widths](const std::vector<std::string>& cells) {
        std::string line = " ";
        for (std::size_t c = 0; c < cells.size() && c < widths.size(); ++c) {
            line += ' ';
            line += Right(cells[c], widths[c] + 1);
        }
        out += line + '\n';
    };
    appendRow(headings);
    for (const auto& row : rows) {
        appendRow(row);
    }
}

void AppendValue(std::string& out, const char* name, double value, const char* unit)
{
    out += StringPrintf("  %-24s %.10g%s%s\n", name, FiniteOrZero(value), *unit != '\0' ? " " : "", unit);
}

void AppendInteger(std::string& out, const char* name, int value, const char* unit)
{
    out += StringPrintf("  %-24s %d%s%s\n", name, value, *unit != '\0' ? " " : "", unit);
}

void AppendField(std::string& out, const char* label, const std::string& text)
{
    out += Left(label, 26) + ' ' + (text.empty() ? std::string("(none)") : Printable(text)) + '\n';
}

// ---- What was analysed and how ----------------------------------------------

std::string RangeSearchText(const CKorvanesToolDoc& doc, const TextContext& context)
{
    if (doc.m_options.m_rangeMode == kSelectedRange) {
        if (context.requestedRange) {
            return StringPrintf("set with --range %d %d", context.requestedRange->first,
                                context.requestedRange->second);
        }
        return "set by the user";
    }
    return StringPrintf("automatic search: the range of largest %s that meets class A (else class B)",
                        doc.m_criteria.maximizeQ != 0 ? "q" : "w");
}

std::string CheckCorrectionText(const CKorvanesToolDoc& doc, const TextContext& context)
{
    if (doc.m_options.m_checkCorrected != 0) {
        return context.checkCorrectionRequested
                   ? "applied (--check-corrected): pTRM magnitudes corrected by the cumulative check differences"
                   : "applied by the automatic MT4 search, which found the corrected data better";
    }
    if (doc.m_result.methodType == "MT4" && doc.m_options.m_rangeMode == kAutomaticRange) {
        return doc.m_options.m_includeCheckCorrection != 0
                   ? "tried by the automatic MT4 search and not kept (the uncorrected data are better)"
                   : "not applied (--include-check-correction lets the automatic search try it)";
    }
    return "not applied";
}

// ---- The determination ----------------------------------------------------

// The class A and class B limit of the statistic under form field `controlId`
// as a text ("≥ 5", "≤ 0.1"); empty for an unknown field.
std::string LimitText(int controlId, const ClassThresholds& t)
{
    const char* ge = "\xE2\x89\xA5 ";
    const char* le = "\xE2\x89\xA4 ";
    switch (controlId) {
    case 1021:
        return ge + Int(t.minN);
    case 1023:
        return le + Num(t.maxSlopeRelStd);
    case 1025:
        return ge + Num(t.minF);
    case 1027:
        return ge + Int(t.minQ);
    case 1036:
        return le + Int(t.maxMad);
    case 1043:
        return le + Int(t.maxMadFree);
    case 1074:
        return le + Int(t.maxAlpha);
    case 1031:
        return le + Int(t.maxCkError);
    case 1032:
        return le + Int(t.maxCkDiff);
    case 1075:
        return le + Int(t.maxDrat);
    case 1038:
        return le + Int(t.maxAc);
    case 1040:
        return le + Int(t.maxIntensityDiff);
    case 1077:
        return le + Int(t.maxTailStar);
    default:
        return "";
    }
}

struct StatisticRow {
    const char* name;
    std::string value;
    const char* unit;
    int controlId;  // the form field whose criteria mark applies; 0: not marked
};

std::string ColouredVerdict(CriteriaMark mark, bool colour)
{
    const std::string verdict = MarkVerdict(mark);
    if (!colour || mark == CriteriaMark::kNone) {
        return verdict;
    }
    const char* start = mark == CriteriaMark::kRed ? "\033[1;31m" : "\033[1;33m";
    return start + verdict + "\033[0m";
}

std::string ClassText(const CSpecimenResult& r)
{
    if (r.resultClass.empty()) {
        return "no result";
    }
    std::string text = r.resultClass;
    switch (r.resultClass[0]) {
    case 'A':
        text += "  (meets class A)";
        break;
    case 'B':
        text += "  (meets class B, not class A)";
        break;
    default:
        text += "  (meets neither class A nor class B)";
        break;
    }
    if (r.resultClass.back() == '*') {
        text += ", computed with the check correction";
    }
    return text;
}

std::string RangeUsedText(const CKorvanesToolDoc& doc, const TextContext& context)
{
    const CSpecimenResult& r = doc.m_result;
    if (doc.m_zeroFieldSteps.empty()) {
        return "none (no zero-field step)";
    }
    std::string text = StringPrintf("%d to %d %s", r.tMin, r.tMax, kDegreeC);
    if (doc.m_options.m_rangeMode != kSelectedRange || !context.requestedRange) {
        return text;
    }
    const auto [askedMin, askedMax] = *context.requestedRange;
    if (r.paleointensity == 0.0 && r.n == 0) {
        return StringPrintf("none (asked for %d to %d %s)", askedMin, askedMax, kDegreeC);
    }
    const CPlotBounds& b = doc.m_plotBounds;
    const int clampedMin = std::max(askedMin, b.minTemperature);
    const int clampedMax = std::min(askedMax, b.maxTemperature);
    std::vector<std::string> changes;
    if (clampedMin != askedMin || clampedMax != askedMax) {
        changes.push_back(StringPrintf("clamped to the measured %d to %d %s", b.minTemperature, b.maxTemperature,
                                       kDegreeC));
    }
    if (clampedMin != r.tMin || clampedMax != r.tMax) {
        changes.push_back("ends between steps moved up to the next measured step");
    }
    if (!changes.empty()) {
        text += StringPrintf("  (asked for %d to %d %s; ", askedMin, askedMax, kDegreeC);
        for (std::size_t i = 0; i < changes.size(); ++i) {
            text += (i > 0 ? ", " : "") + changes[i];
        }
        text += ')';
    }
    return text;
}

// Why a statistic reads as it does, for the statistics whose value says
// little on its own: absent checks count as 0 and pass, and the check
// correction zeroes the pTRM-check statistics.
std::string StatisticNote(int controlId, const CKorvanesToolDoc& doc)
{
    const bool corrected = doc.m_options.m_checkCorrected != 0;
    switch (controlId) {
    case 1043:
        return "  (not graded)";
    case 1031:
    case 1032:
    case 1075:
        if (corrected) {
            return "  (0 with the check correction)";
        }
        break;
    default:
        break;
    }
    const std::string missing = MissingCheck(controlId, doc);
    return missing.empty() ? "" : "  (" + missing + ")";
}

// The zero-field steps that are no Arai points, one line each.
void AppendLeftOutSteps(std::string& out, const CKorvanesToolDoc& doc)
{
    const char* label = "Left out of the fit";
    for (const LeftOutStep& step : LeftOutAraiSteps(doc)) {
        out += "  " + Left(label, 24) + ' ' +
               StringPrintf("%d %s%s: %s\n", step.temperature, kDegreeC, step.inFittedRange ? " (in the range)" : "",
                            step.reason.c_str());
        label = "";
    }
}

void AppendDetermination(std::string& out, const CKorvanesToolDoc& doc, const TextContext& context)
{
    const CSpecimenResult& r = doc.m_result;
    out += "\nDetermination\n";
    out += "  " + Left("Temperature range", 24) + ' ' + RangeUsedText(doc, context) + '\n';
    out += "  " + Left("Paleointensity", 24) + ' ' +
           StringPrintf("%s \xC2\xB1 %s %s", Num(r.paleointensity).c_str(), Num(r.stdDev).c_str(), kMicroTesla) + '\n';
    out += "  " + Left("Class", 24) + ' ' + ClassText(r) + '\n';
    const std::string reason = NoResultReason(doc);
    if (!reason.empty()) {
        out += "  " + Left("", 24) + ' ' + reason + '\n';
    }
    AppendLeftOutSteps(out, doc);

    const StatisticRow rows[] = {
        {"N (points)", Int(r.n), "", 1021},
        {"slope", Num(r.slope), "", 0},
        {"Std/slope", Num(r.slopeRelStd), "", 1023},
        {"f (NRM fraction)", Num(r.f), "", 1025},
        {"g (gap factor)", Num(r.g), "", 0},
        {"q (quality factor)", Num(r.q), "", 1027},
        {"w (weighting factor)", Num(r.w), "", 0},
        {"TRM (x intercept)", Num(r.trm), "mA/m", 0},
        {"NRMt (y intercept)", Num(r.nrmT), "mA/m", 0},
        {"Dec anchored", Num(r.decAnchored), kDegree, 0},
        {"Inc anchored", Num(r.incAnchored), kDegree, 0},
        {"MAD anchored", Num(r.madAnchored), kDegree, 1036},
        {"Dec' free", Num(r.decFree), kDegree, 0},
        {"Inc' free", Num(r.incFree), kDegree, 0},
        {"MAD' free", Num(r.madFree), kDegree, 1043},
        {"Alpha", Num(r.alpha), kDegree, 1074},
        {"d(CK)", Num(r.ckError), "% of TRM", 1031},
        {"d(pal)", Num(r.ckDiff), "% of paleoint.", 1032},
        {"DRAT", Num(r.drat), "% of fit length", 1075},
        {"d(TR)", Num(r.dTR), "% of NRMt", 1040},
        {"d(t*)", Num(r.dTStar), "%", 1077},
        {"d(AC)", Num(r.dAC), "% of TRM", 1038},
    };
    const std::vector<MarkedStatistic> marks = CriteriaMarks(r, doc.m_criteria);
    const bool shown = MarksShown(r);

    out += '\n';
    out += "  " + Left("Statistic", 22) + Right("Value", 14) + "  " + Left("Unit", 15) + Right("Class A", 9) +
           Right("Class B", 9) + "  Criteria\n";
    for (const StatisticRow& row : rows) {
        std::string line = "  " + Left(row.name, 22) + Right(row.value, 14) + "  " + Left(row.unit, 15);
        if (row.controlId != 0) {
            line += Right(LimitText(row.controlId, doc.m_criteria.classA), 9) +
                    Right(LimitText(row.controlId, doc.m_criteria.classB), 9) + "  ";
            const MarkedStatistic* mark = nullptr;
            for (const MarkedStatistic& m : marks) {
                if (m.controlId == row.controlId) {
                    mark = &m;
                }
            }
            line += shown && mark != nullptr ? ColouredVerdict(mark->mark, context.colour) : std::string("-");
            line += StatisticNote(row.controlId, doc);
        }
        while (!line.empty() && line.back() == ' ') {
            line.pop_back();
        }
        out += line + '\n';
    }
    if (!shown) {
        out += "  (no criteria verdicts without a result)\n";
    }
}

// ---- Lists of the form and check series ----------------------------------

void AppendRepeatedDemagnetisations(std::string& out, const CKorvanesToolDoc& doc)
{
    const std::vector<std::string> lines = TailLines(doc);
    AppendTitle(out, "Repeated demagnetizations", lines.size());
    if (lines.empty()) {
        out += "  (none)\n";
        return;
    }
    out += "  " + Right("T", 4) + "  " + Right("d(theta)", 8) + ' ' + Right("d(Inc)", 9) + ' ' + Right("d(t*)", 9) +
           Right("d(TR)", 9) + '\n';
    for (const std::string& line : lines) {
        // Temperatures of differing digit counts: pad so the columns line up.
        const std::size_t digits = line.find('\xB0');
        const std::size_t pad = digits != std::string::npos && digits < 4 ? 4 - digits : 0;
        out += "  " + std::string(pad, ' ') + ToUtf8(line) + '\n';
    }
    out += StringPrintf("  (d(theta), d(Inc) in degrees; d(t*), d(TR) in per cent%s)\n",
                        doc.m_result.nrmT > 0.0 ? ", scaled to NRMt" : "");
}

void AppendStepLines(std::string& out, const CKorvanesToolDoc& doc)
{
    const std::vector<std::string> lines = StepLines(doc);
    AppendTitle(out, "Steps", lines.size());
    out += StringPrintf("  %4s  t", "#") + Right(std::string("T [") + kDegreeC + "]", 7) + Right("M [mA/m]", 10) +
           Right(std::string("Dec [") + kDegree + "]", 10) + Right(std::string("Inc [") + kDegree + "]", 10) +
           "  step  (" + CoordinatesName(doc.m_options.m_coordinates) + " coordinates)\n";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        out += StringPrintf("  %4zu  ", i + 1) + ToUtf8(lines[i]) + "  " + StepTypeName(doc.m_steps[i].stepType) + '\n';
    }
}

double Length(const CStepVector& s, bool onlyZ)
{
    return onlyZ ? std::fabs(s.z) : std::sqrt(s.x * s.x + s.y * s.y + s.z * s.z);
}

void AppendCheckSeries(std::string& out, const CKorvanesToolDoc& doc)
{
    const char* const t = "T [\xC2\xB0" "C]";
    std::vector<std::vector<std::string>> rows;

    AppendTitle(out, "pTRM-check differences (first check of each temperature)", doc.m_ptrmCheckDiffs.size());
    if (!doc.m_ptrmCheckDiffs.empty()) {
        out += "  (check T: the temperature the check repeats; ref T: the step before the check)\n";
    }
    for (const CStepVector& s : doc.m_ptrmCheckDiffs) {
        rows.push_back({Int(s.stepTemperature), Int(s.temperature), s.stepType < 0 ? "-1" : "+1", Num(s.magnitude),
                        Num(s.x), Num(s.y), Num(s.z)});
    }
    AppendTable(out, {std::string("check ") + t, std::string("ref ") + t, "sign", "check-pTRM [mA/m]", "x [mA/m]",
                      "y [mA/m]", "z [mA/m]"},
                rows);

    rows.clear();
    const bool onlyZ = doc.m_options.m_onlyZComponent != 0;
    AppendTitle(out, doc.m_options.m_checkCorrected != 0 ? "Check-corrected pTRM (used by the fit)"
                                                         : "Check-corrected pTRM (used for d(pal) only)",
                doc.m_correctedPtrm.size());
    for (const CStepVector& s : doc.m_correctedPtrm) {
        rows.push_back({Int(s.temperature), Num(Length(s, onlyZ)), Num(s.magnitude)});
    }
    AppendTable(out, {t, "pTRM [mA/m]", "corrected [mA/m]"}, rows);

    rows.clear();
    AppendTitle(out, "Further pTRM checks, corrected", doc.m_correctedChecks.size());
    for (const CStepVector& s : doc.m_correctedChecks) {
        rows.push_back({Int(s.stepTemperature), Int(s.temperature), Num(s.magnitude), Num(s.x), Num(s.y), Num(s.z)});
    }
    AppendTable(out, {std::string("check ") + t, std::string("ref ") + t, "magnitude [mA/m]", "x [mA/m]", "y [mA/m]",
                      "z [mA/m]"},
                rows);

    rows.clear();
    AppendTitle(out, "Additivity-check results", doc.m_additivityResults.size());
    for (const CStepVector& s : doc.m_additivityResults) {
        rows.push_back({Int(s.stepTemperature), Int(s.temperature), Num(s.x), Num(s.y), Num(s.z), Num(s.magnitude)});
    }
    AppendTable(out, {std::string("check ") + t, std::string("ref ") + t, "pTRM(ref) [mA/m]", "pTRM(check) [mA/m]",
                      "AC [mA/m]", "AC-pTRM [mA/m]"},
                rows);
}

// ---- Raw data ---------------------------------------------------------------

void AppendMeasurements(std::string& out, const CKorvanesToolDoc& doc)
{
    AppendTitle(out, "Measurements", doc.m_measurements.size());
    out += "     #      code  moment [mA/m]  dec [\xC2\xB0]  inc [\xC2\xB0]   (as in the file)\n";
    for (std::size_t i = 0; i < doc.m_measurements.size(); ++i) {
        const CMeasurement& m = doc.m_measurements[i];
        out += StringPrintf("%6zu %9.2f %14.6g %8.1f %8.1f\n", i + 1, FiniteOrZero(m.treatmentCode),
                            FiniteOrZero(m.moment), FiniteOrZero(m.declination), FiniteOrZero(m.inclination));
    }
}

// Each zero-field step with the pTRM gained at its temperature (the first
// pTRM item of that temperature), or "-" when there is none.
void AppendAraiPoints(std::string& out, const CKorvanesToolDoc& doc)
{
    AppendTitle(out, "Arai points", doc.m_zeroFieldSteps.size());
    out += "  T [\xC2\xB0" "C]  NRM remaining [mA/m]  pTRM gained [mA/m]\n";
    for (const CStepVector& z : doc.m_zeroFieldSteps) {
        // The fit pairs a step with the last pTRM item of its temperature.
        const CStepVector* gained = nullptr;
        for (const CStepVector& p : doc.m_ptrmGained) {
            if (p.temperature == z.temperature) {
                gained = &p;
            }
        }
        out += StringPrintf("%8d %21.6g %19s\n", z.temperature, FiniteOrZero(z.magnitude),
                            gained != nullptr ? Num(gained->magnitude).c_str() : "-");
    }
}

void AppendDifferences(std::string& out, const char* title, const std::vector<CStepVector>& list)
{
    AppendTitle(out, title, list.size());
    if (list.empty()) {
        out += "  (none)\n";
        return;
    }
    out += "  ref T [\xC2\xB0" "C]  own T [\xC2\xB0" "C]  x [mA/m]      y [mA/m]      z [mA/m]      magnitude [mA/m]\n";
    for (const CStepVector& s : list) {
        out += StringPrintf("%12d %12d  %-13.6g %-13.6g %-13.6g %.6g\n", s.temperature, s.stepTemperature,
                            FiniteOrZero(s.x), FiniteOrZero(s.y), FiniteOrZero(s.z), FiniteOrZero(s.magnitude));
    }
}

void AppendTailChecks(std::string& out, const std::vector<CStepVector>& list)
{
    AppendTitle(out, "Tail checks", list.size());
    if (list.empty()) {
        out += "  (none)\n";
        return;
    }
    out += "  T [\xC2\xB0" "C]  magnitude [mA/m]  dec [\xC2\xB0]  inc [\xC2\xB0]\n";
    for (const CStepVector& s : list) {
        const Direction d = DirectionFromVector(s.x, s.y, s.z);
        out += StringPrintf("%8d %17.6g %8.1f %8.1f\n", s.temperature, FiniteOrZero(s.magnitude),
                            FiniteOrZero(d.declination), FiniteOrZero(d.inclination));
    }
}

void AppendFitDetails(std::string& out, const CSpecimenResult& r)
{
    out += "\nArai fit details\n";
    AppendValue(out, "segment from x", r.fitXFrom, "mA/m");
    AppendValue(out, "segment to x", r.fitXTo, "mA/m");
    AppendValue(out, "segment length", r.fitLength, "mA/m");
    AppendValue(out, "mean pTRM", r.meanPtrm, "mA/m");
    AppendValue(out, "mean NRM", r.meanNrm, "mA/m");
}

void AppendPlotBounds(std::string& out, const CPlotBounds& b)
{
    out += "\nPlot bounds\n";
    AppendInteger(out, "minTemperature", b.minTemperature, kDegreeC);
    AppendInteger(out, "maxTemperature", b.maxTemperature, kDegreeC);
    AppendValue(out, "minNrm", b.minNrm, "mA/m");
    AppendValue(out, "maxNrm", b.maxNrm, "mA/m");
    AppendValue(out, "maxPtrm", b.maxPtrm, "mA/m");
    AppendValue(out, "maxX", b.maxX, "mA/m");
    AppendValue(out, "maxY", b.maxY, "mA/m");
    AppendValue(out, "maxZ", b.maxZ, "mA/m");
    AppendValue(out, "maxHorizontal", b.maxHorizontal, "mA/m");
    AppendValue(out, "minX", b.minX, "mA/m");
    AppendValue(out, "minY", b.minY, "mA/m");
    AppendValue(out, "minZ", b.minZ, "mA/m");
    AppendValue(out, "minHorizontal", b.minHorizontal, "mA/m");
    AppendValue(out, "maxTailDTR", b.maxTailDTR, "");
    AppendValue(out, "maxTailTStar", b.maxTailTStar, "");
    AppendValue(out, "maxTailDInc", b.maxTailDInc, kDegree);
    AppendValue(out, "tailPlotMax", b.tailPlotMax, "");
    AppendValue(out, "tailPlotMaxIncTStar", b.tailPlotMaxIncTStar, "");
    AppendValue(out, "maxCheckDifference", b.maxCheckDifference, "mA/m");
    AppendValue(out, "maxAdditivityDifference", b.maxAdditivityDifference, "mA/m");
}

}  // namespace

const char* CoordinatesName(int coordinates)
{
    switch (coordinates) {
    case kGeographic:
        return "geo";
    case kBedding:
        return "bedding";
    default:
        return "core";
    }
}

const char* StepTypeName(int stepType)
{
    switch (stepType) {
    case kZeroField:
        return "zero-field";
    case kInField:
        return "in-field";
    case kPtrmCheck:
        return "pTRM check";
    case kTailCheck:
        return "tail check";
    case kAdditivityCheck:
        return "additivity check";
    default:
        return "?";
    }
}

const char* MarkVerdict(CriteriaMark mark)
{
    switch (mark) {
    case CriteriaMark::kYellow:
        return "B only";
    case CriteriaMark::kRed:
        return "fails B";
    case CriteriaMark::kNone:
        break;
    }
    return "A";
}

// ---- The range map ------------------------------------------------------------

void AppendRangeMap(std::string& out, const RangeMap& map)
{
    out += "\nRange map\n";
    if (!map.refused.empty()) {
        out += "  not made: " + map.refused + '\n';
        return;
    }
    std::size_t byGrade[3] = {0, 0, 0};
    for (const RangeMapCell& cell : map.cells) {
        ++byGrade[std::clamp(cell.grade, 0, 2)];
    }
    const RangeMapSummary& s = map.summary;
    out += "  " + Left("Ranges evaluated", 24) + ' ' +
           StringPrintf("%zu (class A %zu, class B %zu, neither %zu)", map.cells.size(), byGrade[0], byGrade[1],
                        byGrade[2]) +
           '\n';
    out += "  " + Left("Chosen range", 24) + ' ' +
           (s.hasChosen ? StringPrintf("%d-%d %s", s.chosenMin, s.chosenMax, kDegreeC) : std::string("none")) + '\n';
    if (s.statisticsGrade < 0) {
        out += "  " + Left("Paleointensity", 24) + " no range meets class A or B\n";
        return;
    }
    out += "  " + Left(s.statisticsGrade == 0 ? "Class A ranges" : "Class B ranges (no A)", 24) + ' ' +
           StringPrintf("%zu: paleointensity %s to %s %s, median %s (spread %s %s)", s.count, Num(s.minimum).c_str(),
                        Num(s.maximum).c_str(), kMicroTesla, Num(s.median).c_str(),
                        Num(s.maximum - s.minimum).c_str(), kMicroTesla) +
           '\n';
}

std::string DocumentToText(const CKorvanesToolDoc& doc, const std::string& file, const TextContext& context)
{
    const CSpecimenHeader& h = doc.m_header;
    std::string out;
    AppendField(out, "File:", ToUtf8(file));
    AppendField(out, "Specimen:", ToUtf8(h.m_specimenName));
    AppendField(out, "Method type:", doc.m_result.methodType);
    AppendField(out, "Alteration check:",
                h.m_checkMethodText.empty() ? "no alteration check" : ToUtf8(h.m_checkMethodText));
    AppendField(out, "Coordinates:", CoordinatesName(doc.m_options.m_coordinates));
    AppendField(out, "Magnitudes:", doc.m_options.m_onlyZComponent != 0 ? "z component only" : "full vectors");
    AppendField(out, "Temperature range:", RangeSearchText(doc, context));
    AppendField(out, "Check correction:", CheckCorrectionText(doc, context));
    out += "\nHeader\n";
    AppendValue(out, "laboratory field", h.m_labField, kMicroTesla);
    AppendValue(out, "core azimuth", h.m_coreAzimuth, kDegree);
    AppendValue(out, "core dip", h.m_coreDip, kDegree);
    AppendValue(out, "bedding dip direction", h.m_beddingDipDirection, kDegree);
    AppendValue(out, "bedding dip", h.m_beddingDip, kDegree);
    AppendDetermination(out, doc, context);
    if (context.standardSection != nullptr) {
        out += *context.standardSection;
    }
    if (context.rangeMap != nullptr) {
        AppendRangeMap(out, *context.rangeMap);
    }
    AppendRepeatedDemagnetisations(out, doc);
    AppendCheckSeries(out, doc);
    AppendStepLines(out, doc);
    AppendMeasurements(out, doc);
    AppendAraiPoints(out, doc);
    AppendDifferences(out, "pTRM checks", doc.m_ptrmChecks);
    AppendDifferences(out, "Additivity checks", doc.m_additivityChecks);
    AppendTailChecks(out, doc.m_tailChecks);
    AppendFitDetails(out, doc.m_result);
    AppendPlotBounds(out, doc.m_plotBounds);
    return out;
}

}  // namespace korvanes::cli
