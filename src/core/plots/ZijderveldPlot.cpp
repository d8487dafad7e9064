#include <algorithm>
#include <cmath>

#include "plots/PlotLayout.h"

namespace korvanes {
namespace {

constexpr double kRadiansPerDegree = 0.017453292522222223;  // 3.141592654 / 180

// The common scale of both projections: extents clamped so that the origin
// is always inside, and the origin's position in the rectangle.
struct ZijderveldScale {
    double A = 0.0;  // right (largest x or horizontal length)
    double B = 0.0;  // left (smallest, ≤ 0)
    double P = 0.0;  // down (largest y or z)
    double N = 0.0;  // up (smallest, ≤ 0)
    double R = 0.0;  // longest half-axis
    double S = 0.0;  // common span
    bool usable = false;  // S positive and finite: positions can be computed
    int x0 = 0;
    int y0 = 0;
    int W = 0;
    int H = 0;

    double X(double v) const { return W * v / S; }
    double Y(double v) const { return H * v / S; }
};

ZijderveldScale ComputeScale(const DiagramRect& r, const CPlotBounds& b)
{
    ZijderveldScale s;
    s.W = r.W;
    s.H = r.H;
    s.A = std::max(std::max(b.maxX, b.maxHorizontal), 0.0);
    s.B = std::min(std::min(b.minX, b.minHorizontal), 0.0);
    s.P = std::max(std::max(b.maxY, b.maxZ), 0.0);
    s.N = std::min(std::min(b.minY, b.minZ), 0.0);
    s.R = std::max({s.A, -s.B, s.P, -s.N});
    s.S = std::max(s.A - s.B, s.P - s.N);
    s.usable = IsUsableScale(s.S);
    // Without a span every extent is 0 and the origin is the bottom-left
    // corner, where the formula's limit puts it.
    s.x0 = r.left;
    s.y0 = r.bottom;
    if (s.usable) {
        Placement place;
        const int x0 = place(r.left - s.W * s.B / s.S);
        const int y0 = place(r.bottom - s.H * s.P / s.S);
        if (place.ok()) {
            s.x0 = x0;
            s.y0 = y0;
        } else {
            s.usable = false;
        }
    }
    return s;
}

// A line from the origin to a point; skipped when the point is not drawable.
void RayFromOrigin(DrawingSurface& surface, const ZijderveldScale& s, double x, double y)
{
    Placement place;
    const int px = place(x);
    const int py = place(y);
    if (place.ok()) {
        surface.MoveTo(s.x0, s.y0);
        surface.LineTo(px, py);
    }
}

// One projection: circles joined in list order, optional temperature labels.
template <typename Coordinates>
void DrawProjection(DrawingSurface& surface, const ZijderveldScale& s, int r,
                    const std::vector<CStepVector>& zeroField, bool labelled, Coordinates coordinates)
{
    bool joined = false;  // whether the previous point was drawn
    for (std::size_t i = 0; i < zeroField.size(); ++i) {
        double h = 0.0;
        double v = 0.0;
        coordinates(zeroField[i], h, v);
        const double X = s.X(h);
        const double Y = s.Y(v);
        Placement place;
        const int x = place(s.x0 + X);
        const int y = place(s.y0 + Y);
        const int x1 = place((s.x0 + r) + X);
        const int y1 = place((s.y0 - r) + Y);
        const int x2 = place((s.x0 - r) + X);
        const int y2 = place((s.y0 + r) + Y);
        const int lx = place((s.x0 + 2 * r) + X);
        const int ly = place((s.y0 - 2 * r) + Y);
        if (!place.ok()) {
            joined = false;
            continue;
        }
        if (joined) {
            surface.LineTo(x, y);
        }
        surface.Ellipse(x1, y1, x2, y2);
        if (labelled && IsLabelledPosition(static_cast<int>(i))) {
            surface.Text(lx, ly, FormatTemperatureLabel(zeroField[i].temperature));
        }
        surface.MoveTo(x, y);
        joined = true;
    }
}

// The one sign of every horizontal length in the vertical projection: that
// of the sum of the x components, each divided by the item count minus 1.
// A single point takes the sign of its own x (the division by 0 keeps it);
// a zero sum counts as positive.
double HorizontalSign(const std::vector<CStepVector>& zeroField)
{
    double sum = 0.0;
    if (zeroField.size() == 1) {
        sum = zeroField.front().x;
    } else {
        const double divisor = static_cast<double>(zeroField.size()) - 1.0;
        for (const CStepVector& p : zeroField) {
            sum += p.x / divisor;
        }
    }
    return sum < 0.0 ? -1.0 : 1.0;
}

// The power of ten u with 1 < R/u ≤ 10; 0 when R lies outside the searched
// range (above 100000, at most 0.00001, or not finite).
double FindTickUnit(double R)
{
    static constexpr double kLarge[] = {10.0, 100.0, 1000.0, 10000.0};
    static constexpr double kSmall[] = {1.0, 0.1, 0.01, 0.001, 0.0001, 0.00001};
    if (!std::isfinite(R)) {
        return 0.0;
    }
    auto fits = [R](double u) { return R / u > 1.0 && R / u <= 10.0; };
    if (R > 10.0) {
        for (double u : kLarge) {
            if (fits(u)) {
                return u;
            }
        }
    } else {
        for (double u : kSmall) {
            if (fits(u)) {
                return u;
            }
        }
    }
    return 0.0;
}

// Which ticks of the horizontal axis carry a value, decided by nR.
bool CarriesValue(int k, double nR)
{
    if (nR < 4.0) {
        return true;
    }
    if (nR < 7.0) {
        return k == 2 || k == 4 || k == 6;
    }
    return k == 5;
}

void DrawTicks(DrawingSurface& surface, const ZijderveldScale& s, const DiagramRect& rect, int r)
{
    if (!s.usable) {
        return;
    }
    const double u = FindTickUnit(s.R);
    if (u == 0.0) {
        return;
    }
    const double v = s.R / u;
    const double nR = s.A / u;
    const double nL = -s.B / u;
    const double nD = s.P / u;
    const double nU = -s.N / u;

    // Drawn length of the longest half-axis divided by v: one tick unit.
    Placement place;
    double length = 0.0;
    if (-s.B >= s.A && -s.B >= s.P && -s.B >= -s.N) {
        length = s.x0 - rect.left;
    } else if (s.A > -s.N && s.A > s.P) {
        length = place(s.x0 + s.X(s.A)) - static_cast<double>(s.x0);
    } else if (-s.N >= s.P) {
        length = s.y0 - static_cast<double>(place(s.y0 + s.Y(s.N)));
    } else {
        length = rect.bottom - static_cast<double>(s.y0);
    }
    const int px = place(length / v);
    if (!place.ok()) {
        return;
    }

    // R/u ≤ 10 bounds every count, so there are at most nine ticks a side.
    auto ticks = [&](double count, auto drawTick) {
        if (count > 1.0) {
            for (int k = 1; k < count; ++k) {
                drawTick(k);
            }
        }
    };
    ticks(nR, [&](int k) {
        const int x = s.x0 + k * px;
        surface.MoveTo(x, s.y0 - r);
        surface.LineTo(x, s.y0 + r);
        if (nL <= nR && CarriesValue(k, nR)) {
            surface.Text(x, s.y0 + 5 * r, FormatTickValue(k * u));
        }
    });
    ticks(nD, [&](int k) {
        const int y = s.y0 + k * px;
        surface.MoveTo(s.x0 - r, y);
        surface.LineTo(s.x0 + r, y);
    });
    ticks(nL, [&](int k) {
        const int x = s.x0 - k * px;
        surface.MoveTo(x, s.y0 - r);
        surface.LineTo(x, s.y0 + r);
        if (nL > nR && CarriesValue(k, nR)) {
            std::string value = "-";
            value += FormatTickValue(k * u);
            surface.Text(x, s.y0 + 5 * r, value);
        }
    });
    ticks(nU, [&](int k) {
        const int y = s.y0 - k * px;
        surface.MoveTo(s.x0 - r, y);
        surface.LineTo(s.x0 + r, y);
    });
}

void DrawFittedDirection(DrawingSurface& surface, const ZijderveldScale& s, const CKorvanesToolDoc& doc)
{
    if (!(doc.m_result.paleointensity > 0.0) || !s.usable) {
        return;
    }
    const double I = doc.m_result.incAnchored * kRadiansPerDegree;
    const double Dc = doc.m_result.decAnchored * kRadiansPerDegree;
    const double M = doc.m_plotBounds.maxNrm;
    const double xe = M * std::cos(I) * std::cos(Dc);
    const double ye = M * std::cos(I) * std::sin(Dc);
    const double ze = M * std::sin(I);
    double he = std::sqrt(xe * xe + ye * ye);
    if (xe < 0.0) {
        he = -he;
    }
    if (doc.m_options.m_onlyZComponent == 0) {
        RayFromOrigin(surface, s, s.x0 + s.X(xe), s.y0 + s.Y(ye));
    }
    RayFromOrigin(surface, s, s.x0 + s.X(he), s.y0 + s.Y(ze));
}

}  // namespace

void DrawZijderveldPlot(DrawingSurface& surface, const DiagramFrame& frame, const CKorvanesToolDoc& doc,
                        const std::vector<CStepVector>& zeroField, const std::vector<CStepVector>& tailChecks)
{
    (void)tailChecks;  // handed over by the paint sequence, not drawn
    surface.SelectPen(PenStyle::kSolid, kBlack, 1);
    const DiagramRect rect = ComputeDiagramRect(frame, 550, 200);
    const int r = rect.W / 80;
    const ZijderveldScale s = ComputeScale(rect, doc.m_plotBounds);

    // Axes from the origin: up, down, left, right. Without a span they have no length.
    const double up = s.usable ? s.y0 + s.Y(s.N) : s.y0;
    const double down = s.usable ? s.y0 + s.Y(s.P) : s.y0;
    const double leftEnd = s.usable ? s.x0 + s.X(s.B) : s.x0;
    const double rightEnd = s.usable ? s.x0 + s.X(s.A) : s.x0;
    RayFromOrigin(surface, s, s.x0, up);
    RayFromOrigin(surface, s, s.x0, down);
    RayFromOrigin(surface, s, leftEnd, s.y0);
    RayFromOrigin(surface, s, rightEnd, s.y0);

    const bool specimen = doc.m_options.m_coordinates == kCoreCoordinates;
    const char* horizontalLetter = specimen ? "X,H" : "N";
    const char* verticalLetter = specimen ? "-Y,-Z" : "Up,W";
    const double rightLength = s.usable ? s.X(s.A) : 0.0;
    const double upLength = s.usable ? s.Y(s.N) : 0.0;
    Placement letters;
    int hx = letters((s.x0 + 3 * r) + rightLength);
    const int hy = letters(s.y0 + 0.8 * r);
    const int vx = s.x0;
    int vy = letters(s.y0 - 1.5 * r + upLength);

    // Stubs, so that a half-axis without data still shows.
    if (0.05 * s.A > -s.B) {
        RayFromOrigin(surface, s, s.x0 - 5 * r, s.y0);
    }
    if (-0.05 * s.B > s.A) {
        RayFromOrigin(surface, s, s.x0 + 5 * r, s.y0);
        hx += 5 * r;
    }
    if (0.05 * s.P > -s.N) {
        RayFromOrigin(surface, s, s.x0, s.y0 - 5 * r);
        vy -= 5 * r;
    }
    if (-0.05 * s.N > s.P) {
        RayFromOrigin(surface, s, s.x0, s.y0 + 5 * r);
    }
    if (letters.ok()) {
        surface.Text(hx, hy, horizontalLetter);
        surface.Text(vx, vy, verticalLetter);
    }

    surface.SelectPen(PenStyle::kSolid, kRed, 1);
    surface.SelectFill(kRed);
    if (s.usable) {
        DrawProjection(surface, s, r, zeroField, false, [](const CStepVector& p, double& h, double& v) {
            h = p.x;
            v = p.y;
        });
    }

    surface.SelectPen(PenStyle::kSolid, kBlue, 1);
    surface.SelectFill(kWhite);
    if (s.usable) {
        const double sign = HorizontalSign(zeroField);
        DrawProjection(surface, s, r, zeroField, true, [sign](const CStepVector& p, double& h, double& v) {
            h = sign * std::sqrt(p.x * p.x + p.y * p.y);
            v = p.z;
        });
    }

    surface.SelectPen(PenStyle::kSolid, kBlack, 1);
    DrawTicks(surface, s, rect, r);

    surface.SelectPen(PenStyle::kDashed, kGreen, 1);
    DrawFittedDirection(surface, s, doc);
    surface.SelectPen(PenStyle::kSolid, kBlack, 1);
}

}  // namespace korvanes
