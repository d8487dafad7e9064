// Arial must resolve to a font with Arial's metrics, or every text width and
// the scale unit of the pictures would be off.

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>

#include "ArialFont.h"
#include "QtPainterSurface.h"
#include "QtTextMeasurer.h"
#include "TestSupport.h"

namespace korvanes {
namespace {

TEST(ArialFont, ResolvesToAMetricCompatibleFont)
{
    const QString family = QFontInfo(QFont(QStringLiteral("Arial"))).family();
    EXPECT_TRUE(family == QStringLiteral("Liberation Sans") || family == QStringLiteral("Arial"))
        << "\"Arial\" resolves to \"" << family.toStdString()
        << "\": install Debian's fonts-liberation2 (Liberation Sans, metric-compatible with Arial) "
           "so that text widths and the scale unit of the pictures come out right";
    EXPECT_EQ(QFontInfo(ArialForCellHeight(16)).family(), family);
}

TEST(ArialFont, TenPointZeroAt96DpiIsSevenOrEightPixels)
{
    const QImage screen = test::Canvas(1, 1);
    const QFontMetrics metrics(ArialForPoints(10, 96), &screen);
    const int zero = metrics.horizontalAdvance(QStringLiteral("0"));
    EXPECT_GE(zero, 7);
    EXPECT_LE(zero, 8);
}

TEST(ArialFont, PointSizeInPixelsRoundsLikeTheMetafileWorld)
{
    EXPECT_EQ(ArialForPoints(10, 96).pixelSize(), 13);  // 13.33
    EXPECT_EQ(ArialForPoints(5, 96).pixelSize(), 7);    // 6.67
    EXPECT_EQ(ArialForPoints(10, 600).pixelSize(), 83);  // 83.33
    EXPECT_EQ(ArialForPoints(0, 96).pixelSize(), ArialForCellHeight(kDefaultCellHeight).pixelSize());
    EXPECT_EQ(ArialForPoints(10, 0).pixelSize(), ArialForCellHeight(kDefaultCellHeight).pixelSize());
    // Arial's cell is 2288/2048 of its em: a cell of 16 has an em of 14.
    EXPECT_EQ(ArialForCellHeight(16).pixelSize(), 14);
    EXPECT_EQ(ArialForCellHeight(-20).pixelSize(), 20);
    EXPECT_GT(ArialForCellHeight(INT32_MAX).pixelSize(), 0);
    EXPECT_GT(ArialForCellHeight(INT32_MIN).pixelSize(), 0);
    EXPECT_FALSE(ArialForCellHeight(16).kerning());
}

TEST(QtTextMeasurer, AgreesWithTheSurfaceAtTheSameCellHeight)
{
    const QtTextMeasurer measurer;
    QImage image = test::Canvas(10, 10);
    QPainter painter(&image);
    QtPainterSurface surface(painter);
    for (int cell : {0, 16, 30}) {
        surface.SelectFontHeight(cell);
        for (const char* text : {"0", "NRM (* 123.46 mA/m)", "350\xB0" "C", ""}) {
            EXPECT_EQ(measurer.TextWidth(text, cell), surface.TextWidth(text)) << "cell " << cell << " '" << text << "'";
        }
    }
    EXPECT_EQ(measurer.TextWidth("00", 16), 2 * measurer.TextWidth("0", 16));
    EXPECT_GT(measurer.TextWidth("0", 32), measurer.TextWidth("0", 16));
    EXPECT_EQ(measurer.TextWidth("0", 0), measurer.TextWidth("0", kDefaultCellHeight));
}

}  // namespace
}  // namespace korvanes
