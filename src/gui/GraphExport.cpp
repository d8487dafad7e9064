#include "GraphExport.h"

#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include "KorvanesToolView.h"
#include "plots/PaintSequence.h"
#include "text/TextEncoding.h"

namespace korvanes::gui {
namespace {

struct GraphFormatName {
    PictureFormat format;
    const char* filter;
    const char* suffix;
};

const GraphFormatName kFormats[] = {
    {PictureFormat::kEmf, "Enhanced Metafile (*.emf)", "emf"},
    {PictureFormat::kSvg, "SVG picture (*.svg)", "svg"},
    {PictureFormat::kPdf, "PDF document (*.pdf)", "pdf"},
    {PictureFormat::kPng, "PNG image (*.png)", "png"},
};

}  // namespace

QStringList GraphFileFilters()
{
    QStringList filters;
    for (const GraphFormatName& format : kFormats) {
        filters << QString::fromLatin1(format.filter);
    }
    return filters;
}

namespace {

// The format of a filter of GraphFileFilters (the first for any other text).
const GraphFormatName& FormatOfFilter(const QString& filter)
{
    for (const GraphFormatName& format : kFormats) {
        if (filter == QLatin1String(format.filter)) {
            return format;
        }
    }
    return kFormats[0];
}

}  // namespace

QString GraphFilterSuffix(const QString& filter) { return QLatin1String(FormatOfFilter(filter).suffix); }

PictureFormat GraphFormat(QString& path, const QString& selectedFilter)
{
    if (const std::optional<PictureFormat> byName = PictureFormatFromPath(QFile::encodeName(path).toStdString())) {
        return *byName;
    }
    const GraphFormatName& chosen = FormatOfFilter(selectedFilter);
    path += QLatin1Char('.') + QLatin1String(chosen.suffix);
    return chosen.format;
}

bool SaveGraphFile(CKorvanesToolView& view, const QString& path, PictureFormat format, QString& error)
{
    OpenDocument& document = view.Document();
    const ClientSize size = DefaultPictureSize(document.Doc().m_options.m_plotType);
    std::string reason;
    // The export runs the analysis on its own copy: the document shown is
    // analysed already and stays as it is.
    CKorvanesToolDoc copy = document.Doc();
    const bool saved = ExportPicture(copy, format, QFile::encodeName(path).toStdString(),
                                     PictureSize{size.width, size.height}, reason);
    if (!saved) {
        error = QString::fromStdU16String(ToUtf16(reason));
    }
    return saved;
}

bool CopyPlot(CKorvanesToolView& view, QString& error)
{
    OpenDocument& document = view.Document();
    CKorvanesToolDoc doc = document.Doc();  // the pictures' analysis runs on a copy
    const ClientSize size = DefaultPictureSize(doc.m_options.m_plotType);
    const PicturePainter paint = [&doc](DrawingSurface& surface, ClientSize client) { PaintPlot(surface, doc, client); };
    return CopyPicture(paint, PictureSize{view.viewport()->width(), view.viewport()->height()},
                       PictureSize{size.width, size.height}, error);
}

bool CopyPicture(const PicturePainter& paint, PictureSize emfClient, PictureSize size, QString& error)
{
    const std::vector<std::uint8_t> emf = RenderEmf(paint, emfClient);
    std::string reason;
    const QByteArray svg = RenderPictureBytes(paint, PictureFormat::kSvg, size, reason);
    const QByteArray png = RenderPictureBytes(paint, PictureFormat::kPng, size, reason);
    if (emf.empty() || svg.isEmpty() || png.isEmpty()) {
        error = reason.empty() ? QObject::tr("the picture could not be made")
                               : QString::fromStdU16String(ToUtf16(reason));
        return false;
    }
    auto* data = new QMimeData;
    const QByteArray emfBytes(reinterpret_cast<const char*>(emf.data()), static_cast<qsizetype>(emf.size()));
    for (const char* type : kEmfMimeTypes) {
        data->setData(QString::fromLatin1(type), emfBytes);
    }
    data->setData(QString::fromLatin1(kSvgMimeType), svg);
    // As an image, the toolkit offers it as PNG and in the other image types.
    data->setImageData(QImage::fromData(png, "PNG"));
    QGuiApplication::clipboard()->setMimeData(data);
    return true;
}

}  // namespace korvanes::gui
