#pragma once
// A drawing surface over a QPainter: screen, printer, image, PDF or SVG.
//
// Pixel conventions follow the metafile world the diagrams were laid out for,
// so that a picture looks the same whichever surface drew it:
// - a line from the current position to (x, y) leaves out its end point (a
//   one-unit pen is one device pixel wide, without anti-aliasing);
// - a rectangle or ellipse between corners (x1, y1) and (x2, y2), in either
//   order, covers the pixels from min(x) to max(x) − 1 and min(y) to
//   max(y) − 1, outline included;
// - a pen wider than one unit has round caps and joins; a dashed pen dashes
//   18 units on and 6 off at any width;
// - a pen unit is one scale unit of the device (the width of "0" in Arial at
//   10 points over 7): one pixel on a 96-dpi screen or picture, about 13
//   dots on a 1200-dpi printer, so that a printed diagram has the strokes of
//   the exported one instead of hairlines;
// - text is black on a transparent background.

#include <QFont>
#include <QPainter>
#include <QPoint>
#include <vector>

#include "plots/DrawingSurface.h"

namespace korvanes {

class QtPainterSurface final : public DrawingSurface {
public:
    // Draws on the active `painter`, whose device gives the point-size fonts
    // their resolution. Sets the initial state on the painter: black solid
    // one-unit pen, white fill, transparent text background, anchor
    // centre/baseline, current position (0, 0). The painter must outlive
    // the surface.
    explicit QtPainterSurface(QPainter& painter);

    // Text under 10 points is drawn with an em of at least 8 device pixels,
    // whatever the painter's scale (a page fitted into its pane keeps its
    // small labels legible). Off by default.
    void KeepSmallTextSize(bool keep) { m_keepSmallTextSize = keep; }

    bool HasReferenceDevice() const override { return true; }
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void Ellipse(int x1, int y1, int x2, int y2) override;
    void Rectangle(int x1, int y1, int x2, int y2) override;
    void Text(int x, int y, std::string_view text) override;
    void SetTextAnchor(TextAnchor anchor) override;
    int TextWidth(std::string_view text) override;
    void SelectPen(PenStyle style, Rgb colour, int width) override;
    void SelectFill(Rgb colour) override;
    // Arial at `points` for the painter's device (its logical vertical dpi).
    void SelectFontPoints(int points) override;
    void SelectFontHeight(int cellHeight) override;
    // Goes back to the font selected before the latest Select call; with no
    // such font it keeps the current one.
    void ReleaseFont() override;

private:
    void SelectFont(const QFont& font);

    QPainter& m_painter;
    int m_penUnit = 1;
    bool m_keepSmallTextSize = false;
    QPoint m_position;
    TextAnchor m_anchor = TextAnchor::kCentreBaseline;
    std::vector<QFont> m_previousFonts;
};

}  // namespace korvanes
