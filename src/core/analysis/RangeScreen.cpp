#include "analysis/RangeScreen.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/DirectionalFit.h"
#include "document/Coordinates.h"

namespace korvanes {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// The unit roundoff of double.
constexpr double kU = std::numeric_limits<double>::epsilon() / 2.0;
// The largest relative error of the centred sums (Sxx, Syy, Sxy) that a
// bound is built on (its error terms are of first order): a range whose sums
// are less accurate gets no bound.
constexpr double kFirstOrder = 0x1p-20;
// Every bound is widened by this much more, for the rounding that the error
// terms below leave out (a few units of 1e-16 each).
constexpr double kMargin = 1e-9;

double Up(double v) { return v * (1.0 + kMargin); }
double Down(double v) { return v * (1.0 - kMargin); }

double Clamp(double v, double a)
{
    // As the projection of the line fit: below 0 to 0, then above a to a.
    if (v < 0.0) {
        v = 0.0;
    }
    return v > a ? a : v;
}

// num / den for a den in [denLb, denUb] with denLb > 0, as a lower bound of
// what the exact evaluation's guarded quotient gives: 0 where that quotient
// could overflow (it then reads 0).
double QuotientLowerBound(double num, double denLb, double denUb)
{
    if (!(num > 0.0) || !(denLb > 0.0) || !(num < denLb * 1e300)) {
        return 0.0;
    }
    return Down(num / denUb);
}

// Whether a class block can never be met, whatever the range: a negative
// upper limit of a statistic that is never negative, or a minimum f above 1
// (f never exceeds 1). Comparisons with a limit that is not a number fail.
bool NeverMet(const ClassThresholds& t, int points)
{
    return t.minN > points || !(t.maxSlopeRelStd >= 0.0) || !(t.minF <= 1.0) || t.maxMad < 0 || t.maxAlpha < 0 ||
           t.maxCkError < 0 || t.maxAc < 0 || t.maxIntensityDiff < 0 || t.maxDrat < 0;
}

// What QuickKeys needs: the running sums at each upper end and before each
// point, the points, the pairs of the search and the limits.
struct QuickInputs {
    const double* endN;  // per upper end: the points up to it, its last point, the running sums at it
    const double* endX;
    const double* endY;
    const double* endHi[8];
    const double* endLo[8];
    const double* startHi[8];  // per point: the running sums before it
    const double* startLo[8];
    const double* x;  // the points
    const double* y;
    const int* pointsBefore;  // per list position
    const int* firstOf;
    const int* firstPartners;  // per step i: the first j of its pairs
    int count;                 // steps
    int points;
    double* extremes;  // scratch: 4 rows of count + kQuickPad
    double* keys;      // scratch: the keys in doubles, kQuickPad beyond the last
    double tiny, xMax, yMax;
    double minN[2], rel[2], q[2];  // class A and B: minimum N, slopeRelStd², q² limits
};

// The exact evaluation's rounding, (n + 8) units for n <= 1000 points, and
// the terms of the running sums' error that do not depend on the range, in
// one.
constexpr double kExact = 0x1p-40;
static_assert((kMaxFitPoints + 8) * kU < kExact, "the fits take too many points for this bound");

// The keys of one row: the pairs of the first point c0 (whose running sums
// before it are s and l) with the `count` upper ends from jFirst on (a
// multiple of four), with the extremes of the points between the ends at
// inner[0..3][k]. One pass with no branch and no call, so that the pairs
// overlap in the processor and go two (with AVX2 four) at a time.
template <bool byQ>
inline __attribute__((always_inline)) void QuickRowKeys(const QuickInputs& in, int jFirst, int c0, int count,
                                                        const double* inner, int innerStride,
                                                        double* __restrict keys)
{
    // Plain locals, so that the compiler keeps them out of the loop; the
    // arrays of the ends taken at j = jFirst + k, so that their places stay
    // the same from row to row.
    const std::size_t s = static_cast<std::size_t>(c0);
    const double* const endN = in.endN;
    const double* const endX = in.endX;
    const double* const endY = in.endY;
    const double* const innerMaxY = inner;
    const double* const innerMinY = inner + innerStride;
    const double* const innerMaxX = inner + 2 * innerStride;
    const double* const innerMinX = inner + 3 * innerStride;
    const double* const hi0 = in.endHi[0];
    const double* const hi1 = in.endHi[1];
    const double* const hi2 = in.endHi[2];
    const double* const hi3 = in.endHi[3];
    const double* const hi4 = in.endHi[4];
    const double* const hi5 = in.endHi[5];
    const double* const hi6 = in.endHi[6];
    const double* const hi7 = in.endHi[7];
    const double* const lo0 = in.endLo[0];
    const double* const lo1 = in.endLo[1];
    const double* const lo2 = in.endLo[2];
    const double* const lo3 = in.endLo[3];
    const double* const lo4 = in.endLo[4];
    const double* const lo5 = in.endLo[5];
    const double* const lo6 = in.endLo[6];
    const double* const lo7 = in.endLo[7];
    const double s0 = in.startHi[0][s], s1 = in.startHi[1][s], s2 = in.startHi[2][s], s3 = in.startHi[3][s];
    const double s4 = in.startHi[4][s], s5 = in.startHi[5][s], s6 = in.startHi[6][s], s7 = in.startHi[7][s];
    const double l0 = in.startLo[0][s], l1 = in.startLo[1][s], l2 = in.startLo[2][s], l3 = in.startLo[3][s];
    const double l4 = in.startLo[4][s], l5 = in.startLo[5][s], l6 = in.startLo[6][s], l7 = in.startLo[7][s];
    const double n0 = c0, x0 = in.x[s], y0 = in.y[s], tiny = in.tiny, xMax = in.xMax, yMax = in.yMax;
    const double minNA = in.minN[0], minNB = in.minN[1], relA = in.rel[0], relB = in.rel[1];
    const double qA = in.q[0], qB = in.q[1];
    for (int k = jFirst; k < jFirst + count; ++k) {
        const double n = endN[k] - n0;
        const double sx = (hi0[k] - s0) + (lo0[k] - l0);
        const double sy = (hi1[k] - s1) + (lo1[k] - l1);
        const double sxxRaw = (hi2[k] - s2) + (lo2[k] - l2);
        const double syyRaw = (hi3[k] - s3) + (lo3[k] - l3);
        const double sxyRaw = (hi4[k] - s4) + (lo4[k] - l4);
        const double dxx = (hi5[k] - s5) + (lo5[k] - l5);
        const double dyy = (hi6[k] - s6) + (lo6[k] - l6);
        const double dxy = (hi7[k] - s7) + (lo7[k] - l7);
        const double inverseN = 1.0 / (n > 2.5 ? n : 3.0);
        const double xMean = sx * inverseN;
        const double yMean = sy * inverseN;
        const double sxx = sxxRaw - sx * xMean;
        const double syy = syyRaw - sy * yMean;
        const double sxy = sxyRaw - sx * yMean;
        const double product = sxx * syy;
        const double root = std::sqrt(product > 0.0 ? product : 1.0);
        const double inverseRoot = 1.0 / root;
        // What the centred sums may be off, relative to themselves (to Sxy:
        // relative to sqrt(Sxx Syy)), as in LineFit but with the exact
        // evaluation's rounding (n + 8 units) taken as 2^-40.
        const double inverseSq = inverseRoot * inverseRoot;
        const double exx = (16.0 * kU * sxxRaw + kExact * std::fabs(sxx) + tiny) * syy * inverseSq;
        const double eyy = (16.0 * kU * syyRaw + kExact * std::fabs(syy) + tiny) * sxx * inverseSq;
        const double exy = (16.0 * kU * std::fabs(sxyRaw) + kExact * root + tiny) * inverseRoot;
        bool known = (sxx > 0.0) & (syy > 0.0) & (exx <= kFirstOrder) & (eyy <= kFirstOrder) & (exy <= kFirstOrder);
        const double slope = syy * inverseRoot;  // |b| = sqrt(Syy / Sxx)
        const double slopeError = 0.51 * (exx + eyy) + 8.0 * kU;
        const double r = sxy * inverseRoot;
        const double dLb = 1.0 + r - (exy + std::fabs(r) * slopeError + 128.0 * kU);

        // |f g| <= 1 once G <= a span: f g = (span² - G) / (a span) and
        // f <= 1. Checked with the unclamped G (clamping only shortens
        // steps) and the span of the two ends, each widened by what it may
        // be off.
        const double a = yMean + slope * xMean;
        const double scale = yMax + slope * xMax + a;
        const double error = 2.0 * (slopeError + kExact) * scale + 2.0 * tiny * (1.0 + slope);
        const double aLb = a - error;
        const double first = Clamp(0.5 * (y0 - slope * x0 + a), a);
        const double last = Clamp(0.5 * (endY[k] - slope * endX[k] + a), a);
        const double spanLb = std::fabs(first - last) - 2.0 * error;
        const double innerHigh = Clamp(0.5 * (innerMaxY[k - jFirst] - slope * innerMinX[k - jFirst] + a), a);
        const double innerLow = Clamp(0.5 * (innerMinY[k - jFirst] - slope * innerMaxX[k - jFirst] + a), a);
        const double spanUb = std::max(std::max(first, last), innerHigh) -
                              std::max(0.0, std::min(std::min(first, last), innerLow)) + 2.0 * error;
        const double gMagnitude = dyy + 2.0 * slope * std::fabs(dxy) + slope * slope * dxx;
        const double gUb = 0.25 * (dyy - 2.0 * slope * dxy + slope * slope * dxx) +
                           (slopeError + 4.0 * kExact) * gMagnitude + tiny * (1.0 + slope) * (1.0 + slope) +
                           kExact * scale * scale * (n + 1.0);
        known = known & (dLb > 0.0) & (aLb > 0.0);
        // f g = (span² - G) / (a span) lies within -G / (a span) and f, and
        // f <= span / a; without a span, |f g| <= (n - 2) f (no step of the
        // projected points exceeds the span, so G <= (n - 1) span²).
        const double m = n - 2.0;
        const double inverse = 1.0 / ((aLb > 0.0 ? aLb : 1.0) * (spanLb > 0.0 ? spanLb : 1.0));
        const double fUb = std::min(1.0, spanUb * (spanLb > 0.0 ? spanLb : 1.0) * inverse);
        const double fg = spanLb > 0.0 ? std::max(fUb, gUb * inverse) : fUb * (m > 1.0 ? m : 1.0);
        const double fgSq = Up(fg * fg);

        // The line-fit tests: slopeRelStd² >= 2 D / (n - 2), q² <= (n - 2) f²g² / (2 D).
        const double twoD = Down(2.0 * dLb);
        const bool unknown = !known;
        const bool mayA = (n >= minNA) & (unknown | ((twoD <= relA * m) & (Up(m * fgSq) >= twoD * qA)));
        const bool mayB = (n >= minNB) & (unknown | ((twoD <= relB * m) & (Up(m * fgSq) >= twoD * qB)));
        // value² <= 0.5 / key.
        // (A bound of 0 for f g: the value is 0 and the pair cannot count.)
        const double key = Down(dLb / std::max(byQ ? m * fgSq : fgSq, 1e-300));
        const double stored = ((n < 3.0) | !(mayA | mayB)) ? kInfinity : ((known & (key > 1e-30)) ? key : 0.0);
        keys[k - jFirst] = stored * (1.0 - 0x1p-20);
    }
}

// A row of a search's pairs: those of step i (with any pair), the first
// partner j, the first point, the number of pairs, the pairs of the rows
// before, and whether fewer than three points lie from the first on.
struct PairRow {
    int jFirst;
    int c0;
    int pairs;
    int done;
    bool fewPoints;
};

// The next row after step i - 1 of the pairs given by firstPartners, in the
// search's order (i and done move on); false after the last.
inline __attribute__((always_inline)) bool NextRow(const int* firstPartners, const int* pointsBefore,
                                                   const int* firstOf, int count, int points, int& i, int& done,
                                                   PairRow& row)
{
    for (; i < count; ++i) {
        const int jFirst = firstPartners[i];
        if (jFirst < count) {
            const int c0 = pointsBefore[firstOf[i]];
            row = {jFirst, c0, count - jFirst, done, c0 + 3 > points};
            done += row.pairs;
            ++i;
            return true;
        }
    }
    return false;
}

// The keys of RangeScreen::QuickKeys: row after row, each worked out in
// whole vectors of four (the keys past a row are written over by the next),
// in doubles so that the vectors hold four pairs throughout, then in floats.
template <bool byQ>
inline __attribute__((always_inline)) void QuickKeysOf(const QuickInputs& in, float* __restrict keys)
{
    double* const rowKeys = in.keys;
    int done = 0;
    const int count = in.count;
    const int stride = count + RangeScreen::kQuickPad;
    double* const extremes = in.extremes;
    const double* const x = in.x;
    const double* const y = in.y;
    int i = 0;
    PairRow row;
    while (NextRow(in.firstPartners, in.pointsBefore, in.firstOf, count, in.points, i, done, row)) {
        const int jFirst = row.jFirst;
        const int pairs = row.pairs;
        const int c0 = row.c0;
        if (row.fewPoints) {
            std::fill(rowKeys + row.done, rowKeys + row.done + pairs, kInfinity);  // fewer than 3 points
            continue;
        }
        const int vectors = (pairs + RangeScreen::kQuickPad) & ~RangeScreen::kQuickPad;
        // The extremes of the points between the ends, c0 + 1 .. c1 - 2, for
        // each upper end: running extremes, as the ends move up with j.
        const double* const endN = in.endN + jFirst;
        double maxY = -kInfinity, minY = kInfinity, maxX = -kInfinity, minX = kInfinity;
        int next = c0 + 1;
        // (Those of the lanes past the row's end are left as they are: their
        // keys are not used.)
        for (int k = 0; k < pairs; ++k) {
            const int endInner = static_cast<int>(endN[k]) - 2;
            for (; next <= endInner; ++next) {
                maxY = std::max(maxY, y[next]);
                minY = std::min(minY, y[next]);
                maxX = std::max(maxX, x[next]);
                minX = std::min(minX, x[next]);
            }
            extremes[k] = maxY;
            extremes[stride + k] = minY;
            extremes[2 * stride + k] = maxX;
            extremes[3 * stride + k] = minX;
        }
        QuickRowKeys<byQ>(in, jFirst, c0, vectors, extremes, stride, rowKeys + row.done);
    }
    for (int k = 0; k < done; ++k) {
        keys[k] = static_cast<float>(rowKeys[k]);
    }
}

// The processor's widest vectors where the build allows a choice at run time.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define KORVANES_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define KORVANES_VECTOR_CLONES
#endif

KORVANES_VECTOR_CLONES void QuickKeysByW(const QuickInputs& in, float* __restrict keys)
{
    QuickKeysOf<false>(in, keys);
}

KORVANES_VECTOR_CLONES void QuickKeysByQ(const QuickInputs& in, float* __restrict keys)
{
    QuickKeysOf<true>(in, keys);
}

// What CkDiffKeys needs (as QuickInputs): the running sums of x and x², of
// the check-corrected x and its square, the pairs and the d(pal) limits.
struct CkDiffInputs {
    const double* endN;
    const double* endHi[4];  // x, x², corrected x, its square
    const double* endLo[4];
    const double* startHi[4];
    const double* startLo[4];
    const int* pointsBefore;
    const int* firstOf;
    const int* firstPartners;
    int count;
    int points;
    double tiny[4];            // the sums' tinyError
    double limit[2];           // class A and B: maxCkDiff
    double outSearch[2];       // 1 for a class not in question in the search
    double outAOrB[2];         // the same once retargeted to class A or B
    double* failing;           // scratch: per pair 1 where every class fails, and the same for class A or B
    double* failingAOrB;
};

// Marks the pairs of one row (as QuickRowKeys) whose d(pal) fails every
// class in question, by the bound of RangeScreen::CkDiffClasses with the
// same operations: the same verdict bit for bit.
inline __attribute__((always_inline)) void CkDiffRowKeys(const CkDiffInputs& in, int jFirst, int c0, int count,
                                                         double* __restrict failing, double* __restrict failingAOrB)
{
    const std::size_t jf = static_cast<std::size_t>(jFirst);
    const std::size_t s = static_cast<std::size_t>(c0);
    const double* const endN = in.endN + jf;
    const double* const h0 = in.endHi[0] + jf;
    const double* const h1 = in.endHi[1] + jf;
    const double* const h2 = in.endHi[2] + jf;
    const double* const h3 = in.endHi[3] + jf;
    const double* const q0 = in.endLo[0] + jf;
    const double* const q1 = in.endLo[1] + jf;
    const double* const q2 = in.endLo[2] + jf;
    const double* const q3 = in.endLo[3] + jf;
    const double s0 = in.startHi[0][s], s1 = in.startHi[1][s], s2 = in.startHi[2][s], s3 = in.startHi[3][s];
    const double l0 = in.startLo[0][s], l1 = in.startLo[1][s], l2 = in.startLo[2][s], l3 = in.startLo[3][s];
    const double n0 = c0, t0 = in.tiny[0], t1 = in.tiny[1], t2 = in.tiny[2], t3 = in.tiny[3];
    const double limitA = in.limit[0], limitB = in.limit[1];
    const double outA = in.outSearch[0], outB = in.outSearch[1];
    const double outAOrBA = in.outAOrB[0], outAOrBB = in.outAOrB[1];
    for (int k = 0; k < count; ++k) {
        const double n = endN[k] - n0;
        const double inverse = 1.0 / (n > 1.5 ? n : 2.0);
        const double sum = (h0[k] - s0) + (q0[k] - l0);
        const double mean = sum * inverse;
        const double raw = (h1[k] - s1) + (q1[k] - l1);
        const double sxx = raw - sum * mean;
        const double sxxError = 16.0 * kU * raw + (n + 8.0) * kU * std::fabs(sxx) + t1 + 2.0 * mean * t0;
        const double cSum = (h2[k] - s2) + (q2[k] - l2);
        const double cMean = cSum * inverse;
        const double cRaw = (h3[k] - s3) + (q3[k] - l3);
        const double cxx = cRaw - cSum * cMean;
        const double cxxError = 16.0 * kU * cRaw + (n + 8.0) * kU * std::fabs(cxx) + t3 + 2.0 * cMean * t2;
        const bool known = (n > 1.5) & (sxx > 0.0) & (cxx > 0.0) & (sxxError <= kFirstOrder * sxx) &
                           (cxxError <= kFirstOrder * cxx);
        const double ratioLb = std::sqrt(known ? (sxx - sxxError) / (cxx + cxxError) : 1.0);
        const double ratioUb = std::sqrt(known ? (sxx + sxxError) / (cxx - cxxError) : 1.0);
        const double ckDiff = Down(100.0 * std::max(std::max(0.0, ratioLb - 1.0), 1.0 - ratioUb)) - 1e-12;
        const double failsA = (known & (ckDiff > limitA)) ? 1.0 : 0.0;
        const double failsB = (known & (ckDiff > limitB)) ? 1.0 : 0.0;
        failing[k] = std::max(failsA, outA) * std::max(failsB, outB);
        failingAOrB[k] = std::max(failsA, outAOrBA) * std::max(failsB, outAOrBB);
    }
}

// CkDiffRowKeys for every row (as QuickKeysOf).
inline __attribute__((always_inline)) void CkDiffKeysOf(const CkDiffInputs& in)
{
    int i = 0;
    int done = 0;
    PairRow row;
    while (NextRow(in.firstPartners, in.pointsBefore, in.firstOf, in.count, in.points, i, done, row)) {
        double* const failing = in.failing + row.done;
        double* const failingAOrB = in.failingAOrB + row.done;
        if (row.fewPoints) {
            // Their quick keys say no chance already.
            std::fill(failing, failing + row.pairs, 0.0);
            std::fill(failingAOrB, failingAOrB + row.pairs, 0.0);
        } else {
            const int vectors = (row.pairs + RangeScreen::kQuickPad) & ~RangeScreen::kQuickPad;
            CkDiffRowKeys(in, row.jFirst, row.c0, vectors, failing, failingAOrB);
        }
    }
}

// What DirectionKeys needs of one row.
struct DirectionInputs {
    const double* endCount;  // per upper end: the list positions up to it, its vector, the running sums at it
    const double* endX;
    const double* endY;
    const double* endZ;
    const double* endHi[9];  // x, y, z, xx, xy, xz, yy, yz, zz
    const double* endLo[9];
    double start[9];
    double startLo[9];
    double first;  // the list position of the first vector
    double x0, y0, z0;
    double tiny;
    double cosAlpha[2], sinAlpha[2], tanMadSq[2];  // class A and B
    double out[2];  // 1 for a class not in question (it counts as failed)
};

// One step of power iteration on the symmetric matrix (a b c; b d e; c f g)
// with f standing for the (2, 3) entry: v <- T v / |T v|.
inline __attribute__((always_inline)) void PowerStep(double xx, double xy, double xz, double yy, double yz,
                                                     double zz, double& vx, double& vy, double& vz)
{
    const double wx = xx * vx + xy * vy + xz * vz;
    const double wy = xy * vx + yy * vy + yz * vz;
    const double wz = xz * vx + yz * vy + zz * vz;
    const double inverse = 1.0 / std::sqrt(wx * wx + wy * wy + wz * wz + 1e-300);
    vx = wx * inverse;
    vy = wy * inverse;
    vz = wz * inverse;
}

// The principal axis of the matrix by four steps of power iteration from v,
// and the sine bound of PrincipalAxis (2 when nothing can be said).
inline __attribute__((always_inline)) double Axis(double xx, double xy, double xz, double yy, double yz, double zz,
                                                  double error, double& vx, double& vy, double& vz, double& rho,
                                                  double& residualSq, double& gap)
{
    PowerStep(xx, xy, xz, yy, yz, zz, vx, vy, vz);
    PowerStep(xx, xy, xz, yy, yz, zz, vx, vy, vz);
    PowerStep(xx, xy, xz, yy, yz, zz, vx, vy, vz);
    PowerStep(xx, xy, xz, yy, yz, zz, vx, vy, vz);
    const double trace = xx + yy + zz;
    const double tx = xx * vx + xy * vy + xz * vz;
    const double ty = xy * vx + yy * vy + yz * vz;
    const double tz = xz * vx + yz * vy + zz * vz;
    rho = vx * tx + vy * ty + vz * tz;
    const double rx = tx - rho * vx;
    const double ry = ty - rho * vy;
    const double rz = tz - rho * vz;
    const double residual = std::sqrt(rx * rx + ry * ry + rz * rz) + 16.0 * kU * trace;
    residualSq = residual * residual;
    gap = 2.0 * rho - trace - 3.0 * error;
    const bool apart = (gap > 4.0 * error) & (gap > 0.0);
    const double safeGap = apart ? gap : 1.0;
    const double sine = residual / safeGap + (error + 64.0 * kU * trace) / (apart ? gap - 2.0 * error : 1.0);
    return (apart & (sine < 0.5)) ? sine : 2.0;
}

// Marks (failing[k] = 1) the pairs whose directional fits fail every class
// in question (alpha or MAD above its limit), by the bounds of
// RangeScreen::AlphaClasses (the angle of two principal axes found by power
// iteration) and a MAD bound from the smallest eigenvalue (at least
// det / (sum of the 2 x 2 principal minors)). Branch-free like QuickKeys.
inline __attribute__((always_inline)) void DirectionKeysOf(const DirectionInputs& in, int count, double* __restrict failing)
{
    const double* const endCount = in.endCount;
    const double* const endX = in.endX;
    const double* const endY = in.endY;
    const double* const endZ = in.endZ;
    const double* const h0 = in.endHi[0];
    const double* const h1 = in.endHi[1];
    const double* const h2 = in.endHi[2];
    const double* const h3 = in.endHi[3];
    const double* const h4 = in.endHi[4];
    const double* const h5 = in.endHi[5];
    const double* const h6 = in.endHi[6];
    const double* const h7 = in.endHi[7];
    const double* const h8 = in.endHi[8];
    const double* const q0 = in.endLo[0];
    const double* const q1 = in.endLo[1];
    const double* const q2 = in.endLo[2];
    const double* const q3 = in.endLo[3];
    const double* const q4 = in.endLo[4];
    const double* const q5 = in.endLo[5];
    const double* const q6 = in.endLo[6];
    const double* const q7 = in.endLo[7];
    const double* const q8 = in.endLo[8];
    const double s0 = in.start[0], s1 = in.start[1], s2 = in.start[2], s3 = in.start[3], s4 = in.start[4];
    const double s5 = in.start[5], s6 = in.start[6], s7 = in.start[7], s8 = in.start[8];
    const double l0 = in.startLo[0], l1 = in.startLo[1], l2 = in.startLo[2], l3 = in.startLo[3];
    const double l4 = in.startLo[4], l5 = in.startLo[5], l6 = in.startLo[6], l7 = in.startLo[7];
    const double l8 = in.startLo[8];
    const double first = in.first, x0 = in.x0, y0 = in.y0, z0 = in.z0, tiny = in.tiny;
    const double cosA = in.cosAlpha[0], sinA = in.sinAlpha[0], madA = in.tanMadSq[0], outA = in.out[0];
    const double cosB = in.cosAlpha[1], sinB = in.sinAlpha[1], madB = in.tanMadSq[1], outB = in.out[1];
    for (int k = 0; k < count; ++k) {
        const double n = endCount[k] - first;
        const double sx = (h0[k] - s0) + (q0[k] - l0);
        const double sy = (h1[k] - s1) + (q1[k] - l1);
        const double sz = (h2[k] - s2) + (q2[k] - l2);
        const double txx = (h3[k] - s3) + (q3[k] - l3);
        const double txy = (h4[k] - s4) + (q4[k] - l4);
        const double txz = (h5[k] - s5) + (q5[k] - l5);
        const double tyy = (h6[k] - s6) + (q6[k] - l6);
        const double tyz = (h7[k] - s7) + (q7[k] - l7);
        const double tzz = (h8[k] - s8) + (q8[k] - l8);
        const double inverseN = 1.0 / (n > 0.5 ? n : 1.0);
        const double fxx = txx - sx * sx * inverseN;
        const double fxy = txy - sx * sy * inverseN;
        const double fxz = txz - sx * sz * inverseN;
        const double fyy = tyy - sy * sy * inverseN;
        const double fyz = tyz - sy * sz * inverseN;
        const double fzz = tzz - sz * sz * inverseN;
        const double traceA = txx + tyy + tzz;
        const double traceF = fxx + fyy + fzz;
        const double entryError = (n + 8.0) * kU * traceA + 4.0 * tiny * (1.0 + std::sqrt(traceA));
        const double errorA = 3.0 * entryError;
        const double errorF = 3.0 * (16.0 * kU * traceA + (n + 8.0) * kU * std::fabs(traceF) + 4.0 * tiny * (1.0 + std::sqrt(traceA)));
        const double rx = x0 - endX[k];
        const double ry = y0 - endY[k];
        const double rz = z0 - endZ[k];
        const double rNorm = std::sqrt(rx * rx + ry * ry + rz * rz);

        double ax = sx, ay = sy, az = sz, rhoA, resA, gapA;
        const double sineA = Axis(txx, txy, txz, tyy, tyz, tzz, errorA, ax, ay, az, rhoA, resA, gapA);
        double fx = rx, fy = ry, fz = rz, rhoF, resF, gapF;
        const double sineF = Axis(fxx, fxy, fxz, fyy, fyz, fzz, errorF, fx, fy, fz, rhoF, resF, gapF);

        // alpha: both axes turned along the reference, certainly.
        const double inverseR = 1.0 / (rNorm > 0.0 ? rNorm : 1.0);
        const double turnA = (ax * rx + ay * ry + az * rz) * inverseR;
        const double turnF = (fx * rx + fy * ry + fz * rz) * inverseR;
        const double offA = 1.5708 * sineA + 1e-9;
        const double offF = 1.5708 * sineF + 1e-9;
        // Conditions as 0 or 1 (products for "and", maxima for "or"), which
        // the compiler keeps in vectors of doubles.
        const double turned = (rNorm > 0.0 ? 1.0 : 0.0) * (std::fabs(turnA) > offA ? 1.0 : 0.0) *
                              (std::fabs(turnF) > offF ? 1.0 : 0.0) * (sineA < 1.0 ? 1.0 : 0.0) *
                              (sineF < 1.0 ? 1.0 : 0.0) * (n >= 2.0 ? 1.0 : 0.0);
        const double dot = ((turnA > 0.0) == (turnF > 0.0) ? 1.0 : -1.0) * (ax * fx + ay * fy + az * fz);
        const double off = offA + offF + 1e-7;
        // The angle exceeds limit + off when its cosine lies below
        // cos(limit + off) >= cos(limit) - |cos(limit)| off²/2 - sin(limit) off.
        const double alphaFailsA = turned * (dot < cosA - std::fabs(cosA) * off * off * 0.5 - sinA * off - 1e-12 ? 1.0 : 0.0);
        const double alphaFailsB = turned * (dot < cosB - std::fabs(cosB) * off * off * 0.5 - sinB * off - 1e-12 ? 1.0 : 0.0);

        // MAD >= atan(sqrt(e_min / e_max)); e_min >= det / (sum of the 2 x 2
        // minors), e_max <= rho + residual² / gap, each less what the
        // matrix and the exact solver may be off.
        const double det = txx * (tyy * tzz - tyz * tyz) - txy * (txy * tzz - tyz * txz) + txz * (txy * tyz - tyy * txz);
        const double minors = txx * tyy - txy * txy + txx * tzz - txz * txz + tyy * tzz - tyz * tyz;
        const double traceSq = traceA * traceA;
        const double detLb = det - 18.0 * entryError * traceSq - 24.0 * kU * traceSq * traceA;
        const double minorsUb = minors + 6.0 * entryError * traceA + 12.0 * kU * traceSq;
        const double spread = errorA + 64.0 * kU * traceA;
        const double largestUb = rhoA + resA / (gapA > 0.0 ? gapA : 1.0) + spread;
        const double madKnown = (sineA < 1.0 ? 1.0 : 0.0) * (detLb > 0.0 ? 1.0 : 0.0) * (minorsUb > 0.0 ? 1.0 : 0.0);
        // e_min - spread > tan² limit e_max, with e_min >= detLb / minorsUb.
        const double madFailsA = madKnown * (detLb > minorsUb * (madA * largestUb + spread) ? 1.0 : 0.0);
        const double madFailsB = madKnown * (detLb > minorsUb * (madB * largestUb + spread) ? 1.0 : 0.0);

        failing[k] = std::max(std::max(alphaFailsA, madFailsA), outA) * std::max(std::max(alphaFailsB, madFailsB), outB);
    }
}

KORVANES_VECTOR_CLONES void CkDiffFailing(const CkDiffInputs& in)
{
    CkDiffKeysOf(in);
}

KORVANES_VECTOR_CLONES void DirectionKeys(const DirectionInputs& in, int count, double* __restrict failing)
{
    DirectionKeysOf(in, count, failing);
}

// The running sums of the Arai points (x, y, xx, yy, xy, the corrected x
// and its square, and the steps' dxx, dyy, dxy) all at once: each the same
// two-sum steps as RunningSum::Add, side by side so that they go in
// vectors. The step sums take one term fewer than there are points.
struct PointSums {
    static constexpr int kSums = 10;
    static constexpr int kStepSums = 7;  // the first of the step sums
    double* hi[kSums];
    double* lo[kSums];
    double absTotal[kSums];
};

KORVANES_VECTOR_CLONES void RunPointSums(const double* x, const double* y, const double* cx, int points,
                                         PointSums& out)
{
    // Four sums to a vector: x, y, xx, yy | xy, cx, cxx, dxx | dyy, dxy, -, -.
    using Lanes = double __attribute__((vector_size(32)));
    using LaneBits = std::int64_t __attribute__((vector_size(32)));
    constexpr int kVectors = 3;
    const LaneBits magnitude = {INT64_MAX, INT64_MAX, INT64_MAX, INT64_MAX};
    Lanes h[kVectors] = {};
    Lanes l[kVectors] = {};
    Lanes a[kVectors] = {};
    for (int k = 0; k < points; ++k) {
        const double xk = x[k];
        const double yk = y[k];
        const double ck = cx[k];
        const bool step = k + 1 < points;
        const double dx = step ? xk - x[k + 1] : 0.0;
        const double dy = step ? yk - y[k + 1] : 0.0;
        const auto add = [&](int v, const Lanes& t) {
            const Lanes sum = h[v] + t;
            const Lanes b = sum - h[v];
            const Lanes e = (h[v] - (sum - b)) + (t - b);
            const Lanes low = l[v] + e;
            h[v] = sum + low;
            l[v] = low - (h[v] - sum);
            a[v] += reinterpret_cast<Lanes>(reinterpret_cast<LaneBits>(t) & magnitude);
        };
        add(0, Lanes{xk, yk, xk * xk, yk * yk});
        add(1, Lanes{xk * yk, ck, ck * ck, dx * dx});
        add(2, Lanes{dy * dy, dx * dy, 0.0, 0.0});
        const std::size_t at = static_cast<std::size_t>(k) + 1;
        for (int s = 0; s < PointSums::kStepSums; ++s) {
            out.hi[s][at] = h[s / 4][s % 4];
            out.lo[s][at] = l[s / 4][s % 4];
        }
        if (step) {
            for (int s = PointSums::kStepSums; s < PointSums::kSums; ++s) {
                out.hi[s][at] = h[s / 4][s % 4];
                out.lo[s][at] = l[s / 4][s % 4];
            }
        }
    }
    for (int s = 0; s < PointSums::kSums; ++s) {
        out.absTotal[s] = a[s / 4][s % 4];
    }
}

}  // namespace

