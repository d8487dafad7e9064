#pragma once
// Step classification by treatment code, the method type, the pairing of
// steps into Arai points and check difference vectors, and the plot extents.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "document/Document.h"

namespace korvanes {

// Temperatures are clamped to this magnitude, so that the difference of any
// two of them still fits a 32-bit integer.
inline constexpr std::int32_t kMaxTemperatureMagnitude = 1000000000;

// The temperature part of a treatment code: floor(code) in °C, clamped to
// ±kMaxTemperatureMagnitude; 0 for a non-finite code.
std::int32_t TemperatureOfCode(float treatmentCode);

// Magnitude of a pTRM or check difference vector: its length, or with the
// only-z option the absolute z difference alone.
inline double DifferenceMagnitude(double x, double y, double z, bool onlyZ)
{
    return onlyZ ? std::fabs(z) : std::sqrt(x * x + y * y + z * z);
}

// Step type (0..4) of a treatment code, from its fractional part read as a
// three-digit number L = fmod(code·1000, T·1000), computed in double:
// L < 99 zero-field, < 111 in-field, < 121 pTRM check, < 131 tail check,
// < 141 additivity check, < 210 pTRM check, < 310 tail check, < 410
// additivity check, otherwise `previousType` (the resolved type of the
// measurement before; callers pass 0 for the first measurement). Codes below
// 1 (temperature 0 or negative) and non-finite codes are zero-field steps.
int ClassifyTreatmentCode(float treatmentCode, int previousType);

// ClassifyTreatmentCode and TemperatureOfCode of one code at once.
struct StepCode {
    int type = 0;
    std::int32_t temperature = 0;
};
StepCode ReadTreatmentCode(float treatmentCode, int previousType);

// The steps of `measurements` with the types and temperatures BuildSteps
// gives them, without their directions: step k lies along x with length
// k + 1 (no two alike). Every field of every step is written anew.
void ClassifySteps(const std::vector<CMeasurement>& measurements, std::vector<CStepVector>& steps);

// Fills m_steps (one vector per measurement, chosen coordinates, full
// length as magnitude) and the result's methodType ("MT0".."MT4"). With
// pTRM checks as the highest type, MT2 when the second code exceeds the
// third (in-field step first), else MT1; fewer than three measurements give
// MT1.
void BuildSteps(CKorvanesToolDoc& doc);

// Fills m_zeroFieldSteps, m_ptrmGained (origin item first), m_ptrmChecks,
// m_tailChecks, m_additivityChecks and sets m_checkMethodText from m_steps,
// then the plot bounds. A pTRM check that is the very first step has no check
// mode and yields no item. m_checkMethodText is set but never cleared here.
void PairSteps(CKorvanesToolDoc& doc);

// How many items PairSteps would put into its lists, counted without
// building them (the step types and temperatures are all it needs).
struct PairCounts {
    std::size_t zeroFieldSteps = 0;
    std::size_t ptrmGained = 0;  // the origin item included
    std::size_t ptrmChecks = 0;
    std::size_t additivityChecks = 0;
    std::size_t tailCheckStats = 0;   // built from the lists by BuildTailCheckStats
    std::size_t correctedChecks = 0;  // built from the lists by BuildPtrmCheckSeries
    // The most zero-field steps, and the most pTRM items, of one temperature.
    std::size_t mostZeroFieldAtOneTemperature = 0;
    std::size_t mostPtrmAtOneTemperature = 0;
};
PairCounts CountPairs(const std::vector<CStepVector>& steps);

// Temperature, NRM, component and pTRM extents from m_zeroFieldSteps and
// m_ptrmGained. Each running extreme starts from the list's first value; an
// empty list leaves 1000000 for its minima and -1000000 for its maxima. The
// signed horizontal length of a step with x = 0 counts as positive
// (+√(y²)). Leaves the tail-check and check maxima alone.
void ComputePlotBounds(CKorvanesToolDoc& doc);

}  // namespace korvanes
