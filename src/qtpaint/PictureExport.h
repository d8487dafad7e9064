#pragma once
// Export of the plot view's picture to a file: PNG, SVG, PDF or Enhanced
// Metafile. Each format paints through the ordinary paint sequence, so the
// picture shows what the view would show for the document's m_plotType.

#include <optional>
#include <string>

#include "document/Document.h"

namespace korvanes {

enum class PictureFormat { kPng, kSvg, kPdf, kEmf };

// Size of the picture in pixels (96 per inch).
struct PictureSize {
    int width = 0;
    int height = 0;
};

// The largest width or height accepted for a picture.
inline constexpr int kMaxPictureSide = 10000;

// The format named by the extension of `path` (".png", ".svg", ".pdf",
// ".emf", any case); nothing for any other or no extension.
std::optional<PictureFormat> PictureFormatFromPath(const std::string& path);

// Paints `doc` (running its analysis, as every paint does) into a picture of
// `size` and writes it to `path`. The client area handed to the paint is the
// picture size, so a single diagram sits at the picture's centre. PNG has a
// white background; SVG, PDF and EMF draw on a transparent (PDF: white)
// page. An existing file is replaced only by a completely written picture.
// Needs a running QGuiApplication (fonts). False with a message in `error`
// when the size is out of range (1..kMaxPictureSide) or the file cannot be
// written; no file is then left at `path` that was not there before.
bool ExportPicture(CKorvanesToolDoc& doc, PictureFormat format, const std::string& path, PictureSize size,
                   std::string& error);

}  // namespace korvanes
