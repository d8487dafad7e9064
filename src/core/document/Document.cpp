#include "document/Document.h"

#include "document/DataFileReader.h"

namespace korvanes {

CKorvanesToolDoc::CKorvanesToolDoc(const CCriteriaSet& criteria) : m_criteria(criteria)
{
    m_options.m_equalAraiScales = criteria.equalAraiScales;
}

OpenStatus CKorvanesToolDoc::Open(const std::string& path)
{
    m_options.m_pathName = path;
    return ReadDataFile(path, *this);
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

}  // namespace korvanes
