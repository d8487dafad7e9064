// korvanestool: the desktop program for double-heating paleointensity
// experiments. Opens the data files named on the command line.

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <clocale>

#include <QTimer>

#include "ChildFrame.h"
#include "KorvanesToolApp.h"
#include "KorvanesToolView.h"
#include "MainFrame.h"
#include "QtSettingsStore.h"

int main(int argc, char** argv)
{
    using namespace korvanes::gui;
    QApplication application(argc, argv);
    // Numbers are read and written with a decimal point whatever the
    // user's locale; the toolkit has just adopted that locale.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setOrganizationName(QStringLiteral("Brenvoll"));
    QApplication::setApplicationName(QStringLiteral("KorvanesTool"));
    QApplication::setApplicationVersion(QString::fromLatin1(kProgramVersion));
    QApplication::setDesktopFileName(QStringLiteral("korvanestool"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/korvanestool.svg")));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Analysis of double-heating paleointensity experiments: opens each data file in a window."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("Data files (.kvd) to open."),
                                 QStringLiteral("[FILE.kvd...]"));
    // For measuring the start: ends the program once the first document
    // window has painted (or the main window has appeared, without a file).
    QCommandLineOption quitAfterFirstPaint(QStringLiteral("quit-after-first-paint"));
    quitAfterFirstPaint.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(quitAfterFirstPaint);
    parser.process(application);

    CKorvanesToolApp app(std::make_unique<QtSettingsStore>());
    if (!app.InitInstance(parser.positionalArguments())) {
        return 1;
    }
    QObject::connect(&application, &QCoreApplication::aboutToQuit, [&app] { app.ExitInstance(); });
    if (parser.isSet(quitAfterFirstPaint)) {
        const std::vector<CChildFrame*> frames = app.MainFrame()->Frames();
        if (frames.empty()) {
            QTimer::singleShot(0, &application, &QCoreApplication::quit);
        } else {
            QObject::connect(frames.front()->View(), &CKorvanesToolView::Painted, &application,
                             &QCoreApplication::quit, Qt::QueuedConnection);
        }
    }
    const int status = QApplication::exec();
    app.ExitInstance();
    return status;
}
