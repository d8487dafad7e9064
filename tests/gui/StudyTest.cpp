// The study driven as a laboratory drives it: a folder opened as a study,
// choices made on several specimens, kept across closing and reopening,
// undone and redone, walked through with the keyboard; a changed data file
// is reported and a second program gets the study read-only.

#include <QCheckBox>
#include <QDir>
#include <QHeaderView>
#include <QMenu>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QUndoStack>

#include "GuiTestSupport.h"
#include "StatisticsDock.h"
#include "analysis/StandardStatistics.h"
#include "study/StudyDock.h"
#include "study/StudyOpening.h"
#include "study/StudySession.h"

namespace korvanes::guitest {
namespace {

class StudyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ForgetSettings();
        for (const char* example : {"basalt-mt1.kvd", "tuff-mt3.kvd", "andesite-mt4.kvd"}) {
            QFile::copy(Example(example), m_folder.filePath(QString::fromLatin1(example)));
        }
    }

    static QList<QLineEdit*> Inputs(CResultForm& form)
    {
        QList<QLineEdit*> inputs;
        for (QLineEdit* edit : form.findChildren<QLineEdit*>()) {
            if (!edit->isReadOnly()) {
                inputs << edit;
            }
        }
        return inputs;  // laboratory field, from, to
    }

    // Every specimen's name, class, paleointensity (bit for bit) and choices.
    static std::vector<std::tuple<std::string, std::string, double, int, int, bool, std::string>> Snapshot(
        StudySession& session)
    {
        std::vector<std::tuple<std::string, std::string, double, int, int, bool, std::string>> rows;
        for (const StudySpecimen& s : session.Data().specimens) {
            rows.emplace_back(s.name, s.doc.m_result.resultClass, s.doc.m_result.paleointensity, s.doc.m_result.tMin,
                              s.doc.m_result.tMax, s.rejected, s.note);
        }
        return rows;
    }

    QTemporaryDir m_folder;
};

TEST_F(StudyTest, ChoicesAreKeptUndoneAndWalkedThrough)
{
    ModalAnswerer answerer;
    RunningProgram program;
    ASSERT_TRUE(program.Main().OpenStudyPaths({m_folder.path()}));
    Settle();
    StudySession* session = program.Main().Study();
    ASSERT_NE(session, nullptr);
    ASSERT_EQ(session->Data().specimens.size(), 3u);
    EXPECT_EQ(program.Main().StudyTable()->Table()->model()->rowCount(), 3);
    EXPECT_EQ(session->Current(), 0);
    CChildFrame* window = program.Main().StudyFrame();
    ASSERT_NE(window, nullptr);

    // Page Down walks the table in its order, in the one window.
    program.Main().activateWindow();
    QTest::keyClick(window->View(), Qt::Key_PageDown);
    Settle();
    EXPECT_EQ(session->Current(), 1);
    EXPECT_EQ(window->Document()->Doc().m_header.m_specimenName, session->Data().specimens[1].name);
    QTest::keyClick(window->View(), Qt::Key_BracketRight, Qt::ControlModifier);
    Settle();
    EXPECT_EQ(session->Current(), 2);
    QTest::keyClick(window->View(), Qt::Key_PageUp);
    Settle();
    EXPECT_EQ(session->Current(), 1);
    EXPECT_EQ(program.Main().Frames().size(), 1u);

    // A range on specimen 1 (the basalt: 200 to 490 °C), specimen 2 rejected with a note.
    ByText<QRadioButton>(*window->Form(), QStringLiteral("select temperature range"))->click();
    QList<QLineEdit*> inputs = Inputs(*window->Form());
    inputs[1]->selectAll();
    QTest::keyClicks(inputs[1], QStringLiteral("200"));
    inputs[2]->selectAll();
    QTest::keyClicks(inputs[2], QStringLiteral("490"));
    QTest::keyClick(inputs[2], Qt::Key_Return);
    Settle();
    EXPECT_EQ(session->Data().specimens[1].doc.m_result.tMin, 200);
    program.Main().StepSpecimen(1);
    StudyDock* dock = program.Main().StudyTable();
    dock->Rejected()->click();
    dock->Note()->setText(QStringLiteral("cracked after 400 \u00B0C"));
    dock->Note()->setModified(true);
    emit dock->Note()->editingFinished();
    Settle();
    EXPECT_TRUE(session->Data().specimens[2].rejected);
    const auto chosen = Snapshot(*session);

    // Undo goes back across specimens and shows the one concerned.
    QUndoStack& undo = session->UndoStack();
    ASSERT_EQ(undo.count(), 4);  // mode, range, rejected, note
    undo.undo();
    undo.undo();
    undo.undo();
    Settle();
    EXPECT_EQ(session->Current(), 1);
    EXPECT_FALSE(session->Data().specimens[2].rejected);
    EXPECT_EQ(session->Data().specimens[1].inputs.rangeMode, kSelectedRange);
    undo.redo();
    undo.redo();
    undo.redo();
    Settle();
    EXPECT_EQ(Snapshot(*session), chosen);
    EXPECT_EQ(session->Current(), 2);

    // Closed and opened again: every choice, every result bit for bit.
    const QString studyFile = session->StudyFile();
    program.Quit();
    RunningProgram again;
    ASSERT_TRUE(again.Main().OpenStudyPaths({m_folder.path()}));
    ASSERT_NE(again.Main().Study(), nullptr);
    EXPECT_FALSE(again.Main().Study()->ReadOnly());
    EXPECT_EQ(Snapshot(*again.Main().Study()), chosen);
    EXPECT_EQ(again.Main().Study()->StudyFile(), studyFile);

    // A second program on the same study gets it read-only.
    answerer.texts.clear();
    std::unique_ptr<StudySession> second = OpenStudy(nullptr, {m_folder.path()}, StartupCriteria());
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(second->ReadOnly());
    EXPECT_TRUE(answerer.texts.value(0).contains(QStringLiteral("read-only"))) << answerer.texts.join('|').toStdString();
    EXPECT_EQ(Snapshot(*second), chosen);
}

