#pragma once
// The abstract surface that every diagram draws on. Screen, printer, image,
// PDF, SVG and metafile each implement it; the drawing code never knows which
// one it paints.
//
// Coordinates are whole logical units: x grows to the right, y downward.
// Texts are single-byte Windows-1252 strings (the degree sign is 0xB0),
// except the specimen name, which is passed on byte for byte.

#include <cstdint>
#include <string_view>

namespace korvanes {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    bool operator==(const Rgb&) const = default;
};

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kGreen{0, 255, 0};
inline constexpr Rgb kBlue{0, 0, 255};

enum class PenStyle { kSolid, kDashed };

// How a text is placed relative to its anchor point.
enum class TextAnchor {
    kCentreBaseline,  // centred on x, baseline on y (the default)
    kLeftTop,         // top-left corner at the point
};

class DrawingSurface {
public:
    virtual ~DrawingSurface() = default;

    // True for screen, printer and print preview: fonts can be requested in
    // points for that device. False for a metafile being recorded.
    virtual bool HasReferenceDevice() const = 0;

    virtual void MoveTo(int x, int y) = 0;
    // A line from the current position; (x, y) becomes the current position.
    virtual void LineTo(int x, int y) = 0;
    // Ellipse inside the box, outlined with the pen and filled with the fill.
    // The corners may come in either order.
    virtual void Ellipse(int x1, int y1, int x2, int y2) = 0;
    // Rectangle between two corners (either order), outlined and filled.
    virtual void Rectangle(int x1, int y1, int x2, int y2) = 0;
    // Text in black, transparent background, placed by the current anchor.
    virtual void Text(int x, int y, std::string_view text) = 0;
    virtual void SetTextAnchor(TextAnchor anchor) = 0;
    // Width of `text` in the current font, logical units.
    virtual int TextWidth(std::string_view text) = 0;

    virtual void SelectPen(PenStyle style, Rgb colour, int width) = 0;
    virtual void SelectFill(Rgb colour) = 0;
    // Arial at a point size for the reference device. A metafile, which has
    // no device to measure with, sizes it for the screen it is recorded for.
    virtual void SelectFontPoints(int points) = 0;
    // Arial with a cell height in logical units.
    virtual void SelectFontHeight(int cellHeight) = 0;
    // Lets go of the font selected last (the end of a paint or of a page of
    // small diagrams); the surface goes back to its previous font.
    virtual void ReleaseFont() = 0;
};

// Supplies text widths to surfaces that cannot measure text themselves (the
// metafile writer, the recording surface of the tests). `height` names the
// font as a font request does: a positive value is the cell height, a
// negative one the em height, 0 the default size.
class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;
    virtual int TextWidth(std::string_view text, int height) const = 0;
};

}  // namespace korvanes