void RangeScreen::RunningSum::Reset(int terms)
{
    // Every entry past the first is written by Add.
    hi.resize(static_cast<std::size_t>(terms) + 1);
    lo.resize(static_cast<std::size_t>(terms) + 1);
    hi[0] = 0.0;
    lo[0] = 0.0;
    absTotal = 0.0;
    tinyError = 0.0;
}

void RangeScreen::RunningSum::Finish()
{
    // Each step of a double-double sum errs by a few u² of the running
    // magnitude.
    const std::size_t terms = hi.size() - 1;
    if (terms > 0) {
        tinyError = 16.0 * (static_cast<double>(terms - 1) + 4.0) * kU * kU * absTotal;
    }
}

inline __attribute__((always_inline)) void RangeScreen::RunningSum::Add(int k, double term)
{
    // Two-sum of the running high part and the term; the low part collects
    // what the high part cannot hold.
    const std::size_t i = static_cast<std::size_t>(k);
    const double s = hi[i] + term;
    const double b = s - hi[i];
    const double e = (hi[i] - (s - b)) + (term - b);
    const double low = lo[i] + e;
    hi[i + 1] = s + low;
    lo[i + 1] = low - (hi[i + 1] - s);
    absTotal += std::fabs(term);
}

void RangeScreen::SparseExtremes::Build(const std::vector<double>& values)
{
    count = static_cast<int>(values.size());
    int levels = 1;
    while ((1 << levels) <= count) {
        ++levels;
    }
    const std::size_t size = static_cast<std::size_t>(levels) * static_cast<std::size_t>(count);
    maximum.resize(size);
    minimum.resize(size);
    std::copy(values.begin(), values.end(), maximum.begin());
    std::copy(values.begin(), values.end(), minimum.begin());
    for (int l = 1; l < levels; ++l) {
        const int half = 1 << (l - 1);
        for (int k = 0; k + (1 << l) <= count; ++k) {
            const std::size_t at = static_cast<std::size_t>(l * count + k);
            const std::size_t a = static_cast<std::size_t>((l - 1) * count + k);
            maximum[at] = std::max(maximum[a], maximum[a + static_cast<std::size_t>(half)]);
            minimum[at] = std::min(minimum[a], minimum[a + static_cast<std::size_t>(half)]);
        }
    }
}

