// The writer's pictures read back with libUEMF: record structure, header
// fields, the object table and the text records.

#include <algorithm>
#include <map>
#include <set>

#include "EmfTestSupport.h"
#include "emf/EmfWriter.h"

namespace korvanes {
namespace {

using emftest::Count;
using emftest::HalfEmMeasurer;
using emftest::Record;
using emftest::RecordAs;
using emftest::Types;
using emftest::WalkRecords;

// Pixels in the picture's logical units.
constexpr std::int32_t kUnit = kEmfUnitsPerPixel;

std::vector<std::uint8_t> SmallDiagram(const TextMeasurer& measurer)
{
    EmfSurface s(measurer);
    s.SelectFontHeight(16);
    s.MoveTo(100, 400);
    s.LineTo(500, 400);
    s.LineTo(500, 100);
    s.SelectPen(PenStyle::kDashed, kBlue, 1);
    s.MoveTo(100, 400);
    s.LineTo(450, 120);
    s.SelectPen(PenStyle::kSolid, kRed, 2);
    s.SelectFill(kGreen);
    s.Ellipse(200, 200, 210, 210);
    s.Rectangle(300, 300, 290, 290);
    s.Text(300, 430, "350\xB0" "C");
    s.ReleaseFont();
    return s.Finish();
}

TEST(EmfReadBack, EveryRecordIsSafeAndTheHeaderCountsThem)
{
    HalfEmMeasurer m;
    const auto bytes = SmallDiagram(m);
    const auto records = WalkRecords(bytes);
    ASSERT_GE(records.size(), 2u);
    EXPECT_EQ(records.front().type, U_EMR_HEADER);
    EXPECT_EQ(records.back().type, U_EMR_EOF);

    const U_EMRHEADER h = emftest::Header(bytes);
    EXPECT_EQ(h.dSignature, U_ENHMETA_SIGNATURE);
    EXPECT_EQ(h.nVersion, 0x00010000u);
    EXPECT_EQ(h.nBytes, bytes.size());
    EXPECT_EQ(h.nRecords, records.size());
    EXPECT_EQ(h.sReserved, 0);
    EXPECT_EQ(h.nPalEntries, 0u);
    EXPECT_EQ(h.szlDevice.cx, 1920);
    EXPECT_EQ(h.szlDevice.cy, 1080);
    EXPECT_EQ(h.szlMillimeters.cx, 508);
    EXPECT_EQ(h.szlMillimeters.cy, 286);
    EXPECT_EQ(h.szlMicrometers.cx, 508000);
    EXPECT_EQ(h.szlMicrometers.cy, 286000);
    EXPECT_EQ(h.cbPixelFormat, 0u);
    EXPECT_EQ(h.offPixelFormat, 0u);
    EXPECT_EQ(h.bOpenGL, 0u);

    // "KorvanesPlot", its zero, and the zero of the empty picture name.
    ASSERT_EQ(h.nDescription, 14u);
    ASSERT_LE(h.offDescription + 2 * h.nDescription, records.front().size);
    std::u16string description;
    for (std::uint32_t i = 0; i < h.nDescription; ++i) {
        description.push_back(static_cast<char16_t>(bytes[h.offDescription + 2 * i] |
                                                    (bytes[h.offDescription + 2 * i + 1] << 8)));
    }
    EXPECT_EQ(description, std::u16string(u"KorvanesPlot\0\0", 14));

    // The end-of-file record: no palette, its own size last.
    const auto eof = RecordAs<U_EMREOF>(bytes, records.back().offset);
    EXPECT_EQ(eof.emr.nSize, 20u);
    EXPECT_EQ(eof.cbPalEntries, 0u);
    std::uint32_t sizeLast = 0;
    std::memcpy(&sizeLast, bytes.data() + bytes.size() - 4, 4);
    EXPECT_EQ(sizeLast, 20u);
}

TEST(EmfReadBack, TheDrawingFollowsTheSurfaceSettings)
{
    HalfEmMeasurer m;
    const auto bytes = SmallDiagram(m);
    const auto records = WalkRecords(bytes);
    const std::vector<std::uint32_t> expectedStart = {
        U_EMR_HEADER,       U_EMR_SETMAPMODE, U_EMR_SETWINDOWEXTEX, U_EMR_SETVIEWPORTEXTEX,
        U_EMR_SETTEXTALIGN, U_EMR_SETBKMODE,
        U_EMR_CREATEPEN,    U_EMR_SELECTOBJECT, U_EMR_CREATEBRUSHINDIRECT, U_EMR_SELECTOBJECT,
        U_EMR_EXTCREATEFONTINDIRECTW, U_EMR_SELECTOBJECT, U_EMR_MOVETOEX, U_EMR_LINETO, U_EMR_LINETO,
    };
    const auto types = Types(records);
    ASSERT_GE(types.size(), expectedStart.size());
    EXPECT_TRUE(std::equal(expectedStart.begin(), expectedStart.end(), types.begin()));

    // A pixel of the reference device is kUnit logical units.
    EXPECT_EQ(RecordAs<U_EMRSETMAPMODE>(bytes, records[1].offset).iMode, U_MM_ANISOTROPIC);
    const auto window = RecordAs<U_EMRSETWINDOWEXTEX>(bytes, records[2].offset).szlExtent;
    const auto viewport = RecordAs<U_EMRSETVIEWPORTEXTEX>(bytes, records[3].offset).szlExtent;
    EXPECT_EQ(window.cx, 1920 * kUnit);
    EXPECT_EQ(window.cy, 1080 * kUnit);
    EXPECT_EQ(viewport.cx, 1920);
    EXPECT_EQ(viewport.cy, 1080);
    EXPECT_EQ(RecordAs<U_EMRSETTEXTALIGN>(bytes, records[4].offset).iMode, U_TA_CENTER | U_TA_BASELINE);
    EXPECT_EQ(RecordAs<U_EMRSETBKMODE>(bytes, records[5].offset).iMode, U_TRANSPARENT);
    const auto pen = RecordAs<U_EMRCREATEPEN>(bytes, records[6].offset);
    EXPECT_EQ(pen.lopn.lopnStyle, U_PS_SOLID);
    EXPECT_EQ(pen.lopn.lopnWidth.x, kUnit);
    EXPECT_EQ(pen.lopn.lopnColor.Red, 0);
    const auto brush = RecordAs<U_EMRCREATEBRUSHINDIRECT>(bytes, records[8].offset);
    EXPECT_EQ(brush.lb.lbStyle, U_BS_SOLID);
    EXPECT_EQ(brush.lb.lbColor.Red, 255);
    EXPECT_EQ(brush.lb.lbColor.Green, 255);
    EXPECT_EQ(brush.lb.lbColor.Blue, 255);

    EXPECT_EQ(Count(records, U_EMR_ELLIPSE), 1);
    EXPECT_EQ(Count(records, U_EMR_RECTANGLE), 1);
    EXPECT_EQ(Count(records, U_EMR_EXTTEXTOUTW), 1);
    EXPECT_EQ(Count(records, U_EMR_LINETO), 3);
    EXPECT_EQ(Count(records, U_EMR_MOVETOEX), 2);

    // The dashed blue pen and the red two-unit pen, the green fill.
    std::vector<U_EMRCREATEPEN> pens;
    for (const Record& r : records) {
        if (r.type == U_EMR_CREATEPEN) {
            pens.push_back(RecordAs<U_EMRCREATEPEN>(bytes, r.offset));
        } else if (r.type == U_EMR_RECTANGLE) {
            // Corners given in reverse order come out normalised.
            const auto rect = RecordAs<U_EMRRECTANGLE>(bytes, r.offset);
            EXPECT_EQ(rect.rclBox.left, 290 * kUnit);
            EXPECT_EQ(rect.rclBox.top, 290 * kUnit);
            EXPECT_EQ(rect.rclBox.right, 300 * kUnit);
            EXPECT_EQ(rect.rclBox.bottom, 300 * kUnit);
        }
    }
    ASSERT_EQ(pens.size(), 3u);
    EXPECT_EQ(pens[1].lopn.lopnStyle, U_PS_DASH);
    EXPECT_EQ(pens[1].lopn.lopnColor.Blue, 255);
    EXPECT_EQ(pens[2].lopn.lopnStyle, U_PS_SOLID);
    EXPECT_EQ(pens[2].lopn.lopnWidth.x, 2 * kUnit);
    EXPECT_EQ(pens[2].lopn.lopnColor.Red, 255);
    EXPECT_EQ(pens[2].lopn.lopnColor.Blue, 0);
}

TEST(EmfReadBack, TheTextIsUtf16WithTheMeasuredAdvances)
{
    HalfEmMeasurer m;
    const auto bytes = SmallDiagram(m);
    const auto records = WalkRecords(bytes);
    const auto it = std::find_if(records.begin(), records.end(),
                                 [](const Record& r) { return r.type == U_EMR_EXTTEXTOUTW; });
    ASSERT_NE(it, records.end());
    const auto t = emftest::ReadText(bytes, *it);
    EXPECT_EQ(t.text, u"350\u00B0C");
    // Measured in the font of the em in logical units (224: 112 each).
    EXPECT_EQ(t.dx, (std::vector<std::int32_t>{112, 112, 112, 112, 112}));
    EXPECT_EQ(t.fixed.emrtext.ptlReference.x, 300 * kUnit);
    EXPECT_EQ(t.fixed.emrtext.ptlReference.y, 430 * kUnit);
    EXPECT_EQ(t.fixed.emrtext.fOptions, 0u);
    EXPECT_EQ(t.fixed.iGraphicsMode, U_GM_COMPATIBLE);
    EXPECT_FLOAT_EQ(t.fixed.exScale, 2540.0f / 96.0f / kUnit);
    // The record's own bounds, in pixels and without the picture's margin:
    // 35 wide centred on 300, 13 above and 3 below the baseline.
    EXPECT_EQ(t.fixed.rclBounds.left, 283);
    EXPECT_EQ(t.fixed.rclBounds.right, 317);
    EXPECT_EQ(t.fixed.rclBounds.top, 417);
    EXPECT_EQ(t.fixed.rclBounds.bottom, 432);
}

TEST(EmfReadBack, TextsInUtf8AndBeyondTheBasicPlane)
{
    HalfEmMeasurer m;
    EmfSurface s(m);
    s.SelectFontHeight(20);  // em 18 (288 units), 144 units per character
    s.Text(0, 0, "Gr\xC3\xBCn");        // a UTF-8 specimen name
    s.Text(0, 40, "a\xF0\x9F\x98\x80");  // a character outside the basic plane
    const auto bytes = s.Finish();
    const auto records = WalkRecords(bytes);
    std::vector<emftest::TextRecord> texts;
    for (const Record& r : records) {
        if (r.type == U_EMR_EXTTEXTOUTW) {
            texts.push_back(emftest::ReadText(bytes, r));
        }
    }
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, u"Gr\u00FCn");
    EXPECT_EQ(texts[0].dx, (std::vector<std::int32_t>{144, 144, 144, 144}));
    EXPECT_EQ(texts[1].text, u"a\U0001F600");
    EXPECT_EQ(texts[1].dx, (std::vector<std::int32_t>{144, 144, 0}));
}

// Fonts are named by their em, a negative height, which readers take as the
// font size and GDI as the em too: a cell of 16 is an em of 14, and points
// follow the reference device's resolution.
TEST(EmfReadBack, FontsAreArialNamedByTheirEm)
{
    HalfEmMeasurer m;
    EmfSurface s(m);
    EXPECT_EQ(s.TextWidth("abc"), 21);  // no font yet: the default size, em 14
    s.SelectFontHeight(16);
    EXPECT_EQ(s.TextWidth("abc"), 21);
    s.SelectFontPoints(5);  // 5 points on the 96-dpi screen: em 7
    EXPECT_EQ(s.TextWidth("abc"), 9);
    s.SelectFontHeight(0);  // the default size
    s.SelectFontPoints(0);
    s.ReleaseFont();
    s.ReleaseFont();
    s.ReleaseFont();
    EXPECT_EQ(s.TextWidth("abc"), 21);
    s.ReleaseFont();
    s.ReleaseFont();  // one release too many does nothing
    {
        // 192 dpi: 5 points are an em of 13.
        EmfSurface fine(m, EmfReferenceDevice{1920, 1080, 254, 143});
        fine.SelectFontPoints(5);
        EXPECT_EQ(fine.TextWidth("abc"), 18);
    }
    const auto bytes = s.Finish();
    const auto records = WalkRecords(bytes);
    std::vector<std::int32_t> heights;
    for (const Record& r : records) {
        if (r.type != U_EMR_EXTCREATEFONTINDIRECTW) {
            continue;
        }
        EXPECT_EQ(r.size, 104u);  // the plain logical-font form
        const auto f = RecordAs<U_EMREXTCREATEFONTINDIRECTW>(bytes, r.offset);
        const U_LOGFONT& lf = f.elfw.elfLogFont;
        heights.push_back(lf.lfHeight);
        EXPECT_EQ(lf.lfWidth, 0);
        EXPECT_EQ(lf.lfWeight, U_FW_NORMAL);
        EXPECT_EQ(lf.lfItalic, 0);
        EXPECT_EQ(lf.lfUnderline, 0);
        EXPECT_EQ(lf.lfCharSet, U_ANSI_CHARSET);
        EXPECT_EQ(lf.lfOutPrecision, U_OUT_DEFAULT_PRECIS);
        EXPECT_EQ(lf.lfClipPrecision, U_CLIP_DEFAULT_PRECIS);
        EXPECT_EQ(lf.lfQuality, U_DEFAULT_QUALITY);
        EXPECT_EQ(lf.lfPitchAndFamily, 0);
        EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(lf.lfFaceName), 6),
                  std::u16string(u"Arial\0", 6));
    }
    // Em 14, 7, then 14 for the default size (0 points: the same size again,
    // no record); the releases go back to 7 and then 14. In logical units.
    EXPECT_EQ(heights, (std::vector<std::int32_t>{-14 * kUnit, -7 * kUnit, -14 * kUnit, -7 * kUnit, -14 * kUnit}));
}

