// korvanestool: the desktop program for double-heating paleointensity
// experiments. Opens the data files named on the command line.

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <clocale>

#include "KorvanesToolApp.h"
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
    parser.process(application);

    CKorvanesToolApp app(std::make_unique<QtSettingsStore>());
    if (!app.InitInstance(parser.positionalArguments())) {
        return 1;
    }
    QObject::connect(&application, &QCoreApplication::aboutToQuit, [&app] { app.ExitInstance(); });
    const int status = QApplication::exec();
    app.ExitInstance();
    return status;
}
