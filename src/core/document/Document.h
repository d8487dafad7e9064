#pragma once
// The document of one specimen data file: its measurements, header values,
// the derived lists that every analysis run rebuilds, the result, the
// criteria copy, the plot extents and the options.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "criteria/CriteriaSet.h"
#include "document/Records.h"

namespace korvanes {

// What opening a data file found out. The document itself always opens (an
// unreadable file gives an empty measurement list); this tells the caller
// whether the file could be read at all, and why not.
// One problem the reader met in a file that it could read: a line it did not
// take, or one it took with numbers missing. `line` is the 1-based line number
// in the file, 0 for the file as a whole.
struct ReadWarning {
    int line = 0;
    std::string text;
};

struct OpenStatus {
    bool readable = true;               // false also for a file refused as too large to analyse
    std::string error;                  // empty when readable
    std::vector<ReadWarning> warnings;  // in line order; may be empty
};

// A derived list with the name that output and tests know it by.
struct NamedStepList {
    const char* name;
    const std::vector<CStepVector>* list;
};

class CKorvanesToolDoc {
public:
    // An empty document that takes a copy of the given criteria.
    explicit CKorvanesToolDoc(const CCriteriaSet& criteria = StartupCriteria());

    // Reads the data file at `path` into the measurement list and the header
    // (once; nothing is ever written back). Stores the path in m_pathName.
    // A file beyond the analysis limits (analysis/AnalysisLimits.h) is
    // refused as OpenData refuses it, naming the file.
    OpenStatus Open(const std::string& path);

    // Parses the bytes of a data file into the measurement list and the
    // header. Data beyond the analysis limits are refused: the measurement
    // list is left empty, `readable` is false and `error` says why.
    OpenStatus OpenData(std::string_view bytes);

    // Every derived list, in the order of the members below, with its name
    // without the m_ prefix ("steps", "zeroFieldSteps", ...).
    std::array<NamedStepList, 11> DerivedLists() const;

    // Gives this document's lists (the measurements and the derived lists)
    // the room of `other`'s, which are emptied and get this document's in
    // exchange: what this document held goes to `other`. A run over many
    // files that makes a new document for each reuses the room of the one
    // before instead of allocating it again.
    void TakeListStorage(CKorvanesToolDoc& other);

    // Input, in file order.
    std::vector<CMeasurement> m_measurements;

    // Derived lists, rebuilt from scratch by every analysis run.
    std::vector<CStepVector> m_steps;
    std::vector<CStepVector> m_zeroFieldSteps;
    std::vector<CStepVector> m_ptrmGained;
    std::vector<CStepVector> m_ptrmChecks;
    std::vector<CStepVector> m_tailChecks;
    std::vector<CStepVector> m_additivityChecks;
    std::vector<CStepVector> m_tailCheckStats;
    std::vector<CStepVector> m_ptrmCheckDiffs;
    std::vector<CStepVector> m_correctedPtrm;
    std::vector<CStepVector> m_correctedChecks;
    std::vector<CStepVector> m_additivityResults;

    CSpecimenResult m_result;
    CCriteriaSet m_criteria;
    CPlotBounds m_plotBounds;
    CAnalysisOptions m_options;
    CSpecimenHeader m_header;
};

}  // namespace korvanes