// Plays the object records like a player's object table and checks the
// rules: a handle is created only in a free slot below nHandles, selected
// only while it exists, and never deleted while selected.
TEST(EmfReadBack, TheObjectTableIsConsistent)
{
    HalfEmMeasurer m;
    EmfSurface s(m);
    for (int i = 0; i < 50; ++i) {
        s.SelectPen(i % 2 ? PenStyle::kDashed : PenStyle::kSolid, Rgb{static_cast<std::uint8_t>(i), 0, 0}, 1 + i % 3);
        s.SelectFill(Rgb{0, static_cast<std::uint8_t>(i), 0});
        s.SelectFontHeight(10 + i % 4);
        s.SelectFontPoints(8);
        s.Rectangle(i, i, i + 10, i + 10);
        s.ReleaseFont();
        if (i % 3 == 0) {
            s.ReleaseFont();
        }
    }
    s.SelectPen(PenStyle::kSolid, kBlack, -5);  // taken as width 0
    const auto bytes = s.Finish();
    const auto records = WalkRecords(bytes);
    const U_EMRHEADER h = emftest::Header(bytes);

    enum Kind { kPen, kBrush, kFont };
    std::map<std::uint32_t, Kind> live;
    std::map<Kind, std::uint32_t> selected;
    std::uint32_t lastPenWidth = 99;
    for (const Record& r : records) {
        std::uint32_t created = 0;
        Kind kind = kPen;
        if (r.type == U_EMR_CREATEPEN) {
            const auto pen = RecordAs<U_EMRCREATEPEN>(bytes, r.offset);
            created = pen.ihPen;
            lastPenWidth = pen.lopn.lopnWidth.x;
        } else if (r.type == U_EMR_CREATEBRUSHINDIRECT) {
            created = RecordAs<U_EMRCREATEBRUSHINDIRECT>(bytes, r.offset).ihBrush;
            kind = kBrush;
        } else if (r.type == U_EMR_EXTCREATEFONTINDIRECTW) {
            created = RecordAs<U_EMREXTCREATEFONTINDIRECTW>(bytes, r.offset).ihFont;
            kind = kFont;
        }
        if (created != 0) {
            EXPECT_LT(created, h.nHandles);
            EXPECT_EQ(live.count(created), 0u) << "slot " << created << " reused while in use";
            live[created] = kind;
        } else if (r.type == U_EMR_SELECTOBJECT) {
            const std::uint32_t handle = RecordAs<U_EMRSELECTOBJECT>(bytes, r.offset).ihObject;
            if (handle & U_STOCK_OBJECT) {
                EXPECT_EQ(handle, U_STOCK_OBJECT | U_SYSTEM_FONT);
                selected.erase(kFont);
            } else {
                ASSERT_EQ(live.count(handle), 1u) << "selects a missing object";
                selected[live[handle]] = handle;
            }
        } else if (r.type == U_EMR_DELETEOBJECT) {
            const std::uint32_t handle = RecordAs<U_EMRDELETEOBJECT>(bytes, r.offset).ihObject;
            ASSERT_EQ(live.count(handle), 1u) << "deletes a missing object";
            EXPECT_NE(selected[live[handle]], handle) << "deletes a selected object";
            live.erase(handle);
        }
    }
    // Only the selected pen, fill and (still pushed) font remain.
    EXPECT_LE(live.size(), 3u);
    EXPECT_LE(h.nHandles, 5);
    EXPECT_EQ(lastPenWidth, 0u);
}

