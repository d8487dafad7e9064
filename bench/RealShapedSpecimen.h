#pragma once
// Data files shaped like those the MagIC import writes from published
// double-heating experiments: a name like "MX12-3a", a header with the
// laboratory field and an orientation, numbers with nine significant digits,
// the NRM and N-1 temperatures in the Coe order (zero-field first) or the
// IZZI order (the order alternating from step to step), a pTRM check two
// steps back after every second zero-field step but the last, a tail check
// after every fourth temperature, and scatter of a few per mille (up to 2 %
// in a few specimens, so that some grade B or C or get no result).

#include <cmath>
#include <cstdio>
#include <random>
#include <string>

namespace korvanes::bench {

struct RealShape {
    int zeroFieldSteps = 12;  // the NRM included
    bool izzi = false;
};

inline std::string RealShapedSpecimen(int index, const RealShape& shape, std::mt19937& random)
{
    constexpr double kPi = 3.141592653589793;
    struct Vec {
        double x, y, z;
    };
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double scatter = unit(random);
    std::normal_distribution<double> noise(0.0, 0.002 + 0.02 * scatter * scatter * scatter);
    char name[32];
    std::snprintf(name, sizeof name, "MX%d-%d%c", index / 100, index % 100, static_cast<char>('a' + index % 3));
    const double labField = index % 2 == 0 ? 35.0 : 40.0;
    const double ancient = 15.0 + 50.0 * unit(random);
    const double nrm0 = 0.2 + 0.8 * unit(random);
    const double dec = 360.0 * unit(random) * kPi / 180.0;
    const double inc = (20.0 + 50.0 * unit(random)) * kPi / 180.0;
    const Vec nrmDir{std::cos(inc) * std::cos(dec), std::cos(inc) * std::sin(dec), std::sin(inc)};
    const double curie = 560.0 + 30.0 * unit(random);
    const double power = 1.0 + 2.0 * unit(random);
    const int steps = shape.zeroFieldSteps - 1;

    auto temperature = [&](int i) { return 100 + static_cast<int>(std::lround((curie - 110.0) * i / (steps - 1))); };
    auto remaining = [&](int t) { return 1.0 - std::pow(std::fmax(t - 20.0, 0.0) / (curie - 20.0), power); };
    auto line = [&](const char* code, int t, Vec v) {
        v = {v.x * (1.0 + noise(random)) + nrm0 * noise(random) * 0.1,
             v.y * (1.0 + noise(random)) + nrm0 * noise(random) * 0.1,
             v.z * (1.0 + noise(random)) + nrm0 * noise(random) * 0.1};
        const double m = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
        double d = std::atan2(v.y, v.x) * 180.0 / kPi;
        d += d < 0.0 ? 360.0 : 0.0;
        const double i = m > 0.0 ? std::asin(v.z / m) * 180.0 / kPi : 0.0;
        char buffer[160];
        std::snprintf(buffer, sizeof buffer, "%s\t%d.%s\t%.9g\t%.9g\t%.9g\n", name, t, code, m, d, i);
        return std::string(buffer);
    };
    auto nrmAt = [&](int t) {
        const double r = nrm0 * remaining(t);
        return Vec{nrmDir.x * r, nrmDir.y * r, nrmDir.z * r};
    };
    auto plus = [&](Vec v, int t) {
        const double p = nrm0 * (1.0 - remaining(t)) * labField / ancient;
        return Vec{v.x + 0.01 * p, v.y - 0.02 * p, v.z + p};
    };

    char header[96];
    std::snprintf(header, sizeof header, "Korvanes-kvd\n%g %.1f %.1f 0 0\n", labField, 360.0 * unit(random),
                  90.0 * unit(random));
    std::string text = header;
    text += line("00", 20, nrmAt(20));
    for (int i = 0; i < steps; ++i) {
        const int t = temperature(i);
        // A pTRM check follows the zero-field step it starts from.
        const bool checked = i >= 2 && i % 2 == 0 && i < steps - 1;
        const bool inFieldFirst = shape.izzi && i % 2 == 1;
        if (inFieldFirst) {
            text += line("11", t, plus(nrmAt(t), t));
        }
        text += line("00", t, nrmAt(t));
        if (checked) {
            const int back = temperature(i - 2);
            text += line("12", back, plus(nrmAt(t), back));
        }
        if (!inFieldFirst) {
            text += line("11", t, plus(nrmAt(t), t));
        }
        if (i % 4 == 3) {
            const Vec n = nrmAt(t);
            text += line("13", t, Vec{n.x * 1.01, n.y * 1.01, n.z * 1.01});
        }
    }
    return text;
}

}  // namespace korvanes::bench
