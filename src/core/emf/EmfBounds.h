#pragma once
// The pixels that a drawing operation may touch, for the picture bounds that
// the metafile header carries (inclusive-inclusive device pixels: the units
// the surface takes its coordinates in, which the records hold in finer
// logical units, see EmfWriter.h).
//
// The rules, chosen to cover what a GDI-style renderer paints:
// - Line from (x1, y1) to (x2, y2), ellipse or rectangle in the box between
//   those corners, with pen width w: the rectangle spanned by the two points,
//   widened on every side by h = ⌊max(w, 1) / 2⌋. A one-unit line thus
//   touches exactly the pixels between its end points. (GDI leaves out the
//   right and bottom edges of a box, but readers that draw it as geometry
//   reach them.)
// - Text of measured width W in a font of em E: Arial's ascent and descent
//   rounded up, a = ⌈E·1854/2048⌉ above the baseline and d = ⌈E·434/2048⌉
//   below it. Centred on x with the baseline on y the box is
//   x − ⌊W/2⌋ .. x − ⌊W/2⌋ + W − 1 by y − a .. y + d − 1; with the top-left
//   corner at (x, y) it is x .. x + W − 1 by y .. y + a + d − 1. A text of
//   width 0 touches nothing.
// The picture's bounds are the union of these boxes grown by kBlankMargin on
// every side. Readers draw a line centred on its coordinates (half a pixel
// either side of the pixel above), blend its edges into the next pixel, and
// draw glyphs with their own, unhinted advances that may ink a pixel beyond
// the measured width; the margin keeps all of that inside the picture, and
// its outermost rows and columns blank.
// All arithmetic is 64-bit so that extreme coordinates cannot overflow.

#include <cstdint>

#include "plots/DrawingSurface.h"

namespace korvanes::emf {

// Blank pixels around everything drawn, on every side of the bounds.
inline constexpr int kBlankMargin = 2;

struct PixelBox {
    std::int64_t left = 0;
    std::int64_t top = 0;
    std::int64_t right = -1;
    std::int64_t bottom = -1;
    bool IsEmpty() const { return right < left || bottom < top; }
};

PixelBox StrokeBox(int x1, int y1, int x2, int y2, int penWidth);
PixelBox TextBox(int x, int y, std::int64_t width, int em, TextAnchor anchor);

// The union of the boxes added so far.
class BoundsAccumulator {
public:
    void Add(const PixelBox& box);
    bool IsEmpty() const { return m_empty; }
    // The union grown by kBlankMargin, clamped to the 32-bit range;
    // (0, 0, −1, −1) when nothing was added, the empty rectangle of the format.
    void Get(std::int32_t& left, std::int32_t& top, std::int32_t& right, std::int32_t& bottom) const;

private:
    bool m_empty = true;
    PixelBox m_box;
};

// Clamps a 64-bit value into the 32-bit range of the record fields.
std::int32_t ClampToInt32(std::int64_t v);

}  // namespace korvanes::emf
