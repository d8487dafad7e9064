#pragma once
// Bounds on what the exact evaluation of a candidate range of the automatic
// search can give, in constant time per range from running sums over the
// Arai points, the zero-field vectors and the check series. The search uses
// them only to leave out ranges that provably cannot change its outcome: a
// range whose search value cannot beat the best so far, or that fails a
// criterion of every class it may take whatever the exact values. Every
// other range is evaluated exactly as before, so the outcome is the same bit
// for bit.
//
// Every bound covers the rounding of the running sums, of the bound itself
// and of the exact evaluation (first-order error terms with a safety factor
// of more than a thousand). Where the sums cannot give a usable bound (a
// range whose spread is tiny beside its distance from the origin, points
// that may be clamped to the intercept) the bound says nothing and the range
// is evaluated.

#include <array>
#include <cstdint>
#include <limits>
#include <vector>

#include "analysis/AraiFit.h"
#include "document/Document.h"

namespace korvanes {

// The classes a range may still take, as a bit mask: 1 class A, 2 class B.
inline constexpr unsigned kMayBeClassA = 1u;
inline constexpr unsigned kMayBeClassB = 2u;

class RangeScreen {
public:
    // Prepares the sums for one search over the document's zero-field list,
    // paired with its pTRM list by `plain` (and the check-corrected list by
    // `corrected`, unless the check correction is applied). `classes` holds
    // the classes the search accepts. False when the list cannot be screened
    // (its temperatures decrease somewhere, it was not paired in advance, or
    // a sum is not finite): every range must then be evaluated. Reuses its
    // storage: no allocation once it has held a list of this length.
    bool Prepare(const CKorvanesToolDoc& doc, const AraiPairing& plain, const AraiPairing& corrected,
                 unsigned classes);

    // For another search over the same lists, just after the search that a
    // successful Prepare served (the lists unchanged since, the result
    // perhaps changed): takes `classes` and what the bounds read of the
    // result anew, and keeps everything made from the lists.
    void Retarget(const CKorvanesToolDoc& doc, unsigned classes);

    // The classes that no range can ever take under these criteria (a
    // negative upper limit of a statistic that is never negative, a minimum
    // N above the number of steps) are left out of the mask from the start.
    unsigned Classes() const { return m_classes; }

    // What the line fit of the range from the temperature of zero-field
    // step i to that of step j (list positions, Ti < Tj) can give: an upper
    // bound on the square of the search value (w, or q when the criteria
    // maximise q; infinity when nothing can be said) and the classes whose
    // line-fit tests (N, slope error, f, q) and d(pal) it may pass. A range
    // whose value is certainly 0 (or that passes no class) gets bound 0.
    struct LineBound {
        double valueSq = 0.0;
        unsigned classes = 0;
    };
    LineBound Line(int i, int j) const;

    // A cheaper and looser bound of the same kind for every pair of the
    // search, from the correlation of the points and a cruder bound of f g
    // (by f, or by n - 2 times f where the projected points zigzag), in one
    // pass: the `pairs` pairs (i, j), j = firstPartners[i]..count-1 (each
    // with Ti < Tj), row after row as the search visits them. The key of a
    // pair is such that the square of its search value is below 0.5 / key;
    // infinity for a pair that cannot qualify on its line fit (or whose
    // value is 0), 0 where nothing can be said. With `asAOrB`, the keys
    // that the pairs get once the screen is retargeted to class A or B, bit
    // for bit (valid for a class-A search too, only looser). Works in
    // vectors of four: it may write up to kQuickPad keys beyond the last
    // pair, which `keys` must have room for.
    static constexpr int kQuickPad = 3;
    void QuickKeys(const int* firstPartners, std::size_t pairs, float* keys, bool asAOrB = false) const;

    // Sets the keys of QuickKeys (the same pairs in the same places) to
    // infinity for the pairs whose d(pal) fails every class in question, by
    // the bound that Line and Full take (the same verdict bit for bit), and
    // with `keysAOrB` those of the keys once retargeted to class A or B. For
    // a search whose first candidates fail: d(pal) is what many ranges fail
    // on, and its bound takes few operations in bulk.
    void CkDiffKeys(const int* firstPartners, std::size_t pairs, float* keys, float* keysAOrB) const;

