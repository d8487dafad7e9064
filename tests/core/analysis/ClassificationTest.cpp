#include "analysis/Classification.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace korvanes {
namespace {

// A document whose i-th measurement has the given code and a distinct
// vector (moment i + 1 along declination 10·i, inclination i).
CKorvanesToolDoc DocWithCodes(const std::vector<float>& codes)
{
    CKorvanesToolDoc doc;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const float k = static_cast<float>(i);
        doc.m_measurements.push_back({codes[i], k + 1.0f, k, 10.0f * k});
    }
    return doc;
}

void Classify(CKorvanesToolDoc& doc)
{
    BuildSteps(doc);
    PairSteps(doc);
}

void ExpectDifference(const CStepVector& item, const CStepVector& a, const CStepVector& b)
{
    EXPECT_DOUBLE_EQ(item.x, a.x - b.x);
    EXPECT_DOUBLE_EQ(item.y, a.y - b.y);
    EXPECT_DOUBLE_EQ(item.z, a.z - b.z);
    EXPECT_DOUBLE_EQ(item.magnitude, std::sqrt(item.x * item.x + item.y * item.y + item.z * item.z));
}

TEST(TreatmentCode, NominalCodesOfEveryTemperature)
{
    struct Suffix {
        double fraction;
        int type;
    };
    const Suffix suffixes[] = {{0.00, 0}, {0.1, 1}, {0.11, 1}, {0.12, 2}, {0.13, 3},
                               {0.14, 4}, {0.2, 2}, {0.3, 3},  {0.4, 4}};
    for (int t = 1; t <= 1000; ++t) {
        for (const Suffix& s : suffixes) {
            const float code = static_cast<float>(t + s.fraction);
            ASSERT_EQ(ClassifyTreatmentCode(code, 0), s.type) << t << " + " << s.fraction;
            ASSERT_EQ(TemperatureOfCode(code), t);
        }
    }
}

TEST(TreatmentCode, SinglePrecisionCodesNearTheBounds)
{
    EXPECT_EQ(ClassifyTreatmentCode(680.11f, 0), kInField);       // L about 109.985
    EXPECT_EQ(ClassifyTreatmentCode(100.13f, 0), kTailCheck);     // L about 129.997
    EXPECT_EQ(ClassifyTreatmentCode(100.0995f, 0), kInField);     // L about 99.5
    EXPECT_EQ(ClassifyTreatmentCode(100.0985f, 0), kZeroField);   // L about 98.5
    EXPECT_EQ(ClassifyTreatmentCode(100.1105f, 0), kInField);     // L about 110.5: still below 111
    EXPECT_EQ(ClassifyTreatmentCode(100.1115f, 0), kPtrmCheck);   // L about 111.5
    EXPECT_EQ(ClassifyTreatmentCode(100.4095f, 0), kAdditivityCheck);
    EXPECT_EQ(ClassifyTreatmentCode(100.4105f, kInField), kInField);
}

TEST(TreatmentCode, CodesBelowOneAndOddCodes)
{
    EXPECT_EQ(ClassifyTreatmentCode(0.0f, 4), kZeroField);
    EXPECT_EQ(ClassifyTreatmentCode(0.11f, 4), kZeroField);
    EXPECT_EQ(ClassifyTreatmentCode(0.99f, 4), kZeroField);
    EXPECT_EQ(ClassifyTreatmentCode(-5.11f, 4), kZeroField);
    EXPECT_EQ(TemperatureOfCode(0.5f), 0);
    EXPECT_EQ(TemperatureOfCode(-0.5f), -1);
    // Far outside any temperature: clamped, no undefined conversion.
    EXPECT_EQ(TemperatureOfCode(1e20f), kMaxTemperatureMagnitude);
    EXPECT_EQ(TemperatureOfCode(-3e38f), -kMaxTemperatureMagnitude);
    EXPECT_EQ(ClassifyTreatmentCode(1e20f, 3), kZeroField);
    EXPECT_EQ(ClassifyTreatmentCode(NAN, 3), kZeroField);
    EXPECT_EQ(TemperatureOfCode(INFINITY), 0);
}

