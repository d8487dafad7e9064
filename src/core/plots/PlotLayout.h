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

// The rectangle of a diagram centred on the client area (fixedLayout 0) or on
// `fixedCentre` (fixedLayout 1), the centre given in units of c.
DiagramRect ComputeDiagramRect(const DiagramFrame& frame, int fixedCentreX, int fixedCentreY);

// v rounded to five significant digits in plain notation ("123.46", "12346.", "0.012346").
std::string FormatAxisMaximum(double v);
// "350°C" with the degree sign as the byte 0xB0.
std::string FormatTemperatureLabel(int temperature);
// A tick value: its integer part from 1 on, one significant digit below 1.
std::string FormatTickValue(double v);

// Whether list position i carries a temperature label (1, 4, 7, ..., 19).
bool IsLabelledPosition(int i);

// Truncation toward zero of a double to int, saturating; NaN gives 0 and
// reports false through `ok` when given.
int TruncateToInt(double v, bool* ok = nullptr);

}  // namespace korvanes