TEST_F(StudyTest, AChangedOrMissingDataFileIsReportedAndKeepsItsRow)
{
    ModalAnswerer answerer;
    {
        std::unique_ptr<StudySession> session = OpenStudy(nullptr, {m_folder.path()}, StartupCriteria());
        ASSERT_NE(session, nullptr);
        session->ChangeMarks(1, false, "first");  // the basalt (files in name order)
    }
    QFile changed(m_folder.filePath(QStringLiteral("tuff-mt3.kvd")));
    ASSERT_TRUE(changed.open(QIODevice::Append));
    changed.write("TF07b\t600.00\t1.0E+01\t18.0\t-50.0\r\n");
    changed.close();
    QFile::remove(m_folder.filePath(QStringLiteral("basalt-mt1.kvd")));

    std::unique_ptr<StudySession> session = OpenStudy(nullptr, {m_folder.path()}, StartupCriteria());
    ASSERT_NE(session, nullptr);
    ASSERT_EQ(session->Data().specimens.size(), 3u);
    EXPECT_EQ(session->Data().specimens[0].state, DataState::kOk);
    EXPECT_EQ(session->Data().specimens[1].state, DataState::kMissing);
    EXPECT_EQ(session->Data().specimens[1].note, "first");
    EXPECT_EQ(session->Data().specimens[2].state, DataState::kChanged);
    const QString shown = answerer.texts.join('|');
    EXPECT_TRUE(shown.contains(QStringLiteral("Some specimens of the study need attention.")));
    EXPECT_TRUE(shown.contains(QStringLiteral("basalt-mt1.kvd: the data file is missing"), Qt::CaseInsensitive)) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("tuff-mt3.kvd: the data file has changed"), Qt::CaseInsensitive)) << shown.toStdString();
}

TEST_F(StudyTest, AnUnusableStudyFileIsReportedWithItsLineAndNeverOverwritten)
{
    ModalAnswerer answerer;  // answers with Cancel, the default button
    const QString path = m_folder.filePath(QString::fromLatin1(kStudyFileName));
    const QByteArray cut = "{\n  \"format\": \"korvanes-study\",\n  \"version\": 1,\n  \"specimens\": [\n    {\"file\": \"a";
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(cut);
    file.close();
    EXPECT_EQ(OpenStudy(nullptr, {m_folder.path()}, StartupCriteria()), nullptr);
    ASSERT_FALSE(answerer.texts.isEmpty());
    EXPECT_TRUE(answerer.texts.front().contains(QStringLiteral("line 5"))) << answerer.texts.front().toStdString();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), cut);
}

TEST_F(StudyTest, AMagicFileIsAStudyAndCriteriaRegradeItWhole)
{
    const QString published = QStringLiteral(KORVANES_SOURCE_DIR "/../shared/magic/thermal-izzi-measurements.txt");
    if (!QFile::exists(published)) {
        GTEST_SKIP() << "no published MagIC files beside the repository";
    }
    ModalAnswerer answerer;
    const QString measurements = m_folder.filePath(QStringLiteral("measurements.txt"));
    ASSERT_TRUE(QFile::copy(published, measurements));
    std::unique_ptr<StudySession> session = OpenStudy(nullptr, {measurements}, StartupCriteria());
    ASSERT_NE(session, nullptr);
    ASSERT_FALSE(session->Data().specimens.empty());
    EXPECT_FALSE(session->Data().magicFile.empty());
    const auto opened = Snapshot(*session);

    // Limits nothing meets: the whole study regrades in one step, and back.
    CCriteriaSet strict = StartupCriteria();
    strict.classA.minN = strict.classB.minN = 500;
    session->ApplyCriteriaToAll(strict);
    EXPECT_EQ(session->UndoStack().count(), 1);
    for (const StudySpecimen& specimen : session->Data().specimens) {
        EXPECT_EQ(specimen.inputs.criteria, strict);
        EXPECT_TRUE(specimen.doc.m_result.resultClass.empty()) << specimen.name;
    }
    session->UndoStack().undo();
    EXPECT_EQ(Snapshot(*session), opened);

    // Reopened from its study file beside the MagIC file, through the import again.
    session.reset();
    std::unique_ptr<StudySession> again = OpenStudy(nullptr, {measurements}, StartupCriteria());
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(Snapshot(*again), opened);
    EXPECT_TRUE(QFile::exists(m_folder.filePath(QString::fromLatin1(kStudyFileName))));
}

