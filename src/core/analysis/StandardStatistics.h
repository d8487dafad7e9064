#pragma once
// The standard paleointensity statistics of a fitted range (the community's
// standard definitions, Paterson et al. 2014, definitions document v1.1),
// reported beside the program's own statistics and never used by its
// grading or search.
//
// All statistics are computed from the lists an analysis run leaves in the
// document (with the check correction when it is applied), on the same Arai
// points as the line fit: each zero-field item that has a pTRM item of its
// temperature, x the pTRM magnitude (the last item of the temperature), y
// the zero-field magnitude. A statistic the data cannot give is absent,
// never 0.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "document/Coordinates.h"
#include "document/Document.h"

namespace korvanes {

enum class StandardStatistic : int {
    kN,
    kB,
    kBSigma,
    kBeta,
    kF,
    kG,
    kQ,
    kW,
    kFrac,
    kGapMax,
    kFvds,
    kVds,
    kScat,
    kK,
    kKSse,
    kKPrime,
    kKPrimeSse,
    kR2Corr,
    kR2Det,
    kZ,
    kZStar,
    kIzziMd,
    kXIntercept,
    kYIntercept,
    kDang,
    kTheta,
    kGamma,
    kMadAnchored,
    kMadFree,
    kAlpha,
    kNPtrm,
    kCheckPercent,
    kDck,
    kDrat,
    kMaxDev,
    kMeanDev,
    kMeanDevPrime,
    kCdrat,
    kCdratPrime,
    kDrats,
    kDratsPrime,
    kMeanDrat,
    kMeanDratPrime,
    kDpal,
    kNTail,
    kDratTail,
    kDtr,
    kMdVds,
    kDtStar,
    kNAdd,
    kDac,
    kCount
};

inline constexpr std::size_t kStandardStatisticCount = static_cast<std::size_t>(StandardStatistic::kCount);

enum class StatisticKind { kInteger, kReal, kFlag };

struct StandardStatisticInfo {
    StandardStatistic id;
    const char* key;     // the MagIC data model 3 specimens column, else the standard abbreviation
    const char* label;   // for people ("FRAC", "δCK", ...)
    const char* unit;    // "" (dimensionless or a count), "%", "°", "µT" ...
    StatisticKind kind;
    const char* family;  // "Arai plot", "Directions", "pTRM checks", "pTRM-tail checks", "Additivity checks"
};

// Every statistic, in the order of the enumeration.
const std::array<StandardStatisticInfo, kStandardStatisticCount>& StandardStatisticTable();
const StandardStatisticInfo& InfoOf(StandardStatistic s);
// The statistic whose key or label is `name` (case-insensitive), if any.
std::optional<StandardStatistic> StatisticByName(const std::string& name);

struct StandardStatistics {
    std::array<std::optional<double>, kStandardStatisticCount> values{};  // a flag is 1 (true) or 0 (false)
    int tMin = 0;  // °C, the range the statistics describe
    int tMax = 0;
    std::optional<double> operator[](StandardStatistic s) const { return values[static_cast<std::size_t>(s)]; }
    std::optional<double>& operator[](StandardStatistic s) { return values[static_cast<std::size_t>(s)]; }
};

// The β that the SCAT box is built from when no criteria set gives one.
inline constexpr double kDefaultScatBeta = 0.1;

// What every range of one analysed document shares (the Arai points, the
// vector differences, the checks), worked out once for the many ranges of a
// range map. It refers to the document's zero-field list: valid while the
// document lives and its lists stay as they are.
struct StandardStatisticsInput {
    struct Point {
        int temperature = 0;
        double x = 0.0;  // pTRM gained (the fit's x)
        double y = 0.0;  // NRM remaining (the fit's y)
        Vector3 nrm;     // zero-field vector
        Vector3 ptrm;    // pTRM vector of the same item as x
        bool zeroFieldFirst = true;  // the zero-field step of the temperature came before its in-field step
    };
    struct Check {
        int ownTemperature = 0;        // °C, the temperature the check heats to
        int referenceTemperature = 0;  // °C, the latest main step before it
        int point = -1;                // the Arai point at ownTemperature
        double value = 0.0;            // the check's pTRM (x), or for tail checks its NRM (y)
        Vector3 vector;
    };
    std::vector<Point> points;             // the Arai points, in list order
    std::vector<double> steps;             // |NRM[i+1] - NRM[i]| for i < points-1, last: |NRM[last]|
    double vds = 0.0;
    std::vector<Check> ptrmChecks;         // every pTRM check with an Arai point at its own temperature
    std::vector<Check> tailChecks;         // every tail check with an Arai point at its temperature
    std::vector<Check> additivityChecks;   // value: the additivity difference (check minus pTRM)
    bool izzi = false;                     // the Arai points alternate IZ and ZI steps
    bool onlyZ = false;                    // magnitudes are |z| (the document's only-z option)
    std::optional<double> k;               // curvature of all Arai points, and its SSE
    std::optional<double> kSse;
    const std::vector<CStepVector>* zeroField = nullptr;  // the document's, for the directional fits
    // The laboratory field's axis, the specimen's z axis, in the coordinates
    // of the lists (θ, γ and δt* are angles and parts relative to it).
    Vector3 fieldAxis{0.0, 0.0, 1.0};
};

StandardStatisticsInput PrepareStandardStatistics(const CKorvanesToolDoc& analysed);

// Every standard statistic of the Arai points with tMin <= T <= tMax.
// `scatBeta` is the β threshold that builds the SCAT box. Fewer than two
// points in the range: only n (and the statistics of all points) are given.
StandardStatistics ComputeStandardStatistics(const StandardStatisticsInput& input, int tMin, int tMax,
                                             double scatBeta = kDefaultScatBeta);

// The statistics of the document's current result range (none when the
// result has no points).
StandardStatistics StandardStatisticsOfResult(const CKorvanesToolDoc& analysed, double scatBeta = kDefaultScatBeta);

// A circle fitted to points by orthogonal least squares (algebraic fit of
// Taubin as the start, then Levenberg–Marquardt on centre and radius), on
// the points scaled by their largest x and largest y. k = 1/r, negative when
// the centre lies at or below and left of the mean point (a concave-up
// curve); sse the sum of squared orthogonal distances. Collinear points give
// k = 0 and the sum of squared distances to their line. Fewer than three
// points: no fit.
struct CircleFit {
    double k = 0.0;
    double sse = 0.0;
};
std::optional<CircleFit> FitArcCurvature(const double* xs, const double* ys, int n);

}  // namespace korvanes
