#include "analysis/DirectionalFit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "document/Coordinates.h"

namespace korvanes {
namespace {

using Matrix = std::array<std::array<double, 3>, 3>;

// R * diag(values) * R^T.
Matrix Conjugate(const Matrix& r, const std::array<double, 3>& values)
{
    Matrix m{};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            for (int k = 0; k < 3; ++k) {
                m[i][j] += r[i][k] * values[k] * r[j][k];
            }
        }
    }
    return m;
}

// Rotation about z by `a` degrees followed by a rotation about x by `b`.
Matrix Rotation(double a, double b)
{
    const double ca = std::cos(a * kDegToRad), sa = std::sin(a * kDegToRad);
    const double cb = std::cos(b * kDegToRad), sb = std::sin(b * kDegToRad);
    const Matrix rz{{{ca, -sa, 0.0}, {sa, ca, 0.0}, {0.0, 0.0, 1.0}}};
    const Matrix rx{{{1.0, 0.0, 0.0}, {0.0, cb, -sb}, {0.0, sb, cb}}};
    Matrix m{};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            for (int k = 0; k < 3; ++k) {
                m[i][j] += rx[i][k] * rz[k][j];
            }
        }
    }
    return m;
}

struct Eigen {
    double values[3];
    double vectors[3][3];
    int rotations;
};

Eigen Solve(const Matrix& m)
{
    double t[3][3];
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            t[i][j] = m[i][j];
        }
    }
    Eigen e{};
    e.rotations = SymmetricEigen3(t, e.values, e.vectors);
    return e;
}

// |cos| of the angle between column `col` of the solution and column `k` of r.
double Alignment(const Eigen& e, int col, const Matrix& r, int k)
{
    double dot = 0.0;
    for (int i = 0; i < 3; ++i) {
        dot += e.vectors[i][col] * r[i][k];
    }
    return std::fabs(dot);
}

void ExpectOrthonormal(const Eigen& e)
{
    for (int a = 0; a < 3; ++a) {
        for (int b = 0; b < 3; ++b) {
            double dot = 0.0;
            for (int i = 0; i < 3; ++i) {
                dot += e.vectors[i][a] * e.vectors[i][b];
            }
            EXPECT_NEAR(dot, a == b ? 1.0 : 0.0, 1e-12);
        }
    }
}

TEST(SymmetricEigen3, DiagonalMatrixNeedsNoRotation)
{
    const Eigen e = Solve({{{3.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 2.0}}});
    EXPECT_EQ(e.rotations, 0);
    EXPECT_EQ(e.values[0], 3.0);
    EXPECT_EQ(e.values[1], 1.0);
    EXPECT_EQ(e.values[2], 2.0);
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            EXPECT_EQ(e.vectors[i][j], i == j ? 1.0 : 0.0);
        }
    }
}

TEST(SymmetricEigen3, RotatedDiagonalMatrixGivesBackTheRotationAxes)
{
    const Matrix r = Rotation(30.0, 40.0);
    const Eigen e = Solve(Conjugate(r, {5.0, 2.0, 1.0}));
    EXPECT_GT(e.rotations, 0);
    ExpectOrthonormal(e);
    const double expected[3] = {5.0, 2.0, 1.0};
    for (int k = 0; k < 3; ++k) {
        // Find the eigenvalue of axis k and check its eigenvector (up to sign).
        int col = -1;
        for (int c = 0; c < 3; ++c) {
            if (std::fabs(e.values[c] - expected[k]) < 1e-12) {
                col = c;
            }
        }
        ASSERT_GE(col, 0) << "eigenvalue " << expected[k];
        EXPECT_NEAR(Alignment(e, col, r, k), 1.0, 1e-12);
    }
}

TEST(SymmetricEigen3, RepeatedEigenvalues)
{
    const Matrix r = Rotation(-65.0, 20.0);
    const Eigen e = Solve(Conjugate(r, {2.0, 2.0, 7.0}));
    ExpectOrthonormal(e);
    std::array<double, 3> sorted{e.values[0], e.values[1], e.values[2]};
    std::sort(sorted.begin(), sorted.end());
    EXPECT_NEAR(sorted[0], 2.0, 1e-12);
    EXPECT_NEAR(sorted[1], 2.0, 1e-12);
    EXPECT_NEAR(sorted[2], 7.0, 1e-12);
    // The single eigenvalue's vector is the third axis; the other two span
    // the plane normal to it.
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(Alignment(e, c, r, 2), std::fabs(e.values[c] - 7.0) < 1e-9 ? 1.0 : 0.0, 1e-12);
    }

    const Eigen scalar = Solve({{{4.0, 0.0, 0.0}, {0.0, 4.0, 0.0}, {0.0, 0.0, 4.0}}});
    EXPECT_EQ(scalar.rotations, 0);
    EXPECT_EQ(scalar.values[0], 4.0);
}

