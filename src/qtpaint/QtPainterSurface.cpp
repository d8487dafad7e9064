#include "QtPainterSurface.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPen>
#include <QRect>
#include <algorithm>
#include <cmath>

#include "ArialFont.h"
#include "text/TextEncoding.h"

namespace korvanes {
namespace {

// Length of a dash and of the gap after it, in units, whatever the width.
constexpr double kDashOn = 18.0;
constexpr double kDashOff = 6.0;

// A bound well beyond any page, so that corner arithmetic cannot overflow.
constexpr int kCoordinateLimit = 1 << 24;

int Clamp(int v) { return std::clamp(v, -kCoordinateLimit, kCoordinateLimit); }

QColor ToQColor(Rgb colour) { return QColor(colour.r, colour.g, colour.b); }

QString ToQString(std::string_view text)
{
    const std::u16string utf16 = ToUtf16(text);
    return QString::fromStdU16String(utf16);
}

// The box that covers the pixels min..max−1 on both axes, in QRect terms
// (whose outline includes its right and bottom edges); false when the
// corners leave no pixel between them.
bool PixelBox(int x1, int y1, int x2, int y2, QRect& box)
{
    const int left = Clamp(std::min(x1, x2));
    const int right = Clamp(std::max(x1, x2));
    const int top = Clamp(std::min(y1, y2));
    const int bottom = Clamp(std::max(y1, y2));
    if (right - left < 1 || bottom - top < 1) {
        return false;
    }
    box = QRect(left, top, right - left - 1, bottom - top - 1);
    return true;
}

// Device pixels per pen unit: the device's scale unit, at least 1.
int PenUnit(QPaintDevice* device)
{
    const int dpi = device != nullptr ? device->logicalDpiY() : 96;
    const QFontMetrics metrics(ArialForPoints(10, dpi), device);
    return std::max(1, metrics.horizontalAdvance(QLatin1Char('0')) / 7);
}

}  // namespace

QtPainterSurface::QtPainterSurface(QPainter& painter) : m_painter(painter), m_penUnit(PenUnit(painter.device()))
{
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.setBackgroundMode(Qt::TransparentMode);
    SelectPen(PenStyle::kSolid, kBlack, 1);
    SelectFill(kWhite);
}

void QtPainterSurface::MoveTo(int x, int y) { m_position = QPoint(Clamp(x), Clamp(y)); }

void QtPainterSurface::LineTo(int x, int y)
{
    const QPoint to(Clamp(x), Clamp(y));
    if (to != m_position) {
        m_painter.drawLine(m_position, to);
    }
    m_position = to;
}

void QtPainterSurface::Ellipse(int x1, int y1, int x2, int y2)
{
    QRect box;
    if (PixelBox(x1, y1, x2, y2, box)) {
        m_painter.drawEllipse(box);
    }
}

void QtPainterSurface::Rectangle(int x1, int y1, int x2, int y2)
{
    QRect box;
    if (PixelBox(x1, y1, x2, y2, box)) {
        m_painter.drawRect(box);
    }
}

void QtPainterSurface::Text(int x, int y, std::string_view text)
{
    const QString s = ToQString(text);
    const QFontMetrics metrics = m_painter.fontMetrics();
    QPoint baseline;
    if (m_anchor == TextAnchor::kCentreBaseline) {
        baseline = QPoint(Clamp(x) - metrics.horizontalAdvance(s) / 2, Clamp(y));
    } else {
        baseline = QPoint(Clamp(x), Clamp(y) + metrics.ascent());
    }
    const QPen pen = m_painter.pen();
    m_painter.setPen(QPen(Qt::black));
    m_painter.drawText(baseline, s);
    m_painter.setPen(pen);
}

void QtPainterSurface::SetTextAnchor(TextAnchor anchor) { m_anchor = anchor; }

int QtPainterSurface::TextWidth(std::string_view text)
{
    return m_painter.fontMetrics().horizontalAdvance(ToQString(text));
}

void QtPainterSurface::SelectPen(PenStyle style, Rgb colour, int width)
{
    const int w = std::clamp(width, 1, 1000);
    QPen pen(ToQColor(colour));
    pen.setWidth(w * m_penUnit);
    if (w == 1) {
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::MiterJoin);
    } else {
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
    }
    if (style == PenStyle::kDashed) {
        // Qt measures dash patterns in pen widths.
        pen.setDashPattern({kDashOn / w, kDashOff / w});
    }
    m_painter.setPen(pen);
}

void QtPainterSurface::SelectFill(Rgb colour) { m_painter.setBrush(QBrush(ToQColor(colour))); }

void QtPainterSurface::SelectFontPoints(int points)
{
    const QPaintDevice* device = m_painter.device();
    QFont font = ArialForPoints(points, device != nullptr ? device->logicalDpiY() : 96);
    // The all-plots page's 5-point labels are 7 pixels high on a 96-dpi
    // screen even at scale 1; on a fitted page they get at least 8, which
    // the panels of the additional diagrams still hold side by side.
    constexpr int kLegibleSmallTextPixels = 8;
    const double scale = m_painter.worldTransform().m22();
    if (m_keepSmallTextSize && points < 10 && scale > 0.0 && font.pixelSize() * scale < kLegibleSmallTextPixels) {
        font.setPixelSize(static_cast<int>(std::ceil(kLegibleSmallTextPixels / scale)));
    }
    SelectFont(font);
}

void QtPainterSurface::SelectFontHeight(int cellHeight) { SelectFont(ArialForCellHeight(cellHeight)); }

void QtPainterSurface::ReleaseFont()
{
    if (m_previousFonts.empty()) {
        return;
    }
    m_painter.setFont(m_previousFonts.back());
    m_previousFonts.pop_back();
}

void QtPainterSurface::SelectFont(const QFont& font)
{
    m_previousFonts.push_back(m_painter.font());
    m_painter.setFont(font);
}

}  // namespace korvanes
