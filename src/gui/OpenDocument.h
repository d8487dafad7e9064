#pragma once
// A data file opened in the desktop program: the specimen document, what the
// reader reported, the inputs of its analysis and its undo history.
//
// Every change of what decides the analysis comes in through SetInputs (or
// ChangeInputs, which makes it an undoable step): the document analyses
// itself once and announces "inputs changed", then "analysed". What the plot
// pane shows (the diagram, the additivity checks) is no analysis input; it
// changes through SetPlotType and SetShowAdditivityChecks and is announced as
// "view changed". Every window on the document listens to these and shows
// what the document holds.

#include <QObject>
#include <QString>
#include <QUndoStack>
#include <memory>

#include "criteria/ApplicationCriteria.h"
#include "document/AnalysisInputs.h"
#include "document/Document.h"

namespace korvanes::gui {

// Whatever holds analysis inputs that undo can set back: a single document,
// or a specimen of a study (`key` names the specimen).
class InputsHolder {
public:
    virtual ~InputsHolder() = default;
    virtual void SetInputsOf(int key, const AnalysisInputs& inputs) = 0;
};

class OpenDocument final : public QObject, public InputsHolder {
    Q_OBJECT
public:
    // Reads the data file at `path` into a new document holding a copy of the
    // application's criteria, and analyses it. A file that cannot be read
    // gives nothing, with the reason in `error` (naming the file).
    static std::unique_ptr<OpenDocument> Open(const QString& path, const ApplicationCriteria& criteria,
                                              QString& error);
    // A document of bytes read elsewhere (a specimen of a MagIC file, a study
    // member); `path` is what windows show. Analysed with `inputs` when given.
    static std::unique_ptr<OpenDocument> FromDocument(const QString& path, CKorvanesToolDoc doc,
                                                      std::vector<ReadWarning> warnings);

    CKorvanesToolDoc& Doc() { return m_doc; }
    const CKorvanesToolDoc& Doc() const { return m_doc; }
    // The reader's notes about lines it skipped or took with numbers missing.
    const std::vector<ReadWarning>& ReadWarnings() const { return m_warnings; }

    // The absolute path of the data file, and its name for window titles.
    const QString& Path() const { return m_path; }
    QString FileName() const;

    // The inputs of the analysis shown.
    const AnalysisInputs& Inputs() const { return m_inputs; }
    // Takes `inputs` and analyses, when they differ from the held ones.
    void SetInputs(const AnalysisInputs& inputs);
    void SetInputsOf(int, const AnalysisInputs& inputs) override { SetInputs(inputs); }
    // The same as one undoable step (nothing when nothing changes).
    void ChangeInputs(const AnalysisInputs& inputs);

    void SetPlotType(int plotType);
    void SetShowAdditivityChecks(bool show);

    // Where ChangeInputs puts its steps: the document's own history, or
    // another (a study's) set by the owner. Never null.
    QUndoStack* UndoStack() const { return m_undoTarget != nullptr ? m_undoTarget : m_undo.get(); }
    void SetUndoTarget(QUndoStack* stack, InputsHolder* holder, int key);

    // Analysis runs so far, for tests and measurements.
    int AnalysisCount() const { return m_analysisCount; }

    // Replaces the document (the study's window showing another specimen):
    // announced as a change of inputs, analysis and view.
    void Replace(const QString& path, CKorvanesToolDoc doc, std::vector<ReadWarning> warnings,
                 const AnalysisInputs& inputs);

signals:
    void InputsChanged();
    void Analysed();
    void ViewChanged();

private:
    OpenDocument(const QString& path, const CCriteriaSet& criteria);
    void Analyse();

    CKorvanesToolDoc m_doc;
    std::vector<ReadWarning> m_warnings;
    QString m_path;
    AnalysisInputs m_inputs;
    std::unique_ptr<QUndoStack> m_undo;
    QUndoStack* m_undoTarget = nullptr;
    InputsHolder* m_holder = nullptr;
    int m_holderKey = 0;
    int m_analysisCount = 0;
};

}  // namespace korvanes::gui
