#include "criteria/ApplicationCriteria.h"

namespace korvanes {

CriteriaFileResult LoadStartupCriteria(ApplicationCriteria& app, const SettingsStore& settings)
{
    app.path = settings.ReadText(kSettingsSection, kCriteriaPathKey, std::string(kDefaultCriteriaPath));
    app.savedPath = app.path;
    if (app.path == kDefaultCriteriaPath) {
        CriteriaFileResult result;
        result.status = CriteriaFileStatus::kOk;
        result.criteria = app.criteria;
        return result;
    }
    CriteriaFileResult result = ReadCriteria(app.path, TagCheck::kSkip);
    if (result.ok()) {
        app.criteria = result.criteria;
    } else {
        // The values stay the built-in ones, so the path must not claim a file.
        app.path = std::string(kDefaultCriteriaPath);
    }
    return result;
}

void StoreCriteriaPath(ApplicationCriteria& app, SettingsStore& settings)
{
    if (app.path != app.savedPath) {
        settings.WriteText(kSettingsSection, kCriteriaPathKey, app.path);
        app.savedPath = app.path;
    }
}

CriteriaFileResult ReadCriteriaFile(ApplicationCriteria& app, const std::string& path)
{
    CriteriaFileResult result = ReadCriteria(path, TagCheck::kCheck);
    if (result.ok()) {
        app.criteria = result.criteria;
        app.path = path;
    }
    return result;
}

CriteriaWriteStatus WriteCriteriaFile(ApplicationCriteria& app, const std::string& path,
                                      const CCriteriaSet& criteria)
{
    CriteriaWriteStatus status = WriteCriteria(path, criteria);
    if (status.ok) {
        app.path = path;
    }
    return status;
}

void ResetCriteria(ApplicationCriteria& app)
{
    app.criteria = DefaultCriteria();
    app.path = std::string(kDefaultCriteriaPath);
}

void AssignDocumentCriteria(const ApplicationCriteria& app, CKorvanesToolDoc& doc)
{
    doc.m_criteria.classA = app.criteria.classA;
    doc.m_criteria.classB = app.criteria.classB;
    doc.m_criteria.maximizeQ = app.criteria.maximizeQ;
    doc.m_criteria.allowMt4CheckCorrection = app.criteria.allowMt4CheckCorrection;
    doc.m_criteria.equalAraiScales = app.criteria.equalAraiScales;
    doc.m_options.m_equalAraiScales = app.criteria.equalAraiScales;
}

}  // namespace korvanes
