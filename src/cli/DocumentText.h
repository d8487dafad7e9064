#pragma once
// The text form of a specimen document for `korvanes analyze`: aligned
// columns with units, for people to read. UTF-8 output.

#include <string>

#include "document/Document.h"

namespace korvanes::cli {

// Name of a coordinate system as the --coords option spells it.
const char* CoordinatesName(int coordinates);
// Name of a step type (0..4).
const char* StepTypeName(int stepType);

// The header values, specimen name, method type, kind of alteration check,
// every measurement and step (directions in the chosen coordinates), the
// Arai points, the check difference vectors, the tail checks, the plot bounds
// and the result of an analysed document.
std::string DocumentToText(const CKorvanesToolDoc& doc, const std::string& file);

}  // namespace korvanes::cli
