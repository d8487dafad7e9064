#include "document/Coordinates.h"

namespace korvanes {

Vector3 VectorFromDirection(double, double, double) { return {}; }
Vector3 ToGeographic(const Vector3& v, double, double) { return v; }
Vector3 ToBedding(const Vector3& v, double, double) { return v; }
Vector3 VectorInCoordinates(const CMeasurement&, const CSpecimenHeader&, int) { return {}; }
Direction DirectionFromVector(double, double, double) { return {}; }
double AngleBetweenDirections(double, double, double, double) { return 0.0; }

}  // namespace korvanes
