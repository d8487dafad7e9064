#include "study/StudySession.h"

#include <QFile>
#include <QFileInfo>

#include "analysis/AnalysisRun.h"
#include "results/Batch.h"
#include "study/InputsCommand.h"
#include "text/TextEncoding.h"

namespace korvanes::gui {
namespace {

QString Native(const std::string& bytes) { return QFile::decodeName(QByteArray::fromStdString(bytes)); }

// Rejected and note of one specimen before and after a change.
class MarksCommand final : public QUndoCommand {
public:
    MarksCommand(StudySession& session, int index, bool rejected, std::string note)
        : m_session(session), m_index(index), m_after{rejected, std::move(note)}
    {
        const StudySpecimen& specimen = session.Data().specimens.at(static_cast<std::size_t>(index));
        m_before = {specimen.rejected, specimen.note};
        const QString name = QString::fromStdU16String(ToUtf16(specimen.name));
        setText(m_before.rejected != m_after.rejected
                    ? (m_after.rejected ? QObject::tr("Rejected %1") : QObject::tr("Accepted %1")).arg(name)
                    : QObject::tr("Note on %1").arg(name));
    }
    void undo() override { m_session.SetMarks(m_index, m_before.rejected, m_before.note); }
    void redo() override { m_session.SetMarks(m_index, m_after.rejected, m_after.note); }

private:
    struct Marks {
        bool rejected = false;
        std::string note;
    };
    StudySession& m_session;
    int m_index;
    Marks m_before;
    Marks m_after;
};

// The inputs of every specimen before and after a change made to all of
// them at once (criteria applied to the study).
class StudyInputsCommand final : public QUndoCommand {
public:
    StudyInputsCommand(StudySession& session, std::vector<AnalysisInputs> before, std::vector<AnalysisInputs> after,
                       const QString& text)
        : QUndoCommand(text), m_session(session), m_before(std::move(before)), m_after(std::move(after))
    {
    }
    void undo() override { m_session.SetAllInputs(m_before); }
    void redo() override { m_session.SetAllInputs(m_after); }

private:
    StudySession& m_session;
    std::vector<AnalysisInputs> m_before;
    std::vector<AnalysisInputs> m_after;
};

}  // namespace

StudySession::StudySession(Study study, QString studyFile, std::unique_ptr<StudyLock> lock, bool readOnly,
                           QObject* parent)
    : QObject(parent),
      m_study(std::move(study)),
      m_model(m_study),
      m_studyFile(std::move(studyFile)),
      m_lock(std::move(lock)),
      m_readOnly(readOnly)
{
    CKorvanesToolDoc empty;
    m_window = OpenDocument::FromDocument(QFileInfo(m_studyFile).absolutePath(), std::move(empty), {});
    m_window->SetUndoTarget(&m_undo, this, 0);
    // The study's window keeps what it shows in step with the table.
    connect(m_window.get(), &OpenDocument::Analysed, this, [this] { TakeWindowResult(); });
    if (!m_study.specimens.empty()) {
        Show(0);
    }
}

StudySession::~StudySession() { m_undo.clear(); }

void StudySession::Show(int index)
{
    if (index < 0 || index >= static_cast<int>(m_study.specimens.size()) || index == m_current) {
        return;
    }
    m_current = index;
    const StudySpecimen& specimen = m_study.specimens[static_cast<std::size_t>(index)];
    m_window->SetUndoTarget(&m_undo, this, index);
    m_window->Replace(Native(AbsolutePath(specimen.file, m_study.folder)), specimen.doc, {}, specimen.inputs);
    emit CurrentChanged(index);
}

void StudySession::TakeWindowResult()
{
    if (m_current < 0) {
        return;
    }
    StudySpecimen& specimen = m_study.specimens[static_cast<std::size_t>(m_current)];
    if (specimen.inputs == m_window->Inputs()) {
        specimen.doc.m_result = m_window->Doc().m_result;
        specimen.doc.m_options.m_checkCorrected = m_window->Doc().m_options.m_checkCorrected;
    }
}

void StudySession::SetInputsOf(int index, const AnalysisInputs& inputs)
{
    StudySpecimen& specimen = m_study.specimens.at(static_cast<std::size_t>(index));
    specimen.inputs = inputs;
    if (specimen.state == DataState::kChanged) {
        // A choice made on the changed data: they are the data of the
        // choices from now on.
        specimen.stamp = specimen.dataStamp;
        specimen.state = DataState::kOk;
        specimen.problem.clear();
    }
    if (index == m_current) {
        m_window->SetInputs(inputs);
        specimen.doc = m_window->Doc();
    } else {
        if (!specimen.doc.m_measurements.empty()) {
            RunAnalysis(specimen.doc, inputs);
        }
        Show(index);
    }
    m_model.RowChanged(index);
    emit SpecimenChanged(index);
    Save();
}

void StudySession::ChangeMarks(int index, bool rejected, const std::string& note)
{
    const StudySpecimen& specimen = m_study.specimens.at(static_cast<std::size_t>(index));
    if (specimen.rejected == rejected && specimen.note == note) {
        return;
    }
    m_undo.push(new MarksCommand(*this, index, rejected, note));
}

void StudySession::SetMarks(int index, bool rejected, const std::string& note)
{
    StudySpecimen& specimen = m_study.specimens.at(static_cast<std::size_t>(index));
    specimen.rejected = rejected;
    specimen.note = note;
    Show(index);
    m_model.RowChanged(index);
    emit SpecimenChanged(index);
    Save();
}

void StudySession::ApplyCriteriaToAll(const CCriteriaSet& criteria)
{
    std::vector<AnalysisInputs> before;
    before.reserve(m_study.specimens.size());
    for (const StudySpecimen& specimen : m_study.specimens) {
        before.push_back(specimen.inputs);
    }
    std::vector<AnalysisInputs> after = before;
    for (AnalysisInputs& inputs : after) {
        inputs.criteria = criteria;
    }
    if (after == before) {
        return;
    }
    m_undo.push(new StudyInputsCommand(*this, std::move(before), std::move(after), tr("Criteria on the study")));
}

void StudySession::SetAllInputs(const std::vector<AnalysisInputs>& inputs)
{
    for (std::size_t i = 0; i < inputs.size() && i < m_study.specimens.size(); ++i) {
        m_study.specimens[i].inputs = inputs[i];
    }
    AnalyseStudy(m_study, DefaultBatchJobs());
    if (m_current >= 0) {
        m_window->SetInputs(m_study.specimens[static_cast<std::size_t>(m_current)].inputs);
    }
    m_model.AllChanged();
    Save();
}

void StudySession::SetNameRule(const NameRule& rule)
{
    m_study.nameRule = rule;
    for (StudySpecimen& specimen : m_study.specimens) {
        if (!specimen.placedByMagic) {
            const SiteAndSample placed = SplitSpecimenName(specimen.name, rule);
            specimen.site = placed.site;
            specimen.sample = placed.sample;
        }
    }
    m_model.AllChanged();
    Save();
}

bool StudySession::Save()
{
    if (m_readOnly) {
        return false;
    }
    const std::optional<std::string> error = WriteStudyFile(m_study, QFile::encodeName(m_studyFile).toStdString());
    m_saveError = error ? QString::fromStdString(*error) : QString();
    emit Saved();
    return !error;
}

bool StudySession::SaveAs(const QString& path, QString& error)
{
    std::string reason;
    std::unique_ptr<StudyLock> lock = StudyLock::Acquire(QFile::encodeName(path).toStdString(), reason);
    if (!lock) {
        error = QString::fromStdString(reason);
        return false;
    }
    const QString old = m_studyFile;
    m_studyFile = path;
    const bool wasReadOnly = m_readOnly;
    m_readOnly = false;
    if (!Save()) {
        error = m_saveError;
        m_studyFile = old;
        m_readOnly = wasReadOnly;
        return false;
    }
    m_lock = std::move(lock);
    return true;
}

}  // namespace korvanes::gui
