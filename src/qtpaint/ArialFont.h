#pragma once
// Arial as the diagrams ask for it, sized the way the drawing surface's
// contract defines the two requests: in points for a device, or by the cell
// height (ascent plus descent) in pixels. On Linux "Arial" resolves through
// fontconfig to the metric-compatible Liberation Sans.

#include <QFont>
#include <QPaintDevice>

namespace korvanes {

// The cell height that a requested height of 0 stands for ("the font system's
// default size"), in pixels.
inline constexpr int kDefaultCellHeight = 16;

// Arial at `points` for a device of `dpiY` logical dots per inch: an em of
// points·dpiY/72 pixels, rounded. A size of 0 or less gives the default size.
QFont ArialForPoints(int points, int dpiY);

// Arial whose cell height is `cellHeight` pixels. 0 gives the default size; a
// negative value is taken as the em height in pixels, as font requests of
// the metafile world do.
QFont ArialForCellHeight(int cellHeight);

}  // namespace korvanes