double RangeScreen::SparseExtremes::Max(int k0, int k1) const
{
    const int l = 31 - __builtin_clz(static_cast<unsigned>(k1 - k0 + 1));
    return std::max(maximum[static_cast<std::size_t>(l * count + k0)],
                    maximum[static_cast<std::size_t>(l * count + k1 - (1 << l) + 1)]);
}

double RangeScreen::SparseExtremes::Min(int k0, int k1) const
{
    const int l = 31 - __builtin_clz(static_cast<unsigned>(k1 - k0 + 1));
    return std::min(minimum[static_cast<std::size_t>(l * count + k0)],
                    minimum[static_cast<std::size_t>(l * count + k1 - (1 << l) + 1)]);
}

bool RangeScreen::Prepare(const CKorvanesToolDoc& doc, const AraiPairing& plain, const AraiPairing& corrected,
                          unsigned classes)
{
    const std::vector<CStepVector>& zeroField = doc.m_zeroFieldSteps;
    const int count = static_cast<int>(zeroField.size());
    m_doc = &doc;
    m_corrected = doc.m_options.m_checkCorrected != 0;
    m_maximizeQ = doc.m_criteria.maximizeQ != 0;
    if (count == 0 || !plain.paired || !plain.ascending || plain.count != count ||
        (!m_corrected && (!corrected.paired || corrected.count != count))) {
        return false;
    }

    // The blocks of equal temperatures (the list ascends).
    m_firstOf.resize(static_cast<std::size_t>(count));
    m_lastOf.resize(static_cast<std::size_t>(count));
    int first = 0;
    bool repeated = false;  // some temperature has more than one step
    for (int k = 0; k < count; ++k) {
        if (k > 0 && zeroField[static_cast<std::size_t>(k)].temperature !=
                         zeroField[static_cast<std::size_t>(k) - 1].temperature) {
            first = k;
        }
        repeated |= first != k;
        m_firstOf[static_cast<std::size_t>(k)] = first;
    }
    if (!repeated) {
        std::copy(m_firstOf.begin(), m_firstOf.end(), m_lastOf.begin());
    } else {
        for (int k = count - 1; k >= 0; --k) {
            const bool same = k + 1 < count && m_firstOf[static_cast<std::size_t>(k) + 1] == m_firstOf[static_cast<std::size_t>(k)];
            m_lastOf[static_cast<std::size_t>(k)] = same ? m_lastOf[static_cast<std::size_t>(k) + 1] : k;
        }
    }

    // The Arai points and their running sums.
    m_pointsBefore.resize(static_cast<std::size_t>(count) + 1);
    m_x.resize(static_cast<std::size_t>(count));
    m_y.resize(static_cast<std::size_t>(count));
    m_correctedX.resize(static_cast<std::size_t>(count));
    int points = 0;
    for (int k = 0; k < count; ++k) {
        m_pointsBefore[static_cast<std::size_t>(k)] = points;
        if (!plain.measured[k]) {
            continue;
        }
        if (!m_corrected && !corrected.measured[k]) {
            return false;  // the corrected list pairs other steps: no d(pal) bound
        }
        const std::size_t at = static_cast<std::size_t>(points++);
        m_x[at] = plain.x[k];
        m_y[at] = zeroField[static_cast<std::size_t>(k)].magnitude;
        m_correctedX[at] = m_corrected ? 0.0 : corrected.x[k];
    }
    m_x.resize(static_cast<std::size_t>(points));
    m_y.resize(static_cast<std::size_t>(points));
    m_correctedX.resize(static_cast<std::size_t>(points));
    m_pointsBefore[static_cast<std::size_t>(count)] = points;

    RunningSum* const pointSums[PointSums::kSums] = {&m_sx, &m_sy,  &m_sxx, &m_syy, &m_sxy,
                                                     &m_cx, &m_cxx, &m_dxx, &m_dyy, &m_dxy};
    PointSums out;
    for (int s = 0; s < PointSums::kSums; ++s) {
        RunningSum& sum = *pointSums[s];
        sum.Reset(s < PointSums::kStepSums ? points : std::max(points - 1, 0));
        out.hi[s] = sum.hi.data();
        out.lo[s] = sum.lo.data();
    }
    RunPointSums(m_x.data(), m_y.data(), m_correctedX.data(), points, out);
    for (int s = 0; s < PointSums::kSums; ++s) {
        pointSums[s]->absTotal = out.absTotal[s];
        pointSums[s]->Finish();
    }
    m_extremesReady = false;
    m_xMax = points > 0 ? *std::max_element(m_x.begin(), m_x.end()) : 0.0;
    m_yMax = points > 0 ? *std::max_element(m_y.begin(), m_y.end()) : 0.0;

    m_momentsReady = false;

    // The largest check difference per upper end: each check counts from
    // the first list position whose temperature takes it in.
    auto perUpperEnd = [&zeroField, count](std::vector<double>& maxima, const std::vector<CStepVector>& list,
                                           bool atOrBelow, bool ownTemperature) {
        maxima.assign(static_cast<std::size_t>(count) + 1, 0.0);
        // The items mostly come in temperature order: the first position
        // that takes an item in is looked for a few steps on from the last
        // one, and searched for otherwise.
        constexpr int kNear = 8;
        int from = 0;
        int previous = std::numeric_limits<int>::min();
        for (const CStepVector& item : list) {
            const int t = ownTemperature ? item.stepTemperature : item.temperature;
            const auto below = [&zeroField, t, atOrBelow](int k) {
                const int s = zeroField[static_cast<std::size_t>(k)].temperature;
                return atOrBelow ? s < t : s <= t;
            };
            int start = t < previous ? 0 : from;
            previous = t;
            const int near = std::min(start + kNear, count);
            while (start < near && below(start)) {
                ++start;
            }
            if (start == near && start < count && below(start)) {
                int high = count;  // below(start) holds, below(high) does not (or high is the end)
                while (high - start > 1) {
                    const int middle = start + (high - start) / 2;
                    (below(middle) ? start : high) = middle;
                }
                start = high;
            }
            from = start;
            const double m = std::fabs(item.magnitude);
            double& slot = maxima[static_cast<std::size_t>(from)];
            if (m > slot) {
                slot = m;
            }
        }
        for (std::size_t k = 1; k < maxima.size(); ++k) {
            maxima[k] = std::max(maxima[k], maxima[k - 1]);
        }
    };
    perUpperEnd(m_checkMax, doc.m_ptrmCheckDiffs, false, true);  // unused once the correction is applied
    perUpperEnd(m_additivityMax, doc.m_additivityResults, false, true);
    perUpperEnd(m_tailMax, doc.m_tailCheckStats, true, false);
    m_hasTails = !doc.m_tailCheckStats.empty();

    // What the quick bound adds for the terms of the running sums' error that
    // do not depend on the range (a bound for all of them at once).
    m_quickTiny = 4.0 * (m_sxx.tinyError + m_syy.tinyError + m_sxy.tinyError + m_dxx.tinyError + m_dyy.tinyError +
                         m_dxy.tinyError + (m_sx.tinyError + m_sy.tinyError) * (m_xMax + m_yMax + 1.0));

    // The running sums at each upper end (the last point of the block of its
    // temperature), for QuickKeys; the last end repeated kQuickPad times, so
    // that every row is worked out in whole vectors.
    const std::size_t padded = static_cast<std::size_t>(count + kQuickPad);
    m_endN.resize(padded);
    m_endX.resize(padded);
    m_endY.resize(padded);
    RunningSum* ends[8] = {&m_sx, &m_sy, &m_sxx, &m_syy, &m_sxy, &m_dxx, &m_dyy, &m_dxy};
    // Where every step is a point of its own temperature (as in nearly
    // every experiment), the ends are the points themselves and the running
    // sums at them the running sums, continued kQuickPad times; otherwise
    // they are gathered.
    const bool ownBlocks = points == count && !repeated;
    m_ownBlocks = ownBlocks;
    for (int j = 0; ownBlocks && j < count + kQuickPad; ++j) {
        const std::size_t last = static_cast<std::size_t>(std::min(j, count - 1));
        m_endN[static_cast<std::size_t>(j)] = static_cast<double>(last + 1);
        m_endX[static_cast<std::size_t>(j)] = m_x[last];
        m_endY[static_cast<std::size_t>(j)] = m_y[last];
    }
    for (int j = 0; !ownBlocks && j < count + kQuickPad; ++j) {
        const std::size_t sj = static_cast<std::size_t>(j);
        const int end =
            m_pointsBefore[static_cast<std::size_t>(m_lastOf[static_cast<std::size_t>(std::min(j, count - 1))]) + 1];
        const std::size_t last = static_cast<std::size_t>(std::max(end - 1, 0));
        m_endN[sj] = end;
        m_endX[sj] = points > 0 ? m_x[last] : 0.0;
        m_endY[sj] = points > 0 ? m_y[last] : 0.0;
    }
    for (int s = 0; s < 8; ++s) {
        RunningSum& sum = *ends[s];
        const std::size_t us = static_cast<std::size_t>(s);
        // The step sums run over steps 0..end-2: their running sum at end - 1.
        const std::size_t shift = s < 5 ? 1 : 0;
        if (ownBlocks) {
            sum.hi.resize(sum.hi.size() + kQuickPad, sum.hi.back());
            sum.lo.resize(sum.lo.size() + kQuickPad, sum.lo.back());
            m_endHiAt[us] = sum.hi.data() + shift;
            m_endLoAt[us] = sum.lo.data() + shift;
            continue;
        }
        m_endHi[us].resize(padded);
        m_endLo[us].resize(padded);
        for (std::size_t j = 0; j < padded; ++j) {
            const int end = static_cast<int>(m_endN[j]);
            const std::size_t at =
                std::min(static_cast<std::size_t>(shift == 1 ? end : std::max(end - 1, 0)), sum.hi.size() - 1);
            m_endHi[us][j] = sum.hi[at];
            m_endLo[us][j] = sum.lo[at];
        }
        m_endHiAt[us] = m_endHi[us].data();
        m_endLoAt[us] = m_endLo[us].data();
    }
    m_ckDiffEndsReady = false;

    m_directionRowsReady = false;
    ++m_lists;  // the fits kept so far are of other lists
    if (static_cast<std::size_t>(count) <= kKeptFitSteps) {
        m_keptFits.resize(std::max(m_keptFits.size(), static_cast<std::size_t>(count) * static_cast<std::size_t>(count)));
    }

    m_rowExtremes.resize(5 * padded);
    // 1 / n does not depend on the lists: the table only grows.
    for (std::size_t n = m_inverse.size(); n <= static_cast<std::size_t>(points); ++n) {
        m_inverse.push_back(n > 0 ? 1.0 / static_cast<double>(n) : 0.0);
    }

    Retarget(doc, classes);

    double total = 0.0;
    for (const RunningSum* sum : {&m_sx, &m_sy, &m_sxx, &m_syy, &m_sxy, &m_cxx, &m_dxx, &m_dyy, &m_dxy}) {
        total += sum->absTotal;
    }
    return std::isfinite(total * 4.0) && std::isfinite(doc.m_plotBounds.maxNrm * doc.m_plotBounds.maxTailTStar);
}

