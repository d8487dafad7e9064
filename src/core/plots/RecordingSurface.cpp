#include "plots/RecordingSurface.h"

#include <cmath>
#include <cstdlib>

#include "plots/PlotLayout.h"

namespace korvanes {

FixedAdvanceMeasurer::FixedAdvanceMeasurer(int advanceNumerator, int advanceDenominator, int defaultCellHeight)
    : m_numerator(advanceNumerator),
      m_denominator(advanceDenominator > 0 ? advanceDenominator : 1),
      m_defaultCellHeight(defaultCellHeight)
{
}

int FixedAdvanceMeasurer::TextWidth(std::string_view text, int height) const
{
    // A negative height (an em) scales the advance by its size all the same.
    const long long size = height != 0 ? std::llabs(height) : m_defaultCellHeight;
    const long long advance = size * m_numerator / m_denominator;
    const long long width = advance * static_cast<long long>(text.size());
    return width > kMaxDrawableUnit ? kMaxDrawableUnit : static_cast<int>(width);
}

RecordingSurface::RecordingSurface(const TextMeasurer& measurer, bool hasReferenceDevice, double unitsPerPoint)
    : m_measurer(measurer), m_hasReferenceDevice(hasReferenceDevice), m_unitsPerPoint(unitsPerPoint)
{
}

RecordedFont RecordingSurface::CurrentFont() const
{
    return m_fonts.empty() ? RecordedFont{} : m_fonts.back();
}

RecordedPrimitive& RecordingSurface::Record(PrimitiveKind kind)
{
    RecordedPrimitive& p = m_primitives.emplace_back();
    p.kind = kind;
    p.pen = m_pen;
    p.fill = m_fill;
    p.font = CurrentFont();
    p.anchor = m_anchor;
    return p;
}

void RecordingSurface::MoveTo(int x, int y)
{
    RecordedPrimitive& p = Record(PrimitiveKind::kMoveTo);
    p.x1 = p.x2 = x;
    p.y1 = p.y2 = y;
    m_x = x;
    m_y = y;
}

void RecordingSurface::LineTo(int x, int y)
{
    RecordedPrimitive& p = Record(PrimitiveKind::kLineTo);
    p.x1 = m_x;
    p.y1 = m_y;
    p.x2 = x;
    p.y2 = y;
    m_x = x;
    m_y = y;
}

void RecordingSurface::Ellipse(int x1, int y1, int x2, int y2)
{
    RecordedPrimitive& p = Record(PrimitiveKind::kEllipse);
    p.x1 = x1;
    p.y1 = y1;
    p.x2 = x2;
    p.y2 = y2;
}

void RecordingSurface::Rectangle(int x1, int y1, int x2, int y2)
{
    RecordedPrimitive& p = Record(PrimitiveKind::kRectangle);
    p.x1 = x1;
    p.y1 = y1;
    p.x2 = x2;
    p.y2 = y2;
}

void RecordingSurface::Text(int x, int y, std::string_view text)
{
    RecordedPrimitive& p = Record(PrimitiveKind::kText);
    p.x1 = p.x2 = x;
    p.y1 = p.y2 = y;
    p.text = std::string(text);
}

void RecordingSurface::SetTextAnchor(TextAnchor anchor)
{
    m_anchor = anchor;
    Record(PrimitiveKind::kSetTextAnchor);
}

int RecordingSurface::TextWidth(std::string_view text)
{
    return m_measurer.TextWidth(text, CurrentFont().cellHeight);
}

void RecordingSurface::SelectPen(PenStyle style, Rgb colour, int width)
{
    m_pen = RecordedPen{style, colour, width};
    Record(PrimitiveKind::kSelectPen);
}

void RecordingSurface::SelectFill(Rgb colour)
{
    m_fill = colour;
    Record(PrimitiveKind::kSelectFill);
}

void RecordingSurface::SelectFontPoints(int points)
{
    RecordedFont font;
    font.inPoints = true;
    font.size = points;
    if (m_hasReferenceDevice) {
        bool ok = false;
        const int height = TruncateToInt(points * m_unitsPerPoint, &ok);
        font.cellHeight = ok ? height : 0;
    }
    m_fonts.push_back(font);
    Record(PrimitiveKind::kSelectFont);
}

void RecordingSurface::SelectFontHeight(int cellHeight)
{
    m_fonts.push_back(RecordedFont{false, cellHeight, cellHeight});
    Record(PrimitiveKind::kSelectFont);
}

void RecordingSurface::ReleaseFont()
{
    if (!m_fonts.empty()) {
        m_fonts.pop_back();
    }
    Record(PrimitiveKind::kReleaseFont);
}

std::vector<RecordedPrimitive> RecordingSurface::OfKind(PrimitiveKind kind) const
{
    std::vector<RecordedPrimitive> out;
    for (const RecordedPrimitive& p : m_primitives) {
        if (p.kind == kind) {
            out.push_back(p);
        }
    }
    return out;
}

std::vector<std::string> RecordingSurface::Texts() const
{
    std::vector<std::string> out;
    for (const RecordedPrimitive& p : m_primitives) {
        if (p.kind == PrimitiveKind::kText) {
            out.push_back(p.text);
        }
    }
    return out;
}

void RecordingSurface::Clear()
{
    m_primitives.clear();
}

}  // namespace korvanes
