#include "OpenDocument.h"

#include <QFile>
#include <QFileInfo>

#include "text/TextEncoding.h"

namespace korvanes::gui {

OpenDocument::OpenDocument(const QString& path, const CCriteriaSet& criteria) : m_doc(criteria), m_path(path) {}

std::unique_ptr<OpenDocument> OpenDocument::Open(const QString& path, const ApplicationCriteria& criteria,
                                                 QString& error)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    std::unique_ptr<OpenDocument> document(new OpenDocument(absolute, criteria.criteria));
    AssignDocumentCriteria(criteria, document->m_doc);
    const OpenStatus status = document->m_doc.Open(QFile::encodeName(absolute).toStdString());
    if (!status.readable) {
        error = QString::fromStdU16String(ToUtf16(status.error));
        return nullptr;
    }
    document->m_warnings = status.warnings;
    return document;
}

QString OpenDocument::FileName() const { return QFileInfo(m_path).fileName(); }

void OpenDocument::UpdateAllViews(QObject* sender) { emit Updated(sender); }

}  // namespace korvanes::gui
