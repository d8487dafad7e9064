#include "analysis/StandardStatistics.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>

#include "analysis/DirectionalFit.h"

namespace korvanes {
namespace {

using S = StandardStatistic;
using K = StatisticKind;

const char* const kArai = "Arai plot";
const char* const kDirections = "Directions";
const char* const kPtrm = "pTRM checks";
const char* const kTail = "pTRM-tail checks";
const char* const kAdditivity = "Additivity checks";

const std::array<StandardStatisticInfo, kStandardStatisticCount> kTable = {{
    {S::kN, "int_n_measurements", "n", "", K::kInteger, kArai},
    {S::kB, "int_b", "b", "", K::kReal, kArai},
    {S::kBSigma, "int_b_sigma", "σ_b", "", K::kReal, kArai},
    {S::kBeta, "int_b_beta", "β", "", K::kReal, kArai},
    {S::kF, "int_f", "f", "", K::kReal, kArai},
    {S::kG, "int_g", "g", "", K::kReal, kArai},
    {S::kQ, "int_q", "q", "", K::kReal, kArai},
    {S::kW, "int_w", "w", "", K::kReal, kArai},
    {S::kFrac, "int_frac", "FRAC", "", K::kReal, kArai},
    {S::kGapMax, "int_gmax", "GAP-MAX", "", K::kReal, kArai},
    {S::kFvds, "int_fvds", "f_VDS", "", K::kReal, kArai},
    {S::kVds, "VDS", "VDS", "mA/m", K::kReal, kArai},
    {S::kScat, "int_scat", "SCAT", "", K::kFlag, kArai},
    {S::kK, "int_k", "k", "", K::kReal, kArai},
    {S::kKSse, "int_k_sse", "SSE", "", K::kReal, kArai},
    {S::kKPrime, "int_k_prime", "k′", "", K::kReal, kArai},
    {S::kKPrimeSse, "int_k_prime_sse", "SSE′", "", K::kReal, kArai},
    {S::kR2Corr, "int_r2_corr", "R²corr", "", K::kReal, kArai},
    {S::kR2Det, "int_r2_det", "R²det", "", K::kReal, kArai},
    {S::kZ, "int_z", "Z", "", K::kReal, kArai},
    {S::kZStar, "Zstar", "Z*", "", K::kReal, kArai},
    {S::kIzziMd, "int_z_md", "IZZI_MD", "", K::kReal, kArai},
    {S::kXIntercept, "x_intercept", "X_int", "mA/m", K::kReal, kArai},
    {S::kYIntercept, "y_intercept", "Y_int", "mA/m", K::kReal, kArai},
    {S::kDang, "int_dang", "DANG", "°", K::kReal, kDirections},
    {S::kTheta, "int_theta", "θ", "°", K::kReal, kDirections},
    {S::kGamma, "int_gamma", "γ", "°", K::kReal, kDirections},
    {S::kMadAnchored, "int_mad_anc", "MAD_anc", "°", K::kReal, kDirections},
    {S::kMadFree, "int_mad_free", "MAD_free", "°", K::kReal, kDirections},
    {S::kAlpha, "int_alpha", "α", "°", K::kReal, kDirections},
    {S::kNPtrm, "int_n_ptrm", "n_pTRM", "", K::kInteger, kPtrm},
    {S::kCheckPercent, "int_ptrm", "check(%)", "%", K::kReal, kPtrm},
    {S::kDck, "int_dck", "δCK", "%", K::kReal, kPtrm},
    {S::kDrat, "int_drat", "DRAT", "%", K::kReal, kPtrm},
    {S::kMaxDev, "int_maxdev", "maxDEV", "%", K::kReal, kPtrm},
    {S::kMeanDev, "int_mdev", "mean DEV", "%", K::kReal, kPtrm},
    {S::kMeanDevPrime, "mean_DEV_prime", "mean DEV′", "%", K::kReal, kPtrm},
    {S::kCdrat, "int_cdrat", "CDRAT", "%", K::kReal, kPtrm},
    {S::kCdratPrime, "CDRAT_prime", "CDRAT′", "%", K::kReal, kPtrm},
    {S::kDrats, "int_drats", "DRATS", "%", K::kReal, kPtrm},
    {S::kDratsPrime, "DRATS_prime", "DRATS′", "%", K::kReal, kPtrm},
    {S::kMeanDrat, "int_mdrat", "mean DRAT", "%", K::kReal, kPtrm},
    {S::kMeanDratPrime, "mean_DRAT_prime", "mean DRAT′", "%", K::kReal, kPtrm},
    {S::kDpal, "int_dpal", "δpal", "%", K::kReal, kPtrm},
    {S::kNTail, "int_n_ptrm_tail", "n_tail", "", K::kInteger, kTail},
    {S::kDratTail, "int_drat_tail", "DRAT_tail", "%", K::kReal, kTail},
    {S::kDtr, "int_dtr", "δTR", "%", K::kReal, kTail},
    {S::kMdVds, "int_md", "MD_VDS", "%", K::kReal, kTail},
    {S::kDtStar, "int_dt", "δt*", "", K::kReal, kTail},
    {S::kNAdd, "int_n_ac", "n_add", "", K::kInteger, kAdditivity},
    {S::kDac, "int_dac", "δAC", "%", K::kReal, kAdditivity},
}};

double Length(const Vector3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }
Vector3 Minus(const Vector3& a, const Vector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vector3 Plus(const Vector3& a, const Vector3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vector3 VectorOf(const CStepVector& s) { return {s.x, s.y, s.z}; }

// Angle between two vectors in degrees; none when either is the zero vector.
std::optional<double> AngleOf(const Vector3& a, const Vector3& b)
{
    const double la = Length(a);
    const double lb = Length(b);
    if (la == 0.0 || lb == 0.0) {
        return std::nullopt;
    }
    const double c = std::clamp((a.x * b.x + a.y * b.y + a.z * b.z) / (la * lb), -1.0, 1.0);
    return std::acos(c) * kRadToDeg;
}

// A quotient that exists only for a nonzero, finite result of a nonzero denominator.
std::optional<double> Ratio(double num, double den)
{
    if (den == 0.0) {
        return std::nullopt;
    }
    const double r = num / den;
    return std::isfinite(r) ? std::optional<double>(r) : std::nullopt;
}

// Standardised major axis through the points: slope, intercepts, projections.
struct LineFit {
    bool defined = false;
    double b = 0.0;
    double xMean = 0.0;
    double yMean = 0.0;
    double sxx = 0.0;
    double syy = 0.0;
    double sxy = 0.0;
    double yInt = 0.0;
    double xInt = 0.0;
};

template <typename XAt, typename YAt>
LineFit FitLine(int n, XAt xAt, YAt yAt)
{
    LineFit f;
    if (n < 2) {
        return f;
    }
    for (int i = 0; i < n; ++i) {
        f.xMean += xAt(i);
        f.yMean += yAt(i);
    }
    f.xMean /= n;
    f.yMean /= n;
    for (int i = 0; i < n; ++i) {
        const double dx = xAt(i) - f.xMean;
        const double dy = yAt(i) - f.yMean;
        f.sxx += dx * dx;
        f.syy += dy * dy;
        f.sxy += dx * dy;
    }
    if (f.sxx <= 0.0 || f.syy <= 0.0 || f.sxy == 0.0) {
        return f;
    }
    f.b = std::copysign(std::sqrt(f.syy / f.sxx), f.sxy);
    f.yInt = f.yMean - f.b * f.xMean;
    f.xInt = -f.yInt / f.b;
    f.defined = std::isfinite(f.b) && std::isfinite(f.xInt) && std::isfinite(f.yInt);
    return f;
}

// Solves the 3×3 system m·v = r by Cramer's rule; false when singular.
bool Solve3(const double m[3][3], const double r[3], double v[3])
{
    const auto det = [](const double a[3][3]) {
        return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) - a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
               a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    };
    const double d = det(m);
    if (d == 0.0 || !std::isfinite(d)) {
        return false;
    }
    for (int c = 0; c < 3; ++c) {
        double a[3][3];
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) {
                a[i][j] = j == c ? r[i] : m[i][j];
            }
        }
        v[c] = det(a) / d;
    }
    return true;
}

double CircleSse(const double* xs, const double* ys, int n, double a, double b, double r)
{
    double sse = 0.0;
    for (int i = 0; i < n; ++i) {
        const double dx = xs[i] - a;
        const double dy = ys[i] - b;
        const double d = std::sqrt(dx * dx + dy * dy) - r;
        sse += d * d;
    }
    return sse;
}

// Up to this many points are fitted on the stack; more go to the heap.
constexpr int kStackPoints = 128;

}  // namespace