TEST(SymmetricEigen3, ReadsOnlyTheUpperTriangleAndKeepsTheInput)
{
    const Matrix full = Conjugate(Rotation(10.0, 70.0), {9.0, 3.0, 0.5});
    double t[3][3];
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            t[i][j] = i > j ? 1.0e6 : full[i][j];  // garbage below the diagonal
        }
    }
    double values[3];
    double vectors[3][3];
    SymmetricEigen3(t, values, vectors);
    EXPECT_EQ(t[1][0], 1.0e6);
    EXPECT_EQ(t[0][1], full[0][1]);
    std::sort(values, values + 3);
    EXPECT_NEAR(values[0], 0.5, 1e-12);
    EXPECT_NEAR(values[1], 3.0, 1e-12);
    EXPECT_NEAR(values[2], 9.0, 1e-12);
}

CStepVector Point(int temperature, double x, double y, double z)
{
    CStepVector p;
    p.x = x;
    p.y = y;
    p.z = z;
    p.magnitude = std::sqrt(x * x + y * y + z * z);
    p.temperature = temperature;
    p.stepTemperature = temperature;
    return p;
}

// A demagnetisation path along direction (dec, inc) from `start` towards the origin.
std::vector<CStepVector> PathTowardsOrigin(double dec, double inc, double start, int count)
{
    std::vector<CStepVector> points;
    for (int k = 0; k < count; ++k) {
        const Vector3 v = VectorFromDirection(dec, inc, start * (count - k) / count);
        points.push_back(Point(100 + 50 * k, v.x, v.y, v.z));
    }
    return points;
}

TEST(FitDirection, PointsOnALineThroughTheOrigin)
{
    const auto points = PathTowardsOrigin(30.0, 40.0, 10.0, 6);
    for (FitMode mode : {FitMode::kAnchored, FitMode::kFree}) {
        const DirectionFit fit = FitDirection(0, 1000, points, mode);
        EXPECT_NEAR(fit.declination, 30.0, 1e-9);
        EXPECT_NEAR(fit.inclination, 40.0, 1e-9);
        EXPECT_NEAR(fit.mad, 0.0, 1e-6);
    }
}

TEST(FitDirection, HandComputedMadAndTieRule)
{
    // Anchored: T = diag(40, 4, 0), so MAD = atan(sqrt(4/40)).
    const std::vector<CStepVector> square = {Point(100, 4, 1, 0), Point(200, 4, -1, 0),
                                             Point(300, 2, 1, 0), Point(400, 2, -1, 0)};
    const DirectionFit anchored = FitDirection(100, 400, square, FitMode::kAnchored);
    EXPECT_NEAR(anchored.mad, std::atan(std::sqrt(0.1)) * kRadToDeg, 1e-12);
    EXPECT_NEAR(anchored.mad, 17.5484, 1e-4);
    EXPECT_NEAR(anchored.declination, 0.0, 1e-12);
    EXPECT_NEAR(anchored.inclination, 0.0, 1e-12);

    // Free: the reduced points form a square, T = diag(4, 4, 0). The two equal
    // largest eigenvalues keep the lower index (x), no eigenvalue lies
    // strictly between, so the intermediate one counts as 0 and MAD is 0.
    const DirectionFit free = FitDirection(100, 400, square, FitMode::kFree);
    EXPECT_EQ(free.mad, 0.0);
    EXPECT_NEAR(free.declination, 0.0, 1e-12);
    EXPECT_NEAR(free.inclination, 0.0, 1e-12);

    // Only the range's points count.
    const DirectionFit two = FitDirection(150, 300, square, FitMode::kFree);
    EXPECT_EQ(two.mad, 0.0);
    EXPECT_NEAR(two.declination, 315.0, 1e-9);  // (4,-1,0) - (2,1,0) = (2,-2,0)
}

