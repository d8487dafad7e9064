// The range map as a diagram: one cell per range the search could choose,
// tMin down and tMax across, so the ranges fill a triangle above its
// diagonal; the colour tells the class, the shade the search value; the
// chosen range is outlined; the legend sits in the empty triangle below.

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "analysis/RangeMap.h"
#include "plots/PlotLayout.h"
#include "plots/Plots.h"
#include "text/TextEncoding.h"

namespace korvanes {
namespace {

// The pale (low value) and the full (high value) colour of each class.
struct ClassColours {
    Rgb pale;
    Rgb full;
};
constexpr ClassColours kClassColours[3] = {
    {{214, 240, 214}, {0, 128, 40}},    // class A: green
    {{255, 236, 196}, {214, 120, 0}},   // class B: amber
    {{236, 236, 236}, {132, 132, 132}}, // neither: grey
};

std::uint8_t Mix(std::uint8_t pale, std::uint8_t full, double t)
{
    return static_cast<std::uint8_t>(std::lround(pale + (full - pale) * t));
}

Rgb Shade(int grade, double t)
{
    const ClassColours& c = kClassColours[std::clamp(grade, 0, 2)];
    return {Mix(c.pale.r, c.full.r, t), Mix(c.pale.g, c.full.g, t), Mix(c.pale.b, c.full.b, t)};
}

// The highest finite value below the stand-in for no scatter, which shades
// fully like it.
double ShadeScale(const RangeMap& map)
{
    double highest = 0.0;
    for (const RangeMapCell& cell : map.cells) {
        if (std::isfinite(cell.value) && cell.value < std::numeric_limits<double>::max()) {
            highest = std::max(highest, cell.value);
        }
    }
    return highest;
}

double ShadeOf(const RangeMapCell& cell, double scale)
{
    if (!(cell.value > 0.0)) {
        return 0.0;
    }
    return scale > 0.0 ? std::min(1.0, cell.value / scale) : 1.0;
}

// Every how many cells a label fits without touching the next.
int LabelStride(int extent, int cell)
{
    return cell > 0 ? std::max(1, (extent + cell - 1) / cell) : 1;
}

void DrawMessage(DrawingSurface& surface, const DiagramRect& r, const std::string& text)
{
    surface.SelectPen(PenStyle::kSolid, kBlack, 1);
    surface.SelectFill(kWhite);
    surface.Rectangle(r.left, r.top, r.right, r.bottom);
    surface.Text(r.cx, r.cy, text);
}

}  // namespace

void DrawRangeMap(DrawingSurface& surface, const DiagramFrame& frame, const CKorvanesToolDoc& doc)
{
    DrawRangeMap(surface, frame, ComputeRangeMap(doc));
}

void DrawRangeMap(DrawingSurface& surface, const DiagramFrame& frame, const RangeMap& map)
{
    const DiagramRect r = ComputeDiagramRect(frame, 0, 0);
    surface.SetTextAnchor(TextAnchor::kCentreBaseline);
    if (!map.refused.empty()) {
        DrawMessage(surface, r, "Range map: " + map.refused);
        return;
    }
    if (map.cells.empty()) {
        DrawMessage(surface, r, "Range map: no range spans enough zero-field steps");
        return;
    }

    // Rows: the lower ends that have a range; columns: the upper ends.
    std::vector<int> rows;
    std::vector<int> columns;
    for (const RangeMapCell& c : map.cells) {
        rows.push_back(c.tMin);
        columns.push_back(c.tMax);
    }
    for (std::vector<int>* list : {&rows, &columns}) {
        std::sort(list->begin(), list->end());
        list->erase(std::unique(list->begin(), list->end()), list->end());
    }
    auto position = [](const std::vector<int>& list, int t) {
        return static_cast<int>(std::lower_bound(list.begin(), list.end(), t) - list.begin());
    };

    const int digit = std::max(1, surface.TextWidth("0"));
    const int lineHeight = digit * 22 / 10;  // about 1.2 em
    int labelWidth = 0;
    for (const int t : map.temperatures) {
        labelWidth = std::max(labelWidth, surface.TextWidth(FormatTemperatureLabel(t)));
    }

    // The grid: below the title, the caption and the tMax labels, right of
    // the tMin labels; square cells.
    const int top = r.top + lineHeight * 38 / 10;
    const int left = r.left + labelWidth + digit;
    const int across = static_cast<int>(std::max(rows.size(), columns.size()));
    // A few ranges get cells of a few lines of text, not the whole diagram.
    const int cell = std::min(4 * lineHeight, std::max(0, std::min(r.right - left, r.bottom - lineHeight - top)) / across);
    if (cell < 1) {
        DrawMessage(surface, r, "Range map: too small to draw");
        return;
    }
    auto cellLeft = [left, cell](int column) { return left + column * cell; };
    auto cellTop = [top, cell](int row) { return top + row * cell; };
    const int width = cell * static_cast<int>(columns.size());
    const int height = cell * static_cast<int>(rows.size());

    surface.Text(r.cx, r.top + lineHeight, std::string("Range map: ") + (map.byQ ? "q" : "w") + " of every range");
    surface.Text(left + width / 2, r.top + lineHeight * 22 / 10, "upper end (tMax) \xBB");

    // Cells. A thin white edge sets them apart while there is room for it.
    const RangeMapSummary& s = map.summary;
    const double scale = ShadeScale(map);
    const RangeMapCell* chosen = nullptr;
    for (const RangeMapCell& c : map.cells) {
        const Rgb colour = Shade(c.grade, ShadeOf(c, scale));
        surface.SelectPen(PenStyle::kSolid, cell >= 8 ? kWhite : colour, 1);
        surface.SelectFill(colour);
        const int x = cellLeft(position(columns, c.tMax));
        const int y = cellTop(position(rows, c.tMin));
        surface.Rectangle(x, y, x + cell, y + cell);
        if (s.hasChosen && c.tMin == s.chosenMin && c.tMax == s.chosenMax) {
            chosen = &c;  // one cell per range
        }
    }

    // The chosen range, outlined.
    const int unit = std::max(1, frame.scaleUnit);
    const int outline = std::clamp(cell / 8, 2 * unit, 3 * unit);
    if (chosen != nullptr) {
        surface.SelectPen(PenStyle::kSolid, kBlack, outline);
        surface.SelectFill(Shade(chosen->grade, ShadeOf(*chosen, scale)));
        const int x = cellLeft(position(columns, chosen->tMax));
        const int y = cellTop(position(rows, chosen->tMin));
        surface.Rectangle(x, y, x + cell, y + cell);
    }

    // Temperature labels: tMax across the top, tMin down the left, as many
    // as fit without touching.
    surface.SelectPen(PenStyle::kSolid, kBlack, 1);
    const int columnStride = LabelStride(labelWidth + digit, cell);
    for (std::size_t k = 0; k < columns.size(); k += static_cast<std::size_t>(columnStride)) {
        surface.Text(cellLeft(static_cast<int>(k)) + cell / 2, top - lineHeight / 3, FormatTemperatureLabel(columns[k]));
    }
    const int rowStride = LabelStride(lineHeight, cell);
    for (std::size_t k = 0; k < rows.size(); k += static_cast<std::size_t>(rowStride)) {
        surface.Text(left - digit / 2 - labelWidth / 2, cellTop(static_cast<int>(k)) + cell / 2 + lineHeight / 3,
                     FormatTemperatureLabel(rows[k]));
    }
    surface.SetTextAnchor(TextAnchor::kLeftTop);
    surface.Text(r.left, top + height + lineHeight / 3, "\xAB lower end (tMin)");

    // The legend: in the empty triangle below the diagonal when it fits
    // there, else below the grid.
    const std::string valueText = StringPrintf("pale to full: %s 0 to %.4g", map.byQ ? "q" : "w", scale);
    const std::string chosenText = s.hasChosen ? StringPrintf("chosen %d-%d\xB0" "C", s.chosenMin, s.chosenMax)
                                               : std::string("no range chosen");
    const std::string spreadText =
        s.statisticsGrade >= 0 ? StringPrintf("%zu class %s: %.1f-%.1f \xB5T", s.count,
                                              RangeMapGradeName(s.statisticsGrade), s.minimum, s.maximum)
                               : std::string("no range of class A or B");
    const int swatch = lineHeight;
    const int legendWidth = digit + std::max({surface.TextWidth(valueText), surface.TextWidth(spreadText),
                                              swatch + digit + surface.TextWidth(chosenText),
                                              2 * swatch + digit + surface.TextWidth("neither")});
    const int legendHeight = 4 * (swatch + lineHeight / 3) + lineHeight * 24 / 10;
    const bool inside = legendWidth <= width / 2 && legendHeight + lineHeight <= height / 2;
    const int x = left + (inside ? digit : 0);
    int y = inside ? top + height / 2 + lineHeight : top + height + 2 * lineHeight;
    const char* const names[3] = {"class A", "class B", "neither"};
    for (int grade = 0; grade < 3; ++grade) {
        surface.SelectPen(PenStyle::kSolid, kBlack, 1);
        surface.SelectFill(Shade(grade, 0.0));
        surface.Rectangle(x, y, x + swatch, y + swatch);
        surface.SelectFill(Shade(grade, 1.0));
        surface.Rectangle(x + swatch, y, x + 2 * swatch, y + swatch);
        surface.Text(x + 2 * swatch + digit, y, names[grade]);
        y += swatch + lineHeight / 3;
    }
    surface.Text(x, y, valueText);
    y += lineHeight * 14 / 10;
    surface.SelectPen(PenStyle::kSolid, kBlack, outline);
    surface.SelectFill(kWhite);
    surface.Rectangle(x, y, x + swatch, y + swatch);
    surface.SelectPen(PenStyle::kSolid, kBlack, 1);
    surface.Text(x + swatch + digit, y, chosenText);
    y += swatch + lineHeight / 3;
    surface.Text(x, y, spreadText);
    surface.SetTextAnchor(TextAnchor::kCentreBaseline);
}

}  // namespace korvanes
