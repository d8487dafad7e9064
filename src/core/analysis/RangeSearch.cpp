#include "analysis/RangeSearch.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "analysis/AraiFit.h"
#include "analysis/RangeScreen.h"

namespace korvanes {
namespace {

// The tests of the line-fit statistics.
constexpr unsigned kLineFitTests = kTestN | kTestSlopeRelStd | kTestF | kTestQ;

bool MeetsLineFit(const CSpecimenResult& r, const ClassThresholds& t)
{
    return (FailedGradeTests(r, t) & kLineFitTests) == 0;
}

}  // namespace

unsigned FailedGradeTests(const CSpecimenResult& r, const ClassThresholds& t)
{
    // Written as "passes" so that a statistic that is not a number fails.
    unsigned failed = 0;
    failed |= r.n >= t.minN ? 0 : kTestN;
    failed |= r.slopeRelStd <= t.maxSlopeRelStd ? 0 : kTestSlopeRelStd;
    failed |= r.f >= t.minF ? 0 : kTestF;
    failed |= r.q >= static_cast<double>(t.minQ) ? 0 : kTestQ;
    failed |= r.madAnchored <= static_cast<double>(t.maxMad) ? 0 : kTestMad;
    failed |= r.alpha <= static_cast<double>(t.maxAlpha) ? 0 : kTestAlpha;
    failed |= r.ckError <= static_cast<double>(t.maxCkError) ? 0 : kTestCkError;
    failed |= r.ckDiff <= static_cast<double>(t.maxCkDiff) ? 0 : kTestCkDiff;
    failed |= r.drat <= static_cast<double>(t.maxDrat) ? 0 : kTestDrat;
    failed |= r.dAC <= static_cast<double>(t.maxAc) ? 0 : kTestAc;
    failed |= r.dTR <= static_cast<double>(t.maxIntensityDiff) ? 0 : kTestTr;
    failed |= r.dTStar <= static_cast<double>(t.maxTailStar) ? 0 : kTestTStar;
    return failed;
}

const char* GradeTestLabel(unsigned test)
{
    switch (test) {
    case kTestN:
        return "N";
    case kTestSlopeRelStd:
        return "Std/slope";
    case kTestF:
        return "f";
    case kTestQ:
        return "q";
    case kTestMad:
        return "MAD";
    case kTestAlpha:
        return "Alpha";
    case kTestCkError:
        return "d(CK)";
    case kTestCkDiff:
        return "d(pal)";
    case kTestDrat:
        return "Drat";
    case kTestAc:
        return "d(AC)";
    case kTestTr:
        return "d(TR)";
    case kTestTStar:
        return "d(t*)";
    default:
        return "";
    }
}

int GradeResult(const CSpecimenResult& result, const CCriteriaSet& criteria)
{
    if (FailedGradeTests(result, criteria.classA) == 0) {
        return kClassA;
    }
    if (FailedGradeTests(result, criteria.classB) == 0) {
        return kClassB;
    }
    return kClassC;
}

namespace {

// The pTRM lists of one search paired with the zero-field steps once, for
// all the ranges the search evaluates (the lists do not change meanwhile).
struct SearchPairings {
    AraiPairing plain;
    AraiPairing corrected;

