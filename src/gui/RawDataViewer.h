#pragma once
// "View raw data": the data file in a plain-text viewer of the user's, as a
// separate program, without waiting for it.
//
// The viewer is started without a shell and gets the path as one argument,
// so a name with blanks, quotes or semicolons opens that file and nothing
// else. It is, in this order: the command in $KORVANES_TEXT_VIEWER; the
// desktop's application for plain text (unless that is this program); the
// first of the common text editors found on the PATH.

#include <QString>
#include <QStringList>

namespace korvanes::gui {

struct ViewerCommand {
    QString program;
    QStringList arguments;  // the file's path is one of them
};

// The command that shows `path`, or an empty program when none is found.
ViewerCommand FindTextViewer(const QString& path);

// Starts the viewer on `path`. False with a message in `error` when none
// could be started.
bool ViewRawData(const QString& path, QString& error);

}  // namespace korvanes::gui
