#include "ArialFont.h"

#include <QFontMetricsF>
#include <QImage>
#include <algorithm>
#include <cmath>

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

// Ratio of the cell height (ascent + descent) to the em of Arial, measured
// once on a large size so that hinting does not distort it.
double CellToEmRatio()
{
    static const double ratio = [] {
        constexpr int kProbe = 256;
        QImage probeDevice(1, 1, QImage::Format_RGB32);
        const QFontMetricsF metrics(ArialWithPixelSize(kProbe), &probeDevice);
        const double cell = metrics.ascent() + metrics.descent();
        return cell > 0.0 ? cell / kProbe : 1.0;
    }();
    return ratio;
}

}  // namespace

QFont ArialForPoints(int points, int dpiY)
{
    if (points <= 0 || dpiY <= 0) {
        return ArialForCellHeight(0);
    }
    const double em = std::round(static_cast<double>(points) * dpiY / 72.0);
    return ArialWithPixelSize(static_cast<int>(std::min(em, static_cast<double>(kMaxPixelSize))));
}

QFont ArialForCellHeight(int cellHeight)
{
    if (cellHeight == 0) {
        cellHeight = kDefaultCellHeight;
    }
    if (cellHeight < 0) {
        // The em height itself; -INT_MIN is guarded by the clamp's bound.
        return ArialWithPixelSize(cellHeight < -kMaxPixelSize ? kMaxPixelSize : -cellHeight);
    }
    const double em = std::round(std::min(cellHeight, kMaxPixelSize) / CellToEmRatio());
    return ArialWithPixelSize(static_cast<int>(em));
}

}  // namespace korvanes