TEST_F(StudyTest, AMagicFileOpenedAsADocumentOpensItsStudy)
{
    const QString published = QStringLiteral(KORVANES_SOURCE_DIR "/../shared/magic/thermal-izzi-measurements.txt");
    if (!QFile::exists(published)) {
        GTEST_SKIP() << "no published MagIC files beside the repository";
    }
    const QString measurements = m_folder.filePath(QStringLiteral("measurements.txt"));
    ASSERT_TRUE(QFile::copy(published, measurements));
    RunningProgram program;
    ModalAnswerer answerer;  // the import's word on the specimens it leaves out
    CChildFrame* frame = program.Main().OpenDocumentFile(measurements);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame, program.Main().StudyFrame());
    ASSERT_NE(program.Main().Study(), nullptr);
    EXPECT_FALSE(program.Main().Study()->Data().specimens.empty());
    EXPECT_FALSE(program.Main().Study()->Data().magicFile.empty());
}

TEST_F(StudyTest, StandardStatisticsAreColumnsShownFromTheHeaderAndKept)
{
    using M = StudyTableModel;
    RunningProgram program;
    ASSERT_TRUE(program.Main().Statistics()->ChooseCriteriaSet(QStringLiteral("CCRIT")));
    ASSERT_TRUE(program.Main().OpenStudyPaths({m_folder.path()}));
    Settle();
    StudySession* session = program.Main().Study();
    ASSERT_NE(session, nullptr);
    QHeaderView* header = program.Main().StudyTable()->Table()->horizontalHeader();
    for (int column = M::kFirstStandardColumn; column < M::kColumnCount; ++column) {
        EXPECT_TRUE(header->isSectionHidden(column)) << column;
    }

    // Each row's values are those of its fit, the verdict the chosen set's,
    // and they follow a change of range and of set.
    const StatisticCriteriaSet& ccrit = *FindBuiltInCriteriaSet("CCRIT");
    const auto expectRow = [&](int row) {
        const StandardStatistics st =
            StandardStatisticsOfResult(session->Data().specimens[static_cast<std::size_t>(row)].doc, ScatBetaOf(&ccrit));
        ASSERT_TRUE(st[StandardStatistic::kFrac].has_value());
        EXPECT_EQ(session->Model().index(row, M::kFrac).data().toString(),
                  QString::number(*st[StandardStatistic::kFrac], 'f', 3));
        const QString verdict = session->Model().index(row, M::kVerdict).data().toString();
        EXPECT_EQ(verdict.startsWith(QStringLiteral("pass")), EvaluateCriteria(ccrit, st).pass) << verdict.toStdString();
    };
    for (int row = 0; row < 3; ++row) {
        expectRow(row);
    }
    AnalysisInputs inputs = session->Data().specimens[0].inputs;
    inputs.rangeMode = kSelectedRange;
    inputs.tMin = session->Data().specimens[0].doc.m_result.tMin;
    inputs.tMax = (inputs.tMin + session->Data().specimens[0].doc.m_result.tMax) / 2;
    const QString before = session->Model().index(0, M::kFrac).data().toString();
    session->SetInputsOf(0, inputs);
    Settle();
    EXPECT_NE(session->Model().index(0, M::kFrac).data().toString(), before);
    expectRow(0);
    ASSERT_TRUE(program.Main().Statistics()->ChooseCriteriaSet(QString()));
    EXPECT_TRUE(session->Model().index(0, M::kVerdict).data().toString().isEmpty());

    // FRAC shown through the header's menu, kept for the next study.
    bool chosen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr) {
            return;
        }
        for (QAction* group : menu->actions()) {
            if (group->menu() != nullptr) {
                for (QAction* action : group->menu()->actions()) {
                    if (action->text() == QStringLiteral("FRAC")) {
                        action->trigger();
                        chosen = true;
                    }
                }
            }
        }
        menu->close();
    });
    poll.start(10);
    emit header->customContextMenuRequested(QPoint(5, 5));
    poll.stop();
    ASSERT_TRUE(chosen);
    EXPECT_FALSE(header->isSectionHidden(M::kFrac));
    program.Quit();
    RunningProgram again;
    ASSERT_TRUE(again.Main().OpenStudyPaths({m_folder.path()}));
    QHeaderView* reopened = again.Main().StudyTable()->Table()->horizontalHeader();
    EXPECT_FALSE(reopened->isSectionHidden(M::kFrac));
    EXPECT_TRUE(reopened->isSectionHidden(M::kBeta));
    EXPECT_FALSE(reopened->isSectionHidden(M::kNote));
}

}  // namespace
}  // namespace korvanes::guitest
