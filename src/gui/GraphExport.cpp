#include "GraphExport.h"

#include <QFile>
#include <QFileInfo>

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

PictureFormat GraphFormat(QString& path, const QString& selectedFilter)
{
    if (const std::optional<PictureFormat> byName = PictureFormatFromPath(QFile::encodeName(path).toStdString())) {
        return *byName;
    }
    const GraphFormatName* chosen = &kFormats[0];
    for (const GraphFormatName& format : kFormats) {
        if (selectedFilter == QLatin1String(format.filter)) {
            chosen = &format;
        }
    }
    path += QLatin1Char('.') + QLatin1String(chosen->suffix);
    return chosen->format;
}

bool SaveGraphFile(CKorvanesToolView& view, const QString& path, PictureFormat format, QString& error)
{
    OpenDocument& document = view.Document();
    const ClientSize size = DefaultPictureSize(document.Doc().m_options.m_plotType);
    std::string reason;
    const bool saved = ExportPicture(document.Doc(), format, QFile::encodeName(path).toStdString(),
                                     PictureSize{size.width, size.height}, reason);
    // The export ran the analysis once more: the form shows its result.
    document.UpdateAllViews(&view);
    if (!saved) {
        error = QString::fromStdU16String(ToUtf16(reason));
    }
    return saved;
}

}  // namespace korvanes::gui
