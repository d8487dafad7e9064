#include "analysis/CheckSeries.h"

#include <cmath>

#include "analysis/Classification.h"
#include "document/Coordinates.h"

namespace korvanes {
namespace {

// A declination of this value marks the reference direction as absent; any
// value from kAbsentFrom on counts as absent.
constexpr double kAbsentDeclination = 999.0;
constexpr double kAbsentFrom = 900.0;

double VectorMagnitude(const Vector3& v, bool onlyZ)
{
    return DifferenceMagnitude(v.x, v.y, v.z, onlyZ);
}

// +1 when the directions of a and b are less than 90 degrees apart, else -1.
double SameSense(const DirectionTrig& a, const DirectionTrig& b)
{
    return std::fabs(AngleBetween(a, b)) < 90.0 ? 1.0 : -1.0;
}

CStepVector MakeItem(const Vector3& v, double magnitude, int type, int temperature,
                     int stepTemperature)
{
    CStepVector item;
    item.x = v.x;
    item.y = v.y;
    item.z = v.z;
    item.magnitude = magnitude;
    item.stepType = type;
    item.temperature = temperature;
    item.stepTemperature = stepTemperature;
    return item;
}

}  // namespace

void BuildPtrmCheckSeries(CKorvanesToolDoc& doc)
{
    doc.m_correctedPtrm.clear();
    doc.m_correctedChecks.clear();
    doc.m_ptrmCheckDiffs.clear();
    const bool onlyZ = doc.m_options.m_onlyZComponent != 0;

    Vector3 sum;
    double sign = 1.0;
    double maxDifference = 0.0;
    Direction reference{kAbsentDeclination, 0.0};
    DirectionTrig referenceTrig;  // of `reference` while it is present

    for (const CStepVector& ptrm : doc.m_ptrmGained) {
        const Vector3 p{ptrm.x, ptrm.y, ptrm.z};
        const Direction pDir = DirectionFromVector(p.x, p.y, p.z);
        // Its sines and cosines, once it is compared with another direction.
        DirectionTrig pTrig;
        const bool referencePresent = reference.declination < kAbsentFrom;
        if (referencePresent) {
            pTrig = TrigOf(pDir);
            sign = SameSense(referenceTrig, pTrig);
        }
        const Vector3 corrected{p.x - sign * sum.x, p.y - sign * sum.y, p.z - sign * sum.z};

        bool first = true;
        for (const CStepVector& check : doc.m_ptrmChecks) {
            if (check.stepTemperature != ptrm.temperature) {
                continue;
            }
            const Vector3 k{check.x, check.y, check.z};
            if (first) {
                first = false;
                if (!referencePresent) {
                    pTrig = TrigOf(pDir);
                }
                reference = pDir;
                referenceTrig = pTrig;
                const double t = SameSense(pTrig, TrigOf(DirectionFromVector(k.x, k.y, k.z)));
                const double d = check.magnitude - ptrm.magnitude;
                const Vector3 diff{t * (k.x - p.x), t * (k.y - p.y), t * (k.z - p.z)};
                sum.x += diff.x;
                sum.y += diff.y;
                sum.z += diff.z;
                doc.m_ptrmCheckDiffs.push_back(
                    MakeItem(diff, d, t > 0.0 ? 1 : -1, check.temperature, ptrm.temperature));
                if (std::fabs(d) > maxDifference) {
                    maxDifference = std::fabs(d);
                }
            } else {
                const Vector3 c{k.x - sign * sum.x, k.y - sign * sum.y, k.z - sign * sum.z};
                doc.m_correctedChecks.push_back(MakeItem(c, VectorMagnitude(c, onlyZ), kPtrmCheck,
                                                         check.temperature, ptrm.temperature));
            }
        }
        doc.m_correctedPtrm.push_back(
            MakeItem(p, VectorMagnitude(corrected, onlyZ), kInField, ptrm.temperature, ptrm.temperature));
    }
    doc.m_plotBounds.maxCheckDifference = maxDifference;
}

void ApplyCheckCorrection(CKorvanesToolDoc& doc)
{
    doc.m_ptrmGained = doc.m_correctedPtrm;
    doc.m_ptrmChecks = doc.m_correctedChecks;
    ComputePlotBounds(doc);
}

void BuildAdditivitySeries(CKorvanesToolDoc& doc)
{
    doc.m_additivityResults.clear();
    const bool corrected = doc.m_options.m_checkCorrected != 0 && !doc.m_ptrmCheckDiffs.empty();
    const bool onlyZ = doc.m_options.m_onlyZComponent != 0;
    double maxDifference = 0.0;

    for (const CStepVector& check : doc.m_additivityChecks) {
        const int refTemperature = check.temperature;
        const int ownTemperature = check.stepTemperature;
        const Vector3 a{check.x, check.y, check.z};

        double magnitude = check.magnitude;
        if (corrected) {
            // The correction that applies at the reference temperature: the
            // check differences up to and including that temperature.
            Vector3 before;
            Vector3 after;
            bool found = false;
            for (const CStepVector& diff : doc.m_ptrmCheckDiffs) {
                before = after;
                after.x += diff.x;
                after.y += diff.y;
                after.z += diff.z;
                if (diff.temperature == refTemperature) {
                    magnitude = VectorMagnitude({a.x - after.x, a.y - after.y, a.z - after.z}, onlyZ);
                    found = true;
                    break;
                }
                if (diff.temperature > refTemperature) {
                    magnitude = VectorMagnitude({a.x - before.x, a.y - before.y, a.z - before.z}, onlyZ);
                    found = true;
                    break;
                }
            }
            if (!found) {
                magnitude = VectorMagnitude({a.x - after.x, a.y - after.y, a.z - after.z}, onlyZ);
            }
        }

        double ptrmAtRef = 0.0;
        double ptrmAtOwn = 0.0;
        double difference = 0.0;
        for (const CStepVector& ptrm : doc.m_ptrmGained) {
            if (ptrm.temperature == ownTemperature) {
                difference = magnitude - ptrm.magnitude;
                ptrmAtOwn = ptrm.magnitude;
            }
            if (ptrm.temperature == refTemperature) {
                ptrmAtRef = ptrm.magnitude;
            }
        }

        CStepVector item;
        item.x = ptrmAtRef;
        item.y = ptrmAtOwn;
        item.z = magnitude;
        item.magnitude = difference;
        item.stepType = kAdditivityCheck;
        item.temperature = refTemperature;
        item.stepTemperature = ownTemperature;
        doc.m_additivityResults.push_back(item);

        if (std::fabs(difference) > maxDifference) {
            maxDifference = std::fabs(difference);
        }
        doc.m_plotBounds.maxAdditivityDifference = maxDifference;
    }
}

}  // namespace korvanes
