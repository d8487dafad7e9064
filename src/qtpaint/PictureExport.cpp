#include "PictureExport.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <cctype>
#include <string_view>

#include "QtPainterSurface.h"
#include "QtTextMeasurer.h"
#include "emf/EmfWriter.h"
#include "io/FileReplace.h"
#include "plots/PaintSequence.h"

namespace korvanes {
namespace {

constexpr int kDpi = 96;
// 96 dots per inch in dots per metre, as QImage keeps its resolution.
constexpr int kDotsPerMetre = 3780;
const QString kPictureName = QStringLiteral("KorvanesPlot");

void PaintOn(QPainter& painter, const PicturePainter& paint, PictureSize size)
{
    QtPainterSurface surface(painter);
    paint(surface, ClientSize{size.width, size.height});
}

PicturePainter PainterOf(CKorvanesToolDoc& doc)
{
    return [&doc](DrawingSurface& surface, ClientSize client) { PaintPlot(surface, doc, client); };
}

QByteArray RenderPng(const PicturePainter& paint, PictureSize size, std::string& error)
{
    QImage image(size.width, size.height, QImage::Format_RGB32);
    if (image.isNull()) {
        error = "not enough memory for a picture of " + std::to_string(size.width) + " x " +
                std::to_string(size.height) + " pixels";
        return {};
    }
    image.setDotsPerMeterX(kDotsPerMetre);
    image.setDotsPerMeterY(kDotsPerMetre);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        PaintOn(painter, paint, size);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        error = "the PNG encoder failed";
        return {};
    }
    return bytes;
}

QByteArray RenderSvg(const PicturePainter& paint, PictureSize size, std::string& error)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    // Without the resolution the generator's point fonts and the scale unit
    // would follow a different dpi than the pixel grid.
    generator.setResolution(kDpi);
    generator.setSize(QSize(size.width, size.height));
    generator.setViewBox(QRect(0, 0, size.width, size.height));
    generator.setTitle(kPictureName);
    generator.setDescription(kPictureName);
    QPainter painter;
    if (!painter.begin(&generator)) {
        error = "the SVG generator could not start";
        return {};
    }
    PaintOn(painter, paint, size);
    painter.end();
    return bytes;
}

QByteArray RenderPdf(const PicturePainter& paint, PictureSize size, std::string& error)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(kDpi);
        writer.setTitle(kPictureName);
        writer.setCreator(QStringLiteral("KorvanesTool"));
        const QPageSize page(QSizeF(size.width * 25.4 / kDpi, size.height * 25.4 / kDpi), QPageSize::Millimeter,
                             kPictureName, QPageSize::ExactMatch);
        writer.setPageLayout(QPageLayout(page, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        QPainter painter;
        if (!painter.begin(&writer)) {
            error = "the PDF writer could not start";
            return {};
        }
        PaintOn(painter, paint, size);
    }
    return bytes;
}

}  // namespace

std::optional<PictureFormat> PictureFormatFromPath(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return std::nullopt;
    }
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    if (extension == "png") {
        return PictureFormat::kPng;
    }
    if (extension == "svg") {
        return PictureFormat::kSvg;
    }
    if (extension == "pdf") {
        return PictureFormat::kPdf;
    }
    if (extension == "emf") {
        return PictureFormat::kEmf;
    }
    return std::nullopt;
}

std::vector<std::uint8_t> RenderEmf(CKorvanesToolDoc& doc, PictureSize client)
{
    return RenderEmf(PainterOf(doc), client);
}

std::vector<std::uint8_t> RenderEmf(const PicturePainter& paint, PictureSize client)
{
    if (QGuiApplication::instance() == nullptr) {
        return {};
    }
    const QtTextMeasurer measurer;
    EmfSurface surface(measurer);
    paint(surface, ClientSize{client.width, client.height});
    return surface.Finish();
}

QByteArray RenderPictureBytes(CKorvanesToolDoc& doc, PictureFormat format, PictureSize size, std::string& error)
{
    return RenderPictureBytes(PainterOf(doc), format, size, error);
}

QByteArray RenderPictureBytes(const PicturePainter& paint, PictureFormat format, PictureSize size, std::string& error)
{
    if (size.width < 1 || size.height < 1 || size.width > kMaxPictureSide || size.height > kMaxPictureSide) {
        error = "the picture size must lie between 1 x 1 and " + std::to_string(kMaxPictureSide) + " x " +
                std::to_string(kMaxPictureSide) + " pixels";
        return {};
    }
    if (QGuiApplication::instance() == nullptr) {
        error = "drawing a picture needs a running QGuiApplication";
        return {};
    }
    switch (format) {
    case PictureFormat::kPng:
        return RenderPng(paint, size, error);
    case PictureFormat::kSvg:
        return RenderSvg(paint, size, error);
    case PictureFormat::kPdf:
        return RenderPdf(paint, size, error);
    case PictureFormat::kEmf: {
        const std::vector<std::uint8_t> bytes = RenderEmf(paint, size);
        return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    }
    }
    error = "unknown picture format";
    return {};
}

bool ExportPicture(CKorvanesToolDoc& doc, PictureFormat format, const std::string& path, PictureSize size,
                   std::string& error)
{
    return ExportPicture(PainterOf(doc), format, path, size, error);
}

bool ExportPicture(const PicturePainter& paint, PictureFormat format, const std::string& path, PictureSize size,
                   std::string& error)
{
    const QByteArray bytes = RenderPictureBytes(paint, format, size, error);
    if (bytes.isEmpty()) {
        if (error.empty()) {
            error = "the picture came out empty";
        }
        return false;
    }
    if (const auto reason = ReplaceFileContents(path, std::string_view(bytes.constData(), bytes.size()))) {
        error = "cannot write '" + path + "': " + *reason;
        return false;
    }
    return true;
}

}  // namespace korvanes
