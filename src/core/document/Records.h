#pragma once
// The record types of a specimen document: one measurement line, one derived
// vector, the header, the options, the result and the plot extents.

#include <cmath>
#include <cstdint>
#include <string>

namespace korvanes {

// One accepted data line. The file carries code, moment, declination,
// inclination; the record keeps code, moment, inclination, declination.
struct CMeasurement {
    float treatmentCode = 0.0f;  // temperature in °C plus a fractional step-type code
    float moment = 0.0f;         // mA/m
    float inclination = 0.0f;    // degrees
    float declination = 0.0f;    // degrees
};

// Step types of the treatment-code grammar.
enum StepType : std::int32_t {
    kZeroField = 0,
    kInField = 1,
    kPtrmCheck = 2,
    kTailCheck = 3,
    kAdditivityCheck = 4,
};

// One derived vector. Some lists give the fields other meanings (see the
// list that holds it).
struct CStepVector {
    double x = 0.0;  // mA/m, chosen coordinates, z positive down
    double y = 0.0;
    double z = 0.0;
    double magnitude = 0.0;
    std::int32_t stepType = 0;
    std::int32_t temperature = 0;      // °C; for checks the temperature the check refers to
    std::int32_t stepTemperature = 0;  // °C; the item's own temperature
};

struct CSpecimenHeader {
    float m_labField = 35.0f;  // µT
    float m_coreAzimuth = 0.0f;
    float m_coreDip = 0.0f;
    float m_beddingDipDirection = 0.0f;
    float m_beddingDip = 0.0f;
    std::string m_specimenName;     // bytes as in the data file
    std::string m_checkMethodText;  // empty until a pTRM check is paired
    // The rest of a "Korvanes-kvd" first line after its 12 bytes, as read
    // (empty without that line). The analysis ignores it; tools that wrote
    // the file may keep notes there (the MagIC import keeps the origin).
    std::string m_fileNote;
};

// Whether a laboratory field (µT) can give a paleointensity: only a
// positive finite number can. With any other the analysis grades nothing.
inline bool IsUsableLabField(double microTesla)
{
    return microTesla > 0.0 && std::isfinite(microTesla);
}

enum Coordinates : std::int32_t { kCoreCoordinates = 0, kGeographic = 1, kBedding = 2 };
enum PlotType : std::int32_t {
    kAraiPlot = 0,
    kZijderveldPlot = 1,
    kDecayPlot = 2,
    kAdditionalPlots = 3,
    kAllPlots = 4,
    kRangeMapPlot = 5,
};
enum RangeMode : std::int32_t { kAutomaticRange = 0, kSelectedRange = 1 };

struct CAnalysisOptions {
    std::int32_t m_coordinates = kCoreCoordinates;
    std::int32_t m_plotType = kAraiPlot;
    std::int32_t m_rangeMode = kAutomaticRange;
    std::int32_t m_checkCorrected = 0;
    std::int32_t m_showAdditivityChecks = 1;
    std::int32_t m_onlyZComponent = 0;
    std::int32_t m_includeCheckCorrection = 0;
    std::string m_pathName;
    std::int32_t m_equalAraiScales = 0;
};

// The per-specimen result. A paleointensity of 0 means there is no result.
struct CSpecimenResult {
    std::int32_t tMin = 0;
    std::int32_t tMax = 0;
    double madAnchored = 0.0;
    double decAnchored = 0.0;
    double incAnchored = 0.0;
    double madFree = 0.0;
    double decFree = 0.0;
    double incFree = 0.0;
    double trm = 0.0;
    double nrmT = 0.0;
    std::int32_t n = 0;
    double stdDev = 0.0;
    double slope = 0.0;
    double slopeRelStd = 0.0;
    double ckError = 0.0;
    double ckDiff = 0.0;
    double w = 0.0;
    double q = 0.0;
    double g = 0.0;
    double f = 0.0;
    double paleointensity = 0.0;
    std::string methodType;
    std::string resultClass;
    double dTR = 0.0;
    double dAC = 0.0;
    double fitXFrom = 0.0;
    double fitXTo = 0.0;
    double meanPtrm = 0.0;
    double meanNrm = 0.0;
    double fitLength = 1.0;
    double drat = 0.0;
    double alpha = 0.0;
    double dTStar = 0.0;
    // Why there is no result (paleointensity 0), for people (Windows-1252);
    // empty when there is one. Set by the analysis run.
    std::string noResultReason;
};

// Extents of the derived lists that the analysis and the diagrams scale by.
struct CPlotBounds {
    std::int32_t minTemperature = 0;
    std::int32_t maxTemperature = 0;
    double minNrm = 0.0;
    double maxNrm = 0.0;
    double maxPtrm = 0.0;
    double maxX = 0.0;
    double maxY = 0.0;
    double maxZ = 0.0;
    double maxHorizontal = 0.0;
    double minX = 0.0;
    double minY = 0.0;
    double minZ = 0.0;
    double minHorizontal = 0.0;
    // tail-check maxima
    double maxTailDTR = 0.0;
    double maxTailTStar = 0.0;
    double maxTailDInc = 0.0;
    double tailPlotMax = 0.0;
    double tailPlotMaxIncTStar = 0.0;
    // check maxima
    double maxCheckDifference = 0.0;
    double maxAdditivityDifference = 0.0;
};

}  // namespace korvanes
