#include "analysis/Classification.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <cmath>
#include <utility>
#include <vector>

#include "document/Coordinates.h"
#include "text/TextEncoding.h"

namespace korvanes {
namespace {

constexpr double kStartMinimum = 1000000.0;
constexpr double kStartMaximum = -1000000.0;

double Length(double x, double y, double z)
{
    return std::sqrt(x * x + y * y + z * z);
}

// Difference a − b as a pairing item.
CStepVector Difference(const CStepVector& a, const CStepVector& b, int stepType, int temperature,
                       int stepTemperature, bool onlyZ)
{
    CStepVector item;
    item.x = a.x - b.x;
    item.y = a.y - b.y;
    item.z = a.z - b.z;
    item.magnitude = DifferenceMagnitude(item.x, item.y, item.z, onlyZ);
    item.stepType = stepType;
    item.temperature = temperature;
    item.stepTemperature = stepTemperature;
    return item;
}

// Signed horizontal length: √(x² + y²) with the sign of x; x = 0 counts as positive.
double SignedHorizontal(const CStepVector& s)
{
    const double h = std::sqrt(s.x * s.x + s.y * s.y);
    return s.x < 0.0 ? -h : h;
}

struct RunningRange {
    double minimum = kStartMinimum;
    double maximum = kStartMaximum;
    bool started = false;

    void Add(double v)
    {
        if (!started) {
            minimum = maximum = v;
            started = true;
        } else {
            minimum = std::min(minimum, v);
            maximum = std::max(maximum, v);
        }
    }
};

}  // namespace

double DifferenceMagnitude(double x, double y, double z, bool onlyZ)
{
    return onlyZ ? std::fabs(z) : Length(x, y, z);
}

std::int32_t TemperatureOfCode(float treatmentCode)
{
    const double code = treatmentCode;
    if (!std::isfinite(code)) {
        return 0;
    }
    const double t = std::clamp(std::floor(code), -static_cast<double>(kMaxTemperatureMagnitude),
                                static_cast<double>(kMaxTemperatureMagnitude));
    return static_cast<std::int32_t>(t);
}

int ClassifyTreatmentCode(float treatmentCode, int previousType)
{
    const double code = treatmentCode;
    if (!std::isfinite(code)) {
        return kZeroField;
    }
    const double t = std::floor(code);
    if (t == 0.0) {
        return kZeroField;
    }
    // fmod(a, b) is a − n·b with n = trunc(a / b), exactly. For a code of a
    // positive temperature a lies in [b, 2b), where n = 1 and a − b is exact
    // (Sterbenz): the same bits without the library's long division.
    const double a = code * 1000.0;
    const double b = t * 1000.0;
    const double l = b > 0.0 && a >= b && a < 2.0 * b ? a - b : std::fmod(a, b);
    if (l < 99.0) {
        return kZeroField;
    }
    if (l < 111.0) {
        return kInField;
    }
    if (l < 121.0) {
        return kPtrmCheck;
    }
    if (l < 131.0) {
        return kTailCheck;
    }
    if (l < 141.0) {
        return kAdditivityCheck;
    }
    if (l < 210.0) {
        return kPtrmCheck;
    }
    if (l < 310.0) {
        return kTailCheck;
    }
    if (l < 410.0) {
        return kAdditivityCheck;
    }
    return previousType;
}

namespace {

// The vectors of the measurements last converted on this thread, with the
// bits they came from: a window that repaints one specimen again and again
// converts its directions once (the sines and cosines are most of the cost
// of building the steps). A changed measurement, header angle or coordinate
// system is converted again, so the vectors are always those of the input.
class VectorMemo {
public:
    // Starts a pass over the measurements of `doc`: vectors converted for
    // other header angles or another coordinate system are dropped.
    void Begin(const CKorvanesToolDoc& doc)
    {
        const CSpecimenHeader& h = doc.m_header;
        const std::array<float, 4> angles{h.m_coreAzimuth, h.m_coreDip, h.m_beddingDipDirection, h.m_beddingDip};
        if (doc.m_options.m_coordinates != m_coordinates || !SameBits(angles, m_angles)) {
            m_entries.clear();
            m_coordinates = doc.m_options.m_coordinates;
            m_angles = angles;
        }
        m_entries.resize(std::max(m_entries.size(), doc.m_measurements.size()));
    }

