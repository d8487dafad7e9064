#include "emf/EmfWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "emf/EmfBounds.h"
#include "emf/EmfFormat.h"
#include "emf/EmfRecordBuffer.h"
#include "io/FileReplace.h"
#include "plots/ArialMetrics.h"
#include "text/TextEncoding.h"

namespace korvanes {
namespace {

using emf::ClampToInt32;

// The description: the application name "KorvanesPlot" and an empty picture
// name, each ending with a zero unit.
constexpr char16_t kDescription[] = u"KorvanesPlot\0";
constexpr std::uint32_t kDescriptionUnits = 14;
static_assert(sizeof(kDescription) / sizeof(char16_t) == kDescriptionUnits);

// Texts longer than this get their advances from single characters instead
// of the differences of measured prefixes, which would cost quadratic time.
constexpr std::size_t kMaxPrefixMeasured = 1024;

std::uint32_t ColourRef(Rgb c)
{
    return std::uint32_t{c.r} | (std::uint32_t{c.g} << 8) | (std::uint32_t{c.b} << 16);
}

// A pixel coordinate or size in logical units, clamped to the record's range.
std::int32_t Fine(std::int64_t pixels) { return ClampToInt32(pixels * kEmfUnitsPerPixel); }

// The largest magnitude in pixels that logical units hold exactly.
constexpr std::int64_t kLargestExact = std::numeric_limits<std::int32_t>::max() / kEmfUnitsPerPixel;

bool Exact(std::int64_t pixels) { return pixels >= -kLargestExact && pixels <= kLargestExact; }

// The part of the segment a..b that lies within ±kLargestExact on both axes
// (Liang-Barsky): false when none does. a and b become the ends of that part.
bool ClipToExact(double& ax, double& ay, double& bx, double& by)
{
    double from = 0.0;
    double to = 1.0;
    const double dx = bx - ax;
    const double dy = by - ay;
    const double limit = static_cast<double>(kLargestExact);
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {ax + limit, limit - ax, ay + limit, limit - ay};
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0.0) {
            if (q[k] < 0.0) {
                return false;
            }
            continue;
        }
        const double t = q[k] / p[k];
        if (p[k] < 0.0) {
            from = std::max(from, t);
        } else {
            to = std::min(to, t);
        }
    }
    if (from > to) {
        return false;
    }
    const double x0 = ax;
    const double y0 = ay;
    ax = x0 + from * dx;
    ay = y0 + from * dy;
    bx = x0 + to * dx;
    by = y0 + to * dy;
    return true;
}

EmfReferenceDevice ValidDevice(const EmfReferenceDevice& device)
{
    if (device.widthPixels <= 0 || device.heightPixels <= 0 || device.widthMillimetres <= 0 ||
        device.heightMillimetres <= 0) {
        return EmfReferenceDevice{};
    }
    return device;
}

// A coordinate in device pixels converted to 0.01 mm, rounded to the nearest
// unit (halves away from zero) and clamped to the record's range.
std::int32_t PixelsToHundredthsMm(std::int64_t v, int millimetres, int pixels)
{
    const double hundredths = static_cast<double>(v) * millimetres * 100.0 / pixels;
    const double clamped = std::clamp(hundredths, static_cast<double>(std::numeric_limits<std::int32_t>::min()),
                                      static_cast<double>(std::numeric_limits<std::int32_t>::max()));
    return ClampToInt32(std::llround(clamped));
}

// The byte ranges of the characters of `text` as the program's text
// decoding reads them (UTF-8 when the whole text is valid UTF-8, otherwise
// one Windows-1252 byte per character), with the number of UTF-16 units each
// becomes.
struct CharacterSpan {
    std::size_t end = 0;
    int units = 1;
};

std::vector<CharacterSpan> CharacterSpans(std::string_view text)
{
    std::vector<CharacterSpan> spans;
    const bool utf8 = ToUtf8(text) == text;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t length = 1;
        int units = 1;
        if (utf8) {
            const auto lead = static_cast<unsigned char>(text[i]);
            if (lead >= 0xF0) {
                length = 4;
                units = 2;
            } else if (lead >= 0xE0) {
                length = 3;
            } else if (lead >= 0xC0) {
                length = 2;
            }
        }
        i = std::min(text.size(), i + length);
        spans.push_back(CharacterSpan{i, units});
    }
    return spans;
}

}  // namespace

