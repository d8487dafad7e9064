#include "analysis/TailChecks.h"

#include <cmath>
#include <cstddef>
#include <vector>

#include "analysis/Classification.h"
#include "analysis/SafeDivision.h"
#include "document/Coordinates.h"

namespace korvanes {
namespace {

// t* of one pair from the NRM inclination (degrees), the pTRM inclination
// and the horizontal and vertical differences of NRM minus tail check.
// Writes theta in degrees.
double TailTStar(double nrmInclination, double ptrmInclination, double dH, double dZ,
                 double maxNrm, double maxPtrm, double& thetaDegrees)
{
    const double fieldAxis = ptrmInclination > 0.0 ? 90.0 : -90.0;
    thetaDegrees = fieldAxis - nrmInclination;
    const double theta = thetaDegrees * kDegToRad;
    // theta lies within [-pi, pi], so f lies within [-3142, 3141].
    const int f = static_cast<int>(std::floor(1000.0 * theta));
    const int absF = f < 0 ? -f : f;

    // The vertical difference that the horizontal difference implies; only
    // used between about 10 and 170 degrees, where tan(theta) is well away
    // from 0. Within a thousandth of a radian of 90 degrees it is 0.
    double e = 0.0;
    if (f != 0 && absF != 3141 && absF != 1570) {
        e = dH / std::tan(theta);
    }
    if (absF > 2967) {
        return Quotient(-100.0 * dZ, maxPtrm + maxNrm);
    }
    if (f > 175) {
        return Quotient((e - dZ) * 100.0, maxPtrm);
    }
    if (f > -176) {
        return 0.0;
    }
    // Field axis along -z: the mirror of the positive case, so that a field
    // applied upwards gives the same statistic as one applied downwards.
    return Quotient((dZ - e) * 100.0, maxPtrm);
}

}  // namespace

namespace {

// The statistics from `specimen`, lists in specimen coordinates with their
// extents, and d(Inc) from `shown`, the same pairs in the displayed
// coordinates (the same lists when those are specimen coordinates).
void BuildTailCheckStatsFrom(CKorvanesToolDoc& doc, const CKorvanesToolDoc& specimen, const CKorvanesToolDoc& shown)
{
    doc.m_tailCheckStats.clear();
    const CPlotBounds& extents = specimen.m_plotBounds;
    double maxDTR = 0.0;
    double maxTStar = 0.0;
    double maxDInc = 0.0;

    // Plain pointers and counts: the records appended below then cannot
    // seem to change them.
    const CStepVector* const zeroField = specimen.m_zeroFieldSteps.data();
    const std::size_t zeroFieldCount = specimen.m_zeroFieldSteps.size();
    const CStepVector* const tails = specimen.m_tailChecks.data();
    const std::size_t tailCount = specimen.m_tailChecks.size();
    const CStepVector* const zeroFieldShown = shown.m_zeroFieldSteps.data();
    const CStepVector* const tailsShown = shown.m_tailChecks.data();
    const CStepVector* const ptrm = specimen.m_ptrmGained.data();
    const std::size_t ptrmCount = specimen.m_ptrmGained.size();
    for (std::size_t i = 0; i < zeroFieldCount; ++i) {
        const CStepVector& n = zeroField[i];
        for (std::size_t j = 0; j < tailCount; ++j) {
            const CStepVector& k = tails[j];
            if (k.temperature != n.temperature) {
                continue;
            }
            const double nInclination = InclinationFromVector(n.x, n.y, n.z);
            const CStepVector& nShown = zeroFieldShown[i];
            const CStepVector& kShown = tailsShown[j];
            const double nShownInclination =
                &shown == &specimen ? nInclination : InclinationFromVector(nShown.x, nShown.y, nShown.z);
            const double dInc = nShownInclination - InclinationFromVector(kShown.x, kShown.y, kShown.z);
            const double dTR = Quotient((n.magnitude - k.magnitude) * 100.0, extents.maxNrm);
            const double dH = std::sqrt(n.x * n.x + n.y * n.y) - std::sqrt(k.x * k.x + k.y * k.y);
            const double dZ = n.z - k.z;

            // t* of the last pTRM item of the temperature (each one found
            // would replace the one before).
            double theta = 0.0;
            double tStar = 0.0;
            for (std::size_t m = ptrmCount; m-- > 0;) {
                const CStepVector& p = ptrm[m];
                if (p.temperature == n.temperature) {
                    tStar = TailTStar(nInclination, InclinationFromVector(p.x, p.y, p.z), dH, dZ, extents.maxNrm,
                                      extents.maxPtrm, theta);
                    break;
                }
            }

            CStepVector record;
            record.x = theta;
            record.y = dInc;
            record.z = tStar;
            record.magnitude = dTR;
            record.stepType = 0;
            record.temperature = n.temperature;
            record.stepTemperature = n.temperature;
            doc.m_tailCheckStats.push_back(record);

            if (tStar > maxTStar) {
                maxTStar = tStar;
            }
            if (std::fabs(dInc) > maxDInc) {
                maxDInc = std::fabs(dInc);
            }
            if (std::fabs(dTR) > maxDTR) {
                maxDTR = std::fabs(dTR);
            }
        }
    }

    CPlotBounds& bounds = doc.m_plotBounds;
    bounds.maxTailDTR = maxDTR;
    bounds.maxTailTStar = maxTStar;
    bounds.maxTailDInc = maxDInc;
    bounds.tailPlotMaxIncTStar = std::ceil(maxDInc > maxTStar ? maxDInc : maxTStar);
    bounds.tailPlotMax = std::ceil(bounds.tailPlotMaxIncTStar > maxDTR ? bounds.tailPlotMaxIncTStar : maxDTR);
}

}  // namespace

void BuildTailCheckStats(CKorvanesToolDoc& doc)
{
    if (doc.m_options.m_coordinates == kCoreCoordinates) {
        BuildTailCheckStatsFrom(doc, doc, doc);
        return;
    }
    // The laboratory field was applied along the specimen's z axis: the
    // same steps in specimen coordinates, built as the run builds them (kept
    // per thread, so that a repeated run allocates nothing).
    static thread_local CKorvanesToolDoc specimen;
    specimen.m_measurements = doc.m_measurements;
    specimen.m_header = doc.m_header;
    specimen.m_options = doc.m_options;
    specimen.m_options.m_coordinates = kCoreCoordinates;
    BuildSteps(specimen);
    PairSteps(specimen);
    const bool samePairs = specimen.m_zeroFieldSteps.size() == doc.m_zeroFieldSteps.size() &&
                           specimen.m_tailChecks.size() == doc.m_tailChecks.size();
    // Lists that were not built from the measurements have no specimen
    // counterpart: they are taken as they are.
    BuildTailCheckStatsFrom(doc, samePairs ? specimen : doc, doc);
}

void RescaleTailStatsToNrmT(CKorvanesToolDoc& doc)
{
    const double nrmT = doc.m_result.nrmT;
    if (!(nrmT > 0.0)) {
        return;
    }
    const double factor = doc.m_plotBounds.maxNrm / nrmT;
    if (!std::isfinite(factor)) {
        return;
    }
    for (CStepVector& record : doc.m_tailCheckStats) {
        record.z *= factor;
        record.magnitude *= factor;
    }
    CPlotBounds& bounds = doc.m_plotBounds;
    bounds.maxTailDInc *= factor;
    bounds.maxTailTStar *= factor;
    bounds.maxTailDTR *= factor;
    bounds.tailPlotMaxIncTStar *= factor;
    bounds.tailPlotMax *= factor;
}

}  // namespace korvanes
