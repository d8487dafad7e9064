#include "PictureExport.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <algorithm>
#include <cctype>

#include "QtPainterSurface.h"
#include "QtTextMeasurer.h"
#include "emf/EmfWriter.h"
#include "plots/PaintSequence.h"

namespace korvanes {
namespace {

constexpr int kDpi = 96;
// 96 dots per inch in dots per metre, as QImage keeps its resolution.
constexpr int kDotsPerMetre = 3780;
const QString kPictureName = QStringLiteral("KorvanesPlot");

std::string Describe(const std::string& path, const QString& reason)
{
    return "cannot write '" + path + "': " + reason.toStdString();
}

void PaintOn(QPainter& painter, CKorvanesToolDoc& doc, PictureSize size)
{
    QtPainterSurface surface(painter);
    PaintPlot(surface, doc, ClientSize{size.width, size.height});
}

// Opens the temporary file beside `path` that replaces it on Commit.
bool OpenSaveFile(QSaveFile& file, const std::string& path, std::string& error)
{
    if (!file.open(QIODevice::WriteOnly)) {
        error = Describe(path, file.errorString());
        return false;
    }
    return true;
}

bool Commit(QSaveFile& file, const std::string& path, std::string& error)
{
    if (!file.commit()) {
        error = Describe(path, file.errorString());
        return false;
    }
    return true;
}

bool ExportPng(CKorvanesToolDoc& doc, const std::string& path, PictureSize size, std::string& error)
{
    QImage image(size.width, size.height, QImage::Format_RGB32);
    if (image.isNull()) {
        error = "not enough memory for a picture of " + std::to_string(size.width) + " x " +
                std::to_string(size.height) + " pixels";
        return false;
    }
    image.setDotsPerMeterX(kDotsPerMetre);
    image.setDotsPerMeterY(kDotsPerMetre);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        PaintOn(painter, doc, size);
    }
    QSaveFile file(QFile::decodeName(path.c_str()));
    if (!OpenSaveFile(file, path, error)) {
        return false;
    }
    if (!image.save(&file, "PNG")) {
        const QString reason = file.errorString();
        file.cancelWriting();
        error = Describe(path, reason.isEmpty() ? QStringLiteral("the PNG encoder failed") : reason);
        return false;
    }
    return Commit(file, path, error);
}

bool ExportSvg(CKorvanesToolDoc& doc, const std::string& path, PictureSize size, std::string& error)
{
    QSaveFile file(QFile::decodeName(path.c_str()));
    if (!OpenSaveFile(file, path, error)) {
        return false;
    }
    QSvgGenerator generator;
    generator.setOutputDevice(&file);
    // Without the resolution the generator's point fonts and the scale unit
    // would follow a different dpi than the pixel grid.
    generator.setResolution(kDpi);
    generator.setSize(QSize(size.width, size.height));
    generator.setViewBox(QRect(0, 0, size.width, size.height));
    generator.setTitle(kPictureName);
    generator.setDescription(kPictureName);
    {
        QPainter painter;
        if (!painter.begin(&generator)) {
            file.cancelWriting();
            error = Describe(path, QStringLiteral("the SVG generator could not start"));
            return false;
        }
        PaintOn(painter, doc, size);
    }
    return Commit(file, path, error);
}

bool ExportPdf(CKorvanesToolDoc& doc, const std::string& path, PictureSize size, std::string& error)
{
    QSaveFile file(QFile::decodeName(path.c_str()));
    if (!OpenSaveFile(file, path, error)) {
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setResolution(kDpi);
        writer.setTitle(kPictureName);
        writer.setCreator(QStringLiteral("KorvanesTool"));
        const QPageSize page(QSizeF(size.width * 25.4 / kDpi, size.height * 25.4 / kDpi), QPageSize::Millimeter,
                             kPictureName, QPageSize::ExactMatch);
        writer.setPageLayout(QPageLayout(page, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        QPainter painter;
        if (!painter.begin(&writer)) {
            file.cancelWriting();
            error = Describe(path, QStringLiteral("the PDF writer could not start"));
            return false;
        }
        PaintOn(painter, doc, size);
    }
    return Commit(file, path, error);
}

bool ExportEmf(CKorvanesToolDoc& doc, const std::string& path, PictureSize size, std::string& error)
{
    const QtTextMeasurer measurer;
    EmfSurface surface(measurer);
    PaintPlot(surface, doc, ClientSize{size.width, size.height});
    const std::vector<std::uint8_t> bytes = surface.Finish();
    if (bytes.empty()) {
        error = "cannot write '" + path + "': the metafile writer produced no picture";
        return false;
    }
    return WriteFileReplacing(path, bytes, error);
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

bool ExportPicture(CKorvanesToolDoc& doc, PictureFormat format, const std::string& path, PictureSize size,
                   std::string& error)
{
    if (size.width < 1 || size.height < 1 || size.width > kMaxPictureSide || size.height > kMaxPictureSide) {
        error = "the picture size must lie between 1 x 1 and " + std::to_string(kMaxPictureSide) + " x " +
                std::to_string(kMaxPictureSide) + " pixels";
        return false;
    }
    if (QGuiApplication::instance() == nullptr) {
        error = "drawing a picture needs a running QGuiApplication";
        return false;
    }
    switch (format) {
    case PictureFormat::kPng:
        return ExportPng(doc, path, size, error);
    case PictureFormat::kSvg:
        return ExportSvg(doc, path, size, error);
    case PictureFormat::kPdf:
        return ExportPdf(doc, path, size, error);
    case PictureFormat::kEmf:
        return ExportEmf(doc, path, size, error);
    }
    return false;
}

}  // namespace korvanes
