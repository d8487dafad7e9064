#include "plots/PlotLayout.h"
#include "text/TextEncoding.h"

namespace korvanes {
namespace {

// Where a step sits: x = left + ⌊T·W/Tm⌋ in whole numbers, y = ⌊bottom − H·u/M⌋,
// with the corners of its mark of half-size r.
struct DecayMark {
    bool ok = false;
    int x = 0;
    int y = 0;
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
};

DecayMark PlaceStep(const DiagramRect& r, int radius, const CStepVector& step, int maxTemperature, double maxNrm)
{
    const long long xoff = static_cast<long long>(step.temperature) * r.W / maxTemperature;
    const double Y = r.H * step.magnitude / maxNrm;
    Placement place;
    DecayMark mark;
    mark.x = place(static_cast<long long>(r.left) + xoff);
    mark.y = place(r.bottom - Y);
    mark.x1 = place(static_cast<long long>(r.left) + xoff + radius);
    mark.y1 = place((r.bottom - radius) - Y);
    mark.x2 = place(static_cast<long long>(r.left) - radius + xoff);
    mark.y2 = place((r.bottom + radius) - Y);
    mark.ok = place.ok();
    return mark;
}

}  // namespace

void DrawDecayPlot(DrawingSurface& surface, const DiagramFrame& frame, const CKorvanesToolDoc& doc,
                   const std::vector<CStepVector>& zeroField, const std::vector<CStepVector>& tailChecks)
{
    surface.SelectPen(PenStyle::kSolid, kBlack, 1);
    const DiagramRect r = ComputeDiagramRect(frame, 200, 550);
    const int radius = r.W / 100;
    DrawNrmAxisFrame(surface, r);

    const int maxTemperature = doc.m_plotBounds.maxTemperature;
    const double maxNrm = doc.m_plotBounds.maxNrm;
    // A temperature scale of 0 °C or an NRM scale that is not positive places
    // no step (every position would divide by it): axes and texts only.
    const bool marksPlaceable = maxTemperature > 0 && IsUsableScale(maxNrm);

    if (marksPlaceable) {
        bool joined = false;  // the previous circle was drawn: join it to this one
        for (std::size_t i = 0; i < zeroField.size(); ++i) {
            const DecayMark m = PlaceStep(r, radius, zeroField[i], maxTemperature, maxNrm);
            if (!m.ok) {
                joined = false;
                continue;
            }
            if (joined) {
                surface.LineTo(m.x, m.y);
            }
            surface.Ellipse(m.x1, m.y1, m.x2, m.y2);
            surface.MoveTo(m.x, m.y);
            joined = true;
        }
        for (const CStepVector& tail : tailChecks) {
            const DecayMark m = PlaceStep(r, radius, tail, maxTemperature, maxNrm);
            if (!m.ok) {
                continue;
            }
            surface.SelectFill(kBlack);
            surface.Rectangle(m.x1, m.y1, m.x2, m.y2);
            surface.SelectFill(kWhite);
        }
    }

    surface.Text(TruncateToInt(r.left + 0.5 * r.W), TruncateToInt(r.bottom + 0.14 * r.H), "Temp. [\xB0" "C]");

    // No temperature scale, or a step of 0 (Tm beyond 100·W, every tick on
    // the left edge): no ticks.
    const long long step = maxTemperature > 0 ? 100LL * r.W / maxTemperature : 0;
    if (step > 0) {
        const int count = maxTemperature / 100;
        for (int k = 1; k <= count; ++k) {
            Placement place;
            const int x = place(static_cast<long long>(r.left) + k * step);
            if (!place.ok()) {
                break;
            }
            surface.MoveTo(x, r.bottom);
            surface.LineTo(x, r.bottom + radius);
            surface.Text(x, r.bottom + 5 * radius, StringPrintf("%d", 100 * k));
        }
    }

    DrawNrmAxisTicks(surface, r);
    DrawNrmAxisTexts(surface, r, maxNrm);
}

}  // namespace korvanes
