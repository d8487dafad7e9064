#pragma once
// Step classification by treatment code, the method type, the pairing of
// steps into Arai points and check difference vectors, and the plot extents.

#include "document/Document.h"

namespace korvanes {

// Step type (0..4) of a treatment code. `previousType` is the type of the
// measurement before it, used for codes whose fractional part reads 410 or more.
int ClassifyTreatmentCode(float treatmentCode, int previousType);

// Fills m_steps (one vector per measurement, chosen coordinates) and the
// result's methodType ("MT0".."MT4").
void BuildSteps(CKorvanesToolDoc& doc);

// Fills m_zeroFieldSteps, m_ptrmGained, m_ptrmChecks, m_tailChecks,
// m_additivityChecks and m_checkMethodText from m_steps, then the plot bounds.
void PairSteps(CKorvanesToolDoc& doc);

// Temperature, NRM, component and pTRM extents from m_zeroFieldSteps and
// m_ptrmGained. Leaves the tail-check and check maxima alone.
void ComputePlotBounds(CKorvanesToolDoc& doc);

}  // namespace korvanes
