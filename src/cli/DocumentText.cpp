#include "DocumentText.h"

#include <vector>

#include "document/Coordinates.h"
#include "text/TextEncoding.h"

namespace korvanes::cli {
namespace {

void AppendTitle(std::string& out, const char* title, std::size_t count)
{
    out += StringPrintf("\n%s (%zu)\n", title, count);
}

void AppendMeasurements(std::string& out, const CKorvanesToolDoc& doc)
{
    AppendTitle(out, "Measurements", doc.m_measurements.size());
    out += "     #      code  moment [mA/m]  dec [\xC2\xB0]  inc [\xC2\xB0]\n";
    for (std::size_t i = 0; i < doc.m_measurements.size(); ++i) {
        const CMeasurement& m = doc.m_measurements[i];
        out += StringPrintf("%6zu %9.2f %14.6g %8.1f %8.1f\n", i + 1, static_cast<double>(m.treatmentCode),
                            static_cast<double>(m.moment), static_cast<double>(m.declination),
                            static_cast<double>(m.inclination));
    }
}

void AppendSteps(std::string& out, const CKorvanesToolDoc& doc)
{
    AppendTitle(out, "Steps", doc.m_steps.size());
    out += StringPrintf("     #  type              T [\xC2\xB0" "C]  magnitude [mA/m]  dec [\xC2\xB0]  inc [\xC2\xB0]   (%s)\n",
                        CoordinatesName(doc.m_options.m_coordinates));
    for (std::size_t i = 0; i < doc.m_steps.size(); ++i) {
        const CStepVector& s = doc.m_steps[i];
        const Direction d = DirectionFromVector(s.x, s.y, s.z);
        out += StringPrintf("%6zu  %-16s %7d %17.6g %8.1f %8.1f\n", i + 1, StepTypeName(s.stepType), s.temperature,
                            s.magnitude, d.declination, d.inclination);
    }
}

// Each zero-field step with the pTRM gained at its temperature (the first
// pTRM item of that temperature), or "-" when there is none.
void AppendAraiPoints(std::string& out, const CKorvanesToolDoc& doc)
{
    AppendTitle(out, "Arai points", doc.m_zeroFieldSteps.size());
    out += "  T [\xC2\xB0" "C]  NRM remaining [mA/m]  pTRM gained [mA/m]\n";
    for (const CStepVector& z : doc.m_zeroFieldSteps) {
        const CStepVector* gained = nullptr;
        for (const CStepVector& p : doc.m_ptrmGained) {
            if (p.temperature == z.temperature) {
                gained = &p;
                break;
            }
        }
        out += StringPrintf("%8d %21.6g %19s\n", z.temperature, z.magnitude,
                            gained != nullptr ? StringPrintf("%.6g", gained->magnitude).c_str() : "-");
    }
}

void AppendDifferences(std::string& out, const char* title, const std::vector<CStepVector>& list)
{
    AppendTitle(out, title, list.size());
    if (list.empty()) {
        return;
    }
    out += "  ref T [\xC2\xB0" "C]  own T [\xC2\xB0" "C]  x [mA/m]      y [mA/m]      z [mA/m]      magnitude [mA/m]\n";
    for (const CStepVector& s : list) {
        out += StringPrintf("%12d %12d  %-13.6g %-13.6g %-13.6g %.6g\n", s.temperature, s.stepTemperature, s.x, s.y,
                            s.z, s.magnitude);
    }
}

void AppendTailChecks(std::string& out, const std::vector<CStepVector>& list)
{
    AppendTitle(out, "Tail checks", list.size());
    if (list.empty()) {
        return;
    }
    out += "  T [\xC2\xB0" "C]  magnitude [mA/m]  dec [\xC2\xB0]  inc [\xC2\xB0]\n";
    for (const CStepVector& s : list) {
        const Direction d = DirectionFromVector(s.x, s.y, s.z);
        out += StringPrintf("%8d %17.6g %8.1f %8.1f\n", s.temperature, s.magnitude, d.declination, d.inclination);
    }
}

void AppendValue(std::string& out, const char* name, double value, const char* unit)
{
    out += StringPrintf("  %-24s %.10g%s%s\n", name, value, *unit != '\0' ? " " : "", unit);
}

void AppendInteger(std::string& out, const char* name, int value, const char* unit)
{
    out += StringPrintf("  %-24s %d%s%s\n", name, value, *unit != '\0' ? " " : "", unit);
}

void AppendPlotBounds(std::string& out, const CPlotBounds& b)
{
    out += "\nPlot bounds\n";
    AppendInteger(out, "minTemperature", b.minTemperature, "\xC2\xB0" "C");
    AppendInteger(out, "maxTemperature", b.maxTemperature, "\xC2\xB0" "C");
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
    AppendValue(out, "maxTailDInc", b.maxTailDInc, "\xC2\xB0");
    AppendValue(out, "tailPlotMax", b.tailPlotMax, "");
    AppendValue(out, "tailPlotMaxIncTStar", b.tailPlotMaxIncTStar, "");
    AppendValue(out, "maxCheckDifference", b.maxCheckDifference, "");
    AppendValue(out, "maxAdditivityDifference", b.maxAdditivityDifference, "");
}

void AppendResult(std::string& out, const CSpecimenResult& r)
{
    const char* deg = "\xC2\xB0";
    out += "\nResult\n";
    AppendInteger(out, "tMin", r.tMin, "\xC2\xB0" "C");
    AppendInteger(out, "tMax", r.tMax, "\xC2\xB0" "C");
    AppendInteger(out, "n", r.n, "");
    AppendValue(out, "slope", r.slope, "");
    AppendValue(out, "slopeRelStd", r.slopeRelStd, "");
    AppendValue(out, "paleointensity", r.paleointensity, "\xC2\xB5T");
    AppendValue(out, "stdDev", r.stdDev, "\xC2\xB5T");
    AppendValue(out, "f", r.f, "");
    AppendValue(out, "g", r.g, "");
    AppendValue(out, "q", r.q, "");
    AppendValue(out, "w", r.w, "");
    AppendValue(out, "madAnchored", r.madAnchored, deg);
    AppendValue(out, "decAnchored", r.decAnchored, deg);
    AppendValue(out, "incAnchored", r.incAnchored, deg);
    AppendValue(out, "madFree", r.madFree, deg);
    AppendValue(out, "decFree", r.decFree, deg);
    AppendValue(out, "incFree", r.incFree, deg);
    AppendValue(out, "alpha", r.alpha, deg);
    AppendValue(out, "trm", r.trm, "mA/m");
    AppendValue(out, "nrmT", r.nrmT, "mA/m");
    AppendValue(out, "ckError", r.ckError, "%");
    AppendValue(out, "ckDiff", r.ckDiff, "%");
    AppendValue(out, "drat", r.drat, "%");
    AppendValue(out, "dTStar", r.dTStar, "");
    AppendValue(out, "dTR", r.dTR, "%");
    AppendValue(out, "dAC", r.dAC, "%");
    AppendValue(out, "fitXFrom", r.fitXFrom, "");
    AppendValue(out, "fitXTo", r.fitXTo, "");
    AppendValue(out, "meanPtrm", r.meanPtrm, "mA/m");
    AppendValue(out, "meanNrm", r.meanNrm, "mA/m");
    AppendValue(out, "fitLength", r.fitLength, "");
    out += StringPrintf("  %-24s %s\n", "methodType", r.methodType.c_str());
    out += StringPrintf("  %-24s %s\n", "resultClass", r.resultClass.empty() ? "(none)" : r.resultClass.c_str());
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

std::string DocumentToText(const CKorvanesToolDoc& doc, const std::string& file)
{
    const CSpecimenHeader& h = doc.m_header;
    std::string out;
    out += StringPrintf("%-26s %s\n", "File:", ToUtf8(file).c_str());
    out += StringPrintf("%-26s %s\n", "Specimen:", ToUtf8(h.m_specimenName).c_str());
    out += StringPrintf("%-26s %s\n", "Method type:", doc.m_result.methodType.c_str());
    out += StringPrintf("%-26s %s\n", "Alteration check:",
                        h.m_checkMethodText.empty() ? "no alteration check" : ToUtf8(h.m_checkMethodText).c_str());
    out += StringPrintf("%-26s %s\n", "Coordinates:", CoordinatesName(doc.m_options.m_coordinates));
    out += StringPrintf("%-26s %s\n", "Magnitudes:",
                        doc.m_options.m_onlyZComponent != 0 ? "z component only" : "full vectors");
    out += "\nHeader\n";
    AppendValue(out, "laboratory field", h.m_labField, "\xC2\xB5T");
    AppendValue(out, "core azimuth", h.m_coreAzimuth, "\xC2\xB0");
    AppendValue(out, "core dip", h.m_coreDip, "\xC2\xB0");
    AppendValue(out, "bedding dip direction", h.m_beddingDipDirection, "\xC2\xB0");
    AppendValue(out, "bedding dip", h.m_beddingDip, "\xC2\xB0");
    AppendMeasurements(out, doc);
    AppendSteps(out, doc);
    AppendAraiPoints(out, doc);
    AppendDifferences(out, "pTRM checks", doc.m_ptrmChecks);
    AppendDifferences(out, "Additivity checks", doc.m_additivityChecks);
    AppendTailChecks(out, doc.m_tailChecks);
    AppendPlotBounds(out, doc.m_plotBounds);
    AppendResult(out, doc.m_result);
    return out;
}

}  // namespace korvanes::cli
