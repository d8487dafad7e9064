#include "RawDataViewer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>
#include <QUrl>

namespace korvanes::gui {
namespace {

// Text editors common on Linux desktops, tried when the desktop names none.
const char* const kKnownEditors[] = {"gnome-text-editor", "gedit", "kate", "kwrite", "mousepad", "pluma",
                                     "xed", "featherpad", "leafpad", "geany"};

QStringList ConfigFolders()
{
    return QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
}

QStringList ApplicationFolders()
{
    return QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
}

// The value of `key` in group `group` of a desktop-style file.
QString DesktopValue(const QString& file, const QString& group, const QString& key)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return {};
    }
    QTextStream stream(&in);
    bool inGroup = false;
    while (!stream.atEnd()) {
        const QString line = stream.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == QLatin1Char('[') + group + QLatin1Char(']');
        } else if (inGroup && line.startsWith(key + QLatin1Char('='))) {
            return line.mid(key.size() + 1).trimmed();
        }
    }
    return {};
}

// The desktop entry that mimeapps.list names as default for plain text.
QString DefaultTextApplication()
{
    QStringList lists;
    for (const QString& folder : ConfigFolders()) {
        lists << folder + QStringLiteral("/mimeapps.list");
    }
    for (const QString& folder : ApplicationFolders()) {
        lists << folder + QStringLiteral("/mimeapps.list");
    }
    for (const QString& list : lists) {
        const QString entries = DesktopValue(list, QStringLiteral("Default Applications"), QStringLiteral("text/plain"));
        for (const QString& entry : entries.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            if (entry.startsWith(QStringLiteral("korvanestool"))) {
                continue;  // never back to this program
            }
            for (const QString& folder : ApplicationFolders()) {
                const QString file = folder + QLatin1Char('/') + entry;
                if (QFileInfo::exists(file)) {
                    return file;
                }
            }
        }
    }
    return {};
}

// The command of a desktop entry's Exec line for `path`.
ViewerCommand CommandOfDesktopEntry(const QString& file, const QString& path)
{
    QStringList parts = QProcess::splitCommand(DesktopValue(file, QStringLiteral("Desktop Entry"), QStringLiteral("Exec")));
    if (parts.isEmpty()) {
        return {};
    }
    ViewerCommand command{parts.takeFirst(), {}};
    bool fileGiven = false;
    for (QString part : parts) {
        if (part == QStringLiteral("%f") || part == QStringLiteral("%F")) {
            command.arguments << path;
            fileGiven = true;
        } else if (part == QStringLiteral("%u") || part == QStringLiteral("%U")) {
            command.arguments << QUrl::fromLocalFile(path).toString();
            fileGiven = true;
        } else if (part.size() == 2 && part.startsWith(QLatin1Char('%'))) {
            continue;  // %i, %c, %k and the deprecated codes
        } else {
            command.arguments << part.replace(QStringLiteral("%%"), QStringLiteral("%"));
        }
    }
    if (!fileGiven) {
        command.arguments << path;
    }
    return command;
}

}  // namespace

ViewerCommand FindTextViewer(const QString& path)
{
    const QString chosen = qEnvironmentVariable("KORVANES_TEXT_VIEWER").trimmed();
    if (!chosen.isEmpty()) {
        QStringList parts = QProcess::splitCommand(chosen);
        if (!parts.isEmpty()) {
            const QString program = parts.takeFirst();
            return ViewerCommand{program, parts << path};
        }
    }
    const QString entry = DefaultTextApplication();
    if (!entry.isEmpty()) {
        ViewerCommand command = CommandOfDesktopEntry(entry, path);
        if (!command.program.isEmpty() && !QStandardPaths::findExecutable(command.program).isEmpty()) {
            return command;
        }
    }
    for (const char* editor : kKnownEditors) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(editor));
        if (!program.isEmpty()) {
            return ViewerCommand{program, {path}};
        }
    }
    return {};
}

bool ViewRawData(const QString& path, QString& error)
{
    const ViewerCommand command = FindTextViewer(path);
    if (command.program.isEmpty()) {
        error = QObject::tr("No plain-text viewer was found to show %1 (set KORVANES_TEXT_VIEWER to one).")
                    .arg(QDir::toNativeSeparators(path));
        return false;
    }
    if (!QProcess::startDetached(command.program, command.arguments, QFileInfo(path).absolutePath())) {
        error = QObject::tr("The text viewer \"%1\" could not be started for %2.")
                    .arg(command.program, QDir::toNativeSeparators(path));
        return false;
    }
    return true;
}

}  // namespace korvanes::gui
