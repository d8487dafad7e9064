#pragma once
// Grading against the criteria and the automatic temperature-range search.

#include <memory>

#include "criteria/CriteriaSet.h"
#include "document/Document.h"

namespace korvanes {

enum ResultGrade { kClassA = 0, kClassB = 1, kClassC = 2 };

// The tests of a class block, as bits.
inline constexpr unsigned kTestN = 1u << 0;
inline constexpr unsigned kTestSlopeRelStd = 1u << 1;
inline constexpr unsigned kTestF = 1u << 2;
inline constexpr unsigned kTestQ = 1u << 3;
inline constexpr unsigned kTestMad = 1u << 4;
inline constexpr unsigned kTestAlpha = 1u << 5;
inline constexpr unsigned kTestCkError = 1u << 6;
inline constexpr unsigned kTestCkDiff = 1u << 7;
inline constexpr unsigned kTestDrat = 1u << 8;
inline constexpr unsigned kTestAc = 1u << 9;
inline constexpr unsigned kTestTr = 1u << 10;
inline constexpr unsigned kTestTStar = 1u << 11;
inline constexpr unsigned kAllGradeTests = (1u << 12) - 1;

// The tests of `t` that `result` fails (0: it meets the class). All bounds
// are inclusive, whole-number limits compared as doubles; maxMadFree is not
// tested; a statistic that is not a number fails its test.
unsigned FailedGradeTests(const CSpecimenResult& result, const ClassThresholds& t);

// The label of one test as the result form shows it ("N", "Std/slope", "f",
// "q", "MAD", "Alpha", "d(CK)", "d(pal)", "Drat", "d(AC)", "d(TR)", "d(t*)").
const char* GradeTestLabel(unsigned test);

// 0 (class A), 1 (class B) or 2 (class C) for `result` against `criteria`.
int GradeResult(const CSpecimenResult& result, const CCriteriaSet& criteria);

// How the automatic search treats the pairs of steps. Both give the same
// outcome, bit for bit: the screened search evaluates only the pairs whose
// bounds (analysis/RangeScreen.h) leave them a chance, and falls back to
// evaluating every pair where the bounds do not apply (a zero-field list
// whose temperatures are not in ascending order). The exhaustive search is
// the reference that tests compare with.
enum class SearchMethod { kScreened, kExhaustive };

// Automatic mode: searches every pair of zero-field steps for the range that
// meets class `classLimit` (0 A only, 1 A or B) with the largest w (or q) and
// leaves it evaluated in m_result; on equal values the earlier pair (smaller
// i, then smaller j) wins. Manual mode: evaluates the range the user set in
// m_result.tMin/tMax. A repeated search on lists of the same size allocates
// nothing.
void SearchRange(CKorvanesToolDoc& doc, int classLimit, SearchMethod method = SearchMethod::kScreened);

// The search that the analysis runs: class A first and, when no range meets
// it, class A or B; the outcome of SearchRange with each in turn, the pairs
// and bounds of the automatic search prepared once for both.
void SearchClassAThenB(CKorvanesToolDoc& doc);

// Manual mode for many ranges of one document: each range evaluated exactly
// as SearchRange in manual mode evaluates it (the d(pal) fit, the line fit,
// the directional fits and the checks), with the Arai points paired once
// for all of them. The document's lists must stay as they were when the
// evaluator was made.
class ManualRangeEvaluator {
public:
    explicit ManualRangeEvaluator(const CKorvanesToolDoc& doc);
    ~ManualRangeEvaluator();
    ManualRangeEvaluator(const ManualRangeEvaluator&) = delete;
    ManualRangeEvaluator& operator=(const ManualRangeEvaluator&) = delete;

    // Writes the evaluation of tMin..tMax into doc.m_result.
    void Evaluate(CKorvanesToolDoc& doc, int tMin, int tMax) const;

private:
    struct Pairings;
    std::unique_ptr<Pairings> m_pairings;
};

}  // namespace korvanes
