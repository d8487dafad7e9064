#pragma once
// A drawing surface that records an Enhanced Metafile ([MS-EMF]) in memory.

#include <cstdint>
#include <string>
#include <vector>

#include "plots/DrawingSurface.h"

namespace korvanes {

// The reference device whose resolution defines the picture's units: by
// default a 96-dpi screen of 1920 × 1080 pixels.
struct EmfReferenceDevice {
    int widthPixels = 1920;
    int heightPixels = 1080;
    int widthMillimetres = 508;
    int heightMillimetres = 286;
};

class EmfSurface final : public DrawingSurface {
public:
    // `measurer` gives the text widths of the fonts the picture selects.
    explicit EmfSurface(const TextMeasurer& measurer, EmfReferenceDevice device = {});
    ~EmfSurface() override;

    bool HasReferenceDevice() const override { return false; }
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void Ellipse(int x1, int y1, int x2, int y2) override;
    void Rectangle(int x1, int y1, int x2, int y2) override;
    void Text(int x, int y, std::string_view text) override;
    void SetTextAnchor(TextAnchor anchor) override;
    int TextWidth(std::string_view text) override;
    void SelectPen(PenStyle style, Rgb colour, int width) override;
    void SelectFill(Rgb colour) override;
    void SelectFontPoints(int points) override;
    void SelectFontHeight(int cellHeight) override;
    void ReleaseFont() override;

    // Ends the recording and returns the whole metafile: header, records and
    // the end-of-file record. The surface takes no drawing afterwards.
    std::vector<std::uint8_t> Finish();

private:
    struct Impl;
    Impl* m_impl;
};

// Writes `bytes` to `path`; an existing file is replaced only once the new
// content is completely written. False with a message in `error` otherwise.
bool WriteFileReplacing(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error);

}  // namespace korvanes
