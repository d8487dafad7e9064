#include "document/Coordinates.h"

#include <cmath>

namespace korvanes {

Vector3 VectorFromDirection(double declination, double inclination, double intensity)
{
    const double d = declination * kDegToRad;
    const double i = inclination * kDegToRad;
    return {intensity * std::cos(i) * std::cos(d), intensity * std::cos(i) * std::sin(d),
            intensity * std::sin(i)};
}

Vector3 ToGeographic(const Vector3& v, double coreAzimuth, double coreDip)
{
    const double cA = std::cos(coreAzimuth * kDegToRad);
    const double sA = std::sin(coreAzimuth * kDegToRad);
    const double cP = std::cos(coreDip * kDegToRad);
    const double sP = std::sin(coreDip * kDegToRad);
    return {cA * cP * v.x - sA * v.y + cA * sP * v.z, sA * cP * v.x + cA * v.y + sA * sP * v.z,
            -sP * v.x + cP * v.z};
}

Vector3 ToBedding(const Vector3& g, double beddingDipDirection, double beddingDip)
{
    const double cB = std::cos(beddingDipDirection * kDegToRad);
    const double sB = std::sin(beddingDipDirection * kDegToRad);
    const double cd = std::cos(beddingDip * kDegToRad);
    const double sd = std::sin(beddingDip * kDegToRad);
    return {(sB * sB + cd * cB * cB) * g.x + sB * cB * (cd - 1.0) * g.y + sd * cB * g.z,
            sB * cB * (cd - 1.0) * g.x + (cB * cB + cd * sB * sB) * g.y + sd * sB * g.z,
            -sd * cB * g.x - sd * sB * g.y + cd * g.z};
}

Vector3 VectorInCoordinates(const CMeasurement& m, const CSpecimenHeader& header, int coordinates)
{
    return SpecimenToCoordinates(VectorFromDirection(m.declination, m.inclination, m.moment), header, coordinates);
}

Vector3 SpecimenToCoordinates(const Vector3& specimen, const CSpecimenHeader& header, int coordinates)
{
    if (coordinates != kGeographic && coordinates != kBedding) {
        return specimen;
    }
    const Vector3 geographic = ToGeographic(specimen, header.m_coreAzimuth, header.m_coreDip);
    if (coordinates == kGeographic) {
        return geographic;
    }
    return ToBedding(geographic, header.m_beddingDipDirection, header.m_beddingDip);
}

Direction DirectionFromVector(double x, double y, double z)
{
    Direction d;
    if (x != 0.0) {
        d.declination = std::atan(y / x) * kRadToDeg;
        if (x < 0.0) {
            d.declination += 180.0;
        } else if (y < 0.0) {
            d.declination += 360.0;
        }
    } else {
        d.declination = y > 0.0 ? 90.0 : 270.0;
    }
    d.inclination = InclinationFromVector(x, y, z);
    return d;
}

double InclinationFromVector(double x, double y, double z)
{
    if (x == 0.0 && y == 0.0) {
        return z > 0.0 ? 90.0 : -90.0;
    }
    return std::atan(z / std::sqrt(x * x + y * y)) * kRadToDeg;
}

double AngleBetweenDirections(double dec1, double inc1, double dec2, double inc2)
{
    const double d1 = dec1 * kDegToRad;
    const double d2 = dec2 * kDegToRad;
    const double i1 = inc1 * kDegToRad;
    const double i2 = inc2 * kDegToRad;
    const double cosDeltaD = std::cos(d2) * std::cos(d1) + std::sin(d2) * std::sin(d1);
    double c = cosDeltaD * std::cos(i1) * std::cos(i2) + std::sin(i1) * std::sin(i2);
    // Equal directions can round just past 1 (and opposite ones past -1).
    if (c > 1.0) {
        c = 1.0;
    } else if (c < -1.0) {
        c = -1.0;
    }
    return std::acos(c) * kRadToDeg;
}

}  // namespace korvanes
