#pragma once
// From specimens to sites: which specimens count, the mean of each sample
// and each site with its spread, the site's acceptance test, and the virtual
// dipole moments that make sites at different latitudes comparable. Pure and
// quick: it works on the results of analyses already run.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "criteria/StatisticCriteria.h"

namespace korvanes {

struct Study;

// What one specimen gives to its sample and site.
struct SpecimenEstimate {
    std::string name;  // bytes as in the data
    std::string sample;
    std::string site;
    double paleointensity = 0.0;  // µT; 0: no result
    double sigma = 0.0;           // µT
    std::string resultClass;      // "A", "B", "C" (with "*" when check-corrected), empty without result
    bool rejected = false;        // by the user
    // The verdict of a criteria set on the specimen's fit, when the setting
    // names one (SiteMeanSettings::criteriaSet); filled by EstimatesOfStudy.
    std::optional<bool> passesSet;
    std::string setFailures;  // the set's failing statistics, for the reason
};

struct SiteMeanSettings {
    // The classes that count (first letter of the class), unless a criteria
    // set is named: then the specimens that pass it count. Rejected
    // specimens and specimens without result never count.
    std::string classes = "AB";
    std::optional<StatisticCriteriaSet> criteriaSet;
    // The site mean from the sample means instead of from the specimens.
    bool fromSampleMeans = false;
    // Acceptance: N at least minN, and σ within maxSd (µT) or maxSdPercent
    // (% of the mean); a limit that is not set does not take part, and with
    // neither set σ is not tested.
    int minN = 3;
    std::optional<double> maxSd = 5.0;
    std::optional<double> maxSdPercent = 15.0;

    bool operator==(const SiteMeanSettings& other) const;
};

// Where a site lies and what else is known of it. Every value is optional:
// a site takes only what it was given.
struct SiteLocation {
    std::optional<double> lat;  // degrees north, -90..90
    std::optional<double> lon;  // degrees east
    std::optional<double> age;
    std::optional<double> inc;  // the site's mean inclination (degrees), for the VDM

    bool operator==(const SiteLocation&) const = default;
};
using SiteLocations = std::map<std::string, SiteLocation>;

// Mean, sample standard deviation (n - 1) and standard error of values.
struct MeanAndSpread {
    int n = 0;
    double mean = 0.0;
    std::optional<double> sd;  // absent for fewer than two values
    std::optional<double> sdPercent;
    std::optional<double> standardError;
};
MeanAndSpread MeanOf(const std::vector<double>& values);

struct SpecimenVerdict {
    std::size_t index = 0;  // into the estimates handed in
    bool counted = false;
    std::string whyNot;  // "rejected", "no result", "class C", "fails CCRIT (int_frac)"
};

struct SampleMean {
    std::string sample;
    std::string site;
    std::vector<SpecimenVerdict> specimens;  // in the order handed in
    MeanAndSpread intensity;                 // of its counted specimens (n 0: none counts)
};

struct SiteMean {
    std::string site;
    std::vector<SampleMean> samples;  // by name
    int nSpecimens = 0;               // counted specimens
    int nSamples = 0;                 // samples with a counted specimen
    MeanAndSpread intensity;          // µT; from specimens or from sample means as set
    bool accepted = false;
    std::vector<std::string> reasons;  // why not accepted ("N 2 < 3", "σ 6.1 µT > 5 µT and 16.2 % > 15 %")
    SiteLocation location;
    std::optional<double> vadm;  // A m², with a latitude and a mean
    std::optional<double> vadmSigma;
    std::optional<double> vdm;  // A m², with an inclination and a mean
    std::optional<double> vdmSigma;
};

struct SiteSummary {
    SiteMeanSettings settings;
    std::vector<SiteMean> sites;  // by name
};

// Whether an estimate counts under the settings, and why not.
SpecimenVerdict VerdictOf(const SpecimenEstimate& estimate, const SiteMeanSettings& settings);

// Groups the estimates by site and sample (names compared byte for byte) and
// computes every mean, the acceptance and, where `locations` give a
// latitude (or an inclination), the VADM (VDM). Linear in the number of
// estimates apart from the sorting of names.
SiteSummary SummariseSites(const std::vector<SpecimenEstimate>& estimates, const SiteMeanSettings& settings,
                           const SiteLocations& locations);

// The estimates of a study's specimens (analysed), in study order. With a
// criteria set in the settings each analysed specimen is also judged by it.
std::vector<SpecimenEstimate> EstimatesOfStudy(const Study& study, const SiteMeanSettings& settings);

// The permeability of free space (T m / A) and the Earth's mean radius (m)
// that the moments use.
inline constexpr double kMu0 = 4e-7 * 3.14159265358979323846;
inline constexpr double kEarthRadius = 6.371e6;

// Virtual axial dipole moment (A m²) of a field of `microtesla` at the
// latitude `latitude` (degrees): 4π R³ B / (μ0 √(1 + 3 sin² λ)).
double Vadm(double microtesla, double latitude);
// Virtual dipole moment (A m²) of a field of `microtesla` whose inclination
// is `inclination` (degrees): the VADM at the magnetic latitude that the
// dipole formula tan I = 2 tan λm gives.
double Vdm(double microtesla, double inclination);

}  // namespace korvanes