TEST(TreatmentCode, ReadingBothAtOnceAgreesWithEachAlone)
{
    // Read twice with different types before (the second reading may be
    // remembered), over nominal and odd codes and random bit patterns
    // (among them NaNs and infinities) that evict each other.
    std::vector<float> codes = {100.0f, 100.11f, 100.5f, 0.0f, -0.0f, -5.11f, 1e20f, NAN, -NAN, INFINITY};
    std::uint32_t bits = 0x7FC00000u;
    for (int k = 0; k < 5000; ++k) {
        float code;
        std::memcpy(&code, &bits, sizeof code);
        codes.push_back(code);
        bits = bits * 1664525u + 1013904223u;
    }
    for (const int previous : {kInField, kTailCheck}) {
        for (const float code : codes) {
            const StepCode read = ReadTreatmentCode(code, previous);
            ASSERT_EQ(read.type, ClassifyTreatmentCode(code, previous)) << code;
            ASSERT_EQ(read.temperature, TemperatureOfCode(code)) << code;
        }
    }
}

TEST(TreatmentCode, LargeFractionsTakeThePrecedingType)
{
    EXPECT_EQ(ClassifyTreatmentCode(100.5f, kTailCheck), kTailCheck);
    EXPECT_EQ(ClassifyTreatmentCode(100.99f, kInField), kInField);
    // In a list: the first such code is a zero-field step, a later one
    // follows the resolved type before it.
    CKorvanesToolDoc doc = DocWithCodes({100.5f, 100.11f, 100.5f, 100.6f});
    BuildSteps(doc);
    ASSERT_EQ(doc.m_steps.size(), 4u);
    EXPECT_EQ(doc.m_steps[0].stepType, kZeroField);
    EXPECT_EQ(doc.m_steps[2].stepType, kInField);
    EXPECT_EQ(doc.m_steps[3].stepType, kInField);
}

TEST(BuildSteps, VectorsInTheChosenCoordinates)
{
    CKorvanesToolDoc doc;
    doc.m_measurements.push_back({350.11f, 2.0f, 0.0f, 90.0f});
    doc.m_header.m_coreAzimuth = 90.0f;
    BuildSteps(doc);
    ASSERT_EQ(doc.m_steps.size(), 1u);
    const CStepVector& s = doc.m_steps[0];
    EXPECT_NEAR(s.x, 0.0, 1e-12);
    EXPECT_NEAR(s.y, 2.0, 1e-12);
    EXPECT_NEAR(s.magnitude, 2.0, 1e-12);
    EXPECT_EQ(s.stepType, kInField);
    EXPECT_EQ(s.temperature, 350);
    EXPECT_EQ(s.stepTemperature, 350);
    doc.m_options.m_coordinates = kGeographic;
    BuildSteps(doc);
    EXPECT_NEAR(doc.m_steps[0].x, -2.0, 1e-12);
    EXPECT_NEAR(doc.m_steps[0].y, 0.0, 1e-12);
    // Repeated runs reuse converted vectors; any changed input is converted again.
    doc.m_header.m_coreAzimuth = 180.0f;
    BuildSteps(doc);
    EXPECT_NEAR(doc.m_steps[0].y, -2.0, 1e-12);
    doc.m_measurements[0].moment = 3.0f;
    BuildSteps(doc);
    EXPECT_NEAR(doc.m_steps[0].y, -3.0, 1e-12);
    CKorvanesToolDoc other = doc;
    other.m_measurements[0].declination = 0.0f;
    BuildSteps(other);
    EXPECT_NEAR(other.m_steps[0].x, -3.0, 1e-12);
    BuildSteps(doc);
    EXPECT_NEAR(doc.m_steps[0].y, -3.0, 1e-12);
}

