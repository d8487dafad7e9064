#include "analysis/Classification.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstddef>
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

}  // namespace

namespace {

// floor(code) of a finite code read as a float, but +0 for -0 (which the
// callers treat alike): a float of magnitude 2^23 or more is whole, a
// smaller one goes through its integer part.
inline double FloorOfCode(double code)
{
    if (std::fabs(code) < 8388608.0) {
        const double t = static_cast<double>(static_cast<std::int32_t>(code));
        return t > code ? t - 1.0 : t;
    }
    return code;
}

// The type and temperature of a treatment code, from one floor of the code.
inline StepCode SplitCode(float treatmentCode, int previousType)
{
    const double code = treatmentCode;
    if (!std::isfinite(code)) {
        return {kZeroField, 0};
    }
    const double t = FloorOfCode(code);
    const auto temperature = static_cast<std::int32_t>(std::clamp(
        t, -static_cast<double>(kMaxTemperatureMagnitude), static_cast<double>(kMaxTemperatureMagnitude)));
    if (t == 0.0) {
        return {kZeroField, temperature};
    }
    // fmod(a, b) is a − n·b with n = trunc(a / b), exactly. For a code of a
    // positive temperature a lies in [b, 2b), where n = 1 and a − b is exact
    // (Sterbenz): the same bits without the library's long division.
    const double a = code * 1000.0;
    const double b = t * 1000.0;
    const double l = b > 0.0 && a >= b && a < 2.0 * b ? a - b : std::fmod(a, b);
    int type = previousType;
    if (l < 99.0) {
        type = kZeroField;
    } else if (l < 111.0) {
        type = kInField;
    } else if (l < 121.0) {
        type = kPtrmCheck;
    } else if (l < 131.0) {
        type = kTailCheck;
    } else if (l < 141.0) {
        type = kAdditivityCheck;
    } else if (l < 210.0) {
        type = kPtrmCheck;
    } else if (l < 310.0) {
        type = kTailCheck;
    } else if (l < 410.0) {
        type = kAdditivityCheck;
    }
    return {type, temperature};
}

// The type and temperature of the codes last read on this thread, by their
// bits: the files of a collection repeat the same few codes (the same
// temperatures and kinds of step), so most codes are worked out once. A
// type that follows the step before is kept as such.
class CodeMemo {
public:
    constexpr CodeMemo()
    {
        // A quiet NaN, with what SplitCode gives for it: every entry holds
        // the reading of its bits from the start.
        for (Entry& e : m_entries) {
            e = {0x7FC00000u, kZeroField, 0};
        }
    }

    StepCode Read(float treatmentCode, int previousType)
    {
        std::uint32_t bits;
        std::memcpy(&bits, &treatmentCode, sizeof bits);
        Entry& e = m_entries[(bits * 0x9E3779B1u) >> (32 - kBits)];
        if (e.bits != bits) {
            const StepCode code = SplitCode(treatmentCode, kAsBefore);
            e = {bits, code.type, code.temperature};
        }
        return {e.type == kAsBefore ? previousType : e.type, e.temperature};
    }

private:
    static constexpr int kAsBefore = -1;
    static constexpr int kBits = 8;
    struct Entry {
        std::uint32_t bits = 0;
        int type = 0;
        std::int32_t temperature = 0;
    };
    Entry m_entries[1 << kBits];
};

thread_local CodeMemo codeMemo;

}  // namespace

std::int32_t TemperatureOfCode(float treatmentCode) { return SplitCode(treatmentCode, kZeroField).temperature; }

int ClassifyTreatmentCode(float treatmentCode, int previousType) { return SplitCode(treatmentCode, previousType).type; }

StepCode ReadTreatmentCode(float treatmentCode, int previousType) { return codeMemo.Read(treatmentCode, previousType); }

