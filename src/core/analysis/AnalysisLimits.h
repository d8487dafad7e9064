#pragma once
// How much data one document may hold. The analysis runs and the diagrams
// are drawn on every repaint. The range search grows with the square of the
// number of zero-field steps while their temperatures ascend in file order
// (as in every real experiment), and with the cube where they do not (it
// then evaluates every pair of steps in full); steps repeated at one
// temperature are paired with each other and multiply the derived lists and
// the marks of the Arai diagram. These limits lie far above any real
// experiment (published specimens have up to some forty lines and sixty
// zero-field steps, each paired once) and keep the work of every accepted
// file bounded: its analysis takes well under a tenth of a second and its
// diagrams a few milliseconds (bench_limits). A file beyond them is refused
// when it is opened.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "analysis/Classification.h"
#include "document/Document.h"

namespace korvanes {

inline constexpr std::size_t kMaxMeasurements = 5000;
inline constexpr std::size_t kMaxZeroFieldSteps = 1000;
// Zero-field steps whose temperatures do not ascend in file order.
inline constexpr std::size_t kMaxUnorderedZeroFieldSteps = 200;
// pTRM items (the origin included), pTRM-check items, check-corrected
// further checks, additivity-check items and tail statistics together.
inline constexpr std::size_t kMaxPairedItems = 5000;
// Circles, check triangles, additivity squares and their connectors.
inline constexpr std::size_t kMaxAraiMarks = 10000;

// The number of marks DrawAraiPlot draws for these lists (with the
// additivity checks shown): one circle per pTRM item of each zero-field
// step's temperature; per check item of the step's temperature a triangle
// and a connector for each pTRM item and zero-field step of the check's
// reference temperature; the same for each additivity item. Labels are not
// counted.
std::size_t CountAraiMarks(const std::vector<CStepVector>& zeroField, const std::vector<CStepVector>& ptrm,
                           const std::vector<CStepVector>& checks, const std::vector<CStepVector>& additivity);

// A bound on CountAraiMarks for the lists that pairing steps with these
// counts builds, with the plain or the check-corrected pTRM checks:
// every zero-field step of a temperature is marked for each pTRM item and
// check mark of it, and each check and additivity item makes at most one
// triangle and a connector for every pTRM item and zero-field step of its
// reference temperature.
std::size_t AraiMarksBound(const PairCounts& counts);

// Why `measurements` are more than a document may hold (for people, without
// the file name), or nothing when they are within every limit. The steps are
// counted and their pairs counted before any pairing is built, so it is quick
// and small on any input.
std::optional<std::string> AnalysisLimitExceeded(const std::vector<CMeasurement>& measurements);

}  // namespace korvanes