void RangeScreen::Retarget(const CKorvanesToolDoc& doc, unsigned classes)
{
    m_doc = &doc;
    m_fixedTStar = doc.m_result.dTStar;
    const int points = static_cast<int>(m_x.size());
    const unsigned possible = (NeverMet(doc.m_criteria.classA, points) ? 0u : kMayBeClassA) |
                              (NeverMet(doc.m_criteria.classB, points) ? 0u : kMayBeClassB);
    m_classes = classes & possible;
    m_classesAOrB = possible;
    for (std::size_t variant = 0; variant < 2; ++variant) {
        const unsigned wanted = variant == 0 ? m_classes : m_classesAOrB;
        for (std::size_t c = 0; c < 2; ++c) {
            const ClassThresholds& t = c == 0 ? doc.m_criteria.classA : doc.m_criteria.classB;
            QuickLimits& limits = m_quickLimits[variant];
            limits.minN[c] = (wanted & (c == 0 ? kMayBeClassA : kMayBeClassB)) != 0 ? t.minN : kInfinity;
            limits.rel[c] = t.maxSlopeRelStd * t.maxSlopeRelStd;
            limits.q[c] = t.minQ > 0 ? static_cast<double>(t.minQ) * t.minQ : 0.0;
        }
    }
    m_directionLimitsReady = false;
}

