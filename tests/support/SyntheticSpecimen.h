#pragma once
// Generated double-heating experiments for tests and benchmarks: a smooth
// unblocking spectrum with a small deterministic wobble, pTRM along the
// laboratory field (mostly z), and the usual check steps.

#include <cmath>
#include <cstddef>
#include <vector>

#include "document/Coordinates.h"
#include "document/Records.h"

namespace korvanes::synthetic {

// A smooth unblocking spectrum between 20 °C and the Curie temperature, with
// a small deterministic wobble so that no two ranges fit equally well.
struct Experiment {
    double nrm0 = 1500.0;
    double curie = 590.0;
    double shape = 2.2;
    double ratio = 0.8;  // pTRM gained per NRM lost
    double nrmDec = 350.0;
    double nrmInc = 40.0;
    double alteration = 0.0;  // extra pTRM gained per °C above 400, as a fraction

    double Remaining(int t) const
    {
        const double u = std::fmin(std::fmax((t - 20.0) / (curie - 20.0), 0.0), 1.0);
        return nrm0 * (1.0 - std::pow(u, shape)) * (1.0 + 0.006 * std::sin(0.37 * t));
    }
    Vector3 Nrm(int t) const { return VectorFromDirection(nrmDec, nrmInc, Remaining(t)); }
    Vector3 Ptrm(int t) const
    {
        const double grown = t > 400 ? 1.0 + alteration * (t - 400) : 1.0;
        const double gained = ratio * (nrm0 - Remaining(t)) * grown * (1.0 + 0.004 * std::cos(0.53 * t));
        return {0.01 * gained, -0.02 * gained, gained};
    }
};

inline Vector3 Sum(const Vector3& a, const Vector3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }

inline CMeasurement Line(double code, const Vector3& v)
{
    const Direction d = DirectionFromVector(v.x, v.y, v.z);
    CMeasurement m;
    m.treatmentCode = static_cast<float>(code);
    m.moment = static_cast<float>(std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z));
    m.declination = static_cast<float>(d.declination);
    m.inclination = static_cast<float>(d.inclination);
    return m;
}

// NRM at 20 °C, then for every temperature a zero-field and an in-field
// step; a pTRM check back two steps after every `checkEvery`-th in-field
// step, a tail check after every `tailEvery`-th (0: none) and, for MT4, an
// additivity check back two steps after every third.
inline std::vector<CMeasurement> Generate(const Experiment& e, const std::vector<int>& temperatures, int checkEvery,
                                   int tailEvery, bool additivity)
{
    std::vector<CMeasurement> lines;
    lines.push_back(Line(20.0, e.Nrm(20)));
    for (std::size_t i = 0; i < temperatures.size(); ++i) {
        const int t = temperatures[i];
        lines.push_back(Line(t, e.Nrm(t)));
        if (i >= 2 && checkEvery > 0 && i % static_cast<std::size_t>(checkEvery) == 0) {
            const int back = temperatures[i - 2];
            lines.push_back(Line(back + 0.12, Sum(e.Nrm(t), e.Ptrm(back))));
        }
        lines.push_back(Line(t + 0.11, Sum(e.Nrm(t), e.Ptrm(t))));
        if (tailEvery > 0 && i % static_cast<std::size_t>(tailEvery) == static_cast<std::size_t>(tailEvery - 1)) {
            const Vector3 n = e.Nrm(t);
            lines.push_back(Line(t + 0.13, {n.x * 1.01, n.y * 1.01, n.z * 1.01}));
        }
        if (additivity && i >= 2 && i % 3 == 1) {
            // In-field at t minus the pTRM between the step two below and t.
            const int back = temperatures[i - 2];
            const Vector3 p = e.Ptrm(t);
            const Vector3 q = e.Ptrm(back);
            lines.push_back(Line(back + 0.14, Sum(e.Nrm(t), {p.x - q.x, p.y - q.y, p.z - q.z})));
        }
    }
    return lines;
}

// One heating step given by its Arai point: the NRM left after heating to
// `temperature` (a moment along declination and inclination) and the pTRM
// gained there (along the laboratory field, z). A check factor of 0 leaves
// that check out; otherwise it scales what the check measures: a pTRM check
// back to the step before, a tail check of the NRM, an additivity check.
struct AraiStep {
    int temperature = 20;
    double nrm = 0.0;
    double ptrm = 0.0;
    double declination = 0.0;
    double inclination = 0.0;
    bool inField = true;  // false: the in-field step is lost (or, at 20 °C, there is none)
    double ptrmCheck = 0.0;
    double tailCheck = 0.0;
    double additivityCheck = 0.0;
};

// The measurement lines of such steps, in order.
inline std::vector<CMeasurement> FromAraiSteps(const std::vector<AraiStep>& steps)
{
    std::vector<CMeasurement> lines;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const AraiStep& s = steps[i];
        const Vector3 nrm = VectorFromDirection(s.declination, s.inclination, s.nrm);
        lines.push_back(Line(s.temperature, nrm));
        if (i > 0 && s.ptrmCheck != 0.0) {
            lines.push_back(Line(steps[i - 1].temperature + 0.12, Sum(nrm, {0.0, 0.0, s.ptrmCheck * steps[i - 1].ptrm})));
        }
        if (s.inField) {
            lines.push_back(Line(s.temperature + 0.11, Sum(nrm, {0.0, 0.0, s.ptrm})));
        }
        if (s.tailCheck != 0.0) {
            lines.push_back(Line(s.temperature + 0.13, {nrm.x * s.tailCheck, nrm.y * s.tailCheck, nrm.z * s.tailCheck}));
        }
        if (i > 0 && s.additivityCheck != 0.0) {
            const double gained = s.additivityCheck * (s.ptrm - steps[i - 1].ptrm);
            lines.push_back(Line(steps[i - 1].temperature + 0.14, Sum(nrm, {0.0, 0.0, gained})));
        }
    }
    return lines;
}

inline std::vector<int> Temperatures(int count, int from, int to)
{
    std::vector<int> t;
    for (int i = 0; i < count; ++i) {
        t.push_back(from + (to - from) * i / (count - 1));
    }
    return t;
}

}  // namespace korvanes::synthetic