struct EmfSurface::Impl {
    Impl(const TextMeasurer& m, EmfReferenceDevice d) : measurer(m), device(ValidDevice(d)) {}

    const TextMeasurer& measurer;
    const EmfReferenceDevice device;
    emf::RecordBuffer records;
    emf::BoundsAccumulator bounds;

    // Object table slots in use; slot 0 stands for the metafile itself.
    std::vector<bool> slotUsed{true};
    std::uint32_t highestSlot = 0;

    std::uint32_t penHandle = 0;
    PenStyle penStyle = PenStyle::kSolid;
    Rgb penColour = kBlack;
    int penWidth = 1;
    std::uint32_t brushHandle = 0;
    Rgb brushColour = kWhite;
    // The ems of the selected fonts, the current one last; only the current
    // one exists as an object, its predecessors are created again on release.
    std::vector<int> fontEms;
    std::uint32_t fontHandle = 0;

    TextAnchor anchor = TextAnchor::kCentreBaseline;
    int currentX = 0;
    int currentY = 0;
    // Whether the player's current position is (currentX, currentY): not
    // after a move to, or a line ending at, a position that logical units
    // cannot hold.
    bool playerAtCurrent = true;
    bool finished = false;
    std::vector<std::uint8_t> result;

    std::uint32_t AllocateSlot()
    {
        const auto free = std::find(slotUsed.begin() + 1, slotUsed.end(), false);
        const auto slot = static_cast<std::uint32_t>(free - slotUsed.begin());
        if (free == slotUsed.end()) {
            slotUsed.push_back(true);
        } else {
            *free = true;
        }
        highestSlot = std::max(highestSlot, slot);
        return slot;
    }

    void Simple(std::uint32_t type, std::uint32_t value)
    {
        records.BeginRecord(type);
        records.U32(value);
        records.EndRecord();
    }

    void SelectObject(std::uint32_t handle) { Simple(emf::kEmrSelectObject, handle); }

    void DeleteObject(std::uint32_t handle)
    {
        Simple(emf::kEmrDeleteObject, handle);
        slotUsed[handle] = false;
    }

    void CreatePen(PenStyle style, Rgb colour, int width)
    {
        const std::uint32_t handle = AllocateSlot();
        records.BeginRecord(emf::kEmrCreatePen);
        records.U32(handle);
        records.U32(style == PenStyle::kDashed ? emf::kPsDash : emf::kPsSolid);
        records.I32(Fine(width));
        records.I32(0);
        records.U32(ColourRef(colour));
        records.EndRecord();
        SelectObject(handle);
        if (penHandle != 0) {
            DeleteObject(penHandle);
        }
        penHandle = handle;
        penStyle = style;
        penColour = colour;
        penWidth = width;
    }

    void CreateBrush(Rgb colour)
    {
        const std::uint32_t handle = AllocateSlot();
        records.BeginRecord(emf::kEmrCreateBrushIndirect);
        records.U32(handle);
        records.U32(emf::kBsSolid);
        records.U32(ColourRef(colour));
        records.U32(0);
        records.EndRecord();
        SelectObject(handle);
        if (brushHandle != 0) {
            DeleteObject(brushHandle);
        }
        brushHandle = handle;
        brushColour = colour;
    }

    // Creates and selects Arial of em `em`, then deletes the font it replaces.
    void CreateFont(int em)
    {
        const std::uint32_t handle = AllocateSlot();
        records.BeginRecord(emf::kEmrExtCreateFontIndirectW);
        records.U32(handle);
        // lfHeight < 0 names the em, which every reader takes as the font
        // size; a positive height (the cell) is read as the em by some.
        records.I32(-Fine(em));
        records.I32(0);       // width: from the aspect ratio
        records.I32(0);       // escapement
        records.I32(0);       // orientation
        records.I32(emf::kFwNormal);
        records.U8(0);  // italic
        records.U8(0);  // underline
        records.U8(0);  // strike-out
        records.U8(emf::kAnsiCharset);
        records.U8(0);  // OUT_DEFAULT_PRECIS
        records.U8(0);  // CLIP_DEFAULT_PRECIS
        records.U8(0);  // DEFAULT_QUALITY
        records.U8(0);  // DEFAULT_PITCH | FF_DONTCARE
        constexpr std::u16string_view kFace = u"Arial";
        records.Utf16(kFace);
        records.Zeros(2 * (32 - kFace.size()));
        records.EndRecord();
        SelectObject(handle);
        if (fontHandle != 0) {
            DeleteObject(fontHandle);
        }
        fontHandle = handle;
    }

