#include "document/Coordinates.h"

#include <gtest/gtest.h>

#include <cmath>

namespace korvanes {
namespace {

constexpr double kTol = 1e-12;

void ExpectVector(const Vector3& v, double x, double y, double z, double tol = kTol)
{
    EXPECT_NEAR(v.x, x, tol);
    EXPECT_NEAR(v.y, y, tol);
    EXPECT_NEAR(v.z, z, tol);
}

void ExpectDirection(const Direction& d, double declination, double inclination, double tol = kTol)
{
    EXPECT_NEAR(d.declination, declination, tol);
    EXPECT_NEAR(d.inclination, inclination, tol);
}

TEST(Coordinates, VectorFromDirectionAlongTheAxes)
{
    ExpectVector(VectorFromDirection(0, 0, 1), 1, 0, 0);
    ExpectVector(VectorFromDirection(90, 0, 1), 0, 1, 0);
    ExpectVector(VectorFromDirection(123, 90, 7), 0, 0, 7);
    // D 45, I 30, M 2: horizontal part 2·cos 30 = √3 split evenly; z = 1.
    ExpectVector(VectorFromDirection(45, 30, 2), std::sqrt(1.5), std::sqrt(1.5), 1.0);
}

TEST(Coordinates, DirectionFromVectorEdgeCases)
{
    ExpectDirection(DirectionFromVector(0, 0, 0), 270, -90);
    ExpectDirection(DirectionFromVector(0, 0, 5), 270, 90);
    ExpectDirection(DirectionFromVector(0, 2, 0), 90, 0);
    ExpectDirection(DirectionFromVector(0, -2, 0), 270, 0);
    ExpectDirection(DirectionFromVector(-1, 0, 0), 180, 0);
    ExpectDirection(DirectionFromVector(1, -1, 0), 315, 0);
    ExpectDirection(DirectionFromVector(-1, -1, 0), 225, 0);
    ExpectDirection(DirectionFromVector(1, 0, -1), 0, -45);
}

TEST(Coordinates, DirectionRoundTrip)
{
    for (double d = 0.5; d < 360.0; d += 29.5) {
        for (double i = -85.0; i <= 85.0; i += 17.0) {
            const Vector3 v = VectorFromDirection(d, i, 3.0);
            ExpectDirection(DirectionFromVector(v.x, v.y, v.z), d, i, 1e-9);
        }
    }
}

TEST(Coordinates, IdentityRotations)
{
    const Vector3 v{1.5, -2.0, 0.25};
    ExpectVector(ToGeographic(v, 0, 0), v.x, v.y, v.z);
    ExpectVector(ToBedding(v, 137, 0), v.x, v.y, v.z);
}

TEST(Coordinates, CoreOrientation)
{
    // Azimuth 90 turns x (north in the specimen) to east.
    ExpectVector(ToGeographic({1, 0, 0}, 90, 0), 0, 1, 0);
    // Dip 90 about y turns x to -z (up) and z to x.
    ExpectVector(ToGeographic({1, 0, 0}, 0, 90), 0, 0, -1);
    ExpectVector(ToGeographic({0, 0, 1}, 0, 90), 1, 0, 0);
}

TEST(Coordinates, BedDippingThirtyTowardsEast)
{
    const Vector3 g = VectorFromDirection(90, 30, 1);
    const Vector3 b = ToBedding(g, 90, 30);
    ExpectDirection(DirectionFromVector(b.x, b.y, b.z), 90, 0, 1e-9);
    // The strike direction stays where it is.
    ExpectVector(ToBedding({1, 0, 0}, 90, 30), 1, 0, 0);
}

TEST(Coordinates, VectorInTheChosenSystem)
{
    CSpecimenHeader header;
    header.m_coreAzimuth = 90;
    header.m_coreDip = 0;
    header.m_beddingDipDirection = 180;
    header.m_beddingDip = 90;
    const CMeasurement m{20.0f, 2.0f, 0.0f, 0.0f};  // along specimen x
    ExpectVector(VectorInCoordinates(m, header, kCoreCoordinates), 2, 0, 0);
    ExpectVector(VectorInCoordinates(m, header, kGeographic), 0, 2, 0);
    // Rotation about the east-west axis leaves the eastward vector alone.
    ExpectVector(VectorInCoordinates(m, header, kBedding), 0, 2, 0);
}

TEST(Coordinates, AngleBetweenDirections)
{
    EXPECT_NEAR(AngleBetweenDirections(0, 0, 90, 0), 90.0, 1e-12);
    EXPECT_NEAR(AngleBetweenDirections(10, 20, 190, -20), 180.0, 1e-6);
    EXPECT_EQ(AngleBetweenDirections(33.3, 44.4, 33.3, 44.4), 0.0);
    EXPECT_NEAR(AngleBetweenDirections(0, 0, 0, 60), 60.0, 1e-12);
}

}  // namespace
}  // namespace korvanes
