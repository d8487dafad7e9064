// Bytes as a specimen and a criteria set, laid out so that small changes
// move Arai points and limits a little: the screened automatic search must
// give what the exhaustive one gives, bit for bit, for class A and for
// class A or B.
//
// Layout: one byte of options, twelve bytes of limits for class A and
// twelve for class B (see ClassFrom), then eight bytes per heating step
// (see StepFrom); the first step is the NRM at 20 °C.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "analysis/AnalysisRun.h"
#include "support/SearchComparison.h"
#include "support/SyntheticSpecimen.h"

namespace korvanes {
namespace {

constexpr std::size_t kOptionBytes = 25;
constexpr std::size_t kStepBytes = 8;
// More steps than this add time, not cases.
constexpr std::size_t kMostSteps = 64;

// A limit that is an integer: mostly 0..41, sometimes beyond any value,
// sometimes below every value.
std::int32_t WholeLimit(std::uint8_t b)
{
    if (b >= 254) {
        return -1;
    }
    return b >= 248 ? 1000 : b / 6;
}

ClassThresholds ClassFrom(const std::uint8_t* b)
{
    ClassThresholds t;
    t.minN = b[0] % 10;
    t.maxSlopeRelStd = b[1] == 255 ? 1e9 : b[1] / 500.0;
    t.minF = b[2] / 250.0;
    t.minQ = b[3] % 16;
    t.maxMad = WholeLimit(b[4]);
    t.maxAlpha = WholeLimit(b[5]);
    t.maxCkError = WholeLimit(b[6]);
    t.maxCkDiff = WholeLimit(b[7]);
    t.maxDrat = WholeLimit(b[8]);
    t.maxTailStar = WholeLimit(b[9]);
    t.maxIntensityDiff = WholeLimit(b[10]);
    t.maxAc = WholeLimit(b[11]);
    return t;
}

// One heating step: the temperature rise (0: the temperature repeats), the
// NRM left and the pTRM gained (16 bits each), which steps are measured, a
// turn of the NRM direction and the factor of the checks.
synthetic::AraiStep StepFrom(const std::uint8_t* b, const synthetic::AraiStep& before, double scale)
{
    synthetic::AraiStep s = before;
    s.temperature += b[0] % 64;
    s.nrm = scale * ((b[1] << 8) | b[2]) / 16.0;
    s.ptrm = scale * ((b[3] << 8) | b[4]) / 16.0;
    const double factor = 1.0 + (b[7] - 128) / 512.0;
    s.inField = (b[5] & 1) == 0;
    s.ptrmCheck = (b[5] & 2) != 0 ? factor : 0.0;
    s.tailCheck = (b[5] & 4) != 0 ? factor : 0.0;
    s.additivityCheck = (b[5] & 8) != 0 ? factor : 0.0;
    s.declination += (b[6] & 15) - 7.5;
    s.inclination = std::clamp(s.inclination + ((b[6] >> 4) - 7.5) * 2.0, -89.0, 89.0);
    return s;
}

}  // namespace
}  // namespace korvanes

extern "C" const char* __asan_default_options() { return "malloc_context_size=2"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace korvanes;
    if (size < kOptionBytes + kStepBytes) {
        return 0;
    }
    const std::uint8_t options = data[0];
    CCriteriaSet criteria = StartupCriteria();
    criteria.classA = ClassFrom(data + 1);
    criteria.classB = ClassFrom(data + 13);
    criteria.maximizeQ = options & 1;
    // Moments near the ends of the float range too.
    const double scales[] = {1.0, 1e-30, 1e30, 1e-6};
    const double scale = scales[(options >> 3) & 3];

    std::vector<synthetic::AraiStep> steps;
    synthetic::AraiStep start;
    start.declination = 20.0;
    start.inclination = 50.0;
    const std::size_t count = std::min((size - kOptionBytes) / kStepBytes, kMostSteps);
    for (std::size_t k = 0; k < count; ++k) {
        steps.push_back(StepFrom(data + kOptionBytes + k * kStepBytes, k == 0 ? start : steps.back(), scale));
    }

    CKorvanesToolDoc doc(criteria);
    doc.m_measurements = synthetic::FromAraiSteps(steps);
    doc.m_options.m_onlyZComponent = (options >> 1) & 1;
    doc.m_options.m_checkCorrected = (options >> 2) & 1;
    doc.m_header.m_labField = (options & 0x20) != 0 ? -35.0f : 35.0f;
    BuildAnalysisLists(doc);
    const std::string difference = SearchDifference(doc);
    if (!difference.empty()) {
        std::fprintf(stderr, "%s\n", difference.c_str());
    }
    fuzz::Require(difference.empty(), "the screened search gives what the exhaustive one gives, bit for bit");
    return 0;
}