bool RangeScreen::LineFit(int first, int last, Fit& fit) const
{
    // The fits of a few steps' ranges are kept for the searches over the
    // same lists (the candidates of one search are mostly those of the
    // next, and a seed's bounds are asked for twice).
    const std::size_t count = m_lastOf.size();
    if (count <= kKeptFitSteps) {
        KeptFit& kept = m_keptFits[static_cast<std::size_t>(first) * count + static_cast<std::size_t>(last)];
        if (kept.lists != m_lists) {
            kept.usable = ComputeLineFit(first, last, kept.fit);
            kept.lists = m_lists;
        }
        fit = kept.fit;
        return kept.usable;
    }
    return ComputeLineFit(first, last, fit);
}

void RangeScreen::InnerExtremes(int k0, int k1, double& xLow, double& xHigh, double& yLow, double& yHigh) const
{
    // A short range is scanned; the table for long ones is made on first use.
    constexpr int kScanned = 32;
    if (k1 - k0 < kScanned) {
        // x and y side by side.
        using Both = double __attribute__((vector_size(16)));
        const double* const x = m_x.data();
        const double* const y = m_y.data();
        Both low = {x[k0], y[k0]};
        Both high = low;
        for (int k = k0 + 1; k <= k1; ++k) {
            const Both v = {x[k], y[k]};
            low = v < low ? v : low;
            high = high < v ? v : high;
        }
        xLow = low[0];
        yLow = low[1];
        xHigh = high[0];
        yHigh = high[1];
        return;
    }
    if (!m_extremesReady) {
        m_xExtremes.Build(m_x);
        m_yExtremes.Build(m_y);
        m_extremesReady = true;
    }
    xLow = m_xExtremes.Min(k0, k1);
    xHigh = m_xExtremes.Max(k0, k1);
    yLow = m_yExtremes.Min(k0, k1);
    yHigh = m_yExtremes.Max(k0, k1);
}