    // Sets keys[j - jFirst] of a row of QuickKeys to infinity for the pairs whose
    // directional fits fail every class in question (alpha or MAD above its
    // limit, by bounds from the running moments), for j = jFirst..count-1.
    // For a search that has not found a best: the pairs left are then the
    // ones that the exact evaluation must look at.
    void DirectionRow(int i, int jFirst, float* keys) const;

    // The first list position whose temperature lies above that of step i.
    int FirstAbove(int i) const { return m_lastOf[static_cast<std::size_t>(i)] + 1; }

    // The classes of `classes` that the range may take with a search value
    // above sqrt(bestSq), once its check statistics and its directional fits
    // are bounded as well (the line fit as Line, then d(CK), d(pal), DRAT,
    // d(AC), d(TR), d(t*), alpha and MAD; without `directions`, not the
    // last two). 0: the range cannot beat a best of that value, whatever its
    // exact evaluation gives.
    unsigned Full(int i, int j, unsigned classes, double bestSq, bool directions = true) const;

private:
    // The bounds of one range's line fit.
    struct Fit {
        int n = 0;
        bool zeroValue = false;  // the search value is certainly 0
        double valueSq = std::numeric_limits<double>::infinity();  // upper bound of the search value, squared
        double relStdLbSq = 0.0;                                    // lower bound of slopeRelStd²
        double fUb = std::numeric_limits<double>::infinity();
        double qUbSq = std::numeric_limits<double>::infinity();
        double aLb = 0.0, aUb = 0.0;          // the intercept (nrmT), aLb > 0
        double slopeLb = 0.0, slopeUb = 0.0;  // |slope|
        double spanLb = 0.0, spanUb = 0.0;    // span of the projected points
    };
    bool LineFit(int first, int last, Fit& fit) const;
    bool ComputeLineFit(int first, int last, Fit& fit) const;
    unsigned LineClasses(const Fit& fit) const;
    // Whether d(pal) is bounded at all: not once the correction is applied,
    // nor for a laboratory field that is not positive.
    bool CkDiffTested() const;
    unsigned CkDiffClasses(int first, int last, unsigned classes) const;
    unsigned CheckClasses(const Fit& fit, int last, unsigned classes) const;
    // The moment matrix sum of v vᵀ of the zero-field vectors first..last.
    void AnchoredMoments(int first, int last, double t[3][3]) const;
    unsigned AlphaClasses(int first, int last, unsigned classes) const;
    unsigned MadClasses(int first, int last, unsigned classes) const;

    // Double-double running sums: the sum of the first k terms is hi[k] +
    // lo[k]; the sum of terms k0..k1-1 is accurate to a few units in its
    // last place whatever the magnitude of the terms before.
    struct RunningSum {
        std::vector<double> hi;
        std::vector<double> lo;
        double absTotal = 0.0;
        void Reset(int terms);
        void Add(int k, double term);  // the term k (0-based), in order
        void Finish();                 // once every term is added: sets tinyError
        double Sum(int k0, int k1) const { return (hi[k1] - hi[k0]) + (lo[k1] - lo[k0]); }
        // Bound on the error of Sum beyond 4 units of its own magnitude.
        double tinyError = 0.0;
    };

    // Maximum and minimum over index ranges in constant time.
    struct SparseExtremes {
        int count = 0;
        std::vector<double> maximum;  // level l at [l * count, (l + 1) * count)
        std::vector<double> minimum;
        void Build(const std::vector<double>& values);
        double Max(int k0, int k1) const;  // over k0..k1 inclusive, k0 <= k1
        double Min(int k0, int k1) const;
    };

    const CKorvanesToolDoc* m_doc = nullptr;
    unsigned m_classes = 0;
    unsigned m_classesAOrB = 0;  // m_classes once retargeted to class A or B
    bool m_maximizeQ = false;
    bool m_corrected = false;  // the check correction is applied: no d(CK), d(pal), DRAT

    // The block of list positions of each temperature: a range covers
    // firstOf[i]..lastOf[j].
    std::vector<int> m_firstOf, m_lastOf;

