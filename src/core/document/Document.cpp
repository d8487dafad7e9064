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

}  // namespace korvanes