    void PushFont(int em)
    {
        if (fontEms.empty() || fontEms.back() != em) {
            CreateFont(em);
        }
        fontEms.push_back(em);
    }

    void PopFont()
    {
        if (fontEms.empty()) {
            return;
        }
        const int released = fontEms.back();
        fontEms.pop_back();
        if (fontEms.empty()) {
            SelectObject(emf::kStockSystemFont);
            DeleteObject(fontHandle);
            fontHandle = 0;
        } else if (fontEms.back() != released) {
            CreateFont(fontEms.back());
        }
    }

    // The em of the current font; before the first font, the default size.
    int Em() const { return fontEms.empty() ? ArialEmForCellHeight(0) : fontEms.back(); }

    // The vertical resolution of the reference device, which sizes fonts
    // requested in points.
    double DotsPerInch() const { return device.heightPixels * 25.4 / device.heightMillimetres; }

    void SetTextAlign(TextAnchor a)
    {
        anchor = a;
        Simple(emf::kEmrSetTextAlign,
               a == TextAnchor::kLeftTop ? emf::kTaLeft | emf::kTaTop : emf::kTaCenter | emf::kTaBaseline);
    }

    void Box(std::uint32_t type, int x1, int y1, int x2, int y2)
    {
        bounds.Add(emf::StrokeBox(x1, y1, x2, y2, penWidth));
        records.BeginRecord(type);
        records.I32(Fine(std::min(x1, x2)));
        records.I32(Fine(std::min(y1, y2)));
        records.I32(Fine(std::max(x1, x2)));
        records.I32(Fine(std::max(y1, y2)));
        records.EndRecord();
    }

    // The advance of every UTF-16 unit of the text in logical units,
    // measured in the font of the em in logical units; the second unit of a
    // surrogate pair advances by 0.
    std::vector<std::int32_t> Advances(std::string_view text, int em)
    {
        const int fineHeight = -Fine(em);
        std::vector<std::int32_t> dx;
        const std::vector<CharacterSpan> spans = CharacterSpans(text);
        const bool byPrefix = spans.size() <= kMaxPrefixMeasured;
        std::size_t start = 0;
        std::int64_t before = 0;
        for (const CharacterSpan& span : spans) {
            std::int64_t advance = 0;
            if (byPrefix) {
                const std::int64_t upTo = measurer.TextWidth(text.substr(0, span.end), fineHeight);
                advance = upTo - before;
                before = upTo;
            } else {
                advance = measurer.TextWidth(text.substr(start, span.end - start), fineHeight);
            }
            dx.push_back(ClampToInt32(advance));
            if (span.units == 2) {
                dx.push_back(0);
            }
            start = span.end;
        }
        return dx;
    }

    void Text(int x, int y, std::string_view text)
    {
        const std::u16string units = ToUtf16(text);
        if (units.empty()) {
            return;
        }
        const int em = Em();
        std::vector<std::int32_t> dx = Advances(text, em);
        dx.resize(units.size(), 0);  // the spans and the decoding agree; this only guards the record
        const emf::PixelBox box = emf::TextBox(x, y, measurer.TextWidth(text, -em), em, anchor);
        bounds.Add(box);

        const auto stringBytes = static_cast<std::uint32_t>((2 * units.size() + 3) / 4 * 4);
        records.BeginRecord(emf::kEmrExtTextOutW);
        if (box.IsEmpty()) {
            records.I32(0);
            records.I32(0);
            records.I32(-1);
            records.I32(-1);
        } else {
            records.I32(ClampToInt32(box.left));
            records.I32(ClampToInt32(box.top));
            records.I32(ClampToInt32(box.right));
            records.I32(ClampToInt32(box.bottom));
        }
        records.U32(emf::kGmCompatible);
        // Page units (the logical units) to 0.01 mm, for players that scale
        // compatible-mode text.
        records.F32(static_cast<float>(device.widthMillimetres * 100.0 / device.widthPixels / kEmfUnitsPerPixel));
        records.F32(static_cast<float>(device.heightMillimetres * 100.0 / device.heightPixels / kEmfUnitsPerPixel));
        records.I32(Fine(x));
        records.I32(Fine(y));
        records.U32(static_cast<std::uint32_t>(units.size()));
        records.U32(emf::kExtTextOutFixedSize);  // offString
        records.U32(0);                          // fOptions: no clipping, no opaque box
        records.I32(0);                          // the unused clipping rectangle, empty
        records.I32(0);
        records.I32(-1);
        records.I32(-1);
        records.U32(emf::kExtTextOutFixedSize + stringBytes);  // offDx
        records.Utf16(units);
        records.Zeros(stringBytes - 2 * units.size());
        for (std::int32_t advance : dx) {
            records.I32(advance);
        }
        records.EndRecord();
    }

