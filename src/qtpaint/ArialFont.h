#pragma once
// Arial as the diagrams ask for it, sized the way the drawing surface's
// contract defines the two requests: in points for a device, or by the cell
// height (ascent plus descent) in pixels. Both become the em of the core's
// font rules, the one a metafile names too. On Linux "Arial" resolves
// through fontconfig to the metric-compatible Liberation Sans.

#include <QFont>

#include "plots/ArialMetrics.h"

namespace korvanes {

// Arial at `points` for a device of `dpiY` logical dots per inch (an em of
// points·dpiY/72 pixels, rounded). A size of 0 or less gives the default size.
QFont ArialForPoints(int points, int dpiY);

// Arial whose cell height is `cellHeight` pixels. 0 gives the default size; a
// negative value is taken as the em height in pixels, as font requests of
// the metafile world do.
QFont ArialForCellHeight(int cellHeight);

}  // namespace korvanes
