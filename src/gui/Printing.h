#pragma once
// One printed page of the current diagram: the plot pane's ordinary paint
// on the printer, with the printer's own scale unit.

#include "PictureExport.h"

class QPrinter;

namespace korvanes::gui {

class CKorvanesToolView;

// Paints one page on `printer` (already set up: a printer, a PDF file or a
// preview). A single diagram is centred on the printable area; a picture
// larger than the page (the all-plots page on A4) is scaled down to fit.
// False when the printer could not be started.
bool PrintPage(QPrinter& printer, CKorvanesToolView& view);

// Paints a picture that fills its client area (the site diagram) on one
// page: the printable width, and two thirds of it as height at most.
bool PrintPicture(QPrinter& printer, const PicturePainter& paint);

}  // namespace korvanes::gui