bool RangeScreen::ComputeLineFit(int first, int last, Fit& fit) const
{
    fit = Fit{};
    const int c0 = m_pointsBefore[static_cast<std::size_t>(first)];
    const int c1 = m_pointsBefore[static_cast<std::size_t>(last) + 1];
    const int n = c1 - c0;
    fit.n = n;
    if (n < 3) {
        // No scatter is defined for two points: q and w are 0.
        fit.zeroValue = true;
        return true;
    }
    const std::size_t ns = static_cast<std::size_t>(n);
    const double dn = n;
    const double inverse = m_inverse[ns];

    // Centred sums, with what they may be off from the exact evaluation's
    // (which sums the deviations from its means, erring by about n units of
    // the result).
    const double sx = m_sx.Sum(c0, c1);
    const double sy = m_sy.Sum(c0, c1);
    const double sxxRaw = m_sxx.Sum(c0, c1);
    const double syyRaw = m_syy.Sum(c0, c1);
    const double sxyRaw = m_sxy.Sum(c0, c1);
    const double xMean = sx * inverse;
    const double yMean = sy * inverse;
    const double sxx = sxxRaw - sx * xMean;
    const double syy = syyRaw - sy * yMean;
    const double sxy = sxyRaw - sx * yMean;
    const double exactRounding = (dn + 8.0) * kU;
    const double sxxError = 16.0 * kU * sxxRaw + exactRounding * std::fabs(sxx) + m_sxx.tinyError +
                            2.0 * xMean * m_sx.tinyError;
    const double syyError = 16.0 * kU * syyRaw + exactRounding * std::fabs(syy) + m_syy.tinyError +
                            2.0 * yMean * m_sy.tinyError;
    if (!(sxx > 0.0) || !(syy > 0.0) || !(sxxError <= kFirstOrder * sxx) || !(syyError <= kFirstOrder * syy)) {
        return false;  // no slope at all, or not accurate enough to say anything
    }
    const double slope = std::sqrt(syy / sxx);  // |b|; the slope is -slope
    const double root = slope * sxx;            // sqrt(Sxx Syy)
    const double sxyError = 16.0 * kU * std::fabs(sxyRaw) + exactRounding * root + m_sxy.tinyError +
                            xMean * m_sy.tinyError + yMean * m_sx.tinyError;
    if (!(sxyError <= kFirstOrder * root)) {
        return false;
    }
    // Relative errors of the centred sums, and of |b|.
    const double exx = sxxError / sxx;
    const double eyy = syyError / syy;
    const double exy = sxyError / root;
    const double slopeError = 0.51 * (exx + eyy) + 8.0 * kU;
    fit.slopeLb = slope * (1.0 - slopeError);
    fit.slopeUb = slope * (1.0 + slopeError);

    // D = 1 + r with r the correlation of the points (about -1 for a good
    // line): sigma_b / |b| = sqrt(2 D / (n - 2)), w = f g / sqrt(2 D) and
    // q = w sqrt(n - 2).
    const double r = sxy / root;
    if (!(std::fabs(r) <= 1.01)) {
        return false;
    }
    const double dLb = 1.0 + r - (exy + std::fabs(r) * slopeError + 64.0 * kU);

    // The intercept a = mean y + |b| mean x.
    const double a = yMean + slope * xMean;
    const double aError = exactRounding * yMean + m_sy.tinyError * inverse +
                          slope * (exactRounding * xMean + m_sx.tinyError * inverse) + slopeError * slope * xMean +
                          8.0 * kU * a;
    fit.aLb = a - aError;
    fit.aUb = a + aError;
    if (!(fit.aUb > 0.0)) {
        // Every projected point is the intercept: no span, f = g = 0.
        fit.zeroValue = true;
        return true;
    }
    if (!(fit.aLb > 0.0)) {
        return false;
    }

    // The projected points (y + (b x + a)) / 2, clamped to 0..a, and what
    // each may be off from the exact evaluation's.
    const double scale = m_yMax + slope * m_xMax + a;
    const double projectionError = 0.5 * (m_xMax * slope * slopeError + aError) + 4.0 * kU * scale;
    const double clampedError = projectionError + aError;
    const double* x = m_x.data();
    const double* y = m_y.data();
    const double firstProjected = Clamp(0.5 * (y[c0] - slope * x[c0] + a), a);
    const double lastProjected = Clamp(0.5 * (y[c1 - 1] - slope * x[c1 - 1] + a), a);
    // The points between the ends: their projections lie within these.
    const int i0 = c0 + 1;
    const int i1 = c1 - 2;
    double xLow, xHigh, yLow, yHigh;
    InnerExtremes(i0, i1, xLow, xHigh, yLow, yHigh);
    const double innerHigh = 0.5 * (yHigh - slope * xLow + a);
    const double innerLow = 0.5 * (yLow - slope * xHigh + a);
    const double top = std::max(std::max(firstProjected, lastProjected), Clamp(innerHigh, a)) + clampedError;
    const double bottom = std::min(std::min(firstProjected, lastProjected), Clamp(innerLow, a)) - clampedError;
    fit.spanUb = std::min(top - std::max(bottom, 0.0), fit.aUb);
    fit.spanLb = std::max(0.0, std::fabs(firstProjected - lastProjected) - 2.0 * clampedError);
    // Below this the span's square may vanish in the exact evaluation.
    const bool spanKnown = fit.spanLb > 1e-140;

    // G, the sum of squared steps between consecutive projected points.
    // Between the ends a step is (dy + b dx) / 2, which sums from the
    // running sums while no point between the ends is clamped.
    const double slopeSq = slope * slope;
    const double roundingStep = 8.0 * kU * scale;  // what the exact rounding may change a step by
    const bool innerUnclamped = innerLow - projectionError >= 0.0 && innerHigh + projectionError <= fit.aLb;
    const int p0 = innerUnclamped ? i0 : c0;  // the steps summed: p0..p1-1
    const int p1 = innerUnclamped ? i1 : c1 - 1;
    const double dyy = m_dyy.Sum(p0, p1);
    const double dxy = m_dxy.Sum(p0, p1);
    const double dxx = m_dxx.Sum(p0, p1);
    double g = 0.25 * (dyy - 2.0 * slope * dxy + slopeSq * dxx);
    double gError = 0.25 * (2.0 * slope * slopeError * std::fabs(dxy) + 3.0 * slopeError * slopeSq * dxx) +
                    0.25 * (16.0 * kU * (dyy + 2.0 * slope * std::fabs(dxy) + slopeSq * dxx) + m_dyy.tinyError +
                            2.0 * slope * m_dxy.tinyError + slopeSq * m_dxx.tinyError);
    if (innerUnclamped) {
        const double d0 = firstProjected - 0.5 * (y[i0] - slope * x[i0] + a);
        const double d1 = 0.5 * (y[i1] - slope * x[i1] + a) - lastProjected;
        const double endError = clampedError + projectionError;
        g += d0 * d0 + d1 * d1;
        gError += (2.0 * std::fabs(d0) + endError) * endError + (2.0 * std::fabs(d1) + endError) * endError;
    }
    // Else clamping only shortens steps: the unclamped sum bounds G from above.
    if (!(fit.spanUb > 0.0)) {
        return false;
    }
    const double inverseSpanUb = 1.0 / fit.spanUb;
    // The exact evaluation's own rounding: 2 e sqrt((n - 1) G) <= e ((n - 1) span + G / span).
    gError += roundingStep * ((dn - 1.0) * fit.spanUb + std::fabs(g) * inverseSpanUb) +
              (dn - 1.0) * roundingStep * roundingStep + (dn + 8.0) * kU * std::fabs(g);
    const double gLb = innerUnclamped ? std::max(0.0, g - gError) : 0.0;
    const double gUb = g + gError;

    // f = span / a (never above 1), g = 1 - G / span², so
    // f g = (span - G / span) / a: rising with the span, falling with G.
    const double inverseA = 1.0 / fit.aLb;
    fit.fUb = std::min(1.0, Up(fit.spanUb * inverseA));
    double fgUb = kInfinity;
    if (spanKnown) {
        const double inverseSpanLb = 1.0 / fit.spanLb;
        const double rising = (fit.spanUb - gLb * inverseSpanUb) * inverseA;
        const double falling = (gUb * inverseSpanLb - fit.spanLb) * inverseA;
        fgUb = std::max(std::max(0.0, rising), falling);
        if (gUb > 1e280 * fit.spanLb * fit.spanLb) {
            fgUb = std::max(fgUb, fit.fUb);  // G / span² may overflow: g then reads 1
        }
        fgUb += 8.0 * kU * (fit.spanUb + gUb * inverseSpanLb) * inverseA;
    }
    // Whatever the span: no step exceeds it, so G <= (n - 1) span² and
    // |g| <= n - 2.
    fgUb = std::min(fgUb, Up(fit.fUb * std::max(1.0, dn - 2.0)));

    if (dLb > 0.0) {
        const double wSq = Up(Up(fgUb * fgUb / (2.0 * dLb)));
        fit.qUbSq = wSq * (dn - 2.0);
        fit.valueSq = m_maximizeQ ? fit.qUbSq : wSq;
        fit.relStdLbSq = Down(2.0 * dLb * m_inverse[ns - 2]);
    }
    // Otherwise the points may lie exactly on a line: q and w may be the
    // stand-in for no scatter, and nothing bounds them.
    return true;
}

unsigned RangeScreen::LineClasses(const Fit& fit) const
{
    unsigned classes = 0;
    for (const unsigned c : {kMayBeClassA, kMayBeClassB}) {
        if ((m_classes & c) == 0) {
            continue;
        }
        const ClassThresholds& t = c == kMayBeClassA ? m_doc->m_criteria.classA : m_doc->m_criteria.classB;
        const double minQ = t.minQ;
        const bool fails = fit.n < t.minN || fit.relStdLbSq > t.maxSlopeRelStd * t.maxSlopeRelStd ||
                           fit.fUb < t.minF || (minQ > 0.0 && fit.qUbSq < minQ * minQ);
        if (!fails) {
            classes |= c;
        }
    }
    return classes;
}

void RangeScreen::QuickKeys(const int* firstPartners, std::size_t pairs, float* keys, bool asAOrB) const
{
    QuickInputs in;  // every field is set below
    in.endN = m_endN.data();
    in.endX = m_endX.data();
    in.endY = m_endY.data();
    const RunningSum* sums[8] = {&m_sx, &m_sy, &m_sxx, &m_syy, &m_sxy, &m_dxx, &m_dyy, &m_dxy};
    for (std::size_t k = 0; k < 8; ++k) {
        in.endHi[k] = m_endHiAt[k];
        in.endLo[k] = m_endLoAt[k];
        in.startHi[k] = sums[k]->hi.data();
        in.startLo[k] = sums[k]->lo.data();
    }
    in.x = m_x.data();
    in.y = m_y.data();
    in.pointsBefore = m_pointsBefore.data();
    in.firstOf = m_firstOf.data();
    in.firstPartners = firstPartners;
    in.count = static_cast<int>(m_lastOf.size());
    in.points = static_cast<int>(m_x.size());
    in.extremes = m_rowExtremes.data();
    m_quickKeys.resize(pairs + kQuickPad);
    in.keys = m_quickKeys.data();
    in.tiny = m_quickTiny;
    in.xMax = m_xMax;
    in.yMax = m_yMax;
    const QuickLimits& limits = m_quickLimits[asAOrB ? 1 : 0];
    for (std::size_t c = 0; c < 2; ++c) {
        in.minN[c] = limits.minN[c];
        in.rel[c] = limits.rel[c];
        in.q[c] = limits.q[c];
    }
    if (m_maximizeQ) {
        QuickKeysByQ(in, keys);
    } else {
        QuickKeysByW(in, keys);
    }
}

void RangeScreen::CkDiffKeys(const int* firstPartners, std::size_t pairs, float* keys, float* keysAOrB) const
{
    if (!CkDiffTested()) {
        return;
    }
    const RunningSum* sums[4] = {&m_sx, &m_sxx, &m_cx, &m_cxx};
    if (!m_ckDiffEndsReady) {
        // The corrected sums at the upper ends, as those of Prepare: where
        // every step is a point of its own temperature, the running sums
        // from the first point on, continued.
        const std::size_t padded = m_endN.size();
        for (std::size_t k = 0; k < 2; ++k) {
            const RunningSum& sum = *sums[k + 2];
            m_ckDiffEndHi[k].resize(padded);
            m_ckDiffEndLo[k].resize(padded);
            if (m_ownBlocks) {
                const std::size_t points = sum.hi.size() - 1;
                std::copy(sum.hi.begin() + 1, sum.hi.end(), m_ckDiffEndHi[k].begin());
                std::copy(sum.lo.begin() + 1, sum.lo.end(), m_ckDiffEndLo[k].begin());
                std::fill(m_ckDiffEndHi[k].begin() + static_cast<std::ptrdiff_t>(points), m_ckDiffEndHi[k].end(),
                          sum.hi.back());
                std::fill(m_ckDiffEndLo[k].begin() + static_cast<std::ptrdiff_t>(points), m_ckDiffEndLo[k].end(),
                          sum.lo.back());
                continue;
            }
            for (std::size_t j = 0; j < padded; ++j) {
                const std::size_t at = std::min(static_cast<std::size_t>(m_endN[j]), sum.hi.size() - 1);
                m_ckDiffEndHi[k][j] = sum.hi[at];
                m_ckDiffEndLo[k][j] = sum.lo[at];
            }
        }
        m_ckDiffEndsReady = true;
    }
    CkDiffInputs in;  // every field is set below
    in.endN = m_endN.data();
    for (std::size_t k = 0; k < 4; ++k) {
        in.endHi[k] = k < 2 ? m_endHiAt[2 * k] : m_ckDiffEndHi[k - 2].data();
        in.endLo[k] = k < 2 ? m_endLoAt[2 * k] : m_ckDiffEndLo[k - 2].data();
        in.startHi[k] = sums[k]->hi.data();
        in.startLo[k] = sums[k]->lo.data();
        in.tiny[k] = sums[k]->tinyError;
    }
    in.pointsBefore = m_pointsBefore.data();
    in.firstOf = m_firstOf.data();
    in.firstPartners = firstPartners;
    in.count = static_cast<int>(m_lastOf.size());
    in.points = static_cast<int>(m_x.size());
    for (std::size_t c = 0; c < 2; ++c) {
        const ClassThresholds& t = c == 0 ? m_doc->m_criteria.classA : m_doc->m_criteria.classB;
        const unsigned bit = c == 0 ? kMayBeClassA : kMayBeClassB;
        in.limit[c] = t.maxCkDiff;
        in.outSearch[c] = (m_classes & bit) == 0 ? 1.0 : 0.0;
        in.outAOrB[c] = (m_classesAOrB & bit) == 0 ? 1.0 : 0.0;
    }
    m_quickKeys.resize(2 * (pairs + kQuickPad));
    in.failing = m_quickKeys.data();
    in.failingAOrB = m_quickKeys.data() + pairs + kQuickPad;
    CkDiffFailing(in);
    constexpr float kNoChance = std::numeric_limits<float>::infinity();
    for (std::size_t p = 0; p < pairs; ++p) {
        keys[p] = in.failing[p] != 0.0 ? kNoChance : keys[p];
    }
    for (std::size_t p = 0; keysAOrB != nullptr && p < pairs; ++p) {
        keysAOrB[p] = in.failingAOrB[p] != 0.0 ? kNoChance : keysAOrB[p];
    }
}

