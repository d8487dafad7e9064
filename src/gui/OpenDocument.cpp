#include "OpenDocument.h"

#include <QFile>
#include <QFileInfo>

#include "analysis/AnalysisRun.h"
#include "study/InputsCommand.h"
#include "text/TextEncoding.h"

namespace korvanes::gui {

OpenDocument::OpenDocument(const QString& path, const CCriteriaSet& criteria)
    : m_doc(criteria), m_path(path), m_undo(std::make_unique<QUndoStack>())
{
}

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
    document->m_inputs = InputsOf(document->m_doc);
    document->Analyse();
    return document;
}

std::unique_ptr<OpenDocument> OpenDocument::FromDocument(const QString& path, CKorvanesToolDoc doc,
                                                         std::vector<ReadWarning> warnings)
{
    std::unique_ptr<OpenDocument> document(new OpenDocument(path, doc.m_criteria));
    document->m_doc = std::move(doc);
    document->m_warnings = std::move(warnings);
    document->m_inputs = InputsOf(document->m_doc);
    document->Analyse();
    return document;
}

QString OpenDocument::FileName() const { return QFileInfo(m_path).fileName(); }

void OpenDocument::Analyse()
{
    ++m_analysisCount;
    RunAnalysis(m_doc, m_inputs);
}

void OpenDocument::SetInputs(const AnalysisInputs& inputs)
{
    if (inputs == m_inputs) {
        return;
    }
    m_inputs = inputs;
    emit InputsChanged();
    Analyse();
    emit Analysed();
}

void OpenDocument::ChangeInputs(const AnalysisInputs& inputs)
{
    if (inputs == m_inputs) {
        return;
    }
    InputsHolder* holder = m_holder != nullptr ? m_holder : this;
    UndoStack()->push(new InputsCommand(*holder, m_holderKey, m_inputs, inputs,
                                        InputsChangeText(m_inputs, inputs, m_doc.m_header.m_specimenName)));
}

void OpenDocument::SetUndoTarget(QUndoStack* stack, InputsHolder* holder, int key)
{
    m_undoTarget = stack;
    m_holder = holder;
    m_holderKey = key;
}

void OpenDocument::SetPlotType(int plotType)
{
    if (m_doc.m_options.m_plotType != plotType) {
        m_doc.m_options.m_plotType = plotType;
        emit ViewChanged();
    }
}

void OpenDocument::SetShowAdditivityChecks(bool show)
{
    const std::int32_t value = show ? 1 : 0;
    if (m_doc.m_options.m_showAdditivityChecks != value) {
        m_doc.m_options.m_showAdditivityChecks = value;
        emit ViewChanged();
    }
}

void OpenDocument::Replace(const QString& path, CKorvanesToolDoc doc, std::vector<ReadWarning> warnings,
                           const AnalysisInputs& inputs)
{
    const CAnalysisOptions view = m_doc.m_options;
    m_doc = std::move(doc);
    // The diagram and what it shows stay as the user left them.
    m_doc.m_options.m_plotType = view.m_plotType;
    m_doc.m_options.m_showAdditivityChecks = view.m_showAdditivityChecks;
    m_path = path;
    m_warnings = std::move(warnings);
    m_inputs = inputs;
    emit InputsChanged();
    Analyse();
    emit Analysed();
    emit ViewChanged();
}

}  // namespace korvanes::gui
