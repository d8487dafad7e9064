#pragma once
// One paint of the plot view: font and scale unit, the analysis run, the
// diagram(s) that m_plotType selects, and the notification of the other views.

#include <functional>

#include "document/Document.h"
#include "plots/DrawingSurface.h"
#include "plots/Plots.h"

namespace korvanes {

// Runs the analysis on `doc` and draws onto `surface`. `client` is the
// view window's client area in screen pixels (it centres a single diagram).
// `notifyOtherViews` is called after drawing (also when nothing was drawn).
void PaintPlot(DrawingSurface& surface, CKorvanesToolDoc& doc, ClientSize client,
               const std::function<void()>& notifyOtherViews = {});

// Draws the diagram(s) of an analysed document as PaintPlot does, without
// running the analysis (a window whose document analyses itself on each
// change of its inputs).
void DrawPlot(DrawingSurface& surface, const CKorvanesToolDoc& doc, ClientSize client);

// The scale unit c that a paint on `surface` uses: the width of "0" in Arial
// at 10 points for the surface's device over 7, truncated (1 on a 96-dpi
// screen, about 6 on a 600-dpi printer); 1 on a surface without a reference
// device. Leaves the surface's font as it was.
int MeasureScaleUnit(DrawingSurface& surface);

// The size of a picture that holds the diagram(s) of `plotType` with their
// labels, in units of c = 1: the diagram centred, or the all-plots page.
ClientSize DefaultPictureSize(int plotType);

}  // namespace korvanes
