#include "plots/PaintSequence.h"

#include "analysis/AnalysisRun.h"

namespace korvanes {
namespace {

// The list that panel B of the additional diagrams shows.
const std::vector<CStepVector>& PanelBList(const CKorvanesToolDoc& doc)
{
    return doc.m_options.m_checkCorrected != 0 ? doc.m_additivityResults : doc.m_ptrmCheckDiffs;
}

// The scale unit c: the width of "0" in the selected 10-point font over 7,
// truncated (7 or 8 units on a 96-dpi screen give 1). A measurer that reports
// a negative width gives 0, like a device too coarse for the font.
int ScaleUnitFromZeroWidth(int zeroWidth)
{
    return zeroWidth > 0 ? zeroWidth / 7 : 0;
}

}  // namespace

void DrawAllPlots(DrawingSurface& surface, int scaleUnit, const CKorvanesToolDoc& doc)
{
    surface.SelectFontPoints(5);
    const bool equalScales = doc.m_options.m_equalAraiScales != 0;

    DiagramFrame frame;
    frame.fixedLayout = 1;
    frame.scaleUnit = scaleUnit;

    frame.widthUnits = equalScales ? 200 : 300;
    frame.heightUnits = 200;
    DrawAraiPlot(surface, frame, doc, doc.m_zeroFieldSteps, doc.m_ptrmGained, doc.m_ptrmChecks,
                 doc.m_additivityResults);

    frame.widthUnits = 250;
    frame.heightUnits = 250;
    DrawZijderveldPlot(surface, frame, doc, doc.m_zeroFieldSteps, doc.m_tailChecks);

    frame.widthUnits = 300;
    frame.heightUnits = 200;
    DrawDecayPlot(surface, frame, doc, doc.m_zeroFieldSteps, doc.m_tailChecks);

    DrawAdditionalPlots(surface, frame, doc, doc.m_ptrmGained, PanelBList(doc), doc.m_tailCheckStats);

    surface.ReleaseFont();
}

int MeasureScaleUnit(DrawingSurface& surface)
{
    if (!surface.HasReferenceDevice()) {
        return 1;
    }
    surface.SelectFontPoints(10);
    const int c = ScaleUnitFromZeroWidth(surface.TextWidth("0"));
    surface.ReleaseFont();
    return c;
}

ClientSize DefaultPictureSize(int plotType)
{
    // The diagram rectangle with room for its labels; the all-plots page has
    // its diagrams at fixed centres up to 550 units plus half a diagram.
    switch (plotType) {
    case kZijderveldPlot:
        return {540, 540};
    case kAllPlots:
        return {760, 760};
    case kRangeMapPlot:
        return {520, 520};
    default:
        return {520, 420};
    }
}

namespace {

// The font and scale unit, then the diagram(s) the document's m_plotType
// selects; the font stays selected.
void DrawSelectedPlot(DrawingSurface& surface, const CKorvanesToolDoc& doc, ClientSize client)
{
    surface.SetTextAnchor(TextAnchor::kCentreBaseline);
    int c = 1;
    if (surface.HasReferenceDevice()) {
        surface.SelectFontPoints(10);
        c = ScaleUnitFromZeroWidth(surface.TextWidth("0"));
    } else {
        surface.SelectFontHeight(16);
    }

    if (!doc.m_measurements.empty()) {
        DiagramFrame frame;
        frame.fixedLayout = 0;
        frame.scaleUnit = c;
        frame.client = client;
        switch (doc.m_options.m_plotType) {
        case kAraiPlot:
            frame.widthUnits = doc.m_options.m_equalAraiScales != 0 ? 300 : 400;
            frame.heightUnits = 300;
            DrawAraiPlot(surface, frame, doc, doc.m_zeroFieldSteps, doc.m_ptrmGained, doc.m_ptrmChecks,
                         doc.m_additivityResults);
            break;
        case kZijderveldPlot:
            frame.widthUnits = 400;
            frame.heightUnits = 400;
            DrawZijderveldPlot(surface, frame, doc, doc.m_zeroFieldSteps, doc.m_tailChecks);
            break;
        case kDecayPlot:
            frame.widthUnits = 400;
            frame.heightUnits = 300;
            DrawDecayPlot(surface, frame, doc, doc.m_zeroFieldSteps, doc.m_tailChecks);
            break;
        case kAdditionalPlots:
            frame.widthUnits = 400;
            frame.heightUnits = 300;
            DrawAdditionalPlots(surface, frame, doc, doc.m_ptrmGained, PanelBList(doc), doc.m_tailCheckStats);
            break;
        case kAllPlots:
            DrawAllPlots(surface, c, doc);
            break;
        case kRangeMapPlot:
            frame.widthUnits = 440;
            frame.heightUnits = 460;
            DrawRangeMap(surface, frame, doc);
            break;
        default:
            break;  // an unknown diagram choice draws nothing
        }
    }
}

}  // namespace

void PaintPlot(DrawingSurface& surface, CKorvanesToolDoc& doc, ClientSize client,
               const std::function<void()>& notifyOtherViews)
{
    if (!doc.m_measurements.empty()) {
        RunAnalysis(doc);
    }
    DrawSelectedPlot(surface, doc, client);
    if (notifyOtherViews) {
        notifyOtherViews();
    }
    surface.ReleaseFont();
}

void DrawPlot(DrawingSurface& surface, const CKorvanesToolDoc& doc, ClientSize client)
{
    DrawSelectedPlot(surface, doc, client);
    surface.ReleaseFont();
}

}  // namespace korvanes
