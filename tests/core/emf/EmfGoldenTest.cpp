// Golden bytes of a tiny picture, built field by field from the published
// record layouts, and the bounds and frame of the header.

#include <climits>

#include "EmfTestSupport.h"
#include "emf/EmfBounds.h"
#include "emf/EmfWriter.h"

namespace korvanes {
namespace {

using emftest::HalfEmMeasurer;

// Little-endian byte list written field by field.
struct Bytes {
    std::vector<std::uint8_t> v;
    Bytes& U32(std::uint32_t x)
    {
        for (int k = 0; k < 4; ++k) {
            v.push_back(static_cast<std::uint8_t>(x >> (8 * k)));
        }
        return *this;
    }
    Bytes& I32(std::int32_t x) { return U32(static_cast<std::uint32_t>(x)); }
    Bytes& U16(std::uint16_t x)
    {
        v.push_back(static_cast<std::uint8_t>(x));
        v.push_back(static_cast<std::uint8_t>(x >> 8));
        return *this;
    }
    Bytes& U8(std::uint8_t x)
    {
        v.push_back(x);
        return *this;
    }
    Bytes& Rect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) { return I32(l).I32(t).I32(r).I32(b); }
    Bytes& Add(const Bytes& other)
    {
        v.insert(v.end(), other.v.begin(), other.v.end());
        return *this;
    }
};

TEST(EmfGolden, ALineAndAText)
{
    HalfEmMeasurer m;
    EmfSurface s(m);
    s.MoveTo(10, 20);
    s.LineTo(110, 20);
    s.SelectFontHeight(16);
    s.Text(60, 50, "A\xB0");
    const auto bytes = s.Finish();

    // Recorded in sixteenths of a pixel: coordinates, the pen width, the em
    // and the advances are 16 times what the surface was given.
    static_assert(kEmfUnitsPerPixel == 16);
    Bytes body;
    body.U32(17).U32(12).U32(8);                                  // SETMAPMODE MM_ANISOTROPIC
    body.U32(9).U32(16).I32(1920 * 16).I32(1080 * 16);            // SETWINDOWEXTEX
    body.U32(11).U32(16).I32(1920).I32(1080);                     // SETVIEWPORTEXTEX: a pixel is 16 units
    body.U32(22).U32(12).U32(6 | 24);                             // SETTEXTALIGN TA_CENTER|TA_BASELINE
    body.U32(18).U32(12).U32(1);                                  // SETBKMODE TRANSPARENT
    body.U32(38).U32(28).U32(1).U32(0).I32(16).I32(0).U32(0);     // CREATEPEN 1: solid, 1 pixel wide, black
    body.U32(37).U32(12).U32(1);                                  // SELECTOBJECT 1
    body.U32(39).U32(24).U32(2).U32(0).U32(0x00FFFFFF).U32(0);    // CREATEBRUSHINDIRECT 2: solid white
    body.U32(37).U32(12).U32(2);                                  // SELECTOBJECT 2
    body.U32(27).U32(16).I32(160).I32(320);                       // MOVETOEX 10, 20
    body.U32(54).U32(16).I32(1760).I32(320);                      // LINETO 110, 20
    body.U32(82).U32(104).U32(3);                                 // EXTCREATEFONTINDIRECTW 3
    body.I32(-224).I32(0).I32(0).I32(0).I32(400);                 // em 14 (cell 16), width, esc., orient., weight
    body.U8(0).U8(0).U8(0).U8(0).U8(0).U8(0).U8(0).U8(0);          // italic .. pitch and family
    for (char16_t c : std::u16string(u"Arial")) {
        body.U16(c);
    }
    for (int i = 0; i < 27; ++i) {
        body.U16(0);
    }
    body.U32(37).U32(12).U32(3);  // SELECTOBJECT 3
    // EXTTEXTOUTW: two characters 7 wide centred on 60 -> 53..66; the em of
    // 14 inks 13 above and 3 below the baseline 50 -> 37..52 (the record's
    // bounds are in pixels). The scales go from the logical units to 0.01 mm.
    const float exScale = 50800.0f / 1920.0f / 16.0f;
    const float eyScale = 28600.0f / 1080.0f / 16.0f;
    std::uint32_t ex = 0;
    std::uint32_t ey = 0;
    std::memcpy(&ex, &exScale, 4);
    std::memcpy(&ey, &eyScale, 4);
    body.U32(84).U32(88).Rect(53, 37, 66, 52).U32(1).U32(ex).U32(ey);
    body.I32(960).I32(800).U32(2).U32(76).U32(0).Rect(0, 0, -1, -1).U32(80);  // at 60, 50
    body.U16(u'A').U16(0x00B0);
    body.I32(112).I32(112);  // measured in the em of 224
    body.U32(14).U32(20).U32(0).U32(16).U32(20);  // EOF

    Bytes expected;
    expected.U32(1).U32(136);
    // Bounds: the line 10..110 on row 20 and the text 53..66 x 37..52, with
    // the blank margin of 2: 8..112 x 18..54.
    expected.Rect(8, 18, 112, 54);
    // Frame in 0.01 mm from the bounds' top-left corner to the far corner of
    // their last pixel: x * 50800/1920, y * 28600/1080, rounded:
    // 8 -> 211.7 -> 212, 18 -> 476.7 -> 477, 113 -> 2989.8 -> 2990, 55 -> 1456.5 -> 1456.
    expected.Rect(212, 477, 2990, 1456);
    expected.U32(0x464D4520).U32(0x00010000);
    expected.U32(536).U32(16);   // nBytes, nRecords
    expected.U16(4).U16(0);      // nHandles: slot 0 and the pen, brush and font
    expected.U32(14).U32(108);   // description: 14 units at 108
    expected.U32(0);             // nPalEntries
    expected.I32(1920).I32(1080).I32(508).I32(286);
    expected.U32(0).U32(0).U32(0);  // no pixel format, no OpenGL
    expected.I32(508000).I32(286000);
    for (char16_t c : std::u16string(u"KorvanesPlot")) {
        expected.U16(c);
    }
    expected.U16(0).U16(0);
    expected.Add(body);
    ASSERT_EQ(expected.v.size(), 536u);
    EXPECT_EQ(bytes, expected.v);
}

TEST(EmfGolden, AnEmptyPictureHoldsOnlyTheSurfaceSettings)
{
    HalfEmMeasurer m;
    EmfSurface s(m);
    s.MoveTo(500, 500);   // moves draw nothing
    s.Text(40, 40, "");  // an empty text records nothing
    const auto bytes = s.Finish();
    const auto records = emftest::WalkRecords(bytes);
    EXPECT_EQ(emftest::Types(records),
              (std::vector<std::uint32_t>{U_EMR_HEADER, U_EMR_SETMAPMODE, U_EMR_SETWINDOWEXTEX,
                                          U_EMR_SETVIEWPORTEXTEX, U_EMR_SETTEXTALIGN, U_EMR_SETBKMODE,
                                          U_EMR_CREATEPEN, U_EMR_SELECTOBJECT, U_EMR_CREATEBRUSHINDIRECT,
                                          U_EMR_SELECTOBJECT, U_EMR_MOVETOEX, U_EMR_EOF}));
    const U_EMRHEADER h = emftest::Header(bytes);
    // The format's empty rectangle for bounds and frame alike.
    EXPECT_EQ(h.rclBounds.left, 0);
    EXPECT_EQ(h.rclBounds.top, 0);
    EXPECT_EQ(h.rclBounds.right, -1);
    EXPECT_EQ(h.rclBounds.bottom, -1);
    EXPECT_EQ(h.rclFrame.left, 0);
    EXPECT_EQ(h.rclFrame.top, 0);
    EXPECT_EQ(h.rclFrame.right, -1);
    EXPECT_EQ(h.rclFrame.bottom, -1);
    EXPECT_EQ(h.nHandles, 3);
    EXPECT_EQ(h.nRecords, 12u);
    EXPECT_EQ(h.nBytes, 136u + 3 * 12 + 2 * 16 + 28 + 12 + 24 + 12 + 16 + 20);
}

struct Box {
    std::int32_t left, top, right, bottom;
    bool operator==(const Box&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Box& b)
{
    return os << "(" << b.left << ", " << b.top << ", " << b.right << ", " << b.bottom << ")";
}

Box BoundsOf(const std::vector<std::uint8_t>& bytes)
{
    const U_EMRHEADER h = emftest::Header(bytes);
    return Box{h.rclBounds.left, h.rclBounds.top, h.rclBounds.right, h.rclBounds.bottom};
}

Box FrameOf(const std::vector<std::uint8_t>& bytes)
{
    const U_EMRHEADER h = emftest::Header(bytes);
    return Box{h.rclFrame.left, h.rclFrame.top, h.rclFrame.right, h.rclFrame.bottom};
}

// The box of the pixels drawn, grown by the blank margin: what the header's
// bounds must say.
Box Drawn(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom)
{
    return Box{left - emf::kBlankMargin, top - emf::kBlankMargin, right + emf::kBlankMargin,
               bottom + emf::kBlankMargin};
}

TEST(EmfBounds, LinesAndShapesCoverTheirCornersWidenedByHalfThePen)
{
    HalfEmMeasurer m;
    {
        EmfSurface s(m);
        s.MoveTo(30, 40);
        s.LineTo(10, 50);
        EXPECT_EQ(BoundsOf(s.Finish()), Drawn(10, 40, 30, 50));
    }
    {
        EmfSurface s(m);
        s.SelectPen(PenStyle::kSolid, kRed, 3);  // half of 3 is 1
        s.MoveTo(0, 0);
        s.LineTo(10, 5);
        EXPECT_EQ(BoundsOf(s.Finish()), Drawn(-1, -1, 11, 6));
    }
    {
        EmfSurface s(m);
        s.SelectPen(PenStyle::kDashed, kRed, 0);  // the thinnest pen still covers its pixels
        s.MoveTo(5, 5);
        s.LineTo(5, 5);
        EXPECT_EQ(BoundsOf(s.Finish()), Drawn(5, 5, 5, 5));
    }
    {
        // Readers that draw the box as geometry reach its right and bottom edges.
        EmfSurface s(m);
        s.Rectangle(20, 30, 10, 10);  // corners in reverse order
        EXPECT_EQ(BoundsOf(s.Finish()), Drawn(10, 10, 20, 30));
    }
    {
        EmfSurface s(m);
        s.SelectPen(PenStyle::kSolid, kBlue, 4);
        s.Ellipse(100, 100, 110, 120);
        EXPECT_EQ(BoundsOf(s.Finish()), Drawn(98, 98, 112, 122));
    }
}

TEST(EmfBounds, TextsCoverTheirMeasuredWidthAndTheInkOfTheirEm)
{
    HalfEmMeasurer m;
    {
        // Em 14 (cell 16), centred on 100 with the baseline on 100: 21 wide,
        // 13 up and 3 down.
        EmfSurface s(m);
        s.SelectFontHeight(16);
        s.Text(100, 100, "abc");
        EXPECT_EQ(BoundsOf(s.Finish()), Drawn(90, 87, 110, 102));
    }
    {
        // Em 9 (cell 10): 5 characters of 4 from 50 - 10; 9 up, 2 down.
        EmfSurface s(m);
        s.SelectFontHeight(10);
        s.Text(50, 20, "abcde");
        EXPECT_EQ(BoundsOf(s.Finish()), Drawn(40, 11, 59, 21));
    }
    {
        EmfSurface s(m);
        s.SelectFontHeight(16);
        s.SetTextAnchor(TextAnchor::kLeftTop);
        s.Text(5, 5, "abc");
        EXPECT_EQ(BoundsOf(s.Finish()), Drawn(5, 5, 25, 20));
    }
    {
        // Five points on the 96-dpi screen: em 7, 3 per character, 7 up and 2 down.
        EmfSurface s(m);
        s.SelectFontPoints(5);
        s.Text(100, 50, "0.5");
        EXPECT_EQ(BoundsOf(s.Finish()), Drawn(96, 43, 104, 51));
    }
}

TEST(EmfBounds, TheUnionOfEverythingDrawn)
{
    HalfEmMeasurer m;
    EmfSurface s(m);
    s.SelectFontHeight(16);
    s.MoveTo(100, 100);
    s.LineTo(200, 100);
    s.Rectangle(150, 50, 160, 60);
    s.Text(120, 300, "x");
    s.MoveTo(-50, 400);  // a move alone adds nothing
    EXPECT_EQ(BoundsOf(s.Finish()), Drawn(100, 50, 200, 302));
}

TEST(EmfBounds, TheFrameCoversTheLastPixelOnTheReferenceDevice)
{
    HalfEmMeasurer m;
    // 100 pixels on 254 mm: one pixel is 2.54 mm wide, 254 hundredths; 200
    // pixels high, 127 hundredths each.
    EmfSurface s(m, EmfReferenceDevice{100, 200, 254, 254});
    s.MoveTo(0, 10);
    s.LineTo(40, 20);
    const auto bytes = s.Finish();
    // Bounds -2..42 x 8..22; the frame ends at the far edge of pixel 42 and row 22.
    EXPECT_EQ(FrameOf(bytes), (Box{-508, 1016, 43 * 254, 23 * 127}));
    const U_EMRHEADER h = emftest::Header(bytes);
    EXPECT_EQ(h.szlDevice.cx, 100);
    EXPECT_EQ(h.szlMillimeters.cy, 254);
    EXPECT_EQ(h.szlMicrometers.cx, 254000);
}

TEST(EmfBounds, AnUnusableDeviceIsReplacedByTheDefaultScreen)
{
    HalfEmMeasurer m;
    EmfSurface s(m, EmfReferenceDevice{0, 1080, 508, -3});
    s.MoveTo(2, 2);
    s.LineTo(93, 93);
    const auto bytes = s.Finish();
    const U_EMRHEADER h = emftest::Header(bytes);
    EXPECT_EQ(h.szlDevice.cx, 1920);
    EXPECT_EQ(h.szlMillimeters.cy, 286);
    // Pixels 0..95 with the margin: 96 pixels at 96 dpi are one inch, 2540 hundredths.
    EXPECT_EQ(h.rclFrame.left, 0);
    EXPECT_EQ(h.rclFrame.right, 2540);
}

TEST(EmfBounds, ExtremeCoordinatesAreClampedWithoutOverflow)
{
    HalfEmMeasurer m;
    EmfSurface s(m);
    s.SelectPen(PenStyle::kSolid, kRed, INT_MAX);
    s.MoveTo(INT_MIN, INT_MIN);
    s.LineTo(INT_MAX, INT_MAX);
    s.Rectangle(INT_MAX, INT_MIN, INT_MIN, INT_MAX);
    s.SelectFontHeight(INT_MAX);
    s.Text(INT_MAX, INT_MIN, "wide");
    const auto bytes = s.Finish();
    emftest::WalkRecords(bytes);
    EXPECT_EQ(BoundsOf(bytes), (Box{INT_MIN, INT_MIN, INT_MAX, INT_MAX}));
    EXPECT_EQ(FrameOf(bytes), (Box{INT_MIN, INT_MIN, INT_MAX, INT_MAX}));
}

TEST(EmfBounds, ALineBeyondWhatLogicalUnitsHoldKeepsItsDirection)
{
    // From (100, 200) towards (2^28, 2^27 + 100): logical units hold up to
    // 2^31 / 16 pixels, so the line is recorded up to there, on its course,
    // and the next line starts where it should.
    HalfEmMeasurer m;
    EmfSurface s(m);
    s.MoveTo(100, 200);
    s.LineTo(1 << 28, (1 << 27) + 100);
    s.LineTo(300, 400);
    const auto bytes = s.Finish();
    std::vector<std::pair<std::int32_t, std::int32_t>> points;
    for (const emftest::Record& r : emftest::WalkRecords(bytes)) {
        if (r.type == U_EMR_MOVETOEX || r.type == U_EMR_LINETO) {
            const auto p = emftest::RecordAs<U_EMRLINETO>(bytes, r.offset).ptl;
            points.emplace_back(p.x, p.y);
        }
    }
    // The move, the clipped line (a move to its start, unchanged, and its
    // end), then the way back (a move to where it enters what logical units
    // hold, on its own course, and a line to (300, 400)).
    ASSERT_EQ(points.size(), 5u);
    EXPECT_EQ(points[1], std::make_pair(100 * 16, 200 * 16));
    const auto [x, y] = points[2];
    EXPECT_EQ(x, INT_MAX / 16 * 16);
    // On the line: y - 200 = (x - 100) (2^27 - 100) / (2^28 - 100), in pixels.
    const double expectedY = 200.0 + (x / 16.0 - 100.0) * ((1 << 27) - 100.0) / ((1 << 28) - 100.0);
    EXPECT_NEAR(y / 16.0, expectedY, 1.0);
    EXPECT_EQ(points[3].first, x);
    EXPECT_EQ(points[4], std::make_pair(300 * 16, 400 * 16));
}

}  // namespace
}  // namespace korvanes
