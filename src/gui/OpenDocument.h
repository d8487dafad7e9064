#pragma once
// A data file opened in the desktop program: the specimen document, what the
// reader reported, and the change announcement that keeps the plot view and
// the result form of every window on it in step.

#include <QObject>
#include <QString>
#include <memory>

#include "criteria/ApplicationCriteria.h"
#include "document/Document.h"

namespace korvanes::gui {

class OpenDocument final : public QObject {
    Q_OBJECT
public:
    // Reads the data file at `path` into a new document holding a copy of the
    // application's criteria. A file that cannot be read gives nothing, with
    // the reason in `error` (naming the file).
    static std::unique_ptr<OpenDocument> Open(const QString& path, const ApplicationCriteria& criteria,
                                              QString& error);

    CKorvanesToolDoc& Doc() { return m_doc; }
    const CKorvanesToolDoc& Doc() const { return m_doc; }
    // The reader's notes about lines it skipped or took with numbers missing.
    const std::vector<ReadWarning>& ReadWarnings() const { return m_warnings; }

    // The absolute path of the data file, and its name for window titles.
    const QString& Path() const { return m_path; }
    QString FileName() const;

    // Tells every view of the document that it changed; `sender` is the view
    // that caused it (it is told too and may ignore it).
    void UpdateAllViews(QObject* sender);

signals:
    void Updated(QObject* sender);

private:
    OpenDocument(const QString& path, const CCriteriaSet& criteria);

    CKorvanesToolDoc m_doc;
    std::vector<ReadWarning> m_warnings;
    QString m_path;
};

}  // namespace korvanes::gui