void ClassifySteps(const std::vector<CMeasurement>& measurements, std::vector<CStepVector>& steps)
{
    const std::size_t n = measurements.size();
    if (steps.size() != n) {
        steps.resize(n);
    }
    CStepVector* const out = steps.data();
    const CMeasurement* const lines = measurements.data();
    CodeMemo& codes = codeMemo;
    int previousType = kZeroField;
    for (std::size_t i = 0; i < n; ++i) {
        const StepCode code = codes.Read(lines[i].treatmentCode, previousType);
        CStepVector& step = out[i];
        step.x = step.magnitude = static_cast<double>(i + 1);
        step.y = step.z = 0.0;
        step.stepType = code.type;
        step.temperature = step.stepTemperature = code.temperature;
        previousType = code.type;
    }
}

namespace {

// The steps of the measurements last read on this thread, with the bits
// they came from: a window that repaints one specimen again and again
// converts its directions once (the sines and cosines are most of the cost
// of building the steps) and reads each code once. A changed measurement,
// header angle or coordinate system is read again, so the steps are always
// those of the input.
class StepMemo {
public:
    // The type of a code that takes the type of the step before.
    static constexpr int kAsBefore = -1;

    // Starts a pass over the measurements of `doc`: steps read for other
    // header angles or another coordinate system are dropped.
    void Begin(const CKorvanesToolDoc& doc)
    {
        const CSpecimenHeader& h = doc.m_header;
        const std::array<float, 4> angles{h.m_coreAzimuth, h.m_coreDip, h.m_beddingDipDirection, h.m_beddingDip};
        if (doc.m_options.m_coordinates != m_coordinates ||
            std::memcmp(angles.data(), m_angles.data(), sizeof angles) != 0) {
            // Every entry made before no longer counts (a generation that
            // wraps around starts the entries afresh).
            if (++m_generation == 0) {
                for (Entry& e : m_entries) {
                    e.generation = 0;
                }
                m_generation = 1;
            }
            m_coordinates = doc.m_options.m_coordinates;
            m_angles = angles;
        }
        if (m_entries.size() < doc.m_measurements.size()) {
            m_entries.resize(doc.m_measurements.size());
        }
    }

private:
    struct Entry {
        CMeasurement input;
        std::uint32_t generation = 0;  // made in this generation of the memo, 0 for none
        CStepVector step;
    };

public:
    // The steps of the measurements of the document passed to Begin, with
    // the memo's storage at hand.
    class Reader {
    public:
        Reader(StepMemo& memo, const CSpecimenHeader& header)
            : m_entries(memo.m_entries.data()), m_generation(memo.m_generation),
              m_coordinates(memo.m_coordinates), m_header(header)
        {
        }

        // The step of measurement `index`, its type kAsBefore where the
        // code says so.
        const CStepVector& operator()(std::size_t index, const CMeasurement& m) const
        {
            Entry& e = m_entries[index];
            if (e.generation != m_generation || std::memcmp(&m, &e.input, sizeof m) != 0) {
                Read(e, m);
            }
            return e.step;
        }

    private:
        void Read(Entry& e, const CMeasurement& m) const
        {
            const Vector3 v = VectorInCoordinates(m, m_header, m_coordinates);
            const StepCode code = ReadTreatmentCode(m.treatmentCode, kAsBefore);
            e.step = {v.x, v.y, v.z, Length(v.x, v.y, v.z), code.type, code.temperature, code.temperature};
            std::memcpy(&e.input, &m, sizeof m);
            e.generation = m_generation;
        }

        Entry* m_entries;
        std::uint32_t m_generation;
        int m_coordinates;
        const CSpecimenHeader& m_header;
    };

private:

    std::vector<Entry> m_entries;
    std::uint32_t m_generation = 1;
    int m_coordinates = -1;
    std::array<float, 4> m_angles{};
};

}  // namespace