TEST(MethodType, FromTheHighestTypeAndTheOrderOfTheFirstStep)
{
    CKorvanesToolDoc none;
    BuildSteps(none);
    EXPECT_EQ(none.m_result.methodType, "MT0");

    CKorvanesToolDoc plain = DocWithCodes({20.0f, 100.0f, 100.11f, 200.0f, 200.11f});
    Classify(plain);
    EXPECT_EQ(plain.m_result.methodType, "MT0");
    EXPECT_TRUE(plain.m_ptrmChecks.empty());
    EXPECT_EQ(plain.m_header.m_checkMethodText, "");

    CKorvanesToolDoc zeroFirst = DocWithCodes({20.0f, 100.0f, 100.11f, 200.0f, 200.11f, 100.12f});
    BuildSteps(zeroFirst);
    EXPECT_EQ(zeroFirst.m_result.methodType, "MT1");
    CKorvanesToolDoc inFieldFirst = DocWithCodes({20.0f, 100.11f, 100.0f, 200.11f, 200.0f, 100.12f});
    BuildSteps(inFieldFirst);
    EXPECT_EQ(inFieldFirst.m_result.methodType, "MT2");

    CKorvanesToolDoc tail = DocWithCodes({20.0f, 200.0f, 200.11f, 200.13f, 100.12f});
    BuildSteps(tail);
    EXPECT_EQ(tail.m_result.methodType, "MT3");
    CKorvanesToolDoc additivity = DocWithCodes({20.0f, 200.0f, 200.11f, 100.14f, 200.13f});
    BuildSteps(additivity);
    EXPECT_EQ(additivity.m_result.methodType, "MT4");

    // Fewer than three measurements with pTRM checks: MT1.
    CKorvanesToolDoc two = DocWithCodes({200.11f, 100.12f});
    BuildSteps(two);
    EXPECT_EQ(two.m_result.methodType, "MT1");
}

TEST(PairSteps, ZeroFieldAlterationCheck)
{
    CKorvanesToolDoc doc = DocWithCodes({20.0f, 100.0f, 100.11f, 200.0f, 200.11f, 100.12f});
    Classify(doc);
    EXPECT_EQ(doc.m_result.methodType, "MT1");
    EXPECT_EQ(doc.m_header.m_checkMethodText, "zero-field alteration check");
    ASSERT_EQ(doc.m_ptrmChecks.size(), 1u);
    const CStepVector& check = doc.m_ptrmChecks[0];
    ExpectDifference(check, doc.m_steps[4], doc.m_steps[5]);
    EXPECT_EQ(check.stepType, kPtrmCheck);
    EXPECT_EQ(check.temperature, 200);
    EXPECT_EQ(check.stepTemperature, 100);

    ASSERT_EQ(doc.m_zeroFieldSteps.size(), 3u);
    ASSERT_EQ(doc.m_ptrmGained.size(), 3u);
    ExpectDifference(doc.m_ptrmGained[1], doc.m_steps[2], doc.m_steps[1]);
    ExpectDifference(doc.m_ptrmGained[2], doc.m_steps[4], doc.m_steps[3]);
    EXPECT_EQ(doc.m_ptrmGained[2].temperature, 200);
    EXPECT_EQ(doc.m_ptrmGained[2].stepType, kInField);
}

TEST(PairSteps, InFieldChecksAfterZeroFieldAndTailSteps)
{
    CKorvanesToolDoc doc = DocWithCodes({20.0f, 100.0f, 100.11f, 200.0f, 100.12f, 200.11f});
    Classify(doc);
    EXPECT_EQ(doc.m_header.m_checkMethodText, "in-field alteration check");
    ASSERT_EQ(doc.m_ptrmChecks.size(), 1u);
    ExpectDifference(doc.m_ptrmChecks[0], doc.m_steps[4], doc.m_steps[3]);
    EXPECT_EQ(doc.m_ptrmChecks[0].temperature, 200);
    EXPECT_EQ(doc.m_ptrmChecks[0].stepTemperature, 100);

    CKorvanesToolDoc tail = DocWithCodes({20.0f, 100.0f, 100.11f, 200.0f, 200.11f, 200.13f, 100.12f});
    Classify(tail);
    EXPECT_EQ(tail.m_result.methodType, "MT3");
    EXPECT_EQ(tail.m_header.m_checkMethodText, "in-field alteration check after TR step");
    ASSERT_EQ(tail.m_ptrmChecks.size(), 1u);
    ExpectDifference(tail.m_ptrmChecks[0], tail.m_steps[6], tail.m_steps[5]);
    // The tail check goes to its own list only.
    ASSERT_EQ(tail.m_tailChecks.size(), 1u);
    EXPECT_EQ(tail.m_tailChecks[0].stepType, kTailCheck);
    EXPECT_EQ(tail.m_zeroFieldSteps.size(), 3u);
    EXPECT_EQ(tail.m_ptrmGained.size(), 3u);
}

