#include "plots/SiteDiagram.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "plots/PlotLayout.h"
#include "text/TextEncoding.h"

namespace korvanes {
namespace {

constexpr Rgb kCounted{0, 70, 160};
constexpr Rgb kHollow{120, 120, 120};
constexpr Rgb kAcceptedBand{205, 236, 205};
constexpr Rgb kAcceptedMean{0, 128, 40};
constexpr Rgb kRejectedBand{246, 214, 214};
constexpr Rgb kRejectedMean{190, 30, 30};
constexpr Rgb kGrid{225, 225, 225};

// A tick step of 1, 2 or 5 times a power of ten that gives at most `count`
// steps up to `top`.
double TickStep(double top, int count)
{
    const double raw = top / count;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0, 10.0}) {
        if (m * power >= raw) {
            return m * power;
        }
    }
    return 10.0 * power;
}

// `text` cut to fit `width`, ending in ".." when cut.
std::string Fitted(DrawingSurface& surface, const std::string& text, int width)
{
    if (surface.TextWidth(text) <= width) {
        return text;
    }
    std::string cut = text;
    while (!cut.empty() && surface.TextWidth(cut + "..") > width) {
        cut.pop_back();
    }
    return cut.empty() ? std::string() : cut + "..";
}

struct Column {
    std::size_t estimate = 0;
    bool counted = false;
};

}  // namespace

ClientSize DefaultSiteDiagramSize(std::size_t sites)
{
    return {static_cast<int>(std::clamp<std::size_t>(200 + 90 * sites, 520, 1800)), 420};
}

