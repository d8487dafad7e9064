#pragma once
// The sizes of Arial that the diagrams ask for, in the whole pixels that a
// font request names. Every surface turns a request into the same em (the
// font size proper), so that a picture measured on one surface is drawn at
// that size by another, and a metafile names its fonts by their em, which
// every reader takes the same way.

#include <cstdint>

namespace korvanes {

// Arial's vertical metrics in font units (Liberation Sans, its metric-
// compatible stand-in, has the same): the cell is ascent plus descent.
inline constexpr int kArialUnitsPerEm = 2048;
inline constexpr int kArialAscent = 1854;
inline constexpr int kArialDescent = 434;

// The cell height that a requested height of 0 stands for ("the font
// system's default size"), in pixels.
inline constexpr int kDefaultCellHeight = 16;

// The em in pixels of Arial whose cell is `cellHeight` pixels: the nearest
// whole pixel, at least 1 (a cell of 16 has an em of 14). 0 or less is the
// default size.
int ArialEmForCellHeight(int cellHeight);

// The em in pixels of a font of `points` on a device of `dotsPerInch`:
// points·dpi/72 rounded to the nearest pixel, at least 1 (10 points at 96 dpi
// are 13 pixels, 5 points 7). Points or a resolution of 0 or less, or a
// non-finite resolution, give the default size.
int EmForPoints(int points, double dotsPerInch);

// The whole pixels that a font of em `em` may ink above and below the
// baseline: Arial's ascent and descent rounded up.
std::int64_t ArialAscentPixels(int em);
std::int64_t ArialDescentPixels(int em);

}  // namespace korvanes
