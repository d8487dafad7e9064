// The criteria dialog: what Load, Save, Default, Apply and Cancel do to the
// application's criteria and to the document's.

#include <QLineEdit>
#include <QTemporaryDir>

#include "CriteriaDialog.h"
#include "GuiTestSupport.h"
#include "criteria/CriteriaFile.h"
#include "document/AnalysisInputs.h"

namespace korvanes::guitest {
namespace {

class CriteriaDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ForgetSettings();
        ASSERT_TRUE(m_folder.isValid());
    }

    // A criteria file holding the start-up values with class A minN = n.
    QString CriteriaFileWithMinN(int n)
    {
        CCriteriaSet set = StartupCriteria();
        set.classA.minN = n;
        const QString path = m_folder.filePath(QStringLiteral("minN%1.cri").arg(n));
        EXPECT_TRUE(WriteCriteria(path.toStdString(), set).ok);
        return path;
    }

    static QLineEdit* Edit(CCriteriaDialog& dialog, const char* name)
    {
        return dialog.findChild<QLineEdit*>(QString::fromLatin1(name));
    }

    // The document's criteria as the program hands them to the dialog, and
    // the dialog's Apply handed back as the program does.
    CCriteriaSet DocumentCriteria() const { return InputsOf(m_doc).criteria; }
    void ApplyCriteria(const CCriteriaSet& criteria)
    {
        AnalysisInputs inputs = InputsOf(m_doc);
        inputs.criteria = criteria;
        ApplyInputs(m_doc, inputs);
    }

    QTemporaryDir m_folder;
    ApplicationCriteria m_application;
    CKorvanesToolDoc m_doc;
};

TEST_F(CriteriaDialogTest, LoadAndDefaultActOnTheApplicationAtOnceTheDocumentOnlyOnApply)
{
    const QString loaded = CriteriaFileWithMinN(9);
    {
        CCriteriaDialog dialog(m_application, DocumentCriteria());
        dialog.chooseFileToLoad = [&] { return loaded; };
        dialog.Load();
        EXPECT_EQ(Edit(dialog, "minNA")->text(), QStringLiteral("9"));
        EXPECT_EQ(dialog.PathShown(), loaded);
        dialog.reject();  // Cancel
    }
    EXPECT_EQ(m_application.criteria.classA.minN, 9);
    EXPECT_EQ(m_application.path, loaded.toStdString());
    EXPECT_EQ(m_doc.m_criteria.classA.minN, 5);

    // Opened again, the dialog shows the document's own criteria, not the
    // application's, with the application's file.
    {
        CCriteriaDialog dialog(m_application, DocumentCriteria());
        EXPECT_EQ(Edit(dialog, "minNA")->text(), QStringLiteral("5"));
        EXPECT_EQ(dialog.PathShown(), loaded);
        dialog.Default();
        EXPECT_EQ(Edit(dialog, "maxIntensityDiffB")->text(), QStringLiteral("20"));
        dialog.reject();
    }
    EXPECT_EQ(m_application.criteria, DefaultCriteria());
    EXPECT_EQ(m_application.path, "DefaultCriteria");
    EXPECT_EQ(m_doc.m_criteria.classB.maxIntensityDiff, 15);  // the document keeps its own

    CCriteriaDialog dialog(m_application, DocumentCriteria());
    Edit(dialog, "minFA")->setText(QStringLiteral("0.45"));
    ByText<QAbstractButton>(dialog, QStringLiteral("normalize both axes equally"))->click();
    dialog.Apply();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_TRUE(dialog.Applied().has_value());
    ApplyCriteria(*dialog.Applied());
    EXPECT_EQ(m_doc.m_criteria.classA.minF, 0.45);
    EXPECT_EQ(m_doc.m_options.m_equalAraiScales, 1);
    EXPECT_EQ(m_doc.m_criteria.classB.maxIntensityDiff, 15);  // shown from the document, applied as shown
    EXPECT_EQ(m_application.criteria, m_doc.m_criteria);
}