TEST(FitDirection, LargeEigenvaluesGiveTheSameMad)
{
    // T = diag(40, 4, 1) * scale^2: with scale 1e7 every eigenvalue exceeds
    // 1e12, which must not disturb the choice of the smallest one.
    for (double scale : {1.0, 1.0e7}) {
        const std::vector<CStepVector> points = {
            Point(100, 4 * scale, 1 * scale, 0.5 * scale), Point(200, 4 * scale, -1 * scale, -0.5 * scale),
            Point(300, 2 * scale, 1 * scale, -0.5 * scale), Point(400, 2 * scale, -1 * scale, 0.5 * scale)};
        const DirectionFit fit = FitDirection(100, 400, points, FitMode::kAnchored);
        EXPECT_NEAR(fit.mad, std::atan(std::sqrt(5.0 / 40.0)) * kRadToDeg, 1e-9) << scale;
        EXPECT_NEAR(fit.declination, 0.0, 1e-9);
    }
}

TEST(FitDirection, SenseFollowsFirstMinusLastWhateverTheEigenvectorSign)
{
    for (double dec = 5.0; dec < 360.0; dec += 40.0) {
        for (double inc : {-70.0, -20.0, 0.0, 35.0, 80.0}) {
            auto points = PathTowardsOrigin(dec, inc, 100.0, 8);
            // A little scatter across the path.
            for (std::size_t k = 0; k < points.size(); ++k) {
                points[k].x += (k % 2 == 0 ? 1.0 : -1.0) * 0.7;
                points[k].z += (k % 3 == 0 ? 0.5 : -0.25);
            }
            const CStepVector& first = points.front();
            const CStepVector& last = points.back();
            const Direction ref = DirectionFromVector(first.x - last.x, first.y - last.y, first.z - last.z);
            for (FitMode mode : {FitMode::kAnchored, FitMode::kFree}) {
                const DirectionFit fit = FitDirection(0, 10000, points, mode);
                EXPECT_LT(AngleBetweenDirections(fit.declination, fit.inclination, ref.declination,
                                                 ref.inclination),
                          90.0)
                    << dec << " " << inc;
                EXPECT_GE(fit.declination, 0.0);
                EXPECT_LE(fit.declination, 360.0);
            }
        }
    }
}

TEST(FitDirection, ReferenceSquareToTheLineIsDecidedByTheAngles)
{
    // T = diag(8, 2, 0): the eigenvector is +x; first minus last is (0, ±2, 0),
    // at 90 degrees to it, where the angle between the two directions as
    // computed decides: 90 exactly towards +y, just above 90 towards -y.
    for (const double y : {1.0, -1.0}) {
        const std::vector<CStepVector> points = {Point(100, 2, y, 0), Point(200, 2, -y, 0)};
        const DirectionFit fit = FitDirection(0, 1000, points, FitMode::kAnchored);
        EXPECT_EQ(fit.declination, y > 0.0 ? 0.0 : 180.0) << y;
        EXPECT_EQ(fit.inclination, 0.0) << y;
    }
}

TEST(FitDirection, ReversedDeclinationIsReducedBelow360)
{
    // Points along D = 70, I = -60, path towards the origin. The solver's
    // eigenvector of this matrix points to D = 250, I = 60, so the line is
    // reversed: 250 + 180 = 430 comes out as 70.
    const auto points = PathTowardsOrigin(70.0, -60.0, 10.0, 5);
    const Vector3 u = VectorFromDirection(70.0, -60.0, 1.0);
    const double t[3][3] = {{u.x * u.x, u.x * u.y, u.x * u.z},
                            {u.x * u.y, u.y * u.y, u.y * u.z},
                            {u.x * u.z, u.y * u.z, u.z * u.z}};
    double values[3];
    double vectors[3][3];
    SymmetricEigen3(t, values, vectors);
    const int largest = values[0] > values[1] ? (values[0] > values[2] ? 0 : 2) : (values[1] > values[2] ? 1 : 2);
    const Direction principal = DirectionFromVector(vectors[0][largest], vectors[1][largest], vectors[2][largest]);
    ASSERT_NEAR(principal.declination, 250.0, 1e-9) << "the case no longer exercises the reversal";

    const DirectionFit fit = FitDirection(0, 1000, points, FitMode::kAnchored);
    EXPECT_NEAR(fit.declination, 70.0, 1e-9);
    EXPECT_NEAR(fit.inclination, -60.0, 1e-9);
}

