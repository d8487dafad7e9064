#include "study/SiteMeans.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "analysis/StandardStatistics.h"
#include "study/Study.h"
#include "text/TextEncoding.h"

namespace korvanes {
namespace {

constexpr double kDegree = 3.14159265358979323846 / 180.0;

std::string Short(double value) { return StringPrintf("%.3g", value); }

// Why the σ test fails, or nothing when it passes (or is not set).
std::optional<std::string> SpreadFailure(const MeanAndSpread& m, const SiteMeanSettings& s)
{
    if (!s.maxSd && !s.maxSdPercent) {
        return std::nullopt;
    }
    if (!m.sd) {
        return std::nullopt;  // one value: N decides
    }
    const bool absoluteOk = s.maxSd && *m.sd <= *s.maxSd;
    const bool relativeOk = s.maxSdPercent && m.sdPercent && *m.sdPercent <= *s.maxSdPercent;
    if (absoluteOk || relativeOk) {
        return std::nullopt;
    }
    std::string text;
    if (s.maxSd) {
        text = "σ " + Short(*m.sd) + " µT > " + Short(*s.maxSd) + " µT";
    }
    if (s.maxSdPercent) {
        text += (text.empty() ? "σ " : " and ") + (m.sdPercent ? Short(*m.sdPercent) : std::string("?")) + " % > " +
                Short(*s.maxSdPercent) + " %";
    }
    return text;
}

}  // namespace

bool SiteMeanSettings::operator==(const SiteMeanSettings& other) const
{
    const auto setName = [](const std::optional<StatisticCriteriaSet>& set) {
        return set ? std::optional<std::string>(set->name) : std::nullopt;
    };
    return classes == other.classes && setName(criteriaSet) == setName(other.criteriaSet) &&
           fromSampleMeans == other.fromSampleMeans && minN == other.minN && maxSd == other.maxSd &&
           maxSdPercent == other.maxSdPercent;
}

MeanAndSpread MeanOf(const std::vector<double>& values)
{
    MeanAndSpread m;
    m.n = static_cast<int>(values.size());
    if (values.empty()) {
        return m;
    }
    m.mean = std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
    if (values.size() >= 2) {
        double squares = 0.0;
        for (const double v : values) {
            squares += (v - m.mean) * (v - m.mean);
        }
        m.sd = std::sqrt(squares / static_cast<double>(values.size() - 1));
        m.standardError = *m.sd / std::sqrt(static_cast<double>(values.size()));
        if (m.mean != 0.0) {
            m.sdPercent = 100.0 * *m.sd / std::fabs(m.mean);
        }
    }
    return m;
}

SpecimenVerdict VerdictOf(const SpecimenEstimate& e, const SiteMeanSettings& settings)
{
    SpecimenVerdict v;
    if (e.rejected) {
        v.whyNot = "rejected";
    } else if (e.paleointensity == 0.0) {
        v.whyNot = "no result";
    } else if (settings.criteriaSet) {
        if (!e.passesSet) {
            v.whyNot = "not judged by " + settings.criteriaSet->name;
        } else if (!*e.passesSet) {
            v.whyNot = "fails " + settings.criteriaSet->name + (e.setFailures.empty() ? "" : " (" + e.setFailures + ")");
        }
    } else if (e.resultClass.empty() || settings.classes.find(e.resultClass.front()) == std::string::npos) {
        v.whyNot = "class " + (e.resultClass.empty() ? std::string("none") : e.resultClass.substr(0, 1));
    }
    v.counted = v.whyNot.empty();
    return v;
}

double Vadm(double microtesla, double latitude)
{
    const double s = std::sin(latitude * kDegree);
    return 4.0 * 3.14159265358979323846 * kEarthRadius * kEarthRadius * kEarthRadius * microtesla * 1e-6 /
           (kMu0 * std::sqrt(1.0 + 3.0 * s * s));
}

double Vdm(double microtesla, double inclination)
{
    const double magneticLatitude = std::atan(std::tan(inclination * kDegree) / 2.0) / kDegree;
    return Vadm(microtesla, magneticLatitude);
}

SiteSummary SummariseSites(const std::vector<SpecimenEstimate>& estimates, const SiteMeanSettings& settings,
                           const SiteLocations& locations)
{
    SiteSummary summary;
    summary.settings = settings;
    // Indices ordered by site, then sample, then the order handed in.
    std::vector<std::size_t> order(estimates.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const SpecimenEstimate& x = estimates[a];
        const SpecimenEstimate& y = estimates[b];
        const int site = x.site.compare(y.site);
        return site != 0 ? site < 0 : x.sample < y.sample;
    });
    std::vector<double> values;
    std::vector<double> siteValues;
    for (std::size_t k = 0; k < order.size();) {
        SiteMean site;
        site.site = estimates[order[k]].site;
        siteValues.clear();
        while (k < order.size() && estimates[order[k]].site == site.site) {
            SampleMean sample;
            sample.sample = estimates[order[k]].sample;
            sample.site = site.site;
            values.clear();
            while (k < order.size() && estimates[order[k]].site == site.site &&
                   estimates[order[k]].sample == sample.sample) {
                const SpecimenEstimate& e = estimates[order[k]];
                SpecimenVerdict verdict = VerdictOf(e, settings);
                verdict.index = order[k];
                if (verdict.counted) {
                    values.push_back(e.paleointensity);
                    if (!settings.fromSampleMeans) {
                        siteValues.push_back(e.paleointensity);
                    }
                }
                sample.specimens.push_back(std::move(verdict));
                ++k;
            }
            sample.intensity = MeanOf(values);
            site.nSpecimens += sample.intensity.n;
            if (sample.intensity.n > 0) {
                ++site.nSamples;
                if (settings.fromSampleMeans) {
                    siteValues.push_back(sample.intensity.mean);
                }
            }
            site.samples.push_back(std::move(sample));
        }
        site.intensity = MeanOf(siteValues);
        const MeanAndSpread& m = site.intensity;
        if (m.n < settings.minN) {
            site.reasons.push_back("N " + std::to_string(m.n) + " < " + std::to_string(settings.minN));
        }
        if (const std::optional<std::string> spread = SpreadFailure(m, settings)) {
            site.reasons.push_back(*spread);
        }
        site.accepted = m.n > 0 && site.reasons.empty();
        if (m.n == 0 && site.reasons.empty()) {
            site.reasons.push_back("no specimen counts");
        }
        if (const auto found = locations.find(site.site); found != locations.end()) {
            site.location = found->second;
        }
        if (m.n > 0 && site.location.lat) {
            site.vadm = Vadm(m.mean, *site.location.lat);
            if (m.sd) {
                site.vadmSigma = Vadm(*m.sd, *site.location.lat);
            }
        }
        if (m.n > 0 && site.location.inc) {
            site.vdm = Vdm(m.mean, *site.location.inc);
            if (m.sd) {
                site.vdmSigma = Vdm(*m.sd, *site.location.inc);
            }
        }
        summary.sites.push_back(std::move(site));
    }
    return summary;
}

