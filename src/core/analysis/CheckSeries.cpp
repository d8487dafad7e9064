#include "analysis/CheckSeries.h"

#include <cmath>

#include "analysis/Classification.h"
#include "document/Coordinates.h"

namespace korvanes {
namespace {

double VectorMagnitude(const Vector3& v, bool onlyZ)
{
    return DifferenceMagnitude(v.x, v.y, v.z, onlyZ);
}

// SameSense by the angle of the two directions as such.
[[gnu::noinline]] double SameSenseByAngle(const Vector3& a, const Vector3& b)
{
    const Direction da = DirectionFromVector(a.x, a.y, a.z);
    const Direction db = DirectionFromVector(b.x, b.y, b.z);
    return AngleBetweenDirections(da.declination, da.inclination, db.declination, db.inclination) < 90.0 ? 1.0
                                                                                                          : -1.0;
}

// +1 when the directions of the vectors a and b (as DirectionFromVector
// gives them) are less than 90 degrees apart, else -1. The sign of their
// cosine decides; it differs from the cosine of the two directions'
// angles by rounding alone (some units in 1e-16), so only within 1e-9 of 0
// (or for a zero vector) are the angles compared as such.
inline double SameSense(const Vector3& a, const Vector3& b)
{
    const double lengths = std::sqrt((a.x * a.x + a.y * a.y + a.z * a.z) * (b.x * b.x + b.y * b.y + b.z * b.z));
    if (lengths > 0.0) {
        const double cosine = (a.x * b.x + a.y * b.y + a.z * b.z) / lengths;
        if (std::fabs(cosine) > 1e-9) {
            return cosine > 0.0 ? 1.0 : -1.0;
        }
    }
    return SameSenseByAngle(a, b);
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

// Whether the list's temperatures (or own temperatures) never decrease.
template <class Temperature>
bool Ascends(const std::vector<CStepVector>& list, Temperature temperature)
{
    for (std::size_t k = 1; k < list.size(); ++k) {
        if (temperature(list[k]) < temperature(list[k - 1])) {
            return false;
        }
    }
    return true;
}

}  // namespace

void BuildPtrmCheckSeries(CKorvanesToolDoc& doc)
{
    doc.m_correctedChecks.clear();
    doc.m_ptrmCheckDiffs.clear();
    const bool onlyZ = doc.m_options.m_onlyZComponent != 0;
    const std::vector<CStepVector>& ptrmList = doc.m_ptrmGained;
    const std::vector<CStepVector>& checks = doc.m_ptrmChecks;
    const std::size_t ptrmCount = ptrmList.size();
    const std::size_t checkCount = checks.size();
    // One corrected item per pTRM item, every field written below.
    if (doc.m_correctedPtrm.size() != ptrmCount) {
        doc.m_correctedPtrm.resize(ptrmCount);
    }
    CStepVector* const correctedPtrm = doc.m_correctedPtrm.data();
    // The checks of a pTRM item are those of its temperature, in list
    // order. With both lists ascending (as in every real experiment) they
    // are one block of the check list that only moves forward; otherwise
    // every check is looked at for every item.
    const bool ordered = Ascends(ptrmList, [](const CStepVector& s) { return s.temperature; }) &&
                         Ascends(checks, [](const CStepVector& s) { return s.stepTemperature; });

    Vector3 sum;
    double sign = 1.0;
    double maxDifference = 0.0;
    // The reference direction: that of the pTRM vector with the latest first
    // check, once there is one.
    bool referencePresent = false;
    Vector3 reference;

    std::size_t blockStart = 0;
    for (std::size_t i = 0; i < ptrmCount; ++i) {
        const CStepVector& ptrm = ptrmList[i];
        const Vector3 p{ptrm.x, ptrm.y, ptrm.z};
        if (referencePresent) {
            sign = SameSense(reference, p);
        }
        const Vector3 corrected{p.x - sign * sum.x, p.y - sign * sum.y, p.z - sign * sum.z};

        std::size_t from = 0;
        std::size_t to = checkCount;
        if (ordered) {
            while (blockStart < checkCount && checks[blockStart].stepTemperature < ptrm.temperature) {
                ++blockStart;
            }
            from = blockStart;
            to = from;
            while (to < checkCount && checks[to].stepTemperature == ptrm.temperature) {
                ++to;
            }
        }
        bool first = true;
        for (std::size_t c = from; c < to; ++c) {
            const CStepVector& check = checks[c];
            if (check.stepTemperature != ptrm.temperature) {
                continue;
            }
            const Vector3 k{check.x, check.y, check.z};
            if (first) {
                first = false;
                referencePresent = true;
                reference = p;
                const double t = SameSense(p, k);
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
        correctedPtrm[i] =
            MakeItem(p, VectorMagnitude(corrected, onlyZ), kInField, ptrm.temperature, ptrm.temperature);
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
