// The screened automatic search leaves every bit of the result as the
// exhaustive one (every pair evaluated in order) does: on the examples under
// several options, on generated specimens of many shapes (noise, zigzags,
// exact lines where every range ties, repeated temperatures, left-out
// steps), and with criteria set exactly at the values of the ranges.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "analysis/AnalysisRun.h"
#include "analysis/RangeSearch.h"
#include "document/Coordinates.h"
#include "support/SearchComparison.h"
#include "support/SyntheticSpecimen.h"

namespace korvanes {
namespace {

void ExpectSameSearch(const CKorvanesToolDoc& analysed, const std::string& what)
{
    const std::string difference = SearchDifference(analysed);
    ASSERT_TRUE(difference.empty()) << what << ", " << difference;
}

CKorvanesToolDoc Analysed(std::vector<CMeasurement> lines, const CCriteriaSet& criteria = StartupCriteria())
{
    CKorvanesToolDoc doc(criteria);
    doc.m_measurements = std::move(lines);
    RunAnalysis(doc);
    return doc;
}

TEST(RangeSearchExactness, ExamplesUnderEveryOptionSet)
{
    for (const char* name : {"basalt-mt1.kvd", "tuff-mt3.kvd", "andesite-mt4.kvd"}) {
        for (int options = 0; options < 16; ++options) {
            CKorvanesToolDoc doc;
            doc.Open(std::string(KORVANES_SOURCE_DIR) + "/examples/" + name);
            doc.m_options.m_coordinates = options % 3;
            doc.m_options.m_onlyZComponent = (options / 3) % 2;
            doc.m_options.m_checkCorrected = (options / 6) % 2;
            doc.m_criteria.maximizeQ = options >= 12 ? 1 : 0;
            RunAnalysis(doc);
            ExpectSameSearch(doc, std::string(name) + " options " + std::to_string(options));
        }
    }
}

// A random walk of an Arai diagram: NRM falling and pTRM rising in steps of
// random size, with random direction changes, checks and gaps. `roughness`
// 0 gives smooth data, 1 data that zigzag.
std::vector<CMeasurement> RandomSpecimen(std::mt19937& random, int steps, double roughness)
{
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<CMeasurement> lines;
    double nrm = 1000.0 * (0.5 + unit(random));
    double ptrm = 0.0;
    double dec = 360.0 * unit(random);
    double inc = 80.0 * unit(random) - 40.0;
    int t = 20;
    lines.push_back({20.0f, static_cast<float>(nrm), static_cast<float>(inc), static_cast<float>(dec)});
    for (int k = 0; k < steps; ++k) {
        t += 1 + static_cast<int>(20.0 * unit(random));
        const double step = nrm * 0.08 * unit(random);
        nrm = std::fabs(nrm - step + roughness * 60.0 * (unit(random) - 0.5));
        ptrm += step * (0.6 + 0.5 * unit(random)) + roughness * 40.0 * (unit(random) - 0.5);
        dec += roughness * 10.0 * (unit(random) - 0.5);
        inc += roughness * 6.0 * (unit(random) - 0.5);
        lines.push_back({static_cast<float>(t), static_cast<float>(nrm), static_cast<float>(inc),
                         static_cast<float>(dec)});
        if (unit(random) < 0.93) {  // else the in-field step is lost: a left-out step
            const double total = nrm + std::fabs(ptrm);
            lines.push_back({static_cast<float>(t + 0.11), static_cast<float>(total),
                             static_cast<float>(inc + 10.0 * unit(random)), static_cast<float>(dec)});
        }
        if (k > 1 && unit(random) < 0.3) {
            lines.push_back({static_cast<float>(t - 1 + 0.12), static_cast<float>(nrm * (1.0 + 0.2 * unit(random))),
                             static_cast<float>(inc), static_cast<float>(dec)});
        }
        if (unit(random) < 0.1) {
            lines.push_back({static_cast<float>(t + 0.13), static_cast<float>(nrm * (1.0 + 0.05 * unit(random))),
                             static_cast<float>(inc), static_cast<float>(dec)});
        }
    }
    return lines;
}

TEST(RangeSearchExactness, GeneratedSpecimensOfManyShapes)
{
    std::mt19937 random(20240611);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int k = 0; k < 300; ++k) {
        CCriteriaSet criteria = StartupCriteria();
        // Criteria from tight to loose, so that every test decides somewhere.
        criteria.classA.minN = 3 + static_cast<int>(6.0 * unit(random));
        criteria.classA.maxSlopeRelStd = 0.2 * unit(random);
        criteria.classA.minF = 0.6 * unit(random);
        criteria.classA.minQ = static_cast<int>(8.0 * unit(random));
        criteria.classA.maxMad = static_cast<int>(12.0 * unit(random));
        criteria.classA.maxAlpha = static_cast<int>(20.0 * unit(random));
        criteria.classA.maxCkError = static_cast<int>(15.0 * unit(random));
        criteria.classA.maxCkDiff = static_cast<int>(15.0 * unit(random));
        criteria.classA.maxDrat = static_cast<int>(20.0 * unit(random));
        criteria.classB.minN = 3;
        criteria.maximizeQ = k % 3 == 0 ? 1 : 0;
        const int steps = 6 + static_cast<int>(60.0 * unit(random) * unit(random));
        const double roughness = k % 4 == 0 ? 1.0 : 0.2 * unit(random);
        std::vector<CMeasurement> lines = RandomSpecimen(random, steps, roughness);
        // Moments near the ends of the float range, and a negative
        // laboratory field (a negative paleointensity, so d(pal) reads
        // negative).
        const float scale = k % 7 == 1 ? 1e-30f : (k % 7 == 2 ? 1e30f : 1.0f);
        for (CMeasurement& m : lines) {
            m.moment *= scale;
        }
        CKorvanesToolDoc doc(criteria);
        doc.m_measurements = std::move(lines);
        doc.m_header.m_labField = k % 11 == 3 ? -35.0f : 35.0f;
        RunAnalysis(doc);
        ExpectSameSearch(doc, "specimen " + std::to_string(k));
    }
}

TEST(RangeSearchExactness, LongAndAlteredSpecimens)
{
    synthetic::Experiment altered;
    altered.alteration = 0.0008;
    CKorvanesToolDoc mt4 = Analysed(synthetic::Generate(altered, synthetic::Temperatures(60, 60, 585), 2, 5, true));
    mt4.m_options.m_includeCheckCorrection = 1;
    RunAnalysis(mt4);
    ExpectSameSearch(mt4, "60 steps MT4");

    // A component that does not unblock: the demagnetisation path misses
    // the origin and the directional fits decide (alpha above its limit).
    for (const double offset : {300.0, 600.0}) {
        const synthetic::Experiment e;
        const Vector3 extra = VectorFromDirection(80.0, -10.0, offset);
        std::vector<CMeasurement> lines;
        for (const int t : synthetic::Temperatures(80, 60, 580)) {
            const Vector3 nrm = synthetic::Sum(e.Nrm(t), extra);
            lines.push_back(synthetic::Line(t, nrm));
            lines.push_back(synthetic::Line(t + 0.11, synthetic::Sum(nrm, e.Ptrm(t))));
        }
        ExpectSameSearch(Analysed(lines), "component that does not unblock, " + std::to_string(offset));
    }

    synthetic::Experiment wide;
    wide.curie = 700.0;
    ExpectSameSearch(Analysed(synthetic::Generate(wide, synthetic::Temperatures(250, 40, 690), 3, 7, false)),
                     "250 steps");
}

TEST(RangeSearchExactness, TiesAndRepeatedTemperatures)
{
    // Points exactly on a line: every range has no scatter, so q and w are
    // the same stand-in and the earliest pair wins.
    std::vector<CMeasurement> line;
    for (int k = 0; k < 12; ++k) {
        const float t = static_cast<float>(100 + 20 * k);
        line.push_back({t, static_cast<float>(512 - 32 * k), 30.0f, 10.0f});
        line.push_back({t + 0.11f, static_cast<float>(512 - 32 * k + 16 * k), 30.0f, 10.0f});
    }
    const CKorvanesToolDoc exact = Analysed(line);
    ExpectSameSearch(exact, "exact line");

    // Every step measured twice: each range comes up for several pairs of
    // list positions, with equal values.
    std::vector<CMeasurement> twice;
    for (const CMeasurement& m : synthetic::Generate(synthetic::Experiment{}, synthetic::Temperatures(14, 100, 580), 3,
                                                     0, false)) {
        twice.push_back(m);
        twice.push_back(m);
    }
    ExpectSameSearch(Analysed(twice), "repeated steps");
}

TEST(RangeSearchExactness, CriteriaExactlyAtTheValuesOfTheRanges)
{
    // Limits set to the exact statistics of the range found, and one step
    // beyond them: the range passes inclusively, then fails, and the search
    // must agree with the exhaustive one both times.
    const CKorvanesToolDoc base = Analysed(
        synthetic::Generate(synthetic::Experiment{}, synthetic::Temperatures(24, 100, 580), 2, 5, false));
    const CSpecimenResult found = base.m_result;
    ASSERT_GT(found.paleointensity, 0.0);
    for (int beyond = 0; beyond < 2; ++beyond) {
        CKorvanesToolDoc atF = base;
        atF.m_criteria.classA.minF = beyond ? std::nextafter(found.f, 2.0) : found.f;
        ExpectSameSearch(atF, "minF at f, beyond " + std::to_string(beyond));

        CKorvanesToolDoc atStd = base;
        atStd.m_criteria.classA.maxSlopeRelStd = beyond ? std::nextafter(found.slopeRelStd, 0.0) : found.slopeRelStd;
        ExpectSameSearch(atStd, "maxSlopeRelStd at its value, beyond " + std::to_string(beyond));

        CKorvanesToolDoc atN = base;
        atN.m_criteria.classA.minN = found.n + beyond;
        ExpectSameSearch(atN, "minN at N, beyond " + std::to_string(beyond));
    }
}

// Small specimens in families that probe the screen's bounds where they are
// tightest: one to four heating steps (two to five Arai points), points that
// go back and forth along the line (f g far below 0, up to n - 2 times f),
// temperatures measured more than once, and plain scatter. Directions
// scatter or not, checks come and go, in-field steps get lost.
enum Family { kShort, kZigzag, kRepeated, kScattered, kFamilies };
const char* const kFamilyNames[] = {"short", "zigzag", "repeated temperatures", "scattered"};

std::vector<CMeasurement> SmallSpecimen(std::mt19937& random, Family family)
{
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    auto u = [&] { return unit(random); };
    const int heatings = family == kShort ? 1 + static_cast<int>(4.0 * u()) : 2 + static_cast<int>(11.0 * u());
    const double nrm0 = 50.0 + 2000.0 * u();
    const double ratio = 0.2 + 1.5 * u();
    const double scatter = family == kScattered ? 0.2 * u() : 0.03 * u() * u();
    const double turning = u() < 0.5 ? 0.0 : 10.0 * u();
    const double low = 0.15 * u();
    const double high = 0.4 + 0.6 * u();
    const bool alternating = u() < 0.5;
    std::vector<synthetic::AraiStep> steps(1);
    steps[0] = {20, nrm0, 0.0, 360.0 * u(), 160.0 * u() - 80.0, false};
    double s = 0.0;  // how far along the line, 0 at the NRM
    for (int k = 1; k <= heatings; ++k) {
        synthetic::AraiStep step = steps.back();
        if (!(family == kRepeated && u() < 0.4)) {
            step.temperature += 1 + static_cast<int>(60.0 * u());
        }
        if (family == kZigzag) {
            s = alternating ? (k % 2 == 1 ? high : low) + 0.02 * (u() - 0.5) : std::clamp(s + u() - 0.45, 0.0, 1.0);
        } else {
            s += (1.0 - s) * 0.6 * u();
        }
        step.nrm = std::fabs(nrm0 * (1.0 - s) * (1.0 + scatter * (u() - 0.5)) + 1e-3 * nrm0 * u());
        step.ptrm = ratio * nrm0 * s * (1.0 + scatter * (u() - 0.5));
        step.declination += turning * (u() - 0.5);
        step.inclination = std::clamp(step.inclination + turning * (u() - 0.5), -89.0, 89.0);
        step.inField = u() < 0.93;
        step.ptrmCheck = u() < 0.3 ? 1.0 + 0.2 * (u() - 0.5) : 0.0;
        step.tailCheck = u() < 0.2 ? 1.0 + 0.1 * u() : 0.0;
        step.additivityCheck = u() < 0.15 ? 1.0 + 0.2 * (u() - 0.5) : 0.0;
        steps.push_back(step);
    }
    return synthetic::FromAraiSteps(steps);
}

// Limits of one class from tight to beyond any value, the minimum N from 2
// to 8; one set in four lets every statistic pass.
ClassThresholds RandomClass(std::mt19937& random)
{
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    auto u = [&] { return unit(random); };
    const bool open = u() < 0.25;
    auto limit = [&](double most) { return static_cast<std::int32_t>(open ? 1000.0 : most * u()); };
    ClassThresholds t;
    t.minN = 2 + static_cast<int>(7.0 * u());
    t.maxSlopeRelStd = open ? 1e9 : 0.4 * u();
    t.minF = open ? 0.0 : 0.6 * u();
    t.minQ = open ? 0 : static_cast<std::int32_t>(8.0 * u());
    t.maxMad = limit(20.0);
    t.maxAlpha = limit(25.0);
    t.maxCkError = limit(25.0);
    t.maxCkDiff = limit(25.0);
    t.maxDrat = limit(30.0);
    t.maxTailStar = limit(20.0);
    t.maxIntensityDiff = limit(20.0);
    t.maxAc = limit(20.0);
    return t;
}

// One limit of `t` set at the value of one statistic of `r` (the range
// passes that test, as the bounds are inclusive) or one step beyond it (it
// fails).
void LimitAt(ClassThresholds& t, const CSpecimenResult& r, int statistic, bool beyond)
{
    // An integer limit at a value: the whole numbers around it.
    auto whole = [beyond](double v, bool upper) {
        const double at = upper ? std::ceil(v) : std::floor(v);
        const double past = upper ? (std::floor(v) < v ? std::floor(v) : v - 1.0) : (std::ceil(v) > v ? std::ceil(v) : v + 1.0);
        return static_cast<std::int32_t>(std::clamp(beyond ? past : at, -1e6, 1e6));
    };
    switch (statistic) {
    case 0: t.minN = r.n + (beyond ? 1 : 0); break;
    case 1: t.maxSlopeRelStd = beyond ? std::nextafter(r.slopeRelStd, 0.0) : r.slopeRelStd; break;
    case 2: t.minF = beyond ? std::nextafter(r.f, 2.0) : r.f; break;
    case 3: t.minQ = whole(r.q, false); break;
    case 4: t.maxMad = whole(r.madAnchored, true); break;
    case 5: t.maxAlpha = whole(r.alpha, true); break;
    case 6: t.maxCkError = whole(r.ckError, true); break;
    case 7: t.maxCkDiff = whole(r.ckDiff, true); break;
    case 8: t.maxDrat = whole(r.drat, true); break;
    case 9: t.maxAc = whole(r.dAC, true); break;
    case 10: t.maxIntensityDiff = whole(r.dTR, true); break;
    default: t.maxTailStar = whole(r.dTStar, true); break;
    }
}
constexpr int kStatistics = 12;

// Generated specimens of one family under random criteria, then with the
// limits of the class the best range met set at and beyond each of its
// statistics in turn: every search must agree. Returns the number of
// specimens on which they differ, and the first difference.
int DifferingSpecimens(Family family, int specimens, std::string& first)
{
    std::mt19937 random(1000u + static_cast<unsigned>(family));
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    int differing = 0;
    for (int k = 0; k < specimens; ++k) {
        CCriteriaSet criteria = StartupCriteria();
        criteria.classA = RandomClass(random);
        criteria.classB = RandomClass(random);
        criteria.maximizeQ = unit(random) < 0.4 ? 1 : 0;
        CKorvanesToolDoc doc(criteria);
        doc.m_measurements = SmallSpecimen(random, family);
        doc.m_options.m_onlyZComponent = unit(random) < 0.15 ? 1 : 0;
        doc.m_options.m_checkCorrected = unit(random) < 0.15 ? 1 : 0;
        BuildAnalysisLists(doc);
        CSpecimenResult best;
        std::string difference = SearchDifference(doc, &best);
        // The statistics of the range found, each in turn (a few per
        // specimen, all of them over the family).
        const bool found = best.paleointensity != 0.0;
        for (int round = 0; found && difference.empty() && round < 3; ++round) {
            const int statistic = (k + 5 * round) % kStatistics;
            const bool classA = GradeResult(best, doc.m_criteria) == kClassA;
            for (const bool beyond : {false, true}) {
                CKorvanesToolDoc limited = doc;
                LimitAt(classA ? limited.m_criteria.classA : limited.m_criteria.classB, best, statistic, beyond);
                difference = SearchDifference(limited);
                if (!difference.empty()) {
                    difference += ", limit " + std::to_string(statistic) + (beyond ? " beyond" : " at") + " its value";
                    break;
                }
            }
        }
        if (!difference.empty()) {
            if (differing++ == 0) {
                first = "specimen " + std::to_string(k) + ", " + difference;
            }
        }
    }
    return differing;
}

TEST(RangeSearchExactness, GeneratedFamiliesUnderEveryMinimumNAndLimitsAtTheirValues)
{
    for (int family = 0; family < kFamilies; ++family) {
        std::string first;
        const int differing = DifferingSpecimens(static_cast<Family>(family), 4000, first);
        EXPECT_EQ(differing, 0) << kFamilyNames[family] << ": " << first;
    }
}

}  // namespace
}  // namespace korvanes