std::vector<SpecimenEstimate> EstimatesOfStudy(const Study& study, const SiteMeanSettings& settings)
{
    std::vector<SpecimenEstimate> estimates;
    estimates.reserve(study.specimens.size());
    for (const StudySpecimen& s : study.specimens) {
        SpecimenEstimate e;
        e.name = s.name;
        e.sample = s.sample;
        e.site = s.site;
        e.rejected = s.rejected;
        if (!s.doc.m_measurements.empty()) {
            const CSpecimenResult& r = s.doc.m_result;
            e.paleointensity = r.paleointensity;
            e.sigma = r.stdDev;
            e.resultClass = r.resultClass;
            if (settings.criteriaSet && r.paleointensity != 0.0) {
                const CriteriaVerdict verdict = EvaluateCriteria(
                    *settings.criteriaSet, StandardStatisticsOfResult(s.doc, ScatBetaOf(&*settings.criteriaSet)));
                e.passesSet = verdict.pass;
                const std::vector<std::string> failed = verdict.Failed();
                for (std::size_t i = 0; i < failed.size(); ++i) {
                    e.setFailures += (i == 0 ? "" : ", ") + failed[i];
                }
            }
        }
        estimates.push_back(std::move(e));
    }
    return estimates;
}

}  // namespace korvanes