TEST_F(CriteriaDialogTest, SaveWritesWhatTheFieldsShowAndRefusedInputKeepsTheDialogOpen)
{
    ModalAnswerer answerer;
    const QString saved = m_folder.filePath(QStringLiteral("typed.cri"));
    CCriteriaDialog dialog(m_application, DocumentCriteria());
    dialog.chooseFileToSave = [&] { return saved; };
    Edit(dialog, "maxMadA")->setText(QStringLiteral(" 7 "));
    Edit(dialog, "maxSlopeRelStdB")->setText(QStringLiteral("0.2"));
    dialog.Save();
    const CriteriaFileResult written = ReadCriteria(saved.toStdString());
    ASSERT_TRUE(written.ok()) << written.message;
    EXPECT_EQ(written.criteria.classA.maxMad, 7);
    EXPECT_EQ(written.criteria.classB.maxSlopeRelStd, 0.2);
    EXPECT_EQ(m_application.path, saved.toStdString());
    EXPECT_EQ(m_doc.m_criteria.classA.maxMad, 6);  // never applied

    Edit(dialog, "minQA")->setText(QStringLiteral("1.5"));
    dialog.Apply();
    Edit(dialog, "minFB")->setText(QStringLiteral("x"));
    dialog.Save();
    EXPECT_EQ(answerer.texts, (QStringList{QStringLiteral("Please enter an integer."), QStringLiteral("Please enter a number.")}));
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.focusWidget(), Edit(dialog, "minFB"));
    EXPECT_EQ(m_doc.m_criteria.classA.maxMad, 6);
}

TEST_F(CriteriaDialogTest, FilesThatCannotBeUsedAreReportedAndChangeNothing)
{
    ModalAnswerer answerer;
    const QString wrongTag = m_folder.filePath(QStringLiteral("wrong.cri"));
    std::string bytes = EncodeCriteria(StartupCriteria());
    bytes[1] = 'c';  // "criteria"
    QFile file(wrongTag);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    file.close();

    const QString good = CriteriaFileWithMinN(8);
    const QByteArray goodBytes = [&] {
        QFile in(good);
        in.open(QIODevice::ReadOnly);
        return in.readAll();
    }();
    CCriteriaDialog dialog(m_application, DocumentCriteria());
    dialog.chooseFileToLoad = [&] { return wrongTag; };
    dialog.Load();
    EXPECT_EQ(answerer.texts.value(0), QStringLiteral("No Criteria File!"));
    EXPECT_EQ(m_application.path, "DefaultCriteria");

    // A file that cannot be written: the message, and nothing changes.
    dialog.chooseFileToSave = [&] { return m_folder.filePath(QStringLiteral("missing-folder/lab.cri")); };
    dialog.Save();
    // The message names the file and the reason.
    EXPECT_TRUE(answerer.texts.value(1).startsWith(QStringLiteral("The criteria could not be saved to \"%1\".\n\n")
                                                       .arg(m_folder.filePath(QStringLiteral("missing-folder/lab.cri")))))
        << answerer.texts.value(1).toStdString();
    EXPECT_EQ(m_application.path, "DefaultCriteria");

    // A folder that takes no new file: the old file there stays whole (root
    // writes anyway, so this part needs an ordinary user).
    if (::geteuid() != 0) {
        QFile::setPermissions(m_folder.path(), QFile::ReadOwner | QFile::ExeOwner);
        dialog.chooseFileToSave = [&] { return good; };
        Edit(dialog, "minNA")->setText(QStringLiteral("3"));
        dialog.Save();
        QFile::setPermissions(m_folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        EXPECT_EQ(answerer.texts.value(2), QStringLiteral("The criteria could not be saved."));
        QFile in(good);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        EXPECT_EQ(in.readAll(), goodBytes);
    }
}

TEST_F(CriteriaDialogTest, TheMenuCommandReevaluatesTheDocumentOnlyWhenTheCriteriaChange)
{
    ModalAnswerer answerer;  // answers the dialog with Apply, the values unchanged
    RunningProgram program({Example("basalt-mt1.kvd")});
    const int paints = program.Frame().View()->PaintCount();
    for (QAction* action : program.Main().findChildren<QAction*>()) {
        if (action->text() == QStringLiteral("&Criteria")) {
            action->trigger();
        }
    }
    Settle();
    EXPECT_TRUE(answerer.captions.contains(QStringLiteral("Criteria")));
    EXPECT_EQ(program.Frame().View()->PaintCount(), paints);
    EXPECT_EQ(program.Frame().Document()->UndoStack()->count(), 0);
}

}  // namespace
}  // namespace korvanes::guitest