    std::vector<std::uint8_t> Assemble()
    {
        records.BeginRecord(emf::kEmrEof);
        records.U32(0);   // nPalEntries
        records.U32(16);  // offPalEntries: where the (absent) entries would start
        records.U32(emf::kEofSize);
        records.EndRecord();

        emf::RecordBuffer header;
        header.BeginRecord(emf::kEmrHeader);
        std::int32_t l = 0;
        std::int32_t t = 0;
        std::int32_t r = 0;
        std::int32_t b = 0;
        bounds.Get(l, t, r, b);
        header.I32(l);
        header.I32(t);
        header.I32(r);
        header.I32(b);
        if (bounds.IsEmpty()) {
            header.I32(0);
            header.I32(0);
            header.I32(-1);
            header.I32(-1);
        } else {
            // The frame reaches the far edge of the last pixel of the bounds,
            // so that a reader sizing the picture as right − left loses none.
            header.I32(PixelsToHundredthsMm(l, device.widthMillimetres, device.widthPixels));
            header.I32(PixelsToHundredthsMm(t, device.heightMillimetres, device.heightPixels));
            header.I32(PixelsToHundredthsMm(std::int64_t{r} + 1, device.widthMillimetres, device.widthPixels));
            header.I32(PixelsToHundredthsMm(std::int64_t{b} + 1, device.heightMillimetres, device.heightPixels));
        }
        header.U32(emf::kSignature);
        header.U32(emf::kVersion);
        const std::size_t nBytesAt = header.Size();
        header.U32(0);  // nBytes, patched below
        header.U32(records.RecordCount() + 1);
        header.U16(static_cast<std::uint16_t>(highestSlot + 1));
        header.U16(0);
        header.U32(kDescriptionUnits);
        header.U32(emf::kHeaderFixedSize);
        header.U32(0);  // nPalEntries
        header.I32(device.widthPixels);
        header.I32(device.heightPixels);
        header.I32(device.widthMillimetres);
        header.I32(device.heightMillimetres);
        header.U32(0);  // cbPixelFormat
        header.U32(0);  // offPixelFormat
        header.U32(0);  // bOpenGL
        header.I32(ClampToInt32(std::int64_t{device.widthMillimetres} * 1000));
        header.I32(ClampToInt32(std::int64_t{device.heightMillimetres} * 1000));
        header.Utf16(std::u16string_view(kDescription, kDescriptionUnits));
        header.EndRecord();

        std::vector<std::uint8_t> out = std::move(header.Bytes());
        header.Bytes().clear();
        out.insert(out.end(), records.Bytes().begin(), records.Bytes().end());
        const auto total = static_cast<std::uint32_t>(std::min<std::size_t>(out.size(), 0xFFFFFFFFu));
        for (int k = 0; k < 4; ++k) {
            out[nBytesAt + k] = static_cast<std::uint8_t>((total >> (8 * k)) & 0xFF);
        }
        records = emf::RecordBuffer{};
        return out;
    }
};

EmfSurface::EmfSurface(const TextMeasurer& measurer, EmfReferenceDevice device)
    : m_impl(std::make_unique<Impl>(measurer, device))
{
    // kEmfUnitsPerPixel logical units to a pixel: the window extent before
    // the viewport's, as the anisotropic mapping wants them.
    m_impl->Simple(emf::kEmrSetMapMode, emf::kMmAnisotropic);
    const EmfReferenceDevice& screen = m_impl->device;
    m_impl->records.BeginRecord(emf::kEmrSetWindowExtEx);
    m_impl->records.I32(Fine(screen.widthPixels));
    m_impl->records.I32(Fine(screen.heightPixels));
    m_impl->records.EndRecord();
    m_impl->records.BeginRecord(emf::kEmrSetViewportExtEx);
    m_impl->records.I32(screen.widthPixels);
    m_impl->records.I32(screen.heightPixels);
    m_impl->records.EndRecord();
    m_impl->SetTextAlign(TextAnchor::kCentreBaseline);
    m_impl->Simple(emf::kEmrSetBkMode, emf::kTransparent);
    m_impl->CreatePen(PenStyle::kSolid, kBlack, 1);
    m_impl->CreateBrush(kWhite);
}