const std::array<RangeScreen::DirectionLimits, 2>& RangeScreen::Limits() const
{
    if (!m_directionLimitsReady) {
        for (std::size_t c = 0; c < 2; ++c) {
            const ClassThresholds& t = c == 0 ? m_doc->m_criteria.classA : m_doc->m_criteria.classB;
            DirectionLimits& limits = m_directionLimits[c];
            limits.alphaTested = t.maxAlpha < 180;
            const double alpha = t.maxAlpha * kDegToRad;
            limits.cosAlpha = std::cos(alpha);
            limits.sinAlpha = std::sin(alpha);
            limits.madTested = t.maxMad < 90;
            const double tangent = std::tan(t.maxMad * kDegToRad);
            limits.tanMadSq = tangent * tangent * (1.0 + 1e-6) + 1e-300;
        }
        m_directionLimitsReady = true;
    }
    return m_directionLimits;
}

void RangeScreen::PrepareMoments() const
{
    // The running moments of the zero-field vectors, for the bounds of the
    // directional fits: made on their first use in a search.
    const std::vector<CStepVector>& zeroField = m_doc->m_zeroFieldSteps;
    const int count = static_cast<int>(zeroField.size());
    for (RunningSum* sum : {&m_vx, &m_vy, &m_vz, &m_vxx, &m_vxy, &m_vxz, &m_vyy, &m_vyz, &m_vzz}) {
        sum->Reset(count);
    }
    for (int k = 0; k < count; ++k) {
        const CStepVector& v = zeroField[static_cast<std::size_t>(k)];
        m_vx.Add(k, v.x);
        m_vy.Add(k, v.y);
        m_vz.Add(k, v.z);
        m_vxx.Add(k, v.x * v.x);
        m_vxy.Add(k, v.x * v.y);
        m_vxz.Add(k, v.x * v.z);
        m_vyy.Add(k, v.y * v.y);
        m_vyz.Add(k, v.y * v.z);
        m_vzz.Add(k, v.z * v.z);
    }
    for (RunningSum* sum : {&m_vx, &m_vy, &m_vz, &m_vxx, &m_vxy, &m_vxz, &m_vyy, &m_vyz, &m_vzz}) {
        sum->Finish();
    }

    m_momentsReady = true;
}

void RangeScreen::PrepareDirectionRows() const
{
    if (!m_momentsReady) {
        PrepareMoments();
    }
    // The running moments at each upper end, for DirectionRow: made on its
    // first use in a search (most searches never need it).
    // As for QuickKeys, the last end repeated kQuickPad times.
    const std::vector<CStepVector>& zeroField = m_doc->m_zeroFieldSteps;
    const int count = static_cast<int>(zeroField.size());
    const std::size_t padded = static_cast<std::size_t>(count + kQuickPad);
    m_dirEndCount.resize(padded);
    m_dirEndX.resize(padded);
    m_dirEndY.resize(padded);
    m_dirEndZ.resize(padded);
    const RunningSum* moments[9] = {&m_vx, &m_vy, &m_vz, &m_vxx, &m_vxy, &m_vxz, &m_vyy, &m_vyz, &m_vzz};
    for (std::size_t s = 0; s < 9; ++s) {
        m_dirEndHi[s].resize(padded);
        m_dirEndLo[s].resize(padded);
    }
    for (int j = 0; j < count + kQuickPad; ++j) {
        const std::size_t sj = static_cast<std::size_t>(j);
        const std::size_t last = static_cast<std::size_t>(m_lastOf[static_cast<std::size_t>(std::min(j, count - 1))]);
        m_dirEndCount[sj] = static_cast<double>(last + 1);
        m_dirEndX[sj] = zeroField[last].x;
        m_dirEndY[sj] = zeroField[last].y;
        m_dirEndZ[sj] = zeroField[last].z;
        for (std::size_t s = 0; s < 9; ++s) {
            m_dirEndHi[s][sj] = moments[s]->hi[last + 1];
            m_dirEndLo[s][sj] = moments[s]->lo[last + 1];
        }
    }

    m_directionRowsReady = true;
}

void RangeScreen::DirectionRow(int i, int jFirst, float* keys) const
{
    if (!m_directionRowsReady) {
        PrepareDirectionRows();
    }
    const int count = static_cast<int>(m_lastOf.size());
    const int first = m_firstOf[static_cast<std::size_t>(i)];
    const std::size_t f = static_cast<std::size_t>(first);
    const std::size_t jf = static_cast<std::size_t>(jFirst);
    DirectionInputs in;  // every field is set below
    in.endCount = m_dirEndCount.data() + jf;
    in.endX = m_dirEndX.data() + jf;
    in.endY = m_dirEndY.data() + jf;
    in.endZ = m_dirEndZ.data() + jf;
    const RunningSum* sums[9] = {&m_vx, &m_vy, &m_vz, &m_vxx, &m_vxy, &m_vxz, &m_vyy, &m_vyz, &m_vzz};
    for (std::size_t k = 0; k < 9; ++k) {
        in.endHi[k] = m_dirEndHi[k].data() + jf;
        in.endLo[k] = m_dirEndLo[k].data() + jf;
        in.start[k] = sums[k]->hi[f];
        in.startLo[k] = sums[k]->lo[f];
    }
    const CStepVector& p = m_doc->m_zeroFieldSteps[f];
    in.first = first;
    in.x0 = p.x;
    in.y0 = p.y;
    in.z0 = p.z;
    in.tiny = m_vxx.tinyError + m_vyy.tinyError + m_vzz.tinyError + m_vx.tinyError + m_vy.tinyError + m_vz.tinyError;
    for (std::size_t c = 0; c < 2; ++c) {
        const DirectionLimits& limits = Limits()[c];
        in.out[c] = (m_classes & (c == 0 ? kMayBeClassA : kMayBeClassB)) == 0 ? 1.0 : 0.0;
        in.cosAlpha[c] = limits.alphaTested ? limits.cosAlpha : -1.25;  // -1.25: alpha cannot fail
        in.sinAlpha[c] = limits.alphaTested ? limits.sinAlpha : 0.0;
        in.tanMadSq[c] = limits.madTested ? limits.tanMadSq : 1e300;  // 1e300: cannot fail
    }
    double* failing = m_rowExtremes.data();
    DirectionKeys(in, (count - jFirst + kQuickPad) & ~kQuickPad, failing);  // whole vectors of four
    for (int k = 0; k < count - jFirst; ++k) {
        if (failing[k] != 0.0) {
            keys[k] = std::numeric_limits<float>::infinity();
        }
    }
}

RangeScreen::LineBound RangeScreen::Line(int i, int j) const
{
    const int first = m_firstOf[static_cast<std::size_t>(i)];
    const int last = m_lastOf[static_cast<std::size_t>(j)];
    // d(pal) first: it needs no line fit.
    const unsigned classes = CkDiffClasses(first, last, m_classes);
    if (classes == 0) {
        return {0.0, 0};
    }
    Fit fit;
    if (!LineFit(first, last, fit)) {
        return {kInfinity, classes};
    }
    if (fit.zeroValue) {
        return {0.0, 0};
    }
    return {fit.valueSq, classes & LineClasses(fit)};
}

bool RangeScreen::CkDiffTested() const
{
    const double labField = m_doc->m_header.m_labField;
    return !m_corrected && std::isnormal(labField) && labField > 0.0;
}

unsigned RangeScreen::CkDiffClasses(int first, int last, unsigned classes) const
{
    // d(pal) = 100 |b'/b - 1| with b' the slope on the check-corrected pTRM,
    // (b'/b)² = Sxx / Sxx' (the same points and y); for a positive
    // laboratory field only (a negative one makes d(pal) negative). 0 once
    // the correction is applied. Needs no line fit, so it comes first.
    if (!CkDiffTested()) {
        return classes;
    }
    const int c0 = m_pointsBefore[static_cast<std::size_t>(first)];
    const int c1 = m_pointsBefore[static_cast<std::size_t>(last) + 1];
    const int n = c1 - c0;
    if (n < 2) {
        return classes;
    }
    const double inverse = m_inverse[static_cast<std::size_t>(n)];
    auto centred = [c0, c1, n, inverse](const RunningSum& linear, const RunningSum& squares, double& error) {
        const double sum = linear.Sum(c0, c1);
        const double mean = sum * inverse;
        const double raw = squares.Sum(c0, c1);
        const double value = raw - sum * mean;
        error = 16.0 * kU * raw + (n + 8.0) * kU * std::fabs(value) + squares.tinyError + 2.0 * mean * linear.tinyError;
        return value;
    };
    double sxxError = 0.0;
    double cxxError = 0.0;
    const double sxx = centred(m_sx, m_sxx, sxxError);
    const double cxx = centred(m_cx, m_cxx, cxxError);
    if (!(sxx > 0.0) || !(cxx > 0.0) || !(sxxError <= kFirstOrder * sxx) || !(cxxError <= kFirstOrder * cxx)) {
        return classes;
    }
    const double ratioLb = std::sqrt((sxx - sxxError) / (cxx + cxxError));
    const double ratioUb = std::sqrt((sxx + sxxError) / (cxx - cxxError));
    const double ckDiff = Down(100.0 * std::max({0.0, ratioLb - 1.0, 1.0 - ratioUb})) - 1e-12;
    unsigned remaining = 0;
    for (const unsigned c : {kMayBeClassA, kMayBeClassB}) {
        const ClassThresholds& t = c == kMayBeClassA ? m_doc->m_criteria.classA : m_doc->m_criteria.classB;
        if ((classes & c) != 0 && !(ckDiff > t.maxCkDiff)) {
            remaining |= c;
        }
    }
    return remaining;
}

unsigned RangeScreen::CheckClasses(const Fit& fit, int last, unsigned classes) const
{
    const CKorvanesToolDoc& doc = *m_doc;
    const std::size_t end = static_cast<std::size_t>(last);
    // trm = a / |b|; the fitted segment is span sqrt(1 + 1/b²) long.
    const double trmLb = fit.aLb / fit.slopeUb;
    const double trmUb = Up(fit.aUb / fit.slopeLb);
    const double lengthLb = fit.spanLb;  // drat reads 0 for a zero length
    const double lengthUb = Up(fit.spanUb * std::sqrt(1.0 + 1.0 / (fit.slopeLb * fit.slopeLb)));
    // With the check correction applied d(CK) and DRAT are 0 (d(pal): see
    // CkDiffClasses).
    const double checks = m_corrected ? 0.0 : m_checkMax[end];
    const double ckError = QuotientLowerBound(checks * 100.0, trmLb, trmUb);
    const double drat = QuotientLowerBound(checks * 100.0, lengthLb, lengthUb);
    const double dAC = QuotientLowerBound(m_additivityMax[end] * 100.0, trmLb, trmUb);
    const double maxNrm = std::fabs(doc.m_plotBounds.maxNrm);
    const double dTR = m_hasTails ? QuotientLowerBound(maxNrm * m_tailMax[end], fit.aLb, fit.aUb) : 0.0;
    double dTStar = m_fixedTStar;
    if (m_hasTails) {
        const double num = doc.m_plotBounds.maxNrm * doc.m_plotBounds.maxTailTStar;
        dTStar = num >= 0.0 ? QuotientLowerBound(num, fit.aLb, fit.aUb)
                            : (num > -fit.aLb * 1e300 ? Up(num / fit.aLb) : -kInfinity);
    }

    unsigned remaining = 0;
    for (const unsigned c : {kMayBeClassA, kMayBeClassB}) {
        if ((classes & c) == 0) {
            continue;
        }
        const ClassThresholds& t = c == kMayBeClassA ? doc.m_criteria.classA : doc.m_criteria.classB;
        const bool fails = ckError > t.maxCkError || drat > t.maxDrat || dAC > t.maxAc ||
                           dTR > t.maxIntensityDiff || dTStar > t.maxTailStar;
        if (!fails) {
            remaining |= c;
        }
    }
    return remaining;
}