const std::array<StandardStatisticInfo, kStandardStatisticCount>& StandardStatisticTable() { return kTable; }

const StandardStatisticInfo& InfoOf(StandardStatistic s) { return kTable[static_cast<std::size_t>(s)]; }

std::optional<StandardStatistic> StatisticByName(const std::string& name)
{
    const auto lower = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return s;
    };
    const std::string wanted = lower(name);
    for (const StandardStatisticInfo& info : kTable) {
        if (lower(info.key) == wanted || lower(info.label) == wanted) {
            return info.id;
        }
    }
    return std::nullopt;
}

std::optional<CircleFit> FitArcCurvature(const double* xsIn, const double* ysIn, int n)
{
    if (n < 3) {
        return std::nullopt;
    }
    double xMax = -std::numeric_limits<double>::infinity();
    double yMax = -std::numeric_limits<double>::infinity();
    for (int i = 0; i < n; ++i) {
        xMax = std::max(xMax, xsIn[i]);
        yMax = std::max(yMax, ysIn[i]);
    }
    if (!(xMax > 0.0) || !(yMax > 0.0) || !std::isfinite(xMax) || !std::isfinite(yMax)) {
        return std::nullopt;
    }
    std::vector<double> heap;
    double stack[2 * kStackPoints];
    double* xs = stack;
    if (n > kStackPoints) {
        heap.resize(2 * static_cast<std::size_t>(n));
        xs = heap.data();
    }
    double* ys = xs + n;
    double mx = 0.0;
    double my = 0.0;
    for (int i = 0; i < n; ++i) {
        xs[i] = xsIn[i] / xMax;
        ys[i] = ysIn[i] / yMax;
        mx += xs[i];
        my += ys[i];
    }
    mx /= n;
    my /= n;

    // Taubin's algebraic fit (Newton on its characteristic polynomial).
    double mxx = 0.0, myy = 0.0, mxy = 0.0, mxz = 0.0, myz = 0.0, mzz = 0.0;
    for (int i = 0; i < n; ++i) {
        const double xi = xs[i] - mx;
        const double yi = ys[i] - my;
        const double zi = xi * xi + yi * yi;
        mxy += xi * yi;
        mxx += xi * xi;
        myy += yi * yi;
        mxz += xi * zi;
        myz += yi * zi;
        mzz += zi * zi;
    }
    mxx /= n;
    myy /= n;
    mxy /= n;
    mxz /= n;
    myz /= n;
    mzz /= n;
    const double mz = mxx + myy;
    const double covXY = mxx * myy - mxy * mxy;
    const double varZ = mzz - mz * mz;
    // The orthogonal-regression line, for collinear points.
    const double lambdaMin = 0.5 * mz - std::sqrt(0.25 * (mxx - myy) * (mxx - myy) + mxy * mxy);
    const CircleFit straight{0.0, std::max(0.0, lambdaMin) * n};
    const double a3 = 4.0 * mz;
    const double a2 = -3.0 * mz * mz - mzz;
    const double a1 = varZ * mz + 4.0 * covXY * mz - mxz * mxz - myz * myz;
    const double a0 = mxz * (mxz * myy - myz * mxy) + myz * (myz * mxx - mxz * mxy) - varZ * covXY;
    double x = 0.0;
    double y = a0;
    for (int iter = 0; iter < 99; ++iter) {
        const double dy = a1 + x * (2.0 * a2 + 3.0 * a3 * x);
        if (dy == 0.0) {
            break;
        }
        const double xNew = x - y / dy;
        if (xNew == x || !std::isfinite(xNew)) {
            break;
        }
        const double yNew = a0 + xNew * (a1 + xNew * (a2 + xNew * a3));
        if (std::fabs(yNew) >= std::fabs(y)) {
            break;
        }
        x = xNew;
        y = yNew;
    }
    const double det = x * x - x * mz + covXY;
    if (det == 0.0) {
        return straight;
    }
    double ca = (mxz * (myy - x) - myz * mxy) / det / 2.0;
    double cb = (myz * (mxx - x) - mxz * mxy) / det / 2.0;
    double r = std::sqrt(ca * ca + cb * cb + mz);
    ca += mx;
    cb += my;
    // A radius beyond a million spans of the data is a straight line.
    if (!std::isfinite(r) || r > 1e6) {
        return straight;
    }

    // Geometric fit: Levenberg–Marquardt on the orthogonal distances.
    double sse = CircleSse(xs, ys, n, ca, cb, r);
    double lambda = 1e-3;
    for (int iter = 0; iter < 200; ++iter) {
        double jtj[3][3] = {};
        double jtr[3] = {};
        for (int i = 0; i < n; ++i) {
            const double dx = xs[i] - ca;
            const double dy = ys[i] - cb;
            const double rho = std::sqrt(dx * dx + dy * dy);
            if (rho == 0.0) {
                continue;
            }
            const double g[3] = {-dx / rho, -dy / rho, -1.0};
            const double res = rho - r;
            for (int p = 0; p < 3; ++p) {
                jtr[p] -= g[p] * res;
                for (int q = 0; q < 3; ++q) {
                    jtj[p][q] += g[p] * g[q];
                }
            }
        }
        bool improved = false;
        while (lambda < 1e12) {
            double m[3][3];
            for (int p = 0; p < 3; ++p) {
                for (int q = 0; q < 3; ++q) {
                    m[p][q] = jtj[p][q] + (p == q ? lambda * jtj[p][p] : 0.0);
                }
            }
            double step[3];
            if (!Solve3(m, jtr, step)) {
                lambda *= 10.0;
                continue;
            }
            const double na = ca + step[0];
            const double nb = cb + step[1];
            const double nr = std::fabs(r + step[2]);
            const double nsse = CircleSse(xs, ys, n, na, nb, nr);
            if (std::isfinite(nsse) && nsse <= sse) {
                const double change = (std::fabs(na - ca) + std::fabs(nb - cb) + std::fabs(nr - r)) / (nr + r);
                ca = na;
                cb = nb;
                r = nr;
                improved = change > 1e-10 && nsse < sse;
                sse = nsse;
                lambda *= 0.1;
                break;
            }
            lambda *= 10.0;
        }
        if (!improved) {
            break;
        }
    }
    if (!std::isfinite(r) || r == 0.0 || r > 1e6) {
        return straight;
    }
    CircleFit fit;
    fit.k = ca <= mx && cb <= my ? -1.0 / r : 1.0 / r;
    fit.sse = sse;
    return fit;
}