TEST(FitDirection, PermutingInnerPointsLeavesTheFitUnchanged)
{
    std::vector<CStepVector> points = {Point(100, 9.0, 3.1, 4.2), Point(150, 7.4, 2.2, 3.9),
                                       Point(200, 6.1, 2.6, 2.8), Point(250, 4.2, 1.1, 2.3),
                                       Point(300, 3.3, 1.5, 1.2), Point(350, 1.1, 0.2, 0.9)};
    const DirectionFit freeFit = FitDirection(0, 1000, points, FitMode::kFree);
    const DirectionFit anchoredFit = FitDirection(0, 1000, points, FitMode::kAnchored);
    EXPECT_GT(freeFit.mad, 0.5);
    // The first and last points fix the sense; the order of the others does not matter.
    std::swap(points[1], points[4]);
    std::swap(points[2], points[3]);
    for (auto& p : points) {
        p.temperature = 500;  // temperatures only select, they do not order
    }
    const DirectionFit freePermuted = FitDirection(0, 1000, points, FitMode::kFree);
    const DirectionFit anchoredPermuted = FitDirection(0, 1000, points, FitMode::kAnchored);
    EXPECT_NEAR(freePermuted.declination, freeFit.declination, 1e-9);
    EXPECT_NEAR(freePermuted.inclination, freeFit.inclination, 1e-9);
    EXPECT_NEAR(freePermuted.mad, freeFit.mad, 1e-9);
    EXPECT_NEAR(anchoredPermuted.declination, anchoredFit.declination, 1e-9);
    EXPECT_NEAR(anchoredPermuted.mad, anchoredFit.mad, 1e-9);
}

TEST(FitDirection, TwoPointsFreeFitRunsThroughBoth)
{
    const std::vector<CStepVector> points = {Point(100, 5.0, 4.0, 3.0), Point(200, 3.0, 3.0, 1.0)};
    const DirectionFit fit = FitDirection(100, 200, points, FitMode::kFree);
    const Direction expected = DirectionFromVector(2.0, 1.0, 2.0);
    EXPECT_NEAR(fit.declination, expected.declination, 1e-9);
    EXPECT_NEAR(fit.inclination, expected.inclination, 1e-9);
    EXPECT_NEAR(fit.mad, 0.0, 1e-6);
}

TEST(FitDirection, DegenerateInputGivesZeroFit)
{
    const std::vector<CStepVector> none;
    const std::vector<CStepVector> atOrigin = {Point(100, 0, 0, 0), Point(200, 0, 0, 0)};
    const std::vector<CStepVector> one = {Point(100, 1, 2, 3)};
    EXPECT_EQ(FitDirection(0, 1000, one, FitMode::kFree).declination, 0.0);  // reduced to the origin
    for (const auto* points : {&none, &atOrigin}) {
        for (FitMode mode : {FitMode::kAnchored, FitMode::kFree}) {
            const DirectionFit fit = FitDirection(0, 1000, *points, mode);
            EXPECT_EQ(fit.declination, 0.0);
            EXPECT_EQ(fit.inclination, 0.0);
            EXPECT_EQ(fit.mad, 0.0);
        }
    }
    // A range outside the data.
    EXPECT_EQ(FitDirection(500, 600, atOrigin, FitMode::kFree).mad, 0.0);
    // A single point anchored is a line through the origin.
    const DirectionFit single = FitDirection(0, 1000, one, FitMode::kAnchored);
    EXPECT_TRUE(std::isfinite(single.declination));
    EXPECT_EQ(single.mad, 0.0);
}

TEST(FitDirection, AtMostKMaxFitPoints)
{
    std::vector<CStepVector> points;
    for (int k = 0; k <= kMaxFitPoints; ++k) {
        points.push_back(Point(k, 2000.0 - k, 0.5 * (2000.0 - k), 0.0));
    }
    const DirectionFit most = FitDirection(0, kMaxFitPoints - 1, points, FitMode::kAnchored);
    EXPECT_NEAR(most.declination, std::atan(0.5) * kRadToDeg, 1e-9);
    const DirectionFit beyond = FitDirection(0, kMaxFitPoints, points, FitMode::kAnchored);
    EXPECT_EQ(beyond.declination, 0.0);
    EXPECT_EQ(beyond.mad, 0.0);
}

}  // namespace
}  // namespace korvanes
