// Any bytes as a data file: the reader, the whole analysis under one of three
// option sets, the texts of the form and the results line, and every diagram
// through the recording surface and the metafile writer. Promises checked:
// every result value is finite, and no page of diagrams takes more than a
// bounded number of drawing calls.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzCheck.h"
#include "analysis/AnalysisRun.h"
#include "analysis/AraiFit.h"
#include "emf/EmfWriter.h"
#include "plots/Plots.h"
#include "plots/RecordingSurface.h"
#include "results/CriteriaMarks.h"
#include "results/FormLines.h"
#include "results/ResultsTable.h"

namespace korvanes {
namespace {

// Far above the marks the analysis limits allow, and the axes and texts.
constexpr std::size_t kMaxPagePrimitives = 100000;

void RequireFinite(const CSpecimenResult& r)
{
    const double values[] = {r.madAnchored, r.decAnchored, r.incAnchored, r.madFree, r.decFree, r.incFree,
                             r.trm,         r.nrmT,        r.stdDev,  r.slope,   r.slopeRelStd,
                             r.ckError,     r.ckDiff,      r.w,           r.q,       r.g,       r.f,
                             r.paleointensity, r.dTR,      r.dAC,         r.fitXFrom, r.fitXTo, r.meanPtrm,
                             r.meanNrm,     r.fitLength,   r.drat,        r.alpha,   r.dTStar};
    for (const double v : values) {
        fuzz::Require(std::isfinite(v), "every result value is finite");
    }
}

// One analysis of `doc` with the options `configure` sets, then everything
// that is made from it.
template <class Configure>
void AnalyseAndDraw(const CKorvanesToolDoc& opened, Configure configure, bool metafile)
{
    CKorvanesToolDoc doc = opened;
    configure(doc);
    RunAnalysis(doc);
    RequireFinite(doc.m_result);
    LeftOutAraiSteps(doc);
    StepLines(doc);
    TailLines(doc);
    CriteriaMarks(doc.m_result, doc.m_criteria);
    FormatResultLine(ResultValuesFromDocument(doc));

    FixedAdvanceMeasurer measurer;
    RecordingSurface page(measurer);
    DrawAllPlots(page, 1, doc);
    fuzz::Require(page.Primitives().size() <= kMaxPagePrimitives, "a page of diagrams takes bounded drawing calls");
    if (metafile) {
        EmfSurface emf(measurer);
        DiagramFrame frame;
        frame.widthUnits = 800;
        frame.heightUnits = 600;
        frame.fixedLayout = 1;
        DrawAraiPlot(emf, frame, doc, doc.m_zeroFieldSteps, doc.m_ptrmGained, doc.m_ptrmChecks,
                     doc.m_additivityResults);
        DrawZijderveldPlot(emf, frame, doc, doc.m_zeroFieldSteps, doc.m_tailChecks);
        DrawDecayPlot(emf, frame, doc, doc.m_zeroFieldSteps, doc.m_tailChecks);
        DrawAdditionalPlots(emf, frame, doc, doc.m_ptrmGained, doc.m_ptrmCheckDiffs, doc.m_tailCheckStats);
        emf.Finish();
    }
}

}  // namespace
}  // namespace korvanes

// Allocation stacks of two frames: enough to place a report, and the
// allocation-heavy analysis runs several times faster than with thirty.
extern "C" const char* __asan_default_options() { return "malloc_context_size=2"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace korvanes;
    CKorvanesToolDoc doc;
    if (!doc.OpenData(std::string_view(reinterpret_cast<const char*>(data), size)).readable) {
        return 0;
    }
    // One option set per input, chosen by its last byte, so that each input
    // costs one analysis; the metafile writer draws for one input in four.
    const unsigned choice = size > 0 ? data[size - 1] : 0;
    const bool metafile = (choice & 0x0C) == 0;
    switch (choice % 3) {
    case 0:
        // The defaults: automatic range, core coordinates.
        AnalyseAndDraw(doc, [](CKorvanesToolDoc&) {}, metafile);
        break;
    case 1:
        // Geographic, only z, q maximised, equal Arai scales, the automatic
        // MT4 correction allowed.
        AnalyseAndDraw(
            doc,
            [](CKorvanesToolDoc& d) {
                d.m_options.m_coordinates = kGeographic;
                d.m_options.m_onlyZComponent = 1;
                d.m_options.m_equalAraiScales = 1;
                d.m_options.m_includeCheckCorrection = 1;
                d.m_criteria.allowMt4CheckCorrection = 1;
                d.m_criteria.maximizeQ = 1;
            },
            metafile);
        break;
    default:
        // Bedding, check corrected, a range chosen by the user: from the
        // first measurement's temperature to the last one's.
        AnalyseAndDraw(
            doc,
            [](CKorvanesToolDoc& d) {
                d.m_options.m_coordinates = kBedding;
                d.m_options.m_checkCorrected = 1;
                d.m_options.m_rangeMode = kSelectedRange;
                if (d.m_measurements.empty()) {
                    return;
                }
                const auto clamp = [](float code) { return static_cast<int>(std::fmin(std::fmax(code, -1e6f), 1e6f)); };
                d.m_result.tMin = clamp(d.m_measurements.front().treatmentCode);
                d.m_result.tMax = clamp(d.m_measurements.back().treatmentCode);
            },
            metafile);
        break;
    }
    return 0;
}
