#pragma once
// The text form of a specimen document for `korvanes analyze`: aligned
// columns with units, for people to read. UTF-8 output.

#include <optional>
#include <string>
#include <utility>

#include "analysis/RangeMap.h"
#include "document/Document.h"
#include "results/CriteriaMarks.h"

namespace korvanes::cli {

// What the text needs to know beyond the document.
struct TextContext {
    // Colour the criteria verdicts with ANSI escapes (only for a terminal).
    bool colour = false;
    // The range the user asked for with --range (manual mode), before the
    // analysis clamped and snapped it.
    std::optional<std::pair<int, int>> requestedRange;
    // Whether the user asked for the check correction (--check-corrected);
    // otherwise a set m_checkCorrected came from the automatic MT4 search.
    bool checkCorrectionRequested = false;
    // The range map of the document, when asked for (--range-map).
    const RangeMap* rangeMap = nullptr;
    // Text of its own after the determination (the standard statistics and
    // criteria-set verdicts), when any.
    const std::string* standardSection = nullptr;
};

// Name of a coordinate system as the --coords option spells it.
const char* CoordinatesName(int coordinates);
// Name of a step type (0..4).
const char* StepTypeName(int stepType);
// The verdict of a criteria mark for people: "A" (passes class A), "B only"
// (passes class B but not A) or "fails B".
const char* MarkVerdict(CriteriaMark mark);

// A description of an analysed document, top to bottom: what was analysed
// (file, specimen, method type, kind of alteration check, coordinates, how
// the range was found and the range used, whether the check correction is
// applied), the header values, the determination (paleointensity ± standard
// deviation, class, every statistic with its class A and class B limits and
// verdict), the range map's summary when the context has one, the
// repeated demagnetisations, the check series, the step list,
// and the raw data: measurements, Arai points, check difference vectors,
// tail checks, fit details and plot bounds. Every number shown is finite.
std::string DocumentToText(const CKorvanesToolDoc& doc, const std::string& file, const TextContext& context = {});

}  // namespace korvanes::cli
