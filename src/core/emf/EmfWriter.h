#pragma once
// A drawing surface that records an Enhanced Metafile ([MS-EMF]) in memory.
//
// The picture is written by this code to the published record layouts: a
// header with the description "KorvanesPlot", the bounds of everything drawn
// and the frame derived from them, then one record per drawing operation and
// the end-of-file record. A new surface already holds the surface settings:
// the mapping (below), the text alignment of the default anchor (centred on
// x, baseline on y), a transparent text background, and a black solid pen one
// pixel wide and a white solid fill of its own, created and selected. Fonts
// are Arial named by their em (a negative height), which every reader takes
// the same way. Before the first font selection texts use the player's
// default font (measured and bounded as Arial of the default size).
//
// The surface takes coordinates, pen widths and font sizes in pixels of the
// reference device, as every surface of a screen does, and records them in
// kEmfUnitsPerPixel logical units per pixel: the mapping is anisotropic with
// a window extent that many times the viewport extent. Readers that turn an
// ellipse into a polygon or place glyphs in logical units then do so on that
// finer grid, so a picture enlarged in an office document keeps round
// symbols and evenly spaced text. Text advances are measured in the font of
// the finer size. The header's bounds, and those of each text record, stay
// in device pixels, as the format has them.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "plots/DrawingSurface.h"

namespace korvanes {

// Logical units per pixel of the reference device in the recorded picture.
inline constexpr int kEmfUnitsPerPixel = 16;

// The reference device whose resolution defines the picture's units: by
// default a 96-dpi screen of 1920 × 1080 pixels. A device with a size of 0 or
// less in any field is replaced by the default one.
struct EmfReferenceDevice {
    int widthPixels = 1920;
    int heightPixels = 1080;
    int widthMillimetres = 508;
    int heightMillimetres = 286;
};

class EmfSurface final : public DrawingSurface {
public:
    // `measurer` gives the text widths of the fonts the picture selects; it
    // must outlive the surface.
    explicit EmfSurface(const TextMeasurer& measurer, EmfReferenceDevice device = {});
    ~EmfSurface() override;
    EmfSurface(const EmfSurface&) = delete;
    EmfSurface& operator=(const EmfSurface&) = delete;

    bool HasReferenceDevice() const override { return false; }
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void Ellipse(int x1, int y1, int x2, int y2) override;
    void Rectangle(int x1, int y1, int x2, int y2) override;
    // An empty text records nothing. Characters are recorded as UTF-16 with
    // their advances from the measurer.
    void Text(int x, int y, std::string_view text) override;
    void SetTextAnchor(TextAnchor anchor) override;
    // Measured in the current font's em.
    int TextWidth(std::string_view text) override;
    // Selecting the pen or fill that is already selected records nothing. A
    // negative pen width is taken as 0 (the thinnest line).
    void SelectPen(PenStyle style, Rgb colour, int width) override;
    void SelectFill(Rgb colour) override;
    // Sized for the reference device's vertical resolution (5 points on a
    // 96-dpi screen: an em of 7). 0 points or less give the default size.
    void SelectFontPoints(int points) override;
    // The em of Arial with that cell (16: 14). 0 or less is the default size,
    // a cell of 16.
    void SelectFontHeight(int cellHeight) override;
    // Goes back to the previous font (the player's default font after the
    // first one) and deletes the released one. Without a font selected it
    // does nothing.
    void ReleaseFont() override;

    // Ends the recording and returns the whole metafile: header, records and
    // the end-of-file record. The surface ignores drawing afterwards, and a
    // second call returns the same bytes.
    std::vector<std::uint8_t> Finish();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// Writes `bytes` to `path` through a temporary file beside it, which is
// renamed over `path` only once completely written and closed; an existing
// file is never left half-written. False with a message naming the path and
// the reason in `error` otherwise (the temporary file is then removed).
bool WriteFileReplacing(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error);

}  // namespace korvanes