TEST(EmfReadBack, SelectingTheCurrentPenOrFillRecordsNothing)
{
    HalfEmMeasurer m;
    EmfSurface s(m);
    s.SelectPen(PenStyle::kSolid, kBlack, 1);
    s.SelectFill(kWhite);
    s.SetTextAnchor(TextAnchor::kCentreBaseline);
    s.SelectPen(PenStyle::kSolid, kRed, 1);
    s.SelectPen(PenStyle::kSolid, kRed, 1);
    s.SetTextAnchor(TextAnchor::kLeftTop);
    const auto bytes = s.Finish();
    const auto records = WalkRecords(bytes);
    EXPECT_EQ(Count(records, U_EMR_CREATEPEN), 2);
    EXPECT_EQ(Count(records, U_EMR_CREATEBRUSHINDIRECT), 1);
    ASSERT_EQ(Count(records, U_EMR_SETTEXTALIGN), 2);
    EXPECT_EQ(RecordAs<U_EMRSETTEXTALIGN>(bytes, records[records.size() - 2].offset).iMode,
              U_TA_LEFT | U_TA_TOP);
}

TEST(EmfReadBack, LongTextsKeepOneAdvancePerCharacter)
{
    for (std::size_t length : {1000u, 1024u, 1025u, 5000u}) {
        HalfEmMeasurer m;
        EmfSurface s(m);
        s.SelectFontHeight(16);
        std::string text(length, 'x');
        text[length / 2] = '\xB0';
        s.Text(0, 100, text);
        const auto bytes = s.Finish();
        const auto records = WalkRecords(bytes);
        ASSERT_EQ(Count(records, U_EMR_EXTTEXTOUTW), 1);
        const auto it = std::find_if(records.begin(), records.end(),
                                     [](const Record& r) { return r.type == U_EMR_EXTTEXTOUTW; });
        const auto t = emftest::ReadText(bytes, *it);
        ASSERT_EQ(t.text.size(), length);
        EXPECT_EQ(t.text[length / 2], u'\u00B0');
        EXPECT_TRUE(std::all_of(t.dx.begin(), t.dx.end(), [](std::int32_t d) { return d == 7 * kUnit; })) << length;
        EXPECT_EQ(t.fixed.rclBounds.right - t.fixed.rclBounds.left + 1, static_cast<int>(7 * length));
    }
}