void BuildSteps(CKorvanesToolDoc& doc)
{
    // One memo per coordinate system: the tail statistics convert the same
    // measurements to specimen coordinates beside the displayed ones.
    static thread_local std::array<StepMemo, 3> memos;
    const int coordinates = doc.m_options.m_coordinates;
    StepMemo& memo = memos[static_cast<std::size_t>(coordinates >= 0 && coordinates < 3 ? coordinates : 0)];
    memo.Begin(doc);
    const std::vector<CMeasurement>& measurements = doc.m_measurements;
    const std::size_t n = measurements.size();
    int g = -1;
    int previousType = kZeroField;
    auto resolve = [&g, &previousType](int type) {
        type = type == StepMemo::kAsBefore ? previousType : type;
        g = std::max(g, type);
        previousType = type;
        return type;
    };
    const StepMemo::Reader read(memo, doc.m_header);
    const CMeasurement* const ms = measurements.data();
    if (doc.m_steps.size() == n) {
        // The steps of the last run, every field written anew.
        CStepVector* const steps = doc.m_steps.data();
        for (std::size_t i = 0; i < n; ++i) {
            const CStepVector& s = read(i, ms[i]);
            const int type = resolve(s.stepType);
            steps[i] = s;
            steps[i].stepType = type;
        }
    } else {
        doc.m_steps.clear();
        doc.m_steps.reserve(n);
        for (std::size_t i = 0; i < n; ++i) {
            const CStepVector& s = read(i, ms[i]);
            const int type = resolve(s.stepType);
            doc.m_steps.push_back(s);
            doc.m_steps.back().stepType = type;
        }
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

// The steps of each type at each temperature, in file order: every rule
// below looks for the partners of one type at the temperature of a step it
// has met (the step itself, or the last zero-field or in-field step). A hash
// table of the temperatures gives each step the entry of its temperature as
// it is built, so that a look-up is one read. Kept per thread, so that a
// repeated run allocates nothing; the table depends on the steps' types and
// temperatures alone, so steps read alike (the limits check of a file and
// its analysis, or a repeated run) find it built already.
class PartnerTable {
public:
    void Build(const std::vector<CStepVector>& steps)
    {
        const std::size_t n = steps.size();
        if (++m_tally == 0) {  // every tally starts from 0; a wrapped count starts them afresh
            for (Entry& e : m_entries) {
                e.tally = 0;
            }
            m_tally = 1;
        }
        if (TakeKeys(steps)) {
            return;
        }
        std::size_t size = 16;
        while (size < 2 * n) {
            size *= 2;
        }
        if (m_entries.size() < size) {
            m_entries.assign(size, Entry{});
            m_generation = 0;
        }
        if (++m_generation == 0) {  // wrapped: no entry may look current
            for (Entry& e : m_entries) {
                e.generation = 0;
            }
            m_generation = 1;
        }
        const std::size_t mask = m_entries.size() - 1;
        m_next.resize(n);
        m_entryOf.resize(n);
        // Plain pointers and a local generation: the stores below then
        // cannot seem to change them.
        Entry* const entries = m_entries.data();
        std::int32_t* const next = m_next.data();
        std::uint32_t* const entryOf = m_entryOf.data();
        const std::uint32_t generation = m_generation;
        std::array<std::size_t, kTypes> ofType{};
        std::size_t inFieldPairs = 0;
        if (m_used.size() < n) {
            m_used.resize(n);
        }
        std::uint32_t* const used = m_used.data();
        std::size_t usedCount = 0;
        // Backwards, so that adding each step in front of its list leaves
        // the list in file order.
        for (std::size_t i = n; i-- > 0;) {
            const std::int32_t t = steps[i].temperature;
            std::size_t h = (static_cast<std::uint32_t>(t) * 0x9E3779B1u >> 16) & mask;
            while (entries[h].generation == generation && entries[h].temperature != t) {
                h = (h + 1) & mask;
            }
            Entry& e = entries[h];
            if (e.generation != generation) {
                e = kFresh;
                e.generation = generation;
                e.temperature = t;
                used[usedCount++] = static_cast<std::uint32_t>(h);
            }
            entryOf[i] = static_cast<std::uint32_t>(h);
            const int type = steps[i].stepType;
            if (type >= 0 && type < kTypes) {
                next[i] = e.first[type];
                e.first[type] = static_cast<std::int32_t>(i);
                ++e.count[type];
                ++ofType[static_cast<std::size_t>(type)];
                // Each pair of an in-field and a zero-field step of one
                // temperature, counted as its second step comes.
                inFieldPairs += type == kInField    ? e.count[kZeroField]
                                : type == kZeroField ? e.count[kInField]
                                                     : 0;
            }
        }
        m_ofType = ofType;
        m_inFieldPairs = inFieldPairs;
        m_usedCount = usedCount;
    }

    // The number of steps of `type` (0..4), and of pairs of an in-field and
    // a zero-field step of one temperature.
    std::size_t StepsOfType(int type) const { return m_ofType[static_cast<std::size_t>(type)]; }
    std::size_t InFieldPairs() const { return m_inFieldPairs; }

    // The number of steps of `type` at the temperature of step `of`.
    std::size_t Count(int type, std::size_t of) const { return m_entries[m_entryOf[of]].count[type]; }

    // A tally per temperature for the counting of the pairs, 0 after Build.
    void AddCheckItems(std::size_t of, std::size_t items)
    {
        Entry& e = m_entries[m_entryOf[of]];
        if (e.tally != m_tally) {
            e.tally = m_tally;
            e.checkItems = 0;
        }
        e.checkItems += items;
    }
    std::size_t CheckItems(std::size_t of) const
    {
        const Entry& e = m_entries[m_entryOf[of]];
        return e.tally == m_tally ? e.checkItems : 0;
    }

    // Each temperature of the steps once: visit(temperature, the number of
    // steps of each type, the tally of check items).
    template <class Visit>
    void ForEachTemperature(Visit&& visit) const
    {
        for (std::size_t k = 0; k < m_usedCount; ++k) {
            const Entry& e = m_entries[m_used[k]];
            visit(e.temperature, e.count, e.tally == m_tally ? e.checkItems : std::size_t{0});
        }
    }

private:
    // A step's type and temperature in one word (they lie side by side).
    static std::uint64_t KeyOf(const CStepVector& s)
    {
        static_assert(offsetof(CStepVector, temperature) == offsetof(CStepVector, stepType) + sizeof(std::int32_t));
        std::uint64_t key;
        std::memcpy(&key, reinterpret_cast<const unsigned char*>(&s) + offsetof(CStepVector, stepType), sizeof key);
        return key;
    }

    // Keeps the steps' types and temperatures; whether the table was built
    // from steps of the same.
    bool TakeKeys(const std::vector<CStepVector>& steps)
    {
        const std::size_t n = steps.size();
        const CStepVector* const s = steps.data();
        std::size_t i = 0;
        if (m_built && n == m_keys.size()) {
            const std::uint64_t* const keys = m_keys.data();
            while (i < n && KeyOf(s[i]) == keys[i]) {
                ++i;
            }
            if (i == n) {
                return true;
            }
        } else {
            m_keys.resize(n);
        }
        std::uint64_t* const keys = m_keys.data();
        for (; i < n; ++i) {
            keys[i] = KeyOf(s[i]);
        }
        m_built = true;
        return false;
    }

    static constexpr int kTypes = kAdditivityCheck + 1;
    struct Entry {
        std::int32_t temperature = 0;
        std::uint32_t generation = 0;
        std::int32_t first[kTypes] = {};
        std::uint32_t count[kTypes] = {};
        std::uint32_t tally = 0;  // checkItems counts in this tally, else 0
        std::size_t checkItems = 0;
    };
    static constexpr Entry kFresh{0, 0, {-1, -1, -1, -1, -1}, {}, 0, 0};
    std::vector<Entry> m_entries;
    std::uint32_t m_generation = 0;
    std::vector<std::int32_t> m_next;
    std::vector<std::uint32_t> m_entryOf;
    std::vector<std::uint32_t> m_used;  // the entries of the temperatures, one each: the first m_usedCount
    std::size_t m_usedCount = 0;
    std::vector<std::uint64_t> m_keys;  // of the steps the table was built from
    bool m_built = false;
    std::uint32_t m_tally = 0;
    std::array<std::size_t, kTypes> m_ofType{};
    std::size_t m_inFieldPairs = 0;

public:
    // The look-ups, with the table's storage at hand.
    class View {
    public:
        explicit View(const PartnerTable& table)
            : m_entries(table.m_entries.data()), m_entryOf(table.m_entryOf.data()), m_next(table.m_next.data())
        {
        }

        // The steps of `type` at the temperature of step `of`, in file order.
        template <class Visit>
        void ForEach(int type, std::size_t of, const CStepVector* steps, Visit&& visit) const
        {
            for (std::int32_t k = m_entries[m_entryOf[of]].first[type]; k >= 0;
                 k = m_next[static_cast<std::size_t>(k)]) {
                visit(steps[static_cast<std::size_t>(k)]);
            }
        }

        // Their number.
        std::size_t Count(int type, std::size_t of) const { return m_entries[m_entryOf[of]].count[type]; }

    private:
        const Entry* m_entries;
        const std::uint32_t* m_entryOf;
        const std::int32_t* m_next;
    };
};

// The table of the last VisitPairs on this thread.
thread_local PartnerTable partners;

// The pairing rules, once, for building the lists and for counting their
// items. `sink` receives, in order: checkMode(text) when a pTRM check sets
// the check mode (text null: the text stays), origin(step) for the first
// step, zeroField(step), tail(step), ptrm(inField, zeroField),
// check(check, partner, checkMinusPartner) and additivity(inField, check).
// The table must have been built from `steps`.
template <class Sink>
void VisitPairs(const std::vector<CStepVector>& stepList, const PartnerTable& built, Sink& sink)
{
    const PartnerTable::View table(built);
    const CStepVector* const steps = stepList.data();
    const std::size_t n = stepList.size();
    auto forEachPartner = [steps, &table](int type, std::size_t of, auto&& visit) {
        table.ForEach(type, of, steps, visit);
    };
    // A sink that only counts takes each step's partners as their number:
    // counting then takes no pass over the pairs themselves (steps repeated
    // at one temperature pair with each other, so there can be many).
    auto partnerCount = [&table](int type, std::size_t of) { return table.Count(type, of); };

    bool hasReference = false;  // no main step yet: a check refers to nothing
    std::size_t reference = 0;  // the last zero-field or in-field step: its temperature
    int checkMode = 0;  // 0 unset, 1..5 as the step before the first check says
    if (n > 0) {
        sink.origin(steps[0]);
    }
    for (std::size_t i = 0; i < n; ++i) {
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
        if (e == kZeroField) {
            sink.zeroField(s);
            hasReference = true;
            reference = i;
            continue;
        }
        if (e == kTailCheck) {
            sink.tail(s);
            continue;
        }
        if (e == kInField) {
            if constexpr (Sink::kCountsOnly) {
                sink.ptrms(s, partnerCount(kZeroField, i));
            } else {
                forEachPartner(kZeroField, i, [&](const CStepVector& p) { sink.ptrm(s, p); });
            }
            hasReference = true;
            reference = i;
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
                sink.checks(i, partnerCount(partnerType, reference));
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

// Writes the items into the document's lists: the zero-field, tail-check
// and pTRM lists sized beforehand from the partner table, the others
// appended to.
struct ListSink {
    static constexpr bool kCountsOnly = false;
    CKorvanesToolDoc& doc;
    bool onlyZ;
    CStepVector* zeroFieldOut;
    CStepVector* tailOut;
    CStepVector* ptrmOut;
    const char* checkMethodText = nullptr;  // the last one set

    void checkMode(const char* text) { checkMethodText = text; }
    void origin(const CStepVector& s)
    {
        CStepVector item;
        item.stepType = kInField;
        item.temperature = s.temperature;
        item.stepTemperature = s.temperature;
        *ptrmOut++ = item;
    }
    void zeroField(const CStepVector& s) { *zeroFieldOut++ = s; }
    void tail(const CStepVector& s) { *tailOut++ = s; }
    void ptrm(const CStepVector& s, const CStepVector& p)
    {
        *ptrmOut++ = Difference(s, p, kInField, p.temperature, p.temperature, onlyZ);
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

// Counts the items the lists would receive, and tallies the pTRM-check
// items of each check's own temperature in the partner table.
struct CountSink {
    static constexpr bool kCountsOnly = true;
    PairCounts counts;

    void checkMode(const char*) {}
    void origin(const CStepVector&) { ++counts.ptrmGained; }
    void zeroField(const CStepVector&) { ++counts.zeroFieldSteps; }
    void tail(const CStepVector&) {}
    void ptrms(const CStepVector&, std::size_t partners) { counts.ptrmGained += partners; }
    void checks(std::size_t check, std::size_t items)
    {
        counts.ptrmChecks += items;
        partners.AddCheckItems(check, items);
    }
    void additivities(const CStepVector&, std::size_t partners) { counts.additivityChecks += partners; }
};

}  // namespace

namespace {

// `list` with `size` items, those it has kept as they are (they are all
// written anew).
CStepVector* SizedList(std::vector<CStepVector>& list, std::size_t size)
{
    if (list.size() != size) {
        list.resize(size);
    }
    return list.data();
}

}  // namespace

void PairSteps(CKorvanesToolDoc& doc)
{
    PartnerTable& table = partners;
    table.Build(doc.m_steps);
    doc.m_ptrmChecks.clear();
    doc.m_additivityChecks.clear();
    // Room for the usual case of about one check item per step, taken once
    // for a fresh document instead of growing step by step.
    doc.m_ptrmChecks.reserve(doc.m_steps.size());
    // One zero-field item per zero-field step, one tail item per tail
    // check, and the pTRM items: the origin item, then one per pair of an
    // in-field and a zero-field step of one temperature.
    const std::size_t ptrmItems = doc.m_steps.empty() ? 0 : 1 + table.InFieldPairs();
    ListSink sink{doc,
                  doc.m_options.m_onlyZComponent != 0,
                  SizedList(doc.m_zeroFieldSteps, table.StepsOfType(kZeroField)),
                  SizedList(doc.m_tailChecks, table.StepsOfType(kTailCheck)),
                  SizedList(doc.m_ptrmGained, ptrmItems)};
    VisitPairs(doc.m_steps, table, sink);
    assert(sink.zeroFieldOut == doc.m_zeroFieldSteps.data() + doc.m_zeroFieldSteps.size());
    assert(sink.tailOut == doc.m_tailChecks.data() + doc.m_tailChecks.size());
    assert(sink.ptrmOut == doc.m_ptrmGained.data() + doc.m_ptrmGained.size());
    if (sink.checkMethodText != nullptr) {
        doc.m_header.m_checkMethodText = sink.checkMethodText;
    }
    ComputePlotBounds(doc);
}

PairCounts CountPairs(const std::vector<CStepVector>& steps)
{
    CountSink sink;
    partners.Build(steps);
    VisitPairs(steps, partners, sink);
    PairCounts& counts = sink.counts;
    // Per temperature, from the partner table: z zero-field steps and i
    // in-field steps give i·z pTRM items (and the origin one more at its
    // temperature); each tail check gives z tail statistics; every check of
    // the temperature but the first is corrected once for each pTRM item of
    // that temperature (BuildPtrmCheckSeries).
    const PartnerTable& table = partners;
    auto corrected = [](std::size_t checks, std::size_t ptrmItems) {
        return checks > 1 ? ptrmItems * (checks - 1) : 0;
    };
    if (steps.empty()) {
        return counts;
    }
    const std::int32_t originTemperature = steps[0].temperature;
    table.ForEachTemperature([&](std::int32_t t, const std::uint32_t* count, std::size_t checks) {
        const std::size_t zeroField = count[kZeroField];
        const std::size_t inField = count[kInField];
        if (zeroField > 0) {
            counts.mostZeroFieldAtOneTemperature = std::max(counts.mostZeroFieldAtOneTemperature, zeroField);
        }
        counts.tailCheckStats += count[kTailCheck] * zeroField;
        if (inField > 0) {
            const std::size_t atTemperature = inField * zeroField + (t == originTemperature ? 1 : 0);
            counts.mostPtrmAtOneTemperature = std::max(counts.mostPtrmAtOneTemperature, atTemperature);
            // Every in-field step of the temperature adds its pTRM items' corrections.
            counts.correctedChecks += inField * corrected(checks, zeroField);
        }
    });
    const std::size_t atOrigin = 1 + table.Count(kInField, 0) * table.Count(kZeroField, 0);
    counts.mostPtrmAtOneTemperature = std::max(counts.mostPtrmAtOneTemperature, atOrigin);
    counts.correctedChecks += corrected(table.CheckItems(0), 1);
    return counts;
}

void ComputePlotBounds(CKorvanesToolDoc& doc)
{
    CPlotBounds& b = doc.m_plotBounds;
    // Each extent starts from the first item (an empty list keeps the start
    // values) and then takes std::min and std::max of the items in order.
    // Temperatures are whole numbers within ±10^9: their extremes are
    // taken as such (the start values convert exactly).
    std::int32_t minTemperature = static_cast<std::int32_t>(kStartMinimum);
    std::int32_t maxTemperature = static_cast<std::int32_t>(kStartMaximum);
    double minNrm = kStartMinimum, maxNrm = kStartMaximum;
    double minX = kStartMinimum, maxX = kStartMaximum;
    double minY = kStartMinimum, maxY = kStartMaximum;
    double minZ = kStartMinimum, maxZ = kStartMaximum;
    double minHorizontal = kStartMinimum, maxHorizontal = kStartMaximum;
    const std::vector<CStepVector>& zeroField = doc.m_zeroFieldSteps;
    if (!zeroField.empty()) {
        const CStepVector& s = zeroField.front();
        minTemperature = maxTemperature = s.temperature;
        minNrm = maxNrm = s.magnitude;
        minX = maxX = s.x;
        minY = maxY = s.y;
        minZ = maxZ = s.z;
        minHorizontal = maxHorizontal = SignedHorizontal(s);
    }
    for (std::size_t k = 1; k < zeroField.size(); ++k) {
        const CStepVector& s = zeroField[k];
        const std::int32_t temperature = s.temperature;
        const double horizontal = SignedHorizontal(s);
        minTemperature = std::min(minTemperature, temperature);
        maxTemperature = std::max(maxTemperature, temperature);
        minNrm = std::min(minNrm, s.magnitude);
        maxNrm = std::max(maxNrm, s.magnitude);
        minX = std::min(minX, s.x);
        maxX = std::max(maxX, s.x);
        minY = std::min(minY, s.y);
        maxY = std::max(maxY, s.y);
        minZ = std::min(minZ, s.z);
        maxZ = std::max(maxZ, s.z);
        minHorizontal = std::min(minHorizontal, horizontal);
        maxHorizontal = std::max(maxHorizontal, horizontal);
    }
    double maxPtrm = kStartMaximum;
    const std::vector<CStepVector>& ptrm = doc.m_ptrmGained;
    if (!ptrm.empty()) {
        maxPtrm = ptrm.front().magnitude;
    }
    for (std::size_t k = 1; k < ptrm.size(); ++k) {
        maxPtrm = std::max(maxPtrm, ptrm[k].magnitude);
    }
    b.minTemperature = minTemperature;
    b.maxTemperature = maxTemperature;
    b.minNrm = minNrm;
    b.maxNrm = maxNrm;
    b.maxPtrm = maxPtrm;
    b.maxX = maxX;
    b.maxY = maxY;
    b.maxZ = maxZ;
    b.maxHorizontal = maxHorizontal;
    b.minX = minX;
    b.minY = minY;
    b.minZ = minZ;
    b.minHorizontal = minHorizontal;
}

}  // namespace korvanes