    explicit SearchPairings(const CKorvanesToolDoc& doc)
    {
        PairAraiPoints(doc.m_zeroFieldSteps, doc.m_ptrmGained, plain);
        if (doc.m_options.m_checkCorrected == 0) {
            PairAraiPointsLike(plain, doc.m_zeroFieldSteps, doc.m_correctedPtrm, corrected);
        }
    }
};

// The paleointensity of the range on the check-corrected pTRM list, for
// d(pal); 0 once the correction is applied (d(pal) is then 0 anyway).
double CorrectedPaleointensity(const CKorvanesToolDoc& doc, int tMin, int tMax, const SearchPairings& pairings)
{
    if (doc.m_options.m_checkCorrected != 0) {
        return 0.0;
    }
    return PairedRangePaleointensity(doc, tMin, tMax, doc.m_zeroFieldSteps, pairings.corrected);
}

// Fits one range in full: the paleointensity on the check-corrected pTRM
// list for d(pal), the pTRM list itself with the directional fits, then the
// alteration statistics of the range that the fit actually used.
void EvaluateWithChecks(CKorvanesToolDoc& doc, int tMin, int tMax, const SearchPairings& pairings)
{
    const double correctedPaleointensity = CorrectedPaleointensity(doc, tMin, tMax, pairings);
    EvaluatePairedRange(doc, tMin, tMax, doc.m_zeroFieldSteps, pairings.plain);
    EvaluateRangeChecks(doc, correctedPaleointensity, doc.m_result.tMax);
}

// Whether the line fit and checks now in m_result can meet `classLimit` at
// all. MAD and alpha are never negative and enter the grade only through
// upper bounds, so 0 stands for the most favourable directional values: a
// range that fails with them fails with any.
bool MayMeetClass(CKorvanesToolDoc& doc, int classLimit)
{
    doc.m_result.madAnchored = 0.0;
    doc.m_result.alpha = 0.0;
    return GradeResult(doc.m_result, doc.m_criteria) <= classLimit;
}

// Manual mode: the range the user set.
void EvaluateSelectedRange(CKorvanesToolDoc& doc, int tMin, int tMax, const SearchPairings& pairings)
{
    if (tMin >= tMax) {
        ClearResult(doc.m_result);
        return;
    }
    EvaluateWithChecks(doc, tMin, tMax, pairings);
}

void SearchSelectedRange(CKorvanesToolDoc& doc)
{
    const SearchPairings pairings(doc);
    EvaluateSelectedRange(doc, doc.m_result.tMin, doc.m_result.tMax, pairings);
}

// The best range so far: the largest search value, and among equal values
// the earliest pair in the order of the search (i, then j).
struct Best {
    bool found = false;
    double value = 0.0;
    long long order = 0;
    int tMin = 0;
    int tMax = 0;
    // m_result holds the best range evaluated in full (nothing was
    // evaluated after it), exactly as evaluating it again would leave it.
    bool inResult = false;
};

// Whether a qualifying range of this value and place in the order takes the
// place of the best. Visiting the pairs in order this is "strictly greater"
// (on equal values the earlier pair stays); it also holds when a pair comes
// after one later in the order. A value of 0 never counts as found.
bool Beats(double value, long long order, const Best& best)
{
    return value > best.value || (best.found && value == best.value && order < best.order);
}

// Evaluates the pair as it is, and takes it as the best when it qualifies
// and beats the best so far.
void TryPair(CKorvanesToolDoc& doc, int classLimit, int ti, int tj, long long order, const SearchPairings& pairings,
             Best& best)
{
    // Only a range whose w (or q) beats the best so far can change the
    // outcome, and that value comes from the line fit alone. The rest of the
    // evaluation (the d(pal) fit, the check statistics and the directional
    // fits, the costly part) is needed only for such a range; every other
    // range's values are never read (the best range is evaluated again in
    // full at the end, and a search that finds nothing clears them).
    best.inResult = false;
    EvaluatePairedLineFit(doc, ti, tj, doc.m_zeroFieldSteps, pairings.plain);
    const double value = std::fabs(doc.m_criteria.maximizeQ == 0 ? doc.m_result.w : doc.m_result.q);
    if (!Beats(value, order, best)) {
        return;
    }
    // A range whose line fit fails every class it may take fails the grade
    // whatever its checks and directions.
    if (!MeetsLineFit(doc.m_result, doc.m_criteria.classA) &&
        !(classLimit >= kClassB && MeetsLineFit(doc.m_result, doc.m_criteria.classB))) {
        return;
    }
    EvaluateRangeChecks(doc, CorrectedPaleointensity(doc, ti, tj, pairings), doc.m_result.tMax);
    if (MayMeetClass(doc, classLimit)) {
        EvaluateRangeDirections(doc, doc.m_zeroFieldSteps);
        if (GradeResult(doc.m_result, doc.m_criteria) <= classLimit) {
            // The line fit, the checks on the d(pal) fit and the directional
            // fits: all that the full evaluation of the range writes.
            best = {true, value, order, doc.m_result.tMin, doc.m_result.tMax, true};
        }
    }
}

// Every pair (i, j) of zero-field steps that the search considers, in its
// order: i outer, j inner starting at minN - 1 for every i; a pair counts
// when Ti < Tj and j - i >= minN - 1 (it spans at least minN steps).
template <class Visit>
void ForEachPair(const std::vector<CStepVector>& zeroField, int minN, Visit visit)
{
    const int count = static_cast<int>(zeroField.size());
    long long order = 0;
    for (int i = 0; i < count; ++i) {
        const int ti = zeroField[static_cast<std::size_t>(i)].temperature;
        for (int j = std::max(minN - 1, i + minN - 1); j < count; ++j) {
            if (ti < zeroField[static_cast<std::size_t>(j)].temperature) {
                visit(i, j, order++);
            }
        }
    }
}

// The last pair that ForEachPair visits; false when there is none.
bool LastPair(const std::vector<CStepVector>& zeroField, int minN, int& lastI, int& lastJ)
{
    const int count = static_cast<int>(zeroField.size());
    for (int i = count - 1; i >= 0; --i) {
        const int ti = zeroField[static_cast<std::size_t>(i)].temperature;
        for (int j = count - 1; j >= std::max(minN - 1, i + minN - 1); --j) {
            if (ti < zeroField[static_cast<std::size_t>(j)].temperature) {
                lastI = i;
                lastJ = j;
                return true;
            }
        }
    }
    return false;
}

// A pair that may seed the screened search, by its quick key and then its
// place in the order.
struct Candidate {
    float key;
    int i;
    int j;
    long long order;
    bool operator<(const Candidate& other) const { return key < other.key || (key == other.key && order < other.order); }
};

// The highest key k with k bestSq < 0.5 (in doubles, as the search asks it):
// as the product rounds monotonically, the keys that pass are those up to
// it. Below 0 when none does.
float HighestKeyLeft(double bestSq)
{
    auto passes = [bestSq](float key) { return key * bestSq < 0.5; };
    constexpr float kMost = std::numeric_limits<float>::max();
    if (!passes(0.0f)) {
        return -1.0f;
    }
    // (Without a best, 0: every key but infinity passes.)
    const double estimate = bestSq > 0.5 / kMost ? 0.5 / bestSq : kMost;
    float key = estimate < kMost ? static_cast<float>(estimate) : kMost;
    // The estimate is within a unit or two of the boundary.
    while (!passes(key)) {
        key = std::nextafter(key, 0.0f);
    }
    while (key < kMost && passes(std::nextafter(key, kMost))) {
        key = std::nextafter(key, kMost);
    }
    return key;
}

// What the screened search keeps between its passes; one per thread, so
// that a repeated search allocates nothing.
struct ScreenedSearchStore {
    RangeScreen screen;
    // Per pair in the search order, the key of RangeScreen::QuickKeys: the
    // square of its value is below 0.5 / key.
    std::vector<float> keys;
    // The keys that a class-A search took (those of class A or B), kept for
    // the class-B search that follows when it finds nothing, and the minimum
    // N whose pairs they are for; -1: none are kept.
    std::vector<float> keysAOrB;
    int keysAOrBMinN = -1;
    bool keysAOrBByCkDiff = false;  // they already say no chance where d(pal) fails
    std::vector<int> firstPartners;  // per step i, the first j of its pairs
    int partnersMinN = -1;           // the minimum N they are for; -1: none
    std::vector<int> left;           // the places of the pairs left for the last pass
    std::vector<Candidate> sorted;   // the candidates of the rounds after the first (for a few pairs)
};

ScreenedSearchStore& ThreadStore()
{
    static thread_local ScreenedSearchStore store;
    return store;
}

// The search with the screen (only for a zero-field list in ascending
// order): first a quick bound of every pair's value, then an exact
// evaluation of the most promising pairs until one qualifies (its value is a
// floor for every other), then the pairs in order, each evaluated exactly
// unless its bounds show that it cannot beat the best so far or cannot
// qualify. The outcome is that of evaluating every pair in order.
void SearchScreened(CKorvanesToolDoc& doc, int classLimit, int minN, const SearchPairings& pairings,
                    ScreenedSearchStore& store, Best& best)
{
    const RangeScreen& screen = store.screen;
    const unsigned classes = screen.Classes();
    if (classes == 0) {
        return;  // no range can meet the criteria
    }
    const std::vector<CStepVector>& zeroField = doc.m_zeroFieldSteps;
    const int count = static_cast<int>(zeroField.size());
    // The pairs of step i: j from here to the last step (the list ascends,
    // so every later block lies above Ti), as ForEachPair visits them.
    // (The search just before over the same lists made them for this
    // minimum N already, or not.)
    if (store.partnersMinN != minN) {
        store.firstPartners.resize(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            store.firstPartners[static_cast<std::size_t>(i)] =
                std::max(std::max(minN - 1, i + minN - 1), screen.FirstAbove(i));
        }
        store.partnersMinN = minN;
    }
    const int* const partners = store.firstPartners.data();
    auto firstPartner = [partners](int i) { return partners[i]; };

    // Whether the keys say no chance where d(pal) fails already, and whether
    // this search made the keys of class A or B.
    bool byCkDiff = false;
    bool alsoAOrB = false;
    if (classLimit >= kClassB && store.keysAOrBMinN == minN) {
        // The class-A search just before made them, for the same pairs.
        store.keys = store.keysAOrB;
        byCkDiff = store.keysAOrBByCkDiff;
    } else {
        // A class-A search takes the keys of class A or B: looser by the
        // pairs that only class B may take (the exact bounds leave those out),
        // and the same as those of the class-B search that may follow.
        alsoAOrB = classLimit == kClassA && (classes & kMayBeClassB) == 0;
        std::size_t pairs = 0;
        for (int i = 0; i < count; ++i) {
            pairs += static_cast<std::size_t>(std::max(count - firstPartner(i), 0));
        }
        // Room for the vectors that run past the last row.
        store.keys.resize(pairs + RangeScreen::kQuickPad);
        screen.QuickKeys(partners, pairs, store.keys.data(), alsoAOrB);
        store.keys.resize(pairs);
        if (alsoAOrB) {
            store.keysAOrB = store.keys;
        }
        store.keysAOrBMinN = alsoAOrB ? minN : -1;
        store.keysAOrBByCkDiff = false;
    }

    // A seed goes to the exact evaluation without the bounds of its
    // directional fits (which that evaluation computes anyway).
    auto tryPair = [&](int i, int j, long long pairOrder, bool seed = false) {
        if (screen.Full(i, j, classes, best.value * best.value, !seed) != 0) {
            TryPair(doc, classLimit, zeroField[static_cast<std::size_t>(i)].temperature,
                    zeroField[static_cast<std::size_t>(j)].temperature, pairOrder, pairings, best);
        }
    };

    // Seeds: the pairs with the lowest keys (the highest quick bounds), a
    // round of them at a time, each round by its finer bound; the first pair
    // that qualifies becomes the best, a floor for all the others. More
    // candidates the more pairs there are (two for a short specimen: over
    // many specimens, generated and measured, a round of more costs more
    // bounds than it saves). A pair's place in the order is also that of
    // its key; a candidate found unable to qualify gets the key of no chance.
    constexpr float kNoChance = std::numeric_limits<float>::infinity();
    constexpr int kMostCandidates = 32;
    constexpr int kRounds = 4;
    const int candidates = std::clamp(count * count / 128, 2, kMostCandidates);
    Candidate top[kMostCandidates];
    Candidate after{-1.0f, 0, 0, -1};  // every candidate of a round comes after those of the rounds before
    // Most searches end in the first round, which picks its candidates from
    // all the keys. For a few pairs, the rounds after take theirs from one
    // sorted list of the pairs left (the same ones: a key changes only for
    // a pair that was a candidate already).
    constexpr std::size_t kSortedPairs = 256;
    const bool fewPairs = store.keys.size() <= kSortedPairs;
    std::size_t nextSorted = 0;
    for (int round = 0; round < kRounds && !best.found; ++round) {
        int topCount = 0;
        std::size_t at = 0;
        long long order = 0;
        if (round == 1 && fewPairs) {
            store.sorted.clear();
            for (int i = 0; i < count; ++i) {
                const int j0 = firstPartner(i);
                const int length = std::max(count - j0, 0);
                const float* const rowKeys = store.keys.data() + at;
                for (int k = 0; k < length; ++k) {
                    if (rowKeys[k] < kNoChance) {
                        const Candidate c{rowKeys[k], i, j0 + k, order + k};
                        if (after < c) {
                            store.sorted.push_back(c);
                        }
                    }
                }
                order += length;
                at += static_cast<std::size_t>(length);
            }
            std::sort(store.sorted.begin(), store.sorted.end());
        }
        while (round > 0 && fewPairs && topCount < candidates && nextSorted < store.sorted.size()) {
            top[topCount++] = store.sorted[nextSorted++];
        }
        // Keys above this cannot enter (the worst of a full round; an equal
        // key enters when its pair comes earlier). Each row from its last
        // pair back: the keys mostly rise that way (the longer ranges come
        // last), so that few candidates move.
        float limit = std::numeric_limits<float>::infinity();
        for (int i = 0; (round == 0 || !fewPairs) && i < count; ++i) {
            const int j0 = firstPartner(i);
            const int length = std::max(count - j0, 0);
            const float* const rowKeys = store.keys.data() + at;
            const long long rowOrder = order;
            order += length;
            at += static_cast<std::size_t>(length);
            for (int k = length - 1; k >= 0; --k) {
                const float key = rowKeys[k];
                if (!(key <= limit) || key == kNoChance) {
                    continue;
                }
                const Candidate c{key, i, j0 + k, rowOrder + k};
                if ((key == limit && !(c < top[topCount - 1])) || (round > 0 && !(after < c))) {
                    continue;
                }
                int slot = topCount < candidates ? topCount++ : topCount - 1;
                for (; slot > 0 && c < top[slot - 1]; --slot) {
                    top[slot] = top[slot - 1];
                }
                top[slot] = c;
                if (topCount == candidates) {
                    limit = top[topCount - 1].key;
                }
            }
        }
        if (topCount == 0) {
            break;
        }
        after = top[topCount - 1];
        // The candidates are tried by their finer bound, highest first (the
        // earlier on equal bounds), each worked out only when it may come
        // next: once the highest finer bound so far is at least the quick
        // bound of the next candidate (which the finer one rarely exceeds),
        // that one is tried without the others'. Most searches find their
        // best in the first candidate tried.
        double finer[kMostCandidates];
        bool tried[kMostCandidates] = {};
        int computed = 0;
        while (!best.found) {
            int next = -1;
            for (int k = 0; k < computed; ++k) {
                if (!tried[k] && finer[k] > 0.0 && (next < 0 || finer[k] > finer[next])) {
                    next = k;
                }
            }
            const bool settled = computed == topCount ||
                                 (next >= 0 && top[computed].key > 0.0f && finer[next] >= 0.5 / top[computed].key);
            if (!settled) {
                const RangeScreen::LineBound line = screen.Line(top[computed].i, top[computed].j);
                if (line.classes == 0) {
                    // Its full bound says the same: the pass below skips it.
                    store.keys[static_cast<std::size_t>(top[computed].order)] = kNoChance;
                }
                finer[computed++] = line.classes == 0 ? -1.0 : line.valueSq;
                continue;
            }
            if (next < 0) {
                break;
            }
            tried[next] = true;
            tryPair(top[next].i, top[next].j, top[next].order, true);
            if (!best.found) {
                store.keys[static_cast<std::size_t>(top[next].order)] = kNoChance;  // it cannot qualify
            }
        }
        // A candidate whose finer bound is no more than the best's value
        // cannot beat it (its full bound, from the same fit, says so too).
        for (int k = 0; best.found && k < computed; ++k) {
            if (!tried[k] && finer[k] <= best.value * best.value) {
                store.keys[static_cast<std::size_t>(top[k].order)] = kNoChance;
            }
        }
        // The most promising pairs all failed: d(pal) is what many ranges
        // fail on (the keys do not know it), and its bound takes few
        // operations in bulk, for the keys of class A or B as well.
        if (!best.found && !byCkDiff) {
            screen.CkDiffKeys(partners, store.keys.size(), store.keys.data(),
                              alsoAOrB ? store.keysAOrB.data() : nullptr);
            byCkDiff = true;
            store.keysAOrBByCkDiff = alsoAOrB;
        }
    }

    // No seed qualified (every pair that may qualify must be looked at), or
    // many pairs may beat the seed: the directional fits are what many fail
    // on, and their bounds take the fewest operations in bulk.
    // Without a best, every pair left is bounded in full, most of them
    // cheaply (the d(pal) pass has left out those that fail on it): over
    // many specimens of many shapes the bulk bounds pay once more than four
    // pairs per step are left.
    const std::size_t many = (best.found ? 8 : 4) * static_cast<std::size_t>(count);
    // The pairs that may beat the best so far (value² < 0.5 / key), in order.
    const std::size_t pairs = store.keys.size();
    store.left.resize(pairs);
    std::size_t left = 0;
    const float highest = HighestKeyLeft(best.value * best.value);
    for (std::size_t k = 0; k < pairs; ++k) {
        store.left[left] = static_cast<int>(k);
        left += store.keys[k] <= highest ? 1 : 0;
    }
    if (pairs > many && left > many) {
        std::size_t offset = 0;
        for (int i = 0; i < count; ++i) {
            const int j0 = firstPartner(i);
            if (j0 < count) {
                screen.DirectionRow(i, j0, store.keys.data() + offset);
                offset += static_cast<std::size_t>(count - j0);
            }
        }
    }

    // Each pair left, as the search visits it; the best rises meanwhile, so
    // each is asked again.
    int i = 0;
    std::size_t rowStart = 0;
    std::size_t rowEnd = count > 0 ? static_cast<std::size_t>(std::max(count - firstPartner(0), 0)) : 0;
    for (std::size_t k = 0; k < left; ++k) {
        const std::size_t at = static_cast<std::size_t>(store.left[k]);
        while (at >= rowEnd) {
            ++i;
            rowStart = rowEnd;
            rowEnd += static_cast<std::size_t>(std::max(count - firstPartner(i), 0));
        }
        const double key = store.keys[at];
        const long long order = static_cast<long long>(at);
        // Value² < 0.5 / key <= best²: the pair cannot beat the best (nor
        // can the best pair itself).
        if (key == std::numeric_limits<double>::infinity() || key * (best.value * best.value) >= 0.5 ||
            (best.found && order == best.order)) {
            continue;
        }
        tryPair(i, firstPartner(i) + static_cast<int>(at - rowStart), order);
    }
}

// How a search finds the thread's screen: to be prepared, prepared for these
// lists by the search just before, or not to be used for them.
enum class ScreenState { kToPrepare, kPrepared, kUnusable };

// The automatic search; `screen` says how it finds the thread's screen, and
// is left saying how the next search over the same lists finds it.
// `nextMinN`: when this search finds nothing, another follows with this
// minimum N (0: none). That one evaluates a pair in the end (its best, or
// its own last pair) whenever it has a pair at all, and so writes over the
// line fit that clearing would leave behind (its fitLength).
void SearchAutomaticRange(CKorvanesToolDoc& doc, int classLimit, SearchMethod method, const SearchPairings& pairings,
                          ScreenState& screen, int nextMinN = 0)
{
    const ClassThresholds& limits = classLimit == kClassA ? doc.m_criteria.classA : doc.m_criteria.classB;
    // A minimum N below 1 would start the inner loop before the first step.
    const int minN = std::max(limits.minN, 1);
    const int count = static_cast<int>(doc.m_zeroFieldSteps.size());

    Best best;
    ScreenedSearchStore& store = ThreadStore();
    const unsigned classes = classLimit >= kClassB ? kMayBeClassA | kMayBeClassB : kMayBeClassA;
    if (method == SearchMethod::kScreened && screen == ScreenState::kToPrepare) {
        store.keysAOrBMinN = -1;
        store.partnersMinN = -1;
        const bool prepared = store.screen.Prepare(doc, pairings.plain, pairings.corrected, classes);
        screen = prepared ? ScreenState::kPrepared : ScreenState::kUnusable;
    } else if (method == SearchMethod::kScreened && screen == ScreenState::kPrepared) {
        store.screen.Retarget(doc, classes);
    }
    if (method == SearchMethod::kScreened && screen == ScreenState::kPrepared) {
        SearchScreened(doc, classLimit, minN, pairings, store, best);
    } else {
        ForEachPair(doc.m_zeroFieldSteps, minN, [&](int i, int j, long long order) {
            TryPair(doc, classLimit, doc.m_zeroFieldSteps[static_cast<std::size_t>(i)].temperature,
                    doc.m_zeroFieldSteps[static_cast<std::size_t>(j)].temperature, order, pairings, best);
        });
    }

    if (best.found) {
        if (!best.inResult) {
            EvaluateWithChecks(doc, best.tMin, best.tMax, pairings);
        }
        return;
    }
    // Clearing leaves fitLength as the last evaluation wrote it: that of the
    // last pair in the order of the search, whichever pairs were evaluated.
    int lastI = -1;
    int lastJ = -1;
    const bool writtenOver = nextMinN > 0 && LastPair(doc.m_zeroFieldSteps, nextMinN, lastI, lastJ);
    if (!writtenOver && LastPair(doc.m_zeroFieldSteps, minN, lastI, lastJ)) {
        EvaluatePairedLineFit(doc, doc.m_zeroFieldSteps[static_cast<std::size_t>(lastI)].temperature,
                              doc.m_zeroFieldSteps[static_cast<std::size_t>(lastJ)].temperature,
                              doc.m_zeroFieldSteps, pairings.plain);
    }
    ClearResult(doc.m_result);
    // The whole measured range; a specimen without zero-field steps has none.
    if (count > 0) {
        doc.m_result.tMin = doc.m_plotBounds.minTemperature;
        doc.m_result.tMax = doc.m_plotBounds.maxTemperature;
    }
}

}  // namespace

struct ManualRangeEvaluator::Pairings : SearchPairings {
    using SearchPairings::SearchPairings;
};

ManualRangeEvaluator::ManualRangeEvaluator(const CKorvanesToolDoc& doc) : m_pairings(std::make_unique<Pairings>(doc)) {}

ManualRangeEvaluator::~ManualRangeEvaluator() = default;

void ManualRangeEvaluator::Evaluate(CKorvanesToolDoc& doc, int tMin, int tMax) const
{
    EvaluateSelectedRange(doc, tMin, tMax, *m_pairings);
}

void SearchRange(CKorvanesToolDoc& doc, int classLimit, SearchMethod method)
{
    if (doc.m_options.m_rangeMode == kSelectedRange) {
        SearchSelectedRange(doc);
    } else {
        ScreenState screen = ScreenState::kToPrepare;
        SearchAutomaticRange(doc, classLimit, method, SearchPairings(doc), screen);
    }
}

void SearchClassAThenB(CKorvanesToolDoc& doc)
{
    if (doc.m_options.m_rangeMode == kSelectedRange) {
        SearchRange(doc, kClassA);
        if (doc.m_result.paleointensity == 0.0) {
            SearchRange(doc, kClassB);
        }
        return;
    }
    // The searches change the result alone: the pairs and the screen made
    // from the lists serve both.
    const SearchPairings pairings(doc);
    ScreenState screen = ScreenState::kToPrepare;
    SearchAutomaticRange(doc, kClassA, SearchMethod::kScreened, pairings, screen,
                         std::max(doc.m_criteria.classB.minN, 1));
    if (doc.m_result.paleointensity == 0.0) {
        SearchAutomaticRange(doc, kClassB, SearchMethod::kScreened, pairings, screen);
    }
}

}  // namespace korvanes
