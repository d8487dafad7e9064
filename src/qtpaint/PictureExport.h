#pragma once
// The plot view's picture as PNG, SVG, PDF or Enhanced Metafile bytes, in
// memory (for the clipboard) or written to a file. Each format paints
// through the ordinary paint sequence, so the picture shows what the view
// would show for the document's m_plotType; files and clipboard share one
// rendering.

#include <QByteArray>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "document/Document.h"
#include "plots/Plots.h"

namespace korvanes {

enum class PictureFormat { kPng, kSvg, kPdf, kEmf };

// Size of the picture in pixels (96 per inch).
struct PictureSize {
    int width = 0;
    int height = 0;
};

// Paints a picture on a surface whose client area is the given size: the
// document's paint sequence, or another diagram (the site diagram).
using PicturePainter = std::function<void(DrawingSurface&, ClientSize)>;

// The largest width or height accepted for a picture.
inline constexpr int kMaxPictureSide = 10000;

// The format named by the extension of `path` (".png", ".svg", ".pdf",
// ".emf", any case); nothing for any other or no extension.
std::optional<PictureFormat> PictureFormatFromPath(const std::string& path);

// The finished metafile of one paint of `doc` (its analysis runs, as in every
// paint). `client` is the view's client area, which centres a single
// diagram; the metafile's bounds are those of what was drawn, whatever the
// size. Empty without a running QGuiApplication (text widths need fonts).
std::vector<std::uint8_t> RenderEmf(CKorvanesToolDoc& doc, PictureSize client);

// Paints `doc` (running its analysis) into a picture of `size` in `format`
// and returns its bytes: what ExportPicture writes to a file. The client area
// handed to the paint is the picture size, so a single diagram sits at the
// picture's centre. PNG has a white background; SVG, PDF and EMF draw on a
// transparent (PDF: white) page. Needs a running QGuiApplication. Empty with
// a message in `error` when the size is out of range (1..kMaxPictureSide)
// or the picture cannot be made.
QByteArray RenderPictureBytes(CKorvanesToolDoc& doc, PictureFormat format, PictureSize size, std::string& error);

// RenderPictureBytes written to `path`. An existing file is replaced only by
// a completely written picture. False with a message in `error` when the
// picture cannot be made or the file cannot be written; no file is then left
// at `path` that was not there before.
bool ExportPicture(CKorvanesToolDoc& doc, PictureFormat format, const std::string& path, PictureSize size,
                   std::string& error);

// The same three for any painter instead of a document's paint.
std::vector<std::uint8_t> RenderEmf(const PicturePainter& paint, PictureSize client);
QByteArray RenderPictureBytes(const PicturePainter& paint, PictureFormat format, PictureSize size, std::string& error);
bool ExportPicture(const PicturePainter& paint, PictureFormat format, const std::string& path, PictureSize size,
                   std::string& error);

}  // namespace korvanes
