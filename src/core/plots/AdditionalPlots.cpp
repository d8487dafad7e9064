#include <cmath>

#include "plots/PlotLayout.h"
#include "text/TextEncoding.h"

namespace korvanes {
namespace {

constexpr double kDegreesPerRadian = 57.29577950560105;

// The geometry shared by the four panels.
struct PanelLayout {
    int pw = 0;  // panel width
    int ph = 0;  // panel height
    int u = 0;   // tick unit
    int tmax = 0;
};

// One panel's edges and, for the signed panels, its zero line.
struct Panel {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
    int y0 = 0;
    bool hasZeroLine = false;
};

// left + ⌊T·pw/Tmax⌋ in whole numbers; false when Tmax is not positive.
bool TemperaturePosition(const PanelLayout& l, const Panel& panel, int temperature, long long& x)
{
    if (l.tmax <= 0) {
        return false;
    }
    x = panel.left + static_cast<long long>(temperature) * l.pw / l.tmax;
    return true;
}

// A white bar, 4u wide, centred on the temperature position, from `base`
// to the truncated `end`.
void DrawBar(DrawingSurface& surface, const PanelLayout& l, const Panel& panel, int temperature, int base,
             double end)
{
    long long p = 0;
    if (!TemperaturePosition(l, panel, temperature, p)) {
        return;
    }
    Placement place;
    const int x1 = place(p - 2LL * l.u);
    const int x2 = place(p + 2LL * l.u);
    const int y2 = place(end);
    if (place.ok()) {
        surface.Rectangle(x1, base, x2, y2);
    }
}

void DrawTitle(DrawingSurface& surface, const PanelLayout& l, const Panel& panel, const std::string& title)
{
    surface.SetTextAnchor(TextAnchor::kLeftTop);
    surface.Text(panel.left + 5 * l.u, panel.top + 5 * l.u, title);
    surface.SetTextAnchor(TextAnchor::kCentreBaseline);
}

// Ticks every 100 °C at the top and bottom edges (and across the zero line),
// with the values and the axis title under the panel when `labelled`.
void DrawTemperatureAxis(DrawingSurface& surface, const PanelLayout& l, const Panel& panel, bool labelled)
{
    // Tmax ≤ 0 has no temperature scale; a step of 0 (Tmax beyond 100·pw)
    // would pile every tick onto the left edge: no ticks in either case.
    const long long g = l.tmax > 0 ? static_cast<long long>(l.pw) * 100 / l.tmax : 0;
    if (g > 0) {
        const int n = l.tmax / 100;
        const int labelY = TruncateToInt(panel.bottom + 0.1 * l.ph);
        for (int k = 1; k <= n; ++k) {
            Placement place;
            const int x = place(panel.left + k * g);
            if (!place.ok()) {
                break;
            }
            surface.MoveTo(x, panel.bottom);
            surface.LineTo(x, panel.bottom - 3 * l.u);
            surface.MoveTo(x, panel.top);
            surface.LineTo(x, panel.top + 3 * l.u);
            if (panel.hasZeroLine) {
                surface.MoveTo(x, panel.y0 - 3 * l.u);
                surface.LineTo(x, panel.y0 + 3 * l.u);
            }
            if (labelled) {
                surface.Text(x, labelY, StringPrintf("%d", 100 * k));
            }
        }
    }
    if (labelled) {
        surface.Text(TruncateToInt(panel.left + 0.5 * l.pw), TruncateToInt(panel.bottom + 0.2 * l.ph),
                     "Temp. [\xB0" "C]");
    }
}

void DrawAnglePanel(DrawingSurface& surface, const PanelLayout& l, const Panel& panel,
                    const std::vector<CStepVector>& ptrm, bool labelled)
{
    surface.MoveTo(panel.right, panel.bottom);
    surface.LineTo(panel.left, panel.bottom);
    surface.LineTo(panel.left, panel.top);
    surface.LineTo(panel.right, panel.top);
    surface.LineTo(panel.right, panel.bottom);

    // The first item is the origin of the Arai diagram: no direction.
    for (std::size_t i = 1; i < ptrm.size(); ++i) {
        const CStepVector& p = ptrm[i];
        const double horizontal = std::sqrt(p.x * p.x + p.y * p.y);
        double theta = 0.0;  // a vertical vector lies along the field
        if (horizontal > 0.0) {
            theta = 90.0 - std::fabs(std::atan(p.z / horizontal) * kDegreesPerRadian);
        } else if (p.z == 0.0) {
            continue;  // the zero vector has no angle
        }
        DrawBar(surface, l, panel, p.temperature, panel.bottom, panel.bottom - theta * l.ph / 90);
    }

    surface.SelectPen(PenStyle::kSolid, kBlack, 1);
    const int dy = 30 * l.ph / 90;
    for (int k = 1; k <= 3; ++k) {
        const int y = panel.bottom - k * dy;
        surface.MoveTo(panel.left, y);
        surface.LineTo(panel.left + 3 * l.u, y);
        surface.Text(TruncateToInt(panel.left - 0.06 * l.pw), TruncateToInt(y + 0.03 * l.ph),
                     StringPrintf("%d", 30 * k));
    }
    DrawTitle(surface, l, panel, "Ang. diff Labfield <-> pTRM [\xB0]");
    DrawTemperatureAxis(surface, l, panel, labelled);
}

// 5·⌈value/5⌉ as whole percent; 0 when it cannot be formed (a maximum that
// is not finite, or beyond any sensible percentage).
int ScaleMaximum(double value)
{
    const double rounded = 5.0 * std::ceil(value / 5.0);
    bool ok = false;
    const int P = TruncateToInt(rounded, &ok);
    return ok ? P : 0;
}

// A panel of signed percentages around its zero line: B, C or D.
void DrawPercentPanel(DrawingSurface& surface, const PanelLayout& l, const Panel& panel, int P, int s,
                      const std::vector<CStepVector>& items, int (*temperatureOf)(const CStepVector&),
                      double (*valueOf)(const CStepVector&, double), double denominator, const std::string& title,
                      bool labelled)
{
    surface.MoveTo(panel.right, panel.y0);
    surface.LineTo(panel.left, panel.y0);
    surface.LineTo(panel.left, panel.top);
    surface.LineTo(panel.left, panel.bottom);
    surface.LineTo(panel.right, panel.bottom);
    surface.LineTo(panel.right, panel.top);
    surface.LineTo(panel.left, panel.top);

    if (P != 0) {
        for (const CStepVector& item : items) {
            const double v = valueOf(item, denominator);
            DrawBar(surface, l, panel, temperatureOf(item), panel.y0, panel.y0 - v * l.ph * 0.5 / P);
        }
    }

    // A spacing of 0 (a maximum larger than the panel has units) would pile
    // every value onto the zero line: such an axis carries no values.
    const int dy = (s * l.ph / 2) / (P != 0 ? P : 5);
    const int count = dy != 0 ? P / s : 0;
    for (int k = 1; k <= count; ++k) {
        Placement place;
        const int y = place(static_cast<long long>(panel.y0) - static_cast<long long>(k) * dy);
        if (!place.ok()) {
            break;
        }
        surface.MoveTo(panel.left, y);
        surface.LineTo(panel.left + 3 * l.u, y);
        surface.Text(TruncateToInt(panel.left - 0.06 * l.pw), TruncateToInt(y + 0.015 * l.ph),
                     StringPrintf("%d", k * s));
    }
    DrawTitle(surface, l, panel, title);
    DrawTemperatureAxis(surface, l, panel, labelled);
}

int StepTemperature(const CStepVector& item) { return item.stepTemperature; }
int Temperature(const CStepVector& item) { return item.temperature; }
double CheckPercent(const CStepVector& item, double denominator) { return item.magnitude * 100 / denominator; }
double TailDtr(const CStepVector& item, double) { return item.magnitude; }
double TailTStar(const CStepVector& item, double) { return item.z; }

}  // namespace

void DrawAdditionalPlots(DrawingSurface& surface, const DiagramFrame& frame, const CKorvanesToolDoc& doc,
                         const std::vector<CStepVector>& ptrm, const std::vector<CStepVector>& panelB,
                         const std::vector<CStepVector>& tailStats)
{
    const DiagramRect rect = ComputeDiagramRect(frame, 550, 550);
    const double W = rect.W;
    const double H = rect.H;
    const int cx = rect.cx;
    const int cy = rect.cy;

    PanelLayout l;
    l.pw = TruncateToInt(0.45 * W);
    l.ph = TruncateToInt(0.45 * H);
    l.u = l.pw / 100;
    l.tmax = doc.m_plotBounds.maxTemperature;

    const int xL1 = cx - rect.W / 2;
    const int xR1 = TruncateToInt(cx - 0.05 * W);
    const int xL2 = TruncateToInt(cx + 0.05 * W);
    const int xR2 = cx + rect.W / 2;
    const int yT1 = TruncateToInt(cy - 0.45 * H);
    const int yT2 = TruncateToInt(cy + 0.05 * H);
    const int yB2 = cy + rect.H / 2;
    const int y0u = TruncateToInt(cy - 0.225 * H);
    const int y0l = TruncateToInt(cy + 0.275 * H);
    // Without the lower panels the upper ones carry the temperature labels.
    const bool lowerPanels = !tailStats.empty();

    surface.SelectFill(kWhite);
    DrawAnglePanel(surface, l, Panel{xL1, xR1, yT1, cy, 0, false}, ptrm, !lowerPanels);

    const bool corrected = doc.m_options.m_checkCorrected != 0;
    if (!panelB.empty()) {
        const double trm = doc.m_result.trm;
        const double denominator = trm > 0.0 ? trm : doc.m_plotBounds.maxNrm;
        const double maximum =
            corrected ? doc.m_plotBounds.maxAdditivityDifference : doc.m_plotBounds.maxCheckDifference;
        // Without a positive denominator there is no percentage: frame and title only.
        const int P = IsUsableScale(denominator) ? ScaleMaximum(maximum * 100 / denominator) : 0;
        DrawPercentPanel(surface, l, Panel{xL2, xR2, yT1, cy, y0u, true}, P, P >= 30 ? 10 : 5, panelB,
                         StepTemperature, CheckPercent, denominator, corrected ? "delta AC [%]" : "delta Ck [%]",
                         !lowerPanels);
    }

    if (lowerPanels) {
        const int pC = ScaleMaximum(doc.m_plotBounds.maxTailDTR);
        DrawPercentPanel(surface, l, Panel{xL2, xR2, yT2, yB2, y0l, true}, pC, pC >= 30 ? 10 : 5, tailStats,
                         Temperature, TailDtr, 1.0, "delta TR [%]", true);
        const int pD = ScaleMaximum(doc.m_plotBounds.maxTailTStar);
        DrawPercentPanel(surface, l, Panel{xL1, xR1, yT2, yB2, y0l, true}, pD, 5, tailStats, Temperature,
                         TailTStar, 1.0, "delta t* [%]", true);
    }
}

}  // namespace korvanes