StandardStatisticsInput PrepareStandardStatistics(const CKorvanesToolDoc& doc)
{
    StandardStatisticsInput in;
    in.onlyZ = doc.m_options.m_onlyZComponent != 0;
    in.points.reserve(doc.m_zeroFieldSteps.size());
    // The first zero-field and the first in-field step of each temperature,
    // and the last pTRM item of each, found in one pass over each list.
    struct FirstSteps {
        int temperature;
        int zeroAt;
        int inFieldAt;
    };
    std::vector<FirstSteps> firsts;
    const auto firstOf = [&firsts](int temperature) -> FirstSteps& {
        for (auto it = firsts.rbegin(); it != firsts.rend(); ++it) {
            if (it->temperature == temperature) {
                return *it;
            }
        }
        firsts.push_back({temperature, -1, -1});
        return firsts.back();
    };
    for (std::size_t i = 0; i < doc.m_steps.size(); ++i) {
        const CStepVector& s = doc.m_steps[i];
        if (s.stepType != kZeroField && s.stepType != kInField) {
            continue;
        }
        FirstSteps& f = firstOf(s.temperature);
        int& at = s.stepType == kZeroField ? f.zeroAt : f.inFieldAt;
        if (at < 0) {
            at = static_cast<int>(i);
        }
    }
    std::vector<std::pair<int, const CStepVector*>> lastPtrm;  // by temperature, ascending
    lastPtrm.reserve(doc.m_ptrmGained.size());
    for (const CStepVector& p : doc.m_ptrmGained) {
        lastPtrm.emplace_back(p.temperature, &p);
    }
    // Of one temperature the last item stays last: items of equal temperature
    // keep their list order (by address, the list being one array). std::sort
    // rather than stable_sort, which takes a temporary buffer from the heap.
    std::sort(lastPtrm.begin(), lastPtrm.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : a.second < b.second;
    });
    for (const CStepVector& zero : doc.m_zeroFieldSteps) {
        const auto above = std::upper_bound(lastPtrm.begin(), lastPtrm.end(), zero.temperature,
                                            [](int t, const auto& item) { return t < item.first; });
        if (above == lastPtrm.begin() || std::prev(above)->first != zero.temperature) {
            continue;  // no pTRM item: no Arai point
        }
        const CStepVector* ptrm = std::prev(above)->second;
        StandardStatisticsInput::Point point;
        point.temperature = zero.temperature;
        point.x = ptrm->magnitude;
        point.y = zero.magnitude;
        point.nrm = VectorOf(zero);
        point.ptrm = VectorOf(*ptrm);
        const FirstSteps& f = firstOf(zero.temperature);
        point.zeroFieldFirst = f.inFieldAt < 0 || f.zeroAt < f.inFieldAt;
        in.points.push_back(point);
    }
    const int count = static_cast<int>(in.points.size());
    in.steps.resize(in.points.size());
    for (int i = 0; i < count; ++i) {
        in.steps[static_cast<std::size_t>(i)] =
            i + 1 < count ? Length(Minus(in.points[static_cast<std::size_t>(i) + 1].nrm, in.points[static_cast<std::size_t>(i)].nrm))
                          : Length(in.points[static_cast<std::size_t>(i)].nrm);
        in.vds += in.steps[static_cast<std::size_t>(i)];
    }
    // The last Arai point of a temperature, by halving when the points ascend.
    const bool ascending = std::is_sorted(in.points.begin(), in.points.end(),
                                          [](const auto& a, const auto& b) { return a.temperature < b.temperature; });
    const auto pointAt = [&in, ascending](int temperature) {
        if (ascending) {
            const auto above = std::upper_bound(in.points.begin(), in.points.end(), temperature,
                                                [](int t, const auto& p) { return t < p.temperature; });
            return above != in.points.begin() && std::prev(above)->temperature == temperature
                       ? static_cast<int>(std::prev(above) - in.points.begin())
                       : -1;
        }
        int found = -1;
        for (std::size_t i = 0; i < in.points.size(); ++i) {
            if (in.points[i].temperature == temperature) {
                found = static_cast<int>(i);
            }
        }
        return found;
    };
    for (const CStepVector& c : doc.m_ptrmChecks) {
        const int point = pointAt(c.stepTemperature);
        if (point >= 0) {
            in.ptrmChecks.push_back({c.stepTemperature, c.temperature, point, c.magnitude, VectorOf(c)});
        }
    }
    for (const CStepVector& t : doc.m_tailChecks) {
        const int point = pointAt(t.temperature);
        if (point >= 0) {
            in.tailChecks.push_back({t.temperature, t.temperature, point, t.magnitude, VectorOf(t)});
        }
    }
    for (const CStepVector& a : doc.m_additivityResults) {
        in.additivityChecks.push_back({a.stepTemperature, a.temperature, pointAt(a.stepTemperature), a.magnitude, {}});
    }
    bool sawIz = false;
    bool sawZi = false;
    for (std::size_t i = 1; i < in.points.size(); ++i) {
        (in.points[i].zeroFieldFirst ? sawZi : sawIz) = true;
    }
    in.izzi = sawIz && sawZi;
    if (count >= 3) {
        std::vector<double> xs(in.points.size());
        std::vector<double> ys(in.points.size());
        for (std::size_t i = 0; i < in.points.size(); ++i) {
            xs[i] = in.points[i].x;
            ys[i] = in.points[i].y;
        }
        if (const std::optional<CircleFit> fit = FitArcCurvature(xs.data(), ys.data(), count)) {
            in.k = fit->k;
            in.kSse = fit->sse;
        }
    }
    in.zeroField = &doc.m_zeroFieldSteps;
    in.fieldAxis = SpecimenToCoordinates({0.0, 0.0, 1.0}, doc.m_header, doc.m_options.m_coordinates);
    return in;
}

