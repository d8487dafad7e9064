#include "QtTextMeasurer.h"

#include <QFontMetrics>
#include <QImage>

#include "ArialFont.h"
#include "text/TextEncoding.h"

namespace korvanes {

int QtTextMeasurer::TextWidth(std::string_view text, int height) const
{
    // A 96-dpi device, so that the metrics are those of a screen pixel grid
    // whatever display (or none) the program runs on.
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        image.setDotsPerMeterX(3780);
        image.setDotsPerMeterY(3780);
        return image;
    }();
    const QFontMetrics metrics(ArialForCellHeight(height), &device);
    return metrics.horizontalAdvance(QString::fromStdU16String(ToUtf16(text)));
}

}  // namespace korvanes
