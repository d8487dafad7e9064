#include "analysis/DirectionalFit.h"

#include <cmath>

#include "document/Coordinates.h"

namespace korvanes {
namespace {

constexpr int kDim = 3;
constexpr int kMaxSweeps = 50;

// One Jacobi rotation of the element pair (a, b): a <- a - s(b + tau a),
// b <- b + s(a - tau b).
inline void Rotate(double& a, double& b, double s, double tau)
{
    const double g = a;
    const double h = b;
    a = g - s * (h + g * tau);
    b = h + s * (g - h * tau);
}

}  // namespace

namespace {

// The Jacobi step of the element (P, Q) of the upper triangle, the indices
// fixed at compile time so that the three pairs of a sweep run as straight
// code with the work arrays in registers. The arithmetic and its order are
// those of the method as usually written (indices 1..3 there, 0..2 here).
template <int P, int Q>
inline void JacobiStep(double (&a)[kDim][kDim], double (&v)[kDim][kDim], double (&d)[kDim], double (&z)[kDim],
                       int sweep, double tresh, int& rotations)
{
    const double g = 100.0 * std::fabs(a[P][Q]);
    if (sweep > 4 && std::fabs(d[P]) + g == std::fabs(d[P]) && std::fabs(d[Q]) + g == std::fabs(d[Q])) {
        a[P][Q] = 0.0;
        return;
    }
    if (!(std::fabs(a[P][Q]) > tresh)) {
        return;
    }
    double h = d[Q] - d[P];
    double tangent;
    if (std::fabs(h) + g == std::fabs(h)) {
        tangent = a[P][Q] / h;
    } else {
        const double theta = 0.5 * h / a[P][Q];
        tangent = 1.0 / (std::fabs(theta) + std::sqrt(1.0 + theta * theta));
        if (theta < 0.0) {
            tangent = -tangent;
        }
    }
    const double c = 1.0 / std::sqrt(1.0 + tangent * tangent);
    const double s = tangent * c;
    const double tau = s / (1.0 + c);
    h = tangent * a[P][Q];
    z[P] -= h;
    z[Q] += h;
    d[P] -= h;
    d[Q] += h;
    a[P][Q] = 0.0;
    for (int j = 0; j < P; ++j) {
        Rotate(a[j][P], a[j][Q], s, tau);
    }
    for (int j = P + 1; j < Q; ++j) {
        Rotate(a[P][j], a[j][Q], s, tau);
    }
    for (int j = Q + 1; j < kDim; ++j) {
        Rotate(a[P][j], a[Q][j], s, tau);
    }
    for (int j = 0; j < kDim; ++j) {
        Rotate(v[j][P], v[j][Q], s, tau);
    }
    ++rotations;
}

}  // namespace

int SymmetricEigen3(const double t[3][3], double eigenvalues[3], double vectors[3][3])
{
    // Work copies: the caller's matrix stays intact. Only the upper triangle
    // of `a` is read and rotated.
    double a[kDim][kDim];
    double v[kDim][kDim];
    double b[kDim];
    double d[kDim];
    double z[kDim];
    for (int p = 0; p < kDim; ++p) {
        for (int q = 0; q < kDim; ++q) {
            a[p][q] = t[p][q];
            v[p][q] = p == q ? 1.0 : 0.0;
        }
        b[p] = d[p] = a[p][p];
        z[p] = 0.0;
    }

    int rotations = 0;
    for (int sweep = 1; sweep <= kMaxSweeps; ++sweep) {
        const double sm = std::fabs(a[0][1]) + std::fabs(a[0][2]) + std::fabs(a[1][2]);
        if (sm == 0.0) {
            break;
        }
        const double tresh = sweep < 4 ? 0.2 * sm / (kDim * kDim) : 0.0;
        JacobiStep<0, 1>(a, v, d, z, sweep, tresh, rotations);
        JacobiStep<0, 2>(a, v, d, z, sweep, tresh, rotations);
        JacobiStep<1, 2>(a, v, d, z, sweep, tresh, rotations);
        for (int p = 0; p < kDim; ++p) {
            b[p] += z[p];
            d[p] = b[p];
            z[p] = 0.0;
        }
    }

    for (int p = 0; p < kDim; ++p) {
        eigenvalues[p] = d[p];
        for (int q = 0; q < kDim; ++q) {
            vectors[p][q] = v[p][q];
        }
    }
    return rotations;
}

namespace {

// The x, y, z of the items of `points` within [tMin, tMax], in list order.
// Returns their number, or -1 when there are more than kMaxFitPoints.
int CollectPoints(int tMin, int tMax, const std::vector<CStepVector>& points, double* px, double* py, double* pz)
{
    int n = 0;
    for (const CStepVector& item : points) {
        if (item.temperature < tMin || item.temperature > tMax) {
            continue;
        }
        if (n == kMaxFitPoints) {
            return -1;  // more points than any specimen has: rejected
        }
        px[n] = item.x;
        py[n] = item.y;
        pz[n] = item.z;
        ++n;
    }
    return n;
}

// The reference vector: first minus last point. A difference of two points,
// so the same whether or not they are reduced to their centre of mass.
Vector3 ReferenceVector(const double* px, const double* py, const double* pz, int n)
{
    return {px[0] - px[n - 1], py[0] - py[n - 1], pz[0] - pz[n - 1]};
}

// The reference direction, converted on first use: most fits decide their
// sense without it (AgainstReference).
class Reference {
public:
    explicit Reference(const Vector3& vector) : m_vector(vector) {}
    const Vector3& Vector() const { return m_vector; }
    const Direction& Angles()
    {
        if (!m_converted) {
            m_angles = DirectionFromVector(m_vector.x, m_vector.y, m_vector.z);
            m_converted = true;
        }
        return m_angles;
    }

private:
    Vector3 m_vector;
    Direction m_angles;
    bool m_converted = false;
};

// Whether the direction `principal` (of the unit vector u) lies more than 90
// degrees from the reference, as the angle between the two directions'
// declinations and inclinations says. That angle's cosine differs from the
// cosine of the two vectors by rounding alone (some units in 1e-15, for
// vectors whose squares stay well within the range of doubles), so the
// vectors decide unless their cosine lies within 1e-9 of 0; there (and for
// vectors of extreme size, zero, or not finite) the angle is computed.
bool AgainstReference(const Direction& principal, const Vector3& u, Reference& reference)
{
    const Vector3& r = reference.Vector();
    const double uu = u.x * u.x + u.y * u.y + u.z * u.z;
    const double rr = r.x * r.x + r.y * r.y + r.z * r.z;
    if (uu > 1e-200 && uu < 1e200 && rr > 1e-200 && rr < 1e200) {
        const double cosine = (u.x * r.x + u.y * r.y + u.z * r.z) / std::sqrt(uu * rr);
        if (std::fabs(cosine) > 1e-9) {
            return cosine < 0.0;
        }
    }
    const Direction& angles = reference.Angles();
    const double dp = principal.declination * kDegToRad;
    const double ip = principal.inclination * kDegToRad;
    const double dr = angles.declination * kDegToRad;
    const double ir = angles.inclination * kDegToRad;
    double cosPsi = std::cos(dp - dr) * std::cos(ip) * std::cos(ir) + std::sin(ip) * std::sin(ir);
    if (cosPsi > 1.0) {
        cosPsi = 1.0;
    } else if (cosPsi < -1.0) {
        cosPsi = -1.0;
    }
    const double psi = std::acos(cosPsi) * kRadToDeg;
    return psi > 90.0;
}

// One fit of the n > 0 collected points; a free fit reduces them to their
// centre of mass in place.
DirectionFit FitCollected(double* px, double* py, double* pz, int n, Reference& reference, FitMode mode)
{
    if (mode == FitMode::kFree) {
        double cx = 0.0;
        double cy = 0.0;
        double cz = 0.0;
        for (int k = 0; k < n; ++k) {
            cx += px[k];
            cy += py[k];
            cz += pz[k];
        }
        cx /= n;
        cy /= n;
        cz /= n;
        for (int k = 0; k < n; ++k) {
            px[k] -= cx;
            py[k] -= cy;
            pz[k] -= cz;
        }
    }

    double t[3][3] = {};
    for (int k = 0; k < n; ++k) {
        t[0][0] += px[k] * px[k];
        t[0][1] += px[k] * py[k];
        t[0][2] += px[k] * pz[k];
        t[1][1] += py[k] * py[k];
        t[1][2] += py[k] * pz[k];
        t[2][2] += pz[k] * pz[k];
    }
    t[1][0] = t[0][1];
    t[2][0] = t[0][2];
    t[2][1] = t[1][2];

    double e[3];
    double v[3][3];
    SymmetricEigen3(t, e, v);

    const double trace = e[0] + e[1] + e[2];
    int largest = -1;
    double maxValue = 0.0;
    for (int i = 0; i < 3; ++i) {
        if (e[i] > maxValue) {
            maxValue = e[i];
            largest = i;
        }
    }
    if (largest < 0 || !(trace > 0.0)) {
        return {};  // all points at the origin: no direction to fit
    }
    // The running minimum starts from the first eigenvalue (a fixed large
    // start value would miss eigenvalues above it).
    int smallest = 0;
    for (int i = 1; i < 3; ++i) {
        if (e[i] < e[smallest]) {
            smallest = i;
        }
    }
    double intermediate = 0.0;
    for (int i = 0; i < 3; ++i) {
        if (e[i] > e[smallest] && e[i] < e[largest]) {
            intermediate = e[i];
        }
    }
    const double tauMax = e[largest] / trace;
    const double tauInt = intermediate / trace;
    const double tauMin = e[smallest] / trace;

    const Direction principal = DirectionFromVector(v[0][largest], v[1][largest], v[2][largest]);

    DirectionFit fit;
    if (tauMin + tauInt > 0.0) {
        fit.mad = std::atan(std::sqrt((tauMin + tauInt) / tauMax)) * kRadToDeg;
    }

    if (AgainstReference(principal, {v[0][largest], v[1][largest], v[2][largest]}, reference)) {
        fit.declination = principal.declination + 180.0;
        fit.inclination = -principal.inclination;
    } else {
        fit.declination = principal.declination;
        fit.inclination = principal.inclination;
    }
    if (fit.declination > 360.0) {
        fit.declination -= 360.0;
    }
    return fit;
}

}  // namespace

DirectionFit FitDirection(int tMin, int tMax, const std::vector<CStepVector>& points, FitMode mode)
{
    // Fixed work storage: the fit runs for every candidate range of the
    // automatic search and must not allocate.
    double px[kMaxFitPoints];
    double py[kMaxFitPoints];
    double pz[kMaxFitPoints];
    const int n = CollectPoints(tMin, tMax, points, px, py, pz);
    if (n <= 0) {
        return {};
    }
    Reference reference(ReferenceVector(px, py, pz, n));
    return FitCollected(px, py, pz, n, reference, mode);
}

void FitDirections(int tMin, int tMax, const std::vector<CStepVector>& points, DirectionFit& freeFit,
                   DirectionFit& anchoredFit)
{
    double px[kMaxFitPoints];
    double py[kMaxFitPoints];
    double pz[kMaxFitPoints];
    const int n = CollectPoints(tMin, tMax, points, px, py, pz);
    if (n <= 0) {
        freeFit = {};
        anchoredFit = {};
        return;
    }
    Reference reference(ReferenceVector(px, py, pz, n));
    // The anchored fit first: the free fit moves the points.
    anchoredFit = FitCollected(px, py, pz, n, reference, FitMode::kAnchored);
    freeFit = FitCollected(px, py, pz, n, reference, FitMode::kFree);
}

}  // namespace korvanes
