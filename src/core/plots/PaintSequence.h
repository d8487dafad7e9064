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

}  // namespace korvanes
