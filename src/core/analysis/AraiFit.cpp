#include "analysis/AraiFit.h"

#include <algorithm>
#include <cmath>

#include "analysis/DirectionalFit.h"
#include "analysis/SafeDivision.h"
#include "document/Coordinates.h"

namespace korvanes {
namespace {

// num / den for q and w as computed; where that is not finite (a zero
// denominator: no scatter at all, or an overflow) the stand-in
// kQualityWithoutScatter with the quotient's sign. A zero numerator gives 0.
double QualityQuotient(double num, double den)
{
    if (num == 0.0) {
        return 0.0;
    }
    const double r = den != 0.0 ? num / den : std::copysign(kQualityWithoutScatter, num);
    return std::isfinite(r) ? r : std::copysign(kQualityWithoutScatter, r);
}

// In a list whose temperatures never decrease: the position of the first
// item at or above `t`, and of the first item above `t`.
std::size_t FirstAtOrAbove(const std::vector<CStepVector>& list, int t)
{
    return static_cast<std::size_t>(
        std::partition_point(list.begin(), list.end(), [t](const CStepVector& s) { return s.temperature < t; }) -
        list.begin());
}

std::size_t FirstAbove(const std::vector<CStepVector>& list, int t)
{
    return static_cast<std::size_t>(
        std::partition_point(list.begin(), list.end(), [t](const CStepVector& s) { return s.temperature <= t; }) -
        list.begin());
}

// Clamps the range to the measured temperatures and snaps both ends up to
// the next measured step. An empty list leaves the range as it is. A list
// paired in advance is counted in its sorted temperatures.
void ClampAndSnap(const std::vector<CStepVector>& zeroField, const CPlotBounds& bounds, const AraiPairing& pairing,
                  int& tMin, int& tMax)
{
    if (zeroField.empty()) {
        return;
    }
    if (bounds.maxTemperature < tMax) {
        tMax = bounds.maxTemperature;
    }
    if (bounds.minTemperature > tMin) {
        tMin = bounds.minTemperature;
    }
    std::size_t belowMin = 0;
    std::size_t atMin = 0;
    std::size_t belowMax = 0;
    std::size_t atMax = 0;
    if (pairing.paired && pairing.count == static_cast<int>(zeroField.size())) {
        const std::int32_t* first = pairing.sortedTemperatures;
        const std::int32_t* last = first + pairing.count;
        // Whether an end is measured is whether the first temperature not
        // below it equals it (only whether it is counted matters below).
        belowMin = static_cast<std::size_t>(std::lower_bound(first, last, tMin) - first);
        atMin = belowMin < zeroField.size() && first[belowMin] == tMin ? 1 : 0;
        belowMax = static_cast<std::size_t>(std::lower_bound(first, last, tMax) - first);
        atMax = belowMax < zeroField.size() && first[belowMax] == tMax ? 1 : 0;
    } else {
        for (const CStepVector& item : zeroField) {
            belowMin += item.temperature < tMin ? 1 : 0;
            atMin += item.temperature == tMin ? 1 : 0;
            belowMax += item.temperature < tMax ? 1 : 0;
            atMax += item.temperature == tMax ? 1 : 0;
        }
    }
    // The position exists for data in ascending order within the bounds;
    // other data keep the end as it is.
    if (atMin == 0 && belowMin < zeroField.size()) {
        tMin = zeroField[belowMin].temperature;
    }
    if (atMax == 0 && belowMax < zeroField.size()) {
        tMax = zeroField[belowMax].temperature;
    }
}

// The Arai points of the range among the items [first, last) of a list
// paired in advance, in list order.
int GatherBlock(const std::vector<CStepVector>& zeroField, const AraiPairing& pairing, std::size_t first,
                std::size_t last, int tMin, int tMax, double* xs, double* ys)
{
    // Written whatever the item, counted only for an Arai point of the
    // range: no branch on data that may come in any order. There are at
    // most count <= kMaxFitPoints items, so the arrays always have room.
    int n = 0;
    for (std::size_t k = first; k < last; ++k) {
        const CStepVector& item = zeroField[k];
        xs[n] = pairing.x[k];
        ys[n] = item.magnitude;
        n += item.temperature >= tMin && item.temperature <= tMax && pairing.measured[k] ? 1 : 0;
    }
    return n;
}

// The Arai points of the range, paired by temperature, into xs and ys: the
// zero-field items of the range that have a pTRM item, in list order. Their
// number, or 0 for more than kMaxFitPoints (rejected).
int GatherPoints(const std::vector<CStepVector>& zeroField, const AraiPairing& pairing, int tMin, int tMax,
                 double* xs, double* ys)
{
    int n = 0;
    if (pairing.paired && pairing.count == static_cast<int>(zeroField.size())) {
        std::size_t first = 0;
        std::size_t last = zeroField.size();
        if (pairing.ascending) {
            first = FirstAtOrAbove(zeroField, tMin);
            last = std::max(first, FirstAbove(zeroField, tMax));
        }
        return GatherBlock(zeroField, pairing, first, last, tMin, tMax, xs, ys);
    }
    for (const CStepVector& item : zeroField) {
        if (item.temperature < tMin || item.temperature > tMax || pairing.ptrm == nullptr) {
            continue;
        }
        double x = 0.0;
        bool measured = false;
        for (const CStepVector& p : *pairing.ptrm) {
            if (p.temperature == item.temperature) {
                x = p.magnitude;
                measured = true;
            }
        }
        if (!measured) {
            continue;  // no pTRM at this temperature: not an Arai point
        }
        if (n == kMaxFitPoints) {
            return 0;  // more points than any specimen has: rejected
        }
        xs[n] = x;
        ys[n] = item.magnitude;
        ++n;
    }
    return n;
}

// Room for the gathered points of a range.
struct PointBuffer {
    double x[kMaxFitPoints];
    double y[kMaxFitPoints];
};

// ClampAndSnap, then GatherPoints; xs and ys are set to the points, in
// `points` or, where they lie together in the pairing, there. For a list paired in advance whose
// temperatures ascend, the searches that snap the range also give the
// block of its items: the first item at or above the snapped start is the
// one the start snapped to, and the items past the snapped end follow the
// one it snapped to.
int ClampSnapAndGather(const std::vector<CStepVector>& zeroField, const CPlotBounds& bounds,
                       const AraiPairing& pairing, int& tMin, int& tMax, PointBuffer& points, const double*& xs,
                       const double*& ys)
{
    const std::size_t size = zeroField.size();
    if (size == 0 || !pairing.paired || !pairing.ascending || pairing.count != static_cast<int>(size)) {
        ClampAndSnap(zeroField, bounds, pairing, tMin, tMax);
        xs = points.x;
        ys = points.y;
        return GatherPoints(zeroField, pairing, tMin, tMax, points.x, points.y);
    }
    if (bounds.maxTemperature < tMax) {
        tMax = bounds.maxTemperature;
    }
    if (bounds.minTemperature > tMin) {
        tMin = bounds.minTemperature;
    }
    // The temperatures of the list itself, as it ascends.
    const std::int32_t* temperatures = pairing.sortedTemperatures;
    const std::size_t belowMin =
        static_cast<std::size_t>(std::lower_bound(temperatures, temperatures + size, tMin) - temperatures);
    if (belowMin < size && temperatures[belowMin] != tMin) {
        tMin = temperatures[belowMin];
    }
    const std::size_t belowMax =
        static_cast<std::size_t>(std::lower_bound(temperatures, temperatures + size, tMax) - temperatures);
    if (belowMax < size && temperatures[belowMax] != tMax) {
        tMax = temperatures[belowMax];
    }
    std::size_t last = belowMax;
    while (last < size && temperatures[last] <= tMax) {
        ++last;
    }
    // Every item of the block lies within the range.
    const std::size_t end = std::max(belowMin, last);
    if (pairing.allMeasured) {
        xs = pairing.x + belowMin;
        ys = pairing.y + belowMin;
        return static_cast<int>(end - belowMin);
    }
    xs = points.x;
    ys = points.y;
    return GatherBlock(zeroField, pairing, belowMin, end, tMin, tMax, points.x, points.y);
}

// Means and sums of squared deviations of the n points.
struct LineSums {
    double xMean = 0.0;
    double yMean = 0.0;
    double sxx = 0.0;
    double syy = 0.0;
    double sxy = 0.0;
};

LineSums SumsOf(const double* xs, const double* ys, int n)
{
    LineSums s;
    for (int k = 0; k < n; ++k) {
        s.xMean += xs[k];
        s.yMean += ys[k];
    }
    if (n > 0) {
        s.xMean /= n;
        s.yMean /= n;
    }
    for (int k = 0; k < n; ++k) {
        const double dx = xs[k] - s.xMean;
        const double dy = ys[k] - s.yMean;
        s.sxx += dx * dx;
        s.syy += dy * dy;
        s.sxy += dx * dy;
    }
    return s;
}

// Reduced major axis; a flat (Syy = 0) or vertical (Sxx = 0) point set has
// no usable slope and reads 0.
double SlopeOf(const LineSums& s)
{
    return s.sxx > 0.0 && s.syy > 0.0 ? -std::sqrt(s.syy / s.sxx) : 0.0;
}

double PaleointensityOf(double slope, const CKorvanesToolDoc& doc)
{
    return std::fabs(slope) * static_cast<double>(doc.m_header.m_labField);
}

}  // namespace

void PairAraiPoints(const std::vector<CStepVector>& zeroField, const std::vector<CStepVector>& ptrm,
                    AraiPairing& pairing)
{
    const std::size_t size = zeroField.size();
    pairing.ptrm = &ptrm;
    pairing.paired = size <= static_cast<std::size_t>(kMaxFitPoints);
    pairing.ascending = false;
    pairing.allMeasured = false;
    if (!pairing.paired) {
        pairing.count = 0;
        return;
    }
    pairing.count = static_cast<int>(size);
    // The pTRM list of a real experiment ascends in temperature: the last
    // item of a temperature is then found by halving, instead of a pass
    // over the whole list for every step.
    const CStepVector* const p = ptrm.data();
    const std::size_t ptrmSize = ptrm.size();
    const bool ptrmAscending = std::is_sorted(ptrm.begin(), ptrm.end(), [](const CStepVector& a, const CStepVector& b) {
        return a.temperature < b.temperature;
    });
    bool ascending = true;
    bool allMeasured = true;
    // With both lists ascending the first pTRM item above each step only
    // moves forward: one merged pass finds them all.
    std::size_t above = 0;
    for (std::size_t k = 0; k < size; ++k) {
        const CStepVector& z = zeroField[k];
        const int t = z.temperature;
        const bool descends = k > 0 && t < zeroField[k - 1].temperature;
        std::int32_t source = -1;
        if (ptrmAscending) {
            if (descends) {
                above = FirstAbove(ptrm, t);
            } else {
                while (above < ptrmSize && p[above].temperature <= t) {
                    ++above;
                }
            }
            if (above > 0 && p[above - 1].temperature == t) {
                source = static_cast<std::int32_t>(above - 1);
            }
        } else {
            for (std::size_t m = 0; m < ptrmSize; ++m) {
                if (p[m].temperature == t) {
                    source = static_cast<std::int32_t>(m);
                }
            }
        }
        const bool measured = source >= 0;
        pairing.x[k] = measured ? p[source].magnitude : 0.0;
        pairing.y[k] = z.magnitude;
        pairing.measured[k] = measured;
        pairing.source[k] = source;
        pairing.sortedTemperatures[k] = t;
        allMeasured = allMeasured && measured;
        ascending = ascending && !descends;
    }
    pairing.ascending = ascending;
    pairing.allMeasured = allMeasured;
    if (!ascending) {
        std::sort(pairing.sortedTemperatures, pairing.sortedTemperatures + pairing.count);
    }
}

void PairAraiPointsLike(const AraiPairing& model, const std::vector<CStepVector>& zeroField,
                        const std::vector<CStepVector>& ptrm, AraiPairing& pairing)
{
    const std::vector<CStepVector>* const other = model.ptrm;
    bool alike = model.paired && other != nullptr && model.count == static_cast<int>(zeroField.size()) &&
                 other->size() == ptrm.size();
    for (std::size_t m = 0; alike && m < ptrm.size(); ++m) {
        alike = (*other)[m].temperature == ptrm[m].temperature;
    }
    if (!alike) {
        PairAraiPoints(zeroField, ptrm, pairing);
        return;
    }
    const std::size_t count = static_cast<std::size_t>(model.count);
    pairing.ptrm = &ptrm;
    pairing.paired = true;
    pairing.ascending = model.ascending;
    pairing.allMeasured = model.allMeasured;
    pairing.count = model.count;
    std::copy_n(model.y, count, pairing.y);
    std::copy_n(model.measured, count, pairing.measured);
    std::copy_n(model.source, count, pairing.source);
    std::copy_n(model.sortedTemperatures, count, pairing.sortedTemperatures);
    const CStepVector* const p = ptrm.data();
    for (std::size_t k = 0; k < count; ++k) {
        const std::int32_t source = pairing.source[k];
        pairing.x[k] = source >= 0 ? p[source].magnitude : 0.0;
    }
}

void EvaluateRange(CKorvanesToolDoc& doc, int tMin, int tMax,
                   const std::vector<CStepVector>& zeroField,
                   const std::vector<CStepVector>& ptrm)
{
    AraiPairing pairing;
    PairAraiPoints(zeroField, ptrm, pairing);
    EvaluatePairedRange(doc, tMin, tMax, zeroField, pairing);
}

double PairedRangePaleointensity(const CKorvanesToolDoc& doc, int tMin, int tMax,
                                 const std::vector<CStepVector>& zeroField, const AraiPairing& pairing)
{
    PointBuffer points;
    const double* xs = nullptr;
    const double* ys = nullptr;
    const int n = ClampSnapAndGather(zeroField, doc.m_plotBounds, pairing, tMin, tMax, points, xs, ys);
    return PaleointensityOf(SlopeOf(SumsOf(xs, ys, n)), doc);
}

void EvaluatePairedRange(CKorvanesToolDoc& doc, int tMin, int tMax,
                         const std::vector<CStepVector>& zeroField, const AraiPairing& pairing)
{
    EvaluatePairedLineFit(doc, tMin, tMax, zeroField, pairing);
    EvaluateRangeDirections(doc, zeroField);
}

void EvaluateRangeDirections(CKorvanesToolDoc& doc, const std::vector<CStepVector>& zeroField)
{
    CSpecimenResult& r = doc.m_result;
    DirectionFit freeFit;
    DirectionFit anchored;
    FitDirections(r.tMin, r.tMax, zeroField, freeFit, anchored);
    r.decFree = freeFit.declination;
    r.incFree = freeFit.inclination;
    r.madFree = freeFit.mad;
    r.decAnchored = anchored.declination;
    r.incAnchored = anchored.inclination;
    r.madAnchored = anchored.mad;
    r.alpha = AngleBetweenDirections(r.decFree, r.incFree, r.decAnchored, r.incAnchored);
}

void EvaluatePairedLineFit(CKorvanesToolDoc& doc, int tMin, int tMax,
                           const std::vector<CStepVector>& zeroField, const AraiPairing& pairing)
{
    CSpecimenResult& r = doc.m_result;
    PointBuffer points;
    const double* xs = nullptr;
    const double* ys = nullptr;
    const int n = ClampSnapAndGather(zeroField, doc.m_plotBounds, pairing, tMin, tMax, points, xs, ys);
    const LineSums sums = SumsOf(xs, ys, n);
    const double xMean = sums.xMean;
    const double yMean = sums.yMean;
    const double sxx = sums.sxx;
    const double syy = sums.syy;
    const double sxy = sums.sxy;

    const double b = SlopeOf(sums);
    const double a = yMean - b * xMean;
    const double trm = Quotient(-a, b);
    double sigma = 0.0;
    const bool scatterDefined = n > 2 && b != 0.0;
    if (scatterDefined) {
        // Rounding can make the numerator slightly negative for exact lines.
        const double numerator = 2.0 * syy - 2.0 * b * sxy;
        sigma = numerator > 0.0 ? std::sqrt(numerator / ((n - 2) * sxx)) : 0.0;
    }
    const double slopeRelStd = Quotient(sigma, std::fabs(b));

    // Points projected half-way onto the line, kept within 0..a.
    double sumSquares = 0.0;
    double yMax = 0.0;
    double yMin = 0.0;
    double yPrevious = 0.0;
    for (int k = 0; k < n; ++k) {
        double yp = (ys[k] + (b * xs[k] + a)) / 2.0;
        if (yp < 0.0) {
            yp = 0.0;
        }
        if (yp > a) {
            yp = a;
        }
        if (k > 0) {
            sumSquares += (yPrevious - yp) * (yPrevious - yp);
        }
        if (yp > yMax) {
            yMax = yp;
        }
        if (k == 0 || yp < yMin) {
            yMin = yp;
        }
        yPrevious = yp;
    }
    const double span = yMax - yMin;
    const double f = Quotient(span, a);
    const double g = span > 0.0 ? 1.0 - Quotient(sumSquares, span * span) : 0.0;
    const double q = scatterDefined ? std::fabs(QualityQuotient(f * g * b, sigma)) : 0.0;
    const double w =
        scatterDefined ? QualityQuotient(f * g, std::sqrt(static_cast<double>(n - 2)) * slopeRelStd)
                       : 0.0;

    const double fitXFrom = Quotient(yMax - a, b);
    const double fitXTo = Quotient(yMin - a, b);
    const double paleointensity = PaleointensityOf(b, doc);

    r.tMin = tMin;
    r.tMax = tMax;
    r.n = n;
    r.slope = b;
    r.slopeRelStd = slopeRelStd;
    r.trm = trm;
    r.nrmT = a;
    r.f = f;
    r.g = g;
    r.q = q;
    r.w = w;
    r.paleointensity = paleointensity;
    r.stdDev = paleointensity * slopeRelStd;
    r.fitXFrom = fitXFrom;
    r.fitXTo = fitXTo;
    r.fitLength = std::sqrt((fitXFrom - fitXTo) * (fitXFrom - fitXTo) + span * span);
    r.meanPtrm = xMean;
    r.meanNrm = yMean;
}

void EvaluateRangeChecks(CKorvanesToolDoc& doc, double correctedPaleointensity, int tMax)
{
    CSpecimenResult& r = doc.m_result;
    if (doc.m_options.m_checkCorrected != 0) {
        r.ckDiff = 0.0;
        r.ckError = 0.0;
        r.drat = 0.0;
    } else {
        r.ckDiff = Quotient(std::fabs(correctedPaleointensity - r.paleointensity) * 100.0,
                            r.paleointensity);
        double ckError = 0.0;
        double drat = 0.0;
        for (const CStepVector& diff : doc.m_ptrmCheckDiffs) {
            if (diff.stepTemperature >= tMax) {
                continue;
            }
            const double ck = std::fabs(Quotient(diff.magnitude * 100.0, r.trm));
            const double dr = std::fabs(Quotient(diff.magnitude * 100.0, r.fitLength));
            if (ck > ckError) {
                ckError = ck;
            }
            if (dr > drat) {
                drat = dr;
            }
        }
        r.ckError = ckError;
        r.drat = drat;
    }

    const double maxNrm = doc.m_plotBounds.maxNrm;
    double dTR = 0.0;
    if (!doc.m_tailCheckStats.empty()) {
        for (const CStepVector& tail : doc.m_tailCheckStats) {
            if (tail.temperature > tMax) {
                continue;
            }
            const double value = std::fabs(Quotient(maxNrm * tail.magnitude, r.nrmT));
            if (value > dTR) {
                dTR = value;
            }
        }
        r.dTStar = Quotient(maxNrm * doc.m_plotBounds.maxTailTStar, r.nrmT);
    }
    r.dTR = dTR;

    double dAC = 0.0;
    for (const CStepVector& check : doc.m_additivityResults) {
        if (check.stepTemperature >= tMax) {
            continue;
        }
        const double value = std::fabs(Quotient(check.magnitude * 100.0, r.trm));
        if (value > dAC) {
            dAC = value;
        }
    }
    r.dAC = dAC;
}

std::vector<LeftOutStep> LeftOutAraiSteps(const CKorvanesToolDoc& doc)
{
    const CSpecimenResult& r = doc.m_result;
    const bool hasRange = r.n > 0;
    std::vector<LeftOutStep> steps;
    for (const CStepVector& zero : doc.m_zeroFieldSteps) {
        const bool measured = std::any_of(doc.m_ptrmGained.begin(), doc.m_ptrmGained.end(),
                                          [&zero](const CStepVector& p) { return p.temperature == zero.temperature; });
        if (!measured) {
            steps.push_back({zero.temperature, hasRange && zero.temperature >= r.tMin && zero.temperature <= r.tMax,
                             "no in-field step at this temperature, so no pTRM gained to pair it with"});
        }
    }
    return steps;
}

void ClearResult(CSpecimenResult& result)
{
    result.tMin = 0;
    result.tMax = 0;
    result.n = 0;
    result.slope = 0.0;
    result.slopeRelStd = 0.0;
    result.trm = 0.0;
    result.nrmT = 0.0;
    result.f = 0.0;
    result.g = 0.0;
    result.q = 0.0;
    result.w = 0.0;
    result.paleointensity = 0.0;
    result.stdDev = 0.0;
    result.madAnchored = 0.0;
    result.decAnchored = 0.0;
    result.incAnchored = 0.0;
    result.madFree = 0.0;
    result.decFree = 0.0;
    result.incFree = 0.0;
    result.alpha = 0.0;
    result.ckError = 0.0;
    result.ckDiff = 0.0;
    result.drat = 0.0;
    result.dTR = 0.0;
    result.dAC = 0.0;
    result.dTStar = 0.0;
    result.fitXFrom = 0.0;
    result.fitXTo = 0.0;
    result.meanPtrm = 0.0;
    result.meanNrm = 0.0;
    result.resultClass.clear();
    result.noResultReason.clear();
}

}  // namespace korvanes
