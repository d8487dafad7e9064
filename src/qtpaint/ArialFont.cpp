#include "ArialFont.h"

#include <algorithm>

namespace korvanes {
namespace {

// The largest em we hand to the font system; far beyond any diagram label,
// and it keeps absurd requests from allocating huge glyph caches.
constexpr int kMaxPixelSize = 4000;

QFont ArialWithPixelSize(int pixelSize)
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    // Text widths follow the advance widths alone, as the diagrams' layout
    // assumes; kerning would make the width of "10" differ from "1" + "0".
    font.setKerning(false);
    font.setPixelSize(std::clamp(pixelSize, 1, kMaxPixelSize));
    return font;
}

}  // namespace

QFont ArialForPoints(int points, int dpiY)
{
    return ArialWithPixelSize(EmForPoints(points, dpiY));
}

QFont ArialForCellHeight(int cellHeight)
{
    if (cellHeight < 0) {
        // The em height itself; -INT_MIN is guarded by the clamp's bound.
        return ArialWithPixelSize(cellHeight < -kMaxPixelSize ? kMaxPixelSize : -cellHeight);
    }
    return ArialWithPixelSize(ArialEmForCellHeight(cellHeight));
}

}  // namespace korvanes
