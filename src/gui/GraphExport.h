#pragma once
// The current diagram for other programs: Save Graph writes it to a file
// (Enhanced Metafile, SVG, PDF or PNG, by the file's extension or the
// chosen filter).

#include <QString>

#include "PictureExport.h"

class QWidget;

namespace korvanes::gui {

class CKorvanesToolView;

// The file filters of Save Graph, Enhanced Metafile first.
QStringList GraphFileFilters();

// The format of a chosen file: its extension when it names one we write,
// else the chosen filter's (whose extension is then appended to `path`).
PictureFormat GraphFormat(QString& path, const QString& selectedFilter);

// Paints the view's document into `path` (the analysis runs once more and
// the form is refreshed). False with the reason in `error`.
bool SaveGraphFile(CKorvanesToolView& view, const QString& path, PictureFormat format, QString& error);

}  // namespace korvanes::gui
