#pragma once
// Helpers of the desktop program's tests: a started program with the real
// settings store, waiting for the event loop, answering modal boxes, finding
// widgets by their text.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "ChildFrame.h"
#include "KorvanesToolApp.h"
#include "KorvanesToolView.h"
#include "MainFrame.h"
#include "QtSettingsStore.h"
#include "ResultForm.h"

// Readable failure messages for Qt's strings.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace korvanes::guitest {

using namespace korvanes::gui;

inline QString Example(const char* name)
{
    return QStringLiteral(KORVANES_SOURCE_DIR "/examples/") + QString::fromLatin1(name);
}

// Runs the event loop until `done` holds or `ms` have passed.
inline bool WaitFor(const std::function<bool()>& done, int ms = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms) {
            return false;
        }
        QTest::qWait(5);
    }
    return true;
}

// Lets every pending paint and change announcement run.
inline void Settle() { QTest::qWait(50); }

// While alive, answers every modal message box and dialog with its default
// (OK) button and keeps their texts; file choosers get `fileToChoose`.
class ModalAnswerer {
public:
    ModalAnswerer()
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* chooser = qobject_cast<QFileDialog*>(modal)) {
                if (fileToChoose.isEmpty()) {
                    captions << chooser->windowTitle();
                    chooser->reject();
                    return;
                }
                // The chooser fills its folder in the background and may
                // select the file it was opened with when that is done: it
                // is answered only once it reports the file to choose as
                // its selection, so the answer never depends on timing.
                // selectFile() leaves the name box alone while it has the
                // focus, which the window may or may not have been given
                // by now: the name is typed into the box as well.
                if (chooser->selectedFiles() != QStringList{fileToChoose} && ++m_chooserTicks < 200) {
                    chooser->selectFile(fileToChoose);
                    if (auto* name = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
                        name->setText(QFileInfo(fileToChoose).fileName());
                    }
                    return;
                }
                m_chooserTicks = 0;
                captions << chooser->windowTitle();
                if (chooser->selectedFiles() != QStringList{fileToChoose}) {
                    // Never write to a file the test did not name.
                    ADD_FAILURE() << "the file chooser would not select " << fileToChoose.toStdString();
                    chooser->reject();
                    return;
                }
                static_cast<QDialog*>(chooser)->accept();
            } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                texts << box->text();
                captions << box->windowTitle();
                box->accept();
            } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                captions << dialog->windowTitle();
                for (QLabel* label : dialog->findChildren<QLabel*>()) {
                    if (!label->text().isEmpty()) {
                        texts << label->text();
                    }
                }
                // The default button, as Enter would press it.
                for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
                    if (button->isDefault()) {
                        button->click();
                        return;
                    }
                }
                dialog->accept();
            }
        });
        m_timer.start();
    }

    QStringList texts;
    QStringList captions;
    // What file choosers are answered with; empty: they are cancelled.
    QString fileToChoose;

private:
    QTimer m_timer;
    int m_chooserTicks = 0;
};

// The desktop program, started on `files` with the settings of the test
// process's configuration folder.
class RunningProgram {
public:
    explicit RunningProgram(const QStringList& files = {})
        : app(std::make_unique<QtSettingsStore>())
    {
        app.InitInstance(files);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(app.MainFrame()));
        Settle();
    }
    ~RunningProgram() { Quit(); }

    // Closes the main window and ends the program as a user would.
    void Quit()
    {
        if (!m_quit) {
            m_quit = true;
            app.MainFrame()->close();
            app.ExitInstance();
        }
    }

    CMainFrame& Main() { return *app.MainFrame(); }
    CChildFrame& Frame()
    {
        CChildFrame* frame = Main().ActiveFrame();
        EXPECT_NE(frame, nullptr);
        return *frame;
    }
    CResultForm& Form() { return *Frame().Form(); }
    CKorvanesToolDoc& Doc() { return Frame().Document()->Doc(); }
    QString FieldText(int controlId) { return Form().Field(controlId)->Text(); }

    CKorvanesToolApp app;

private:
    bool m_quit = false;
};

// Removes every stored setting, as on a machine where the program never ran.
inline void ForgetSettings()
{
    QSettings settings(QStringLiteral("Brenvoll"), QStringLiteral("KorvanesTool"));
    settings.clear();
    settings.sync();
}

// The widget of type T under `root` whose text is `text`.
template <typename T>
T* ByText(QWidget& root, const QString& text)
{
    for (T* widget : root.findChildren<T*>()) {
        if (widget->text() == text) {
            return widget;
        }
    }
    ADD_FAILURE() << "no widget with the text " << text.toStdString();
    return nullptr;
}

// `korvanes analyze ... --json` of the command-line program.
inline QJsonObject AnalyzeJson(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(KORVANES_PROGRAM), QStringList{QStringLiteral("analyze")} + arguments +
                                                      QStringList{QStringLiteral("--json")});
    process.waitForFinished(30000);
    return QJsonDocument::fromJson(process.readAllStandardOutput()).object();
}

}  // namespace korvanes::guitest
