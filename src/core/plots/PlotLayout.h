#pragma once
// Layout conventions shared by all diagrams: the diagram rectangle, truncated
// positions, the normalised NRM axis, labelled points and number formats.

#include <string>

#include "plots/DrawingSurface.h"
#include "plots/Plots.h"

namespace korvanes {

struct DiagramRect {
    int W = 0;
    int H = 0;
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
    int cx = 0;
    int cy = 0;
};

// Positions beyond this magnitude are not drawn: it keeps every whole-number
// offset that a diagram adds to a position (ticks, radii, label offsets)
// inside the range of int, and it is far beyond any real page.
inline constexpr int kMaxDrawableUnit = 1 << 28;

// The rectangle of a diagram centred on the client area (fixedLayout 0) or on
// (fixedCentreX·c, fixedCentreY·c) (fixedLayout 1): W = widthUnits·c,
// H = heightUnits·c, left = cx − ⌊W/2⌋ and so on, all divisions truncating.
// Sizes and centres are clamped to ±kMaxDrawableUnit/8, so absurd scale units
// or client sizes cannot overflow.
DiagramRect ComputeDiagramRect(const DiagramFrame& frame, int fixedCentreX, int fixedCentreY);

// v rounded to five significant digits in plain notation ("123.46", "12346.",
// "123460.", "0.012346", "0.50000"). Zero gives "0.00000"; a negative value
// keeps its minus sign; NaN or infinity gives "0.00000".
std::string FormatAxisMaximum(double v);
// "350°C" with the degree sign as the byte 0xB0.
std::string FormatTemperatureLabel(int temperature);
// A positive tick value: its integer part from 1 on ("20"), one significant
// digit below 1 ("0.5", "0.003", "0.00005"), never an exponent. Values that
// are not positive and finite give "0".
std::string FormatTickValue(double v);

// Whether list position i carries a temperature label (1, 4, 7, ..., 19).
bool IsLabelledPosition(int i);

// Truncation toward zero of a double to int. NaN, infinity and magnitudes
// beyond kMaxDrawableUnit are never converted: the result is 0 and `ok`
// (when given) is set to false; otherwise `ok` is set to true.
int TruncateToInt(double v, bool* ok = nullptr);

// Collects truncated positions of one primitive and remembers whether any of
// them could not be placed, so the caller draws the primitive only when all
// of its points are valid.
class Placement {
public:
    // ⌊v⌋ toward zero; marks the placement invalid when v is not drawable.
    int operator()(double v)
    {
        bool good = false;
        const int result = TruncateToInt(v, &good);
        m_ok = m_ok && good;
        return result;
    }
    // A whole-number position computed in 64 bits (for products such as T·W).
    int operator()(long long v)
    {
        if (v > kMaxDrawableUnit || v < -kMaxDrawableUnit) {
            m_ok = false;
            return 0;
        }
        return static_cast<int>(v);
    }
    bool ok() const { return m_ok; }

private:
    bool m_ok = true;
};

// Whether a scale value can divide positions: positive and finite.
bool IsUsableScale(double scale);

// The normalised NRM axis of the Arai and decay diagrams, with t = ⌊W/100⌋.
// Frame: one line (right, bottom) → (left, bottom) → (left, top).
void DrawNrmAxisFrame(DrawingSurface& surface, const DiagramRect& rect);
// The three ticks drawn to the left at the bottom, the middle and the top.
void DrawNrmAxisTicks(DrawingSurface& surface, const DiagramRect& rect);
// The labels "1.0", "0.5", "0.0" and the title "NRM (* <scale> mA/m)".
void DrawNrmAxisTexts(DrawingSurface& surface, const DiagramRect& rect, double nrmScale);

}  // namespace korvanes
