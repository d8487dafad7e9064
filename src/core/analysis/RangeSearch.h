#pragma once
// Grading against the criteria and the automatic temperature-range search.

#include "criteria/CriteriaSet.h"
#include "document/Document.h"

namespace korvanes {

enum ResultGrade { kClassA = 0, kClassB = 1, kClassC = 2 };

// 0 (class A), 1 (class B) or 2 (class C) for `result` against `criteria`.
// All bounds are inclusive.
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

}  // namespace korvanes
