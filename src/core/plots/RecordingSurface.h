#pragma once
// A drawing surface that records every call, for tests and benchmarks, and a
// text measurer with a fixed advance per character.

#include <string>
#include <vector>

#include "plots/DrawingSurface.h"

namespace korvanes {

// Every character is `advanceNumerator`/`advanceDenominator` of the
// requested height wide (truncated per character); height 0 stands for
// `defaultCellHeight`, a negative height (an em) for its magnitude.
class FixedAdvanceMeasurer final : public TextMeasurer {
public:
    FixedAdvanceMeasurer(int advanceNumerator = 11, int advanceDenominator = 20, int defaultCellHeight = 16);
    int TextWidth(std::string_view text, int height) const override;

private:
    int m_numerator;
    int m_denominator;
    int m_defaultCellHeight;
};

// The font a surface has selected: requested in points (for the reference
// device) or as a cell height, and the cell height it measures with.
struct RecordedFont {
    bool inPoints = false;
    int size = 0;        // points or cell height as requested
    int cellHeight = 0;  // logical units; 0 is the font system's default
    bool operator==(const RecordedFont&) const = default;
};

struct RecordedPen {
    PenStyle style = PenStyle::kSolid;
    Rgb colour = kBlack;
    int width = 1;
    bool operator==(const RecordedPen&) const = default;
};

enum class PrimitiveKind {
    kMoveTo,
    kLineTo,
    kEllipse,
    kRectangle,
    kText,
    kSetTextAnchor,
    kSelectPen,
    kSelectFill,
    kSelectFont,
    kReleaseFont,
};

// One call, with the state of the surface when it was made (after it, for
// the selections). Lines carry their start in x1, y1 and end in x2, y2.
struct RecordedPrimitive {
    PrimitiveKind kind = PrimitiveKind::kMoveTo;
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    std::string text;
    RecordedPen pen;
    Rgb fill = kWhite;
    RecordedFont font;
    TextAnchor anchor = TextAnchor::kCentreBaseline;
};

class RecordingSurface final : public DrawingSurface {
public:
    // With a reference device a font of p points has a cell height of
    // ⌊p·unitsPerPoint⌋ (96 dpi: 4/3, so 10 points measure "0" as 7 units).
    // Without one, a request in points gives height 0.
    RecordingSurface(const TextMeasurer& measurer, bool hasReferenceDevice = true, double unitsPerPoint = 96.0 / 72.0);

    bool HasReferenceDevice() const override { return m_hasReferenceDevice; }
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

    const std::vector<RecordedPrimitive>& Primitives() const { return m_primitives; }
    // The recorded calls of one kind, in order.
    std::vector<RecordedPrimitive> OfKind(PrimitiveKind kind) const;
    // The texts drawn, in order.
    std::vector<std::string> Texts() const;
    // Fonts still selected (0 after a balanced paint).
    std::size_t FontDepth() const { return m_fonts.size(); }
    void Clear();

private:
    RecordedPrimitive& Record(PrimitiveKind kind);
    RecordedFont CurrentFont() const;

    const TextMeasurer& m_measurer;
    bool m_hasReferenceDevice;
    double m_unitsPerPoint;
    int m_x = 0;
    int m_y = 0;
    RecordedPen m_pen;
    Rgb m_fill = kWhite;
    TextAnchor m_anchor = TextAnchor::kCentreBaseline;
    std::vector<RecordedFont> m_fonts;
    std::vector<RecordedPrimitive> m_primitives;
};

}  // namespace korvanes