void PaintSiteDiagram(DrawingSurface& surface, const SiteSummary& summary, const std::vector<SpecimenEstimate>& estimates,
                      ClientSize client)
{
    surface.SetTextAnchor(TextAnchor::kCentreBaseline);
    int c = 1;
    if (surface.HasReferenceDevice()) {
        surface.SelectFontPoints(10);
        c = std::max(1, surface.TextWidth("0") / 7);
    } else {
        surface.SelectFontHeight(16);
    }
    const int digit = std::max(1, surface.TextWidth("0"));
    const int line = digit * 22 / 10;

    // The specimens drawn, site by site; the value range they need.
    std::vector<std::vector<Column>> columns(summary.sites.size());
    double top = 0.0;
    std::size_t slots = 0;
    for (std::size_t s = 0; s < summary.sites.size(); ++s) {
        const SiteMean& site = summary.sites[s];
        for (const SampleMean& sample : site.samples) {
            for (const SpecimenVerdict& v : sample.specimens) {
                const SpecimenEstimate& e = estimates.at(v.index);
                if (e.paleointensity != 0.0 && std::isfinite(e.paleointensity) && std::isfinite(e.sigma)) {
                    columns[s].push_back({v.index, v.counted});
                    top = std::max(top, e.paleointensity + std::fabs(e.sigma));
                }
            }
        }
        if (site.intensity.n > 0) {
            top = std::max(top, site.intensity.mean + site.intensity.sd.value_or(0.0));
        }
        slots += std::max<std::size_t>(1, columns[s].size()) + 1;
    }

    const int left = 8 * digit;
    const int right = client.width - 3 * digit;
    const int upper = 3 * line;
    const int lower = client.height - 3 * line;
    surface.SelectPen(PenStyle::kSolid, kBlack, 1);
    surface.SelectFill(kWhite);
    if (!(top > 0.0) || right - left < 10 * digit || lower - upper < 4 * line) {
        surface.Text(client.width / 2, client.height / 2, "Site diagram: no specimen with a result");
        surface.ReleaseFont();
        return;
    }
    const double step = TickStep(top * 1.05, 6);
    const double ceiling = std::ceil(top * 1.05 / step) * step;
    const auto y = [&](double value) {
        return lower - static_cast<int>(std::lround((lower - upper) * std::clamp(value / ceiling, -0.02, 1.02)));
    };

    // Title and the unit.
    std::size_t accepted = 0;
    for (const SiteMean& site : summary.sites) {
        accepted += site.accepted ? 1 : 0;
    }
    surface.Text((left + right) / 2, line * 3 / 2,
                 StringPrintf("Site means: %zu site%s, %zu accepted", summary.sites.size(),
                              summary.sites.size() == 1 ? "" : "s", accepted));
    surface.Text(left - 4 * digit, upper - line / 2, "\xB5T");

    // Grid and value axis.
    for (double v = 0.0; v <= ceiling + step / 2; v += step) {
        const int at = y(v);
        surface.SelectPen(PenStyle::kSolid, kGrid, 1);
        surface.MoveTo(left, at);
        surface.LineTo(right, at);
        surface.SelectPen(PenStyle::kSolid, kBlack, 1);
        surface.MoveTo(left - digit, at);
        surface.LineTo(left, at);
        const std::string label = v == 0.0 ? "0" : FormatTickValue(v);
        surface.Text(left - digit - surface.TextWidth(label) / 2 - digit / 2, at + digit / 2, label);
    }

    // A few specimens do not spread over a wide picture: at most 8 digits a
    // specimen, the whole centred.
    const double slot = std::min(static_cast<double>(right - left) / static_cast<double>(slots), 8.0 * digit);
    const int radius = std::max(3 * c, static_cast<int>(std::min(slot / 4.0, 4.0 * c)));
    double x = left + (right - left - slot * static_cast<double>(slots)) / 2.0 + slot / 2.0;
    int labelEnd = left - 1;
    for (std::size_t s = 0; s < summary.sites.size(); ++s) {
        const SiteMean& site = summary.sites[s];
        const std::size_t count = std::max<std::size_t>(1, columns[s].size());
        const int x0 = static_cast<int>(std::lround(x));
        const int x1 = static_cast<int>(std::lround(x + slot * static_cast<double>(count)));
        const MeanAndSpread& m = site.intensity;
        if (m.n > 0) {
            const double sd = m.sd.value_or(0.0);
            surface.SelectPen(PenStyle::kSolid, site.accepted ? kAcceptedBand : kRejectedBand, 1);
            surface.SelectFill(site.accepted ? kAcceptedBand : kRejectedBand);
            surface.Rectangle(x0, y(m.mean + sd), x1, std::max(y(m.mean - sd), y(m.mean + sd) + 1));
            surface.SelectPen(PenStyle::kSolid, site.accepted ? kAcceptedMean : kRejectedMean, 2 * c);
            surface.MoveTo(x0, y(m.mean));
            surface.LineTo(x1, y(m.mean));
        }
        for (std::size_t k = 0; k < columns[s].size(); ++k) {
            const SpecimenEstimate& e = estimates[columns[s][k].estimate];
            const int cx = static_cast<int>(std::lround(x + slot * (static_cast<double>(k) + 0.5)));
            const Rgb colour = columns[s][k].counted ? kCounted : kHollow;
            const int low = y(e.paleointensity - std::fabs(e.sigma));
            const int high = y(e.paleointensity + std::fabs(e.sigma));
            surface.SelectPen(PenStyle::kSolid, colour, c);
            surface.MoveTo(cx, low);
            surface.LineTo(cx, high);
            surface.MoveTo(cx - radius, low);
            surface.LineTo(cx + radius + 1, low);
            surface.MoveTo(cx - radius, high);
            surface.LineTo(cx + radius + 1, high);
            surface.SelectFill(columns[s][k].counted ? kCounted : kWhite);
            const int at = y(e.paleointensity);
            surface.Ellipse(cx - radius, at - radius, cx + radius + 1, at + radius + 1);
        }
        // The site's name and N under the axis, where there is room.
        const int centre = (x0 + x1) / 2;
        const std::string name = Fitted(surface, site.site, std::max(x1 - x0 + static_cast<int>(slot), 6 * digit));
        const int half = surface.TextWidth(name) / 2;
        if (centre - half > labelEnd + digit) {
            surface.Text(centre, lower + line, name);
            surface.Text(centre, lower + 2 * line, StringPrintf("N=%d", m.n));
            labelEnd = centre + half;
        }
        x += slot * static_cast<double>(count + 1);
    }

    surface.SelectPen(PenStyle::kSolid, kBlack, 1);
    surface.MoveTo(left, upper);
    surface.LineTo(left, lower);
    surface.LineTo(right, lower);

    // Legend: counted, not counted, the band of a site accepted and not.
    int at = right;
    const int base = upper - line / 2;
    const auto legend = [&](const std::string& text) {
        at -= surface.TextWidth(text);
        surface.Text(at + surface.TextWidth(text) / 2, base, text);
        at -= digit;
    };
    legend("not accepted");
    surface.SelectPen(PenStyle::kSolid, kRejectedMean, 2 * c);
    surface.SelectFill(kRejectedBand);
    surface.Rectangle(at - 3 * digit, base - digit, at, base);
    at -= 5 * digit;
    legend("accepted");
    surface.SelectPen(PenStyle::kSolid, kAcceptedMean, 2 * c);
    surface.SelectFill(kAcceptedBand);
    surface.Rectangle(at - 3 * digit, base - digit, at, base);
    at -= 5 * digit;
    legend("not counted");
    surface.SelectPen(PenStyle::kSolid, kHollow, c);
    surface.SelectFill(kWhite);
    surface.Ellipse(at - 2 * radius, base - digit / 2 - radius, at, base - digit / 2 + radius);
    at -= 2 * radius + 2 * digit;
    legend("counted");
    surface.SelectPen(PenStyle::kSolid, kCounted, c);
    surface.SelectFill(kCounted);
    surface.Ellipse(at - 2 * radius, base - digit / 2 - radius, at, base - digit / 2 + radius);
    surface.ReleaseFont();
}

}  // namespace korvanes