    // The vector of measurement `index` of the document passed to Begin.
    const Vector3& Of(std::size_t index, const CMeasurement& m, const CSpecimenHeader& header)
    {
        Entry& e = m_entries[index];
        const std::array<float, 3> input{m.declination, m.inclination, m.moment};
        if (!e.valid || !SameBits(input, e.input)) {
            e.vector = VectorInCoordinates(m, header, m_coordinates);
            e.input = input;
            e.valid = true;
        }
        return e.vector;
    }

private:
    struct Entry {
        std::array<float, 3> input{};
        Vector3 vector;
        bool valid = false;
    };

    template <std::size_t N>
    static bool SameBits(const std::array<float, N>& a, const std::array<float, N>& b)
    {
        return std::memcmp(a.data(), b.data(), sizeof(float) * N) == 0;
    }

    std::vector<Entry> m_entries;
    int m_coordinates = -1;
    std::array<float, 4> m_angles{};
};

}  // namespace

void BuildSteps(CKorvanesToolDoc& doc)
{
    // One memo per coordinate system: the tail statistics convert the same
    // measurements to specimen coordinates beside the displayed ones.
    static thread_local std::array<VectorMemo, 3> memos;
    const int coordinates = doc.m_options.m_coordinates;
    VectorMemo& memo = memos[static_cast<std::size_t>(coordinates >= 0 && coordinates < 3 ? coordinates : 0)];
    memo.Begin(doc);
    doc.m_steps.clear();
    doc.m_steps.reserve(doc.m_measurements.size());
    int g = -1;
    int previousType = kZeroField;
    for (std::size_t i = 0; i < doc.m_measurements.size(); ++i) {
        const CMeasurement& m = doc.m_measurements[i];
        const Vector3 v = memo.Of(i, m, doc.m_header);
        const int type = ClassifyTreatmentCode(m.treatmentCode, previousType);
        const std::int32_t t = TemperatureOfCode(m.treatmentCode);
        doc.m_steps.push_back({v.x, v.y, v.z, Length(v.x, v.y, v.z), type, t, t});
        g = std::max(g, type);
        previousType = type;
    }
    if (g < kPtrmCheck) {
        g = 0;
    } else if (g == kPtrmCheck) {
        const auto& ms = doc.m_measurements;
        const bool inFieldFirst =
            ms.size() >= 3 &&
            static_cast<double>(ms[1].treatmentCode) - static_cast<double>(ms[2].treatmentCode) > 0.0;
        g = inFieldFirst ? 2 : 1;
    }
    const char type[] = {'M', 'T', static_cast<char>('0' + g)};  // g is 0..4
    doc.m_result.methodType.assign(type, sizeof type);
}

namespace {

// A partner key: the temperature, then the step type, above the position
// (file positions below 2^28; the limits allow far fewer lines).
constexpr std::uint64_t kPositionMask = (std::uint64_t{1} << 28) - 1;

std::uint64_t PartnerKey(int type, std::int32_t temperature)
{
    const std::uint64_t t = static_cast<std::uint32_t>(temperature) ^ 0x80000000u;  // ordered as unsigned
    return (t << 31) | (static_cast<std::uint64_t>(static_cast<std::uint32_t>(type) & 7u) << 28);
}

// The steps ordered by temperature, type and position, as keys: every rule
// below looks for the partners of one type at one temperature in file order,
// which are then one run of this index. Kept per thread, so that a repeated
// run allocates nothing.
std::vector<std::uint64_t>& PartnerIndex(const std::vector<CStepVector>& steps)
{
    static thread_local std::vector<std::uint64_t> index;
    index.clear();
    for (std::size_t i = 0; i < steps.size(); ++i) {
        index.push_back(PartnerKey(steps[i].stepType, steps[i].temperature) | i);
    }
    // Real files come nearly in order of temperature (checks step back a
    // little): sorting by insertion is then about linear; anything else is
    // sorted outright.
    std::size_t moves = 0;
    for (std::size_t i = 1; i < index.size() && moves <= 8 * index.size(); ++i) {
        const std::uint64_t key = index[i];
        std::size_t j = i;
        for (; j > 0 && index[j - 1] > key; --j, ++moves) {
            index[j] = index[j - 1];
        }
        index[j] = key;
    }
    if (moves > 8 * index.size()) {
        std::sort(index.begin(), index.end());
    }
    return index;
}

// The pairing rules, once, for building the lists and for counting their
// items. `sink` receives, in order: checkMode(text) when a pTRM check sets
// the check mode (text null: the text stays), origin(step) for the first
// step, zeroField(step), tail(step), ptrm(inField, zeroField),
// check(check, partner, checkMinusPartner) and additivity(inField, check).
template <class Sink>
void VisitPairs(const std::vector<CStepVector>& steps, Sink& sink)
{
    const std::vector<std::uint64_t>& index = PartnerIndex(steps);
    auto forEachPartner = [&steps, &index](int type, int temperature, auto&& visit) {
        const std::uint64_t key = PartnerKey(type, temperature);
        for (auto it = std::lower_bound(index.begin(), index.end(), key);
             it != index.end() && (*it & ~kPositionMask) == key; ++it) {
            visit(steps[static_cast<std::size_t>(*it & kPositionMask)]);
        }
    };
    // A sink that only counts takes each step's partners as their number:
    // counting then takes no pass over the pairs themselves (steps repeated
    // at one temperature pair with each other, so there can be many).
    auto partnerCount = [&index](int type, int temperature) {
        const std::uint64_t key = PartnerKey(type, temperature);
        const auto first = std::lower_bound(index.begin(), index.end(), key);
        const auto last = std::lower_bound(first, index.end(), key + kPositionMask + 1);
        return static_cast<std::size_t>(last - first);
    };

    bool hasReference = false;  // no main step yet: a check refers to nothing
    int reference = 0;
    int checkMode = 0;  // 0 unset, 1..5 as the step before the first check says
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const CStepVector& s = steps[i];
        const int e = s.stepType;
        if (e == kPtrmCheck && i > 0) {
            switch (steps[i - 1].stepType) {
            case kZeroField:
                checkMode = 1;
                sink.checkMode("in-field alteration check");
                break;
            case kTailCheck:
                checkMode = 2;
                sink.checkMode("in-field alteration check after TR step");
                break;
            case kInField:
                checkMode = 3;
                sink.checkMode("zero-field alteration check");
                break;
            case kPtrmCheck:
                checkMode = 4;
                break;
            case kAdditivityCheck:
                checkMode = 5;
                break;
            default:
                break;
            }
        }
        if (i == 0) {
            sink.origin(s);
        }
        if (e == kZeroField) {
            sink.zeroField(s);
            hasReference = true;
            reference = s.temperature;
            continue;
        }
        if (e == kTailCheck) {
            sink.tail(s);
            continue;
        }
        if (e == kInField) {
            if constexpr (Sink::kCountsOnly) {
                sink.ptrms(s, partnerCount(kZeroField, s.temperature));
            } else {
                forEachPartner(kZeroField, s.temperature, [&](const CStepVector& p) { sink.ptrm(s, p); });
            }
            hasReference = true;
            reference = s.temperature;
            continue;
        }
        if (!hasReference) {
            continue;
        }
        if (e == kPtrmCheck) {
            int partnerType = -1;
            bool checkMinusPartner = true;
            if (checkMode == 1 || checkMode == 4 || checkMode == 5) {
                partnerType = kZeroField;
            } else if (checkMode == 2) {
                partnerType = kTailCheck;
            } else if (checkMode == 3) {
                partnerType = kInField;
                checkMinusPartner = false;
            }
            if (partnerType < 0) {
                continue;
            }
            if constexpr (Sink::kCountsOnly) {
                sink.checks(s, partnerCount(partnerType, reference));
            } else {
                forEachPartner(partnerType, reference,
                               [&](const CStepVector& p) { sink.check(s, p, checkMinusPartner); });
            }
        } else if (e == kAdditivityCheck) {
            if constexpr (Sink::kCountsOnly) {
                sink.additivities(s, partnerCount(kInField, reference));
            } else {
                forEachPartner(kInField, reference, [&](const CStepVector& p) { sink.additivity(p, s); });
            }
        }
    }
}

// Appends the items to the document's lists.
struct ListSink {
    static constexpr bool kCountsOnly = false;
    CKorvanesToolDoc& doc;
    bool onlyZ;