TEST(PairSteps, ChecksAfterChecksKeepTheTextAndUseZeroFieldPartners)
{
    // A check right after a check (mode 4) and after an additivity check (mode 5).
    CKorvanesToolDoc doc = DocWithCodes({20.0f, 100.0f, 100.11f, 200.0f, 200.11f, 100.12f, 150.12f});
    Classify(doc);
    EXPECT_EQ(doc.m_header.m_checkMethodText, "zero-field alteration check");
    ASSERT_EQ(doc.m_ptrmChecks.size(), 2u);
    ExpectDifference(doc.m_ptrmChecks[1], doc.m_steps[6], doc.m_steps[3]);

    CKorvanesToolDoc add = DocWithCodes({20.0f, 100.0f, 100.11f, 200.0f, 200.11f, 100.14f, 100.12f});
    Classify(add);
    EXPECT_EQ(add.m_result.methodType, "MT4");
    EXPECT_EQ(add.m_header.m_checkMethodText, "");
    ASSERT_EQ(add.m_ptrmChecks.size(), 1u);
    ExpectDifference(add.m_ptrmChecks[0], add.m_steps[6], add.m_steps[3]);
}

TEST(PairSteps, AdditivityCheckAgainstTheLatestInFieldStep)
{
    CKorvanesToolDoc doc = DocWithCodes({20.0f, 100.0f, 100.11f, 200.0f, 200.11f, 100.14f});
    Classify(doc);
    ASSERT_EQ(doc.m_additivityChecks.size(), 1u);
    const CStepVector& item = doc.m_additivityChecks[0];
    ExpectDifference(item, doc.m_steps[4], doc.m_steps[5]);
    EXPECT_EQ(item.stepType, kAdditivityCheck);
    EXPECT_EQ(item.temperature, 200);
    EXPECT_EQ(item.stepTemperature, 100);
    EXPECT_TRUE(doc.m_ptrmChecks.empty());
}

TEST(PairSteps, OriginAndPartners)
{
    // In-field steps without a zero-field step of their temperature add nothing.
    CKorvanesToolDoc lonely = DocWithCodes({20.0f, 100.11f, 200.11f});
    Classify(lonely);
    ASSERT_EQ(lonely.m_ptrmGained.size(), 1u);
    EXPECT_EQ(lonely.m_ptrmGained[0].temperature, 20);
    EXPECT_EQ(lonely.m_ptrmGained[0].magnitude, 0.0);

    // The origin comes first even when the first step is in-field; its
    // partner may come later in the file.
    CKorvanesToolDoc inFieldFirst = DocWithCodes({100.11f, 100.0f});
    Classify(inFieldFirst);
    ASSERT_EQ(inFieldFirst.m_ptrmGained.size(), 2u);
    EXPECT_EQ(inFieldFirst.m_ptrmGained[0].stepType, kInField);
    EXPECT_EQ(inFieldFirst.m_ptrmGained[0].temperature, 100);
    EXPECT_EQ(inFieldFirst.m_ptrmGained[0].x, 0.0);
    ExpectDifference(inFieldFirst.m_ptrmGained[1], inFieldFirst.m_steps[0], inFieldFirst.m_steps[1]);

    // Two zero-field steps of one temperature give two items.
    CKorvanesToolDoc twice = DocWithCodes({100.0f, 100.0f, 100.11f});
    Classify(twice);
    ASSERT_EQ(twice.m_ptrmGained.size(), 3u);
    ExpectDifference(twice.m_ptrmGained[1], twice.m_steps[2], twice.m_steps[0]);
    ExpectDifference(twice.m_ptrmGained[2], twice.m_steps[2], twice.m_steps[1]);

    // A pTRM check as the very first step has no mode and pairs with nothing.
    CKorvanesToolDoc checkFirst = DocWithCodes({100.12f, 100.0f, 100.11f});
    Classify(checkFirst);
    EXPECT_TRUE(checkFirst.m_ptrmChecks.empty());
    EXPECT_EQ(checkFirst.m_header.m_checkMethodText, "");
    EXPECT_EQ(checkFirst.m_ptrmGained[0].temperature, 100);
}

