// The QPainter surface puts each primitive on the pixels its contract names.

#include <gtest/gtest.h>

#include <QPainter>

#include "QtPainterSurface.h"
#include "TestSupport.h"

namespace korvanes {
namespace {

using test::Canvas;
using test::InkBox;

const QColor kQtBlack(0, 0, 0);
const QColor kQtRed(255, 0, 0);
const QColor kQtWhite(255, 255, 255);

TEST(QtPainterSurfaceLines, OneUnitLineIsOnePixelAndLeavesOutItsEnd)
{
    QImage image = Canvas(60, 60);
    {
        QPainter painter(&image);
        QtPainterSurface surface(painter);
        surface.MoveTo(10, 10);
        surface.LineTo(30, 10);  // horizontal
        surface.LineTo(30, 40);  // on down from the current position
    }
    for (int x = 10; x < 30; ++x) {
        EXPECT_EQ(image.pixelColor(x, 10), kQtBlack) << "x=" << x;
        EXPECT_EQ(image.pixelColor(x, 9), kQtWhite) << "x=" << x;
        EXPECT_EQ(image.pixelColor(x, 11), kQtWhite) << "x=" << x;
    }
    for (int y = 10; y < 40; ++y) {
        EXPECT_EQ(image.pixelColor(30, y), kQtBlack) << "y=" << y;
        EXPECT_EQ(image.pixelColor(29, y + 1), kQtWhite) << "y=" << y + 1;
    }
    EXPECT_EQ(image.pixelColor(30, 40), kQtWhite);  // the end point of the last line
    EXPECT_EQ(InkBox(image), QRect(QPoint(10, 10), QPoint(30, 39)));
}

TEST(QtPainterSurfaceLines, MoveToDrawsNothing)
{
    QImage image = Canvas(40, 40);
    {
        QPainter painter(&image);
        QtPainterSurface surface(painter);
        surface.MoveTo(5, 5);
        surface.MoveTo(30, 30);
        surface.LineTo(30, 30);  // a line of no length
    }
    EXPECT_TRUE(InkBox(image).isNull());
}

TEST(QtPainterSurfaceLines, PenColourAndWidth)
{
    QImage image = Canvas(60, 60);
    {
        QPainter painter(&image);
        QtPainterSurface surface(painter);
        surface.SelectPen(PenStyle::kSolid, kBlue, 3);
        surface.MoveTo(10, 30);
        surface.LineTo(50, 30);
    }
    EXPECT_EQ(image.pixelColor(30, 30), QColor(0, 0, 255));
    const QRect box = InkBox(image);
    EXPECT_EQ(box.height(), 3);
    EXPECT_EQ(box.center().y(), 30);
}

TEST(QtPainterSurfaceLines, DashedPenLeavesGaps)
{
    for (int width : {1, 2}) {
        QImage image = Canvas(200, 20);
        {
            QPainter painter(&image);
            QtPainterSurface surface(painter);
            surface.SelectPen(PenStyle::kDashed, kBlack, width);
            surface.MoveTo(0, 10);
            surface.LineTo(200, 10);
        }
        int inked = 0;
        int longestRun = 0;
        int run = 0;
        for (int x = 0; x < 200; ++x) {
            if (image.pixelColor(x, 10) == kQtBlack) {
                ++inked;
                longestRun = std::max(longestRun, ++run);
            } else {
                run = 0;
            }
        }
        // 18 on, 6 off: about three quarters inked, no dash much longer than 18.
        EXPECT_GT(inked, 120) << "width " << width;
        EXPECT_LT(inked, 180) << "width " << width;
        EXPECT_LE(longestRun, 18 + width) << "width " << width;
        EXPECT_GE(longestRun, 16) << "width " << width;
    }
}

TEST(QtPainterSurfaceShapes, FilledRectangleFromCornersInEitherOrder)
{
    for (bool swapped : {false, true}) {
        QImage image = Canvas(60, 60);
        {
            QPainter painter(&image);
            QtPainterSurface surface(painter);
            surface.SelectFill(kRed);
            if (swapped) {
                surface.Rectangle(30, 40, 10, 20);
            } else {
                surface.Rectangle(10, 20, 30, 40);
            }
        }
        SCOPED_TRACE(swapped ? "corners swapped" : "corners in order");
        EXPECT_EQ(InkBox(image), QRect(QPoint(10, 20), QPoint(29, 39)));
        for (int x = 10; x < 30; ++x) {
            EXPECT_EQ(image.pixelColor(x, 20), kQtBlack);
            EXPECT_EQ(image.pixelColor(x, 39), kQtBlack);
        }
        for (int y = 20; y < 40; ++y) {
            EXPECT_EQ(image.pixelColor(10, y), kQtBlack);
            EXPECT_EQ(image.pixelColor(29, y), kQtBlack);
        }
        for (int y = 21; y < 39; ++y) {
            for (int x = 11; x < 29; ++x) {
                ASSERT_EQ(image.pixelColor(x, y), kQtRed) << x << "," << y;
            }
        }
    }
}

TEST(QtPainterSurfaceShapes, NewSurfaceHasBlackPenAndWhiteFill)
{
    const QColor grey(128, 128, 128);
    QImage image = Canvas(40, 40, grey);
    {
        QPainter painter(&image);
        QtPainterSurface surface(painter);
        surface.Rectangle(5, 5, 25, 25);
    }
    EXPECT_EQ(image.pixelColor(5, 15), kQtBlack);
    EXPECT_EQ(image.pixelColor(15, 15), kQtWhite);
    EXPECT_EQ(InkBox(image, grey), QRect(QPoint(5, 5), QPoint(24, 24)));
}

TEST(QtPainterSurfaceShapes, EllipseStaysInsideItsBox)
{
    QImage image = Canvas(60, 60);
    {
        QPainter painter(&image);
        QtPainterSurface surface(painter);
        surface.SelectFill(kRed);
        surface.Ellipse(41, 31, 10, 10);  // corners in reverse order
    }
    // The same pixel extent as a rectangle between the corners.
    EXPECT_EQ(InkBox(image), QRect(QPoint(10, 10), QPoint(40, 30)));
    EXPECT_EQ(image.pixelColor(25, 20), kQtRed);       // centre filled
    EXPECT_EQ(image.pixelColor(10, 10), kQtWhite);     // corners of the box stay empty
    EXPECT_EQ(image.pixelColor(40, 30), kQtWhite);
    EXPECT_EQ(image.pixelColor(10, 20), kQtBlack);     // outline at the left middle
}

TEST(QtPainterSurfaceShapes, DegenerateBoxesDrawNothingAndHugeOnesDoNotOverflow)
{
    QImage image = Canvas(40, 40);
    {
        QPainter painter(&image);
        QtPainterSurface surface(painter);
        surface.Rectangle(10, 10, 10, 30);
        surface.Ellipse(10, 10, 30, 10);
        surface.MoveTo(INT32_MIN, INT32_MIN);
        surface.LineTo(INT32_MAX, INT32_MAX);  // clipped, but no overflow
        surface.Rectangle(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);
    }
    EXPECT_EQ(image.pixelColor(20, 30), kQtWhite);
}

TEST(QtPainterSurfaceText, CentreBaselineAnchor)
{
    QImage image = Canvas(200, 100);
    int width = 0;
    {
        QPainter painter(&image);
        QtPainterSurface surface(painter);
        surface.SelectFontPoints(10);
        width = surface.TextWidth("88888");
        surface.Text(100, 50, "88888");
    }
    const QRect ink = InkBox(image);
    ASSERT_FALSE(ink.isNull());
    EXPECT_NEAR(ink.center().x(), 100, 2);
    EXPECT_NEAR(ink.width(), width, 3);
    // Digits stand on the baseline and reach up about 0.7 em (13 px em).
    EXPECT_GE(ink.bottom(), 48);
    EXPECT_LE(ink.bottom(), 50);
    EXPECT_GE(ink.top(), 50 - 12);
    EXPECT_LE(ink.top(), 50 - 7);
}

TEST(QtPainterSurfaceText, LeftTopAnchorAndBlackWhateverThePen)
{
    QImage image = Canvas(200, 100);
    {
        QPainter painter(&image);
        QtPainterSurface surface(painter);
        surface.SelectFontHeight(16);
        surface.SelectPen(PenStyle::kSolid, kRed, 1);
        surface.SelectFill(kRed);
        surface.SetTextAnchor(TextAnchor::kLeftTop);
        surface.Text(40, 30, "HHH");
        // The pen is still the red one afterwards.
        surface.MoveTo(0, 90);
        surface.LineTo(10, 90);
    }
    EXPECT_EQ(image.pixelColor(5, 90), kQtRed);
    for (int x = 0; x < 10; ++x) {
        image.setPixelColor(x, 90, kQtWhite);
    }
    const QRect ink = InkBox(image);
    ASSERT_FALSE(ink.isNull());
    EXPECT_GE(ink.left(), 40);
    EXPECT_LE(ink.left(), 42);
    // Capitals start a little below the top of the cell (internal leading).
    EXPECT_GE(ink.top(), 30);
    EXPECT_LE(ink.top(), 30 + 5);
    // Text is grey-scale anti-aliased black, never red; the stems of H are
    // (nearly) black.
    int darkest = 255;
    for (int y = ink.top(); y <= ink.bottom(); ++y) {
        for (int x = ink.left(); x <= ink.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            EXPECT_TRUE(c.red() == c.green() && c.green() == c.blue()) << "coloured text pixel at " << x << "," << y;
            darkest = std::min(darkest, c.red());
        }
    }
    EXPECT_LT(darkest, 80);
}

TEST(QtPainterSurfaceText, TransparentBackground)
{
    const QColor grey(128, 128, 128);
    QImage image = Canvas(100, 40, grey);
    {
        QPainter painter(&image);
        QtPainterSurface surface(painter);
        surface.SelectFontPoints(10);
        surface.Text(50, 30, "i");
    }
    // Beside the narrow glyph the background keeps its colour.
    EXPECT_EQ(image.pixelColor(40, 25), grey);
    EXPECT_EQ(image.pixelColor(60, 25), grey);
}

TEST(QtPainterSurfaceText, DegreeSignRendersAsItsGlyph)
{
    QImage image = Canvas(60, 60);
    QFont used;
    {
        QPainter painter(&image);
        QtPainterSurface surface(painter);
        surface.SelectFontHeight(32);
        used = painter.font();
        surface.Text(30, 40, "\xB0");  // the Windows-1252 byte
    }
    EXPECT_TRUE(QFontMetrics(used).inFontUcs4(0xB0));
    const QRect ink = InkBox(image);
    ASSERT_FALSE(ink.isNull());
    // A small ring high above the baseline; a replacement box would reach
    // down to the baseline.
    EXPECT_LT(ink.bottom(), 40 - 8);
    EXPECT_LE(ink.height(), 14);
    EXPECT_LE(ink.width(), 14);
}

TEST(QtPainterSurfaceText, WidthsOfBothEncodingsAndNoKerning)
{
    QImage image = Canvas(10, 10);
    QPainter painter(&image);
    QtPainterSurface surface(painter);
    surface.SelectFontPoints(10);
    // The degree sign as a program text and as the UTF-8 bytes of a name.
    EXPECT_EQ(surface.TextWidth("350\xB0" "C"), surface.TextWidth("350\xC2\xB0" "C"));
    EXPECT_GT(surface.TextWidth("\xB0"), 0);
    // No kerning: at a large size the kerned pair "AV" would be several
    // pixels narrower than its letters.
    surface.SelectFontHeight(100);
    EXPECT_NEAR(surface.TextWidth("AV"), surface.TextWidth("A") + surface.TextWidth("V"), 1);
    EXPECT_EQ(surface.TextWidth(""), 0);
}

TEST(QtPainterSurfaceFonts, ReleaseFontGoesBackOneSelection)
{
    QImage image = Canvas(10, 10);
    QPainter painter(&image);
    QtPainterSurface surface(painter);
    surface.SelectFontPoints(10);
    const int ten = surface.TextWidth("0000000000");
    surface.SelectFontPoints(5);
    const int five = surface.TextWidth("0000000000");
    surface.SelectFontHeight(40);
    const int large = surface.TextWidth("0000000000");
    EXPECT_LT(five, ten);
    EXPECT_GT(large, ten);
    surface.ReleaseFont();
    EXPECT_EQ(surface.TextWidth("0000000000"), five);
    surface.ReleaseFont();
    EXPECT_EQ(surface.TextWidth("0000000000"), ten);
    surface.ReleaseFont();  // back to the painter's own font
    surface.ReleaseFont();  // nothing left to release: keeps it
    EXPECT_GT(surface.TextWidth("0000000000"), 0);
}

TEST(QtPainterSurfaceFonts, CellHeightIsAscentPlusDescent)
{
    QImage image = Canvas(10, 10);
    QPainter painter(&image);
    QtPainterSurface surface(painter);
    for (int cell : {16, 32, 100}) {
        surface.SelectFontHeight(cell);
        const QFontMetricsF metrics(painter.font(), &image);
        EXPECT_NEAR(metrics.ascent() + metrics.descent(), cell, 1.0 + cell * 0.03) << "cell " << cell;
    }
    surface.SelectFontHeight(0);  // the default size
    const int byDefault = surface.TextWidth("0000");
    surface.SelectFontHeight(16);
    EXPECT_EQ(surface.TextWidth("0000"), byDefault);
}

TEST(QtPainterSurfaceFonts, PointSizesFollowTheDeviceResolution)
{
    // The scale unit c is the width of the 10-point "0" divided by 7.
    QImage screen = Canvas(10, 10, Qt::white, 96);
    QImage printer = Canvas(10, 10, Qt::white, 600);
    int screenZero = 0;
    int printerZero = 0;
    {
        QPainter painter(&screen);
        QtPainterSurface surface(painter);
        surface.SelectFontPoints(10);
        screenZero = surface.TextWidth("0");
    }
    {
        QPainter painter(&printer);
        QtPainterSurface surface(painter);
        surface.SelectFontPoints(10);
        printerZero = surface.TextWidth("0");
    }
    EXPECT_EQ(screenZero / 7, 1);
    EXPECT_GE(printerZero / 7, 5);
    EXPECT_LE(printerZero / 7, 7);
}

TEST(QtPainterSurfaceFonts, SmallTextStaysLegibleOnAScaledDownPainter)
{
    // The em of 5-point text on the device, at painter scales 1 and 0.5,
    // with and without the floor; 10-point text is never touched.
    struct Case {
        double scale;
        bool keep;
        int points;
        double minimumEm;
        double maximumEm;
    };
    const Case cases[] = {
        {1.0, false, 5, 7, 7}, {0.5, false, 5, 3.5, 3.5}, {0.5, true, 5, 8, 8.5},
        {2.0, true, 5, 14, 14}, {0.5, true, 10, 6.5, 6.5},
    };
    for (const Case& c : cases) {
        QImage image = Canvas(10, 10, Qt::white, 96);
        QPainter painter(&image);
        painter.scale(c.scale, c.scale);
        QtPainterSurface surface(painter);
        surface.KeepSmallTextSize(c.keep);
        surface.SelectFontPoints(c.points);
        const double em = painter.font().pixelSize() * c.scale;
        EXPECT_GE(em, c.minimumEm) << c.scale << (c.keep ? " kept " : " ") << c.points;
        EXPECT_LE(em, c.maximumEm) << c.scale << (c.keep ? " kept " : " ") << c.points;
    }
}

TEST(QtPainterSurfacePens, APenUnitIsTheDevicesScaleUnit)
{
    // One unit is one pixel at 96 dpi and the scale unit (about 6 dots) at
    // 600 dpi, so a printed line is as wide, for its diagram, as on screen.
    for (const auto& [dpi, width] : {std::pair{96, 1}, {600, 6}}) {
        QImage image = Canvas(10, 10, Qt::white, dpi);
        QPainter painter(&image);
        QtPainterSurface surface(painter);
        surface.SelectPen(PenStyle::kSolid, kBlack, 2);
        EXPECT_EQ(painter.pen().width(), 2 * width) << dpi;
    }
}

}  // namespace
}  // namespace korvanes
