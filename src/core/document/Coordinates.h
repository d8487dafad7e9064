#pragma once
// Directions and vectors in specimen, geographic and bedding coordinates.
// Angles are degrees outside the trigonometric helpers; x points to
// declination 0, y to declination 90, z down.

#include "document/Records.h"

namespace korvanes {

inline constexpr double kPi = 3.141592653589793;
inline constexpr double kDegToRad = kPi * 0.005555555555555556;
inline constexpr double kRadToDeg = 180.0 / kPi;

struct Vector3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

struct Direction {
    double declination = 0.0;  // [0, 360)
    double inclination = 0.0;  // [-90, 90]
};

// (x, y, z) of a direction D, I (degrees) with intensity M.
Vector3 VectorFromDirection(double declination, double inclination, double intensity);
// Rotation by the core dip P about y, then by the core azimuth A about z.
Vector3 ToGeographic(const Vector3& specimen, double coreAzimuth, double coreDip);
// Restores a bed dipping by `beddingDip` towards `beddingDipDirection` to the horizontal.
Vector3 ToBedding(const Vector3& geographic, double beddingDipDirection, double beddingDip);
// A vector in specimen coordinates carried into the system that `coordinates` names (0, 1, 2).
Vector3 SpecimenToCoordinates(const Vector3& specimen, const CSpecimenHeader& header, int coordinates);
// The vector of a measurement in the system that `coordinates` names (0, 1, 2).
Vector3 VectorInCoordinates(const CMeasurement& m, const CSpecimenHeader& header, int coordinates);

Direction DirectionFromVector(double x, double y, double z);
// DirectionFromVector(x, y, z).inclination, without the declination.
double InclinationFromVector(double x, double y, double z);
// Angle between two directions in degrees, in [0, 180]; rounding past ±1 is clamped.
double AngleBetweenDirections(double dec1, double inc1, double dec2, double inc2);

}  // namespace korvanes
