#pragma once
// The range map: every temperature range that the automatic search could
// choose, each evaluated as a range the user types and graded, and how much
// the paleointensity depends on the choice.

#include <cstddef>
#include <string>
#include <vector>

#include "document/Document.h"

namespace korvanes {

// The most distinct zero-field temperatures a map is made for (4,950
// ranges), far above any real experiment.
inline constexpr std::size_t kMaxRangeMapTemperatures = 100;

struct RangeMapCell {
    int tMin = 0;  // °C, zero-field temperatures with tMin < tMax
    int tMax = 0;
    int n = 0;       // Arai points
    int grade = 2;   // 0 class A, 1 class B, 2 neither
    double value = 0.0;  // what the search compares: |w|, or |q| when the criteria maximise q
    double paleointensity = 0.0;  // µT
    double stdDev = 0.0;
    unsigned missesA = 0;  // the tests of class A it fails (GradeTest bits, analysis/RangeSearch.h)
    unsigned missesB = 0;  // those of class B
};

struct RangeMapSummary {
    bool hasChosen = false;  // the analysed range is a cell of the map
    int chosenMin = 0;
    int chosenMax = 0;
    int statisticsGrade = -1;  // 0: over the class A ranges, 1: class B (there is no class A one), -1: none
    std::size_t count = 0;
    double minimum = 0.0;  // paleointensities, µT
    double median = 0.0;   // of an even count, the mean of the middle two
    double maximum = 0.0;
};

struct RangeMap {
    // Empty when the map was not made, with the reason (for people).
    std::string refused;
    bool byQ = false;               // the value is q (else w)
    std::vector<int> temperatures;  // the distinct zero-field temperatures, ascending
    std::vector<RangeMapCell> cells;  // by tMin, then tMax
    RangeMapSummary summary;
};

// The map of a document after RunAnalysis. Its ranges: every pair of
// distinct zero-field temperatures tMin < tMax that the search considers
// with the smaller minimum N of the two classes (at least that many
// zero-field steps from the first step of tMin to the last of tMax). Each is
// evaluated on the lists as the analysis left them (with the check
// correction when the automatic MT4 search applied it), exactly as a typed
// range: its values are those of `korvanes analyze --range tMin tMax` with
// the same check correction. The chosen range is the document's result
// (when it has one). More than kMaxRangeMapTemperatures temperatures: no
// map, with the reason; so also without a usable laboratory field.
RangeMap ComputeRangeMap(const CKorvanesToolDoc& analysed);

// "A", "B" or "none".
const char* RangeMapGradeName(int grade);

// The labels of the tests in `tests` ("q", "MAD", ...), in the order of the
// result form.
std::vector<std::string> GradeTestLabels(unsigned tests);

}  // namespace korvanes
