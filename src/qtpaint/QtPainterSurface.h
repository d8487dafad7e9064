#pragma once
// A drawing surface over a QPainter: screen, printer, image, PDF or SVG.

#include <QPainter>

#include "plots/DrawingSurface.h"

namespace korvanes {

class QtPainterSurface final : public DrawingSurface {
public:
    explicit QtPainterSurface(QPainter& painter) : m_painter(painter) {}

    bool HasReferenceDevice() const override { return true; }
    void MoveTo(int, int) override {}
    void LineTo(int, int) override {}
    void Ellipse(int, int, int, int) override {}
    void Rectangle(int, int, int, int) override {}
    void Text(int, int, std::string_view) override {}
    void SetTextAnchor(TextAnchor) override {}
    int TextWidth(std::string_view) override { return 0; }
    void SelectPen(PenStyle, Rgb, int) override {}
    void SelectFill(Rgb) override {}
    void SelectFontPoints(int) override {}
    void SelectFontHeight(int) override {}
    void ReleaseFont() override {}

private:
    QPainter& m_painter;
};

}  // namespace korvanes