EmfSurface::~EmfSurface() = default;

void EmfSurface::MoveTo(int x, int y)
{
    if (m_impl->finished) {
        return;
    }
    m_impl->records.BeginRecord(emf::kEmrMoveToEx);
    m_impl->records.I32(Fine(x));
    m_impl->records.I32(Fine(y));
    m_impl->records.EndRecord();
    m_impl->currentX = x;
    m_impl->currentY = y;
    m_impl->playerAtCurrent = Exact(x) && Exact(y);
}

void EmfSurface::LineTo(int x, int y)
{
    if (m_impl->finished) {
        return;
    }
    Impl& d = *m_impl;
    d.bounds.Add(emf::StrokeBox(d.currentX, d.currentY, x, y, d.penWidth));
    const bool exact = Exact(x) && Exact(y);
    if (d.playerAtCurrent && exact) {
        d.records.BeginRecord(emf::kEmrLineTo);
        d.records.I32(Fine(x));
        d.records.I32(Fine(y));
        d.records.EndRecord();
    } else {
        // A line to or from a position beyond what logical units hold: the
        // part of it within, so that it keeps its direction.
        double ax = d.currentX;
        double ay = d.currentY;
        double bx = x;
        double by = y;
        if (ClipToExact(ax, ay, bx, by)) {
            auto logical = [](double v) { return ClampToInt32(std::llround(v * kEmfUnitsPerPixel)); };
            d.records.BeginRecord(emf::kEmrMoveToEx);
            d.records.I32(logical(ax));
            d.records.I32(logical(ay));
            d.records.EndRecord();
            d.records.BeginRecord(emf::kEmrLineTo);
            d.records.I32(logical(bx));
            d.records.I32(logical(by));
            d.records.EndRecord();
        }
    }
    d.currentX = x;
    d.currentY = y;
    d.playerAtCurrent = exact;
}

void EmfSurface::Ellipse(int x1, int y1, int x2, int y2)
{
    if (!m_impl->finished) {
        m_impl->Box(emf::kEmrEllipse, x1, y1, x2, y2);
    }
}

void EmfSurface::Rectangle(int x1, int y1, int x2, int y2)
{
    if (!m_impl->finished) {
        m_impl->Box(emf::kEmrRectangle, x1, y1, x2, y2);
    }
}

void EmfSurface::Text(int x, int y, std::string_view text)
{
    if (!m_impl->finished) {
        m_impl->Text(x, y, text);
    }
}

void EmfSurface::SetTextAnchor(TextAnchor anchor)
{
    if (!m_impl->finished && anchor != m_impl->anchor) {
        m_impl->SetTextAlign(anchor);
    }
}

int EmfSurface::TextWidth(std::string_view text)
{
    return m_impl->measurer.TextWidth(text, -m_impl->Em());
}

void EmfSurface::SelectPen(PenStyle style, Rgb colour, int width)
{
    width = std::max(width, 0);
    if (m_impl->finished ||
        (style == m_impl->penStyle && colour == m_impl->penColour && width == m_impl->penWidth)) {
        return;
    }
    m_impl->CreatePen(style, colour, width);
}

void EmfSurface::SelectFill(Rgb colour)
{
    if (!m_impl->finished && colour != m_impl->brushColour) {
        m_impl->CreateBrush(colour);
    }
}

void EmfSurface::SelectFontPoints(int points)
{
    if (!m_impl->finished) {
        m_impl->PushFont(EmForPoints(points, m_impl->DotsPerInch()));
    }
}

void EmfSurface::SelectFontHeight(int cellHeight)
{
    if (!m_impl->finished) {
        m_impl->PushFont(ArialEmForCellHeight(cellHeight));
    }
}

void EmfSurface::ReleaseFont()
{
    if (!m_impl->finished) {
        m_impl->PopFont();
    }
}

std::vector<std::uint8_t> EmfSurface::Finish()
{
    if (!m_impl->finished) {
        m_impl->result = m_impl->Assemble();
        m_impl->finished = true;
    }
    return m_impl->result;
}

bool WriteFileReplacing(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error)
{
    const std::string_view content(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (const auto reason = ReplaceFileContents(path, content)) {
        error = "Cannot write " + path + ": " + *reason;
        return false;
    }
    return true;
}

}  // namespace korvanes