    void checkMode(const char* text) { doc.m_header.m_checkMethodText = text; }
    void origin(const CStepVector& s)
    {
        CStepVector item;
        item.stepType = kInField;
        item.temperature = s.temperature;
        item.stepTemperature = s.temperature;
        doc.m_ptrmGained.push_back(item);
    }
    void zeroField(const CStepVector& s) { doc.m_zeroFieldSteps.push_back(s); }
    void tail(const CStepVector& s) { doc.m_tailChecks.push_back(s); }
    void ptrm(const CStepVector& s, const CStepVector& p)
    {
        doc.m_ptrmGained.push_back(Difference(s, p, kInField, p.temperature, p.temperature, onlyZ));
    }
    void check(const CStepVector& s, const CStepVector& p, bool checkMinusPartner)
    {
        doc.m_ptrmChecks.push_back(checkMinusPartner ? Difference(s, p, kPtrmCheck, p.temperature, s.temperature, onlyZ)
                                                     : Difference(p, s, kPtrmCheck, p.temperature, s.temperature, onlyZ));
    }
    void additivity(const CStepVector& p, const CStepVector& s)
    {
        doc.m_additivityChecks.push_back(Difference(p, s, kAdditivityCheck, p.temperature, s.temperature, onlyZ));
    }
};

// Counts the items the lists would receive, keeping the temperatures of the
// zero-field steps and tail checks for the tail statistics, and how many
// pTRM items and checks each temperature gets for the corrected checks.
struct CountSink {
    static constexpr bool kCountsOnly = true;
    PairCounts counts;
    std::vector<std::int32_t> zeroFieldTemperatures;
    std::vector<std::int32_t> tailTemperatures;
    std::vector<std::pair<std::int32_t, std::size_t>> ptrmTemperatures;   // temperature, items
    std::vector<std::pair<std::int32_t, std::size_t>> checkTemperatures;  // own temperature, items

