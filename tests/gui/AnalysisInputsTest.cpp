// One way in for the analysis inputs, driven through the real windows: two
// windows of one document always agree, the saved line describes the
// analysis shown, and every choice is one undoable step.

#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QUndoGroup>

#include "GuiTestSupport.h"
#include "OpenDocument.h"

namespace korvanes::guitest {
namespace {

QAction* ActionNamed(CMainFrame& main, const QString& text)
{
    for (QAction* action : main.findChildren<QAction*>()) {
        if (action->text() == text) {
            return action;
        }
    }
    ADD_FAILURE() << "no action " << text.toStdString();
    return nullptr;
}

QLineEdit* LabFieldEdit(CResultForm& form)
{
    for (QLineEdit* edit : form.findChildren<QLineEdit*>()) {
        if (!edit->isReadOnly()) {
            return edit;  // the first input: the laboratory field
        }
    }
    return nullptr;
}

void Type(QLineEdit* edit, const QString& text)
{
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

QString LastLine(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromLatin1(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    return lines.value(lines.size() - 1);
}

TEST(AnalysisInputs, TwoWindowsOfOneDocumentAgreeAndTheSavedLineDescribesTheAnalysisShown)
{
    ForgetSettings();
    ModalAnswerer answerer;
    QTemporaryDir folder;
    answerer.fileToChoose = folder.filePath(QStringLiteral("study.krv"));
    RunningProgram program({Example("tuff-mt3.kvd")});
    CChildFrame& first = program.Frame();
    ActionNamed(program.Main(), QStringLiteral("&New Window"))->trigger();
    Settle();
    ASSERT_EQ(program.Main().Frames().size(), 2u);
    CChildFrame& second = *program.Main().Frames()[1];
    OpenDocument& document = *first.Document();

    // Diagram and coordinates chosen in the second window show in the first.
    ByText<QRadioButton>(*second.Form(), QStringLiteral("Zij Plot"))->click();
    ByText<QRadioButton>(*second.Form(), QStringLiteral("Geo"))->click();
    Settle();
    EXPECT_TRUE(ByText<QRadioButton>(*first.Form(), QStringLiteral("Zij Plot"))->isChecked());
    EXPECT_TRUE(ByText<QRadioButton>(*first.Form(), QStringLiteral("Geo"))->isChecked());

    // A laboratory field applied in the second: the first shows it beside
    // the intensity computed for it, analysed once for both windows.
    const int analyses = document.AnalysisCount();
    Type(LabFieldEdit(*second.Form()), QStringLiteral("50"));
    ByText<QAbstractButton>(*second.Form(), QStringLiteral("Apply changes"))->click();
    Settle();
    EXPECT_EQ(document.AnalysisCount(), analyses + 1);
    EXPECT_EQ(LabFieldEdit(*first.Form())->text(), QStringLiteral("50"));
    EXPECT_EQ(first.Form()->Field(1019)->Text(), second.Form()->Field(1019)->Text());

    // Apply in the first takes what it shows: nothing changes.
    ByText<QAbstractButton>(*first.Form(), QStringLiteral("Apply changes"))->click();
    Settle();
    EXPECT_EQ(document.Doc().m_header.m_labField, 50.0f);

    // Save results in the first: the line of the analysis for 50 µT.
    ByText<QAbstractButton>(*first.Form(), QStringLiteral("Save results"))->click();
    Settle();
    QStringList fields = LastLine(answerer.fileToChoose).split(QLatin1Char('\t'));
    ASSERT_EQ(fields.size(), 31);
    EXPECT_EQ(fields[1], QStringLiteral("50.0"));
    EXPECT_EQ(fields[2], QString::asprintf("%.2f", document.Doc().m_result.paleointensity));
    EXPECT_EQ(fields[22], QStringLiteral("IS"));

    // A value typed and not applied is applied before the save.
    Type(LabFieldEdit(*first.Form()), QStringLiteral("45"));
    ByText<QAbstractButton>(*first.Form(), QStringLiteral("Save results"))->click();
    Settle();
    fields = LastLine(answerer.fileToChoose).split(QLatin1Char('\t'));
    ASSERT_EQ(fields.size(), 31);
    EXPECT_EQ(fields[1], QStringLiteral("45.0"));
    EXPECT_EQ(document.Doc().m_header.m_labField, 45.0f);
    EXPECT_EQ(fields[2], QString::asprintf("%.2f", document.Doc().m_result.paleointensity));
    EXPECT_TRUE(answerer.texts.isEmpty()) << answerer.texts.join(QLatin1Char('|')).toStdString();
}

TEST(AnalysisInputs, RangeTextNotAppliedGivesWayToTheAutomaticRange)
{
    ForgetSettings();
    RunningProgram program({Example("basalt-mt1.kvd")});
    ByText<QRadioButton>(program.Form(), QStringLiteral("select temperature range"))->click();
    Settle();
    QLineEdit* from = program.Form().findChildren<QLineEdit*>().value(1);
    ASSERT_NE(from, nullptr);
    Type(from, QStringLiteral("x"));
    ByText<QRadioButton>(program.Form(), QStringLiteral("automatic calculation"))->click();
    Settle();
    EXPECT_FALSE(from->isEnabled());
    EXPECT_EQ(from->text(), QString::number(program.Frame().Document()->Doc().m_result.tMin));
}

TEST(AnalysisInputs, EveryChoiceIsOneStepThatUndoRestoresBitForBit)
{
    ForgetSettings();
    RunningProgram program({Example("tuff-mt3.kvd")});
    OpenDocument& document = *program.Frame().Document();
    const CSpecimenResult opened = document.Doc().m_result;
    QAction* undo = ActionNamed(program.Main(), QStringLiteral("&Undo"));
    QAction* redo = ActionNamed(program.Main(), QStringLiteral("&Redo"));
    ASSERT_NE(undo, nullptr);
    ASSERT_NE(redo, nullptr);
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_EQ(undo->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(redo->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));

    ByText<QRadioButton>(program.Form(), QStringLiteral("select temperature range"))->click();
    QList<QLineEdit*> inputs;
    for (QLineEdit* edit : program.Form().findChildren<QLineEdit*>()) {
        if (!edit->isReadOnly()) {
            inputs << edit;
        }
    }
    ASSERT_EQ(inputs.size(), 3);
    Type(inputs[1], QStringLiteral("200"));
    Type(inputs[2], QStringLiteral("510"));
    ByText<QAbstractButton>(program.Form(), QStringLiteral("Apply changes"))->click();
    Settle();
    const CSpecimenResult chosen = document.Doc().m_result;
    EXPECT_EQ(chosen.tMin, 200);
    const QString name = QString::fromLatin1(document.Doc().m_header.m_specimenName.c_str());
    EXPECT_EQ(document.UndoStack()->text(document.UndoStack()->count() - 1),
              QStringLiteral("Range 200\u2013510 \u00B0C on %1").arg(name));
    EXPECT_EQ(document.UndoStack()->count(), 2);  // the mode, then the range

    const auto expectSame = [](const CSpecimenResult& a, const CSpecimenResult& b) {
        EXPECT_EQ(a.tMin, b.tMin);
        EXPECT_EQ(a.tMax, b.tMax);
        EXPECT_EQ(a.n, b.n);
        for (double CSpecimenResult::*value :
             {&CSpecimenResult::paleointensity, &CSpecimenResult::stdDev, &CSpecimenResult::slope,
              &CSpecimenResult::f, &CSpecimenResult::g, &CSpecimenResult::q, &CSpecimenResult::w,
              &CSpecimenResult::madAnchored, &CSpecimenResult::ckError, &CSpecimenResult::dTStar}) {
            EXPECT_EQ(a.*value, b.*value);
        }
        EXPECT_EQ(a.resultClass, b.resultClass);
    };
    undo->trigger();
    undo->trigger();
    Settle();
    expectSame(document.Doc().m_result, opened);
    EXPECT_FALSE(ByText<QLineEdit>(program.Form(), QString::number(opened.tMin)) == nullptr);
    EXPECT_FALSE(inputs[1]->isEnabled());  // automatic again
    redo->trigger();
    redo->trigger();
    Settle();
    expectSame(document.Doc().m_result, chosen);
    EXPECT_TRUE(inputs[1]->isEnabled());

    // Ctrl+Z in a range box with no typing of its own to undo undoes the
    // range, as the user means it.
    program.Main().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&program.Main()));
    inputs[2]->setFocus();
    QTest::keyClick(inputs[2], Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(document.UndoStack()->index(), 1);
    QTest::keyClick(inputs[2], Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(document.UndoStack()->index(), 2);
}

}  // namespace
}  // namespace korvanes::guitest