namespace {

// A unit vector along the largest eigenvector of the symmetric positive
// semi-definite `t` (within `error` of the matrix that the exact fit builds),
// found by a few steps of power iteration from `start`, and a bound on the
// sine of its angle to the principal eigenvector that the exact fit finds:
// the residual over the gap to the second eigenvalue (at most trace - rho),
// the matrix error over that gap, and the eigen solver's own accuracy. False
// when the largest eigenvalue is not well enough apart to say.
bool PrincipalAxis(const double t[3][3], double error, const double start[3], double axis[3], double& sine)
{
    const double trace = t[0][0] + t[1][1] + t[2][2];
    double v[3] = {start[0], start[1], start[2]};
    for (int step = 0; step < 4; ++step) {
        double w[3];
        for (int r = 0; r < 3; ++r) {
            w[r] = t[r][0] * v[0] + t[r][1] * v[1] + t[r][2] * v[2];
        }
        const double norm = std::sqrt(w[0] * w[0] + w[1] * w[1] + w[2] * w[2]);
        if (!(norm > 0.0) || !std::isfinite(norm)) {
            return false;
        }
        const double inverse = 1.0 / norm;
        for (int r = 0; r < 3; ++r) {
            v[r] = w[r] * inverse;
        }
    }
    const double inverseNorm = 1.0 / std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);  // v is a unit vector
    for (int r = 0; r < 3; ++r) {
        axis[r] = v[r] * inverseNorm;
    }
    double tv[3];
    for (int r = 0; r < 3; ++r) {
        tv[r] = t[r][0] * axis[0] + t[r][1] * axis[1] + t[r][2] * axis[2];
    }
    const double rho = axis[0] * tv[0] + axis[1] * tv[1] + axis[2] * tv[2];
    double residual = 0.0;
    for (int r = 0; r < 3; ++r) {
        const double d = tv[r] - rho * axis[r];
        residual += d * d;
    }
    residual = std::sqrt(residual) + 16.0 * kU * trace;  // and the rounding of tv
    const double gap = 2.0 * rho - trace - 3.0 * error;  // rho - (trace - rho), less what t may be off
    if (!(gap > 4.0 * error) || !(gap > 0.0)) {
        return false;
    }
    sine = residual / gap + (error + 64.0 * kU * trace) / (gap - 2.0 * error);
    return sine < 0.5;
}

}  // namespace

void RangeScreen::AnchoredMoments(int first, int last, double t[3][3]) const
{
    if (!m_momentsReady) {
        PrepareMoments();
    }
    const int k1 = last + 1;
    t[0][0] = m_vxx.Sum(first, k1);
    t[0][1] = t[1][0] = m_vxy.Sum(first, k1);
    t[0][2] = t[2][0] = m_vxz.Sum(first, k1);
    t[1][1] = m_vyy.Sum(first, k1);
    t[1][2] = t[2][1] = m_vyz.Sum(first, k1);
    t[2][2] = m_vzz.Sum(first, k1);
}

unsigned RangeScreen::AlphaClasses(int first, int last, unsigned classes) const
{
    // alpha is the angle between the free and the anchored fit, each the
    // principal axis of its moment matrix turned to point along the first
    // minus the last point of the range. A lower bound: the angle between
    // the two axes found here, less what each may be off.
    double limit[2] = {kInfinity, kInfinity};
    bool any = false;
    for (const unsigned c : {kMayBeClassA, kMayBeClassB}) {
        const ClassThresholds& t = c == kMayBeClassA ? m_doc->m_criteria.classA : m_doc->m_criteria.classB;
        if ((classes & c) != 0 && t.maxAlpha < 180) {
            limit[c == kMayBeClassA ? 0 : 1] = t.maxAlpha;
            any = true;
        }
    }
    const int n = last - first + 1;
    if (!any || n < 2 || n > kMaxFitPoints) {
        return classes;
    }
    double anchored[3][3];
    AnchoredMoments(first, last, anchored);
    const int k1 = last + 1;
    const double sum[3] = {m_vx.Sum(first, k1), m_vy.Sum(first, k1), m_vz.Sum(first, k1)};
    double free[3][3];
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            free[r][c] = anchored[r][c] - sum[r] * sum[c] / n;
        }
    }
    const double traceA = anchored[0][0] + anchored[1][1] + anchored[2][2];
    const double traceF = free[0][0] + free[1][1] + free[2][2];
    const double tiny = m_vxx.tinyError + m_vyy.tinyError + m_vzz.tinyError +
                        (m_vx.tinyError + m_vy.tinyError + m_vz.tinyError) * (std::sqrt(traceA) + 1.0);
    // Spectral norms of what each matrix may be off (three times the
    // largest entry error), the exact fits' summation included.
    const double errorA = 3.0 * ((n + 8.0) * kU * traceA + 4.0 * tiny);
    const double errorF = 3.0 * (16.0 * kU * traceA + (n + 8.0) * kU * std::fabs(traceF) + 4.0 * tiny);

    // The reference direction, first minus last point, as the exact fit
    // computes it.
    const CStepVector& p0 = m_doc->m_zeroFieldSteps[static_cast<std::size_t>(first)];
    const CStepVector& p1 = m_doc->m_zeroFieldSteps[static_cast<std::size_t>(last)];
    const double reference[3] = {p0.x - p1.x, p0.y - p1.y, p0.z - p1.z};
    const double referenceNorm =
        std::sqrt(reference[0] * reference[0] + reference[1] * reference[1] + reference[2] * reference[2]);
    if (!(referenceNorm > 0.0)) {
        return classes;
    }
    double axisA[3];
    double axisF[3];
    double sineA = 0.0;
    double sineF = 0.0;
    if (!PrincipalAxis(anchored, errorA, sum, axisA, sineA) ||
        !PrincipalAxis(free, errorF, reference, axisF, sineF)) {
        return classes;
    }
    // Each axis turned along the reference; the turn must be certain.
    const double cosA = (axisA[0] * reference[0] + axisA[1] * reference[1] + axisA[2] * reference[2]) / referenceNorm;
    const double cosF = (axisF[0] * reference[0] + axisF[1] * reference[1] + axisF[2] * reference[2]) / referenceNorm;
    // An angle is at most pi/2 times its sine below pi/2.
    const double offA = 1.5708 * sineA + 1e-9;
    const double offF = 1.5708 * sineF + 1e-9;
    if (!(std::fabs(cosA) > offA) || !(std::fabs(cosF) > offF)) {
        return classes;
    }
    const double sense = (cosA > 0.0) == (cosF > 0.0) ? 1.0 : -1.0;
    const double dot = sense * (axisA[0] * axisF[0] + axisA[1] * axisF[1] + axisA[2] * axisF[2]);
    const double angle = std::acos(std::clamp(dot, -1.0, 1.0));
    // What the exact fit's directions and their angle may be off in rounding.
    const double alphaLb = (angle - offA - offF - 1e-7) * kRadToDeg;
    unsigned remaining = 0;
    for (const unsigned c : {kMayBeClassA, kMayBeClassB}) {
        if ((classes & c) != 0 && !(alphaLb > limit[c == kMayBeClassA ? 0 : 1])) {
            remaining |= c;
        }
    }
    return remaining;
}

unsigned RangeScreen::MadClasses(int first, int last, unsigned classes) const
{
    // MAD = atan(sqrt((e_min + e_int) / e_max)) of the eigenvalues of the
    // moment matrix of the range's vectors. Its bound needs the exact
    // eigenvalues to lie within what the matrix may be off (Weyl).
    double limitSq[2] = {kInfinity, kInfinity};
    bool any = false;
    for (const unsigned c : {kMayBeClassA, kMayBeClassB}) {
        const DirectionLimits& limits = Limits()[c == kMayBeClassA ? 0 : 1];
        if ((classes & c) != 0 && limits.madTested) {
            limitSq[c == kMayBeClassA ? 0 : 1] = limits.tanMadSq;
            any = true;
        }
    }
    const int n = last - first + 1;
    if (!any || n > kMaxFitPoints) {
        return classes;
    }
    double t[3][3];
    AnchoredMoments(first, last, t);
    const double trace = t[0][0] + t[1][1] + t[2][2];
    if (!(trace > 0.0)) {
        return classes;
    }
    double e[3];
    double v[3][3];
    SymmetricEigen3(t, e, v);
    std::sort(e, e + 3);
    const double tiny = m_vxx.tinyError + m_vyy.tinyError + m_vzz.tinyError;
    const double error = (9.0 * n + 256.0) * kU * trace + 9.0 * tiny;
    const double smallest = e[0] - error;
    if (!(smallest > 0.0)) {
        return classes;
    }
    // With eigenvalues certainly apart the middle one counts too; with a
    // possible tie the exact fit may count it as 0.
    const bool apart = e[1] - e[0] > 2.0 * error && e[2] - e[1] > 2.0 * error;
    const double ratio = Down(((apart ? e[1] - error : 0.0) + smallest) / (e[2] + error));
    unsigned remaining = 0;
    for (const unsigned c : {kMayBeClassA, kMayBeClassB}) {
        if ((classes & c) != 0 && !(ratio > limitSq[c == kMayBeClassA ? 0 : 1])) {
            remaining |= c;
        }
    }
    return remaining;
}

unsigned RangeScreen::Full(int i, int j, unsigned classes, double bestSq, bool directions) const
{
    const int first = m_firstOf[static_cast<std::size_t>(i)];
    const int last = m_lastOf[static_cast<std::size_t>(j)];
    classes = CkDiffClasses(first, last, classes & m_classes);
    Fit fit;
    if (classes != 0 && LineFit(first, last, fit)) {
        // The bounds carry a margin: a bound at most bestSq means a value
        // below the best.
        if (fit.zeroValue || !(fit.valueSq > bestSq)) {
            return 0;
        }
        classes &= LineClasses(fit);
        if (classes != 0) {
            classes = CheckClasses(fit, last, classes);
        }
    }
    if (directions && classes != 0) {
        classes = AlphaClasses(first, last, classes);
    }
    if (directions && classes != 0) {
        classes = MadClasses(first, last, classes);
    }
    return classes;
}

}  // namespace korvanes