    // Empties the lists, keeping their storage.
    void Clear()
    {
        counts = PairCounts{};
        zeroFieldTemperatures.clear();
        tailTemperatures.clear();
        ptrmTemperatures.clear();
        checkTemperatures.clear();
    }

    void checkMode(const char*) {}
    void origin(const CStepVector& s)
    {
        ++counts.ptrmGained;
        ptrmTemperatures.emplace_back(s.temperature, 1);
    }
    void zeroField(const CStepVector& s)
    {
        ++counts.zeroFieldSteps;
        zeroFieldTemperatures.push_back(s.temperature);
    }
    void tail(const CStepVector& s) { tailTemperatures.push_back(s.temperature); }
    void ptrms(const CStepVector& s, std::size_t partners)
    {
        counts.ptrmGained += partners;
        ptrmTemperatures.emplace_back(s.temperature, partners);  // partners have the step's temperature
    }
    void checks(const CStepVector& s, std::size_t partners)
    {
        counts.ptrmChecks += partners;
        checkTemperatures.emplace_back(s.temperature, partners);
    }
    void additivities(const CStepVector&, std::size_t partners) { counts.additivityChecks += partners; }
};

}  // namespace

void PairSteps(CKorvanesToolDoc& doc)
{
    doc.m_zeroFieldSteps.clear();
    doc.m_ptrmGained.clear();
    doc.m_ptrmChecks.clear();
    doc.m_tailChecks.clear();
    doc.m_additivityChecks.clear();
    // Room for the usual case of about one item per step, taken once for a
    // fresh document instead of growing step by step.
    for (std::vector<CStepVector>* list : {&doc.m_zeroFieldSteps, &doc.m_ptrmGained, &doc.m_ptrmChecks}) {
        list->reserve(doc.m_steps.size());
    }
    ListSink sink{doc, doc.m_options.m_onlyZComponent != 0};
    VisitPairs(doc.m_steps, sink);
    ComputePlotBounds(doc);
}

