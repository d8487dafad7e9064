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

int SymmetricEigen3(const double t[3][3], double eigenvalues[3], double vectors[3][3])
{
    // Work arrays with indices 1..3, as the method is usually written; the
    // copy of the matrix keeps the caller's matrix intact.
    double a[kDim + 1][kDim + 1] = {};
    double v[kDim + 1][kDim + 1] = {};
    double b[kDim + 1] = {};
    double d[kDim + 1] = {};
    double z[kDim + 1] = {};
    for (int p = 1; p <= kDim; ++p) {
        for (int q = 1; q <= kDim; ++q) {
            a[p][q] = t[p - 1][q - 1];
            v[p][q] = p == q ? 1.0 : 0.0;
        }
        b[p] = d[p] = a[p][p];
        z[p] = 0.0;
    }

    int rotations = 0;
    for (int sweep = 1; sweep <= kMaxSweeps; ++sweep) {
        double sm = 0.0;
        for (int p = 1; p < kDim; ++p) {
            for (int q = p + 1; q <= kDim; ++q) {
                sm += std::fabs(a[p][q]);
            }
        }
        if (sm == 0.0) {
            break;
        }
        const double tresh = sweep < 4 ? 0.2 * sm / (kDim * kDim) : 0.0;
        for (int p = 1; p < kDim; ++p) {
            for (int q = p + 1; q <= kDim; ++q) {
                const double g = 100.0 * std::fabs(a[p][q]);
                if (sweep > 4 && std::fabs(d[p]) + g == std::fabs(d[p]) &&
                    std::fabs(d[q]) + g == std::fabs(d[q])) {
                    a[p][q] = 0.0;
                } else if (std::fabs(a[p][q]) > tresh) {
                    double h = d[q] - d[p];
                    double tangent;
                    if (std::fabs(h) + g == std::fabs(h)) {
                        tangent = a[p][q] / h;
                    } else {
                        const double theta = 0.5 * h / a[p][q];
                        tangent = 1.0 / (std::fabs(theta) + std::sqrt(1.0 + theta * theta));
                        if (theta < 0.0) {
                            tangent = -tangent;
                        }
                    }
                    const double c = 1.0 / std::sqrt(1.0 + tangent * tangent);
                    const double s = tangent * c;
                    const double tau = s / (1.0 + c);
                    h = tangent * a[p][q];
                    z[p] -= h;
                    z[q] += h;
                    d[p] -= h;
                    d[q] += h;
                    a[p][q] = 0.0;
                    for (int j = 1; j <= p - 1; ++j) {
                        Rotate(a[j][p], a[j][q], s, tau);
                    }
                    for (int j = p + 1; j <= q - 1; ++j) {
                        Rotate(a[p][j], a[j][q], s, tau);
                    }
                    for (int j = q + 1; j <= kDim; ++j) {
                        Rotate(a[p][j], a[q][j], s, tau);
                    }
                    for (int j = 1; j <= kDim; ++j) {
                        Rotate(v[j][p], v[j][q], s, tau);
                    }
                    ++rotations;
                }
            }
        }
        for (int p = 1; p <= kDim; ++p) {
            b[p] += z[p];
            d[p] = b[p];
            z[p] = 0.0;
        }
    }

    for (int p = 1; p <= kDim; ++p) {
        eigenvalues[p - 1] = d[p];
        for (int q = 1; q <= kDim; ++q) {
            vectors[p - 1][q - 1] = v[p][q];
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

// The reference direction: first minus last point. A difference of two
// points, so the same whether or not they are reduced to their centre of mass.
Direction ReferenceDirection(const double* px, const double* py, const double* pz, int n)
{
    return DirectionFromVector(px[0] - px[n - 1], py[0] - py[n - 1], pz[0] - pz[n - 1]);
}

// One fit of the n > 0 collected points; a free fit reduces them to their
// centre of mass in place.
DirectionFit FitCollected(double* px, double* py, double* pz, int n, const Direction& reference, FitMode mode)
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

    const double dp = principal.declination * kDegToRad;
    const double ip = principal.inclination * kDegToRad;
    const double dr = reference.declination * kDegToRad;
    const double ir = reference.inclination * kDegToRad;
    double cosPsi = std::cos(dp - dr) * std::cos(ip) * std::cos(ir) + std::sin(ip) * std::sin(ir);
    if (cosPsi > 1.0) {
        cosPsi = 1.0;
    } else if (cosPsi < -1.0) {
        cosPsi = -1.0;
    }
    const double psi = std::acos(cosPsi) * kRadToDeg;
    if (psi > 90.0) {
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
    return FitCollected(px, py, pz, n, ReferenceDirection(px, py, pz, n), mode);
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
    const Direction reference = ReferenceDirection(px, py, pz, n);
    // The anchored fit first: the free fit moves the points.
    anchoredFit = FitCollected(px, py, pz, n, reference, FitMode::kAnchored);
    freeFit = FitCollected(px, py, pz, n, reference, FitMode::kFree);
}

}  // namespace korvanes
