#pragma once
// The four diagrams and the all-plots page. Every diagram takes the surface,
// its nominal size in units, whether it sits at its fixed place on the
// all-plots page, and the scale unit c of the paint, followed by the lists
// it draws.

#include <vector>

#include "analysis/RangeMap.h"

#include "document/Document.h"
#include "plots/DrawingSurface.h"

namespace korvanes {

// Where a diagram with fixedLayout 0 is centred: the client area of the view
// window in screen pixels.
struct ClientSize {
    int width = 0;
    int height = 0;
};

struct DiagramFrame {
    int widthUnits = 0;
    int heightUnits = 0;
    int fixedLayout = 0;
    int scaleUnit = 1;
    ClientSize client;  // used when fixedLayout is 0
};

void DrawAraiPlot(DrawingSurface& surface, const DiagramFrame& frame, const CKorvanesToolDoc& doc,
                  const std::vector<CStepVector>& zeroField, const std::vector<CStepVector>& ptrm,
                  const std::vector<CStepVector>& checks, const std::vector<CStepVector>& additivity);

void DrawZijderveldPlot(DrawingSurface& surface, const DiagramFrame& frame, const CKorvanesToolDoc& doc,
                        const std::vector<CStepVector>& zeroField, const std::vector<CStepVector>& tailChecks);

void DrawDecayPlot(DrawingSurface& surface, const DiagramFrame& frame, const CKorvanesToolDoc& doc,
                   const std::vector<CStepVector>& zeroField, const std::vector<CStepVector>& tailChecks);

void DrawAdditionalPlots(DrawingSurface& surface, const DiagramFrame& frame, const CKorvanesToolDoc& doc,
                         const std::vector<CStepVector>& ptrm, const std::vector<CStepVector>& panelB,
                         const std::vector<CStepVector>& tailStats);

// The range map (analysis/RangeMap.h) of an analysed document, centred as a
// single diagram: a triangular grid with tMin down and tMax across, each
// range's cell coloured by its class and shaded by its search value, the
// chosen range outlined, temperature labels and a legend. Draws a notice
// instead where there is no map.
void DrawRangeMap(DrawingSurface& surface, const DiagramFrame& frame, const CKorvanesToolDoc& doc);
// The same with the map already made.
void DrawRangeMap(DrawingSurface& surface, const DiagramFrame& frame, const RangeMap& map);

// The four diagrams as a two-by-two page at their fixed centres.
void DrawAllPlots(DrawingSurface& surface, int scaleUnit, const CKorvanesToolDoc& doc);

}  // namespace korvanes
