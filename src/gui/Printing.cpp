#include "Printing.h"

#include <QPainter>
#include <QPrinter>
#include <algorithm>

#include "KorvanesToolView.h"
#include "QtPainterSurface.h"
#include "plots/PaintSequence.h"

namespace korvanes::gui {

bool PrintPage(QPrinter& printer, CKorvanesToolView& view)
{
    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    int c = 1;
    {
        QtPainterSurface probe(painter);
        c = std::max(1, MeasureScaleUnit(probe));
    }
    // The picture in units of c, and the printable area in device pixels.
    const ClientSize picture = DefaultPictureSize(view.Document().Doc().m_options.m_plotType);
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const double scale = std::min({1.0, page.width() / (static_cast<double>(c) * picture.width),
                                   page.height() / (static_cast<double>(c) * picture.height)});
    painter.scale(scale, scale);
    // The window size that centres a single diagram on the page.
    const QSize client(static_cast<int>(page.width() / (scale * c)), static_cast<int>(page.height() / (scale * c)));
    view.OnDraw(painter, client);
    return painter.end();
}

bool PrintPicture(QPrinter& printer, const PicturePainter& paint)
{
    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    {
        QtPainterSurface surface(painter);
        paint(surface, ClientSize{page.width(), std::min(page.height(), page.width() * 2 / 3)});
    }
    return painter.end();
}

}  // namespace korvanes::gui