PairCounts CountPairs(const std::vector<CStepVector>& steps)
{
    // Kept per thread: a batch of files allocates nothing here.
    static thread_local CountSink sink;
    sink.Clear();
    VisitPairs(steps, sink);
    // One tail statistic per zero-field step and tail check of one temperature.
    std::vector<std::int32_t>& zeroField = sink.zeroFieldTemperatures;
    std::sort(zeroField.begin(), zeroField.end());
    for (std::size_t k = 0, run = 0; k < zeroField.size(); ++k) {
        run = k > 0 && zeroField[k] == zeroField[k - 1] ? run + 1 : 1;
        sink.counts.mostZeroFieldAtOneTemperature = std::max(sink.counts.mostZeroFieldAtOneTemperature, run);
    }
    for (const std::int32_t t : sink.tailTemperatures) {
        const auto [first, last] =
            std::equal_range(sink.zeroFieldTemperatures.begin(), sink.zeroFieldTemperatures.end(), t);
        sink.counts.tailCheckStats += static_cast<std::size_t>(last - first);
    }
    // Every check of a pTRM item's temperature but the first, once for each
    // pTRM item of that temperature (BuildPtrmCheckSeries).
    auto& checksAt = sink.checkTemperatures;  // summed per temperature, in ascending order
    std::sort(checksAt.begin(), checksAt.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::size_t merged = 0;
    for (const auto& [t, items] : checksAt) {
        if (merged > 0 && checksAt[merged - 1].first == t) {
            checksAt[merged - 1].second += items;
        } else {
            checksAt[merged++] = {t, items};
        }
    }
    checksAt.resize(merged);
    auto& ptrmAt = sink.ptrmTemperatures;
    std::sort(ptrmAt.begin(), ptrmAt.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t k = 0, run = 0; k < ptrmAt.size(); ++k) {
        run = (k > 0 && ptrmAt[k].first == ptrmAt[k - 1].first ? run : 0) + ptrmAt[k].second;
        sink.counts.mostPtrmAtOneTemperature = std::max(sink.counts.mostPtrmAtOneTemperature, run);
    }
    for (const auto& [t, items] : sink.ptrmTemperatures) {
        const auto found = std::lower_bound(checksAt.begin(), checksAt.end(), t,
                                            [](const auto& entry, std::int32_t value) { return entry.first < value; });
        if (found != checksAt.end() && found->first == t && found->second > 1) {
            sink.counts.correctedChecks += items * (found->second - 1);
        }
    }
    return sink.counts;
}

void ComputePlotBounds(CKorvanesToolDoc& doc)
{
    CPlotBounds& b = doc.m_plotBounds;
    RunningRange temperature, nrm, x, y, z, horizontal, ptrm;
    for (const CStepVector& s : doc.m_zeroFieldSteps) {
        temperature.Add(s.temperature);
        nrm.Add(s.magnitude);
        x.Add(s.x);
        y.Add(s.y);
        z.Add(s.z);
        horizontal.Add(SignedHorizontal(s));
    }
    for (const CStepVector& s : doc.m_ptrmGained) {
        ptrm.Add(s.magnitude);
    }
    // Temperatures are clamped to ±10^9, so they convert back exactly.
    b.minTemperature = static_cast<std::int32_t>(temperature.minimum);
    b.maxTemperature = static_cast<std::int32_t>(temperature.maximum);
    b.minNrm = nrm.minimum;
    b.maxNrm = nrm.maximum;
    b.maxPtrm = ptrm.maximum;
    b.maxX = x.maximum;
    b.maxY = y.maximum;
    b.maxZ = z.maximum;
    b.maxHorizontal = horizontal.maximum;
    b.minX = x.minimum;
    b.minY = y.minimum;
    b.minZ = z.minimum;
    b.minHorizontal = horizontal.minimum;
}

}  // namespace korvanes
