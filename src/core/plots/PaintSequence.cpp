#include "plots/PaintSequence.h"

#include "analysis/AnalysisRun.h"

namespace korvanes {

void DrawAllPlots(DrawingSurface&, int, const CKorvanesToolDoc&) {}

void PaintPlot(DrawingSurface& surface, CKorvanesToolDoc& doc, ClientSize client,
               const std::function<void()>& notifyOtherViews)
{
    (void)surface;
    (void)client;
    if (!doc.m_measurements.empty()) {
        RunAnalysis(doc);
    }
    if (notifyOtherViews) {
        notifyOtherViews();
    }
}

}  // namespace korvanes