TEST(EmfReadBack, ThousandsOfPrimitivesAllReadBack)
{
    HalfEmMeasurer m;
    EmfSurface s(m);
    s.SelectFontHeight(16);
    for (int i = 0; i < 3000; ++i) {
        s.SelectPen(i % 7 == 0 ? PenStyle::kDashed : PenStyle::kSolid, i % 2 ? kRed : kBlue, 1);
        s.MoveTo(i % 800, i % 600);
        s.LineTo(i % 800 + 20, i % 600 + 7);
        s.Ellipse(i % 700, i % 500, i % 700 + 6, i % 500 + 6);
        s.Rectangle(i % 600, i % 400, i % 600 + 4, i % 400 + 4);
        if (i % 10 == 0) {
            s.Text(i % 800, i % 600, "T\xB0");
        }
    }
    const auto bytes = s.Finish();
    const auto records = WalkRecords(bytes);
    const U_EMRHEADER h = emftest::Header(bytes);
    EXPECT_EQ(h.nRecords, records.size());
    EXPECT_EQ(h.nBytes, bytes.size());
    EXPECT_EQ(Count(records, U_EMR_LINETO), 3000);
    EXPECT_EQ(Count(records, U_EMR_ELLIPSE), 3000);
    EXPECT_EQ(Count(records, U_EMR_RECTANGLE), 3000);
    EXPECT_EQ(Count(records, U_EMR_EXTTEXTOUTW), 300);
    EXPECT_LE(h.nHandles, 5);
}

