#pragma once
// Documents and look-ups shared by the diagram tests.

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "document/Document.h"
#include "plots/Plots.h"
#include "plots/RecordingSurface.h"

namespace korvanes::testing {

// A frame centred on a client area of 800 × 600 pixels unless told otherwise.
inline DiagramFrame CentredFrame(int widthUnits, int heightUnits, int c = 1, ClientSize client = {800, 600})
{
    DiagramFrame frame;
    frame.widthUnits = widthUnits;
    frame.heightUnits = heightUnits;
    frame.fixedLayout = 0;
    frame.scaleUnit = c;
    frame.client = client;
    return frame;
}

inline CStepVector Item(int temperature, double magnitude, double x = 0.0, double y = 0.0, double z = 0.0)
{
    CStepVector v;
    v.x = x;
    v.y = y;
    v.z = z;
    v.magnitude = magnitude;
    v.temperature = temperature;
    v.stepTemperature = temperature;
    return v;
}

// The bounds an analysis leaves when every list is empty.
inline CPlotBounds EmptyListBounds()
{
    CPlotBounds b;
    b.minTemperature = 1000000;
    b.maxTemperature = -1000000;
    b.minNrm = b.minX = b.minY = b.minZ = b.minHorizontal = 1000000.0;
    b.maxNrm = b.maxPtrm = b.maxX = b.maxY = b.maxZ = b.maxHorizontal = -1000000.0;
    return b;
}

inline bool IsDrawing(PrimitiveKind kind)
{
    return kind == PrimitiveKind::kLineTo || kind == PrimitiveKind::kEllipse || kind == PrimitiveKind::kRectangle ||
           kind == PrimitiveKind::kText;
}

inline bool HasLine(const RecordingSurface& s, int x1, int y1, int x2, int y2)
{
    const auto lines = s.OfKind(PrimitiveKind::kLineTo);
    return std::any_of(lines.begin(), lines.end(), [&](const RecordedPrimitive& p) {
        return p.x1 == x1 && p.y1 == y1 && p.x2 == x2 && p.y2 == y2;
    });
}

inline std::vector<RecordedPrimitive> TextsNamed(const RecordingSurface& s, const std::string& text)
{
    std::vector<RecordedPrimitive> out;
    for (const RecordedPrimitive& p : s.OfKind(PrimitiveKind::kText)) {
        if (p.text == text) {
            out.push_back(p);
        }
    }
    return out;
}

// The only text of that content; fails the test when there is not exactly one.
inline RecordedPrimitive OnlyText(const RecordingSurface& s, const std::string& text)
{
    const auto found = TextsNamed(s, text);
    EXPECT_EQ(found.size(), 1u) << "text " << text;
    return found.empty() ? RecordedPrimitive{} : found.front();
}

}  // namespace korvanes::testing
