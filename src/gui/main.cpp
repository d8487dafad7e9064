// korvanestool: the desktop program for double-heating paleointensity
// experiments. Opens the data files named on the command line.

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QTimer>
#include <clocale>
#include <memory>
#include <string_view>

#include "ChildFrame.h"
#include "KorvanesToolApp.h"
#include "KorvanesToolView.h"
#include "MainFrame.h"
#include "QtSettingsStore.h"

namespace {

// Whether the command line asks for help or the version, which the parser
// answers and then ends the program: that needs no display, so no GUI is
// started for it.
bool AsksOnlyForInformation(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--") {
            return false;
        }
        if (argument == "-h" || argument == "-?" || argument == "--help" || argument == "--help-all" ||
            argument == "-v" || argument == "--version") {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace korvanes::gui;
    const std::unique_ptr<QCoreApplication> application =
        AsksOnlyForInformation(argc, argv) ? std::make_unique<QCoreApplication>(argc, argv)
                                           : std::make_unique<QApplication>(argc, argv);
    // Numbers are read and written with a decimal point whatever the
    // user's locale; the toolkit has just adopted that locale.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setOrganizationName(QStringLiteral("Brenvoll"));
    QApplication::setApplicationName(QStringLiteral("KorvanesTool"));
    QApplication::setApplicationVersion(QString::fromLatin1(kProgramVersion));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Analysis of double-heating paleointensity experiments: opens each data file in a window."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("Data files (.kvd) to open."),
                                 QStringLiteral("[FILE.kvd...]"));
    // For measuring the start: ends the program once the first document
    // window has painted (or the main window has appeared, without a file).
    QCommandLineOption study(QStringLiteral("study"),
                             QStringLiteral("Opens PATH as a study: a folder of data files, a MagIC file or a study file."),
                             QStringLiteral("PATH"));
    parser.addOption(study);
    QCommandLineOption samples(QStringLiteral("samples"),
                               QStringLiteral("With --study of a MagIC file: its samples table (orientation)."),
                               QStringLiteral("FILE"));
    QCommandLineOption sites(QStringLiteral("sites"),
                             QStringLiteral("With --study of a MagIC file: its sites table (bedding)."),
                             QStringLiteral("FILE"));
    parser.addOption(samples);
    parser.addOption(sites);
    QCommandLineOption quitAfterFirstPaint(QStringLiteral("quit-after-first-paint"));
    quitAfterFirstPaint.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(quitAfterFirstPaint);
    // Answers --help and --version (and refuses unknown options) by ending
    // the program; past this point the GUI application runs.
    parser.process(*application);
    QApplication::setDesktopFileName(QStringLiteral("korvanestool"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/korvanestool.svg")));

    CKorvanesToolApp app(std::make_unique<QtSettingsStore>());
    if (!app.InitInstance(parser.positionalArguments(), parser.values(study), parser.value(samples),
                          parser.value(sites))) {
        return 1;
    }
    QObject::connect(application.get(), &QCoreApplication::aboutToQuit, [&app] { app.ExitInstance(); });
    if (parser.isSet(quitAfterFirstPaint)) {
        const std::vector<CChildFrame*> frames = app.MainFrame()->Frames();
        if (frames.empty()) {
            QTimer::singleShot(0, application.get(), &QCoreApplication::quit);
        } else {
            QObject::connect(frames.front()->View(), &CKorvanesToolView::Painted, application.get(),
                             &QCoreApplication::quit, Qt::QueuedConnection);
        }
    }
    const int status = QApplication::exec();
    app.ExitInstance();
    return status;
}
