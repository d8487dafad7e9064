#include "plots/PlotLayout.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "text/TextEncoding.h"

namespace korvanes {
namespace {

// Rectangle sizes and centres stay well inside the drawable range, so that
// positions a few diagram sizes away from them are still drawable.
constexpr int kMaxRectUnit = kMaxDrawableUnit / 8;

int ClampUnits(long long v)
{
    if (v > kMaxRectUnit) {
        return kMaxRectUnit;
    }
    if (v < -kMaxRectUnit) {
        return -kMaxRectUnit;
    }
    return static_cast<int>(v);
}

// Splits a positive finite value, rounded to `digits` significant digits,
// into those digits and the decimal exponent of the first one.
void SignificantDigits(double v, int digits, std::string& mantissa, int& exponent)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*e", digits - 1, v);
    mantissa.clear();
    const char* p = buffer;
    for (; *p != '\0' && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9') {
            mantissa += *p;
        }
    }
    exponent = (*p == 'e') ? std::atoi(p + 1) : 0;
}

}  // namespace

DiagramRect ComputeDiagramRect(const DiagramFrame& frame, int fixedCentreX, int fixedCentreY)
{
    const long long c = frame.scaleUnit;
    DiagramRect rect;
    rect.W = ClampUnits(frame.widthUnits * c);
    rect.H = ClampUnits(frame.heightUnits * c);
    if (frame.fixedLayout == 0) {
        rect.cx = ClampUnits(c * (frame.client.width / 2));
        rect.cy = ClampUnits(c * (frame.client.height / 2));
    } else {
        rect.cx = ClampUnits(c * fixedCentreX);
        rect.cy = ClampUnits(c * fixedCentreY);
    }
    rect.left = rect.cx - rect.W / 2;
    rect.right = rect.cx + rect.W / 2;
    rect.top = rect.cy - rect.H / 2;
    rect.bottom = rect.cy + rect.H / 2;
    return rect;
}

std::string FormatAxisMaximum(double v)
{
    if (!std::isfinite(v) || v == 0.0) {
        return "0.00000";
    }
    std::string text = v < 0.0 ? "-" : "";
    std::string digits;
    int exponent = 0;
    SignificantDigits(std::fabs(v), 5, digits, exponent);
    if (exponent < 0) {
        text += "0.";
        text.append(static_cast<std::size_t>(-exponent - 1), '0');
        text += digits;
    } else if (exponent + 1 >= static_cast<int>(digits.size())) {
        text += digits;
        text.append(static_cast<std::size_t>(exponent + 1 - static_cast<int>(digits.size())), '0');
        text += '.';
    } else {
        const auto integerDigits = static_cast<std::size_t>(exponent + 1);
        text += digits.substr(0, integerDigits);
        text += '.';
        text += digits.substr(integerDigits);
    }
    return text;
}

std::string FormatTemperatureLabel(int temperature)
{
    return StringPrintf("%d\xB0" "C", temperature);
}

std::string FormatTickValue(double v)
{
    if (!std::isfinite(v) || v <= 0.0) {
        return "0";
    }
    std::string digits;
    int exponent = 0;
    if (v >= 1.0) {
        // Ten significant digits first, so 4.9999999999 (from k·u) reads 5.
        SignificantDigits(v, 10, digits, exponent);
        if (exponent + 1 >= static_cast<int>(digits.size())) {
            digits.append(static_cast<std::size_t>(exponent + 1 - static_cast<int>(digits.size())), '0');
            return digits;
        }
        return digits.substr(0, static_cast<std::size_t>(exponent + 1));
    }
    SignificantDigits(v, 1, digits, exponent);
    if (exponent >= 0) {
        return digits;  // 0.96 and above round up to 1
    }
    std::string text = "0.";
    text.append(static_cast<std::size_t>(-exponent - 1), '0');
    return text + digits;
}

bool IsLabelledPosition(int i)
{
    return i >= 1 && i <= 19 && (i - 1) % 3 == 0;
}

int TruncateToInt(double v, bool* ok)
{
    const bool good = std::isfinite(v) && v < kMaxDrawableUnit + 1.0 && v > -(kMaxDrawableUnit + 1.0);
    if (ok != nullptr) {
        *ok = good;
    }
    return good ? static_cast<int>(v) : 0;
}

bool IsUsableScale(double scale)
{
    return std::isfinite(scale) && scale > 0.0;
}

void DrawNrmAxisFrame(DrawingSurface& surface, const DiagramRect& rect)
{
    surface.MoveTo(rect.right, rect.bottom);
    surface.LineTo(rect.left, rect.bottom);
    surface.LineTo(rect.left, rect.top);
}

void DrawNrmAxisTicks(DrawingSurface& surface, const DiagramRect& rect)
{
    const int t = rect.W / 100;
    const int middle = rect.bottom - rect.H / 2;
    surface.MoveTo(rect.left, rect.bottom);
    surface.LineTo(rect.left - t, rect.bottom);
    surface.MoveTo(rect.left, middle);
    surface.LineTo(rect.left - t / 2, middle);
    surface.MoveTo(rect.left, rect.top);
    surface.LineTo(rect.left - t, rect.top);
}

void DrawNrmAxisTexts(DrawingSurface& surface, const DiagramRect& rect, double nrmScale)
{
    const double W = rect.W;
    const double H = rect.H;
    const int x = TruncateToInt(rect.left - 0.05 * W);
    surface.Text(x, TruncateToInt(rect.bottom - 0.98 * H), "1.0");
    surface.Text(x, TruncateToInt(rect.bottom - 0.48 * H), "0.5");
    surface.Text(x, TruncateToInt(rect.bottom + 0.02 * H), "0.0");
    surface.Text(TruncateToInt(rect.left + 0.1 * W), TruncateToInt(rect.bottom - 1.1 * H),
                 "NRM (* " + FormatAxisMaximum(nrmScale) + " mA/m)");
}

}  // namespace korvanes
