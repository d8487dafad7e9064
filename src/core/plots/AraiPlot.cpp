#include <algorithm>
#include <cmath>

#include "plots/PlotLayout.h"
#include "text/OutputNumbers.h"
#include "text/TextEncoding.h"

namespace korvanes {
namespace {

// Everything an Arai mark needs to place itself.
struct AraiGeometry {
    DiagramRect rect;
    int t = 0;  // point radius, square half-size, tick length
    int a = 0;  // half-width of a check triangle
    int dx = 0;
    int dy = 0;
    double nrmScale = 0.0;   // D
    double ptrmScale = 0.0;  // E
    bool scalesUsable = false;

    double X(double ptrm) const { return rect.W * ptrm / ptrmScale; }
    double Y(double nrm) const { return rect.H * nrm / nrmScale; }
};

// The pTRM items paired with the zero-field items of the same temperature:
// the corner (xp, yn) where a check connector starts.
template <typename Draw>
void ForEachPairedPoint(const AraiGeometry& g, int referenceTemperature, const std::vector<CStepVector>& zeroField,
                        const std::vector<CStepVector>& ptrm, Draw draw)
{
    for (const CStepVector& p : ptrm) {
        if (p.temperature != referenceTemperature) {
            continue;
        }
        for (const CStepVector& n : zeroField) {
            if (n.temperature != p.temperature) {
                continue;
            }
            Placement place;
            const int xp = place(g.rect.left + g.X(p.magnitude));
            const int yn = place(g.rect.bottom - g.Y(n.magnitude));
            if (place.ok()) {
                draw(xp, yn);
            }
        }
    }
}

void DrawPoints(DrawingSurface& surface, const AraiGeometry& g, int i, const CStepVector& zero, double Y,
                const std::vector<CStepVector>& ptrm)
{
    const DiagramRect& r = g.rect;
    for (const CStepVector& p : ptrm) {
        if (p.temperature != zero.temperature) {
            continue;
        }
        const double X = g.X(p.magnitude);
        Placement place;
        const int x1 = place((r.left + g.t) + X);
        const int y1 = place((r.bottom - g.t) - Y);
        const int x2 = place((r.left - g.t) + X);
        const int y2 = place((r.bottom + g.t) - Y);
        if (place.ok()) {
            surface.Ellipse(x1, y1, x2, y2);
        }
        if (IsLabelledPosition(i)) {
            Placement label;
            const int lx = label((r.left + g.dx) + X);
            const int ly = label((r.bottom - g.dy) - Y);
            if (label.ok()) {
                surface.Text(lx, ly, FormatTemperatureLabel(p.temperature));
            }
        }
    }
}

void DrawChecks(DrawingSurface& surface, const AraiGeometry& g, const CStepVector& zero, double Y,
                const std::vector<CStepVector>& zeroField, const std::vector<CStepVector>& ptrm,
                const std::vector<CStepVector>& checks)
{
    const DiagramRect& r = g.rect;
    for (const CStepVector& k : checks) {
        if (k.stepTemperature != zero.temperature) {
            continue;
        }
        const double Xk = g.X(k.magnitude);
        Placement place;
        const int xl = place((r.left - g.a) + Xk);
        const int xr = place((r.left + g.a) + Xk);
        const int xm = place(r.left + Xk);
        const int yb = place((r.bottom + g.t) - Y);
        const int ya = place((r.bottom - g.t) - Y);
        if (!place.ok()) {
            continue;
        }
        surface.MoveTo(xl, yb);
        surface.LineTo(xr, yb);
        surface.LineTo(xm, ya);
        surface.LineTo(xl, yb);
        ForEachPairedPoint(g, k.temperature, zeroField, ptrm, [&](int xp, int yn) {
            surface.MoveTo(xp, yn);
            surface.LineTo(xm, yn);
            surface.LineTo(xm, yb);
        });
    }
}

void DrawAdditivityChecks(DrawingSurface& surface, const AraiGeometry& g, const CStepVector& zero, double Y,
                          const std::vector<CStepVector>& zeroField, const std::vector<CStepVector>& ptrm,
                          const std::vector<CStepVector>& additivity)
{
    const DiagramRect& r = g.rect;
    for (const CStepVector& item : additivity) {
        if (item.stepTemperature != zero.temperature) {
            continue;
        }
        const double Xa = g.X(item.z);
        Placement place;
        const int x1 = place((r.left - g.t) + Xa);
        const int yb = place((r.bottom + g.t) - Y);
        const int x2 = place((r.left + g.t) + Xa);
        const int y2 = place((r.bottom - g.t) - Y);
        const int xm = place(r.left + Xa);
        if (!place.ok()) {
            continue;
        }
        surface.SelectFill(kRed);
        surface.Rectangle(x1, yb, x2, y2);
        surface.SelectFill(kWhite);
        const int ym = yb - g.t;
        ForEachPairedPoint(g, item.temperature, zeroField, ptrm, [&](int xp, int yn) {
            surface.MoveTo(xp, yn);
            surface.LineTo(xp, ym);
            surface.LineTo(xm, ym);
        });
    }
}

void DrawFittedLine(DrawingSurface& surface, const AraiGeometry& g, const CSpecimenResult& result)
{
    const double b = std::fabs(result.slope);
    const double y1 = result.meanNrm - b * (result.fitXFrom - result.meanPtrm);
    const double y2 = result.meanNrm - b * (result.fitXTo - result.meanPtrm);
    surface.SelectPen(PenStyle::kDashed, kBlack, 2);
    if (y1 > 0.0 && g.scalesUsable) {
        const DiagramRect& r = g.rect;
        Placement place;
        const int x1 = place(r.left + g.X(result.fitXFrom));
        const int yy1 = place(r.bottom - g.Y(y1));
        const int x2 = place(r.left + g.X(result.fitXTo));
        const int yy2 = place(r.bottom - g.Y(y2));
        if (place.ok()) {
            surface.MoveTo(x1, yy1);
            surface.LineTo(x2, yy2);
        }
    }
    surface.SelectPen(PenStyle::kSolid, kBlack, 1);
}

void DrawTexts(DrawingSurface& surface, const AraiGeometry& g, const CKorvanesToolDoc& doc)
{
    const DiagramRect& r = g.rect;
    const double W = r.W;
    const double H = r.H;
    DrawNrmAxisTexts(surface, r, g.nrmScale);
    const int labelY = TruncateToInt(r.bottom + 0.07 * H);
    surface.Text(r.left, labelY, "0.0");
    surface.Text(TruncateToInt(r.left + 0.5 * W), labelY, "0.5");
    surface.Text(r.left + r.W, labelY, "1.0");
    surface.Text(TruncateToInt(r.left + 0.5 * W), TruncateToInt(r.bottom + 0.13 * H),
                 "pTRM (* " + FormatAxisMaximum(g.ptrmScale) + " mA/m)");

    std::string name = doc.m_header.m_specimenName;
    if (!name.empty() && name.back() == '\t') {
        name.pop_back();
    }
    const int textX = TruncateToInt(r.right - 0.15 * H);
    surface.Text(textX, r.top, name);
    // "%.2f ± %.2f µT " in Windows-1252: ± is 0xB1, µ is 0xB5.
    surface.Text(textX, TruncateToInt(r.top + 0.07 * H),
                 StringPrintf("%.2f \xB1 %.2f \xB5T ", FiniteOrZero(doc.m_result.paleointensity),
                              FiniteOrZero(doc.m_result.stdDev)));
}

}  // namespace

void DrawAraiPlot(DrawingSurface& surface, const DiagramFrame& frame, const CKorvanesToolDoc& doc,
                  const std::vector<CStepVector>& zeroField, const std::vector<CStepVector>& ptrm,
                  const std::vector<CStepVector>& checks, const std::vector<CStepVector>& additivity)
{
    AraiGeometry g;
    g.rect = ComputeDiagramRect(frame, 200, 200);
    const DiagramRect& r = g.rect;
    g.t = r.W / 100;
    g.a = r.W / 80;
    g.dx = r.H / 50;
    g.dy = 3 * (r.H / 50);

    DrawNrmAxisFrame(surface, r);
    surface.MoveTo(r.right, r.bottom);
    surface.LineTo(r.right, r.bottom + g.t);
    surface.MoveTo(r.left + r.W / 2, r.bottom);
    surface.LineTo(r.left + r.W / 2, r.bottom + g.t / 2);
    surface.MoveTo(r.left, r.bottom);
    surface.LineTo(r.left, r.bottom + g.t);
    DrawNrmAxisTicks(surface, r);

    g.nrmScale = doc.m_plotBounds.maxNrm;
    g.ptrmScale = doc.m_plotBounds.maxPtrm;
    if (doc.m_options.m_equalAraiScales == 1) {
        g.nrmScale = g.ptrmScale = std::max(g.nrmScale, g.ptrmScale);
    }
    // Without a positive scale (no pTRM step, no zero-field step) there is no
    // position for any mark: only the axes and the texts are drawn.
    g.scalesUsable = IsUsableScale(g.nrmScale) && IsUsableScale(g.ptrmScale);

    if (g.scalesUsable) {
        for (std::size_t i = 0; i < zeroField.size(); ++i) {
            const CStepVector& zero = zeroField[i];
            const double Y = g.Y(zero.magnitude);
            DrawPoints(surface, g, static_cast<int>(i), zero, Y, ptrm);
            DrawChecks(surface, g, zero, Y, zeroField, ptrm, checks);
            if (doc.m_options.m_showAdditivityChecks != 0) {
                DrawAdditivityChecks(surface, g, zero, Y, zeroField, ptrm, additivity);
            }
        }
    }

    DrawFittedLine(surface, g, doc.m_result);
    DrawTexts(surface, g, doc);
}

}  // namespace korvanes