namespace {

// IZZI_MD: the area between the zigzag of alternating IZ and ZI points and
// the lines joining every second of them, per length of the ZI line, on the
// Arai points scaled by the first NRM.
std::optional<double> IzziMd(const StandardStatisticsInput& in, int start, int end)
{
    if (!in.izzi || end - start < 4 || in.points.empty() || in.points.front().y == 0.0) {
        return std::nullopt;
    }
    const double norm = in.points.front().y;
    struct Vertex {
        double x;
        double y;
        bool zi;
    };
    std::vector<Vertex> chain;
    chain.push_back({in.points[static_cast<std::size_t>(start)].x / norm, in.points[static_cast<std::size_t>(start)].y / norm,
                     in.points[static_cast<std::size_t>(start)].zeroFieldFirst});
    for (int i = start; i <= end; ++i) {
        const auto& p = in.points[static_cast<std::size_t>(i)];
        const Vertex v{p.x / norm, p.y / norm, p.zeroFieldFirst};
        if (v.zi == chain.back().zi) {
            chain.back() = v;  // a run of one kind keeps its last point
        } else {
            chain.push_back(v);
        }
    }
    if (chain.size() <= 2) {
        return 0.0;
    }
    double area = 0.0;
    double ziLength = 0.0;
    for (std::size_t i = 0; i + 2 < chain.size(); ++i) {
        const Vertex& a = chain[i];
        const Vertex& b = chain[i + 1];
        const Vertex& c = chain[i + 2];
        double triangle = std::fabs((b.x * a.y - a.x * b.y) + (c.x * b.y - b.x * c.y) + (a.x * c.y - c.x * a.y)) / 2.0;
        bool below = false;
        if (c.x != a.x) {
            const double slope = (c.y - a.y) / (c.x - a.x);
            below = b.y < slope * b.x + (a.y - slope * a.x);
        }
        // Positive where the IZ points lie above the ZI line.
        if ((below && a.zi) || (!below && !a.zi)) {
            triangle = -triangle;
        }
        area += triangle;
        if (a.zi) {
            ziLength += std::hypot(c.x - a.x, c.y - a.y);
        }
    }
    if (ziLength == 0.0) {
        return 0.0;
    }
    return area / ziLength;
}

// δt*: each tail check's difference to the NRM of its temperature, split
// into the part along the laboratory field (the specimen's z axis, `field`
// a unit vector in the lists' coordinates, pointing as the pTRM does) and
// the part across it; the across part, through the angle θ of that NRM to
// the field, predicts the along part of a pTRM tail (Leonhardt et al. 2004).
// Between 0.175 and 2.968 radians the excess is scaled by |b| / |Y_int|;
// closer to the field it is 0, closer to its opposite the along part alone
// over |X_int| + |Y_int|. The largest value, never below 0, as a fraction
// (the data model's unit for int_dt: the definitions' per cent / 100).
std::optional<double> TailStar(const StandardStatisticsInput& in, int tMax, const Vector3& field, double b,
                               double xInt, double yInt)
{
    if (yInt == 0.0) {
        return std::nullopt;
    }
    // The specimen's z axis (the field up to its sign).
    const Vector3& axis = in.fieldAxis;
    const bool fieldDown = field.x * axis.x + field.y * axis.y + field.z * axis.z > 0.0;
    const auto along = [&axis](const Vector3& v) { return v.x * axis.x + v.y * axis.y + v.z * axis.z; };
    const auto across = [&axis](const Vector3& v, double a) {
        return Length({v.x - a * axis.x, v.y - a * axis.y, v.z - a * axis.z});
    };
    std::optional<double> largest;
    for (const auto& c : in.tailChecks) {
        if (c.ownTemperature > tMax) {
            continue;
        }
        const Vector3& n = in.points[static_cast<std::size_t>(c.point)].nrm;
        const double length = Length(n);
        if (length == 0.0) {
            continue;
        }
        const double nAlong = along(n);
        const double cAlong = along(c.vector);
        const double theta = std::acos(std::clamp(nAlong * (fieldDown ? 1.0 : -1.0) / length, -1.0, 1.0));
        const double dH = across(n, nAlong) - across(c.vector, cAlong);
        const double dZ = nAlong - cAlong;
        double value = 0.0;
        if (theta > 0.175 && theta < 2.968) {
            const double implied = dH / std::tan(theta);
            value = (fieldDown ? implied - dZ : dZ - implied) * std::fabs(b) / std::fabs(yInt);
        } else if (theta >= 2.968) {
            const double denominator = std::fabs(xInt) + std::fabs(yInt);
            if (denominator == 0.0) {
                continue;
            }
            value = -dZ / denominator;
        }
        largest = std::max(largest.value_or(value), value);
    }
    if (largest && *largest < 0.0) {
        largest = 0.0;
    }
    return largest;
}

}  // namespace