    // The Arai points: zero-field items with a pTRM item, in list order.
    std::vector<int> m_pointsBefore;  // points among list positions < k, k = 0..count
    std::vector<double> m_x, m_y;
    double m_xMax = 0.0, m_yMax = 0.0;  // over all points
    std::vector<double> m_correctedX;  // the check-corrected x of each point
    // The extremes of x and y over the points k0..k1 (k0 <= k1).
    void InnerExtremes(int k0, int k1, double& xLow, double& xHigh, double& yLow, double& yHigh) const;
    mutable SparseExtremes m_xExtremes, m_yExtremes;  // made on first use
    mutable bool m_extremesReady = false;
    RunningSum m_sx, m_sy, m_sxx, m_syy, m_sxy;
    RunningSum m_cx, m_cxx;  // the check-corrected x
    // Differences of consecutive points, dx = x[k] - x[k+1], for the sum of
    // squared steps of the projected points (g).
    RunningSum m_dxx, m_dyy, m_dxy;

    // The zero-field vectors and their moments, for the directional fits
    // (made on first use).
    void PrepareMoments() const;
    mutable bool m_momentsReady = false;
    mutable RunningSum m_vx, m_vy, m_vz, m_vxx, m_vxy, m_vxz, m_vyy, m_vyz, m_vzz;

    // Per list position k as the range's upper end: the largest |check
    // difference| of the pTRM checks and additivity checks below its
    // temperature, and of the tail statistics at or below it.
    std::vector<double> m_checkMax, m_additivityMax, m_tailMax;
    bool m_hasTails = false;
    double m_fixedTStar = 0.0;  // d(t*) without tail statistics: as it stands

    // The running sums at each list position as a range's upper end
    // (x, y, xx, yy, xy, and the step sums dxx, dyy, dxy), the number of
    // points up to it and its last point.
    std::array<std::vector<double>, 8> m_endHi, m_endLo;  // where gathered
    std::array<const double*, 8> m_endHiAt{}, m_endLoAt{};  // the first end of each
    bool m_ownBlocks = false;  // every step a point of its own temperature
    // Those of the corrected x and its square, for CkDiffKeys (made on
    // first use).
    mutable bool m_ckDiffEndsReady = false;
    mutable std::array<std::vector<double>, 2> m_ckDiffEndHi, m_ckDiffEndLo;
    std::vector<double> m_endN, m_endX, m_endY;

    void PrepareDirectionRows() const;
    mutable bool m_directionRowsReady = false;
    mutable std::array<std::vector<double>, 9> m_dirEndHi, m_dirEndLo;  // x, y, z, xx, xy, xz, yy, yz, zz
    mutable std::vector<double> m_dirEndCount, m_dirEndX, m_dirEndY, m_dirEndZ;

    mutable std::vector<double> m_rowExtremes;  // scratch of QuickKeys and DirectionRow
    mutable std::vector<double> m_quickKeys;    // scratch of QuickKeys and CkDiffKeys

    // The alpha and MAD limits of class A and B as the direction bounds
    // compare with them, worked out on first use in a search.
    struct DirectionLimits {
        bool alphaTested = false;  // a limit below 180°
        double cosAlpha = 0.0, sinAlpha = 0.0;
        bool madTested = false;  // a limit below 90°
        double tanMadSq = 0.0;   // tan² of the limit, a hair wider
    };
    const std::array<DirectionLimits, 2>& Limits() const;
    mutable std::array<DirectionLimits, 2> m_directionLimits{};
    mutable bool m_directionLimitsReady = false;

    // The line-fit limits of class A and B as the quick bounds take them,
    // for the classes of the search and for class A or B.
    struct QuickLimits {
        double minN[2];  // infinity for a class not in question
        double rel[2];   // slopeRelStd²
        double q[2];     // q²
    };
    std::array<QuickLimits, 2> m_quickLimits{};

    // The line fits worked out so far, per range first..last, for lists of
    // up to kKeptFitSteps steps (made anew by Prepare).
    static constexpr std::size_t kKeptFitSteps = 64;
    struct KeptFit {
        std::uint64_t lists = 0;  // the Prepare that made it (0: none)
        bool usable = false;
        Fit fit;
    };
    mutable std::vector<KeptFit> m_keptFits;
    std::uint64_t m_lists = 0;  // Prepare calls so far

    std::vector<double> m_inverse;  // 1 / n
    double m_quickTiny = 0.0;
};

}  // namespace korvanes
