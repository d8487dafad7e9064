#pragma once
// The current diagram for other programs: Save Graph writes it to a file
// (Enhanced Metafile, SVG, PDF or PNG, by the file's extension or the
// chosen filter); Copy puts it on the clipboard as an Enhanced Metafile with
// SVG and PNG beside it, so that each program takes the form it knows best.

#include <QString>

#include "PictureExport.h"

class QWidget;

namespace korvanes::gui {

class CKorvanesToolView;

// The file filters of Save Graph, Enhanced Metafile first.
QStringList GraphFileFilters();

// The extension of a filter of GraphFileFilters ("emf" for any other text).
QString GraphFilterSuffix(const QString& filter);

// The format of a chosen file: its extension when it names one we write,
// else the chosen filter's (whose extension is then appended to `path`).
PictureFormat GraphFormat(QString& path, const QString& selectedFilter);

// Paints the view's document into `path` (the analysis runs once more and
// the form is refreshed). False with the reason in `error`.
bool SaveGraphFile(CKorvanesToolView& view, const QString& path, PictureFormat format, QString& error);

// The clipboard formats of Copy.
inline constexpr const char* kEmfMimeTypes[] = {"image/x-emf", "image/emf"};
inline constexpr const char* kSvgMimeType = "image/svg+xml";

// Replaces the clipboard's contents with the view's diagram (the analysis
// runs once more and the form is refreshed). False with the reason in
// `error` when no picture could be made; the clipboard is then unchanged.
bool CopyPlot(CKorvanesToolView& view, QString& error);

// The same for any picture: the metafile painted for `emfClient`, SVG and
// PNG of `size`.
bool CopyPicture(const PicturePainter& paint, PictureSize emfClient, PictureSize size, QString& error);

}  // namespace korvanes::gui
