#pragma once
// The pixels that a drawing operation may touch, for the picture bounds that
// the metafile header carries (inclusive-inclusive device units; with the
// text mapping one logical unit is one device pixel).
//
// The rules, chosen to cover what a GDI-style renderer paints:
// - Line from (x0, y0) to (x1, y1) with pen width w: the rectangle spanned by
//   the two end points, widened on every side by h = ⌊max(w, 1) / 2⌋. A one-unit
//   pen thus touches exactly the pixels between the end points.
// - Ellipse and rectangle in the box L..R × T..B (corners normalised): the
//   right and bottom edges are excluded, as the renderer draws them, so the
//   pixels are L..R−1 × T..B−1 (a box of zero width or height still counts
//   its one column or row), widened by h on every side.
// - Text of measured width W and font cell height H (H = 16 for the font
//   system's default size): the cell is split into ascent H − ⌊H/5⌋ above the
//   baseline and descent ⌊H/5⌋ below it (Arial's proportions). Centred on x
//   with the baseline on y the box is x − ⌊W/2⌋ .. x − ⌊W/2⌋ + W − 1 by
//   y − ascent .. y + descent − 1; with the top-left corner at (x, y) it is
//   x .. x + W − 1 by y .. y + H − 1. A text of width 0 touches nothing.
// All arithmetic is 64-bit so that extreme coordinates cannot overflow.

#include <cstdint>

#include "plots/DrawingSurface.h"

namespace korvanes::emf {

// The cell height that stands for a font of height 0 (the default size).
inline constexpr int kDefaultCellHeight = 16;

struct PixelBox {
    std::int64_t left = 0;
    std::int64_t top = 0;
    std::int64_t right = -1;
    std::int64_t bottom = -1;
    bool IsEmpty() const { return right < left || bottom < top; }
};

PixelBox LineBox(int x0, int y0, int x1, int y1, int penWidth);
PixelBox ShapeBox(int x1, int y1, int x2, int y2, int penWidth);
PixelBox TextBox(int x, int y, std::int64_t width, int cellHeight, TextAnchor anchor);

// The union of the boxes added so far.
class BoundsAccumulator {
public:
    void Add(const PixelBox& box);
    bool IsEmpty() const { return m_empty; }
    // The union, clamped to the 32-bit range; (0, 0, −1, −1) when nothing
    // was added, the empty rectangle of the format.
    void Get(std::int32_t& left, std::int32_t& top, std::int32_t& right, std::int32_t& bottom) const;

private:
    bool m_empty = true;
    PixelBox m_box;
};

// Clamps a 64-bit value into the 32-bit range of the record fields.
std::int32_t ClampToInt32(std::int64_t v);

}  // namespace korvanes::emf