StandardStatistics ComputeStandardStatistics(const StandardStatisticsInput& in, int tMin, int tMax, double scatBeta)
{
    StandardStatistics st;
    st.tMin = tMin;
    st.tMax = tMax;
    const int count = static_cast<int>(in.points.size());
    const auto P = [&in](int i) -> const StandardStatisticsInput::Point& { return in.points[static_cast<std::size_t>(i)]; };

    int selectedStack[kStackPoints];
    std::vector<int> selectedHeap;
    int* selected = selectedStack;
    if (count > kStackPoints) {
        selectedHeap.resize(in.points.size());
        selected = selectedHeap.data();
    }
    int n = 0;
    for (int i = 0; i < count; ++i) {
        if (P(i).temperature >= tMin && P(i).temperature <= tMax) {
            selected[n++] = i;
        }
    }
    st[S::kN] = n;
    if (in.vds > 0.0) {
        st[S::kVds] = in.vds;
    }
    st[S::kK] = in.k;
    st[S::kKSse] = in.kSse;

    // Check counts: checks up to tMax (pTRM and additivity checks also made
    // before any heating above tMax).
    int nPtrm = 0;
    for (const auto& c : in.ptrmChecks) {
        nPtrm += c.ownTemperature <= tMax && c.referenceTemperature <= tMax ? 1 : 0;
    }
    int nTail = 0;
    for (const auto& c : in.tailChecks) {
        nTail += c.ownTemperature <= tMax ? 1 : 0;
    }
    int nAdd = 0;
    for (const auto& c : in.additivityChecks) {
        nAdd += c.ownTemperature <= tMax && c.referenceTemperature <= tMax ? 1 : 0;
    }
    st[S::kNPtrm] = nPtrm;
    st[S::kNTail] = nTail;
    st[S::kNAdd] = nAdd;
    if (n < 2) {
        return st;
    }
    const int start = selected[0];
    const int end = selected[n - 1];

    // The laboratory field along the specimen's z axis, pointing as the pTRM
    // of the range does.
    Vector3 ptrmSum;
    for (int k = 0; k < n; ++k) {
        ptrmSum = Plus(ptrmSum, P(selected[k]).ptrm);
    }
    const Vector3& axis = in.fieldAxis;
    const double fieldSign = ptrmSum.x * axis.x + ptrmSum.y * axis.y + ptrmSum.z * axis.z < 0.0 ? -1.0 : 1.0;
    const Vector3 field{fieldSign * axis.x, fieldSign * axis.y, fieldSign * axis.z};

    // Directions: the zero-field steps of the range, as the program's own fits take them.
    {
        const int fitMin = P(start).temperature;
        const int fitMax = P(end).temperature;
        DirectionFit freeFit;
        DirectionFit anchored;
        static const std::vector<CStepVector> kNone;
        const std::vector<CStepVector>& zeroField = in.zeroField != nullptr ? *in.zeroField : kNone;
        FitDirections(fitMin, fitMax, zeroField, freeFit, anchored);
        Vector3 centre;
        int m = 0;
        for (const CStepVector& z : zeroField) {
            if (z.temperature >= fitMin && z.temperature <= fitMax) {
                centre = Plus(centre, VectorOf(z));
                ++m;
            }
        }
        if (m >= 2) {
            const Vector3 direction = VectorFromDirection(freeFit.declination, freeFit.inclination, 1.0);
            st[S::kDang] = AngleOf(direction, centre);
            st[S::kTheta] = AngleOf(direction, field);
            st[S::kGamma] = AngleOf(P(end).ptrm, field);
            st[S::kMadAnchored] = anchored.mad;
            st[S::kMadFree] = freeFit.mad;
            st[S::kAlpha] = AngleBetweenDirections(freeFit.declination, freeFit.inclination, anchored.declination,
                                                   anchored.inclination);
        }
    }

    // FRAC and GAP-MAX from the vector differences of the NRM.
    double partial = 0.0;
    double largest = 0.0;
    for (int i = start; i < end; ++i) {
        partial += in.steps[static_cast<std::size_t>(i)];
        largest = std::max(largest, in.steps[static_cast<std::size_t>(i)]);
    }
    if (in.vds > 0.0) {
        st[S::kFrac] = partial / in.vds;
    }
    st[S::kGapMax] = Ratio(largest, partial);

    const LineFit fit = FitLine(n, [&](int k) { return P(selected[k]).x; }, [&](int k) { return P(selected[k]).y; });
    if (fit.sxx > 0.0 && fit.syy > 0.0) {
        st[S::kR2Corr] = fit.sxy * fit.sxy / (fit.sxx * fit.syy);
    }
    {
        double xs[kStackPoints];
        double ys[kStackPoints];
        std::vector<double> heap;
        double* px = xs;
        double* py = ys;
        if (n > kStackPoints) {
            heap.resize(2 * static_cast<std::size_t>(n));
            px = heap.data();
            py = px + n;
        }
        for (int k = 0; k < n; ++k) {
            px[k] = P(selected[k]).x;
            py[k] = P(selected[k]).y;
        }
        if (const std::optional<CircleFit> c = FitArcCurvature(px, py, n)) {
            st[S::kKPrime] = c->k;
            st[S::kKPrimeSse] = c->sse;
        }
    }
    st[S::kIzziMd] = IzziMd(in, start, end);
    if (!fit.defined) {
        return st;
    }
    const double b = fit.b;
    st[S::kB] = b;
    st[S::kXIntercept] = fit.xInt;
    st[S::kYIntercept] = fit.yInt;
    std::optional<double> sigma;
    if (n > 2) {
        const double numerator = std::max(0.0, 2.0 * fit.syy - 2.0 * b * fit.sxy);
        sigma = std::sqrt(numerator / ((n - 2) * fit.sxx));
        st[S::kBSigma] = sigma;
        st[S::kBeta] = *sigma / std::fabs(b);
    }

    // Points projected onto the line (half-way in x and in y).
    double xpMin = std::numeric_limits<double>::infinity();
    double xpMax = -xpMin;
    double ypMin = xpMin;
    double ypMax = -xpMin;
    double residual = 0.0;
    double z = 0.0;
    double gapSquares = 0.0;
    double ypPrevious = 0.0;
    for (int k = 0; k < n; ++k) {
        const auto& p = P(selected[k]);
        const double xp = 0.5 * (p.x + (p.y - fit.yInt) / b);
        const double yp = 0.5 * (p.y + b * p.x + fit.yInt);
        if (k > 0) {
            gapSquares += (yp - ypPrevious) * (yp - ypPrevious);
        }
        ypPrevious = yp;
        xpMin = std::min(xpMin, xp);
        xpMax = std::max(xpMax, xp);
        ypMin = std::min(ypMin, yp);
        ypMax = std::max(ypMax, yp);
        residual += (p.y - yp) * (p.y - yp);
        const double instantaneous = p.x == 0.0 ? 0.0 : (fit.yInt - p.y) / p.x;
        z += p.x * std::fabs(instantaneous - std::fabs(b));
    }
    const double dxp = xpMax - xpMin;
    const double dyp = ypMax - ypMin;
    const double lineLength = std::hypot(dxp, dyp);
    st[S::kR2Det] = 1.0 - residual / fit.syy;
    st[S::kF] = Ratio(dyp, std::fabs(fit.yInt));
    if (dyp > 0.0) {
        st[S::kG] = 1.0 - gapSquares / (dyp * dyp);
    }
    if (sigma && st[S::kF] && st[S::kG]) {
        st[S::kQ] = Ratio(std::fabs(b) * *st[S::kF] * *st[S::kG], *sigma);
        if (st[S::kQ]) {
            st[S::kW] = *st[S::kQ] / std::sqrt(n - 2.0);
        }
    }
    st[S::kZ] = Ratio(z, std::fabs(fit.xInt));
    if (const auto zs = Ratio(z, std::fabs(fit.yInt))) {
        st[S::kZStar] = 100.0 * *zs / (n - 1);
    }
    if (in.vds > 0.0) {
        st[S::kFvds] = dyp / in.vds;
    }

    // SCAT: every point of the range and every check inside it within the box.
    {
        const double threshold = std::fabs(b) * scatBeta;
        const double slope1 = b + 2.0 * threshold;
        const double slope2 = b - 2.0 * threshold;
        const double yInt1 = fit.yMean - slope1 * fit.xMean;
        const double yInt2 = fit.yMean - slope2 * fit.xMean;
        const double xInt1 = -yInt1 / slope1;
        const double xInt2 = -yInt2 / slope2;
        const double xMax = xInt1;
        const double yMax = yInt2;
        const double lowSlope = (yInt1 - 0.0) / (0.0 - xInt2);
        const double highSlope = (yInt2 - 0.0) / (0.0 - xInt1);
        const auto inBox = [&](double x, double y) {
            return x >= 0.0 && y >= 0.0 && x <= xMax && y <= yMax && y <= highSlope * x + yInt2 &&
                   y >= lowSlope * x + yInt1;
        };
        bool pass = std::isfinite(lowSlope) && std::isfinite(highSlope);
        for (int k = 0; k < n && pass; ++k) {
            pass = inBox(P(selected[k]).x, P(selected[k]).y);
        }
        const int tFirst = P(start).temperature;
        const int tLast = P(end).temperature;
        for (const auto& c : in.ptrmChecks) {
            if (pass && c.ownTemperature >= tFirst && c.ownTemperature <= tLast && c.referenceTemperature >= tFirst &&
                c.referenceTemperature <= tLast) {
                pass = inBox(c.value, P(c.point).y);
            }
        }
        for (const auto& c : in.tailChecks) {
            if (pass && c.ownTemperature >= tFirst && c.ownTemperature <= tLast) {
                pass = inBox(P(c.point).x, c.value);
            }
        }
        st[S::kScat] = pass ? 1.0 : 0.0;
    }

    // pTRM checks.
    if (nPtrm > 0) {
        double maxAbs = 0.0;
        double sum = 0.0;
        double sumAbs = 0.0;
        std::optional<double> checkPercent;
        for (const auto& c : in.ptrmChecks) {
            if (c.ownTemperature > tMax || c.referenceTemperature > tMax) {
                continue;
            }
            const double x = P(c.point).x;
            const double d = c.value - x;
            maxAbs = std::max(maxAbs, std::fabs(d));
            sum += d;
            sumAbs += std::fabs(d);
            if (x > 0.0) {
                checkPercent = std::max(checkPercent.value_or(0.0), std::fabs(d) / x * 100.0);
            }
        }
        const auto percent = [](std::optional<double> r) { return r ? std::optional<double>(*r * 100.0) : r; };
        st[S::kCheckPercent] = checkPercent;
        st[S::kDck] = percent(Ratio(maxAbs, std::fabs(fit.xInt)));
        st[S::kDrat] = percent(Ratio(maxAbs, lineLength));
        st[S::kMaxDev] = percent(Ratio(maxAbs, dxp));
        st[S::kMeanDev] = percent(Ratio(std::fabs(sum), nPtrm * dxp));
        st[S::kMeanDevPrime] = percent(Ratio(sumAbs, nPtrm * dxp));
        st[S::kCdrat] = percent(Ratio(std::fabs(sum), lineLength));
        st[S::kCdratPrime] = percent(Ratio(sumAbs, lineLength));
        st[S::kDrats] = percent(Ratio(std::fabs(sum), P(end).x));
        st[S::kDratsPrime] = percent(Ratio(sumAbs, P(end).x));
        st[S::kMeanDrat] = percent(Ratio(std::fabs(sum), nPtrm * lineLength));
        st[S::kMeanDratPrime] = percent(Ratio(sumAbs, nPtrm * lineLength));

        // δpal: the pTRM vectors corrected by the cumulative vector
        // differences of the checks at the temperatures before them: every
        // check to a temperature up to the upper end, also one made after a
        // heating above it (as the definitions' published values count).
        Vector3 cumulative;
        double xStarStack[kStackPoints];
        std::vector<double> xStarHeap;
        double* xStar = xStarStack;
        if (n > kStackPoints) {
            xStarHeap.resize(static_cast<std::size_t>(n));
            xStar = xStarHeap.data();
        }
        int k = 0;
        for (int i = 0; i <= end; ++i) {
            const Vector3 corrected = Plus(P(i).ptrm, cumulative);
            if (k < n && selected[k] == i) {
                xStar[k++] = in.onlyZ ? std::fabs(corrected.z) : Length(corrected);
            }
            for (const auto& c : in.ptrmChecks) {
                if (c.point == i && c.ownTemperature <= tMax) {
                    cumulative = Plus(cumulative, Minus(c.vector, P(i).ptrm));
                    break;  // the first check of the temperature
                }
            }
        }
        const LineFit corrected = FitLine(n, [&](int j) { return xStar[j]; }, [&](int j) { return P(selected[j]).y; });
        if (corrected.defined) {
            st[S::kDpal] = percent(Ratio(std::fabs(b - corrected.b), std::fabs(b)));
        }
    }

    // pTRM-tail checks.
    if (nTail > 0) {
        double maxAbs = 0.0;
        for (const auto& c : in.tailChecks) {
            if (c.ownTemperature <= tMax) {
                maxAbs = std::max(maxAbs, std::fabs(c.value - P(c.point).y));
            }
        }
        const auto percent = [](std::optional<double> r) { return r ? std::optional<double>(*r * 100.0) : r; };
        st[S::kDratTail] = percent(Ratio(maxAbs, lineLength));
        st[S::kDtr] = percent(Ratio(maxAbs, std::fabs(fit.yInt)));
        st[S::kMdVds] = percent(Ratio(maxAbs, in.vds));
        st[S::kDtStar] = TailStar(in, tMax, field, b, fit.xInt, fit.yInt);
    }

    // Additivity checks.
    if (nAdd > 0) {
        double maxAbs = 0.0;
        for (const auto& c : in.additivityChecks) {
            if (c.ownTemperature <= tMax && c.referenceTemperature <= tMax) {
                maxAbs = std::max(maxAbs, std::fabs(c.value));
            }
        }
        if (const auto r = Ratio(maxAbs, std::fabs(fit.xInt))) {
            st[S::kDac] = *r * 100.0;
        }
    }
    return st;
}

StandardStatistics StandardStatisticsOfResult(const CKorvanesToolDoc& analysed, double scatBeta)
{
    if (analysed.m_result.n <= 0) {
        return {};
    }
    return ComputeStandardStatistics(PrepareStandardStatistics(analysed), analysed.m_result.tMin,
                                     analysed.m_result.tMax, scatBeta);
}

}  // namespace korvanes
