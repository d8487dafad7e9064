#pragma once
// The site diagram: each specimen's paleointensity with its σ as an error
// bar, grouped by site along the axis; each site's mean drawn as a line over
// its ±σ band (green for an accepted site, red for one that is not);
// specimens that do not count (rejected, failing, of another class) hollow.
// It fills the client area; like every diagram it never knows its surface.

#include "plots/Plots.h"
#include "study/SiteMeans.h"

namespace korvanes {

// Draws the diagram of `summary`, whose verdicts index `estimates`, filling
// `client` (screen pixels, or units of c = 1 on a surface without a
// reference device). Selects its own font and releases it. A summary without
// any specimen result draws a notice.
void PaintSiteDiagram(DrawingSurface& surface, const SiteSummary& summary, const std::vector<SpecimenEstimate>& estimates,
                      ClientSize client);

// The picture size that `korvanes plot --type site` uses by default for
// `sites` sites.
ClientSize DefaultSiteDiagramSize(std::size_t sites);

}  // namespace korvanes