TEST(PairSteps, OnlyZMagnitudes)
{
    CKorvanesToolDoc doc;
    doc.m_steps = {{0, 0, 0, 0, kZeroField, 100, 100},
                   {3, 4, -2, std::sqrt(29.0), kInField, 100, 100},
                   {1, 1, 1, std::sqrt(3.0), kPtrmCheck, 50, 50}};
    doc.m_options.m_onlyZComponent = 1;
    PairSteps(doc);
    ASSERT_EQ(doc.m_ptrmGained.size(), 2u);
    EXPECT_EQ(doc.m_ptrmGained[1].magnitude, 2.0);
    EXPECT_EQ(doc.m_ptrmGained[1].x, 3.0);  // all components are kept
    ASSERT_EQ(doc.m_ptrmChecks.size(), 1u);  // mode 3: in-field minus check
    EXPECT_EQ(doc.m_ptrmChecks[0].magnitude, 3.0);
    doc.m_options.m_onlyZComponent = 0;
    PairSteps(doc);
    EXPECT_DOUBLE_EQ(doc.m_ptrmGained[1].magnitude, std::sqrt(29.0));
}

TEST(PlotBounds, ExtremesBeyondAMillionAndEmptyLists)
{
    CKorvanesToolDoc doc;
    doc.m_plotBounds.maxTailDTR = 7.0;
    doc.m_zeroFieldSteps = {{5e6, -3e6, -2e6, 6e6, 0, 20, 20}, {3e6, -4e6, -5e6, 7e6, 0, 2000000, 2000000}};
    doc.m_ptrmGained = {{0, 0, 0, 0, 1, 20, 20}, {0, 0, 0, 4e6, 1, 100, 100}};
    ComputePlotBounds(doc);
    const CPlotBounds& b = doc.m_plotBounds;
    EXPECT_EQ(b.minTemperature, 20);
    EXPECT_EQ(b.maxTemperature, 2000000);
    EXPECT_EQ(b.minNrm, 6e6);
    EXPECT_EQ(b.maxNrm, 7e6);
    EXPECT_EQ(b.minX, 3e6);
    EXPECT_EQ(b.maxX, 5e6);
    EXPECT_EQ(b.minY, -4e6);
    EXPECT_EQ(b.maxY, -3e6);
    EXPECT_EQ(b.minZ, -5e6);
    EXPECT_EQ(b.maxZ, -2e6);
    EXPECT_EQ(b.maxPtrm, 4e6);
    EXPECT_DOUBLE_EQ(b.minHorizontal, 5e6);
    EXPECT_DOUBLE_EQ(b.maxHorizontal, std::hypot(5e6, 3e6));
    EXPECT_EQ(b.maxTailDTR, 7.0);  // not this function's field

    doc.m_zeroFieldSteps.clear();
    doc.m_ptrmGained.clear();
    ComputePlotBounds(doc);
    EXPECT_EQ(b.minTemperature, 1000000);
    EXPECT_EQ(b.maxTemperature, -1000000);
    EXPECT_EQ(b.minNrm, 1000000.0);
    EXPECT_EQ(b.maxNrm, -1000000.0);
    EXPECT_EQ(b.maxPtrm, -1000000.0);
    EXPECT_EQ(b.minHorizontal, 1000000.0);
    EXPECT_EQ(b.maxHorizontal, -1000000.0);
}

TEST(PlotBounds, SignedHorizontalLength)
{
    CKorvanesToolDoc doc;
    doc.m_zeroFieldSteps = {{-3, 4, 0, 5, 0, 20, 20}, {0, -2, 1, 3, 0, 100, 100}};
    ComputePlotBounds(doc);
    EXPECT_EQ(doc.m_plotBounds.minHorizontal, -5.0);
    // x = 0 counts as positive: the length of y.
    EXPECT_EQ(doc.m_plotBounds.maxHorizontal, 2.0);
}

}  // namespace
}  // namespace korvanes
