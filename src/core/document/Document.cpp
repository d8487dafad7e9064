#include "document/Document.h"

#include "analysis/AnalysisLimits.h"
#include "document/DataFileReader.h"

namespace korvanes {

CKorvanesToolDoc::CKorvanesToolDoc(const CCriteriaSet& criteria) : m_criteria(criteria)
{
    m_options.m_equalAraiScales = criteria.equalAraiScales;
}

OpenStatus CKorvanesToolDoc::Open(const std::string& path)
{
    m_options.m_pathName = path;
    std::string bytes;
    OpenStatus status = ReadDataFileBytes(path, bytes);
    if (!status.readable) {
        return status;
    }
    status = OpenData(bytes);
    if (!status.readable) {
        status.error = "cannot analyse '" + path + "': " + status.error;
    }
    return status;
}

OpenStatus CKorvanesToolDoc::OpenData(std::string_view bytes)
{
    OpenStatus status = ParseDataFile(bytes, *this);
    if (const std::optional<std::string> exceeded = AnalysisLimitExceeded(m_measurements)) {
        m_measurements.clear();
        status.readable = false;
        status.error = *exceeded;
    }
    return status;
}

std::array<NamedStepList, 11> CKorvanesToolDoc::DerivedLists() const
{
    return {{
        {"steps", &m_steps},
        {"zeroFieldSteps", &m_zeroFieldSteps},
        {"ptrmGained", &m_ptrmGained},
        {"ptrmChecks", &m_ptrmChecks},
        {"tailChecks", &m_tailChecks},
        {"additivityChecks", &m_additivityChecks},
        {"tailCheckStats", &m_tailCheckStats},
        {"ptrmCheckDiffs", &m_ptrmCheckDiffs},
        {"correctedPtrm", &m_correctedPtrm},
        {"correctedChecks", &m_correctedChecks},
        {"additivityResults", &m_additivityResults},
    }};
}

void CKorvanesToolDoc::TakeListStorage(CKorvanesToolDoc& other)
{
    auto take = [](auto& mine, auto& theirs) {
        theirs.clear();
        mine.swap(theirs);
    };
    take(m_measurements, other.m_measurements);
    take(m_steps, other.m_steps);
    take(m_zeroFieldSteps, other.m_zeroFieldSteps);
    take(m_ptrmGained, other.m_ptrmGained);
    take(m_ptrmChecks, other.m_ptrmChecks);
    take(m_tailChecks, other.m_tailChecks);
    take(m_additivityChecks, other.m_additivityChecks);
    take(m_tailCheckStats, other.m_tailCheckStats);
    take(m_ptrmCheckDiffs, other.m_ptrmCheckDiffs);
    take(m_correctedPtrm, other.m_correctedPtrm);
    take(m_correctedChecks, other.m_correctedChecks);
    take(m_additivityResults, other.m_additivityResults);
}

}  // namespace korvanes
