#pragma once
// An open study in the desktop program: the specimens with their choices,
// the one document that the study's window shows (another specimen is shown
// by replacing its content, never by a new window), the undo history of every
// choice on every specimen, and the study file that keeps the choices.

#include <QObject>
#include <QString>
#include <QUndoStack>
#include <memory>
#include <optional>

#include "OpenDocument.h"
#include "study/Study.h"
#include "study/StudyFile.h"
#include "study/SiteTreeModel.h"
#include "study/StudyTableModel.h"

namespace korvanes::gui {

class StudySession final : public QObject, public InputsHolder {
    Q_OBJECT
public:
    // A session on `study`, read and analysed already. `studyFile` is where
    // its choices are kept (written on every change unless `readOnly`).
    StudySession(Study study, QString studyFile, std::unique_ptr<StudyLock> lock, bool readOnly,
                 QObject* parent = nullptr);
    ~StudySession() override;

    Study& Data() { return m_study; }
    const Study& Data() const { return m_study; }
    StudyTableModel& Model() { return m_model; }
    // The sites of the study, following the table.
    SiteTreeModel& Sites() { return m_sites; }
    const std::shared_ptr<OpenDocument>& Window() const { return m_window; }
    QUndoStack& UndoStack() { return m_undo; }
    const QString& StudyFile() const { return m_studyFile; }
    bool ReadOnly() const { return m_readOnly; }
    // Why the study file was not written last time (empty when it was).
    const QString& SaveError() const { return m_saveError; }

    // The specimen the window shows (-1 before the first).
    int Current() const { return m_current; }
    void Show(int index);

    // Undo's way in: sets a specimen's inputs and analyses it; in a study
    // whose window shows another specimen, shows this one.
    void SetInputsOf(int index, const AnalysisInputs& inputs) override;
    // Rejected and note of a specimen, as one undoable step.
    void ChangeMarks(int index, bool rejected, const std::string& note);
    void SetMarks(int index, bool rejected, const std::string& note);
    // The criteria for every specimen, as one undoable step, analysed on all
    // processors.
    void ApplyCriteriaToAll(const CCriteriaSet& criteria);
    void SetAllInputs(const std::vector<AnalysisInputs>& inputs);

    // How site and sample are taken from the names of specimens that MagIC
    // does not place; applied to every such specimen and kept in the study
    // file.
    void SetNameRule(const NameRule& rule);

    // Writes the study file (when not read-only). False with SaveError set
    // when it could not be written.
    bool Save();
    // Writes to another file and keeps choices there from now on.
    bool SaveAs(const QString& path, QString& error);

signals:
    void CurrentChanged(int index);
    void SpecimenChanged(int index);
    void Saved();

private:
    void TakeWindowResult();

    Study m_study;
    StudyTableModel m_model;
    SiteTreeModel m_sites{m_study, m_model};
    QUndoStack m_undo;
    std::shared_ptr<OpenDocument> m_window;
    QString m_studyFile;
    std::unique_ptr<StudyLock> m_lock;
    bool m_readOnly = false;
    QString m_saveError;
    int m_current = -1;
};

}  // namespace korvanes::gui