TEST(EmfReadBack, FinishIsFinal)
{
    HalfEmMeasurer m;
    EmfSurface s(m);
    s.MoveTo(0, 0);
    s.LineTo(10, 10);
    const auto first = s.Finish();
    s.LineTo(100, 100);
    s.Text(0, 0, "late");
    s.SelectPen(PenStyle::kDashed, kRed, 3);
    EXPECT_EQ(s.Finish(), first);
}

}  // namespace
}  // namespace korvanes

namespace korvanes {
namespace {

// The safety check is no formality: a text record whose character count
// reaches past its end is refused.
TEST(EmfReadBack, TheSafetyCheckRejectsADamagedTextRecord)
{
    emftest::HalfEmMeasurer m;
    EmfSurface s(m);
    s.Text(10, 10, "abc");
    auto bytes = s.Finish();
    const auto records = WalkRecords(bytes);
    const auto it = std::find_if(records.begin(), records.end(),
                                 [](const Record& r) { return r.type == U_EMR_EXTTEXTOUTW; });
    ASSERT_NE(it, records.end());
    const std::size_t nCharsAt = it->offset + 8 + 16 + 12 + 8;
    const std::uint32_t huge = 100000;
    std::memcpy(bytes.data() + nCharsAt, &huge, 4);
    EXPECT_EQ(U_emf_record_safe(reinterpret_cast<const char*>(bytes.data() + it->offset)), 0);
}

}  // namespace
}  // namespace korvanes
