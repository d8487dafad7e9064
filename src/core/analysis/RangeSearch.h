#pragma once
// Grading against the criteria and the automatic temperature-range search.

#include "criteria/CriteriaSet.h"
#include "document/Document.h"

namespace korvanes {

enum ResultGrade { kClassA = 0, kClassB = 1, kClassC = 2 };

// 0 (class A), 1 (class B) or 2 (class C) for `result` against `criteria`.
// All bounds are inclusive.
int GradeResult(const CSpecimenResult& result, const CCriteriaSet& criteria);

// Automatic mode: searches every pair of zero-field steps for the range that
// meets class `classLimit` (0 A only, 1 A or B) with the largest w (or q) and
// leaves it evaluated in m_result. Manual mode: evaluates the range the user
// set in m_result.tMin/tMax.
void SearchRange(CKorvanesToolDoc& doc, int classLimit);

}  // namespace korvanes
